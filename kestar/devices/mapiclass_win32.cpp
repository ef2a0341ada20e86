// MAPICLASS on the MAPI library loaded at run time.  MAPI moves the current folder while it logs
// on and opens stores, so every public step that calls it puts the folder back afterwards.
//
// Everything MAPI hands out is given back on every path: interfaces through COMREF, buffers
// through MAPIBUFFER and row sets through ROWS.  The folder walk keeps its levels on the heap (the
// program's threads have small stacks) and refuses to enter a folder that is already on the path,
// so a store whose tree loops cannot make it run for ever.
#include "kestar/devices/mapiclass.h"

#include "kestar/base/dllinterface.h"
#include "kestar/base/logit.h"
#include "kestar/devices/mapicontact.h"

#include <windows.h>
#include <mapix.h>
#include <mapiutil.h>

#include <cstring>
#include <new>
#include <vector>

namespace {

typedef HRESULT(WINAPI *PFN_MAPIINITIALIZE)(LPVOID);
typedef void(WINAPI *PFN_MAPIUNINITIALIZE)();
typedef HRESULT(WINAPI *PFN_MAPILOGONEX)(ULONG_PTR, LPSTR, LPSTR, ULONG, LPMAPISESSION *);
typedef void(WINAPI *PFN_FREEPROWS)(LPSRowSet);
typedef HRESULT(WINAPI *PFN_HRQUERYALLROWS)(LPMAPITABLE, LPSPropTagArray, LPSRestriction, LPSSortOrderSet, LONG,
                                            LPSRowSet *);
typedef ULONG(WINAPI *PFN_MAPIFREEBUFFER)(LPVOID);
typedef HRESULT(WINAPI *PFN_HRGETONEPROP)(LPMAPIPROP, ULONG, LPSPropValue *);

// The entry points in the order of API::Entry, by the names the library exports.  Where the
// library of an architecture exports only the plain name, that is taken instead.
const char *const kEntryNames[] = {
    "MAPIInitialize",      "MAPIUninitialize",   "MAPILogonEx",         "HrAllocAdviseSink@12",
    "FreeProws@4",         "HrQueryAllRows@24",  "MAPIAllocateBuffer@8", "MAPIFreeBuffer@4",
    "HrGetOneProp@12",     "WrapCompressedRTFStream@12",
};
enum {
    E_MAPIINITIALIZE,
    E_MAPIUNINITIALIZE,
    E_MAPILOGONEX,
    E_HRALLOCADVISESINK,
    E_FREEPROWS,
    E_HRQUERYALLROWS,
    E_MAPIALLOCATEBUFFER,
    E_MAPIFREEBUFFER,
    E_HRGETONEPROP,
    E_WRAPCOMPRESSEDRTFSTREAM,
    E_COUNT
};
static_assert(sizeof(kEntryNames) / sizeof(kEntryNames[0]) == E_COUNT, "one name per entry point");

// Deeper folder trees than this are not walked further.
const int kMaxFolderDepth = 64;

// Puts the current folder back when the scope ends.
class CURRENTFOLDER {
public:
    CURRENTFOLDER()
    {
        DWORD n = GetCurrentDirectoryA(0, nullptr);
        if (n > 0) {
            saved.Make(static_cast<STRING_SIZE_T>(n));
            DWORD got = GetCurrentDirectoryA(n, saved.Buffer);
            if (got == 0 || got >= n)
                saved = STRING();
            else
                saved.Truncate(static_cast<STRING_SIZE_T>(got));
        }
    }
    ~CURRENTFOLDER()
    {
        if (saved.NotEmpty() && !SetCurrentDirectoryA(saved))
            LOGIT::Printf("MAPICLASS SetCurrentDirectoryA(%s) failed: %lu\n", static_cast<const char *>(saved),
                          GetLastError());
    }
    CURRENTFOLDER(const CURRENTFOLDER &) = delete;
    CURRENTFOLDER &operator=(const CURRENTFOLDER &) = delete;

private:
    STRING saved;
};

// Holds one reference of a MAPI interface.
template <class T> class COMREF {
public:
    COMREF() = default;
    explicit COMREF(T *p) : p(p) {}
    ~COMREF() { Reset(); }
    COMREF(const COMREF &) = delete;
    COMREF &operator=(const COMREF &) = delete;
    COMREF(COMREF &&other) noexcept : p(other.p) { other.p = nullptr; }
    COMREF &operator=(COMREF &&other) noexcept
    {
        if (this != &other) {
            Reset();
            p = other.p;
            other.p = nullptr;
        }
        return *this;
    }
    void Reset()
    {
        if (p)
            p->Release();
        p = nullptr;
    }
    T *Get() const { return p; }
    T *operator->() const { return p; }
    T **Out()
    {
        Reset();
        return &p;
    }

private:
    T *p = nullptr;
};

// A row set, given back through FreeProws.
class ROWS {
public:
    explicit ROWS(PFN_FREEPROWS freeRows) : freeRows(freeRows) {}
    ~ROWS() { Reset(); }
    ROWS(const ROWS &) = delete;
    ROWS &operator=(const ROWS &) = delete;
    ROWS(ROWS &&other) noexcept : freeRows(other.freeRows), rows(other.rows) { other.rows = nullptr; }
    void Reset()
    {
        if (rows)
            freeRows(rows);
        rows = nullptr;
    }
    LPSRowSet Get() const { return rows; }
    ULONG Count() const { return rows ? rows->cRows : 0; }
    LPSRowSet *Out()
    {
        Reset();
        return &rows;
    }

private:
    PFN_FREEPROWS freeRows;
    LPSRowSet rows = nullptr;
};

// A buffer of MAPI's allocator, given back through MAPIFreeBuffer.
template <class T> class MAPIBUFFER {
public:
    explicit MAPIBUFFER(PFN_MAPIFREEBUFFER freeBuffer) : freeBuffer(freeBuffer) {}
    ~MAPIBUFFER() { Reset(); }
    MAPIBUFFER(const MAPIBUFFER &) = delete;
    MAPIBUFFER &operator=(const MAPIBUFFER &) = delete;
    void Reset()
    {
        if (p)
            freeBuffer(p);
        p = nullptr;
    }
    T *Get() const { return p; }
    T **Out()
    {
        Reset();
        return &p;
    }

private:
    PFN_MAPIFREEBUFFER freeBuffer;
    T *p = nullptr;
};

// The text of a string column, or null when the row lacks the property.
const char *TextOf(const SPropValue &value, ULONG tag)
{
    if (value.ulPropTag != tag || value.Value.lpszA == nullptr)
        return nullptr;
    return value.Value.lpszA;
}

// The value of a column by its tag, or null when the row lacks it (MAPI then puts an error value
// in its place; the column order is not relied on).
const SPropValue *Column(const SRow &row, ULONG tag)
{
    for (ULONG i = 0; i < row.cValues; ++i) {
        if (row.lpProps && row.lpProps[i].ulPropTag == tag)
            return &row.lpProps[i];
    }
    return nullptr;
}

const char *ColumnText(const SRow &row, ULONG tag)
{
    const SPropValue *value = Column(row, tag);
    return value ? TextOf(*value, tag) : nullptr;
}

BINARY ColumnBinary(const SRow &row, ULONG tag)
{
    BINARY id;
    const SPropValue *value = Column(row, tag);
    if (value && value->Value.bin.lpb)
        id.Make(static_cast<STRING_SIZE_T>(value->Value.bin.cb), value->Value.bin.lpb);
    return id;
}

bool SameBytes(const BINARY &a, const BINARY &b)
{
    return a.Length() == b.Length() && (a.Length() == 0 || std::memcmp(a.Buffer, b.Buffer, a.Length()) == 0);
}

// An index below count; otherwise the assertion failure of condition (the caller's text, which
// reads as its check against the count) and false.
bool IndexOk(int idx, int count, const char *condition, int line)
{
    if (idx >= 0 && idx < count)
        return true;
    LOGIT::Assert(0, condition, __FILE__, line, nullptr, 0);
    return false;
}

LPENTRYID EntryIdOf(const BINARY &id)
{
    return reinterpret_cast<LPENTRYID>(id.Buffer);
}

} // namespace

