// HASHLIST: the list of records, its text form (writer and the two readers), files, handles and
// sorting.
//
// The readers walk the text in place, line by line, and parse each section straight into the
// record stored in the list, so reading a phone book of tens of thousands of records costs time
// in proportion to its size.
#include "kestar/base/hashlist.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kestar/base/atomicwriter.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/textrules.h"

namespace {

inline unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Case-insensitive equality (whole) or prefix test of a against b, ASCII letters folded.
bool FoldMatch(const char *a, const char *b, bool whole)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(b);
    for (; *q; p++, q++)
        if (FoldAscii(*p) != FoldAscii(*q))
            return false;
    return !whole || *p == 0;
}

// Holds a list's or record's lock for a scope.
template <class T> class ScopeLock {
public:
    explicit ScopeLock(T &t) : a(t) { a.Lock(-1); }
    ~ScopeLock() { a.Unlock(); }
    ScopeLock(const ScopeLock &) = delete;
    ScopeLock &operator=(const ScopeLock &) = delete;

private:
    T &a;
};

} // namespace

HASHLIST::HASHLIST() : DYNARRAY<HASH>(64, 64)
{
    SetTypeName("HASHLIST");
}

HASHLIST::HASHLIST(const HASHLIST &other) : DYNARRAY<HASH>(other), sortNames(other.sortNames)
{
    SetTypeName("HASHLIST");
}

HASHLIST::HASHLIST(const STRING &text) : HASHLIST()
{
    // A number where a list was meant is a caller's mistake, not a list.
    if (text.Buffer && std::atoi(text.Buffer) != 0) {
        LOGIT::Assert(0, "(int)data==0", __FILE__, __LINE__, text.Buffer, 0);
        return;
    }
    if (text.NotEmpty())
        FromString(text);
}

HASHLIST::HASHLIST(const char *text) : HASHLIST(STRING(text))
{
}

HASHLIST &HASHLIST::operator=(const HASHLIST &other)
{
    if (&other != this) {
        DYNARRAY<HASH>::operator=(other);
        sortNames = other.sortNames;
    }
    return *this;
}

HASHLIST::~HASHLIST() = default;

namespace {

// "[#i]" and the line end.
char *PutHeader(char *out, int i, bool crlf)
{
    char digits[16];
    int n = 0;
    unsigned v = static_cast<unsigned>(i);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    *out++ = '[';
    *out++ = '#';
    while (n > 0)
        *out++ = digits[--n];
    *out++ = ']';
    if (crlf)
        *out++ = '\r';
    *out++ = '\n';
    return out;
}

} // namespace

size_t HASHLIST::TextSizeGuess(bool crlf)
{
    int n = NumItems();
    size_t guess = 64;
    for (int i = 0; i < n; i++)
        guess += 16 + ppItems[i]->TextSizeGuess();
    if (crlf)
        guess += guess / 16;
    return guess + guess / 32;
}

void HASHLIST::WriteText(HASH::WRITER &w, bool crlf)
{
    // The records are read straight from the table under the list's lock.
    int n = NumItems();
    for (int i = 0; i < n && !w.Failed(); i++) {
        HASH *record = ppItems[i];
        // The records of a list made after others were freed lie all over the memory: the next
        // ones are fetched while this one is written.
        if (i + 2 < n)
            __builtin_prefetch(ppItems[i + 2]);
        if (i + 1 < n)
            ppItems[i + 1]->Prefetch();
        HASH::HOLD lock(*record);
        w.P = PutHeader(w.Room(20), i, crlf);
        record->WriteText(w, crlf);
        char *p = w.Room(2);
        if (crlf)
            *p++ = '\r';
        *p++ = '\n';
        w.P = p;
    }
}

STRING HASHLIST::ToString()
{
    // The list's lock is held throughout (the order list, then record, as in Save).
    ScopeLock<HASHLIST> listLock(*this);
    // One buffer for the whole text, sized from what the records hold (the writer still grows it
    // where escapes or changed values make the text longer): building a phone book's text by
    // doubling would copy it several times over and touch twice the memory.
    STRING out;
    HASH::WRITER w(out, TextSizeGuess(false));
    WriteText(w, false);
    w.Finish();
    return out;
}

namespace {

// The buffer through which a list goes to its file.  Beside a phone book's records its whole text
// would cost its size again; and up to 256 KB the Windows heap keeps the block from save to save
// instead of handing out fresh pages from the system each time.
const size_t kSaveBuffer = 256 * 1024 - 64;

} // namespace

