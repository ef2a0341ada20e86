// HASH: the record, its name lookup, and its text form (writer and reader).
//
// The text form is read from files that users edit by hand and from remote peers, so the reader
// never trusts it: lines without "=", bad escapes and the like are reported through an assertion
// (which the user may dismiss) and skipped, and nothing a peer sends can end the program.
#include "kestar/base/hash.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "kestar/base/atomicfile.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysfile.h"

namespace {

// Holds a record's lock (the lock of its name array) for a scope.
class RecordLock {
public:
    explicit RecordLock(STRINGARRAY &names) : a(names) { a.Lock(-1); }
    ~RecordLock() { a.Unlock(); }
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;

private:
    STRINGARRAY &a;
};

inline unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Case-insensitive comparison as the Windows C library's _stricmp does it in the C locale (ASCII
// letters folded to lower case, bytes unsigned).  The order of names in a written file depends on
// it, so both builds must fold the same way ("_" sorts before "A", as it does before "a").
int FoldCompare(const char *a, const char *b)
{
    if (!a)
        a = "<NULL>";
    if (!b)
        b = "<NULL>";
    const unsigned char *p = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(b);
    for (;; p++, q++) {
        unsigned char x = FoldAscii(*p), y = FoldAscii(*q);
        if (x != y || x == 0)
            return static_cast<int>(x) - static_cast<int>(y);
    }
}

bool StartsWithNoCase(const char *p, size_t len, const char *prefix)
{
    size_t n = std::strlen(prefix);
    if (len < n)
        return false;
    for (size_t i = 0; i < n; i++)
        if (FoldAscii(static_cast<unsigned char>(p[i])) != FoldAscii(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

// The bytes that the writer must escape: everything outside 0x20-0x7F, the backslash, and the
// extra set "={}" of the record text form ("=" separates name and value, "={{" opens base64).
inline bool NeedsEscape(unsigned char c)
{
    return c < 0x20 || c > 0x7F || c == '\\' || c == '=' || c == '{' || c == '}';
}

// Upper bound of the bytes a value takes in the text form (exact for values without escapes).
size_t ValueSizeBound(const STRING &value)
{
    size_t len = value.Buffer ? static_cast<size_t>(value.StrLen) : 0;
    if (value.Flags & STRINGFLAG_BINARY)
        return 3 + (len + 2) / 3 * 4 + 2;
    size_t bound = len;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(value.Buffer);
    for (size_t i = 0; i < len; i++)
        if (NeedsEscape(p[i]))
            bound += 3; // "\x" and two digits at the most
    return bound;
}

// Appends a value in the text form: "={{" base64 "}}" for a binary value, else the value
// escaped with the extra set "={}".  Most values need no escape and are copied as they are.
void AppendValue(STRING &out, const STRING &value)
{
    if (value.Flags & STRINGFLAG_BINARY) {
        STRING b64 = value.EncodeBase64(false);
        out.Append("={{", 3);
        if (b64.Buffer)
            out.Append(b64.Buffer, b64.StrLen);
        out.Append("}}", 2);
        return;
    }
    if (!value.Buffer || value.StrLen == 0)
        return;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(value.Buffer);
    for (STRING_SIZE_T i = 0; i < value.StrLen; i++) {
        if (NeedsEscape(p[i])) {
            STRING escaped = value.Escape("={}");
            out.Append(escaped.Buffer, escaped.StrLen);
            return;
        }
    }
    out.Append(value.Buffer, value.StrLen);
}

// Names and values read from the text form get buffers fitted to their content instead of
// whole 96-byte blocks: a phone book holds hundreds of thousands of short names and values, and
// the memory they take is most of the cost of reading it.  Copies keep the block size.
const STRING_SIZE_T kFieldBlockSize = 16;

// A value as read: base64 between "={{" and "}}" (flagged binary), otherwise strictly unescaped.
// Never NULL: "name=" is an empty value, not a missing one.
STRING ReadValue(const char *raw, size_t len)
{
    STRING value;
    if (len >= 5 && std::memcmp(raw, "={{", 3) == 0 && std::memcmp(raw + len - 2, "}}", 2) == 0) {
        STRING b64 = STRING::FromBytes(raw + 3, static_cast<STRING_SIZE_T>(len - 5));
        value = b64.DecodeBase64();
        value.Flags |= STRINGFLAG_BINARY;
    } else if (std::memchr(raw, '\\', len)) {
        value = STRING::FromBytes(raw, static_cast<STRING_SIZE_T>(len)).Unescape(false);
    } else {
        value = STRING::FromBytes(raw, static_cast<STRING_SIZE_T>(len), kFieldBlockSize);
    }
    value.SetNotNull();
    value.CodePage = 1252;
    return value;
}

// Appends the strings (moved) to a name or value array of a record whose lock the caller holds
// or that no other thread can see yet, without a trip through the array's own lock per element:
// each lock is a kernel object, and a phone book has hundreds of thousands of names.  Free slots
// of the table are filled directly (elements are owned through new and delete, as InsertItem does
// it); a full table grows through InsertItem.
void AppendMoved(STRINGARRAY &a, STRING *items, size_t n)
{
    for (size_t k = 0; k < n; k++) {
        if (a.ppItems && a.ItemCount < a.MaxItems)
            a.ppItems[a.ItemCount++] = new STRING(std::move(items[k]));
        else
            a.InsertItem(a.ItemCount, items[k]);
    }
}

} // namespace

HASH::HASH() : Handle(0), keys(64), values(64), LockTable(0)
{
    std::strncpy(keys.TypeName, "HASH-KEYS", sizeof keys.TypeName - 1);
    std::strncpy(values.TypeName, "HASH-VALUES", sizeof values.TypeName - 1);
}

HASH::HASH(const HASH &other) : HASH()
{
    // A record under construction is nobody else's yet: only the source needs its lock.
    HASH &src = const_cast<HASH &>(other);
    RecordLock theirs(src.keys);
    CopyFromLocked(other);
}

HASH::HASH(const STRING &text) : HASH()
{
    if (text.Buffer)
        ParseText(text.Buffer, static_cast<size_t>(text.StrLen));
}

HASH::HASH(const char *text) : HASH()
{
    if (text)
        ParseText(text, std::strlen(text));
}

HASH::~HASH() = default;

void HASH::CopyFrom(const HASH &other)
{
    HASH &src = const_cast<HASH &>(other); // locking changes no content
    RecordLock mine(keys);
    RecordLock theirs(src.keys);
    CopyFromLocked(other);
}

void HASH::CopyFromLocked(const HASH &other)
{
    const HASH &src = other;
    Handle = other.Handle;
    if (keys.NumItems() > 0 || values.NumItems() > 0) {
        keys.FreeItems();
        values.FreeItems();
    }
    size_t n = static_cast<size_t>(src.keys.NumItems());
    if (n > 0) {
        keys.FitEmpty(static_cast<STRING_SIZE_T>(n));
        values.FitEmpty(static_cast<STRING_SIZE_T>(n));
        std::vector<STRING> copies;
        copies.reserve(n);
        for (size_t i = 0; i < n; i++)
            copies.push_back(*src.NameAt(static_cast<int>(i)));
        AppendMoved(keys, copies.data(), n);
        copies.clear();
        for (size_t i = 0; i < n; i++)
            copies.push_back(*src.ValueAt(static_cast<int>(i)));
        AppendMoved(values, copies.data(), n);
    }
    LockTable = other.LockTable;
    Key = other.Key;
}

void HASH::Assign(const HASH &other)
{
    if (&other != this)
        CopyFrom(other);
}

HASH &HASH::operator=(const HASH &other)
{
    Assign(other);
    return *this;
}

int HASH::Search(const char *name, bool *found) const
{
    // Names are kept in order, so the first name not smaller than the wanted one is found by
    // bisection; equal names keep their order of arrival, and this finds the first of them.
    int lo = 0, hi = keys.NumItems();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (FoldCompare(NameAt(mid)->Buffer, name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    *found = lo < keys.NumItems() && FoldCompare(NameAt(lo)->Buffer, name) == 0;
    return lo;
}

STRING &HASH::operator[](const char *name)
{
    RecordLock lock(keys);
    bool found;
    int i = Search(name, &found);
    if (!found) {
        LOGIT::Assert(!LockTable, "!this->LockTable", __FILE__, __LINE__, STR::SafeText(name, "HASH"), 0);
        STRING key(name ? name : "<NULL>");
        keys.InsertItem(i, key);
        values.InsertItem(i, STRING());
    }
    return *ValueAt(i);
}

STRING &HASH::Get(const char *name)
{
    RecordLock lock(keys);
    bool found;
    int i = Search(name, &found);
    if (!found) {
        LOGIT::Assert(0, "rcidx!=-1", __FILE__, __LINE__, STR::SafeText(name, "HASH"), 0);
        LOGIT::OrderlyStop();
    }
    return *ValueAt(i);
}

int HASH::Exists(const char *name, STRING **value)
{
    bool found;
    int i = Search(name, &found);
    if (value)
        *value = found ? ValueAt(i) : nullptr;
    return found ? 1 : 0;
}

const STRING *HASH::Lookup(const char *name)
{
    RecordLock lock(keys);
    bool found;
    int i = Search(name, &found);
    return found ? ValueAt(i) : nullptr;
}

int HASH::FindKey(const char *name) const
{
    bool found;
    int i = Search(name, &found);
    return found ? i : -1;
}

int HASH::NumKeys() const
{
    return keys.NumItems();
}

const STRING &HASH::GetKeyAt(int i)
{
    return *keys[i];
}

STRING &HASH::GetValueAt(int i)
{
    return *values[i];
}

int HASH::DeleteKey(const char *name)
{
    RecordLock lock(keys);
    bool found;
    int i = Search(name, &found);
    if (!found)
        return 0;
    keys.DeleteItem(i);
    values.DeleteItem(i);
    return 1;
}

STRINGARRAY HASH::GetKeys()
{
    RecordLock lock(keys);
    return keys;
}

void HASH::Merge(HASH &other)
{
    RecordLock mine(keys);
    RecordLock theirs(other.keys);
    int n = other.keys.NumItems();
    for (int i = 0; i < n; i++) {
        STRING value = *other.ValueAt(i); // a copy: other may be this record
        (*this)[other.NameAt(i)->Buffer] = value;
    }
}

int HASH::AllowNewKeys(int allow)
{
    int previous = LockTable;
    LockTable = allow ? 0 : 1;
    return previous;
}

void HASH::SetKey(const char *text)
{
    Key = text;
}

bool HASH::KeyLess(const char *a, const char *b)
{
    return FoldCompare(a, b) < 0;
}

void HASH::SortKeys()
{
    RecordLock lock(keys);
    size_t n = static_cast<size_t>(keys.NumItems());
    // A stable sort of the indexes (equal names keep their order), then both tables are put in
    // that order: O(n log n) also for a hand-made file with thousands of names.
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; i++)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        return KeyLess(NameAt(static_cast<int>(a))->Buffer, NameAt(static_cast<int>(b))->Buffer);
    });
    std::vector<STRING *> names(n), vals(n);
    for (size_t i = 0; i < n; i++) {
        names[i] = NameAt(static_cast<int>(order[i]));
        vals[i] = ValueAt(static_cast<int>(order[i]));
    }
    for (size_t i = 0; i < n; i++) {
        keys.ppItems[i] = names[i];
        values.ppItems[i] = vals[i];
    }
}

bool HASH::ParseText(const char *p, size_t len)
{
    bool sawKey = false;
    std::vector<STRING> names, vals;
    const char *end = p + len;
    // Room for every line at once: growing the two vectors step by step would allocate and move
    // each of them several times per record.
    size_t lines = 1;
    for (const char *q = p; (q = static_cast<const char *>(std::memchr(q, '\n', static_cast<size_t>(end - q)))); q++)
        lines++;
    names.reserve(lines);
    vals.reserve(lines);
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char *lineEnd = nl ? nl : end;
        const char *line = p;
        p = nl ? nl + 1 : end;
        while (lineEnd > line && lineEnd[-1] == '\r')
            lineEnd--;
        size_t n = static_cast<size_t>(lineEnd - line);
        if (n == 0 || (n >= 2 && line[0] == '/' && line[1] == '/'))
            continue;
        if (line[0] == '#' && !StartsWithNoCase(line, n, "#Handle=") && !StartsWithNoCase(line, n, "#Key="))
            continue;
        const char *eq = static_cast<const char *>(std::memchr(line, '=', n));
        if (!eq) {
            STRING info = STRING::FromBytes(line, static_cast<STRING_SIZE_T>(n));
            LOGIT::Assert(0, "item.Find(\"=\")", __FILE__, __LINE__, info.Buffer, 0);
            continue;
        }
        size_t nameLen = static_cast<size_t>(eq - line);
        STRING value = ReadValue(eq + 1, n - nameLen - 1);
        if (nameLen == 7 && StartsWithNoCase(line, nameLen, "#Handle")) {
            // Read as a signed decimal number and kept as 32 bits, so that what the writer puts
            // out ("%lu") always reads back the same in both builds.
            Handle = static_cast<uint32_t>(std::strtoll(value.Buffer, nullptr, 10));
        } else if (nameLen == 4 && StartsWithNoCase(line, nameLen, "#Key")) {
            Key = value;
            sawKey = true;
        } else {
            names.push_back(STRING::FromBytes(line, static_cast<STRING_SIZE_T>(nameLen), kFieldBlockSize));
            vals.push_back(std::move(value));
        }
    }
    if (names.empty())
        return sawKey;

    // Names in order, equal ones in their order of arrival.  What this system wrote is in order
    // already; anything else is sorted in O(n log n).
    size_t count = names.size();
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; i++)
        order[i] = i;
    auto less = [&names](size_t a, size_t b) { return KeyLess(names[a].Buffer, names[b].Buffer); };
    bool sorted = true;
    for (size_t i = 1; i < count && sorted; i++)
        sorted = !less(i, i - 1);
    std::vector<STRING> sortedNames, sortedValues;
    if (!sorted) {
        std::stable_sort(order.begin(), order.end(), less);
        sortedNames.reserve(count);
        sortedValues.reserve(count);
        for (size_t i : order) {
            sortedNames.push_back(std::move(names[i]));
            sortedValues.push_back(std::move(vals[i]));
        }
        names.swap(sortedNames);
        vals.swap(sortedValues);
    }

