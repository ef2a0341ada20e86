// Tree views (see treeview.h).
#include "kestar/windowing/treeview.h"

#include "kestar/base/logit.h"
#include "kestar/base/mutexsem.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/unicode.h"
#include "kestar/windowing/listviewtext.h"

#include <cstdio>
#include <vector>

namespace {

void AssertMissingItem(int id)
{
    char info[32];
    std::snprintf(info, sizeof info, "id= %d", id);
    LOGIT::Assert(0, "hitem", __FILE__, __LINE__, info, 0);
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

} // namespace

// ---- the search lock -------------------------------------------------------------------------

MUTEXSEM &TREEVIEW::SearchLock()
{
    static MUTEXSEM lock;
    return lock;
}

TREEVIEW::LOCK::LOCK(HWND tree)
{
    // The thread of the tree window serves sent messages while it waits: the holder may be a
    // worker that is sending this very tree a message.
    if (tree != nullptr && GetWindowThreadProcessId(tree, nullptr) == GetCurrentThreadId())
        held = SearchLock().WinObtain(-1);
    else
        held = SearchLock().Obtain(-1);
}

TREEVIEW::LOCK::~LOCK()
{
    if (held)
        SearchLock().Release();
}

// ---- construction ----------------------------------------------------------------------------

TREEVIEW::TREEVIEW(DWORD style, int x, int y, int width, int height, HWND parent, int id)
    : ImageList(nullptr), HasFixedImages(0), Sorted(0)
{
    Create(parent, id, WC_TREEVIEWA, style, x, y, width, height, "TREEVIEW", 0);
}

TREEVIEW::~TREEVIEW()
{
    if (hWnd && AutoDestroy) {
        DestroyWindow(hWnd);
        hWnd = nullptr;
        AutoDestroy = 0;
    }
    if (ImageList) {
        ImageList_Destroy(ImageList);
        ImageList = nullptr;
    }
}

bool TREEVIEW::SetImages(int cx, int cy, const int *iconIds, int count, bool areIcons, bool sorted)
{
    Sorted = sorted ? 1 : 0;
    AddStyle(TVS_HASBUTTONS | TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS);
    bool all = true;
    if (cx != 0 && cy != 0) {
        HIMAGELIST list = ImageList_Create(cx, cy, ILC_MASK | CONTROL::ImageListColourFlag(GetScreenColorDepth()), 10, 10);
        if (list == nullptr) {
            LOGIT::Printf("TREEVIEW::SetImages ImageList_Create(%d, %d) failed: %lu\n", cx, cy, GetLastError());
            return false;
        }
        ImageList_SetBkColor(list, CLR_NONE);
        SendMessageA(hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
        if (ImageList)
            ImageList_Destroy(ImageList);
        ImageList = list;
        if (count > 0) {
            if (!LOGIT::Assert(iconIds != nullptr, "imgids", __FILE__, __LINE__, nullptr, 0) || iconIds == nullptr)
                return false;
            if (!LOGIT::Assert(areIcons, "imageisicon", __FILE__, __LINE__, nullptr, 0) || !areIcons)
                return false;
            HMODULE language = static_cast<HMODULE>(OSYS::GetLanguageModule());
            for (int i = 0; i < count; ++i) {
                HICON icon = nullptr;
                if (language)
                    icon = static_cast<HICON>(LoadImageA(language, MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, cx, cy, 0));
                if (icon == nullptr)
                    icon = static_cast<HICON>(
                        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, cx, cy, 0));
                if (icon == nullptr) {
                    LOGIT::Printf("TREEVIEW::SetImages icon %d not found\n", iconIds[i]);
                    all = false;
                    continue;
                }
                ImageList_AddIcon(list, icon);
                DestroyIcon(icon);
            }
        }
    }
    HasFixedImages = 1;
    return all;
}

// ---- the search ------------------------------------------------------------------------------

int TREEVIEW::ItemId(HTREEITEM item)
{
    TVITEMW data = {};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (!SendMessageW(hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)))
        return -1;
    return static_cast<int>(data.lParam);
}

HTREEITEM TREEVIEW::Search(int id, HTREEITEM item)
{
    for (; item != nullptr; item = Next(hWnd, item, TVGN_NEXT)) {
        if (ItemId(item) == id)
            return item;
        HTREEITEM child = Next(hWnd, item, TVGN_CHILD);
        if (child != nullptr) {
            HTREEITEM found = Search(id, child);
            if (found != nullptr)
                return found;
        }
    }
    return nullptr;
}

HTREEITEM TREEVIEW::FindItem(int id, HTREEITEM start)
{
    LOCK lock(hWnd);
    return Search(id, start != nullptr ? start : Next(hWnd, nullptr, TVGN_ROOT));
}

HTREEITEM TREEVIEW::MustFind(int id)
{
    HTREEITEM item = FindItem(id);
    if (item == nullptr)
        AssertMissingItem(id);
    return item;
}

// ---- changes ---------------------------------------------------------------------------------