int HASHLIST::Save(const char *path)
{
    LOGIT::Printf("HASHLIST::Save %s\n", STR::SafeText(path, "HASHLIST::Save"));
    char error[256];
    int rc;
    {
        ScopeLock<HASHLIST> lock(*this);
        int n = NumItems();
        // The file has CR LF line ends, as the Windows text-mode streams wrote them; written so
        // byte for byte in the native build too.  It replaces the old one only when complete.
        ATOMICWRITER file;
        bool ok = file.Open(path);
        if (ok) {
            size_t guess = TextSizeGuess(true);
            STRING buffer;
            HASH::WRITER w(buffer, guess < kSaveBuffer ? guess : kSaveBuffer, &file);
            WriteText(w, true);
            bool written = w.Finish();
            // (After a failed write Commit only reports that failure again, as the last error.)
            ok = file.Commit() && written;
        }
        if (!ok)
            OSYSFILE::LastErrorText(error, sizeof error);
        rc = ok ? (n > 0 ? n : 1) : 0;
    }
    if (rc == 0)
        LOGIT::Printf("HASHLIST::Save %s failed: %s\n", STR::SafeText(path, "HASHLIST::Save"), error);
    LOGIT::Printf("HASHLIST::Save returns rc %d\n", rc);
    return rc;
}

namespace {

// Where the text of a list file read so far can be cut so that what lies before it is whole
// sections: the start of its last section header (a "[" at the start of a line), provided a header
// lies before it too or at the very start.  0 when there is no such place yet.
size_t SectionCut(const char *text, size_t len)
{
    size_t cut = 0;
    for (size_t i = len; i > 1; i--) {
        if (text[i - 1] == '[' && text[i - 2] == '\n') {
            cut = i - 1;
            break;
        }
    }
    if (cut == 0 || text[0] == '[')
        return cut;
    for (const char *q = text; (q = TEXTRULES::FindByte(q, cut - static_cast<size_t>(q - text), '[')); q++)
        if (q > text && q[-1] == '\n' && q < text + cut)
            return cut;
    return 0;
}

} // namespace

int HASHLIST::Load(const char *path)
{
    long size = path ? static_cast<long>(OSYSFILE::Size(path)) : -1;
    LOGIT::Printf("HASHLIST::Load %s (%ld bytes)\n", STR::SafeText(path, "HASHLIST::Load"), size);
    char error[256];
    int n = 0;
    // Readers deny writers: a file is never read half-written by another process.  Read in binary
    // and turn CR LF into LF while splitting lines, as text mode would.
    std::FILE *f = path ? FILENAME::fsopen(path, "rb") : nullptr;
    if (!f) {
        OSYSFILE::LastErrorText(error, sizeof error);
        LOGIT::Printf("HASHLIST::Load returns %d, %s\n", n, error);
        return 0;
    }
    ScopeLock<HASHLIST> lock(*this);
    const STRING_SIZE_T before = NumItems();
    // The file is read piece by piece into one buffer, and the whole sections of each piece go
    // to the records at once: the records copy what they keep, and a phone book's text held
    // whole beside its records would be as many fresh memory pages again.  The buffer grows
    // only for a section longer than a piece.  A piece stays below the size from which the
    // Windows heap takes blocks fresh from the system (about 512 KB on 32-bit Windows), so that
    // reading a file reuses the heap's memory instead of paying fresh pages each time.
    size_t room = 256 << 10, used = 0;
    char *buffer = static_cast<char *>(std::malloc(room));
    bool ok = buffer != nullptr;
    while (ok) {
        if (used == room) {
            char *grown = room < (static_cast<size_t>(1) << 30) ? static_cast<char *>(std::realloc(buffer, room * 2)) : nullptr;
            if (!grown) {
                ok = false;
                break;
            }
            buffer = grown;
            room *= 2;
        }
        size_t want = room - used;
        size_t got = std::fread(buffer + used, 1, want, f);
        used += got;
        if (got < want) {
            if (std::ferror(f))
                ok = false;
            else
                n += ReadText(buffer, used, true);
            break;
        }
        size_t cut = SectionCut(buffer, used);
        if (cut > 0) {
            n += ReadText(buffer, cut, true);
            std::memmove(buffer, buffer + cut, used - cut);
            used -= cut;
        }
    }
    if (!ok)
        OSYSFILE::LastErrorText(error, sizeof error);
    std::free(buffer);
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        OSYSFILE::LastErrorText(error, sizeof error);
    }
    if (ok) {
        std::snprintf(error, sizeof error, "OK");
    } else {
        // A file that could not be read whole adds nothing.
        while (NumItems() > before)
            DeleteItem(NumItems() - 1);
        n = 0;
    }
    LOGIT::Printf("HASHLIST::Load returns %d, %s\n", n, error);
    return n;
}