struct MAPICLASS::API {
    DLLINTERFACE *Library = nullptr;  // owned; null when "MAPI32" could not be loaded
    void *Entry[E_COUNT] = {};        // in Library
    bool Initialized = false;         // MAPIInitialize succeeded
    LPMAPISESSION Session = nullptr;  // owned reference
    LPMAPITABLE StoreTable = nullptr; // owned reference: the message-store table

    template <class F> F Fn(int i) const { return reinterpret_cast<F>(Entry[i]); }
    PFN_FREEPROWS FreeRows() const { return Fn<PFN_FREEPROWS>(E_FREEPROWS); }
    PFN_MAPIFREEBUFFER FreeBuffer() const { return Fn<PFN_MAPIFREEBUFFER>(E_MAPIFREEBUFFER); }
    HRESULT QueryAllRows(LPMAPITABLE table, LPSPropTagArray columns, LPSRowSet *rows) const
    {
        return Fn<PFN_HRQUERYALLROWS>(E_HRQUERYALLROWS)(table, columns, nullptr, nullptr, 0, rows);
    }
    HRESULT GetOneProp(LPMAPIPROP object, ULONG tag, LPSPropValue *value) const
    {
        return Fn<PFN_HRGETONEPROP>(E_HRGETONEPROP)(object, tag, value);
    }
    // Opens a message store by its entry id; null on failure.
    LPMDB OpenStore(const BINARY &id) const
    {
        LPMDB store = nullptr;
        HRESULT hr = Session->OpenMsgStore(0, static_cast<ULONG>(id.Length()), EntryIdOf(id), nullptr,
                                           MDB_NO_DIALOG | MAPI_BEST_ACCESS, &store);
        return SUCCEEDED(hr) ? store : nullptr;
    }
    // Opens a folder of a store by its entry id; null on failure or when the entry is no folder.
    static LPMAPIFOLDER OpenFolder(LPMDB store, ULONG cb, LPENTRYID id)
    {
        ULONG type = 0;
        LPUNKNOWN object = nullptr;
        HRESULT hr = store->OpenEntry(cb, id, nullptr, MAPI_BEST_ACCESS, &type, &object);
        if (FAILED(hr) || !object)
            return nullptr;
        if (type != MAPI_FOLDER) {
            object->Release();
            return nullptr;
        }
        return reinterpret_cast<LPMAPIFOLDER>(object);
    }
    // Logs off a store without waiting and releases it.
    static void CloseStore(LPMDB store)
    {
        if (!store)
            return;
        ULONG flags = LOGOFF_NO_WAIT;
        store->StoreLogoff(&flags);
        store->Release();
    }
};

