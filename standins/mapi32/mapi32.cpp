// Stand-in of the MAPI library for the tests: one profile with two message stores, a folder tree
// with contact and mail folders, and a few contacts with telephone numbers, served through the
// session, store, folder and table interfaces the client uses.  Tables honour their columns (a
// property a row lacks comes back as an error value, as MAPI does) and substring restrictions.
//
// Like the real library it moves the current folder while it logs on and opens stores, and it
// counts the objects and buffers it hands out, so that a test can see that the client gives
// everything back (StandinMapiCounters).
//
// The environment value PLX_STANDIN_MAPI (read at every call) makes one step fail: "noinit"
// (MAPIInitialize), "nologon" (MAPILogonEx), "nostoretable" (the message-store table).
#include <windows.h>
#include <mapix.h>
#include <mapiutil.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- what the profile holds ----------------------------------------------------------------

struct CONTACTDEF {
    const char *name, *home, *business, *mobile, *fax, *street, *postal, *locality, *country;
};

struct FOLDERDEF {
    int parent;          // index of the parent folder in the store, -1 for the IPM subtree itself
    std::string name;
    const char *cls;     // container class, null when the folder has none
    std::vector<CONTACTDEF> contacts;
};

struct STOREDEF {
    const char *name;
    bool isDefault;
    std::vector<FOLDERDEF> folders; // folder 0 is the IPM subtree
};

const std::vector<STOREDEF> &Profile()
{
    static const std::vector<STOREDEF> profile = {
        {"Personal Folders", true,
         {
             {-1, "Top of Personal Folders", nullptr, {}},
             {0, "Inbox", "IPF.Note", {}},
             {0, "Contacts", "IPF.Contact",
              {
                  {"Anna Becker", "+49 30 1234567", "030/987 654-3", "Mobil +49 (171) 123-45",
                   "+49 (30) 987654-4", "Hauptstr. 1", "10115", "Berlin", "Germany"},
                  {"Carl Dorn", nullptr, nullptr, "0171 5554443", nullptr, nullptr, nullptr, "Hamburg", nullptr},
                  {"Eva Fischer", "089 / 4711-0815", nullptr, nullptr, nullptr, nullptr, "80331", nullptr,
                   "Germany"},
                  {"Gustav Hahn", nullptr, "(040) 1717 33", nullptr, "0049 40 171734", nullptr, nullptr,
                   nullptr, nullptr},
              }},
             {0, "Clients", nullptr, {}},
             {3, "Suppliers", "IPF.CONTACT", {{"Ida Jung", nullptr, "0711 123456", nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr}}},
             {0, "Sent Items", "IPF.Note", {}},
             {0, "Calendar", "IPF.Appointment", {}},
             {3, std::string(300, 'N'), "IPF.Contact",
              {{nullptr, "0221 55 66 77", nullptr, nullptr, nullptr, nullptr, "50667", "K\xf6ln", nullptr}}},
         }},
        {"Archive", false,
         {
             {-1, "Top of Archive", nullptr, {}},
             {0, "Old Contacts", "IPF.Contact",
              {{"Otto Meier", "0221 998877", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr}}},
         }},
    };
    return profile;
}

// A contact with a 400-character name, in "Contacts" of the default store.
const char *LongContactName()
{
    static const std::string name = "Zacharias " + std::string(390, 'z');
    return name.c_str();
}

// ---- failure modes ---------------------------------------------------------------------------

bool ModeIs(const char *mode)
{
    char value[64];
    DWORD n = GetEnvironmentVariableA("PLX_STANDIN_MAPI", value, sizeof(value));
    return n > 0 && n < sizeof(value) && std::strcmp(value, mode) == 0;
}

// MAPI moves the current folder behind its caller's back; so does the stand-in.
void MoveCurrentFolder()
{
    char system[MAX_PATH];
    if (GetSystemDirectoryA(system, sizeof(system)))
        SetCurrentDirectoryA(system);
}

// ---- counters and buffers --------------------------------------------------------------------

volatile LONG LiveObjects = 0;
volatile LONG LiveBuffers = 0;
volatile LONG InitCount = 0;
ULONG LastLogonFlags = 0;