int HASHLIST::FromString(const STRING &text)
{
    DeleteAll();
    LOGIT::PrintfLevel(2, "HASHLIST::FromString after lines constructor\n");
    if (!text.Buffer)
        return 0;
    return ReadText(text.Buffer, static_cast<size_t>(text.StrLen), false);
}

int HASHLIST::FromString(const char *text)
{
    return FromString(STRING(text));
}

int HASHLIST::ReadText(const char *p, size_t len, bool fromFile)
{
    ScopeLock<HASHLIST> lock(*this);
    const char *start = p, *end = p + len;
    const char *preamble = nullptr, *preambleEnd = nullptr; // text before the first header
    const char *section = p;  // start of the current section's lines
    bool sectionHasText = false;
    int headers = 0, added = 0;

    auto store = [&](const char *from, const char *to) {
        HASH *record = new HASH();
        if (preamble) {
            record->ParseText(preamble, static_cast<size_t>(preambleEnd - preamble));
            preamble = nullptr;
        }
        record->ParseText(from, static_cast<size_t>(to - from));
        AppendOwned(record);
        added++;
    };
    // The next section header: a line that begins with "[".  Only the bytes in front of each "["
    // are looked at; the lines of a record are split once, by the record's reader.
    auto nextHeader = [start, end](const char *from) {
        for (const char *q = from; q < end; q++) {
            q = TEXTRULES::FindByte(q, static_cast<size_t>(end - q), '[');
            if (!q)
                return end;
            if (q == start || q[-1] == '\n')
                return q;
        }
        return end;
    };

    while (p < end) {
        const char *line = nextHeader(p);
        if (headers == 0) {
            // Text in front of the first header: anything but line ends (empty lines carry nothing).
            for (const char *c = p; c < line && !sectionHasText; c++)
                sectionHasText = *c != '\r' && *c != '\n';
        }
        if (line == end)
            break;
        const char *nl = TEXTRULES::FindByte(line, static_cast<size_t>(end - line), '\n');
        const char *lineEnd = nl ? nl : end;
        p = nl ? nl + 1 : end;
        if (fromFile && nl && lineEnd > line && lineEnd[-1] == '\r')
            lineEnd--; // CR LF is one line feed in a file

        // A section header "[#n]".  A malformed one is reported and still taken as a header.
        size_t n = static_cast<size_t>(lineEnd - line);
        if (n < 2 || line[1] != '#') {
            STRING info = STRING::FromBytes(line, static_cast<STRING_SIZE_T>(n));
            LOGIT::Assert(0, "buf[1]=='#'", __FILE__, __LINE__, info.Buffer, 0);
        }
        if (lineEnd[-1] != ']') {
            STRING info = STRING::FromBytes(line, static_cast<STRING_SIZE_T>(n));
            LOGIT::Assert(0, "buf[buf.Length()-2]==']'", __FILE__, __LINE__, info.Buffer, 0);
        }
        if (headers == 0) {
            if (sectionHasText) {
                // Lines before the first header: reported, and read into the first record
                // rather than lost.
                STRING info = STRING::FromBytes(section, static_cast<STRING_SIZE_T>(line - section));
                LOGIT::Assert(0, "Section.Length()==0", __FILE__, __LINE__, info.Buffer, 0);
                preamble = section;
                preambleEnd = line;
            }
        } else {
            store(section, line);
        }
        if (!fromFile) {
            // The number of a header only checks the order: records always follow one another,
            // so a gap or a repeat in what a peer sent cannot make a hole in the list.
            long long number = -1;
            if (n > 2 && line[1] == '#' && line[2] >= '0' && line[2] <= '9') {
                number = 0;
                for (const char *c = line + 2; c < lineEnd && *c >= '0' && *c <= '9' && number < 0x7FFFFFFF; c++)
                    number = number * 10 + (*c - '0');
            }
            if (number > 0x7FFFFFFF)
                number = 0x7FFFFFFF;
            if (number != headers)
                LOGIT::Printf("HASHLIST::FromString section [#%ld] read as record %d\n", static_cast<long>(number),
                              headers);
        }
        headers++;
        section = p;
        sectionHasText = false;
    }
    // The last section is a record even when empty, so that a list with an empty last record
    // reads back with as many records as were written; text without any header is one record.
    if (headers > 0 || sectionHasText)
        store(section, end);
    return added;
}

