// The multi-selection list item over records.
#include "kestar/windowing/datadialoglistmulti.h"

#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/listbox.h"

#include <vector>

namespace {

// A record's value of key; a record without it gives the empty text.
STRING ValueOf(HASH *record, const char *key)
{
    STRING *value = nullptr;
    if (record == nullptr || !record->Exists(key, &value) || value == nullptr)
        return STRING("");
    STRING copy(*value);
    copy.SetNotNull();
    return copy;
}

} // namespace

DATADIALOGLISTMULTI::DATADIALOGLISTMULTI(int id, STRING &datum, HASHLIST *records, const char *displayKey,
                                         const char *valueKey)
    : DATADIALOGLIST(id, datum, nullptr), pInitHash(records), pInitHashKey(displayKey != nullptr ? displayKey : ""),
      ValueKey(valueKey != nullptr ? valueKey : "")
{
}

void DATADIALOGLISTMULTI::Init(HWND dialog)
{
    if (pInitHash == nullptr)
        return;
    LISTBOX *list = Wrap(dialog);
    if (!list->IsValid())
        return;
    list->ResetContent();
    std::vector<STRING> parts = DATADIALOGRULES::SplitSelection(*pData);
    const char *key = ValueKey.NotEmpty() ? static_cast<const char *>(ValueKey) : static_cast<const char *>(pInitHashKey);
    for (STRING_SIZE_T i = 0; i < pInitHash->NumItems(); i++) {
        HASH *record = (*pInitHash)[i];
        if (record == nullptr)
            continue;
        int index = list->AddText(ValueOf(record, pInitHashKey));
        STRING value = ValueOf(record, key);
        for (const STRING &part : parts) {
            if (part == value) {
                list->Select(index, true);
                break;
            }
        }
    }
}

void DATADIALOGLISTMULTI::Exit(HWND dialog)
{
    (void)dialog;
    if (pInitHash == nullptr || pList == nullptr || !pList->IsValid())
        return;
    std::vector<STRING> values;
    int n = pList->GetSelCount();
    for (int s = 0; s < n; s++) {
        int index = pList->GetSelection(s);
        if (index < 0)
            continue;
        STRING text = pList->GetItemText(index);
        if (ValueKey.IsEmpty()) {
            values.push_back(text);
            continue;
        }
        int idx = pInitHash->FindValue(pInitHashKey, text, 1);
        if (!DATADIALOG_REQUIRE(idx > -1, static_cast<const char *>(text)))
            continue;
        values.push_back(ValueOf((*pInitHash)[idx], ValueKey));
    }
    *pData = DATADIALOGRULES::JoinSelection(values);
}
