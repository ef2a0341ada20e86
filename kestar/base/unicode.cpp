// UNICODE: the code-page tables, the per-character conversions and the UTF-8 coder.  The tables
// themselves are generated data (kestar/unicodetables.cpp); the operating system's side lives in
// unicode_win32.cpp and unicode_posix.cpp.
#include "kestar/base/unicode.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "kestar/base/logit.h"
#include "kestar/base/wstring.h"

#ifndef ARRAYMAX
#define ARRAYMAX(a) ((int)(sizeof(a) / sizeof((a)[0])))
#endif

namespace {

std::atomic<UNICODE *> gInstance{nullptr};

// ASCII stand-ins for the box-drawing characters, for pages that have none.
const struct {
    unsigned short Value;
    char Ascii;
} kBoxDrawing[] = {
    {0x2500, '-'}, {0x2502, '|'}, {0x2550, '='}, {0x2551, '"'}, {0x250C, '+'}, {0x2514, '+'},
    {0x2510, '+'}, {0x2518, '+'}, {0x253C, '+'}, {0x252C, '+'}, {0x251C, '+'}, {0x2524, '+'},
    {0x2534, '+'}, {0x2554, '+'}, {0x255A, '+'}, {0x2557, '+'}, {0x255D, '+'}, {0x2566, '+'},
    {0x2560, '+'}, {0x2563, '+'}, {0x2569, '+'},
};

bool IsDosPage(int cp)
{
    return cp == 437 || cp == 737 || cp == 850 || cp == 852 || cp == 866 || cp == 878;
}

} // namespace

UNICODE *UNICODE::GetInstance()
{
    UNICODE *instance = gInstance.load(std::memory_order_acquire);
    if (instance)
        return instance;
    // Building has no side effects but log lines, so two threads that race here both build one
    // and the loser throws its copy away.
    UNICODE *fresh = new UNICODE();
    if (gInstance.compare_exchange_strong(instance, fresh, std::memory_order_acq_rel))
        return fresh;
    delete fresh;
    return instance;
}

void UNICODE::FreeInstance()
{
    delete gInstance.exchange(nullptr, std::memory_order_acq_rel);
}

UNICODE::UNICODE()
{
    LOGIT::Printf("UNICODE::UNICODE\n");
    memset(Entries, 0, sizeof(Entries));
    memset(Tables, 0, sizeof(Tables));
    NumTables = 0;
    LOGIT::Printf("UNICODE::UNICODE init tables\n");
    InitTables();
    ORVAK_ASSERT(this->NumTables <= ARRAYMAX(this->Tables));
    LOGIT::Printf("UNICODE::UNICODE init done\n");
    BuildReverseIndex();
    LOGIT::Printf("UNICODE::UNICODE done\n");
}

UNICODE::~UNICODE() = default;

void UNICODE::InitTables()
{
    for (int i = 0; i < NumBuiltinTables; i++) {
        if (NumTables >= MAXTABLES) {
            // Counted on so that the constructor's check reports it.
            NumTables++;
            continue;
        }
        const BUILTINTABLE &source = BuiltinTables[i];
        TABLE &table = Tables[NumTables];
        snprintf(table.Name, sizeof(table.Name), "%s", source.Name);
        table.CodePage = source.CodePage;
        table.DoubleByte = source.DoubleByte;
        for (int byte = 0; byte < 256; byte++)
            SetEntry(NumTables, (unsigned char)byte, source.Map[byte], source.CodePage);
        NumTables++;
    }
    if (NumTables > MAXTABLES)
        NumTables = MAXTABLES + 1;
}

void UNICODE::BuildReverseIndex()
{
    int tables = NumTables < MAXTABLES ? NumTables : MAXTABLES;
    unsigned int largest = 0;
    for (int e = 0; e < tables * 256; e++) {
        if (Entries[e].CodePage != 0 && Entries[e].Value > largest)
            largest = Entries[e].Value;
    }
    // The index stops at REVERSEMAX: the few characters above it (the Mac Roman ligatures and the
    // private-use logo) are found by scanning their page instead.
    ReverseSize = largest + 1 < REVERSEMAX ? (int)largest + 1 : (int)REVERSEMAX;
    for (int v = 0; v < REVERSEMAX; v++)
        Reverse[v] = NOENTRY;
    for (int e = 0; e < tables * 256; e++) {
        unsigned int value = Entries[e].Value;
        if (Entries[e].CodePage != 0 && value < (unsigned int)ReverseSize && Reverse[value] == NOENTRY)
            Reverse[value] = (unsigned short)e;
    }
    // A value between 1 and 254 that no page holds stands for itself in the first table.
    for (int v = 1; v <= 254 && v < ReverseSize; v++) {
        if (Reverse[v] == NOENTRY)
            Reverse[v] = (unsigned short)v;
    }
}

int UNICODE::GetTableIndex(int cp) const
{
    if (cp == 1252 && NumTables > 0 && Tables[0].CodePage == 1252)
        return 0;
    int tables = NumTables < MAXTABLES ? NumTables : MAXTABLES;
    for (int i = 0; i < tables; i++) {
        if (Tables[i].CodePage == cp)
            return i;
    }
    return -1;
}

