// The placeholder lookup of FILENAME on Windows: the folders from OSYS::GetSystemPath, the names
// of user, computer and program from the system, the temporary folder from the environment as it
// is now.
#include "kestar/base/filename.h"

#include "kestar/base/fsys.h"
#include "kestar/base/osyspath.h"

#include <windows.h>

#include <string>

namespace {

class WIN32LOOKUP : public SHELLLOOKUP {
public:
    STRING SystemPath(int type) override { return OSYS::GetSystemPath(type); }
    STRING UserName() override
    {
        char name[256];
        DWORD n = sizeof(name);
        return GetUserNameA(name, &n) ? STRING(name) : STRING("");
    }
    STRING ComputerName() override
    {
        char name[256];
        DWORD n = sizeof(name);
        return GetComputerNameA(name, &n) ? STRING(name) : STRING("<N/A>");
    }
    STRING ProgramFile() override
    {
        char path[MAX_PATH * 4];
        DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
        if (n == 0 || n >= sizeof(path))
            return STRING("");
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
    static WIN32LOOKUP lookup;
    return &lookup;
}
