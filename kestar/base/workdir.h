// WORKDIR: where the application keeps its data (the work folder).  A "/WORKDIR:folder" switch
// wins; else the folder remembered in the registry ("ApplicationDataDir" under
// HKEY_CURRENT_USER "Software\<maker>\<application>"); else a default below a system folder.  A
// change of the work folder asked for in the previous run ("ApplicationDataDir.New", with a
// leading "*" when the data are to be moved) is carried out at the next start.
//
// The registry and the boxes are Win32 (workdir_win32.cpp); the path rules are portable
// (workdir.cpp).
#ifndef KESTAR_WORKDIR_H
#define KESTAR_WORKDIR_H

#include "kestar/base/string.h"

class WORKDIR {
public:
    // owner: the window (HWND) that the boxes of WorkDirNew belong to, borrowed, may be null.
    // makerKey: the maker's registry key and folder name ("Orvak").  name: the application name,
    // null for text 10001.  The registry key and folder name are text 10002.
    WORKDIR(void *owner, const char *makerKey, const char *name);
    ~WORKDIR() = default;
    WORKDIR(const WORKDIR &) = delete;
    WORKDIR &operator=(const WORKDIR &) = delete;

    // Decides the work folder (WorkDirInit) and carries out a pending change (WorkDirNew).  With
    // menuItemId and the switch "WORKDIR" that item of owner's menu is disabled.  workDir receives
    // the work folder; previousWorkDir the folder the data came from when the work folder changed
    // at this start (else it is emptied).  type: the system-path type of the default.  True when
    // the work folder changed at this start.
    bool GetWorkDir(void *owner, int menuItemId, STRING &workDir, STRING &previousWorkDir, int type);
    // The work folder for this start; pending receives "ApplicationDataDir.New" when it is set and
    // differs from the work folder (else it is emptied).
    STRING WorkDirInit(STRING &pending, int type);
    // Makes newFolder the work folder; a leading "*" moves the files matching pattern from
    // oldFolder first (refused when newFolder is oldFolder or lies inside it; the old folder goes
    // only when every file was copied).  A failure shows the error box and keeps oldFolder.  The
    // pending value is deleted in every case.
    bool WorkDirNew(const char *oldFolder, const char *newFolder, const char *pattern);

    // The work-folder dialog (10704) over owner (an HWND, may be null): the user picks the folder
    // for the next start.  OK with a changed folder (case ignored) asks whether the data move ("*"
    // in front), writes "ApplicationDataDir.New" and says so; otherwise nothing is written.  The
    // dialog's end code (1 OK, 0 Cancel).  It is a data-bound dialog, so it is defined in the
    // windowing library (kestar/windowing/workdirchoose_win32.cpp).
    int ChooseWorkDir(void *owner);
    // Replaces the leading oldPrefix (case ignored) of path's folder by newPrefix; true when it
    // did.  For paths stored in settings that pointed into a moved work folder.
    static bool RebaseFolder(const char *oldPrefix, const char *newPrefix, STRING &path);
    // True when folder is base itself or lies below it (case ignored, either separator).
    static bool IsSameOrInside(const char *folder, const char *base);

    STRING AppRegKey; // text 10002
    STRING AppFolder; // text 10002
    STRING AppName;   // text 10001 or the constructor's name
    STRING MakerKey;  // the constructor's maker key

private:
    STRING KeyPath() const; // "Software\<maker>", the parent of the AppRegKey key in HKEY_CURRENT_USER
    void *Owner;            // borrowed: HWND of the boxes
};

#endif