// One level of the folder walk: an open folder, the rows of its hierarchy table and the next row.
struct MAPICLASS::WALK {
    COMREF<IMAPIFolder> Folder;
    ROWS Rows;
    ULONG Next = 0;
    STRING DisplayPath;
    STRING SlashPath;
    BINARY EntryId;
    explicit WALK(PFN_FREEPROWS freeRows) : Rows(freeRows) {}
};

MAPICLASS::MAPICLASS(int noMail)
    : Api(new (std::nothrow) API()), UpAndRunning(0), MessageStores(0, 64), AddressBooks(0, 64), MailFolders(0, 64)
{
    LOGIT::Printf("[>>]MAPICLASS::Constructor nomail=%d\n", noMail);
    CURRENTFOLDER keep;
    if (Api && Load(noMail))
        UpAndRunning = 1;
    LOGIT::Printf("[<<]MAPICLASS::Constructor done, up=%d\n", UpAndRunning);
}

bool MAPICLASS::Load(int noMail)
{
    Api->Library = new (std::nothrow) DLLINTERFACE("MAPI32");
    if (!Api->Library || !Api->Library->IsLoaded()) {
        LOGIT::Printf("MAPICLASS::Constructor LoadLibrary failed\n");
        return false;
    }
    for (int i = 0; i < E_COUNT; ++i) {
        Api->Entry[i] = Api->Library->GetFunction(kEntryNames[i]);
        if (!Api->Entry[i]) {
            // The plain name, where an architecture's library has no decorated one.
            STRING plain(kEntryNames[i]);
            STRING_SIZE_T at = plain.PosChar('@');
            if (at > 0) {
                plain.Truncate(at);
                Api->Entry[i] = Api->Library->GetFunction(plain);
            }
        }
        if (!Api->Entry[i]) {
            LOGIT::Printf("MAPICLASS::Constructor GetProcAddress(%s) failed\n", kEntryNames[i]);
            return false;
        }
    }

    MAPIINIT_0 init = {MAPI_INIT_VERSION, MAPI_MULTITHREAD_NOTIFICATIONS};
    if (FAILED(Api->Fn<PFN_MAPIINITIALIZE>(E_MAPIINITIALIZE)(&init))) {
        LOGIT::Printf("MAPICLASS::Constructor MAPIInitiatlize failed\n");
        return false;
    }
    Api->Initialized = true;

    ULONG flags = MAPI_EXTENDED | MAPI_USE_DEFAULT | MAPI_ALLOW_OTHERS | MAPI_TIMEOUT_SHORT;
    if (noMail)
        flags |= MAPI_NO_MAIL;
    if (FAILED(Api->Fn<PFN_MAPILOGONEX>(E_MAPILOGONEX)(0, nullptr, nullptr, flags, &Api->Session)) || !Api->Session) {
        Api->Session = nullptr;
        LOGIT::Printf("MAPICLASS::Constructor MAPILogonEx failed\n");
        return false;
    }
    if (FAILED(Api->Session->GetMsgStoresTable(0, &Api->StoreTable)) || !Api->StoreTable) {
        Api->StoreTable = nullptr;
        LOGIT::Printf("MAPICLASS::Constructor GetMsgStoresTable failed\n");
        return false;
    }
    SizedSPropTagArray(3, columns) = {3, {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_RESOURCE_FLAGS}};
    if (FAILED(Api->StoreTable->SetColumns(reinterpret_cast<LPSPropTagArray>(&columns), 0))) {
        LOGIT::Printf("MAPICLASS::Constructor SetColumns failed\n");
        return false;
    }
    ROWS rows(Api->FreeRows());
    if (FAILED(Api->QueryAllRows(Api->StoreTable, nullptr, rows.Out())) || !rows.Get()) {
        LOGIT::Printf("MAPICLASS::Constructor HrQueryAllRows failed\n");
        return false;
    }
    for (ULONG i = 0; i < rows.Count(); ++i) {
        const SRow &row = rows.Get()->aRow[i];
        MAPICLASS_STORE store;
        store.Name = ColumnText(row, PR_DISPLAY_NAME_A);
        store.Name.SetNotNull();
        store.EntryId = ColumnBinary(row, PR_ENTRYID);
        const SPropValue *resource = Column(row, PR_RESOURCE_FLAGS);
        store.IsDefault = resource && (resource->Value.l & STATUS_DEFAULT_STORE) ? 1 : 0;
        MessageStores.AddItem(store);
        LOGIT::Printf("MAPICLASS::Constructor New MDB added: %s, IsDefault=%ld\n", static_cast<const char *>(store.Name),
                      static_cast<long>(store.IsDefault));
    }
    return true;
}

