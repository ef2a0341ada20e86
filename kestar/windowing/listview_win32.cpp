// List views (see listview.h).
#include "kestar/windowing/listview.h"

#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "kestar/base/unicode.h"
#include "kestar/windowing/listviewtext.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const DWORD kListStyle = WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
// The 512-character buffers of the control's texts.
const int kTextBuffer = LISTVIEWTEXT::FIELD_CHARACTERS + 1;

// A text for the log (system code page).
STRING LogText(const WSTRING &text)
{
    STRING log(text, UNICODE_CPSYSTEM);
    log.SetNotNull();
    return log;
}

// A writable zero-terminated copy for the control's records.
std::vector<wchar_t> Writable(const WSTRING &text)
{
    std::vector<wchar_t> copy(static_cast<size_t>(text.Length()) + 1, L'\0');
    for (STRING_SIZE_T i = 0; i < text.Length(); ++i)
        copy[static_cast<size_t>(i)] = static_cast<wchar_t>(text[i]);
    return copy;
}

void AssertMissingRow(int handle)
{
    char info[48];
    std::snprintf(info, sizeof info, "handle= %d\n", handle);
    LOGIT::Assert(0, "n!=-1", __FILE__, __LINE__, info, 0);
}

} // namespace

// ---- construction ----------------------------------------------------------------------------

LISTVIEW::LISTVIEW(DWORD style, int x, int y, int width, int height, HWND parent, int id, DWORD exStyle)
{
    Create(parent, id, WC_LISTVIEWA, style | kListStyle, x, y, width, height, "LISTVIEW", exStyle);
    Init();
}

LISTVIEW::LISTVIEW(HWND parent, int id, DWORD style, int placeholderId, DWORD exStyle)
{
    ReplaceDialogItem(parent, id, WC_LISTVIEWA, style | kListStyle, placeholderId, "LISTVIEW",
                      exStyle | WS_EX_CLIENTEDGE);
    Init();
}

void LISTVIEW::Init()
{
    SortOrder = 0;
    SortColumn = 0;
    HasFixedImages = 0;
    ImageList = nullptr;
    ToolTip = hWnd ? reinterpret_cast<HWND>(SendMessageA(hWnd, LVM_GETTOOLTIPS, 0, 0)) : nullptr;
}

LISTVIEW::~LISTVIEW()
{
    ToolTip = nullptr;
    delete SortTable;
    SortTable = nullptr;
    // The WINDOW part destroys the control, and the control its image lists.
}

// ---- rows and handles ------------------------------------------------------------------------

int LISTVIEW::GetItemCount()
{
    return static_cast<int>(SendMessageA(hWnd, LVM_GETITEMCOUNT, 0, 0));
}

