// The modal data-bound dialog and its embedded sub-dialogs.
#include "kestar/windowing/datadialogbox.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/datadialogrules.h"

DATADIALOGBOX::DATADIALOGBOX(int templateId, WINDOW &parent, HMODULE module) : DATADIALOG(templateId, parent, module)
{
    for (int &id : SubDialogIds)
        id = -1;
}

DATADIALOGBOX::DATADIALOGBOX(int templateId, HWND parent, HMODULE module) : DATADIALOG(templateId, parent, module)
{
    for (int &id : SubDialogIds)
        id = -1;
}

DATADIALOGBOX::~DATADIALOGBOX()
{
    for (int i = SubDialogCount - 1; i >= 0; i--)
        delete SubDialogs[i];
}

bool DATADIALOGBOX::AddSubDialog(DATADIALOG *dialog, int controlId)
{
    if (dialog == nullptr)
        return false;
    if (!DATADIALOG_REQUIRE(this->SubDialogCount < this->MaxSubDialogs, nullptr)) {
        delete dialog;
        return false;
    }
    SubDialogs[SubDialogCount] = dialog;
    SubDialogIds[SubDialogCount] = controlId;
    SubDialogCount++;
    return true;
}

void DATADIALOGBOX::ClearAllSaveFlags()
{
    ClearSaveFlag();
    for (int i = 0; i < SubDialogCount; i++)
        SubDialogs[i]->ClearSaveFlag();
}

LRESULT DATADIALOGBOX::OnPushbutton(int id)
{
    if (id == IDCANCEL)
        ClearAllSaveFlags();
    return DATADIALOG::OnPushbutton(id);
}

LRESULT DATADIALOGBOX::OnClose()
{
    ClearAllSaveFlags();
    return DATADIALOG::OnClose();
}

void DATADIALOGBOX::OnEndModal(int code)
{
    (void)code;
    ExitItems();
    for (int i = 0; i < SubDialogCount; i++)
        SubDialogs[i]->ExitItems();
}

int DATADIALOGBOX::DoModal(bool noShow)
{
    SaveFlag = 1;
    InitItems();
    for (int i = 0; i < SubDialogCount; i++)
        SubDialogs[i]->InitItems();
    return DATADIALOG::DoModal(noShow);
}