MAPICLASS::~MAPICLASS()
{
    LOGIT::Printf("MAPICLASS::Destructor\n");
    if (Api) {
        CURRENTFOLDER keep;
        if (Api->StoreTable)
            Api->StoreTable->Release();
        if (Api->Session)
            Api->Session->Release();
        if (Api->Initialized)
            Api->Fn<PFN_MAPIUNINITIALIZE>(E_MAPIUNINITIALIZE)();
        delete Api->Library;
        delete Api;
    }
    LOGIT::Printf("MAPICLASS::~Destructor done\n");
}

int MAPICLASS::GetNumMessageStores()
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    return MessageStores.NumItems();
}

STRING MAPICLASS::GetMessageStoreName(int idx)
{
    STRING name;
    name.SetNotNull();
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return name;
    }
    if (!IndexOk(idx, GetNumMessageStores(), "idx<this->GetNumMessageStores()", __LINE__)) {
        return name;
    }
    return MessageStores[idx]->Name;
}

int MAPICLASS::GetMessageStoreId(int idx, BINARY &id)
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    if (!IndexOk(idx, GetNumMessageStores(), "idx<this->GetNumMessageStores()", __LINE__)) {
        return 0;
    }
    id = MessageStores[idx]->EntryId;
    return 1;
}

int MAPICLASS::GetDefaultMessageStoreId(BINARY &id)
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    for (int i = 0; i < MessageStores.NumItems(); ++i) {
        if (MessageStores[i]->IsDefault) {
            id = MessageStores[i]->EntryId;
            return 1;
        }
    }
    return 0;
}