int LISTVIEW::FindHandle(int handle, bool mustFind)
{
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = handle;
    int rc = static_cast<int>(SendMessageA(hWnd, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (mustFind && rc == -1) {
        char info[48];
        std::snprintf(info, sizeof info, "handle= %d\n", handle);
        LOGIT::Assert(0, "!mustfind || rc!=-1", __FILE__, __LINE__, info, 0);
    }
    return rc;
}

int LISTVIEW::GetHandle(int row, bool mustFind)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    bool ok = row >= 0 && SendMessageA(hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    if (!ok) {
        if (mustFind) {
            char info[48];
            std::snprintf(info, sizeof info, "index= %d\n", row);
            LOGIT::Assert(0, "!mustfind || ok", __FILE__, __LINE__, info, 0);
        }
        return -1;
    }
    return static_cast<int>(item.lParam);
}

int LISTVIEW::GetRecordImage(int handle)
{
    int row = FindHandle(handle, false);
    if (row == -1) {
        AssertMissingRow(handle);
        return -1;
    }
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    if (!SendMessageA(hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

// ---- styles and images -----------------------------------------------------------------------

bool LISTVIEW::SetImages(int cx, int cy, const int *iconIds, int count, bool areIcons, HMODULE module)
{
    RemoveStyle(LVS_SMALLICON);
    AddStyle(LVS_REPORT | LVS_SHOWSELALWAYS);
    HIMAGELIST list = ImageList_Create(cx, cy, ILC_MASK | CONTROL::ImageListColourFlag(GetScreenColorDepth()), 10, 10);
    if (list == nullptr) {
        LOGIT::Printf("LISTVIEW::SetImages ImageList_Create(%d, %d) failed: %lu\n", cx, cy, GetLastError());
        return false;
    }
    ImageList_SetBkColor(list, CLR_NONE);
    HIMAGELIST old = reinterpret_cast<HIMAGELIST>(
        SendMessageA(hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list)));
    // The control frees only the list it holds at the end: one it no longer holds is ours.
    if (old != nullptr && old != list)
        ImageList_Destroy(old);
    ImageList = list;
    HasFixedImages = 1;
    if (count <= 0)
        return true;
    if (!LOGIT::Assert(iconIds != nullptr, "imgids", __FILE__, __LINE__, nullptr, 0) || iconIds == nullptr)
        return false;
    if (!LOGIT::Assert(areIcons, "imageisicon", __FILE__, __LINE__, nullptr, 0) || !areIcons)
        return false;
    if (module == nullptr)
        module = static_cast<HMODULE>(OSYS::GetLanguageModule());
    bool all = true;
    for (int i = 0; i < count; ++i) {
        HICON icon = nullptr;
        if (module)
            icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, cx, cy, 0));
        if (icon == nullptr)
            icon = static_cast<HICON>(
                LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, cx, cy, 0));
        if (icon == nullptr) {
            char info[32];
            std::snprintf(info, sizeof info, "icon= %d", iconIds[i]);
            LOGIT::Assert(0, "hicon", __FILE__, __LINE__, info, 0);
            all = false;
            continue;
        }
        ImageList_AddIcon(list, icon);
        DestroyIcon(icon);
    }
    return all;
}

void LISTVIEW::SetMultiSelect(bool on)
{
    if (on)
        RemoveStyle(LVS_SINGLESEL);
    else
        AddStyle(LVS_SINGLESEL);
}

void LISTVIEW::ShowHeader(bool on)
{
    if (on)
        RemoveStyle(LVS_NOCOLUMNHEADER);
    else
        AddStyle(LVS_NOCOLUMNHEADER);
}

void LISTVIEW::SetClientEdge(bool on)
{
    if (on)
        AddExStyle(WS_EX_CLIENTEDGE);
    else
        RemoveExStyle(WS_EX_CLIENTEDGE);
    // The frame is drawn anew only when told.
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void LISTVIEW::AddExtendedStyle(DWORD bits)
{
    SendMessageA(hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, bits, bits);
}

void LISTVIEW::SetFullRowSelect(bool on)
{
    if (!on) {
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, nullptr, 0);
        return;
    }
    AddExtendedStyle(LVS_EX_FULLROWSELECT);
}

// ---- columns ---------------------------------------------------------------------------------

int LISTVIEW::InsertColumn(int index, const WSTRING &title, int width, int format)
{
    LOGIT::Printf("LISTVIEW::InsertColumn %d %s\n", index, static_cast<const char *>(LogText(title)));
    std::vector<wchar_t> text = Writable(title);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = text.data();
    column.iSubItem = index;
    int rc = static_cast<int>(SendMessageW(hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                                           reinterpret_cast<LPARAM>(&column)));
    LOGIT::Printf("LISTVIEW::InsertColumn done, newidx= %d\n", rc);
    return rc;
}

int LISTVIEW::InsertColumnText(int index, const char *title, int width, int format)
{
    return InsertColumn(index, WSTRING(title ? title : "", UNICODE_CPSYSTEM), width, format);
}

int LISTVIEW::GetColumnCount()
{
    int count = 0;
    // The header cannot hold more; the bound only guards against a control that never says no.
    while (count < 0x7FFF) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        if (!SendMessageA(hWnd, LVM_GETCOLUMNA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column)))
            break;
        ++count;
    }
    return count;
}

