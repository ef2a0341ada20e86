// MAPICLASS: read access to the user's MAPI address books (the contact folders of the mail
// program's message stores), for caller identification and phone-book offers.  The MAPI library
// is loaded at run time; a computer without MAPI, or without a profile to log on to, gives an
// object that is not up and running, which callers test first.  Windows only.
//
// Threads: no locks; the owner creates, refreshes and deletes it on one thread and does not query
// it while it is being rebuilt.
#ifndef KESTAR_MAPICLASS_H
#define KESTAR_MAPICLASS_H

#include "kestar/base/binary.h"
#include "kestar/base/dynarray.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

// One message store of the profile.
struct MAPICLASS_STORE {
    STRING Name;      // display name
    BINARY EntryId;   // the store's entry id
    int IsDefault = 0; // the store's resource flags say "default store"
};

// One contact or mail folder.
struct MAPICLASS_FOLDER {
    int StoreIndex = -1; // index of its message store
    STRING DisplayPath;  // the names of its parents and its own, joined by " > "
    STRING SlashPath;    // the same joined by "/"
    BINARY EntryId;      // the folder's (long) entry id
};

class MAPICLASS {
public:
    // Loads "MAPI32", binds its entry points, initialises MAPI and logs on to the default profile
    // (with noMail, without the mail spooler) and reads the list of message stores.  Every failure
    // is logged and leaves the object not up and running.  The current folder is kept.
    explicit MAPICLASS(int noMail = 0);
    // Releases the store table and the session, uninitialises MAPI and frees the library.
    virtual ~MAPICLASS();
    MAPICLASS(const MAPICLASS &) = delete;
    MAPICLASS &operator=(const MAPICLASS &) = delete;

    // Non-zero when construction got through to the list of message stores.  Every operation
    // below asserts it (and does nothing without it).
    int IsUpAndRunning() const { return UpAndRunning; }

    int GetNumMessageStores();
    // The store's display name; empty for a bad index (an assertion failure).
    STRING GetMessageStoreName(int idx);
    // 1 and id = the store's entry id; 0 for a bad index (assertion failure), id unchanged.
    int GetMessageStoreId(int idx, BINARY &id);
    // 1 and id = the default store's entry id; 0 when no store is the default, id unchanged.
    int GetDefaultMessageStoreId(BINARY &id);

    // Rebuilds the lists of address books (folders of class "IPF.Contact") and mail folders
    // ("IPF.Note") from the folder trees of every message store, or of the default store alone.
    // Walks depth first in table order; a folder that contains itself is not walked twice.
    // Returns the number of address books.
    int QueryAllAddressBooks(int defaultStoreOnly);

    int GetNumAddressBooks();
    // The display path, two blanks and the store's name in parentheses; empty for a bad index
    // (an assertion failure).
    STRING GetAddressBookName(int idx);
    // 1 and id = the folder's entry id; 0 for a bad index (assertion failure), id unchanged.
    int GetAddressBookId(int idx, BINARY &id);
    int GetNumMailFolders();
    // As GetAddressBookName, for the mail folders.
    STRING GetMailFolderName(int idx);

    // Appends one caller record (see MAPICONTACT) per contact of address book idx to list; with a
    // number text, only the contacts whose business fax, mobile, business or home number contains
    // it.  Returns how many records it appended (the count so far when a step fails).
    int GetSelAdrBookEntries(int idx, HASHLIST &list, const char *number = nullptr);

private:
    struct API;                                 // the library, entry points, session, store table
    struct WALK;                                // one level of the folder walk

    bool Load(int noMail);
    void WalkStore(void *store, int storeIndex); // IMsgStore*, borrowed
    // Appends the contacts of book (in store, an IMsgStore*, borrowed); how many it appended.
    int ReadContacts(void *store, const MAPICLASS_FOLDER &book, HASHLIST &list, const char *number);
    STRING FolderName(MAPICLASS_FOLDER *folder);

    API *Api;                                   // owned
    int UpAndRunning;
    DYNARRAY<MAPICLASS_STORE> MessageStores;
    DYNARRAY<MAPICLASS_FOLDER> AddressBooks;
    DYNARRAY<MAPICLASS_FOLDER> MailFolders;
};

#endif
