// The native stand-in of the file-system layer: POSIX calls behind the same contract as the Win32
// layer, so that FILENAME and the folder services run under the sanitizers.  "\" separators are
// mapped to "/"; there are no drive letters, no sharing modes and every drive is a fixed one.
#include "kestar/base/fsys.h"

#include "kestar/base/osyswildcard.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace FSYS {

namespace {

thread_local std::string tLastError;

bool Failed()
{
    tLastError = std::strerror(errno);
    return false;
}

std::string Native(const char *path)
{
    std::string s = path ? path : "";
    for (char &c : s)
        if (c == '\\')
            c = '/';
    return s;
}

struct WALK {
    DIR *Dir;
    std::string Folder;
    std::string Pattern;
};

bool ReadMatching(WALK *w, FINDENTRY &entry)
{
    for (;;) {
        errno = 0;
        struct dirent *d = readdir(w->Dir);
        if (!d) {
            if (errno != 0)
                Failed();
            else
                tLastError = "no more files";
            return false;
        }
        if (!OSYS::MatchWildcard(d->d_name, w->Pattern.c_str()))
            continue;
        entry.Name = d->d_name;
        std::string full = w->Folder + "/" + d->d_name;
        struct stat st;
        if (stat(full.c_str(), &st) == 0) {
            entry.Attributes = S_ISDIR(st.st_mode) ? ATTR_DIRECTORY : ATTR_NORMAL;
            entry.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<int64_t>(st.st_size);
        } else {
            entry.Attributes = ATTR_NORMAL;
            entry.Size = 0;
        }
        return true;
    }
}

} // namespace

std::string LastErrorText()
{
    return tLastError;
}

long Attributes(const char *path)
{
    struct stat st;
    std::string p = Native(path);
    if (stat(p.c_str(), &st) != 0) {
        Failed();
        return -1;
    }
    if (S_ISDIR(st.st_mode))
        return ATTR_DIRECTORY;
    return (st.st_mode & S_IWUSR) ? ATTR_NORMAL : ATTR_READONLY;
}

PROBE Probe(const char *path)
{
    struct stat st;
    std::string p = Native(path);
    if (stat(p.c_str(), &st) == 0)
        return PROBE_EXISTS;
    int err = errno;
    Failed();
    return (err == ENOENT || err == ENOTDIR) ? PROBE_MISSING : PROBE_ERROR;
}

int64_t Size(const char *path)
{
    struct stat st;
    std::string p = Native(path);
    if (stat(p.c_str(), &st) != 0) {
        Failed();
        return -1;
    }
    return S_ISDIR(st.st_mode) ? 0 : static_cast<int64_t>(st.st_size);
}

bool FullPath(const char *path, std::string &out)
{
    std::string p = Native(path);
    if (p.empty()) {
        errno = EINVAL;
        return Failed();
    }
    if (p.compare(0, 2, "//") == 0) {
        out = p; // a UNC name stays as it is
        return true;
    }
    if (p[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof(cwd)))
            return Failed();
        p = std::string(cwd) + "/" + p;
    }
    // Drop "." and empty components and resolve "..", as GetFullPathName does.
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= p.size()) {
        size_t j = p.find('/', i);
        if (j == std::string::npos)
            j = p.size();
        std::string c = p.substr(i, j - i);
        if (c == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!c.empty() && c != ".") {
            parts.push_back(c);
        }
        i = j + 1;
    }
    std::string r;
    for (const std::string &c : parts)
        r += "/" + c;
    out = r.empty() ? "/" : r;
    return true;
}

bool LongPath(const char *path, std::string &out)
{
    if (Attributes(path) == -1)
        return false;
    out = path;
    return true;
}

int DriveType(const char *)
{
    return DRIVE_KIND_FIXED;
}

bool Remove(const char *path)
{
    std::string p = Native(path);
    struct stat st;
    if (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return Failed();
    }
    return unlink(p.c_str()) == 0 ? true : Failed();
}

bool MakeDir(const char *path)
{
    return mkdir(Native(path).c_str(), 0777) == 0 ? true : Failed();
}

bool RemoveDir(const char *path)
{
    return rmdir(Native(path).c_str()) == 0 ? true : Failed();
}

bool Rename(const char *from, const char *to, bool replace)
{
    std::string f = Native(from), t = Native(to);
    if (replace)
        return rename(f.c_str(), t.c_str()) == 0 ? true : Failed();
    // link() fails when the target exists, so nothing is ever replaced.
    if (link(f.c_str(), t.c_str()) != 0)
        return Failed();
    unlink(f.c_str());
    return true;
}

FILE *OpenShared(const char *path, const char *mode, int)
{
    FILE *f = std::fopen(Native(path).c_str(), mode);
    if (!f)
        Failed();
    return f;
}

bool Commit(FILE *stream)
{
    if (std::fflush(stream) != 0 || fsync(fileno(stream)) != 0)
        return Failed();
    return true;
}

int Descriptor(FILE *stream)
{
    return stream ? fileno(stream) : -1;
}

bool GetEnv(const char *name, std::string &out)
{
    const char *v = std::getenv(name);
    if (!v) {
        tLastError = "environment variable not found";
        return false;
    }
    out = v;
    return true;
}

std::string TempFolder()
{
    const char *v = std::getenv("TMPDIR");
    return (v && *v) ? std::string(v) : std::string("/tmp");
}

unsigned long ProcessId()
{
    return static_cast<unsigned long>(getpid());
}

void *FindFirst(const char *pattern, FINDENTRY &entry)
{
    std::string p = Native(pattern);
    size_t slash = p.rfind('/');
    WALK w;
    w.Folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
    w.Pattern = slash == std::string::npos ? p : p.substr(slash + 1);
    w.Dir = opendir(w.Folder.c_str());
    if (!w.Dir) {
        Failed();
        return nullptr;
    }
    WALK *walk = new WALK(w);
    if (!ReadMatching(walk, entry)) {
        FindClose(walk);
        return nullptr;
    }
    return walk;
}

bool FindNext(void *walk, FINDENTRY &entry)
{
    return walk ? ReadMatching(static_cast<WALK *>(walk), entry) : false;
}

void FindClose(void *walk)
{
    if (!walk)
        return;
    closedir(static_cast<WALK *>(walk)->Dir);
    delete static_cast<WALK *>(walk);
}

} // namespace FSYS