int MAPICLASS::QueryAllAddressBooks(int defaultStoreOnly)
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    LOGIT::Printf("[>>]MAPICLASS::QueryAllAddressBooks defaultonly=%d\n", defaultStoreOnly);
    AddressBooks.DeleteAll();
    MailFolders.DeleteAll();
    CURRENTFOLDER keep;
    BINARY defaultId;
    bool haveDefault = GetDefaultMessageStoreId(defaultId) != 0;
    for (int i = 0; i < MessageStores.NumItems(); ++i) {
        const MAPICLASS_STORE &record = *MessageStores[i];
        if (defaultStoreOnly && !(haveDefault && SameBytes(record.EntryId, defaultId)))
            continue;
        LPMDB store = Api->OpenStore(record.EntryId);
        if (!store) {
            LOGIT::Printf("MAPICLASS::QueryAllAddressBooks OpenMsgStore failed\n");
            continue;
        }
        WalkStore(store, i);
        API::CloseStore(store);
    }
    LOGIT::Printf("[<<]MAPICLASS::QueryAllAddressBooks done, %d address books, %d mail folders\n",
                  static_cast<int>(AddressBooks.NumItems()), static_cast<int>(MailFolders.NumItems()));
    return AddressBooks.NumItems();
}

void MAPICLASS::WalkStore(void *storeObject, int storeIndex)
{
    LPMDB store = static_cast<LPMDB>(storeObject);
    SizedSPropTagArray(1, subtreeTag) = {1, {PR_IPM_SUBTREE_ENTRYID}};
    ULONG count = 0;
    MAPIBUFFER<SPropValue> props(Api->FreeBuffer());
    HRESULT hr = store->GetProps(reinterpret_cast<LPSPropTagArray>(&subtreeTag), 0, &count, props.Out());
    const SPropValue *lpspva = props.Get();
    if (FAILED(hr) || count < 1 || !lpspva) {
        LOGIT::Printf("MAPICLASS::QueryAllAddressBooks GetProps failed\n");
        return;
    }
    if (lpspva[0].ulPropTag != PR_IPM_SUBTREE_ENTRYID) {
        ORVAK_ASSERT(lpspva[0].ulPropTag==PR_IPM_SUBTREE_ENTRYID);
        return;
    }

    SizedSPropTagArray(4, columns) = {4, {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_CONTAINER_CLASS_A, PR_SUBFOLDERS}};
    LPSPropTagArray hierarchyColumns = reinterpret_cast<LPSPropTagArray>(&columns);
    const SBinary &subtree = lpspva[0].Value.bin;

    // Opens a folder's hierarchy rows onto a new level of the walk; false when that fails.
    auto enter = [&](std::vector<WALK *> &path, LPMAPIFOLDER folder, const STRING &display, const STRING &slash,
                     const BINARY &id) -> bool {
        WALK *level = new (std::nothrow) WALK(Api->FreeRows());
        if (!level) {
            folder->Release();
            return false;
        }
        *level->Folder.Out() = folder;
        level->DisplayPath = display;
        level->SlashPath = slash;
        level->EntryId = id;
        COMREF<IMAPITable> table;
        if (FAILED(folder->GetHierarchyTable(0, table.Out())) || !table.Get()) {
            LOGIT::Printf("MAPICLASS::TraceFolder GetHierarchyTable failed\n");
            delete level;
            return false;
        }
        if (FAILED(Api->QueryAllRows(table.Get(), hierarchyColumns, level->Rows.Out()))) {
            LOGIT::Printf("MAPICLASS::TraceFolder HrQueryAllRows failed\n");
            delete level;
            return false;
        }
        path.push_back(level);
        return true;
    };

    std::vector<WALK *> path;
    LPMAPIFOLDER root = API::OpenFolder(store, subtree.cb, reinterpret_cast<LPENTRYID>(subtree.lpb));
    if (!root) {
        LOGIT::Printf("MAPICLASS::TraceFolder OpenEntry failed\n");
        return;
    }
    BINARY rootId;
    rootId.Make(static_cast<STRING_SIZE_T>(subtree.cb), subtree.lpb);
    STRING empty;
    empty.SetNotNull();
    enter(path, root, empty, empty, rootId);

    while (!path.empty()) {
        WALK *level = path.back();
        if (level->Next >= level->Rows.Count()) {
            delete level;
            path.pop_back();
            continue;
        }
        const SRow &row = level->Rows.Get()->aRow[level->Next++];
        const char *name = ColumnText(row, PR_DISPLAY_NAME_A);
        const char *containerClass = ColumnText(row, PR_CONTAINER_CLASS_A);
        const SPropValue *subfolders = Column(row, PR_SUBFOLDERS);
        BINARY shortId = ColumnBinary(row, PR_ENTRYID);

        MAPICLASS_FOLDER record;
        record.StoreIndex = storeIndex;
        record.DisplayPath = MAPICONTACT::JoinPath(level->DisplayPath, " > ", name);
        record.SlashPath = MAPICONTACT::JoinPath(level->SlashPath, "/", name);
        record.EntryId = shortId;

        // The long entry id is the one the folder gives for itself; the table's may be short.
        LPMAPIFOLDER folder = nullptr;
        if (shortId.Length() > 0)
            folder = API::OpenFolder(store, static_cast<ULONG>(shortId.Length()), EntryIdOf(shortId));
        if (folder) {
            MAPIBUFFER<SPropValue> longId(Api->FreeBuffer());
            if (SUCCEEDED(Api->GetOneProp(reinterpret_cast<LPMAPIPROP>(folder), PR_ENTRYID, longId.Out())) &&
                longId.Get() && longId.Get()->ulPropTag == PR_ENTRYID && longId.Get()->Value.bin.lpb) {
                record.EntryId.Make(static_cast<STRING_SIZE_T>(longId.Get()->Value.bin.cb), longId.Get()->Value.bin.lpb);
                LOGIT::Printf("MAPICLASS::TraceFolder %s long entry id, %d bytes\n",
                              static_cast<const char *>(record.DisplayPath), static_cast<int>(record.EntryId.Length()));
            } else {
                LOGIT::Printf("MAPICLASS::TraceFolder %s short entry id, %d bytes\n",
                              static_cast<const char *>(record.DisplayPath), static_cast<int>(shortId.Length()));
            }
        } else {
            LOGIT::Printf("MAPICLASS::TraceFolder %s short entry id, %d bytes (not opened)\n",
                          static_cast<const char *>(record.DisplayPath), static_cast<int>(shortId.Length()));
        }

        int contact = containerClass && STR::stricmp(containerClass, "IPF.Contact") == 0 ? 1 : 0;
        int mail = containerClass && STR::stricmp(containerClass, "IPF.Note") == 0 ? 1 : 0;
        if (contact)
            AddressBooks.AddItem(record);
        if (mail)
            MailFolders.AddItem(record);
        LOGIT::Printf("MAPICLASS::TraceFolder (mail=%d, contact=%d) adds %s\n", mail, contact,
                      static_cast<const char *>(record.DisplayPath));

        bool hasSubfolders = subfolders && subfolders->Value.b != 0;
        if (!folder)
            continue;
        if (!hasSubfolders) {
            folder->Release();
            continue;
        }
        bool loop = false;
        for (WALK *above : path)
            loop = loop || SameBytes(above->EntryId, record.EntryId) || SameBytes(above->EntryId, shortId);
        if (loop || static_cast<int>(path.size()) >= kMaxFolderDepth) {
            LOGIT::Printf("MAPICLASS::TraceFolder does not enter %s (%s)\n", static_cast<const char *>(record.DisplayPath),
                          loop ? "already on the path" : "too deep");
            folder->Release();
            continue;
        }
        enter(path, folder, record.DisplayPath, record.SlashPath, record.EntryId);
    }
}