STRING_SIZE_T HASHLIST::AddItem(const HASH &record)
{
    ScopeLock<HASHLIST> lock(*this);
    if (ItemCount < MaxItems || GrowBy >= ItemCount / 2)
        return InsertItem(ItemCount, record);
    STRING_SIZE_T step = GrowBy;
    GrowBy = ItemCount / 2;
    STRING_SIZE_T index = InsertItem(ItemCount, record);
    GrowBy = step;
    return index;
}

void HASHLIST::AppendOwned(HASH *record)
{
    if (ppItems && ItemCount < MaxItems) {
        ppItems[ItemCount++] = record;
        return;
    }
    // A full table grows by at least its own size while a list is read (a fixed step of 64 would
    // copy the table of a big phone book over and over); the copy InsertItem makes of the record
    // is replaced by the record itself.
    STRING_SIZE_T step = GrowBy;
    if (GrowBy < ItemCount)
        GrowBy = ItemCount;
    STRING_SIZE_T index = InsertItem(ItemCount, *record);
    GrowBy = step;
    delete ppItems[index];
    ppItems[index] = record;
}

uint32_t HASHLIST::NewHandle()
{
    uint32_t largest = 0;
    int n = NumItems();
    for (int i = 0; i < n; i++) {
        uint32_t h = (*this)[i]->Handle;
        if (h > largest)
            largest = h;
    }
    return largest == 0 ? 16534u : largest + 1;
}

int HASHLIST::FindHandle(uint32_t handle)
{
    int n = NumItems();
    for (int i = 0; i < n; i++)
        if ((*this)[i]->Handle == handle)
            return i;
    return -1;
}

int HASHLIST::FindValue(const char *name, const char *value, int whole)
{
    const char *wanted = STR::SafeText(value, "HASHLIST::FindValue");
    if (!wanted)
        return -1;
    int n = NumItems();
    for (int i = 0; i < n; i++) {
        STRING *v = nullptr;
        if (!(*this)[i]->Exists(name, &v))
            continue;
        const char *text = v->Buffer ? v->Buffer : "<NULL>";
        if (FoldMatch(text, wanted, whole != 0))
            return i;
    }
    return -1;
}

int HASHLIST::Compare(HASH *x, HASH *y, int flags)
{
    HASHLIST *self = this;
    int count = sortNames.NumItems();
    for (int k = 0; k < count; k++) {
        const char *name = self->sortNames[k]->Buffer;
        const STRING *va = x->Lookup(name);
        const STRING *vb = y->Lookup(name);
        const char *ta = (va && va->Buffer) ? va->Buffer : "<NULL>";
        const char *tb = (vb && vb->Buffer) ? vb->Buffer : "<NULL>";
        int r;
        if (flags & 0x01) {
            long long na = std::strtoll(ta, nullptr, 10), nb = std::strtoll(tb, nullptr, 10);
            r = (na > nb) - (na < nb);
        } else {
            r = std::strcmp(ta, tb);
        }
        if (r != 0)
            return r;
    }
    return 0;
}

void HASHLIST::SortBy(const char *const *names, int count, int flags)
{
    sortNames.FreeItems();
    for (int k = 0; names && k < count; k++)
        sortNames.AddItem(STRING(STR::SafeText(names[k], "HASHLIST::SortBy")));
    if (!LOGIT::Assert(sortNames.NumItems() > 0, "count>0", __FILE__, __LINE__, nullptr, 0) ||
        sortNames.NumItems() == 0)
        return;

    ScopeLock<HASHLIST> lock(*this);
    // A record that lacks a sort name is sorted as if its value were NULL; say so once.
    int n = NumItems(), lacking = 0;
    for (int i = 0; i < n; i++) {
        HASH *record = (*this)[i];
        for (int k = 0; k < sortNames.NumItems(); k++) {
            if (!record->Lookup(sortNames[k]->Buffer)) {
                lacking++;
                break;
            }
        }
    }
    if (lacking)
        LOGIT::Printf("HASHLIST::SortBy %d of %d records lack a sort name; sorted as NULL\n", lacking, n);
    Sort(flags);
}

void HASHLIST::SortByKey(const char *name, int flags)
{
    const char *names[1] = {name};
    SortBy(names, 1, flags);
}
