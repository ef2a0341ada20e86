// LISTUPDATE: the server's "UPDATELISTVIEW" applied to the lists of calls and messages: a new call
// is identified, stored and announced (pop-up, sound, programs, tray), a changed one updates the
// pop-up, the tray and the unread state, deleted and archived ones leave the current list, and
// the archive list is filled from the server on request.  APP's UpdateListview... operations
// are these; everything outside the lists goes through LISTUPDATEHOST.  Portable.
//
// Threads: runs on the remote-call threads (several at once), the logon thread and the archive
// thread.  Each operation holds the items lock of its list for its whole run; TARGETS' lock is
// taken inside it (items lock first, then TARGETS).  ArchiveStop is written by the window thread
// (the please-wait dialog's Cancel, the clean-up) and polled by the archive thread.
#ifndef CLIENT_LISTUPDATE_H
#define CLIENT_LISTUPDATE_H

#include <atomic>
#include <cstdint>

#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class ITEMVIEW;
class LISTUPDATEHOST;
class TARGETS;

class LISTUPDATE {
public:
    // All borrowed; they must outlive this object.
    LISTUPDATE(LISTUPDATEHOST &host, ITEMVIEW &current, ITEMVIEW &archive, TARGETS &targets);
    LISTUPDATE(const LISTUPDATE &) = delete;
    LISTUPDATE &operator=(const LISTUPDATE &) = delete;

    // Runs one "UPDATELISTVIEW" by its "Action": "CREATE" ("Item", "Id", "Sender"), "CHANGE"
    // ("Item", "Id"), "MULTICHANGE" ("Items", each record changed with its own handle), "DELETE"
    // ("Id", handles joined by "|"), "ARCHIVE" ("State", "Id").  "Id" defaults to "0".  Another
    // action is an assertion failure.  The command has no result.
    void Handle(HASH &params);

    // Appends item (a copy, prepared as a call item) to view under the handle id (0: the item's
    // own handle).  sender: the peer whose last id becomes id, or null.  quiet: 1 for items of the
    // logon and of the archive fill, which are neither announced nor shown nor saved one by one
    // (their batch saves once and fills the view).  The item's index in view.
    int Create(ITEMVIEW &view, HASH &item, uint32_t id, const char *sender, int quiet);
    // Copies newItem (whose handle must be id) into the stored item of the current list.  An id
    // not in the list is skipped for a live update and created quietly for the logon merge
    // (quiet 1).  1 when an item was changed or created.
    int Change(HASH &newItem, uint32_t id, int quiet);
    // Removes the items of the "|"-separated handles from the current list; unknown ones are skipped.
    void Delete(const char *ids);
    // state must be "1" (assertion otherwise); then as Delete.
    void Archive(const char *state, const char *ids);
    // Removes item index of view and its row; a bad index is an assertion failure and nothing
    // happens.  The caller holds the items lock.
    void RemoveItem(ITEMVIEW &view, int index);
    // The archive thread's work: "GETITEMS" with "ExecSql" = query, the items into the archive
    // list until ArchiveStop is set, and the please-wait messages 1033, 1035 and 1034.
    void FillArchive(const char *query);

    // The waits, set by tests: the result of the archive's "GETITEMS" (300000 ms), and the pause
    // from the end of the Scroll Lock blinking to the light switched off (1000 ms).
    static std::atomic<int> ArchiveWaitMs;
    static std::atomic<int> ScrollLockOffMs;

    // Set to stop the archive fill early; cleared when the fill ends.
    volatile int ArchiveStop = 0;

    // "NumberOfEntries" as a list limit: below 1, or not a number, counts as 1.
    static int EntriesLimit(const STRING &text);
    // "FAXCALL", "FAXPOLL", "SMSCALL", "MAILCALL".
    static bool IsJobType(const STRING &type);
    // Whether a call that leaves "RINGING" for status was not answered: the first word of the
    // status (cut at a blank or "|") is "DROPPED", or the status is "IGNORED", "REJECTED_HARD" or
    // "REJECTED_SOFT" (case ignored).
    static bool IsHangupStatus(const STRING &status);
    // A handle from its decimal text; 0 for anything else.
    static uint32_t ParseId(const STRING &text);

private:
    void RemoveItems(const char *ids);

    LISTUPDATEHOST &Host;
    ITEMVIEW &Current;
    ITEMVIEW &ArchiveView;
    TARGETS &Targets;
};

#endif
