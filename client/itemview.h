// ITEMVIEW: one list of call items (calls, messages, faxes, jobs) of the main window; APP has one
// for the current list and one for the archive.  This is its item store: the records in arrival
// order under the items lock, found by handle.  The rows of the list control are made from them
// by the row operations, which do nothing until the main window builds the control.  Portable.
//
// Threads: remote-call threads, the worker thread, the archive thread and the window thread all
// work on Items.  Whoever walks the list by count and index, or keeps a record pointer, holds the
// items lock (LockItems / UnlockItems) meanwhile.  Lock order: the items lock first, then the row
// lock of the list control, then the lock of TARGETS.
#ifndef CLIENT_ITEMVIEW_H
#define CLIENT_ITEMVIEW_H

#include <cstdint>

#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class APP;
class WINDOW;

class ITEMVIEW {
public:
    // A filter argument that stands for the setting ("FilterType", "FilterTarget"); null or "*"
    // stand for no filter.
    static constexpr const char *FILTER_SETTING = "-1";

    // owner and parent are borrowed (either may be null in tests) and must outlive the view;
    // controlId is the list control's id (2002 for the current list, 2003 for the archive).
    ITEMVIEW(APP *owner, WINDOW *parent, int controlId);
    ~ITEMVIEW();
    ITEMVIEW(const ITEMVIEW &) = delete;
    ITEMVIEW &operator=(const ITEMVIEW &) = delete;

    // Takes the items lock without limit and returns the items; the caller releases it with
    // UnlockItems.  Re-entrant for the holding thread.
    HASHLIST &LockItems();
    void UnlockItems();

    // The index in Items of the record with that handle, or -1; with mustFind, -1 is the
    // assertion failure "!mustfind || idx!=-1".  Takes no lock: the caller holds the items lock.
    int FindItemIdx(uint32_t handle, int mustFind);
    // The record with that handle (borrowed: valid while the caller holds the items lock), or
    // null; mustFind as for FindItemIdx.
    HASH *GetItem(uint32_t handle, int mustFind = 0);
    // The number of "MESSAGE" and "FAX" items whose "MsgSeen" is not set.  The caller holds the
    // items lock.
    int GetNumberOfUnreadMsgs();

    // The rows of the list control.  Declared with their final arguments; they do nothing until
    // the main window has its list control.
    // Inserts, updates or removes the row of item index (the caller holds the items lock).
    void ItemToListview(int index, int insert, int queueTreeRefresh, int postSort, int showAfterSort,
                        const char *typeFilter, const char *targetFilter);
    // Deletes all rows.
    void ClearListview();
    // Rebuilds the rows from all items that pass the filters.
    void FillListview(const char *typeFilter, const char *targetFilter);
    // Sizes the columns to their contents (autoWidth) and hides the status column (hideStatus).
    void AutoWidthListview(int autoWidth, int hideStatus);

    // The call item records, in arrival order; guarded by their own lock (LockItems).
    HASHLIST Items;
    // The list control's id, and the registry value name of its column widths
    // ("ListviewColWidths" followed by the id).
    const int ControlId;
    const STRING ColumnWidthName;
    APP *const Owner;     // borrowed: settings and filters of the rows
    WINDOW *const Parent; // borrowed: the window of the list control
};

#endif