// Every buffer carries a header; buffers of MAPIAllocateMore hang on their parent and go with it.
struct BUFFERHEAD {
    BUFFERHEAD *more;
    ULONG magic;
    ULONG pad;
};
const ULONG kBufferMagic = 0x4D415049u;

BUFFERHEAD *HeadOf(void *p)
{
    BUFFERHEAD *head = reinterpret_cast<BUFFERHEAD *>(p) - 1;
    return head->magic == kBufferMagic ? head : nullptr;
}

void *NewBlock(ULONG size)
{
    BUFFERHEAD *head = static_cast<BUFFERHEAD *>(std::calloc(1, sizeof(BUFFERHEAD) + size));
    if (!head)
        return nullptr;
    head->magic = kBufferMagic;
    return head + 1;
}

} // namespace

#define STANDIN_EXPORT extern "C"

STANDIN_EXPORT SCODE WINAPI MAPIAllocateBuffer(ULONG size, LPVOID *buffer)
{
    if (!buffer)
        return MAPI_E_INVALID_PARAMETER;
    *buffer = NewBlock(size);
    if (!*buffer)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    InterlockedIncrement(&LiveBuffers);
    return S_OK;
}

STANDIN_EXPORT SCODE WINAPI MAPIAllocateMore(ULONG size, LPVOID object, LPVOID *buffer)
{
    BUFFERHEAD *parent = object ? HeadOf(object) : nullptr;
    if (!buffer || !parent)
        return MAPI_E_INVALID_PARAMETER;
    *buffer = NewBlock(size);
    if (!*buffer)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    BUFFERHEAD *head = HeadOf(*buffer);
    head->more = parent->more;
    parent->more = head;
    return S_OK;
}

STANDIN_EXPORT ULONG WINAPI MAPIFreeBuffer(LPVOID buffer)
{
    if (!buffer)
        return S_OK;
    BUFFERHEAD *head = HeadOf(buffer);
    if (!head)
        return MAPI_E_INVALID_PARAMETER;
    head->magic = 0;
    while (head) {
        BUFFERHEAD *next = head->more;
        std::free(head);
        head = next;
    }
    InterlockedDecrement(&LiveBuffers);
    return S_OK;
}