    bool wasEmpty = keys.NumItems() == 0;
    if (wasEmpty) {
        // Tables of the names read rather than of 64 slots each (they still grow by 64).
        keys.FitEmpty(static_cast<STRING_SIZE_T>(count));
        values.FitEmpty(static_cast<STRING_SIZE_T>(count));
    }
    AppendMoved(keys, names.data(), count);
    AppendMoved(values, vals.data(), count);
    if (!wasEmpty)
        SortKeys();
    return sawKey;
}

size_t HASH::TextSizeBound()
{
    size_t size = 0;
    if (Handle != 0)
        size += 20;
    if (Key.Buffer)
        size += 6 + ValueSizeBound(Key);
    int n = keys.NumItems();
    for (int i = 0; i < n; i++)
        size += static_cast<size_t>(NameAt(i)->StrLen) + 2 + ValueSizeBound(*ValueAt(i));
    return size;
}

size_t HASH::TextSizeHint()
{
    size_t size = Handle != 0 ? 20 : 0;
    if (Key.Buffer)
        size += 6 + static_cast<size_t>(Key.StrLen);
    int n = keys.NumItems();
    for (int i = 0; i < n; i++)
        size += static_cast<size_t>(NameAt(i)->StrLen) + 2 + static_cast<size_t>(ValueAt(i)->StrLen);
    return size;
}

