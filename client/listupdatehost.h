// LISTUPDATEHOST: everything the list updates (LISTUPDATE) need beyond the item lists and
// TARGETS: the settings, the language texts, the caller lookups and item texts, and every effect
// on the window (pop-up, tray, rows, sounds, programs, posted and sent messages).  APP implements
// it on Windows; the native tests and the fuzz target implement it with recorders, so that they
// run the real list code.  Portable.
//
// Threads: called on the remote-call threads, the logon thread and the archive thread, with the
// items lock of the list held (and TARGETS' lock inside it where LISTUPDATE says so).
#ifndef CLIENT_LISTUPDATEHOST_H
#define CLIENT_LISTUPDATEHOST_H

#include <cstdint>

#include "kestar/base/dynarray.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class ITEMVIEW;
struct POPUPREQUEST;

class LISTUPDATEHOST {
public:
    virtual ~LISTUPDATEHOST() = default;

    // The client setting name; empty when missing.
    virtual STRING GetSetting(const char *name) = 0;
    // Language text id.
    virtual STRING GetText(int id) = 0;
    // This client's name as jobs carry it in "OwnerClient": user "@" station.
    virtual STRING GetOwnClientName() = 0;

    // Call item defaults, handle and closed key table (APP::PrepareCallItem).
    virtual void PrepareCallItem(HASH &item) = 0;
    // Stores id as the last record id received from peer.
    virtual void SetPeerLastId(const char *peer, const char *id) = 0;
    // Saves "recentcalls.ini" (when the right allows it).
    virtual void SaveRecentCalls() = 0;
    // Queues a job for the worker thread by name ("QUEUED_FILLTREEVIEW").
    virtual void QueueJob(const char *name) = 0;
    // A remote call, as APP::DispatchFunction.
    virtual int DispatchFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                                 int waitMs) = 0;
    // A failed remote call (APP::ReportCommError with "COMM" and "NETWORK").
    virtual void ReportCommError(const char *text) = 0;

    // Where IdentifyCaller found the caller.
    enum CALLERSOURCE { CALLER_NONE = 0, CALLER_PRIMARY = 1, CALLER_MAPI = 2, CALLER_SECONDARY = 3 };
    // Identifies the caller of a call item (APP::IdentifyCaller: the phone book for every item,
    // then for items other than jobs MAPI and the secondary caller file); the source, with caller
    // = a copy of the record found and keyPosition as FindBestMatchNumber hands it out.
    virtual int IdentifyCaller(HASH &item, HASH &caller, STRING *keyPosition) = 0;

    // Item texts (APP::GetCallerFrontend, GetTargetFrontend, FillPopupString, BuildProgramCommandLine).
    virtual STRING GetCallerFrontend(HASH &item) = 0;
    virtual STRING GetTargetFrontend(HASH &item) = 0;
    // Fills the text, colours, position and blink of request for item (APP::FillPopupString);
    // the caller is request.Caller when request.HasCaller; target may be null; items is the list
    // of item, whose lock is held.
    virtual void FillPopupString(POPUPREQUEST &request, HASH &item, HASH *target, DYNARRAY<HASH> &items) = 0;
    // caller may be null.
    virtual STRING BuildProgramCommandLine(int targetIndex, HASH *caller, const char *canonical, const char *number,
                                           const char *type) = 0;

    // Effects.
    virtual void WakeupHarddisk() = 0;
    virtual void WakeupScreensaver() = 0;
    // Starts the notification sound thread with a copy of the tab-separated sound list.
    virtual void StartSound(const STRING &sounds) = 0;
    // Starts a program now (no wait), or keeps it for a click on the pop-up.
    virtual void StartProgram(const STRING &commandLine) = 0;
    virtual void SetClickProgram(const STRING &commandLine) = 0;
    virtual void SetTrayTooltip(const STRING &text) = 0;
    virtual int GetTrayIcon() = 0;
    virtual void SetTrayIcon(int iconId) = 0;
    // 1 when the main window is on screen (shown and not minimised).
    virtual int IsWindowOnScreen() = 0;
    // Posts message 1025 with request; the window owns it from here on (also when the post fails).
    virtual void PostPopupRequest(POPUPREQUEST *request) = 0;
    virtual void PostWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
    // Sends (and waits for) a message to the window.
    virtual void SendWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
    // The call of the open pop-up changed: under the pop-up lock, when a pop-up is open, update it
    // and (seconds not -1) close it after seconds.
    virtual void UpdatePopup(HASH &item, int seconds) = 0;
    virtual void DoScrollLockBlinking(int on) = 0;
    virtual int PrintFaxSendingReport(HASH &item, int withDialog) = 0;
    virtual int AppendCallLog(const char *file, int csv, HASH &item) = 0;
    virtual void SetStatusText(const STRING &text) = 0;
    // Resets the search bar after the archive fill (enables its search button again).
    virtual void ResetSearchBar() = 0;

    // Rows of view (ITEMVIEW's operations with their arguments); the items lock is held.
    virtual void ItemToListview(ITEMVIEW &view, int index, int insert, int queueTreeRefresh, int postSort,
                                int showAfterSort) = 0;
    // Removes the row of the item with that handle (the item has left the list).
    virtual void RemoveRow(ITEMVIEW &view, uint32_t handle) = 0;
    virtual void ClearListview(ITEMVIEW &view) = 0;
    virtual void FillListview(ITEMVIEW &view) = 0;
    virtual void AutoWidthListview(ITEMVIEW &view) = 0;
};

#endif
