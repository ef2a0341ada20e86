// TREEVIEW: a tree whose items callers know only by an integer id of their choosing (the item's
// data).  Every operation finds its item by id with a depth-first search.  Items can be inserted
// in sorted order; icons come from a fixed image list.  Windows only.
//
// Threads: one process-wide re-entrant lock serialises the searches and every operation built on
// them (it is held for the search and the change that follows), so a worker thread may search or
// fill a tree while the window thread changes it.  On the thread that owns the tree window the
// wait for the lock keeps serving sent messages, so a worker that holds the lock while it sends
// the tree messages cannot deadlock that thread.  The Win32 calls run on the calling thread.
#ifndef KESTAR_WINDOWING_TREEVIEW_H
#define KESTAR_WINDOWING_TREEVIEW_H

#include "kestar/base/string.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/control.h"

#include <commctrl.h>

class MUTEXSEM;

class TREEVIEW : public CONTROL {
public:
    // A "SysTreeView32" child of parent with style (WS_CHILD added), owned; no image list.
    TREEVIEW(DWORD style, int x, int y, int width, int height, HWND parent, int id);
    // Destroys the control and then its image list (a tree never frees its image list itself).
    ~TREEVIEW() override;
    TREEVIEW(const TREEVIEW &) = delete;
    TREEVIEW &operator=(const TREEVIEW &) = delete;

    // Sets the sorted flag and the tree styles (buttons, lines, no drag and drop, selection
    // always shown).  With cx and cy not 0 a masked image list of cx by cy becomes the normal
    // image list, and the icons iconIds[0..count-1] of the language module (else the program) are
    // appended (assertions "imgids", "imageisicon").  Marks the tree as having fixed images.
    bool SetImages(int cx, int cy, const int *iconIds, int count, bool areIcons, bool sorted);

    // The item with id, searched depth-first from start's sibling chain (null: from the first
    // root item); null when the id is not in the tree.
    HTREEITEM FindItem(int id, HTREEITEM start = nullptr);
    // Insert at the top level; image -1 for none.  The new item, null on failure (assertion "h").
    HTREEITEM InsertRootItem(int id, int image, const WSTRING &text);
    HTREEITEM InsertRootItem(int id, int image, const char *text);
    // Insert under the item parentId, which is marked expanded.  A missing parent raises
    // "hitem" once and the item goes to the top level.
    HTREEITEM InsertChildItem(int id, int parentId, int image, const WSTRING &text);
    HTREEITEM InsertChildItem(int id, int parentId, int image, const char *text);
    // New text; in a sorted tree the item's siblings are sorted again when it has a parent.
    bool SetItemText(int id, const WSTRING &text);
    bool SetItemText(int id, const char *text);
    // Image and selected image; needs fixed images (assertion "this->HasFixedImages").
    bool SetItemImage(int id, int image);
    // Sets or clears the expanded state bit only (the branch is not opened or closed).
    bool SetExpandedState(int id, bool on);
    // Deletes the item and its children; nothing when the id is missing.
    bool DeleteItem(int id);
    void DeleteAllItems();
    bool SelectItem(int id);
    // The caret item's id, -1 when none.
    int GetSelectedId();
    // The id of the item whose icon, label or state icon is under the cursor, -1 when none.
    int GetIdAtCursor();
    // Writes every item's id depth-first (an item, its children, then its next sibling) into
    // ids[first..] and a -1 after the last, never at or past ids[capacity]: when only the slot
    // for the -1 is left the walk stops.  Returns the index of the -1 (with first 0, the count);
    // -1, nothing written, when there is no room for the -1.
    int GetAllItemIds(int *ids, int first, int capacity);

    // The process-wide lock of the searches (created on first use, destroyed at exit).
    static MUTEXSEM &SearchLock();

    HIMAGELIST ImageList; // owned: the normal image list, or null
    int HasFixedImages;   // SetImages ran
    int Sorted;           // insert with TVI_SORT and sort siblings again after a text change

private:
    // Holds the search lock for a scope (see the class comment).
    class LOCK {
    public:
        explicit LOCK(HWND tree);
        ~LOCK();
        LOCK(const LOCK &) = delete;
        LOCK &operator=(const LOCK &) = delete;

    private:
        bool held;
    };

    HTREEITEM Search(int id, HTREEITEM item);
    HTREEITEM Insert(HTREEITEM parent, int id, int image, const WSTRING &text);
    HTREEITEM MustFind(int id);
    int ItemId(HTREEITEM item);
    void SetExpanded(HTREEITEM item, bool on);
};

#endif
