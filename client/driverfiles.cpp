// The fax printer's file table and the copy or check of its files (see driverfiles.h).
#include "client/driverfiles.h"

#include "kestar/base/logit.h"

namespace {

// "PARLOMATIXPORT9x.DLL" is written as the product has always written it; Windows compares file
// names ignoring case.
const DRIVERFILES::ROW kWow64 = {{"PRLMXX64.DLL", "PRLMXX64.GPD"}, 2, "PARLOMATIXPORTX64.DLL"};
const DRIVERFILES::ROW kNt6 = {{"PRLMXWDM.DLL", "PRLMXWDM.GPD"}, 2, "PARLOMATIXPORTNT.DLL"};
const DRIVERFILES::ROW kWin9x = {{"PRLMXPRN.DRV", "UNIDRV.DLL", "UNIDRV.HLP", "ICONLIB.DLL"}, 4, "PARLOMATIXPORT9x.DLL"};
const DRIVERFILES::ROW kNt = {{"PRLMXPRN.DLL", "RASDD.DLL", "RASDDUI.DLL", "RASDDUI.HLP"}, 4, "PARLOMATIXPORTNT.DLL"};

STRING Join(const STRING &folder, const char *name)
{
    STRING path(folder);
    path += "\\";
    path += name;
    return path;
}

} // namespace

int DRIVERFILES::VersionClass(bool ntPlatform, unsigned major, unsigned minor)
{
    if (!ntPlatform)
        return 0;
    if (major < 5)
        return 1;
    if (major == 5)
        return minor == 0 ? 2 : minor == 1 ? 3 : 4;
    return 5;
}

const DRIVERFILES::ROW &DRIVERFILES::FilesFor(int versionClass, bool wow64)
{
    if (wow64)
        return kWow64;
    if (versionClass >= 5)
        return kNt6;
    if (versionClass <= 0)
        return kWin9x;
    return kNt;
}

int DRIVERFILES::Copy(SYSTEM &system, const char *sourceFolder, bool checkOnly)
{
    const bool wow64 = system.IsWow64();
    const ROW &row = FilesFor(system.GetVersionClass(), wow64);
    // Off before the folders are asked for, so that the 64-bit system folder is the one seen.
    const bool switched = wow64 && system.DisableRedirection();

    STRING source("");
    if (sourceFolder && *sourceFolder) {
        source = sourceFolder;
        if (source[source.Length() - 1] != '\\')
            source += "\\";
    }
    const STRING driverFolder = system.GetDriverFolder();
    const STRING systemFolder = system.GetSystemFolder();
    int result = 1;
    if (driverFolder.IsEmpty() || systemFolder.IsEmpty()) {
        // Without its folder no file can be checked or copied: the files were not handled.
        LOGIT::Printf("DRIVERFILES::Copy no %s folder\n", driverFolder.IsEmpty() ? "printer driver" : "system");
        result = 0;
    } else {
        for (int i = 0; i <= row.driverCount && result; ++i) {
            const bool last = i == row.driverCount;
            const char *name = last ? row.systemFile : row.driverFiles[i];
            const STRING target = Join(last ? systemFolder : driverFolder, name);
            if (checkOnly) {
                if (!system.FileExists(target)) {
                    LOGIT::Printf("DRIVERFILES::Copy missing %s\n", static_cast<const char *>(target));
                    result = 0;
                }
            } else {
                STRING from(source);
                from += name;
                system.CopyNew(from, target);
            }
        }
    }
    if (switched)
        system.RevertRedirection();
    return result;
}