namespace {

// ---- property values -----------------------------------------------------------------------

// One property of a row or an object, before it is handed out.
struct PROP {
    ULONG tag;
    std::string text;            // PT_STRING8
    std::vector<BYTE> binary;    // PT_BINARY
    LONG number = 0;             // PT_LONG, PT_BOOLEAN
};

typedef std::vector<PROP> PROPS;

PROP Text(ULONG tag, const char *text)
{
    PROP p;
    p.tag = tag;
    p.text = text;
    return p;
}

PROP Binary(ULONG tag, const std::vector<BYTE> &bytes)
{
    PROP p;
    p.tag = tag;
    p.binary = bytes;
    return p;
}

PROP Number(ULONG tag, LONG value)
{
    PROP p;
    p.tag = tag;
    p.number = value;
    return p;
}

// Entry ids: four flag bytes, a kind ('S' store, 'F' short folder id, 'L' long folder id, 'M'
// contact), the store, the folder and the contact; a long folder id is padded to 24 bytes.
std::vector<BYTE> EntryId(char kind, int store, int folder = 0, int contact = 0)
{
    std::vector<BYTE> id = {0, 0, 0, 0, static_cast<BYTE>(kind), static_cast<BYTE>(store),
                            static_cast<BYTE>(folder), static_cast<BYTE>(contact)};
    if (kind == 'L')
        id.resize(24, 0xA5);
    return id;
}

bool ParseEntryId(ULONG cb, LPENTRYID eid, char *kind, int *store, int *folder)
{
    if (!eid || (cb != 8 && cb != 24))
        return false;
    const BYTE *b = reinterpret_cast<const BYTE *>(eid);
    *kind = static_cast<char>(b[4]);
    *store = b[5];
    *folder = b[6];
    if (*store >= static_cast<int>(Profile().size()))
        return false;
    if (*kind == 'S')
        return cb == 8;
    if ((*kind == 'F' && cb == 8) || (*kind == 'L' && cb == 24))
        return *folder < static_cast<int>(Profile()[*store].folders.size());
    return false;
}

const PROP *FindProp(const PROPS &props, ULONG tag)
{
    for (const PROP &p : props) {
        if (PROP_ID(p.tag) == PROP_ID(tag))
            return PROP_TYPE(p.tag) == PROP_TYPE(tag) ? &p : nullptr;
    }
    return nullptr;
}

// Fills one value for the requested tag; its strings and bytes are allocated onto parent.  False
// when the property is missing (the value then holds the error).
bool FillValue(SPropValue &value, const PROPS &props, ULONG tag, void *parent)
{
    const PROP *p = FindProp(props, tag);
    if (!p) {
        value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
        value.Value.err = MAPI_E_NOT_FOUND;
        return false;
    }
    value.ulPropTag = p->tag;
    switch (PROP_TYPE(p->tag)) {
    case PT_STRING8: {
        void *text = nullptr;
        MAPIAllocateMore(static_cast<ULONG>(p->text.size() + 1), parent, &text);
        std::memcpy(text, p->text.c_str(), p->text.size() + 1);
        value.Value.lpszA = static_cast<LPSTR>(text);
        break;
    }
    case PT_BINARY: {
        void *bytes = nullptr;
        MAPIAllocateMore(static_cast<ULONG>(p->binary.size()), parent, &bytes);
        std::memcpy(bytes, p->binary.data(), p->binary.size());
        value.Value.bin.cb = static_cast<ULONG>(p->binary.size());
        value.Value.bin.lpb = static_cast<LPBYTE>(bytes);
        break;
    }
    case PT_BOOLEAN:
        value.Value.b = static_cast<unsigned short>(p->number != 0);
        break;
    default:
        value.Value.l = p->number;
        break;
    }
    return true;
}

// GetProps of an object: every requested tag, in order; MAPI_W_ERRORS_RETURNED when one is missing.
HRESULT GetPropsOf(const PROPS &props, LPSPropTagArray tags, ULONG *count, LPSPropValue *values)
{
    if (!tags || !count || !values)
        return MAPI_E_NO_SUPPORT;
    void *array = nullptr;
    if (MAPIAllocateBuffer(static_cast<ULONG>(tags->cValues * sizeof(SPropValue)), &array) != S_OK)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    LPSPropValue out = static_cast<LPSPropValue>(array);
    bool missing = false;
    for (ULONG i = 0; i < tags->cValues; ++i) {
        if (!FillValue(out[i], props, tags->aulPropTag[i], array))
            missing = true;
    }
    *count = tags->cValues;
    *values = out;
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

PROPS ContactProps(const CONTACTDEF &c, int store, int folder, int index)
{
    PROPS props;
    props.push_back(Binary(PR_ENTRYID, EntryId('M', store, folder, index)));
    const struct {
        ULONG tag;
        const char *text;
    } fields[] = {
        {PR_DISPLAY_NAME_A, c.name},          {PR_HOME_TELEPHONE_NUMBER_A, c.home},
        {PR_BUSINESS_TELEPHONE_NUMBER_A, c.business}, {PR_MOBILE_TELEPHONE_NUMBER_A, c.mobile},
        {PR_BUSINESS_FAX_NUMBER_A, c.fax},    {PR_STREET_ADDRESS_A, c.street},
        {PR_POSTAL_CODE_A, c.postal},         {PR_LOCALITY_A, c.locality},
        {PR_COUNTRY_A, c.country},
    };
    for (const auto &f : fields) {
        if (f.text)
            props.push_back(Text(f.tag, f.text));
    }
    return props;
}

// Whether a row passes a restriction (substring, prefix and whole-text content restrictions and
// their "and", "or" and "not").
bool Matches(const PROPS &row, const SRestriction *res, bool *supported)
{
    switch (res->rt) {
    case RES_AND:
        for (ULONG i = 0; i < res->res.resAnd.cRes; ++i) {
            if (!Matches(row, &res->res.resAnd.lpRes[i], supported))
                return false;
        }
        return true;
    case RES_OR:
        for (ULONG i = 0; i < res->res.resOr.cRes; ++i) {
            if (Matches(row, &res->res.resOr.lpRes[i], supported))
                return true;
        }
        return false;
    case RES_NOT:
        return !Matches(row, res->res.resNot.lpRes, supported);
    case RES_CONTENT: {
        const SContentRestriction &c = res->res.resContent;
        if (!c.lpProp || PROP_TYPE(c.ulPropTag) != PT_STRING8 || !c.lpProp->Value.lpszA) {
            *supported = false;
            return false;
        }
        const PROP *p = FindProp(row, c.ulPropTag);
        if (!p)
            return false;
        std::string have = p->text;
        std::string want = c.lpProp->Value.lpszA;
        if (c.ulFuzzyLevel & FL_IGNORECASE) {
            for (char &ch : have)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            for (char &ch : want)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
        switch (c.ulFuzzyLevel & 0xFFFF) {
        case FL_SUBSTRING:
            return have.find(want) != std::string::npos;
        case FL_PREFIX:
            return have.compare(0, want.size(), want) == 0;
        default:
            return have == want;
        }
    }
    default:
        *supported = false;
        return false;
    }
}

// ---- the objects -----------------------------------------------------------------------------

#define STANDIN_STUB { return MAPI_E_NO_SUPPORT; }

#define STANDIN_IUNKNOWN                                                        \
    STDMETHODIMP QueryInterface(REFIID riid, LPVOID *ppv) override             \
    {                                                                           \
        if (!ppv)                                                               \
            return E_INVALIDARG;                                                \
        if (!IsEqualIID(riid, IID_IUnknown)) {                                  \
            *ppv = nullptr;                                                     \
            return E_NOINTERFACE;                                               \
        }                                                                       \
        AddRef();                                                               \
        *ppv = this;                                                            \
        return S_OK;                                                            \
    }                                                                           \
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs); } \
    STDMETHODIMP_(ULONG) Release() override                                    \
    {                                                                           \
        LONG left = InterlockedDecrement(&refs);                               \
        if (left == 0)                                                          \
            delete this;                                                        \
        return left;                                                            \
    }                                                                           \
    volatile LONG refs = 1;

// Every method of an interface, answering "not supported"; the classes below override the few
// the client uses.
class TABLESTUBS : public IMAPITable {
public:
    MAPI_IUNKNOWN_METHODS(STANDIN_STUB)
    MAPI_IMAPITABLE_METHODS(STANDIN_STUB)
    virtual ~TABLESTUBS() = default;
};

class STORESTUBS : public IMsgStore {
public:
    MAPI_IUNKNOWN_METHODS(STANDIN_STUB)
    MAPI_IMAPIPROP_METHODS(STANDIN_STUB)
    MAPI_IMSGSTORE_METHODS(STANDIN_STUB)
    virtual ~STORESTUBS() = default;
};

class FOLDERSTUBS : public IMAPIFolder {
public:
    MAPI_IUNKNOWN_METHODS(STANDIN_STUB)
    MAPI_IMAPIPROP_METHODS(STANDIN_STUB)
    MAPI_IMAPICONTAINER_METHODS(STANDIN_STUB)
    MAPI_IMAPIFOLDER_METHODS(STANDIN_STUB)
    virtual ~FOLDERSTUBS() = default;
};

class SESSIONSTUBS : public IMAPISession {
public:
    MAPI_IUNKNOWN_METHODS(STANDIN_STUB)
    MAPI_IMAPISESSION_METHODS(STANDIN_STUB)
    virtual ~SESSIONSTUBS() = default;
};

class TABLE : public TABLESTUBS {
public:
    explicit TABLE(std::vector<PROPS> rows) : rows(std::move(rows))
    {
        InterlockedIncrement(&LiveObjects);
        columns = {PR_ENTRYID, PR_DISPLAY_NAME_A};
        Unrestrict();
    }
    ~TABLE() override { InterlockedDecrement(&LiveObjects); }
    STANDIN_IUNKNOWN

