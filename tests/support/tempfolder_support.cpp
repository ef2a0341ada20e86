// Scratch folders for tests (see tempfolder_support.h).
#include "tests/support/tempfolder_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)
void RemoveTree(const std::string &folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}
#else
void RemoveTree(const std::string &folder)
{
    DIR *d = opendir(folder.c_str());
    if (d) {
        while (struct dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "/" + name;
            struct stat st;
            if (lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                RemoveTree(full);
            else
                unlink(full.c_str());
        }
        closedir(d);
    }
    rmdir(folder.c_str());
}
#endif

} // namespace

TEMPFOLDER::TEMPFOLDER()
{
#if defined(_WIN32)
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    static LONG counter = 0;
    for (int i = 0; i < 1000 && path.empty(); ++i) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof(name), "%splxtest_%lu_%ld", base, GetCurrentProcessId(),
                      InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr))
            path = name;
    }
#else
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/plxtest_XXXXXX";
    if (mkdtemp(&templ[0]))
        path = templ;
#endif
}

TEMPFOLDER::~TEMPFOLDER()
{
    if (!path.empty())
        RemoveTree(path);
}

std::string TEMPFOLDER::File(const std::string &name) const
{
#if defined(_WIN32)
    return path + "\\" + name;
#else
    return path + "/" + name;
#endif
}

std::string ReadWholeFile(const std::string &name)
{
    std::ifstream in(name.c_str(), std::ios::binary);
    if (!in)
        return std::string();
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteWholeFile(const std::string &name, const std::string &bytes)
{
    std::ofstream out(name.c_str(), std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

std::string FolderListing(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const std::string &name : names)
        listing += name + ";";
    return listing;
}

bool FileExistsForTest(const std::string &name)
{
    std::ifstream in(name.c_str(), std::ios::binary);
    return static_cast<bool>(in);
}

std::string CurrentFolderForTest()
{
#if defined(_WIN32)
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof(buffer), buffer);
    return (n > 0 && n < sizeof(buffer)) ? std::string(buffer) : std::string();
#else
    char buffer[4096];
    return getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string();
#endif
}

bool ChangeFolderForTest(const std::string &folder)
{
#if defined(_WIN32)
    return SetCurrentDirectoryA(folder.c_str()) != 0;
#else
    return chdir(folder.c_str()) == 0;
#endif
}