void HASH::AppendText(STRING &out)
{
    if (Handle != 0) {
        char line[32];
        int len = std::snprintf(line, sizeof line, "#Handle=%lu\n", static_cast<unsigned long>(Handle));
        out.Append(line, len);
    }
    if (Key.Buffer) {
        // Escaped like every value (the reader unescapes it like every value), so that a key
        // with a backslash or a line break survives; ordinary keys are written as they stand.
        out.Append("#Key=", 5);
        AppendValue(out, Key);
        out.Append("\n", 1);
    }
    int n = keys.NumItems();
    for (int i = 0; i < n; i++) {
        const STRING &name = *NameAt(i);
        if (name.Buffer)
            out.Append(name.Buffer, name.StrLen);
        out.Append("=", 1);
        AppendValue(out, *ValueAt(i));
        out.Append("\n", 1);
    }
}

STRING HASH::ToString()
{
    RecordLock lock(keys);
    STRING out;
    // Sized once, in steps of 64 KiB, to at least what the text needs: no reallocation.
    size_t bound = TextSizeBound() + 16;
    out.BlockSize = static_cast<STRING_SIZE_T>((bound + 0xFFFF) & ~static_cast<size_t>(0xFFFF));
    out.SetNotNull();
    AppendText(out);
    return out;
}