int MAPICLASS::GetNumAddressBooks()
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    return AddressBooks.NumItems();
}

STRING MAPICLASS::FolderName(MAPICLASS_FOLDER *folder)
{
    STRING name(folder->DisplayPath);
    name.SetNotNull();
    name += "  (";
    if (folder->StoreIndex >= 0 && folder->StoreIndex < MessageStores.NumItems())
        name += MessageStores[folder->StoreIndex]->Name;
    name += ")";
    return name;
}

STRING MAPICLASS::GetAddressBookName(int idx)
{
    STRING name;
    name.SetNotNull();
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return name;
    }
    if (!IndexOk(idx, GetNumAddressBooks(), "idx<this->GetNumAddressBooks()", __LINE__)) {
        return name;
    }
    return FolderName(AddressBooks[idx]);
}

int MAPICLASS::GetAddressBookId(int idx, BINARY &id)
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    if (!IndexOk(idx, GetNumAddressBooks(), "idx<this->GetNumAddressBooks()", __LINE__)) {
        return 0;
    }
    id = AddressBooks[idx]->EntryId;
    return 1;
}

int MAPICLASS::GetNumMailFolders()
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    return MailFolders.NumItems();
}

STRING MAPICLASS::GetMailFolderName(int idx)
{
    STRING name;
    name.SetNotNull();
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return name;
    }
    if (!IndexOk(idx, GetNumMailFolders(), "idx<this->GetNumMailFolders()", __LINE__)) {
        return name;
    }
    return FolderName(MailFolders[idx]);
}

