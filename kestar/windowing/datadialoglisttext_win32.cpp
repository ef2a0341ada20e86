// The list item that stores the selected entry's text.
#include "kestar/windowing/datadialoglisttext.h"

#include "kestar/windowing/listbox.h"

#include <cstring>

DATADIALOGLISTTEXT::DATADIALOGLISTTEXT(int id, STRING &datum, STRINGARRAY *entries) : DATADIALOGLIST(id, datum, entries)
{
}

void DATADIALOGLISTTEXT::Init(HWND dialog)
{
    LISTBOX *list = Wrap(dialog);
    if (!list->IsValid())
        return;
    if (pEntries != nullptr) {
        Fill();
        int n = list->GetCount();
        for (int i = 0; i < n; i++) {
            if (list->GetItemText(i) == *pData)
                list->Select(i, true);
        }
        return;
    }
    if (pData->NotEmpty()) {
        int found = list->FindString(*pData);
        if (found >= 0)
            list->Select(found, true);
    }
}

void DATADIALOGLISTTEXT::Exit(HWND dialog)
{
    (void)dialog;
    if (pList == nullptr || !pList->IsValid())
        return;
    int index = pList->GetSelection(0);
    STRING text = index >= 0 ? pList->GetItemText(index) : STRING("");
    text.SetNotNull();
    *pData = text;
    if (pRaw != nullptr && pDataLength > 0) {
        char *buffer = static_cast<char *>(pRaw);
        std::memset(buffer, 0, static_cast<size_t>(pDataLength));
        size_t n = std::strlen(text);
        if (n > static_cast<size_t>(pDataLength - 1))
            n = static_cast<size_t>(pDataLength - 1);
        std::memcpy(buffer, static_cast<const char *>(text), n);
    }
}
