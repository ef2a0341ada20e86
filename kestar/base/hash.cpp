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
#include <new>
#include <utility>
#include <vector>

#include "kestar/base/atomicfile.h"
#include "kestar/base/atomicwriter.h"
#include "kestar/base/critsect.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/recordmemory.h"
#include "kestar/base/textrules.h"

namespace {

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
        if (*p == *q) {
            if (*p == 0)
                return 0;
            continue; // equal bytes fold alike
        }
        unsigned char x = FoldAscii(*p), y = FoldAscii(*q);
        if (x != y)
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
struct ESCAPETABLE {
    bool Needs[256];
    ESCAPETABLE()
    {
        for (int c = 0; c < 256; c++)
            Needs[c] = c < 0x20 || c > 0x7F || c == '\\' || c == '=' || c == '{' || c == '}';
    }
};
const ESCAPETABLE kEscape;

inline bool NeedsEscape(unsigned char c)
{
    return kEscape.Needs[c];
}

// Room for a value in the text form: escapes make a byte at most four ("\xNN"), base64 makes
// three bytes four and adds "={{" and "}}".
inline size_t ValueRoom(const STRING &value)
{
    size_t len = value.Buffer ? static_cast<size_t>(value.StrLen) : 0;
    if (value.Flags & STRINGFLAG_BINARY)
        return 5 + (len + 2) / 3 * 4;
    return 4 * len;
}

inline char *Put(char *out, const char *p, size_t n)
{
    TEXTRULES::CopyBytes(out, p, n);
    return out + n;
}

// Writes a value in the text form: "={{" base64 "}}" for a binary value, else the value escaped
// with the extra set "={}".  Most values need no escape and are copied as they are.
char *PutValue(char *out, const STRING &value)
{
    if (value.Flags & STRINGFLAG_BINARY) {
        STRING b64 = value.EncodeBase64(false);
        out = Put(out, "={{", 3);
        if (b64.Buffer)
            out = Put(out, b64.Buffer, static_cast<size_t>(b64.StrLen));
        return Put(out, "}}", 2);
    }
    if (!value.Buffer || value.StrLen == 0)
        return out;
    // As BINARY::Escape("={}") writes it, straight into the text.
    static const char hex[] = "0123456789abcdef";
    const unsigned char *p = reinterpret_cast<const unsigned char *>(value.Buffer);
    size_t len = static_cast<size_t>(value.StrLen), i = 0;
    while (i < len && !NeedsEscape(p[i]))
        i++;
    out = Put(out, value.Buffer, i);
    for (; i < len; i++) {
        unsigned char c = p[i];
        if (!NeedsEscape(c)) {
            *out++ = static_cast<char>(c);
            continue;
        }
        *out++ = '\\';
        switch (c) {
        case 0x00: *out++ = '0'; break;
        case 0x09: *out++ = 't'; break;
        case 0x0A: *out++ = 'n'; break;
        case 0x0D: *out++ = 'r'; break;
        case 0x1A: *out++ = 'z'; break;
        case 0x5C: *out++ = '\\'; break;
        default:
            *out++ = 'x';
            *out++ = hex[c >> 4];
            *out++ = hex[c & 0x0F];
            break;
        }
    }
    return out;
}

// A name as it stands; in a file every line feed in it becomes CR LF, like every other.
char *PutName(char *out, const STRING &name, bool crlf)
{
    if (!name.Buffer)
        return out;
    size_t len = static_cast<size_t>(name.StrLen);
    if (!crlf || !TEXTRULES::FindByte(name.Buffer, len, '\n'))
        return Put(out, name.Buffer, len);
    for (size_t i = 0; i < len; i++) {
        if (name.Buffer[i] == '\n')
            *out++ = '\r';
        *out++ = name.Buffer[i];
    }
    return out;
}

inline char *PutLineEnd(char *out, bool crlf)
{
    if (crlf)
        *out++ = '\r';
    *out++ = '\n';
    return out;
}

// Names and values read from the text form that need no unescaping borrow their bytes from the
// record's block; they grow in 16-byte blocks when changed.  A phone book holds hundreds of
// thousands of short names and values, and a buffer of their own for each was most of the cost
// of reading it.
const STRING_SIZE_T kFieldBlockSize = 16;

// s borrows n bytes at text, which the caller has terminated.
void Borrow(STRING &s, char *text, size_t n, STRING_SIZE_T blockSize, uint32_t flags, int codePage)
{
    s.Buffer = text;
    s.StrLen = static_cast<STRING_SIZE_T>(n);
    s.BufLen = static_cast<STRING_SIZE_T>(n + 1);
    s.BlockSize = blockSize;
    s.Flags = flags | STRINGFLAG_BORROWED;
    s.CodePage = codePage;
}

// A copy of from into to (an empty string), the bytes taken from *text onwards.
void CopyInto(STRING &to, const STRING &from, char **text)
{
    if (!from.Buffer || (from.Flags & STRINGFLAG_WIDE)) {
        to = from;
        return;
    }
    size_t n = static_cast<size_t>(from.StrLen);
    char *p = *text;
    TEXTRULES::CopyBytes(p, from.Buffer, n);
    p[n] = 0;
    Borrow(to, p, n, from.BlockSize, from.Flags & ~STRINGFLAG_BORROWED, from.CodePage);
    *text = p + n + 1;
}

size_t CopySize(const STRING &s)
{
    return s.Buffer && !(s.Flags & STRINGFLAG_WIDE) ? static_cast<size_t>(s.StrLen) + 1 : 0;
}

// A value as read that needs more than its bytes: base64 between "={{" and "}}" (flagged
// binary), or escapes (strictly unescaped).  Never NULL.
bool NeedsDecoding(const char *raw, size_t len)
{
    return (len >= 5 && std::memcmp(raw, "={{", 3) == 0 && std::memcmp(raw + len - 2, "}}", 2) == 0) ||
           TEXTRULES::FindByte(raw, len, '\\');
}

bool IsBase64Value(const char *raw, size_t len)
{
    return len >= 5 && std::memcmp(raw, "={{", 3) == 0 && std::memcmp(raw + len - 2, "}}", 2) == 0;
}

inline int HexDigit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte of the escape at p[0] == '\\' (of len bytes from p), or -1 when it is not one of the
// escapes the writer makes ("\\x" needs two hex digits); *size gets its length.
inline int EscapedByte(const char *p, size_t len, size_t *size)
{
    *size = 2;
    if (len < 2)
        return -1;
    switch (p[1]) {
    case '"': return 0x22;
    case '\'': return 0x27;
    case '0': return 0x00;
    case '\\': return 0x5C;
    case 'n': return 0x0A;
    case 'r': return 0x0D;
    case 't': return 0x09;
    case 'z': return 0x1A;
    case 'x': {
        if (len < 4)
            return -1;
        int hi = HexDigit(static_cast<unsigned char>(p[2])), lo = HexDigit(static_cast<unsigned char>(p[3]));
        if (hi < 0 || lo < 0)
            return -1;
        *size = 4;
        return hi * 16 + lo;
    }
    default: return -1;
    }
}

// Unescapes raw in place, as BINARY::Unescape does it, when every escape in it is a good one;
// returns the new length, or -1 (raw unchanged) for the reader that reports bad escapes.
long long UnescapeInPlace(char *raw, size_t len)
{
    size_t size;
    for (const char *q = raw, *end = raw + len;
         (q = TEXTRULES::FindByte(q, static_cast<size_t>(end - q), '\\')); q += size)
        if (EscapedByte(q, static_cast<size_t>(end - q), &size) < 0)
            return -1;
    char *out = raw;
    for (size_t i = 0; i < len;) {
        if (raw[i] != '\\') {
            *out++ = raw[i++];
            continue;
        }
        *out++ = static_cast<char>(EscapedByte(raw + i, len - i, &size));
        i += size;
    }
    return out - raw;
}

STRING DecodeValue(const char *raw, size_t len)
{
    STRING value;
    if (len >= 5 && std::memcmp(raw, "={{", 3) == 0 && std::memcmp(raw + len - 2, "}}", 2) == 0) {
        STRING b64 = STRING::FromBytes(raw + 3, static_cast<STRING_SIZE_T>(len - 5));
        value = b64.DecodeBase64();
        value.Flags |= STRINGFLAG_BINARY;
    } else if (TEXTRULES::FindByte(raw, len, '\\')) {
        value = STRING::FromBytes(raw, static_cast<STRING_SIZE_T>(len)).Unescape(false);
    } else {
        value = STRING::FromBytes(raw, static_cast<STRING_SIZE_T>(len), kFieldBlockSize);
    }
    value.SetNotNull();
    value.CodePage = 1252;
    return value;
}

// The line feed that ends the line at p (null when the text ends first) and the line's first "="
// (null when it has none), in one pass sixteen or eight bytes at a time: a record's lines are
// short, and two calls into the C library for each of them cost more than the reading.
inline const char *SplitLine(const char *p, const char *end, const char **eq)
{
    *eq = nullptr;
#if defined(__SSE2__)
    const __m128i feeds16 = _mm_set1_epi8('\n'), equals16 = _mm_set1_epi8('=');
    for (; end - p >= 16; p += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        unsigned atFeed = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, feeds16)));
        unsigned atEq = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, equals16)));
        if (atEq && !*eq) {
            int at = __builtin_ctz(atEq);
            if (!atFeed || at < __builtin_ctz(atFeed))
                *eq = p + at;
        }
        if (atFeed)
            return p + __builtin_ctz(atFeed);
    }
