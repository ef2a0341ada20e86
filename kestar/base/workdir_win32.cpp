// WORKDIR's registry values, folders and boxes (see workdir.h).
#include "kestar/base/workdir.h"

// Before the class library's headers: they undo windows.h's A/W names of their own functions.
#include <windows.h>

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfolder.h"
#include "kestar/base/osyspath.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/base/winorvak.h"
#include "lang/resource_ids.h"

namespace {

const char kValueWorkDir[] = "ApplicationDataDir";
const char kValueNext[] = "ApplicationDataDir.New";
const char kValueOld[] = "FilesDir";

bool IsFolder(const STRING &path)
{
    if (path.IsEmpty())
        return false;
    FILENAME f;
    f.SetString(path);
    return f.IsDirectory();
}

// The folder as a FILENAME-normalised text (separators, no trailing "\").
STRING Normalised(const char *path)
{
    FILENAME f;
    f.SetText(path);
    return f.GetString();
}

// Creates path with every missing parent; true when it is a folder afterwards.
bool MakeFolder(const STRING &path)
{
    if (IsFolder(path))
        return true;
    return path.NotEmpty() && OSYS::CreateDirectoryPath(path) && IsFolder(path);
}

} // namespace

WORKDIR::WORKDIR(void *owner, const char *makerKey, const char *name)
    : MakerKey(makerKey ? makerKey : ""), Owner(owner)
{
    AppRegKey = OSYS::GetStringFromResource(IDS_APPREGKEY);
    AppFolder = OSYS::GetStringFromResource(IDS_APPREGKEY);
    AppName = name ? STRING(name) : OSYS::GetStringFromResource(IDS_APPNAME);
    ORVAK_ASSERT(this->AppFolder.NotEmpty() && this->AppFolder[0]!='<');
    ORVAK_ASSERT(this->AppName.NotEmpty() && this->AppName[0]!='<');
    ORVAK_ASSERT(this->AppRegKey.NotEmpty() && this->AppRegKey[0]!='<');
}

STRING WORKDIR::KeyPath() const
{
    STRING path("Software\\");
    path += MakerKey;
    return path;
}

bool WORKDIR::GetWorkDir(void *owner, int menuItemId, STRING &workDir, STRING &previousWorkDir, int type)
{
    LOGIT::Printf("WORKDIR::GetWorkDir\n");
    if (owner != nullptr)
        Owner = owner;
    if (menuItemId != 0 && GetArgValue("WORKDIR", 0) != nullptr) {
        // The folder is fixed by the switch: it cannot be changed from inside the program.
        HMENU menu = owner ? GetMenu(static_cast<HWND>(owner)) : nullptr;
        if (menu)
            EnableMenuItem(menu, static_cast<UINT>(menuItemId), MF_BYCOMMAND | MF_GRAYED);
    }
    STRING pending;
    workDir = WorkDirInit(pending, type);
    previousWorkDir = "";
    previousWorkDir.SetNotNull();
    bool changed = false;
    if (pending.NotEmpty() && WorkDirNew(workDir, pending, "*.*")) {
        previousWorkDir = workDir;
        STRING next = pending;
        next.StripFirstChar('*');
        workDir = Normalised(next);
        changed = true;
    }
    LOGIT::Printf("WORKDIR::GetWorkDir done, pfilesdir= %s\n", static_cast<const char *>(workDir));
    return changed;
}

