// WORKDIR::ChooseWorkDir: the work-folder dialog.  It lives in the windowing library because it
// is a data-bound dialog; the rest of WORKDIR is in the base library.
#include "kestar/base/workdir.h"

#include <windows.h>

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/base/winorvak.h"
#include "kestar/windowing/datadialogbox.h"
#include "kestar/windowing/datadialogentry.h"
#include "kestar/windowing/datadialogpush.h"
#include "lang/resource_ids.h"

int WORKDIR::ChooseWorkDir(void *owner)
{
    REGISTRY key(AppRegKey, KeyPath(), REGISTRY::USER_CURRENT);
    STRING current;
    if (!key.ReadString("ApplicationDataDir", current))
        current = "";
    current.SetNotNull();
    STRING folder(current);
    STRING browse(OSYS::GetStringFromResource(IDS_WORKDIR_CHOOSE));
    STRING here(".");
    DATADIALOGBOX box(IDD_WORKDIR, static_cast<HWND>(owner));
    box.AddItem(new DATADIALOGENTRY(IDC_WORKDIR_FOLDER, folder, 256));
    box.AddItem(new DATADIALOGPUSH(IDC_WORKDIR_BROWSE, browse, DATADIALOGPUSH::BrowseFolder, nullptr,
                                   IDC_WORKDIR_FOLDER));
    box.AddItem(new DATADIALOGPUSH(IDC_WORKDIR_CURRENT, here, DATADIALOGPUSH::Open, nullptr, IDC_WORKDIR_FOLDER));
    int result = box.DoModal();
    folder.SetNotNull();
    // The stored texts compare without case: another spelling of the same folder is no change.
    if (result == 1 && !(folder == current)) {
        STRING title = OSYS::GetStringFromResource(IDS_APPNAME);
        STRING next(folder);
        if (WINORVAK::YesNoMsgBox(owner, title, OSYS::GetStringFromResource(IDS_WORKDIR_MOVE)) != 0) {
            next = "*";
            next += folder;
        }
        key.WriteString("ApplicationDataDir.New", next);
        LOGIT::Printf("WORKDIR::ChooseWorkDir next= %s\n", static_cast<const char *>(next));
        WINORVAK::InfoMsgBox(owner, title, OSYS::GetStringFromResource(IDS_WORKDIR_NEXTSTART));
    }
    return result;
}