HTREEITEM TREEVIEW::Insert(HTREEITEM parent, int id, int image, const WSTRING &text)
{
    WSTRING cut = LISTVIEWTEXT::CutField(text);
    std::vector<wchar_t> copy(static_cast<size_t>(cut.Length()) + 1, L'\0');
    for (STRING_SIZE_T i = 0; i < cut.Length(); ++i)
        copy[static_cast<size_t>(i)] = static_cast<wchar_t>(cut[i]);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent != nullptr ? parent : TVI_ROOT;
    insert.hInsertAfter = Sorted ? TVI_SORT : TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = copy.data();
    insert.item.lParam = id;
    if (image != -1) {
        insert.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.iImage = image;
        insert.item.iSelectedImage = image;
    }
    HTREEITEM h = reinterpret_cast<HTREEITEM>(SendMessageW(hWnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    LOGIT::Assert(h != nullptr, "h", __FILE__, __LINE__, nullptr, 0);
    return h;
}

HTREEITEM TREEVIEW::InsertRootItem(int id, int image, const WSTRING &text)
{
    LOCK lock(hWnd);
    return Insert(nullptr, id, image, text);
}

HTREEITEM TREEVIEW::InsertRootItem(int id, int image, const char *text)
{
    return InsertRootItem(id, image, WSTRING(text ? text : "", UNICODE_CPSYSTEM));
}

HTREEITEM TREEVIEW::InsertChildItem(int id, int parentId, int image, const WSTRING &text)
{
    LOCK lock(hWnd);
    HTREEITEM parent = MustFind(parentId);
    if (parent != nullptr)
        SetExpanded(parent, true);
    return Insert(parent, id, image, text);
}

HTREEITEM TREEVIEW::InsertChildItem(int id, int parentId, int image, const char *text)
{
    return InsertChildItem(id, parentId, image, WSTRING(text ? text : "", UNICODE_CPSYSTEM));
}

bool TREEVIEW::SetItemText(int id, const WSTRING &text)
{
    LOCK lock(hWnd);
    HTREEITEM item = MustFind(id);
    if (item == nullptr)
        return false;
    WSTRING cut = LISTVIEWTEXT::CutField(text);
    std::vector<wchar_t> copy(static_cast<size_t>(cut.Length()) + 1, L'\0');
    for (STRING_SIZE_T i = 0; i < cut.Length(); ++i)
        copy[static_cast<size_t>(i)] = static_cast<wchar_t>(cut[i]);
    TVITEMW data = {};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = copy.data();
    bool ok = SendMessageW(hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data)) != 0;
    HTREEITEM parent = Next(hWnd, item, TVGN_PARENT);
    if (Sorted && parent != nullptr)
        SendMessageW(hWnd, TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(parent));
    return ok;
}

bool TREEVIEW::SetItemText(int id, const char *text)
{
    return SetItemText(id, WSTRING(text ? text : "", UNICODE_CPSYSTEM));
}

bool TREEVIEW::SetItemImage(int id, int image)
{
    if (!HasFixedImages) {
        LOGIT::Assert(0, "this->HasFixedImages", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    LOCK lock(hWnd);
    HTREEITEM item = MustFind(id);
    if (item == nullptr)
        return false;
    TVITEMW data = {};
    data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    data.hItem = item;
    data.iImage = image;
    data.iSelectedImage = image;
    return SendMessageW(hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data)) != 0;
}

void TREEVIEW::SetExpanded(HTREEITEM item, bool on)
{
    UINT state = static_cast<UINT>(SendMessageW(hWnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED));
    bool expanded = (state & TVIS_EXPANDED) != 0;
    if (expanded == on)
        return;
    TVITEMW data = {};
    data.mask = TVIF_STATE | TVIF_HANDLE;
    data.hItem = item;
    data.stateMask = TVIS_EXPANDED;
    data.state = on ? TVIS_EXPANDED : 0;
    SendMessageW(hWnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

bool TREEVIEW::SetExpandedState(int id, bool on)
{
    LOCK lock(hWnd);
    HTREEITEM item = MustFind(id);
    if (item == nullptr)
        return false;
    SetExpanded(item, on);
    return true;
}

bool TREEVIEW::DeleteItem(int id)
{
    LOCK lock(hWnd);
    HTREEITEM item = FindItem(id);
    if (item == nullptr)
        return false;
    return SendMessageW(hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0;
}

void TREEVIEW::DeleteAllItems()
{
    LOCK lock(hWnd);
    SendMessageW(hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

bool TREEVIEW::SelectItem(int id)
{
    LOCK lock(hWnd);
    HTREEITEM item = MustFind(id);
    if (item == nullptr)
        return false;
    return SendMessageW(hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

// ---- queries ---------------------------------------------------------------------------------

int TREEVIEW::GetSelectedId()
{
    HTREEITEM item = Next(hWnd, nullptr, TVGN_CARET);
    return item == nullptr ? -1 : ItemId(item);
}

int TREEVIEW::GetIdAtCursor()
{
    TVHITTESTINFO hit = {};
    if (!GetCursorPos(&hit.pt) || !ScreenToClient(hWnd, &hit.pt))
        return -1;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item == nullptr || !(hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)))
        return -1;
    return ItemId(item);
}

int TREEVIEW::GetAllItemIds(int *ids, int first, int capacity)
{
    if (ids == nullptr || first < 0 || first >= capacity) {
        char info[64];
        std::snprintf(info, sizeof info, "first= %d, capacity= %d", first, capacity);
        LOGIT::Assert(0, "ids && first>=0 && first<capacity", __FILE__, __LINE__, info, 0);
        return -1;
    }
    LOCK lock(hWnd);
    int index = first;
    HTREEITEM item = Next(hWnd, nullptr, TVGN_ROOT);
    while (item != nullptr) {
        if (index >= capacity - 1) {
            LOGIT::Printf("TREEVIEW::GetAllItemIds stops at %d: no more room\n", index);
            break;
        }
        ids[index++] = ItemId(item);
        // Depth first: the first child, else the next sibling of the item or of its nearest
        // ancestor that has one.
        HTREEITEM next = Next(hWnd, item, TVGN_CHILD);
        while (next == nullptr && item != nullptr) {
            next = Next(hWnd, item, TVGN_NEXT);
            if (next == nullptr)
                item = Next(hWnd, item, TVGN_PARENT);
        }
        item = next;
    }
    ids[index] = -1;
    return index;
}