#endif
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const uint64_t feeds = ones * '\n', equals = ones * '=';
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        uint64_t x = word ^ feeds, y = word ^ equals;
        // A high bit where the byte was found; the lowest one is exact (the first byte in memory).
        uint64_t atFeed = (x - ones) & ~x & highs, atEq = (y - ones) & ~y & highs;
        if (atEq && !*eq) {
            int at = __builtin_ctzll(atEq) / 8;
            if (!atFeed || at < __builtin_ctzll(atFeed) / 8)
                *eq = p + at;
        }
        if (atFeed)
            return p + __builtin_ctzll(atFeed) / 8;
    }
#endif
    for (; p < end; p++) {
        if (*p == '\n')
            return p;
        if (*p == '=' && !*eq)
            *eq = p;
    }
    return nullptr;
}

// A line of a record's text that the reader takes: its start, its first "=" (null when it has
// none) and its end without line feed and CRs.
struct TEXTLINE {
    const char *Start;
    const char *Eq;
    const char *End;
};

// Equal bytes, eight at a time and without a call into the C library, for the few bytes of a name.
inline bool SameBytes(const char *a, const char *b, size_t n)
{
    for (; n >= 8; a += 8, b += 8, n -= 8) {
        uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y)
            return false;
    }
    for (size_t i = 0; i < n; i++)
        if (a[i] != b[i])
            return false;
    return true;
}

