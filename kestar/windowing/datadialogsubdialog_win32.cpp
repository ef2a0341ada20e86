// The push item that opens a nested data-bound dialog on working copies.
#include "kestar/windowing/datadialogsubdialog.h"

#include "kestar/windowing/datadialogbox.h"
#include "kestar/windowing/datadialogrules.h"

DATADIALOGSUBDIALOG::DATADIALOGSUBDIALOG(int id, STRING &datum, int templateId, WINDOW &parent, HMODULE module)
    : DATADIALOGITEM(id, datum), Nested(new DATADIALOGBOX(templateId, parent, module))
{
}

DATADIALOGSUBDIALOG::~DATADIALOGSUBDIALOG()
{
    delete Nested;
}

DIALOG *DATADIALOGSUBDIALOG::GetDialog()
{
    return Nested;
}

bool DATADIALOGSUBDIALOG::AddItem(DATADIALOGITEM *item)
{
    if (item == nullptr)
        return false;
    if (!DATADIALOG_REQUIRE(this->Howmany < this->Max, nullptr)) {
        delete item;
        return false;
    }
    Caller[Howmany] = item->GetDatum();
    Work[Howmany] = *Caller[Howmany];
    item->Rebind(Work[Howmany]);
    Howmany++;
    return Nested->AddItem(item);
}

bool DATADIALOGSUBDIALOG::AddDisableItem(int targetId, int sourceId, int flags, const char *compare)
{
    return Nested->AddDisableItem(targetId, sourceId, flags, compare);
}

void DATADIALOGSUBDIALOG::Init(HWND dialog)
{
    Outer = dialog;
    for (int i = 0; i < Howmany; i++)
        Work[i] = *Caller[i];
}

void DATADIALOGSUBDIALOG::Exit(HWND dialog)
{
    (void)dialog;
    for (int i = 0; i < Howmany; i++)
        *Caller[i] = Work[i];
}

void DATADIALOGSUBDIALOG::Push(HWND dialog)
{
    if (Nested->hWnd == nullptr)
        return;
    HWND owner = Outer != nullptr ? Outer : dialog;
    SetWindowLongPtrA(Nested->hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    Nested->DoModal();
}