int MAPICLASS::GetSelAdrBookEntries(int idx, HASHLIST &list, const char *number)
{
    if (!IsUpAndRunning()) {
        ORVAK_ASSERT(this->IsUpAndRunning());
        return 0;
    }
    if (!IndexOk(idx, GetNumAddressBooks(), "idx<this->GetNumAddressBooks()", __LINE__)) {
        return 0;
    }
    LOGIT::Printf("[>>]MAPICLASS::GetSelAdrBookEntries idx=%d, number=%s\n", idx, number ? number : "<none>");
    CURRENTFOLDER keep;
    const MAPICLASS_FOLDER &book = *AddressBooks[idx];
    int appended = 0;
    if (book.StoreIndex < 0 || book.StoreIndex >= MessageStores.NumItems()) {
        ORVAK_ASSERT(book.StoreIndex>=0 && book.StoreIndex<this->GetNumMessageStores());
        return 0;
    }
    LPMDB store = Api->OpenStore(MessageStores[book.StoreIndex]->EntryId);
    if (!store) {
        LOGIT::Printf("MAPICLASS::GetSelAdrBookEntries OpenMsgStore failed\n");
    } else {
        appended = ReadContacts(store, book, list, number);
        API::CloseStore(store);
    }
    LOGIT::Printf("[<<]MAPICLASS::GetSelAdrBookEntries done, %d entries\n", appended);
    return appended;
}