int LISTVIEW::GetColumnWidth(int column)
{
    return static_cast<int>(SendMessageA(hWnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

bool LISTVIEW::SetColumnWidth(int column, int width)
{
    return SendMessageA(hWnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
}

void LISTVIEW::AutoSizeColumns(int column, bool byHeader)
{
    int width = byHeader ? LVSCW_AUTOSIZE_USEHEADER : LVSCW_AUTOSIZE;
    if (column != -1) {
        SetColumnWidth(column, width);
        return;
    }
    int count = GetColumnCount();
    for (int i = 0; i < count; ++i)
        SetColumnWidth(i, width);
}

// ---- records ---------------------------------------------------------------------------------

int LISTVIEW::InsertRecord(int handle, int image, const WSTRING &text)
{
    STRING logText = LogText(text);
    LOGIT::Printf("LISTVIEW::InsertRecord %d %d %s\n", handle, image, static_cast<const char *>(logText));
    std::vector<WSTRING> fields = LISTVIEWTEXT::RecordFields(text);
    int row = GetItemCount();
    std::vector<wchar_t> first = Writable(fields[0]);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = first.data();
    item.lParam = handle;
    if (image != -1) {
        item.mask |= LVIF_IMAGE;
        item.iImage = image;
    }
    int rc = static_cast<int>(SendMessageW(hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    LOGIT::Printf("LISTVIEW::InsertRecord LVM_INSERT %d %d %d %s returns %d\n", row, handle, image,
                  static_cast<const char *>(LogText(fields[0])), rc);
    if (rc == -1) {
        // Without its row the other fields would land on somebody else's.
        LOGIT::Assert(0, "rc!=-1", __FILE__, __LINE__, logText, 0);
        return -1;
    }
    for (size_t i = 1; i < fields.size(); ++i) {
        if (SetItemText(rc, static_cast<int>(i), fields[i]))
            continue;
        DWORD error = GetLastError();
        LOGIT::Printf("LISTVIEW::InsertRecord LVM_SETITEM  %d %d %s returns %d\n", rc, static_cast<int>(i),
                      static_cast<const char *>(LogText(fields[i])), 0);
        STRING info(logText);
        info.AppendFormat(" i=%d lasterr=%lu", static_cast<int>(i), error);
        LOGIT::Assert(0, "rc", __FILE__, __LINE__, info, 0);
    }
    return rc;
}

int LISTVIEW::InsertRecordText(int handle, int image, const char *text)
{
    return InsertRecord(handle, image, WSTRING(text ? text : "", UNICODE_CPSYSTEM));
}

bool LISTVIEW::SetItemText(int row, int column, const WSTRING &text)
{
    std::vector<wchar_t> copy = Writable(LISTVIEWTEXT::CutField(text));
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = copy.data();
    return SendMessageW(hWnd, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

bool LISTVIEW::SetRecordText(int handle, int column, const WSTRING &text)
{
    int row = FindHandle(handle, false);
    if (row == -1) {
        AssertMissingRow(handle);
        return false;
    }
    return SetItemText(row, column, text);
}

bool LISTVIEW::SetRecordText(int handle, int column, const char *text)
{
    return SetRecordText(handle, column, WSTRING(text ? text : "", UNICODE_CPSYSTEM));
}

WSTRING LISTVIEW::GetRecordText(int handle, int column)
{
    WSTRING result;
    result.SetNotNull();
    int row = FindHandle(handle, false);
    if (row == -1)
        return result;
    wchar_t buffer[kTextBuffer] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kTextBuffer;
    int length = static_cast<int>(SendMessageW(hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                               reinterpret_cast<LPARAM>(&item)));
    if (length > 0)
        result = WSTRING(buffer, length);
    return result;
}

STRING LISTVIEW::GetRecordString(int handle, int column)
{
    STRING result(GetRecordText(handle, column), UNICODE_CPSYSTEM);
    result.SetNotNull();
    return result;
}

bool LISTVIEW::SetRecordImage(int handle, int image)
{
    if (!HasFixedImages) {
        LOGIT::Assert(0, "this->HasFixedImages", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    int row = FindHandle(handle, false);
    if (row == -1) {
        AssertMissingRow(handle);
        return false;
    }
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image;
    return SendMessageA(hWnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

bool LISTVIEW::DeleteRecord(int handle)
{
    int row = FindHandle(handle, false);
    if (row == -1) {
        AssertMissingRow(handle);
        return false;
    }
    return SendMessageA(hWnd, LVM_DELETEITEM, static_cast<WPARAM>(row), 0) != 0;
}

void LISTVIEW::DeleteAllRecords()
{
    SendMessageA(hWnd, LVM_DELETEALLITEMS, 0, 0);
    if (!HasFixedImages && ImageList != nullptr)
        ImageList_RemoveAll(ImageList);
}

bool LISTVIEW::ReadRowText(int row, int column, STRING *text)
{
    char buffer[kTextBuffer] = "";
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kTextBuffer;
    if (row < 0 || !SendMessageA(hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    // The control may answer with a text of its own instead of the buffer.
    *text = STRING(item.pszText ? item.pszText : "", UNICODE_CPSYSTEM);
    text->SetNotNull();
    return true;
}

// ---- sorting ---------------------------------------------------------------------------------

void LISTVIEW::SetSortArrows(int column, int order)
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(hWnd, LVM_GETHEADER, 0, 0));
    if (header == nullptr || OSYS::GetOsVersionId() < 3)
        return;
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(SortColumn), reinterpret_cast<LPARAM>(&item))) {
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(SortColumn), reinterpret_cast<LPARAM>(&item));
    }
    item = HDITEMA();
    item.mask = HDI_FORMAT;
    if (SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) {
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        item.fmt |= order == 1 ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

bool LISTVIEW::SortByColumn(int order, int column, PFNLVCOMPARE compare, void *context)
{
    if (compare == nullptr) {
        LOGIT::Assert(0, "cmpfunc", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    SetSortArrows(column, order);
    SortOrder = order;
    SortColumn = column;
    LISTVIEW *target = context ? static_cast<LISTVIEW *>(context) : this;
    LPARAM sortContext = context ? reinterpret_cast<LPARAM>(context) : reinterpret_cast<LPARAM>(this);
    std::unique_ptr<std::unordered_map<LPARAM, SORTTEXTS>> table;
    if (compare == DefaultCompare && target->SortTable == nullptr) {
        // Every row's texts once, by handle: the first row of a handle, as FindHandle finds it.
        table.reset(new std::unordered_map<LPARAM, SORTTEXTS>());
        int rows = target->GetItemCount();
        table->reserve(static_cast<size_t>(rows));
        for (int row = 0; row < rows; ++row) {
            LVITEMA item = {};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            if (!SendMessageA(target->hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
                continue;
            if (table->count(item.lParam))
                continue;
            SORTTEXTS texts;
            if (!target->ReadRowText(row, target->SortColumn, &texts.Text))
                texts.Text = STRING("");
            texts.HasNext = target->ReadRowText(row, target->SortColumn + 1, &texts.Next);
            table->emplace(item.lParam, texts);
        }
        target->SortTable = table.get();
    }
    bool ok = SendMessageA(hWnd, LVM_SORTITEMS, static_cast<WPARAM>(sortContext), reinterpret_cast<LPARAM>(compare)) != 0;
    if (table)
        target->SortTable = nullptr;
    return ok;
}

void LISTVIEW::GetSortOrder(int *column, int *order)
{
    if (column)
        *column = SortColumn;
    if (order)
        *order = SortOrder;
}

int CALLBACK LISTVIEW::DefaultCompare(LPARAM handle1, LPARAM handle2, LPARAM context)
{
    LISTVIEW *list = reinterpret_cast<LISTVIEW *>(context);
    if (list == nullptr)
        return 0;
    if (list->SortTable != nullptr) {
        auto first = list->SortTable->find(handle1);
        auto second = list->SortTable->find(handle2);
        if (first != list->SortTable->end() && second != list->SortTable->end()) {
            const SORTTEXTS &a = first->second;
            const SORTTEXTS &b = second->second;
            return LISTVIEWTEXT::CompareRows(a.Text, b.Text, a.HasNext ? static_cast<const char *>(a.Next) : nullptr,
                                             b.HasNext ? static_cast<const char *>(b.Next) : nullptr, list->SortOrder);
        }
    }
    // Outside the list's own sort: both rows looked up and read now.
    int row1 = list->FindHandle(static_cast<int>(handle1), true);
    int row2 = list->FindHandle(static_cast<int>(handle2), true);
    STRING text1, text2, next1, next2;
    list->ReadRowText(row1, list->SortColumn, &text1);
    list->ReadRowText(row2, list->SortColumn, &text2);
    bool hasNext1 = list->ReadRowText(row1, list->SortColumn + 1, &next1);
    bool hasNext2 = list->ReadRowText(row2, list->SortColumn + 1, &next2);
    return LISTVIEWTEXT::CompareRows(text1.IsNull() ? "" : static_cast<const char *>(text1),
                                     text2.IsNull() ? "" : static_cast<const char *>(text2),
                                     hasNext1 ? static_cast<const char *>(next1) : nullptr,
                                     hasNext2 ? static_cast<const char *>(next2) : nullptr, list->SortOrder);
}

// ---- selection -------------------------------------------------------------------------------

bool LISTVIEW::SelectRecord(int handle, int mode)
{
    int row = FindHandle(handle, true);
    if (row == -1)
        return false;
    LVITEMA item = {};
    switch (mode) {
    case 0:
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        break;
    case 1:
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED;
        break;
    case 3:
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_FOCUSED;
        break;
    case 4:
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        break;
    default:
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        break;
    }
    return SendMessageA(hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

int LISTVIEW::GetSelectedHandle(int n)
{
    if (n < 0)
        return -1;
    int row = -1;
    for (int i = 0; i <= n; ++i) {
        row = static_cast<int>(SendMessageA(hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row == -1)
            return -1;
    }
    return GetHandle(row, false);
}

int LISTVIEW::GetFocusedHandle()
{
    int row = static_cast<int>(SendMessageA(hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    return row == -1 ? -1 : GetHandle(row, false);
}

int LISTVIEW::GetSelectedCount()
{
    return static_cast<int>(SendMessageA(hWnd, LVM_GETSELECTEDCOUNT, 0, 0));
}

void LISTVIEW::SelectAll()
{
    // Row -1 is the control's "every row".
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

bool LISTVIEW::EnsureVisible(int handle, bool partialOk)
{
    int row = FindHandle(handle, true);
    if (row == -1)
        return false;
    return SendMessageA(hWnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), partialOk ? TRUE : FALSE) != 0;
}

// ---- column widths in the registry -----------------------------------------------------------

bool LISTVIEW::StoreColumnWidth(const char *appKey, const char *name)
{
    int count = GetColumnCount();
    std::vector<int> widths(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        widths[static_cast<size_t>(i)] = GetColumnWidth(i);
    STRING text = LISTVIEWTEXT::ColumnWidthsText(widths.data(), count);
    REGISTRY key(appKey, "Software\\Orvak", REGISTRY::USER_CURRENT);
    bool ok = key.WriteString(name, text);
    LOGIT::Printf("LISTVIEW::StoreColumnWidth (%s) done, success=%d\n", static_cast<const char *>(text), ok ? 1 : 0);
    return ok;
}

bool LISTVIEW::RestoreColumnWidths(const char *appKey, const char *name)
{
    char text[LISTVIEWTEXT::COLUMNWIDTHS_BYTES] = "";
    unsigned long size = sizeof text;
    REGISTRY key(appKey, "Software\\Orvak", REGISTRY::USER_CURRENT);
    bool ok = key.Read(name, text, &size);
    if (ok) {
        // A value of another type need not end in a zero.
        text[size < sizeof text ? size : sizeof text - 1] = '\0';
        std::vector<int> widths = LISTVIEWTEXT::ParseColumnWidths(text);
        for (size_t i = 0; i < widths.size(); ++i) {
            if (widths[i] >= 0)
                SetColumnWidth(static_cast<int>(i), widths[i]);
        }
    } else {
        text[0] = '\0';
    }
    LOGIT::Printf("LISTVIEW::RestoreColumnWidths (%s) done, success=%d\n", text, ok ? 1 : 0);
    return ok;
}

// ---- the cursor and tool tips ------------------------------------------------------------------

int LISTVIEW::GetHandleAtCursor(int *column)
{
    if (column)
        *column = -1;
    POINT point;
    if (!GetCursorPos(&point) || !ScreenToClient(hWnd, &point))
        return -1;
    RECT client = GetClientRect();
    int count = GetItemCount();
    int top = static_cast<int>(SendMessageA(hWnd, LVM_GETTOPINDEX, 0, 0));
    for (int row = top < 0 ? 0 : top; row < count; ++row) {
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        if (!SendMessageA(hWnd, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds)))
            continue;
        if (point.x >= bounds.left && point.x <= bounds.right && point.y >= bounds.top && point.y <= bounds.bottom) {
            if (column) {
                // The columns start at the row's left edge, which scrolling moves left of the client.
                int columns = GetColumnCount();
                int sum = bounds.left;
                for (int i = 0; i < columns; ++i) {
                    sum += GetColumnWidth(i);
                    if (sum >= point.x) {
                        *column = i;
                        break;
                    }
                }
            }
            return GetHandle(row, false);
        }
        if (bounds.top > client.bottom)
            break;
    }
    return -1;
}

int LISTVIEW::EnableTooltips(int initialMs, int autoPopMs)
{
    if (ToolTip == nullptr)
        return 0;
    SetWindowPos(ToolTip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(hWnd);
    tool.uId = reinterpret_cast<UINT_PTR>(hWnd);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(ToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(ToolTip, TTM_ACTIVATE, TRUE, 0);
    SendMessageA(ToolTip, TTM_SETMAXTIPWIDTH, 0, 640);
    if (initialMs != -1)
        SendMessageA(ToolTip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(initialMs, 0));
    if (autoPopMs != -1)
        SendMessageA(ToolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(autoPopMs, 0));
    return 1;
}