const UNICODE::TABLE *UNICODE::GetTable(int cp) const
{
    int idx = GetTableIndex(cp);
    return idx == -1 ? nullptr : &Tables[idx];
}

bool UNICODE::SetEntry(int table, unsigned char byte, unsigned short value, int cp)
{
    if (!ORVAK_ASSERT(table >= 0 && table < MAXTABLES) || cp <= 0 || cp > 0xFFFF)
        return false;
    ENTRY &entry = Entries[table * 256 + byte];
    entry.Byte = byte;
    entry.CodePage = (unsigned short)cp;
    entry.Value = value;
    return true;
}

unsigned short UNICODE::GetEntry(int table, unsigned char byte) const
{
    if (!ORVAK_ASSERT(table >= 0 && table < MAXTABLES))
        return 0x7F;
    const ENTRY &entry = Entries[table * 256 + byte];
    return entry.CodePage == 0 ? 0x7F : entry.Value;
}

int UNICODE::ScanTable(int idx, unsigned int value) const
{
    const ENTRY *entries = &Entries[idx * 256];
    for (int byte = 0; byte < 256; byte++) {
        if (entries[byte].CodePage != 0 && entries[byte].Value == value)
            return byte;
    }
    return -1;
}

char16_t UNICODE::ToWide(unsigned char byte, int cp)
{
    if (cp == UNICODE_CPUTF8) {
        ORVAK_ASSERT(cp!=UNICODE_CPUTF8);
        // A lone byte of a UTF-8 text is a character only when it is ASCII.
        return byte < 0x80 ? byte : u'@';
    }
    if (cp == UNICODE_CPFLAT || (byte >= 0x20 && byte <= 0x7F))
        return byte;
    if (cp == UNICODE_CPSYSTEM) {
        char16_t value;
        return OsToWide(byte, &value) ? value : u'@';
    }
    int idx;
    if (cp == 437) {
        idx = 1;
    } else if (byte < 0x20) {
        idx = 0;
    } else {
        idx = GetTableIndex(cp == 1000 ? 1252 : cp);
        if (idx == -1) {
            char info[32];
            snprintf(info, sizeof(info), "codepage :%d", cp);
            ORVAK_ASSERT_INFO(idx!=-1, info);
            return u'@';
        }
    }
    return GetEntry(idx, byte);
}

unsigned char UNICODE::FromWide(unsigned int value, int cp)
{
    if (cp == UNICODE_CPUTF8) {
        ORVAK_ASSERT(cp!=UNICODE_CPUTF8);
        return value < 0x80 ? (unsigned char)value : OsDefaultChar();
    }
    if (cp == UNICODE_CPFLAT || value < 128)
        return (unsigned char)value;
    if (cp != UNICODE_CPSYSTEM) {
        if (value < (unsigned int)ReverseSize && Reverse[value] != NOENTRY) {
            const ENTRY &entry = Entries[Reverse[value]];
            if (entry.CodePage == cp)
                return entry.Byte;
        }
        int idx = GetTableIndex(cp);
        if (idx != -1) {
            int byte = ScanTable(idx, value);
            if (byte != -1)
                return (unsigned char)byte;
        }
    }
    for (const auto &box : kBoxDrawing) {
        if (box.Value == value)
            return (unsigned char)box.Ascii;
    }
    if (value > 0xFFFF)
        return OsDefaultChar();
    if (IsDosPage(cp))
        return OsFromWide(value, OSPAGE_OEM);
    if (cp == 1000 || cp == 1252 || cp == UNICODE_CPSYSTEM)
        return OsFromWide(value, OSPAGE_ANSI);
    return OsFromWide(value, cp);
}

// ---------------------------------------------------------------------------------------------
// UTF-8

namespace {

// Collects decoded units and hands them to the sink in batches.
class UNITBATCH {
public:
    UNITBATCH(UTF16SINK sink, void *context) : Sink(sink), Context(context) {}
    ~UNITBATCH() { Flush(); }
    void Put(char16_t unit)
    {
        if (Count == sizeof(Units) / sizeof(Units[0]))
            Flush();
        Units[Count++] = unit;
        Total++;
    }
    void PutCodePoint(unsigned int value)
    {
        if (value >= 0x10000) {
            value -= 0x10000;
            Put((char16_t)(0xD800 + (value >> 10)));
            Put((char16_t)(0xDC00 + (value & 0x3FF)));
        } else {
            Put((char16_t)value);
        }
    }
    void Flush()
    {
        if (Count && Sink)
            Sink(Context, Units, Count);
        Count = 0;
    }
    int Total = 0;

private:
    UTF16SINK Sink;
    void *Context;
    char16_t Units[128];
    size_t Count = 0;
};

void ResetState(UTF8STATE *state)
{
    memset(state, 0, sizeof(*state));
}

// Gives the bytes of a bad sequence back as characters of their own values.
void PutRaw(UTF8STATE *state, UNITBATCH *batch)
{
    for (int i = 0; i < state->RawCount; i++)
        batch->Put(state->Raw[i]);
    ResetState(state);
}

} // namespace

