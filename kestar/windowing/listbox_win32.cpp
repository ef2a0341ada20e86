// List and combo boxes (see listbox.h).
#include "kestar/windowing/listbox.h"

#include "kestar/base/logit.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/ownerdraw.h"

#include <string>
#include <vector>

LISTBOX::LISTBOX(HWND parent, int id, DWORD style, int x, int y, int width, int height)
    : CONTROL(parent, id, "ListBox", style | WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, x, y, width, height,
              "LISTBOX", WS_EX_CLIENTEDGE),
      IsListBox(true)
{
}

LISTBOX::LISTBOX(HWND parent, int id) : CONTROL(parent, id), IsListBox(false)
{
    IsListBox = hWnd != nullptr && IsClass("ListBox");
}

LISTBOX LISTBOX::FromDropdownList(HWND parent, int id)
{
    LISTBOX list(parent, id);
    if (!(list.IsDropdownList() || !list.IsValid()))
        LOGIT::Assert(0, "this->IsDropdownList() || !this->IsValid()", __FILE__, __LINE__, nullptr, 0);
    return LISTBOX(parent, id);
}

LISTBOX LISTBOX::FromDropdownCombo(HWND parent, int id)
{
    LISTBOX list(parent, id);
    if (!(list.IsDropdownCombo() || !list.IsValid()))
        LOGIT::Assert(0, "this->IsDropdownCombo() || !this->IsValid()", __FILE__, __LINE__, nullptr, 0);
    return LISTBOX(parent, id);
}

void LISTBOX::ResetContent()
{
    SendMessageA(hWnd, IsListBox ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
}

void LISTBOX::DeleteString(int index)
{
    SendMessageA(hWnd, IsListBox ? LB_DELETESTRING : CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

bool LISTBOX::OwnsItemTexts()
{
    // Owner-drawn (fixed or variable) without strings of its own: the item data is all it keeps.
    LONG style = GetWindowLongA(hWnd, GWL_STYLE);
    if (IsListBox)
        return (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS);
    return (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) && !(style & CBS_HASSTRINGS);
}

int LISTBOX::InsertText(const char *text, int index)
{
    UINT message = IsListBox ? LB_INSERTSTRING : CB_INSERTSTRING;
    if (OwnsItemTexts()) {
        char *copy = OWNERDRAW::CopyText(text);
        LRESULT at = SendMessageA(hWnd, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(copy));
        if (at < 0) {
            // Not added: no item will ever free it.
            DELETEITEMSTRUCT gone = {};
            gone.itemData = reinterpret_cast<ULONG_PTR>(copy);
            OWNERDRAW::DeleteItem(reinterpret_cast<LPARAM>(&gone));
            return -1;
        }
        return static_cast<int>(at);
    }
    WSTRING wide(text ? text : "", 1252);
    LRESULT at = SendMessageW(hWnd, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.GetWide()));
    return at < 0 ? -1 : static_cast<int>(at);
}

int LISTBOX::AddText(const char *text)
{
    return InsertText(text, -1);
}

void LISTBOX::AddTextList(const char *text, char separator, int index)
{
    std::string all = text ? text : "";
    size_t start = 0;
    for (;;) {
        size_t end = all.find(separator, start);
        std::string word = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        InsertText(word.c_str(), index);
        if (index != -1)
            ++index;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

int LISTBOX::FindString(const char *text)
{
    WSTRING wide(text ? text : "", 1252);
    LRESULT at = SendMessageW(hWnd, IsListBox ? LB_FINDSTRING : CB_FINDSTRING, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(wide.GetWide()));
    return at < 0 ? -1 : static_cast<int>(at);
}

int LISTBOX::GetCount()
{
    return static_cast<int>(SendMessageA(hWnd, IsListBox ? LB_GETCOUNT : CB_GETCOUNT, 0, 0));
}

int LISTBOX::GetSelCount()
{
    if (!IsListBox)
        return 1;
    LONG style = GetWindowLongA(hWnd, GWL_STYLE);
    if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))
        return static_cast<int>(SendMessageA(hWnd, LB_GETSELCOUNT, 0, 0));
    return SendMessageA(hWnd, LB_GETCURSEL, 0, 0) < 0 ? 0 : 1;
}

int LISTBOX::GetSelection(int n)
{
    if (n < 0)
        return -1;
    if (IsListBox && (GetWindowLongA(hWnd, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))) {
        int count = static_cast<int>(SendMessageA(hWnd, LB_GETSELCOUNT, 0, 0));
        if (n >= count)
            return -1;
        std::vector<int> selected(static_cast<size_t>(count));
        int got = static_cast<int>(
            SendMessageA(hWnd, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(selected.data())));
        return n < got ? selected[static_cast<size_t>(n)] : -1;
    }
    if (n > 0)
        return -1;
    LRESULT current = SendMessageA(hWnd, IsListBox ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
    return current < 0 ? -1 : static_cast<int>(current);
}

void LISTBOX::Select(int index, bool on)
{
    if (!IsListBox)
        SendMessageA(hWnd, CB_SETCURSEL, static_cast<WPARAM>(on ? index : -1), 0);
    else if (GetWindowLongA(hWnd, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))
        SendMessageA(hWnd, LB_SETSEL, on ? TRUE : FALSE, static_cast<LPARAM>(index));
    else
        SendMessageA(hWnd, LB_SETCURSEL, static_cast<WPARAM>(on ? index : -1), 0);
    // LBN_SELCHANGE and CBN_SELCHANGE are both 1.
    SendMessageA(::GetParent(hWnd), WM_COMMAND, MAKEWPARAM(Id, 1), reinterpret_cast<LPARAM>(hWnd));
}

STRING LISTBOX::GetItemText(int index)
{
    if (index == -1)
        index = GetSelection(0);
    if (index < 0)
        return STRING("");
    if (OwnsItemTexts()) {
        LRESULT data = SendMessageA(hWnd, IsListBox ? LB_GETITEMDATA : CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        const char *text = data == LB_ERR ? nullptr : OWNERDRAW::OwnedText(static_cast<ULONG_PTR>(data));
        return STRING(text ? text : "");
    }
    LRESULT length = SendMessageW(hWnd, IsListBox ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return STRING("");
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    LRESULT got = SendMessageW(hWnd, IsListBox ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(text.data()));
    if (got < 0)
        return STRING("");
    return STRING(text.data(), static_cast<STRING_SIZE_T>(got), 1252);
}

STRING LISTBOX::GetSelectedText(int n)
{
    int index = GetSelection(n);
    return index < 0 ? STRING("") : GetItemText(index);
}