STRING WORKDIR::WorkDirInit(STRING &pending, int type)
{
    LOGIT::Printf("WORKDIR::WorkDirInit %s %s\n", static_cast<const char *>(AppRegKey), static_cast<const char *>(AppFolder));
    pending = "";
    pending.SetNotNull();

    const char *fromSwitch = GetArgValue("WORKDIR", 0);
    if (fromSwitch != nullptr && fromSwitch[0]) {
        // The switch alone decides: the registry is neither read nor written.
        STRING folder = FILENAME(fromSwitch).GetString();
        bool ok = MakeFolder(folder);
        if (!ok) {
            LOGIT::Assert(0, "ok", __FILE__, __LINE__, folder, 0);
            folder = ".";
        }
        LOGIT::Printf("WORKDIR::WorkDirInit done, workdir= %s\n", static_cast<const char *>(folder));
        return folder;
    }

    REGISTRY key(AppRegKey, KeyPath(), REGISTRY::USER_CURRENT);
    STRING stored;
    if (!key.ReadString(kValueWorkDir, stored) || stored.IsEmpty()) {
        STRING older;
        if (key.ReadString(kValueOld, older) && older.NotEmpty()) {
            key.WriteString(kValueWorkDir, older);
            key.DeleteValue(kValueOld);
            stored = older;
        }
    }

    STRING folder;
    if (stored.NotEmpty()) {
        STRING candidate = Normalised(stored);
        if (MakeFolder(candidate))
            folder = candidate;
        else
            LOGIT::Printf("WORKDIR::WorkDirInit stored folder %s cannot be made, taking the default\n",
                          static_cast<const char *>(candidate));
    }
    if (folder.IsEmpty()) {
        STRING system = OSYS::GetSystemPath(type);
        if (system.NotEmpty()) {
            STRING workdir = type == OSYS::SYSPATH_DOCUMENTS ? Normalised(system)
                                                             : FILENAME(system, MakerKey).GetString();
            if (!MakeFolder(workdir))
                LOGIT::Assert(0, "workdir.IsDirectory()", __FILE__, __LINE__, workdir, 0);
            FILENAME last(workdir, type == OSYS::SYSPATH_DOCUMENTS ? static_cast<const char *>(AppName)
                                                                   : static_cast<const char *>(AppFolder));
            folder = last.GetString();
            MakeFolder(folder);
        }
    }
    if (IsFolder(folder)) {
        key.WriteString(kValueWorkDir, folder);
    } else {
        LOGIT::Assert(0, "ok", __FILE__, __LINE__, folder.NotEmpty() ? static_cast<const char *>(folder) : "", 0);
        folder = ".";
    }

    STRING next;
    if (key.ReadString(kValueNext, next) && next.NotEmpty() && STR::stricmp(next, folder) != 0)
        pending = next;
    LOGIT::Printf("WORKDIR::WorkDirInit done, workdir= %s\n", static_cast<const char *>(folder));
    return folder;
}

bool WORKDIR::WorkDirNew(const char *oldFolder, const char *newFolder, const char *pattern)
{
    const char *oldText = oldFolder ? oldFolder : "";
    const char *newText = newFolder ? newFolder : "";
    LOGIT::Printf("WORKDIR::WorkDirNew %s %s %s %s\n", static_cast<const char *>(AppRegKey), oldText, newText,
                  pattern ? pattern : "<NULL>");
    STRING target(newText);
    target.SetNotNull();
    bool ok;
    if (target.StripFirstChar('*')) {
        target = Normalised(target);
        ok = false;
        // Not into itself: the copy would walk into what it has just written, and removing the old
        // folder would take the new one with it.
        if (target.NotEmpty() && oldText[0] && !IsSameOrInside(target, oldText)) {
            // The old folder goes only when every file reached the new one.
            if (OSYS::CopyFolder(oldText, target, pattern ? pattern : "*.*", true, false)) {
                OSYS::RemoveDirectoryTree(oldText, pattern ? pattern : "*.*", true);
                ok = true;
            }
        }
    } else {
        target = Normalised(target);
        ok = MakeFolder(target);
    }
    if (!ok) {
        STRING text(oldText);
        text += " -> \r\n";
        text += target;
        text += ": some copy failed!\r\n(existing files, illegal destination path, etc.)\r\n\r\nThe original data folder "
                "will remain active!";
        WINORVAK::ErrorMsgBox(Owner, OSYS::GetStringFromResource(IDS_APPNAME), text);
    }
    {
        REGISTRY key(AppRegKey, KeyPath(), REGISTRY::USER_CURRENT);
        if (ok)
            key.WriteString(kValueWorkDir, target);
        // Never tried again at the next start, whatever happened now.
        key.DeleteValue(kValueNext);
    }
    LOGIT::Printf("WORKDIR::WorkDirNew done, success= %d\n", ok ? 1 : 0);
    return ok;
}