    STDMETHODIMP SetColumns(LPSPropTagArray tags, ULONG) override
    {
        if (!tags || tags->cValues == 0)
            return MAPI_E_INVALID_PARAMETER;
        columns.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
        return S_OK;
    }
    STDMETHODIMP GetRowCount(ULONG, ULONG *count) override
    {
        if (!count)
            return MAPI_E_INVALID_PARAMETER;
        *count = static_cast<ULONG>(visible.size());
        return S_OK;
    }
    STDMETHODIMP SeekRow(BOOKMARK origin, LONG count, LONG *sought) override
    {
        if (origin != BOOKMARK_BEGINNING && origin != BOOKMARK_CURRENT)
            return MAPI_E_NO_SUPPORT;
        LONG start = origin == BOOKMARK_BEGINNING ? 0 : static_cast<LONG>(position);
        LONG target = start + count;
        if (target < 0)
            target = 0;
        if (target > static_cast<LONG>(visible.size()))
            target = static_cast<LONG>(visible.size());
        position = static_cast<size_t>(target);
        if (sought)
            *sought = target - start;
        return S_OK;
    }
    STDMETHODIMP Restrict(LPSRestriction res, ULONG) override
    {
        if (!res) {
            Unrestrict();
            return S_OK;
        }
        std::vector<size_t> passed;
        bool supported = true;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (Matches(rows[i], res, &supported))
                passed.push_back(i);
        }
        if (!supported)
            return MAPI_E_TOO_COMPLEX;
        visible = passed;
        position = 0;
        return S_OK;
    }
    STDMETHODIMP QueryRows(LONG count, ULONG, LPSRowSet *out) override
    {
        if (!out || count <= 0)
            return MAPI_E_INVALID_PARAMETER;
        size_t n = visible.size() - position;
        if (n > static_cast<size_t>(count))
            n = static_cast<size_t>(count);
        void *set = nullptr;
        if (MAPIAllocateBuffer(static_cast<ULONG>(CbNewSRowSet(n ? n : 1)), &set) != S_OK)
            return MAPI_E_NOT_ENOUGH_MEMORY;
        LPSRowSet rowSet = static_cast<LPSRowSet>(set);
        rowSet->cRows = static_cast<ULONG>(n);
        for (size_t r = 0; r < n; ++r) {
            const PROPS &row = rows[visible[position + r]];
            void *values = nullptr;
            MAPIAllocateBuffer(static_cast<ULONG>(columns.size() * sizeof(SPropValue)), &values);
            SRow &dest = rowSet->aRow[r];
            dest.ulAdrEntryPad = 0;
            dest.cValues = static_cast<ULONG>(columns.size());
            dest.lpProps = static_cast<LPSPropValue>(values);
            for (size_t c = 0; c < columns.size(); ++c)
                FillValue(dest.lpProps[c], row, columns[c], values);
        }
        position += n;
        *out = rowSet;
        return S_OK;
    }

private:
    void Unrestrict()
    {
        visible.clear();
        for (size_t i = 0; i < rows.size(); ++i)
            visible.push_back(i);
        position = 0;
    }

