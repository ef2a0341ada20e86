// LISTVIEW: the report-style list of the program.  Every row ("record") is known by an integer
// handle that the caller chooses (the row's item data), and its text is one tab-separated line,
// one field per column; callers never keep row indexes.  Column widths are stored in the registry
// as one "|"-separated text.  Rows sort by a column with a compare function; DefaultCompare
// orders by the column's text ignoring case, then by the next column.  Windows only; the text
// rules are in listviewtext.h.
//
// An operation on a handle that must be in the list and is not raises an assertion and does
// nothing (it never acts on row -1, which the control reads as "every row").
#ifndef KESTAR_WINDOWING_LISTVIEW_H
#define KESTAR_WINDOWING_LISTVIEW_H

#include "kestar/base/string.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/control.h"

#include <commctrl.h>

#include <unordered_map>
#include <vector>

class LISTVIEW : public CONTROL {
public:
    // A "SysListView32" child of parent with style + WS_CHILD | WS_TABSTOP | LVS_REPORT |
    // LVS_SHOWSELALWAYS, owned.  On failure hWnd stays null (assertion "this->hWnd").
    LISTVIEW(DWORD style, int x, int y, int width, int height, HWND parent, int id, DWORD exStyle);
    // The same control in place of the placeholder item placeholderId of parent, with
    // WS_EX_CLIENTEDGE added (see CONTROL::ReplaceDialogItem).
    LISTVIEW(HWND parent, int id, DWORD style, int placeholderId, DWORD exStyle);
    // Destroys the control, which frees its image lists.
    ~LISTVIEW() override;
    LISTVIEW(const LISTVIEW &) = delete;
    LISTVIEW &operator=(const LISTVIEW &) = delete;

    int GetItemCount();
    // The row of handle, -1 when missing (with mustFind: assertion "!mustfind || rc!=-1").
    int FindHandle(int handle, bool mustFind);
    // The handle of row, -1 when there is no such row (with mustFind: assertion "!mustfind || ok").
    int GetHandle(int row, bool mustFind);
    // The record's image index; -1 when the record is missing (assertion "n!=-1").
    int GetRecordImage(int handle);

    // A masked image list of cx by cy becomes the small image list (report style kept); with
    // count > 0, the icons iconIds[0..count-1] of module (null: the language module, else the
    // program) are appended in order.  Icons are required (assertions "imgids", "imageisicon",
    // "hicon"; an icon that cannot be loaded is left out).  Marks the list as having fixed images.
    bool SetImages(int cx, int cy, const int *iconIds, int count, bool areIcons, HMODULE module = nullptr);
    void SetMultiSelect(bool on);
    void ShowHeader(bool on);
    void SetClientEdge(bool on);
    void AddExtendedStyle(DWORD bits);
    // Only on is supported (off: assertion "FALSE", nothing changes).
    void SetFullRowSelect(bool on);

    // Inserts a column; its index, -1 on failure.  format: LVCFMT_LEFT, LVCFMT_RIGHT, ...
    int InsertColumn(int index, const WSTRING &title, int width, int format);
    // The same with an 8-bit title (system code page); without a format, left-aligned.
    int InsertColumnText(int index, const char *title, int width, int format = LVCFMT_LEFT);
    int GetColumnCount();
    int GetColumnWidth(int column);
    bool SetColumnWidth(int column, int width);
    // Sizes column (-1: every column) to its header (byHeader) or to its content.
    void AutoSizeColumns(int column, bool byHeader);

    // Appends a row for handle: field 0 of text (with image unless -1), then field i in column i
    // up to the first empty field, each cut to 511 characters.  The row index; -1 when the row
    // could not be made (assertion "rc!=-1"; no field goes to another row).
    int InsertRecord(int handle, int image, const WSTRING &text);
    // The same with 8-bit text (system code page).
    int InsertRecordText(int handle, int image, const char *text);
    // One column's text, cut to 511 characters; false when the record is missing ("n!=-1").
    bool SetRecordText(int handle, int column, const WSTRING &text);
    bool SetRecordText(int handle, int column, const char *text);
    // One column's text (at most 511 characters); empty when the record is missing.
    WSTRING GetRecordText(int handle, int column);
    STRING GetRecordString(int handle, int column);
    // Needs fixed images (assertion "this->HasFixedImages") and the record ("n!=-1").
    bool SetRecordImage(int handle, int image);
    bool DeleteRecord(int handle);
    // Without fixed images the small image list is emptied too.
    void DeleteAllRecords();

    // Sorts by column: the header arrow moves there (down for order 1, up otherwise; version id
    // 3 and up), column and order are remembered, and the rows are sorted with compare and
    // context (null: this list).  Order 1 means descending for DefaultCompare.
    bool SortByColumn(int order, int column, PFNLVCOMPARE compare, void *context);
    // The remembered column and order (either pointer may be null).
    void GetSortOrder(int *column, int *order);
    // The default compare; context is the LISTVIEW.  During its own SortByColumn the list reads
    // every row's texts once beforehand instead of twice per comparison.
    static int CALLBACK DefaultCompare(LPARAM handle1, LPARAM handle2, LPARAM context);

    // mode 0 clears selection and focus, 1 selects and unfocuses, 3 focuses and deselects, 4
    // selects and focuses, any other value selects and leaves the focus.  False when missing.
    bool SelectRecord(int handle, int mode);
    // The handle of the n-th selected row (n from 0) in row order; -1 when fewer are selected.
    int GetSelectedHandle(int n);
    // The handle of the first focused row; -1 when none.
    int GetFocusedHandle();
    int GetSelectedCount();
    void SelectAll();
    bool EnsureVisible(int handle, bool partialOk);

    // The widths of all columns as "120|80|200" in the string value name of HKEY_CURRENT_USER
    // "Software\Orvak\" + appKey.  The write's result.
    bool StoreColumnWidth(const char *appKey, const char *name);
    // Reads that value (at most 64 bytes) and sets the width of column i to field i.  False,
    // widths unchanged, when the value cannot be read.
    bool RestoreColumnWidths(const char *appKey, const char *name);

    // The handle of the row under the cursor, -1 when none; *column (may be null) the column
    // under it, -1 when none.
    int GetHandleAtCursor(int *column);
    // A tool over the whole list whose text the owner (the list's parent) gives through OnNotify
    // with code -520; delays in ms, -1 leaves one as it is.  0 when the list has no tool-tip
    // control, else 1.
    int EnableTooltips(int initialMs, int autoPopMs);

    int SortOrder;        // 1 descending, else ascending
    int SortColumn;
    int HasFixedImages;   // SetImages ran
    HWND ToolTip;         // the list's own tool-tip control, not owned
    HIMAGELIST ImageList; // the small image list; the control owns it

private:
    void Init();
    bool SetItemText(int row, int column, const WSTRING &text);
    // The text of row and column as 8-bit text (system code page); false when it cannot be read.
    bool ReadRowText(int row, int column, STRING *text);
    void SetSortArrows(int column, int order);

    // The texts DefaultCompare needs, by handle, read once while SortByColumn runs.
    struct SORTTEXTS {
        STRING Text, Next;
        bool HasNext;
    };
    std::unordered_map<LPARAM, SORTTEXTS> *SortTable = nullptr; // owned while sorting, else null
};

#endif
