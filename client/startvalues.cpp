// The portable rules of the start values: port scan, switches and the work-folder test.
#include "client/startvalues.h"

#include <cstdlib>

#include "client/clientglobals.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"

namespace {

bool IsFolderOnDisk(const char *path)
{
    FILENAME f;
    f.SetText(path);
    return f.IsDirectory();
}

} // namespace

STRING STARTVALUES::ScanPort(const STRING &configured, int (*canBind)(int port))
{
    const char *text = configured.NotEmpty() ? static_cast<const char *>(configured) : "";
    char *end = nullptr;
    const long first = std::strtol(text, &end, 10);
    if (end == text || first < 1 || first > 65535 || !canBind)
        return configured;
    for (long p = first; p < first + PORTSCAN && p <= 65535; ++p) {
        if (canBind(static_cast<int>(p))) {
            LOGIT::Printf("STARTVALUES::ScanPort own port %ld (configured %ld)\n", p, first);
            return STRING(p);
        }
    }
    LOGIT::Printf("STARTVALUES::ScanPort none of %ld..%ld can be bound: keeping %ld\n", first, first + PORTSCAN - 1, first);
    return configured;
}

int STARTVALUES::ReadSwitches()
{
    const int minimised = TestArg("MIN");
    gSilentRelogin = TestArg("SILENTRELOGIN");
    gKeepWindowWhileMinimized = TestArg("NOHIDEDURINGMINIMIZE");
    if (TestArg("ITUNES")) {
        gITunesControl = 1;
    } else if (TestArgValue("ITUNES", 0)) {
        gITunesControl = 1;
        const char *value = GetArgValue("ITUNES", 0);
        if (value && *value) {
            char *end = nullptr;
            const long level = std::strtol(value, &end, 10);
            if (end != value)
                gITunesLevel = static_cast<int>(level);
        }
    }
    return minimised;
}

STRING STARTVALUES::ChooseWorkDir(const STRING &switchValue, const STRING &registryValue, const STRING &programFolder,
                                  bool (*isDirectory)(const char *path))
{
    STRING folder = switchValue.NotEmpty() ? switchValue : registryValue;
    if (!isDirectory)
        isDirectory = IsFolderOnDisk;
    const bool absolute = folder.Length() > 0 && (folder[0] == '\\' || (folder.Length() > 2 && folder[2] == '\\'));
    if (folder.IsEmpty() || !absolute || !isDirectory(folder)) {
        if (folder.NotEmpty())
            LOGIT::Printf("STARTVALUES::ChooseWorkDir %s refused\n", static_cast<const char *>(folder));
        return programFolder;
    }
    folder.Trim('R', "\\");
    folder.Trim('R', "/");
    return folder;
}
