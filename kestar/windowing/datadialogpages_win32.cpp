// The pages container of the data-bound dialogs.
#include "kestar/windowing/datadialogpages.h"

#include "kestar/base/helpfile.h"
#include "kestar/windowing/datadialogrules.h"

DATADIALOGPAGES::DATADIALOGPAGES(int templateId, WINDOW &parent, HMODULE module)
    : DATADIALOG(templateId, parent, module), Module(module)
{
}

DATADIALOGPAGES::~DATADIALOGPAGES()
{
    for (int i = Howmany - 1; i >= 0; i--) {
        delete Pages[i].Page;
        Pages[i].Page = nullptr;
    }
}

bool DATADIALOGPAGES::AddPage(DATADIALOG *page, const char *title)
{
    if (page == nullptr)
        return false;
    if (!DATADIALOG_REQUIRE(this->Howmany < this->Max, nullptr)) {
        delete page;
        return false;
    }
    DATADIALOGPAGEENTRY &e = Pages[Howmany];
    e.Page = page;
    e.Title = STRING(title != nullptr ? title : "");
    e.Tab = -1;
    Howmany++;
    if (page->hWnd != nullptr) {
        page->RemoveStyle(WS_BORDER);
        page->EnableThemeTexture();
    }
    return true;
}

DATADIALOG *DATADIALOGPAGES::NewPage(int templateId, const char *title)
{
    DATADIALOG *page = new DATADIALOG(templateId, hWnd, SharedRules, &SharedCount, Module);
    if (!AddPage(page, title))
        return nullptr;
    return page;
}

DATADIALOG *DATADIALOGPAGES::GetPage(int index)
{
    return index >= 0 && index < Howmany ? Pages[index].Page : nullptr;
}

void DATADIALOGPAGES::ClearPageFlags()
{
    for (int i = 0; i < Howmany; i++)
        Pages[i].Page->ClearSaveFlag();
}

LRESULT DATADIALOGPAGES::OnPushbutton(int id)
{
    if (id == IDCANCEL)
        ClearPageFlags();
    if (id == IDHELP) {
        LRESULT r = OnHelp();
        if (r != 0)
            return r;
    }
    return DATADIALOG::OnPushbutton(id);
}

LRESULT DATADIALOGPAGES::OnClose()
{
    if (CloseIsOk) {
        EndModal(1);
        return 1;
    }
    ClearPageFlags();
    EndModal(0);
    return 1;
}

LRESULT DATADIALOGPAGES::OnHelp()
{
    int current = GetCurrentPage();
    HWND window = current >= 0 && current < Howmany ? Pages[current].Page->hWnd : hWnd;
    HELPFILE *help = HELPFILE::GetHelpFile();
    if (help != nullptr && help->ShowHelpForWindow(window))
        return 1;
    return DATADIALOG::OnHelp();
}

void DATADIALOGPAGES::OnEndModal(int code)
{
    (void)code;
    for (int i = 0; i < Howmany; i++)
        Pages[i].Page->ExitItems();
    ExitItems();
}

int DATADIALOGPAGES::DoModal(bool noShow)
{
    InitItems();
    for (int i = 0; i < Howmany; i++)
        Pages[i].Page->InitItems();
    SelectPage(0);
    return DATADIALOG::DoModal(noShow);
}

int DATADIALOGPAGES::DoModal(int startPage)
{
    InitItems();
    for (int i = 0; i < Howmany; i++)
        Pages[i].Page->InitItems();
    SelectPage(startPage);
    return DATADIALOG::DoModal(false);
}