inline bool OwnsBuffer(const STRING &s)
{
    return s.Buffer && !(s.Flags & STRINGFLAG_BORROWED);
}

const char *const kNamesType = "HASH-KEYS";
const char *const kValuesType = "HASH-VALUES";

} // namespace

struct alignas(8) HASH::BLOCK {
    BLOCK *Next;
    size_t Slots; // field slots
    size_t Used;  // slots constructed (from the first on)
    char *Text;   // the bytes of text, after the slots (and the table)
    NAMES *Shared; // counted: the names of the fields (FIELD slots), or null
    size_t Bytes; // the size of the block, for RECORDMEMORY
    bool Own;     // the slots are OWNFIELDs
    FIELD *Fields() { return reinterpret_cast<FIELD *>(this + 1); }
    OWNFIELD *OwnFields() { return reinterpret_cast<OWNFIELD *>(this + 1); }
};

struct alignas(8) HASH::NAMES {
    std::atomic<long> Refs;
    size_t Count;
    bool InOrder; // each name sorts at or after the one before it
    STRING *Names() { return reinterpret_cast<STRING *>(this + 1); }
};

std::atomic<HASH::NAMES *> HASH::lastNames{nullptr};

HASH::NAMES *HASH::ShareNames(const char *const *texts, const size_t *lengths, size_t n)
{
    // Taken out while compared, so that no other thread frees them meanwhile.
    NAMES *last = lastNames.exchange(nullptr);
    bool same = last && last->Count == n;
    for (size_t i = 0; same && i < n; i++) {
        const STRING &name = last->Names()[i];
        same = static_cast<size_t>(name.StrLen) == lengths[i] && SameBytes(name.Buffer, texts[i], lengths[i]);
    }
    NAMES *result = last;
    if (!same) {
        if (last)
            Release(last);
        size_t bytes = 0;
        for (size_t i = 0; i < n; i++)
            bytes += lengths[i] + 1;
        result = nullptr;
        if (n < 0x1000000u && bytes < 0x80000000u)
            result = static_cast<NAMES *>(std::malloc(sizeof(NAMES) + n * sizeof(STRING) + bytes));
        if (!result) {
            char info[64];
            std::snprintf(info, sizeof info, "names= %lu, bytes= %lu", static_cast<unsigned long>(n),
                          static_cast<unsigned long>(bytes));
            LOGIT::Assert(0, "names", __FILE__, __LINE__, info, 0);
            LOGIT::OrderlyStop();
        }
        new (&result->Refs) std::atomic<long>(1); // the count of lastNames
        result->Count = n;
        char *text = reinterpret_cast<char *>(result->Names() + n);
        for (size_t i = 0; i < n; i++) {
            TEXTRULES::CopyBytes(text, texts[i], lengths[i]);
            text[lengths[i]] = 0;
            new (result->Names() + i) STRING();
            Borrow(result->Names()[i], text, lengths[i], kFieldBlockSize, 0, 1252);
            text += lengths[i] + 1;
        }
        result->InOrder = true;
        for (size_t i = 1; result->InOrder && i < n; i++)
            result->InOrder = !KeyLess(result->Names()[i].Buffer, result->Names()[i - 1].Buffer);
    }
    result->Refs.fetch_add(1); // the caller's
    NAMES *replaced = lastNames.exchange(result);
    if (replaced)
        Release(replaced);
    return result;
}

void HASH::Release(NAMES *names)
{
    // The names borrow their bytes: nothing to free but the whole.
    if (names && names->Refs.fetch_sub(1) == 1)
        std::free(names);
}