    std::vector<PROPS> rows;
    std::vector<size_t> visible; // indexes of the rows that pass the restriction
    std::vector<ULONG> columns;
    size_t position = 0;
};

HRESULT HandOutTable(std::vector<PROPS> rows, LPMAPITABLE *table)
{
    if (!table)
        return MAPI_E_INVALID_PARAMETER;
    *table = new TABLE(std::move(rows));
    return S_OK;
}

class FOLDER : public FOLDERSTUBS {
public:
    FOLDER(int store, int folder) : store(store), folder(folder) { InterlockedIncrement(&LiveObjects); }
    ~FOLDER() override { InterlockedDecrement(&LiveObjects); }
    STANDIN_IUNKNOWN

    STDMETHODIMP GetProps(LPSPropTagArray tags, ULONG, ULONG *count, LPSPropValue *values) override
    {
        const FOLDERDEF &def = Def();
        PROPS props = {Binary(PR_ENTRYID, EntryId('L', store, folder)), Text(PR_DISPLAY_NAME_A, def.name.c_str())};
        if (def.cls)
            props.push_back(Text(PR_CONTAINER_CLASS_A, def.cls));
        return GetPropsOf(props, tags, count, values);
    }
    STDMETHODIMP GetHierarchyTable(ULONG, LPMAPITABLE *table) override
    {
        std::vector<PROPS> rows;
        const std::vector<FOLDERDEF> &folders = Profile()[store].folders;
        for (size_t i = 0; i < folders.size(); ++i) {
            if (folders[i].parent != folder)
                continue;
            bool children = false;
            for (const FOLDERDEF &f : folders)
                children = children || f.parent == static_cast<int>(i);
            PROPS row = {Text(PR_DISPLAY_NAME_A, folders[i].name.c_str()),
                         Binary(PR_ENTRYID, EntryId('F', store, static_cast<int>(i))),
                         Number(PR_SUBFOLDERS, children ? 1 : 0)};
            if (folders[i].cls)
                row.push_back(Text(PR_CONTAINER_CLASS_A, folders[i].cls));
            rows.push_back(row);
        }
        return HandOutTable(std::move(rows), table);
    }
    STDMETHODIMP GetContentsTable(ULONG, LPMAPITABLE *table) override
    {
        std::vector<PROPS> rows;
        const std::vector<CONTACTDEF> &contacts = Def().contacts;
        for (size_t i = 0; i < contacts.size(); ++i)
            rows.push_back(ContactProps(contacts[i], store, folder, static_cast<int>(i)));
        if (store == 0 && Def().name == "Contacts") {
            CONTACTDEF longName = {LongContactName(), "0201 1", nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr};
            rows.push_back(ContactProps(longName, store, folder, static_cast<int>(contacts.size())));
        }
        return HandOutTable(std::move(rows), table);
    }

private:
    const FOLDERDEF &Def() const { return Profile()[store].folders[folder]; }
    int store;
    int folder;
};

