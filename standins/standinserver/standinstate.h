// STANDINSTATE, the data of the stand-in phone server: callers, targets, users, call items,
// options, hardware flags, the SMS provider file and the message files.  The data set is copied
// from its folder into a working folder first, so the data set itself is never written; every
// change is saved there at once.  Portable (tested natively too).
//
// Threads: the server's call threads and its push thread use it at once; one lock guards every
// list and record below.  Handlers take copies and never hold the lock across a remote call.
#ifndef STANDINS_STANDINSERVER_STANDINSTATE_H
#define STANDINS_STANDINSERVER_STANDINSTATE_H

#include <cstdint>

#include "kestar/base/critsect.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class STANDINSTATE {
public:
    STANDINSTATE();
    STANDINSTATE(const STANDINSTATE &) = delete;
    STANDINSTATE &operator=(const STANDINSTATE &) = delete;

    // Copies the data set dataFolder into stateFolder (created as needed; files already there are
    // kept, so a working folder can be used again), loads it, adds generatedCalls calls and shifts
    // the call times so that the newest is just before now.  false, with reason set, when a file
    // of the data set is missing or unreadable.
    bool Open(const char *dataFolder, const char *stateFolder, int generatedCalls, int64_t now, STRING &reason);
    const STRING &Folder() const { return StateFolder; }

    // A file name from a client, relative to the working folder (".\messages\x.wav",
    // "smsprovider.ini"): true with the full path when it stays inside the working folder; false
    // for "..", drive letters, absolute and UNC paths.
    bool ResolveClientFile(const char *name, STRING &path) const;
    // The same rules, without a folder: true when name may be served.
    static bool IsSafeClientName(const char *name);

    // Copies of the lists and records (taken under the lock).
    HASHLIST Callers();
    HASHLIST Targets();
    HASHLIST Users();
    HASH Options();
    HASH Hardware();

    // Replaces a list or the options and saves it; false when saving failed (the new content is
    // kept in memory).
    bool SetCallers(const HASHLIST &list);
    bool SetTargets(const HASHLIST &list);
    bool SetUsers(const HASHLIST &list);
    bool SetOptions(const HASH &options);
    // Adds one caller; saves.
    bool AddCaller(const HASH &caller);
    // Replaces the target with the same "Number" (or appends it with a new handle); saves.
    bool SaveOneTarget(const HASH &target);
    // The target whose "Number" equals number (ignoring case); false when none.
    bool FindTarget(const char *number, HASH &out);
    // The first caller one of whose numbers is the same number as number (blanks, "/", "-", "(",
    // ")" ignored, "+" read as "00", the national form equal to the international one).
    bool FindCaller(const char *number, HASH &out);
    // Sets the forwarding of a target (type "UNCONDITIONAL", "BUSY", "NOREPLY"; mode "ACTIVATE"
    // or "DEACTIVATE"); false for an unknown target or type.
    bool SetForwarding(const char *number, const char *type, const char *mode, const char *dest, HASH &target);

    // The user record for a client name "user@station": the record named so, or the user part,
    // ignoring case, else the "*" record.  false when none.
    bool FindUser(const char *from, HASH &out);
    // True the first time a user name logs on (remembered in the working folder).
    bool FirstLogon(const char *userName);

    // Call items.  Not archived items with an id of at least firstId, the newest maxNumber of
    // them (maxNumber <= 0: all), in ascending order; or (archived) every archived item.
    HASHLIST Items(int maxNumber, uint32_t firstId, bool archived);
    bool GetItem(uint32_t id, HASH &out);
    // Appends an item with a new id, which is returned (0 when saving failed; the item stays).
    uint32_t AddItem(HASH &item);
    // Sets name to value in item id; false for an unknown id.  The changed record in out.
    bool SetItemValue(uint32_t id, const char *name, const char *value, HASH &out);
    bool SetItemValues(uint32_t id, const HASH &values, HASH &out);
    // Removes the items whose ids are given; returns how many there were.
    int DeleteItems(const STRINGARRAY &ids);

    // Writes data as a file below the working folder's "messages" folder with a free name
    // beginning with prefix; the relative name (".\messages\...") or empty on failure.
    STRING StoreMessageFile(const char *prefix, const char *extension, const STRING &data);

    // The digits of a phone number as it is compared: without blanks, "/", "-", "(", ")", and
    // with "+" as "00"; a number in international form of the own country as the national one.
    static STRING CanonicalNumber(const char *number, const char *country);

private:
    bool SaveList(HASHLIST &list, const char *name);
    void GenerateCalls(int count, int64_t now);
    void ShiftTimes(int64_t now);
    STRING Path(const char *name) const;

    STRING StateFolder;   // set by Open only
    HASHLIST callers;
    HASHLIST targets;
    HASHLIST users;
    HASHLIST items;
    HASH options;
    HASH hardware;
    HASH logons;
    CRITSECT lock;
};

#endif