void *HASH::operator new(size_t bytes)
{
    if (void *p = RECORDMEMORY::Get(bytes))
        return p;
    throw std::bad_alloc();
}

void HASH::operator delete(void *p, size_t bytes)
{
    RECORDMEMORY::Put(p, bytes);
}

HASH::HASH()
    : Handle(0), table(nullptr), count(0), room(0), tableInBlock(false), blocks(nullptr), nameSet(nullptr), blockText(0),
      LockTable(0)
{
}

HASH::HASH(const HASH &other) : HASH()
{
    // A record under construction is nobody else's yet: only the source needs its lock.
    HOLD theirs(other);
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

HASH::~HASH()
{
    Clear();
}

void HASH::Clear()
{
    for (BLOCK *b = blocks; b;) {
        BLOCK *next = b->Next;
        if (b->Own) {
            OWNFIELD *f = b->OwnFields();
            for (size_t i = 0; i < b->Used; i++)
                if (OwnsBuffer(f[i].OwnName) || OwnsBuffer(f[i].Field.Value))
                    f[i].~OWNFIELD(); // the others have nothing to free
        } else {
            FIELD *f = b->Fields();
            for (size_t i = 0; i < b->Used; i++)
                if (OwnsBuffer(f[i].Value))
                    f[i].~FIELD();
        }
        Release(b->Shared);
        RECORDMEMORY::Put(b, b->Bytes);
        b = next;
    }
    blocks = nullptr;
    nameSet = nullptr;
    blockText.store(0, std::memory_order_relaxed);
    if (!tableInBlock)
        RECORDMEMORY::Put(table, static_cast<size_t>(room) * sizeof(FIELD *));
    tableInBlock = false;
    table = nullptr;
    count = 0;
    room = 0;
    spare.clear();
}

HASH::BLOCK *HASH::NewBlock(size_t slots, size_t textBytes, bool withTable, bool own)
{
    // With the table: slots pointers after the field slots, where an empty record keeps its table.
    // No byte more: a phone book's records are most of the fresh memory that reading it costs.
    size_t slotSize = own ? sizeof(OWNFIELD) : sizeof(FIELD);
    size_t size = sizeof(BLOCK) + slots * slotSize + (withTable ? slots * sizeof(FIELD *) : 0) + textBytes;
    BLOCK *b = nullptr;
    if (slots < 0x10000000u && textBytes < 0x80000000u)
        b = static_cast<BLOCK *>(RECORDMEMORY::Get(size));
    if (!b) {
        char info[64];
        std::snprintf(info, sizeof info, "slots= %lu, bytes= %lu", static_cast<unsigned long>(slots),
                      static_cast<unsigned long>(textBytes));
        LOGIT::Assert(0, "block", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    b->Next = blocks;
    b->Slots = slots;
    b->Used = 0;
    b->Shared = nullptr;
    b->Bytes = size;
    b->Own = own;
    b->Text = reinterpret_cast<char *>(b + 1) + slots * slotSize;
    blocks = b;
    if (withTable && !table) {
        table = reinterpret_cast<FIELD **>(b->Text);
        room = static_cast<int>(slots);
        tableInBlock = true;
    }
    if (withTable)
        b->Text += slots * sizeof(FIELD *);
    return b;
}

HASH::FIELD *HASH::NewField()
{
    if (!spare.empty()) {
        FIELD *f = spare.back();
        spare.pop_back();
        return f;
    }
    if (!blocks || !blocks->Own || blocks->Used == blocks->Slots) {
        // Slots for names added one by one: a few at first, more as the record grows.
        size_t slots = count < 8 ? 8 : (count < 64 ? static_cast<size_t>(count) : 64);
        NewBlock(slots, 0, false, true);
    }
    nameSet = nullptr; // this name is the field's own
    static_assert(sizeof(OWNFIELD) == sizeof(FIELD) + sizeof(STRING), "an own name follows its field");
    OWNFIELD *own = new (blocks->OwnFields() + blocks->Used++) OWNFIELD();
    own->Field.Name = &own->OwnName;
    return &own->Field;
}

void HASH::Reserve(int slots)
{
    if (slots <= room)
        return;
    FIELD **grown = nullptr;
    if (slots > 0 && slots <= 0x3FFFFFFF)
        grown = static_cast<FIELD **>(RECORDMEMORY::Get(static_cast<size_t>(slots) * sizeof(FIELD *)));
    if (!grown) {
        char info[64];
        std::snprintf(info, sizeof info, "slots= %d, type= %s", slots, kNamesType);
        LOGIT::Assert(0, "this->ppItems", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    if (count > 0)
        std::memcpy(grown, table, static_cast<size_t>(count) * sizeof(FIELD *));
    if (!tableInBlock)
        RECORDMEMORY::Put(table, static_cast<size_t>(room) * sizeof(FIELD *));
    tableInBlock = false;
    table = grown;
    room = slots;
}

void HASH::InsertField(int i, FIELD *f)
{
    if (count == room)
        Reserve(room < 8 ? 8 : room * 2);
    std::memmove(table + i + 1, table + i, static_cast<size_t>(count - i) * sizeof(FIELD *));
    table[i] = f;
    count++;
}

HASH::FIELD *HASH::FieldAt(int i, const char *type)
{
    HOLD mine(*this);
    if (i < 0 || i >= count) {
        char info[160];
        std::snprintf(info, sizeof info, "i= %d, max= %d, count= %d, type= %s, this= %p", i, room, count, type,
                      static_cast<void *>(this));
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, info, 0);
        LOGIT::OrderlyStop();
    }
    return table[i];
}

void HASH::CopyFrom(const HASH &other)
{
    HOLD mine(*this);
    HOLD theirs(other);
    CopyFromLocked(other);
}

void HASH::CopyFromLocked(const HASH &other)
{
    const HASH &src = other;
    Handle = other.Handle;
    Clear();
    size_t n = static_cast<size_t>(src.count);
    if (n > 0) {
        // All values in one block of their own; the names are shared with the source when all
        // of its names are of one NAMES, else made (or shared with the record made last).
        NAMES *shared = src.nameSet;
        if (shared) {
            shared->Refs.fetch_add(1);
        } else {
            std::vector<const char *> texts(n);
            std::vector<size_t> lengths(n);
            for (size_t i = 0; i < n; i++) {
                const STRING *name = src.table[i]->Name;
                texts[i] = name->Buffer ? name->Buffer : "";
                lengths[i] = name->Buffer ? static_cast<size_t>(name->StrLen) : 0;
            }
            shared = ShareNames(texts.data(), lengths.data(), n);
        }
        size_t bytes = 0;
        for (size_t i = 0; i < n; i++)
            bytes += CopySize(src.table[i]->Value);
        BLOCK *b = NewBlock(n, bytes, true);
        b->Shared = shared;
        size_t guess = src.blockText.load(std::memory_order_relaxed);
        blockText.store(guess > 0 ? guess : bytes, std::memory_order_relaxed);
        char *text = b->Text;
        FIELD *slots = b->Fields();
        for (size_t i = 0; i < n; i++) {
            FIELD *f = new (slots + i) FIELD();
            b->Used++;
            f->Name = src.nameSet ? src.table[i]->Name : shared->Names() + i;
            CopyInto(f->Value, src.table[i]->Value, &text);
            table[i] = f;
        }
        count = static_cast<int>(n);
        nameSet = shared;
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
    int lo = 0, hi = count;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (FoldCompare(NameAt(mid)->Buffer, name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    *found = lo < count && FoldCompare(NameAt(lo)->Buffer, name) == 0;
    return lo;
}

STRING &HASH::operator[](const char *name)
{
    HOLD mine(*this);
    bool found;
    int i = Search(name, &found);
    if (!found) {
        LOGIT::Assert(!LockTable, "!this->LockTable", __FILE__, __LINE__, STR::SafeText(name, "HASH"), 0);
        FIELD *f = NewField();
        *f->Name = name ? name : "<NULL>";
        InsertField(i, f);
    }
    return *ValueAt(i);
}

STRING &HASH::Get(const char *name)
{
    HOLD mine(*this);
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
    HOLD mine(*this);
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
    return count;
}

const STRING &HASH::GetKeyAt(int i)
{
    return *FieldAt(i, kNamesType)->Name;
}

STRING &HASH::GetValueAt(int i)
{
    return FieldAt(i, kValuesType)->Value;
}

int HASH::DeleteKey(const char *name)
{
    HOLD mine(*this);
    bool found;
    int i = Search(name, &found);
    if (!found)
        return 0;
    FIELD *f = table[i];
    std::memmove(table + i, table + i + 1, static_cast<size_t>(count - i - 1) * sizeof(FIELD *));
    count--;
    if (HasOwnName(f)) {
        // The slot stays in its block, empty, for the next new name.
        OWNFIELD *own = reinterpret_cast<OWNFIELD *>(f);
        own->~OWNFIELD();
        new (own) OWNFIELD();
        own->Field.Name = &own->OwnName;
        spare.push_back(f);
    } else {
        // A slot whose name is shared stays unused until the record is cleared.
        f->Value.Free();
    }
    return 1;
}

STRINGARRAY HASH::GetKeys()
{
    HOLD mine(*this);
    STRINGARRAY names(count > 64 ? count : 64);
    for (int i = 0; i < count; i++)
        names.AddItem(*NameAt(i));
    return names;
}

void HASH::Merge(HASH &other)
{
    HOLD mine(*this);
    HOLD theirs(other);
    int n = other.count;
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

// Stable order of the fields by name: insertion into place for the usual few names, a merge sort
// for many.
void HASH::SortFields(FIELD **first, FIELD **last)
{
    auto less = [](const FIELD *x, const FIELD *y) { return KeyLess(x->Name->Buffer, y->Name->Buffer); };
    if (last - first > 48) {
        std::stable_sort(first, last, less);
        return;
    }
    for (FIELD **i = first + 1; i < last; i++) {
        FIELD *f = *i;
        FIELD **j = i;
        for (; j > first && less(f, j[-1]); j--)
            *j = j[-1];
        *j = f;
    }
}

void HASH::SortKeys()
{
    HOLD mine(*this);
    // Stable: equal names keep their order; O(n log n) also for a hand-made file with thousands
    // of names.
    SortFields(table, table + count);
}

bool HASH::ParseText(const char *text, size_t len)
{
    bool sawKey = false;
    // The lines are split once: the lines that the reader takes, how many of them make fields and
    // how many bytes their values take at most.
    const size_t kInline = 32;
    TEXTLINE inlineLines[kInline];
    std::vector<TEXTLINE> moreLines; // all lines, when there are more than kInline
    size_t numLines = 0, fieldLines = 0, valueBytes = 0;
    for (const char *p = text, *end = text + len; p < end;) {
        const char *line = p;
        const char *eq;
        const char *nl = SplitLine(p, end, &eq);
        const char *lineEnd = nl ? nl : end;
        p = nl ? nl + 1 : end;
        while (lineEnd > line && lineEnd[-1] == '\r')
            lineEnd--;
        size_t n = static_cast<size_t>(lineEnd - line);
        if (n == 0 || (n >= 2 && line[0] == '/' && line[1] == '/'))
            continue;
        if (line[0] == '#' && !StartsWithNoCase(line, n, "#Handle=") && !StartsWithNoCase(line, n, "#Key="))
            continue;
        if (eq && line[0] != '#') {
            fieldLines++;
            valueBytes += static_cast<size_t>(lineEnd - eq);
        }
        if (numLines < kInline) {
            inlineLines[numLines] = TEXTLINE{line, eq, lineEnd};
        } else {
            if (numLines == kInline)
                moreLines.assign(inlineLines, inlineLines + kInline);
            moreLines.push_back(TEXTLINE{line, eq, lineEnd});
        }
        numLines++;
    }
    const TEXTLINE *lines = numLines > kInline ? moreLines.data() : inlineLines;
    bool escapes = TEXTRULES::FindByte(text, len, '\\') != nullptr;
    // One block for the whole text: a slot per field and the bytes of the values, which are
    // copied there, unescaped in place and terminated.  The names go to one NAMES, most often the
    // one the record read before made.
    BLOCK *b = NewBlock(fieldLines, valueBytes, table == nullptr);
    // (Only this thread writes it: no locked addition needed.)
    blockText.store(blockText.load(std::memory_order_relaxed) + len + 1, std::memory_order_relaxed);
    char *out = b->Text;
    const char *inlineTexts[kInline];
    size_t inlineLengths[kInline];
    std::vector<const char *> moreTexts;
    std::vector<size_t> moreLengths;
    const char **nameTexts = inlineTexts;
    size_t *nameLengths = inlineLengths;
    if (fieldLines > kInline) {
        moreTexts.resize(fieldLines);
        moreLengths.resize(fieldLines);
        nameTexts = moreTexts.data();
        nameLengths = moreLengths.data();
    }
    FIELD *slots = b->Fields();
    int first = count; // the fields of this text are appended to the table from here
    bool ownNames = false;
    for (size_t k = 0; k < numLines; k++) {
        const char *line = lines[k].Start;
        const char *eq = lines[k].Eq;
        size_t n = static_cast<size_t>(lines[k].End - line);
        if (!eq) {
            STRING info = STRING::FromBytes(line, static_cast<STRING_SIZE_T>(n));
            LOGIT::Assert(0, "item.Find(\"=\")", __FILE__, __LINE__, info.Buffer, 0);
            continue;
        }
        size_t nameLen = static_cast<size_t>(eq - line);
        const char *raw = eq + 1;
        size_t rawLen = n - nameLen - 1;
        if (nameLen == 7 && StartsWithNoCase(line, nameLen, "#Handle")) {
            // Read as a signed decimal number and kept as 32 bits, so that what the writer puts
            // out ("%lu") always reads back the same in both builds.
            char digits[64];
            size_t plain = 0; // plain digits, as this system writes the handle
            while (plain < rawLen && plain < 18 && raw[plain] >= '0' && raw[plain] <= '9')
                plain++;
            if (plain > 0 && plain == rawLen) {
                long long number = 0;
                for (size_t k = 0; k < plain; k++)
                    number = number * 10 + (raw[k] - '0');
                Handle = static_cast<uint32_t>(number);
            } else if (rawLen < sizeof digits && !NeedsDecoding(raw, rawLen)) {
                std::memcpy(digits, raw, rawLen);
                digits[rawLen] = 0;
                Handle = static_cast<uint32_t>(std::strtoll(digits, nullptr, 10));
            } else {
                STRING value = NeedsDecoding(raw, rawLen) ? DecodeValue(raw, rawLen)
                                                          : STRING::FromBytes(raw, static_cast<STRING_SIZE_T>(rawLen));
                Handle = static_cast<uint32_t>(std::strtoll(value.Buffer, nullptr, 10));
            }
            continue;
        }
        if (nameLen == 4 && StartsWithNoCase(line, nameLen, "#Key")) {
            Key = DecodeValue(raw, rawLen);
            sawKey = true;
            continue;
        }
        // (The block has a slot for every field line; a field of its own takes any other.)
        FIELD *f;
        if (b->Used < b->Slots) {
            nameTexts[b->Used] = line;
            nameLengths[b->Used] = nameLen;
            f = new (slots + b->Used++) FIELD();
        } else {
            f = NewField();
            *f->Name = STRING::FromBytes(line, static_cast<STRING_SIZE_T>(nameLen), kFieldBlockSize);
            ownNames = true;
        }
        if (IsBase64Value(raw, rawLen)) {
            f->Value = DecodeValue(raw, rawLen);
        } else {
            // Escapes are unescaped in place (the text only gets shorter); a bad one is left to
            // the reader that reports it.
            TEXTRULES::CopyBytes(out, raw, rawLen);
            long long unescaped = escapes && TEXTRULES::FindByte(raw, rawLen, '\\') ? UnescapeInPlace(out, rawLen)
                                                                                   : static_cast<long long>(rawLen);
            if (unescaped < 0) {
                f->Value = DecodeValue(raw, rawLen);
            } else {
                out[unescaped] = 0;
                Borrow(f->Value, out, static_cast<size_t>(unescaped), kFieldBlockSize, 0, 1252);
                out += unescaped + 1;
            }
        }
        if (count == room)
            Reserve(count + static_cast<int>(fieldLines) + 1);
        table[count++] = f;
    }
    if (b->Used > 0) {
        b->Shared = ShareNames(nameTexts, nameLengths, b->Used);
        for (size_t k = 0; k < b->Used; k++)
            slots[k].Name = b->Shared->Names() + k;
    }
    if (first == 0 && !ownNames && b->Used > 0)
        nameSet = b->Shared;
    else if (count > first)
        nameSet = nullptr;
    // The records of a list share their names, and with them whether they are in order.
    bool sorted = true;
    if (first == 0 && !ownNames && b->Used > 0 && static_cast<size_t>(count) == b->Used)
        sorted = b->Shared->InOrder;
    else
        for (int i = first + 1; sorted && i < count; i++)
            sorted = !KeyLess(table[i]->Name->Buffer, table[i - 1]->Name->Buffer);
    // Names in order, equal ones in their order of arrival.  What this system wrote is in order
    // already; anything else is sorted in O(n log n).
    if (!sorted || (first > 0 && count > first && KeyLess(table[first]->Name->Buffer, table[first - 1]->Name->Buffer)))
        SortFields(table, table + count);
    return sawKey;
}

void HASH::Prefetch() const
{
    recordLock.Prefetch();
    __builtin_prefetch(table);
    __builtin_prefetch(blocks);
}

size_t HASH::TextSizeGuess() const
{
    // A record read or copied holds about its text in its blocks; names added one by one count
    // with a typical length.
    size_t text = blockText.load(std::memory_order_relaxed);
    return 32 + (text > 0 ? text : 24 * static_cast<size_t>(count));
}

HASH::WRITER::WRITER(STRING &out, size_t expected)
    : P(nullptr), Out(out), Limit(nullptr), Sink(nullptr), failed(false)
{
    if (expected > 0x7FFF0000u - 64)
        expected = 0x7FFF0000u - 64;
    P = Out.Reserve(static_cast<STRING_SIZE_T>(expected));
    Limit = Out.Buffer + Out.BufLen - 1;
}

HASH::WRITER::WRITER(STRING &buffer, size_t size, ATOMICWRITER *sink)
    : P(nullptr), Out(buffer), Limit(nullptr), Sink(sink), failed(false)
{
    if (size < 256)
        size = 256;
    if (size > 0x7FFF0000u - 64)
        size = 0x7FFF0000u - 64;
    P = Out.Reserve(static_cast<STRING_SIZE_T>(size));
    Limit = Out.Buffer + Out.BufLen - 1;
}

void HASH::WRITER::Drain()
{
    char *start = Out.Buffer + Out.StrLen;
    size_t n = static_cast<size_t>(P - start);
    if (n > 0 && !failed && !Sink->Write(start, n))
        failed = true;
    P = start;
}

void HASH::WRITER::Grow(size_t n)
{
    if (Sink) {
        Drain();
        if (static_cast<size_t>(Limit - P) >= n)
            return;
        // One piece larger than the whole buffer (a long value): the buffer grows to hold it.
        if (n >= 0x7FFF0000u - 64) {
            LOGIT::Assert(0, "size<0x7FFF0000", __FILE__, __LINE__, "HASH text", 0);
            LOGIT::OrderlyStop();
        }
        P = Out.Reserve(static_cast<STRING_SIZE_T>(n));
        Limit = Out.Buffer + Out.BufLen - 1;
        return;
    }
    // The written bytes are kept; the buffer at least doubles, so a text that was guessed too
    // short costs a few copies, not one per record.
    size_t used = static_cast<size_t>(P - Out.Buffer);
    size_t want = static_cast<size_t>(Out.BufLen) + n;
    if (want < 2 * static_cast<size_t>(Out.BufLen))
        want = 2 * static_cast<size_t>(Out.BufLen);
    if (used + n >= 0x7FFF0000u) {
        LOGIT::Assert(0, "size<0x7FFF0000", __FILE__, __LINE__, "HASH text", 0);
        LOGIT::OrderlyStop();
    }
    if (want >= 0x7FFF0000u)
        want = 0x7FFF0000u - 1;
    Out.StrLen = static_cast<STRING_SIZE_T>(used);
    P = Out.Reserve(static_cast<STRING_SIZE_T>(want - used));
    Limit = Out.Buffer + Out.BufLen - 1;
}

bool HASH::WRITER::Finish()
{
    if (Sink) {
        Drain();
        // The buffer's content is as it was (its terminator back in place).
        Out.Extend(0);
        return !failed;
    }
    Out.Extend(static_cast<STRING_SIZE_T>(P - (Out.Buffer + Out.StrLen)));
    return true;
}

void HASH::WriteText(WRITER &w, bool crlf) const
{
    if (Handle != 0) {
        char digits[12];
        int n = 0;
        for (uint32_t v = Handle; v; v /= 10)
            digits[n++] = static_cast<char>('0' + v % 10);
        char *out = Put(w.Room(24), "#Handle=", 8);
        while (n > 0)
            *out++ = digits[--n];
        w.P = PutLineEnd(out, crlf);
    }
    if (Key.Buffer) {
        // Escaped like every value (the reader unescapes it like every value), so that a key
        // with a backslash or a line break survives; ordinary keys are written as they stand.
        char *out = Put(w.Room(8 + ValueRoom(Key)), "#Key=", 5);
        w.P = PutLineEnd(PutValue(out, Key), crlf);
    }
    for (int i = 0; i < count; i++) {
        const FIELD *f = table[i];
        size_t nameLen = f->Name->Buffer ? static_cast<size_t>(f->Name->StrLen) : 0;
        char *out = w.Room(2 * nameLen + 3 + ValueRoom(f->Value));
        out = PutName(out, *f->Name, crlf);
        *out++ = '=';
        w.P = PutLineEnd(PutValue(out, f->Value), crlf);
    }
}

STRING HASH::ToString()
{
    HOLD mine(*this);
    STRING out;
    WRITER w(out, TextSizeGuess());
    WriteText(w, false);
    w.Finish();
    return out;
}

int HASH::Save(const char *path)
{
    LOGIT::Printf("HASH::Save %s\n", STR::SafeText(path, "HASH::Save"));
    char error[256];
    STRING file;
    {
        HOLD mine(*this);
        // The file has CR LF line ends, as the Windows text-mode streams wrote them; written so
        // byte for byte in the native build too.
        WRITER w(file, TextSizeGuess() + static_cast<size_t>(count));
        WriteText(w, true);
        w.Finish();
    }
    int code = 0;
    size_t length = file.Buffer ? static_cast<size_t>(file.StrLen) : 0;
    int ok = ATOMICFILE::WriteReplace(path, file.Buffer, length, &code) ? 1 : 0;
    if (!ok) {
        OSYSFILE::LastErrorText(error, sizeof error);
        LOGIT::Printf("HASH::Save %s failed: %s\n", STR::SafeText(path, "HASH::Save"), error);
    }
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
        HOLD mine(*this);
        // The record takes over what was read.
        Clear();
        std::swap(table, loaded.table);
        std::swap(count, loaded.count);
        std::swap(room, loaded.room);
        std::swap(blocks, loaded.blocks);
        std::swap(nameSet, loaded.nameSet);
        std::swap(tableInBlock, loaded.tableInBlock);
        blockText.store(loaded.blockText.load(std::memory_order_relaxed), std::memory_order_relaxed);
        Handle = loaded.Handle;
        if (sawKey)
            Key = loaded.Key;
        LockTable = 0;
    }
    LOGIT::Printf("HASH::Load returns ok= %d, %s\n", ok ? 1 : 0, error);
    return ok ? 1 : 0;
}
