// The list wrapper of the list items; a frame placeholder becomes a list box of its own.
#include "kestar/windowing/datadialoglist.h"

#include "kestar/base/stringarray.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/listbox.h"

DATADIALOGLIST::DATADIALOGLIST(int id, STRING &datum, STRINGARRAY *entries) : DATADIALOGITEM(id, datum), pEntries(entries)
{
}

DATADIALOGLIST::~DATADIALOGLIST()
{
    delete pList;
}

LISTBOX *DATADIALOGLIST::Wrap(HWND dialog)
{
    if (pList != nullptr)
        return pList;
    CONTROL c(dialog, Id);
    if (!DATADIALOG_REQUIRE(c.IsValid(), static_cast<const char *>(STRING(Id)))) {
        pList = new LISTBOX(nullptr, 0);
        return pList;
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(c.hWnd, GWL_STYLE));
    if (c.IsClass("Static") && ((style & 0x1F) == SS_BLACKRECT || (style & 0x1F) == SS_GRAYRECT)) {
        // The placeholder gives up its id so that the dialog finds the list under it.
        RECT r = c.GetRect();
        ShowWindow(c.hWnd, SW_HIDE);
        SetWindowLongPtrA(c.hWnd, GWLP_ID, 0xFFFF);
        pList = new LISTBOX(dialog, Id, WS_VISIBLE | WS_TABSTOP, r.left, r.top, r.right - r.left, r.bottom - r.top);
        SetWindowPos(pList->hWnd, c.hWnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (c.IsClass("ListBox") ||
               (c.IsClass("ComboBox") && ((style & 3) == CBS_DROPDOWN || (style & 3) == CBS_DROPDOWNLIST))) {
        pList = new LISTBOX(dialog, Id);
    } else {
        pList = new LISTBOX(nullptr, 0);
    }
    DATADIALOG_REQUIRE(this->pList && this->pList->IsValid(), static_cast<const char *>(STRING(Id)));
    return pList;
}

void DATADIALOGLIST::Fill()
{
    if (pEntries == nullptr || pList == nullptr || !pList->IsValid())
        return;
    pList->ResetContent();
    for (STRING_SIZE_T i = 0; i < pEntries->NumItems(); i++) {
        STRING *entry = (*pEntries)[i];
        pList->AddText(entry != nullptr ? static_cast<const char *>(*entry) : "");
    }
}
