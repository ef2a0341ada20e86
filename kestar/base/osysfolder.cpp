// The folder services of OSYS on top of FILENAME and FILESEARCH.
#include "kestar/base/osysfolder.h"

#include "kestar/base/filename.h"
#include "kestar/base/filesearch.h"
#include "kestar/base/logit.h"
#include "kestar/base/stringarray.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Std(const STRING &s)
{
    return s.Buffer ? std::string(reinterpret_cast<const char *>(s.Buffer), static_cast<size_t>(s.StrLen))
                    : std::string();
}

bool SameChar(char a, char b)
{
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

std::string Join(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

} // namespace

namespace OSYS {

int ListFiles(const char *folder, const char *pattern, STRINGARRAY *list, bool recursive)
{
    std::string dir = folder ? folder : "";
    std::string pat = (pattern && *pattern) ? pattern : "*";
    if (pat == "*.*")
        pat = "*";
    LOGIT::Printf("OSYS::ListFiles %s/%s\n", dir.c_str(), pat.c_str());
    FILENAME base;
    base.SetText(dir.c_str());
    int howmany = 0;
    for (FILESEARCH fs(Join(base.Text(), "*").c_str()); fs.Found(); fs.Next()) {
        std::string name = fs.GetName().Text();
        std::string path = Join(base.Text(), name);
        if (fs.IsDirectory()) {
            if (!recursive || name.empty() || name[0] == '.')
                continue;
            howmany += ListFiles(path.c_str(), pat.c_str(), list, recursive);
            if (list && pat == "*") {
                list->AddItem(STRING(path.c_str()));
                howmany++;
            }
            continue;
        }
        if (pat != "*" && !MatchWildcard(name.c_str(), pat.c_str()))
            continue;
        howmany++;
        if (list)
            list->AddItem(STRING(path.c_str()));
        LOGIT::Printf("OSYS::ListFiles %s/%s found '%s'\n", dir.c_str(), pat.c_str(), name.c_str());
    }
    LOGIT::Printf("OSYS::ListFiles %s/%s done, howmany= %d\n", dir.c_str(), pat.c_str(), howmany);
    return howmany;
}

bool CreateDirectoryPath(const char *path)
{
    FILENAME whole;
    whole.SetText(path);
    std::string p = whole.Text();
    if (p.empty())
        return false;
    std::string built;
    size_t pos = 0;
    if (p.compare(0, 2, "\\\\") == 0) {
        // "\\server\" is fixed; creating starts with the share.
        size_t server = p.find('\\', 2);
        if (server == std::string::npos)
            return whole.IsDirectory();
        built = p.substr(0, server + 1);
        pos = server + 1;
    } else if (p[0] == '\\') {
        built = "\\";
        pos = 1;
    }
    while (pos <= p.size()) {
        size_t end = p.find('\\', pos);
        if (end == std::string::npos)
            end = p.size();
        std::string component = p.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty())
            continue;
        if (!built.empty() && built.back() != '\\')
            built += '\\';
        built += component;
        FILENAME prefix;
        prefix.SetText(built.c_str());
        if (prefix.IsDirectory())
            continue;
        // A drive ("C:") is never created.
        if (component.size() == 2 && component[1] == ':')
            continue;
        bool ok = prefix.MakeDirectory();
        LOGIT::Printf("OSYS::CreateDirectoryPath mkdir %s returns ok= %d\n", built.c_str(), ok ? 1 : 0);
        // Another thread or process may have made it in the meantime: that is no failure.
        if (!ok && !prefix.IsDirectory())
            return false;
    }
    return whole.IsDirectory();
}

bool CopyFileList(const char *from, const char *to, STRINGARRAY &list, bool keepExisting)
{
    FILENAME src, dst;
    src.SetText(from);
    dst.SetText(to);
    std::string fromText = src.Text(), toText = dst.Text();
    bool result = true;
    for (int i = list.NumItems() - 1; i >= 0; i--) {
        std::string source = Std(*list[i]);
        bool below = source.size() >= fromText.size();
        for (size_t k = 0; below && k < fromText.size(); k++)
            below = SameChar(source[k], fromText[k]);
        if (!below) {
            std::string info = source + "::" + fromText;
            LOGIT::Assert(0, "source.Left((STRING_SIZE_T)fromlen)==from", __FILE__, __LINE__, info.c_str(), 0);
            result = false;
            continue;
        }
        FILENAME entry, target;
        entry.SetText(source.c_str());
        target.SetText((toText + source.substr(fromText.size())).c_str());
        if (entry.IsDirectory()) {
            if (!CreateDirectoryPath(target.Text()))
                result = false;
            continue;
        }
        if (keepExisting && target.Exists())
            continue;
        // A pattern list holds no folders: make the target's folder when it is missing.
        FILENAME parent = target.GetFolder();
        if (!parent.IsDirectory() && !CreateDirectoryPath(parent.Text())) {
            result = false;
            continue;
        }
        if (!entry.CopyTo(target, !keepExisting))
            result = false;
    }
    return result;
}

bool CopyFolder(const char *from, const char *to, const char *pattern, bool recursive, bool keepExisting)
{
    STRINGARRAY list(0);
    ListFiles(from, pattern, &list, recursive);
    FILENAME root;
    root.SetText(from);
    list.AddItem(root.GetString());
    return CopyFileList(from, to, list, keepExisting);
}

int RemoveDirectoryTree(const char *folder, const char *pattern, bool recursive)
{
    STRINGARRAY list(0);
    ListFiles(folder, pattern, &list, recursive);
    FILENAME root;
    root.SetText(folder);
    list.AddItem(root.GetString());
    std::vector<std::string> folders;
    for (int i = 0; i < list.NumItems(); i++) {
        FILENAME entry;
        entry.SetText(Std(*list[i]).c_str());
        if (entry.IsDirectory())
            folders.push_back(entry.Text());
        else if (entry.Exists())
            entry.Delete();
    }
    int tried = 0;
    for (const std::string &f : folders) {
        FILENAME dir;
        dir.SetText(f.c_str());
        dir.RemoveDirectory();
        tried++;
    }
    return tried;
}

} // namespace OSYS
