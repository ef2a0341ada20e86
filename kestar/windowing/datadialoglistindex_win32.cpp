// The list item that stores the selected index.
#include "kestar/windowing/datadialoglistindex.h"

#include "kestar/windowing/listbox.h"

DATADIALOGLISTINDEX::DATADIALOGLISTINDEX(int id, STRING &datum, STRINGARRAY *entries) : DATADIALOGLIST(id, datum, entries)
{
}

void DATADIALOGLISTINDEX::Init(HWND dialog)
{
    LISTBOX *list = Wrap(dialog);
    if (!list->IsValid())
        return;
    Fill();
    list->Select(static_cast<int>(*pData), true);
}

void DATADIALOGLISTINDEX::Exit(HWND dialog)
{
    (void)dialog;
    if (pList == nullptr || !pList->IsValid())
        return;
    int index = pList->GetSelection(0);
    if (pRaw != nullptr)
        WriteRaw4(index);
    else
        *pData = STRING(index);
}