namespace {

// The text with every line feed stored as CR LF, as the Windows text-mode streams did for these
// files; kept byte for byte the same in the native build.
STRING ToCrLf(const STRING &text)
{
    STRING out;
    if (!text.Buffer)
        return out;
    size_t lines = 0;
    for (STRING_SIZE_T i = 0; i < text.StrLen; i++)
        lines += text.Buffer[i] == '\n';
    out.BlockSize = static_cast<STRING_SIZE_T>(static_cast<size_t>(text.StrLen) + lines + 16);
    out.SetNotNull();
    const char *p = text.Buffer, *end = text.Buffer + text.StrLen;
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!nl) {
            out.Append(p, static_cast<STRING_SIZE_T>(end - p));
            break;
        }
        out.Append(p, static_cast<STRING_SIZE_T>(nl - p));
        out.Append("\r\n", 2);
        p = nl + 1;
    }
    return out;
}

} // namespace

int HASH::SaveText(const char *path, const STRING &text, char *error, size_t errorSize)
{
    STRING file = ToCrLf(text);
    int code = 0;
    size_t length = file.Buffer ? static_cast<size_t>(file.StrLen) : 0;
    bool ok = ATOMICFILE::WriteReplace(path, file.Buffer, length, &code);
    if (ok)
        std::snprintf(error, errorSize, "OK");
    else
        OSYSFILE::LastErrorText(error, errorSize);
    return ok ? 1 : 0;
}