class STORE : public STORESTUBS {
public:
    explicit STORE(int store) : store(store) { InterlockedIncrement(&LiveObjects); }
    ~STORE() override { InterlockedDecrement(&LiveObjects); }
    STANDIN_IUNKNOWN

    STDMETHODIMP GetProps(LPSPropTagArray tags, ULONG, ULONG *count, LPSPropValue *values) override
    {
        PROPS props = {Binary(PR_ENTRYID, EntryId('S', store)), Text(PR_DISPLAY_NAME_A, Profile()[store].name),
                       Binary(PR_IPM_SUBTREE_ENTRYID, EntryId('F', store, 0))};
        return GetPropsOf(props, tags, count, values);
    }
    STDMETHODIMP OpenEntry(ULONG cb, LPENTRYID eid, LPCIID, ULONG, ULONG *type, LPUNKNOWN *unk) override
    {
        char kind;
        int s, f;
        if (!type || !unk)
            return MAPI_E_INVALID_PARAMETER;
        if (!ParseEntryId(cb, eid, &kind, &s, &f) || kind == 'S' || s != store)
            return MAPI_E_INVALID_ENTRYID;
        *type = MAPI_FOLDER;
        *unk = static_cast<IMAPIFolder *>(new FOLDER(s, f));
        return S_OK;
    }
    STDMETHODIMP StoreLogoff(ULONG *flags) override
    {
        if (!flags)
            return MAPI_E_INVALID_PARAMETER;
        return S_OK;
    }

private:
    int store;
};

class SESSION : public SESSIONSTUBS {
public:
    SESSION() { InterlockedIncrement(&LiveObjects); }
    ~SESSION() override { InterlockedDecrement(&LiveObjects); }
    STANDIN_IUNKNOWN

    STDMETHODIMP GetMsgStoresTable(ULONG, LPMAPITABLE *table) override
    {
        if (ModeIs("nostoretable"))
            return MAPI_E_CALL_FAILED;
        std::vector<PROPS> rows;
        for (size_t i = 0; i < Profile().size(); ++i) {
            const STOREDEF &s = Profile()[i];
            rows.push_back({Text(PR_DISPLAY_NAME_A, s.name), Binary(PR_ENTRYID, EntryId('S', static_cast<int>(i))),
                            Number(PR_RESOURCE_FLAGS, s.isDefault ? STATUS_DEFAULT_STORE : 0)});
        }
        return HandOutTable(std::move(rows), table);
    }
    STDMETHODIMP OpenMsgStore(ULONG_PTR, ULONG cb, LPENTRYID eid, LPCIID, ULONG, LPMDB *mdb) override
    {
        char kind;
        int s, f;
        if (!mdb)
            return MAPI_E_INVALID_PARAMETER;
        if (!ParseEntryId(cb, eid, &kind, &s, &f) || kind != 'S')
            return MAPI_E_INVALID_ENTRYID;
        MoveCurrentFolder();
        *mdb = new STORE(s);
        return S_OK;
    }
    STDMETHODIMP Logoff(ULONG_PTR, ULONG, ULONG) override { return S_OK; }
};

} // namespace