int UNICODE::Utf8ToWide(const char *bytes, ptrdiff_t length, UTF8STATE *state, UTF16SINK sink,
                        void *context)
{
    if (!ORVAK_ASSERT(state != nullptr))
        return 0;
    // A state that no call of ours can have left behind is started afresh.
    if (state->Expected == 0 ? state->RawCount != 0
                             : state->Expected > 3 || state->RawCount < 1 ||
                                   state->Length != state->RawCount + state->Expected || state->Length > 4)
        ResetState(state);
    if (!bytes)
        return 0;
    if (length < 0)
        length = (ptrdiff_t)strlen(bytes);

    UNITBATCH batch(sink, context);
    const unsigned char *p = (const unsigned char *)bytes;
    for (ptrdiff_t i = 0; i < length; i++) {
        unsigned char byte = p[i];
        if (state->Expected) {
            if (byte >= 0x80 && byte <= 0xBF) {
                state->Value = (state->Value << 6) | (byte & 0x3F);
                state->Raw[state->RawCount++] = byte;
                if (--state->Expected == 0) {
                    static const unsigned int kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
                    unsigned int value = state->Value;
                    if (value < kMinimum[state->Length] || value > 0x10FFFF ||
                        (value >= 0xD800 && value <= 0xDFFF)) {
                        // Overlong forms, encoded surrogates and values past U+10FFFF are no
                        // characters: their bytes stand for themselves.
                        PutRaw(state, &batch);
                    } else {
                        batch.PutCodePoint(value);
                        ResetState(state);
                    }
                }
                continue;
            }
            // The sequence is cut short: its bytes stand for themselves, and the byte that cut it
            // is read afresh (it may start the next character).
            PutRaw(state, &batch);
        }
        if (byte < 0x80) {
            batch.Put(byte);
        } else if (byte >= 0xC2 && byte <= 0xF4) {
            int more = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
            state->Expected = more;
            state->Length = more + 1;
            state->Value = byte & (0x3F >> more);
            state->RawCount = 1;
            state->Raw[0] = byte;
        } else {
            // A stray continuation byte, 0xC0, 0xC1 (only overlong forms start with them) or
            // 0xF5-0xFF (past U+10FFFF).
            batch.Put(byte);
        }
    }
    batch.Flush();
    return batch.Total;
}

int UNICODE::Utf8Flush(UTF8STATE *state, UTF16SINK sink, void *context)
{
    if (!ORVAK_ASSERT(state != nullptr))
        return 0;
    UNITBATCH batch(sink, context);
    if (state->RawCount > 0 && state->RawCount <= 3)
        PutRaw(state, &batch);
    ResetState(state);
    batch.Flush();
    return batch.Total;
}

namespace {

void AppendToWstring(void *context, const char16_t *units, size_t count)
{
    static_cast<WSTRING *>(context)->Append(units, (STRING_SIZE_T)count);
}

} // namespace

int UNICODE::Utf8ToWide(const char *bytes, ptrdiff_t length, WSTRING *out, UTF8STATE *state)
{
    if (!ORVAK_ASSERT(out != nullptr))
        return 0;
    return Utf8ToWide(bytes, length, state, AppendToWstring, out);
}

int UNICODE::Utf8Flush(UTF8STATE *state, WSTRING *out)
{
    if (!ORVAK_ASSERT(out != nullptr))
        return 0;
    return Utf8Flush(state, AppendToWstring, out);
}

int UNICODE::WideToUtf8(unsigned int value, char *out, size_t outmax)
{
    ORVAK_ASSERT(outmax>=4);
    if (!out || outmax == 0)
        return 0;
    if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        value = 0xFFFD;
    unsigned char bytes[4];
    int n;
    if (value < 0x80) {
        bytes[0] = (unsigned char)value;
        n = 1;
    } else if (value < 0x800) {
        bytes[0] = (unsigned char)(0xC0 | (value >> 6));
        bytes[1] = (unsigned char)(0x80 | (value & 0x3F));
        n = 2;
    } else if (value < 0x10000) {
        bytes[0] = (unsigned char)(0xE0 | (value >> 12));
        bytes[1] = (unsigned char)(0x80 | ((value >> 6) & 0x3F));
        bytes[2] = (unsigned char)(0x80 | (value & 0x3F));
        n = 3;
    } else {
        bytes[0] = (unsigned char)(0xF0 | (value >> 18));
        bytes[1] = (unsigned char)(0x80 | ((value >> 12) & 0x3F));
        bytes[2] = (unsigned char)(0x80 | ((value >> 6) & 0x3F));
        bytes[3] = (unsigned char)(0x80 | (value & 0x3F));
        n = 4;
    }
    if ((size_t)n + 1 > outmax) {
        out[0] = 0;
        return 0;
    }
    memcpy(out, bytes, n);
    out[n] = 0;
    return n;
}
