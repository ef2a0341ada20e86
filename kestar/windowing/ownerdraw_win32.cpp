// Owner-drawn items: combo measuring and the item texts owned by lists (see ownerdraw.h).
#include "kestar/windowing/ownerdraw.h"

#include "kestar/windowing/window.h"

#include <cstring>
#include <set>

namespace OWNERDRAW {

namespace {

// The item texts made by CopyText and not yet freed.  Item data is only read as text or freed
// when it is one of them: data a caller set itself is never touched.
std::set<const char *> &Texts()
{
    static std::set<const char *> texts;
    return texts;
}

} // namespace

LRESULT MeasureItem(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    MEASUREITEMSTRUCT *measure = reinterpret_cast<MEASUREITEMSTRUCT *>(lParam);
    if (measure == nullptr || measure->CtlType != ODT_COMBOBOX)
        return 0;
    const int iconItem = WINDOW::GetIconSizeForDpi(16, dialog) + 4;
    if (measure->itemData == 0) {
        HWND combo = GetDlgItem(dialog, static_cast<int>(measure->CtlID));
        HWND before = combo ? GetWindow(combo, GW_HWNDPREV) : nullptr;
        int size = iconItem;
        if (before != nullptr && WINDOW(before).IsClass("Edit")) {
            RECT client = {};
            ::GetClientRect(before, &client);
            size = client.bottom - client.top - 3;
        }
        measure->itemHeight = static_cast<UINT>(size);
        measure->itemWidth = static_cast<UINT>(size);
        return 0;
    }
    const char *text = reinterpret_cast<const char *>(measure->itemData);
    if (Texts().count(text) && std::strncmp(text, "##ICON=", 7) == 0) {
        measure->itemHeight = static_cast<UINT>(iconItem);
        measure->itemWidth = static_cast<UINT>(iconItem);
        return 1;
    }
    return 0;
}

char *CopyText(const char *text)
{
    if (text == nullptr)
        text = "";
    size_t length = std::strlen(text);
    char *copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    Texts().insert(copy);
    return copy;
}

const char *OwnedText(ULONG_PTR data)
{
    const char *text = reinterpret_cast<const char *>(data);
    return Texts().count(text) ? text : nullptr;
}

void DeleteItem(LPARAM lParam)
{
    const DELETEITEMSTRUCT *item = reinterpret_cast<const DELETEITEMSTRUCT *>(lParam);
    if (item == nullptr)
        return;
    const char *text = reinterpret_cast<const char *>(item->itemData);
    auto found = Texts().find(text);
    if (found == Texts().end())
        return;
    Texts().erase(found);
    delete[] text;
}

} // namespace OWNERDRAW