int MAPICLASS::ReadContacts(void *storeObject, const MAPICLASS_FOLDER &book, HASHLIST &list, const char *number)
{
    LPMDB store = static_cast<LPMDB>(storeObject);
    COMREF<IMAPIFolder> folder(API::OpenFolder(store, static_cast<ULONG>(book.EntryId.Length()), EntryIdOf(book.EntryId)));
    if (!folder.Get()) {
        LOGIT::Printf("MAPICLASS::GetSelAdrBookEntries OpenEntry failed\n");
        return 0;
    }
    COMREF<IMAPITable> table;
    if (FAILED(folder->GetContentsTable(0, table.Out())) || !table.Get()) {
        LOGIT::Printf("MAPICLASS::GetSelAdrBookEntries GetContentsTable failed\n");
        return 0;
    }
    SizedSPropTagArray(10, columns) = {
        10,
        {PR_ENTRYID, PR_DISPLAY_NAME_A, PR_STREET_ADDRESS_A, PR_POSTAL_CODE_A, PR_LOCALITY_A, PR_COUNTRY_A,
         PR_HOME_TELEPHONE_NUMBER_A, PR_BUSINESS_FAX_NUMBER_A, PR_MOBILE_TELEPHONE_NUMBER_A,
         PR_BUSINESS_TELEPHONE_NUMBER_A}};
    if (FAILED(table->SetColumns(reinterpret_cast<LPSPropTagArray>(&columns), 0))) {
        LOGIT::Printf("MAPICLASS::GetSelAdrBookEntries SetColumns failed\n");
        return 0;
    }
    if (number && number[0]) {
        // Contacts with the number text anywhere in one of their four telephone numbers.
        const ULONG numberTags[4] = {PR_BUSINESS_FAX_NUMBER_A, PR_MOBILE_TELEPHONE_NUMBER_A,
                                     PR_BUSINESS_TELEPHONE_NUMBER_A, PR_HOME_TELEPHONE_NUMBER_A};
        SPropValue wanted[4];
        SRestriction contains[4];
        for (int i = 0; i < 4; ++i) {
            std::memset(&wanted[i], 0, sizeof(wanted[i]));
            wanted[i].ulPropTag = numberTags[i];
            wanted[i].Value.lpszA = const_cast<LPSTR>(number);
            std::memset(&contains[i], 0, sizeof(contains[i]));
            contains[i].rt = RES_CONTENT;
            contains[i].res.resContent.ulFuzzyLevel = FL_SUBSTRING;
            contains[i].res.resContent.ulPropTag = numberTags[i];
            contains[i].res.resContent.lpProp = &wanted[i];
        }
        SRestriction any;
        std::memset(&any, 0, sizeof(any));
        any.rt = RES_OR;
        any.res.resOr.cRes = 4;
        any.res.resOr.lpRes = contains;
        if (FAILED(table->Restrict(&any, 0))) {
            LOGIT::Printf("MAPICLASS::GetSelAdrBookEntries Restrict failed\n");
            return 0;
        }
    }
    ROWS rows(Api->FreeRows());
    if (FAILED(Api->QueryAllRows(table.Get(), nullptr, rows.Out())) || !rows.Get()) {
        LOGIT::Printf("MAPICLASS::GetSelAdrBookEntries HrQueryAllRows failed\n");
        return 0;
    }
    int appended = 0;
    for (ULONG i = 0; i < rows.Count(); ++i) {
        const SRow &row = rows.Get()->aRow[i];
        MAPICONTACT contact;
        contact.Name = ColumnText(row, PR_DISPLAY_NAME_A);
        contact.HomeNumber = ColumnText(row, PR_HOME_TELEPHONE_NUMBER_A);
        contact.BusinessNumber = ColumnText(row, PR_BUSINESS_TELEPHONE_NUMBER_A);
        contact.MobileNumber = ColumnText(row, PR_MOBILE_TELEPHONE_NUMBER_A);
        contact.FaxNumber = ColumnText(row, PR_BUSINESS_FAX_NUMBER_A);
        contact.Street = ColumnText(row, PR_STREET_ADDRESS_A);
        contact.PostalCode = ColumnText(row, PR_POSTAL_CODE_A);
        contact.Locality = ColumnText(row, PR_LOCALITY_A);
        contact.Country = ColumnText(row, PR_COUNTRY_A);
        HASH record;
        contact.ToHash(record);
        list.AddItem(record);
        ++appended;
    }
    return appended;
}