// ---- the exported functions --------------------------------------------------------------------

STANDIN_EXPORT HRESULT WINAPI MAPIInitialize(LPVOID init)
{
    if (ModeIs("noinit"))
        return MAPI_E_CALL_FAILED;
    MAPIINIT_0 *settings = static_cast<MAPIINIT_0 *>(init);
    if (settings && settings->ulVersion != MAPI_INIT_VERSION)
        return MAPI_E_VERSION;
    InterlockedIncrement(&InitCount);
    return S_OK;
}

STANDIN_EXPORT void WINAPI MAPIUninitialize()
{
    if (InitCount > 0)
        InterlockedDecrement(&InitCount);
}

STANDIN_EXPORT HRESULT WINAPI MAPILogonEx(ULONG_PTR, LPSTR, LPSTR, ULONG flags, LPMAPISESSION *session)
{
    LastLogonFlags = flags;
    if (!session)
        return MAPI_E_INVALID_PARAMETER;
    *session = nullptr;
    if (InitCount <= 0)
        return MAPI_E_NOT_INITIALIZED;
    if (!(flags & MAPI_EXTENDED))
        return MAPI_E_INVALID_PARAMETER;
    MoveCurrentFolder();
    if (ModeIs("nologon"))
        return MAPI_E_LOGON_FAILED;
    *session = new SESSION();
    return S_OK;
}

STANDIN_EXPORT void WINAPI FreeProws(LPSRowSet rows)
{
    if (!rows)
        return;
    for (ULONG i = 0; i < rows->cRows; ++i)
        MAPIFreeBuffer(rows->aRow[i].lpProps);
    MAPIFreeBuffer(rows);
}

STANDIN_EXPORT HRESULT WINAPI HrQueryAllRows(LPMAPITABLE table, LPSPropTagArray tags, LPSRestriction res,
                                             LPSSortOrderSet sort, LONG maxRows, LPSRowSet *rows)
{
    if (!table || !rows)
        return MAPI_E_INVALID_PARAMETER;
    *rows = nullptr;
    HRESULT hr;
    if (tags && FAILED(hr = table->SetColumns(tags, TBL_BATCH)))
        return hr;
    if (res && FAILED(hr = table->Restrict(res, TBL_BATCH)))
        return hr;
    if (sort)
        return MAPI_E_TOO_COMPLEX;
    if (FAILED(hr = table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr)))
        return hr;
    return table->QueryRows(maxRows > 0 ? maxRows : 0x7FFFFFFF, 0, rows);
}

STANDIN_EXPORT HRESULT WINAPI HrGetOneProp(LPMAPIPROP object, ULONG tag, LPSPropValue *value)
{
    if (!object || !value)
        return MAPI_E_INVALID_PARAMETER;
    SizedSPropTagArray(1, tags) = {1, {tag}};
    ULONG count = 0;
    LPSPropValue values = nullptr;
    HRESULT hr = object->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &count, &values);
    if (FAILED(hr))
        return hr;
    if (count != 1 || PROP_TYPE(values[0].ulPropTag) == PT_ERROR) {
        MAPIFreeBuffer(values);
        return MAPI_E_NOT_FOUND;
    }
    *value = values;
    return S_OK;
}

STANDIN_EXPORT HRESULT WINAPI HrAllocAdviseSink(LPNOTIFCALLBACK, LPVOID, LPMAPIADVISESINK *sink)
{
    if (sink)
        *sink = nullptr;
    return MAPI_E_NO_SUPPORT;
}

STANDIN_EXPORT HRESULT WINAPI WrapCompressedRTFStream(LPSTREAM, ULONG, LPSTREAM *out)
{
    if (out)
        *out = nullptr;
    return MAPI_E_NO_SUPPORT;
}

// For the tests: objects and buffers handed out and not yet given back, and the flags of the last
// logon.
STANDIN_EXPORT void WINAPI StandinMapiCounters(LONG *objects, LONG *buffers, ULONG *logonFlags)
{
    if (objects)
        *objects = LiveObjects;
    if (buffers)
        *buffers = LiveBuffers;
    if (logonFlags)
        *logonFlags = LastLogonFlags;
}
