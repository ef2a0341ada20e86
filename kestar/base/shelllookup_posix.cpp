// The native stand-in of the placeholder lookup: the folders of the system-path types are mapped
// onto the home folder, the names come from the POSIX calls.
#include "kestar/base/filename.h"

#include "kestar/base/fsys.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

std::string Home()
{
    const char *h = std::getenv("HOME");
    if (h && *h)
        return h;
    struct passwd *pw = getpwuid(getuid());
    return (pw && pw->pw_dir) ? pw->pw_dir : "/";
}

class POSIXLOOKUP : public SHELLLOOKUP {
public:
    STRING SystemPath(int type) override
    {
        std::string home = Home();
        switch (type) {
        case 0: case 1: case 9: case 10: case 11: return STRING((home + "/.local/share/applications/").c_str());
        case 2: return STRING("/opt/");
        case 5: return STRING((home + "/.config/").c_str());
        case 22: return STRING((home + "/.local/share/").c_str());
        case 6: case 14: case 18: case 19: return STRING((home + "/").c_str());
        case 7: return STRING((home + "/Pictures/").c_str());
        case 8: return STRING((home + "/Desktop/").c_str());
        case 12: case 13: return STRING("/var/lib/");
        default: return STRING("");
        }
    }
    STRING UserName() override
    {
        struct passwd *pw = getpwuid(getuid());
        return STRING(pw && pw->pw_name ? pw->pw_name : "");
    }
    STRING ComputerName() override
    {
        char name[256] = {0};
        if (gethostname(name, sizeof(name) - 1) != 0 || !name[0])
            return STRING("<N/A>");
        return STRING(name);
    }
    STRING ProgramFile() override
    {
        char path[4096];
        ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
        if (n <= 0)
            return STRING("");
        path[n] = 0;
        return STRING(path);
    }
    STRING TempFolder() override
    {
        std::string v;
        if ((FSYS::GetEnv("TEMP", v) && !v.empty()) || (FSYS::GetEnv("TMP", v) && !v.empty()))
            return STRING(v.c_str());
        return STRING(FSYS::TempFolder().c_str());
    }
};

} // namespace

SHELLLOOKUP *DefaultShellLookup()
{
    static POSIXLOOKUP lookup;
    return &lookup;
}