int HASH::Save(const char *path)
{
    LOGIT::Printf("HASH::Save %s\n", STR::SafeText(path, "HASH::Save"));
    char error[256];
    int ok = SaveText(path, ToString(), error, sizeof error);
    if (!ok)
        LOGIT::Printf("HASH::Save %s failed: %s\n", STR::SafeText(path, "HASH::Save"), error);
    LOGIT::Printf("HASH::Save returns ok= %d\n", ok);
    return ok;
}

int HASH::Load(const char *path)
{
    LOGIT::Printf("HASH::Load %s\n", STR::SafeText(path, "HASH::Load"));
    STRING text;
    char error[256];
    // Read in binary: the parser drops the CR of CR LF itself, in both builds alike.
    bool ok = path && text.Load(path, "rb");
    if (ok)
        std::snprintf(error, sizeof error, "OK");
    else
        OSYSFILE::LastErrorText(error, sizeof error);
    if (ok) {
        HASH loaded;
        bool sawKey = text.Buffer ? loaded.ParseText(text.Buffer, static_cast<size_t>(text.StrLen)) : false;
        if (!sawKey)
            loaded.Key = Key;
        Assign(loaded);
    }
    LOGIT::Printf("HASH::Load returns ok= %d, %s\n", ok ? 1 : 0, error);
    return ok ? 1 : 0;
}
