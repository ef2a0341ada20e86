// Conversions of single characters between 8-bit code pages, 16-bit Unicode and UTF-8.
//
// UNICODE carries its own tables for 30 single-byte code pages, so that a conversion gives the same
// result on every machine; the operating system is asked only for the system's own pages and as
// the last resort.  Every conversion is per character and allocates nothing.
#ifndef KESTAR_UNICODE_H
#define KESTAR_UNICODE_H

#include <cstddef>

// windows.h renames the class when UNICODE is defined; the whole code base builds without it.
#if defined(UNICODE)
#error "kestar builds without the UNICODE define"
#endif

// Special code-page values.  Any other value is an ordinary code-page number; 1000 stands for the
// default page (1252 towards Unicode, the system's ANSI page from Unicode).
constexpr int UNICODE_CPSYSTEM = -2; // the system's ANSI code page, converted by the OS
constexpr int UNICODE_CPFLAT = -3;   // the byte is the low 8 bits of the character and back
constexpr int UNICODE_CPUTF8 = -4;   // UTF-8: only for the UTF-8 operations

// The state of the streaming UTF-8 decoder.  Zero it before the first call (UTF8STATE s = {});
// it carries a sequence that is split across calls.
struct UTF8STATE {
    unsigned int Value;     // value bits gathered so far
    int Expected;           // continuation bytes still expected; 0 outside a sequence
    int Length;             // length of the sequence in bytes (2 to 4), 0 outside a sequence
    int RawCount;           // bytes of the sequence taken so far
    unsigned char Raw[4];   // those bytes, given back as characters when the sequence is bad
};

class WSTRING;

// Receives decoded UTF-16 units: count units at units, valid only during the call.
typedef void (*UTF16SINK)(void *context, const char16_t *units, size_t count);

class UNICODE {
public:
    enum { MAXTABLES = 32, NAMEMAX = 64, REVERSEMAX = 9728 };

    // A table record: one single-byte code page.
    struct TABLE {
        char Name[NAMEMAX];
        int CodePage;
        int DoubleByte;     // 1: only the lead bytes are marked (with 0), no characters
    };

    // A generated table (kestar/unicodetables.cpp, from tools/gen_codepages.py).
    struct BUILTINTABLE {
        const char *Name;
        int CodePage;
        int DoubleByte;
        const unsigned short *Map; // 256 Unicode values
    };
    static const BUILTINTABLE BuiltinTables[];
    static const int NumBuiltinTables;

    // The process-wide object, built on the first call; owned by the process, never null.
    static UNICODE *GetInstance();
    // Deletes the process-wide object (at program exit); a later GetInstance builds a new one.
    static void FreeInstance();

    UNICODE();
    ~UNICODE();
    UNICODE(const UNICODE &) = delete;
    UNICODE &operator=(const UNICODE &) = delete;

    // The character that byte stands for in code page cp.  A page without a table reports an
    // assertion and gives '@'; a byte the page leaves undefined gives U+007F.
    char16_t ToWide(unsigned char byte, int cp);
    // The byte of code page cp for a Unicode value: the page's table first, then an ASCII stand-in
    // for box-drawing characters, then the operating system (its default character when the page
    // has none).  Values above U+FFFF have no byte and give the default character.
    unsigned char FromWide(unsigned int value, int cp);

    // Decodes UTF-8 and hands the UTF-16 units to sink; a sequence split across calls is carried
    // in state.  length -1: bytes is zero-terminated.  A character above U+FFFF becomes a
    // surrogate pair.  A byte that does not belong to a well-formed sequence (stray continuation,
    // 0xC0, 0xC1, 0xF5-0xFF, overlong or surrogate or out-of-range sequences, a sequence cut by
    // another byte) becomes the character of the same value (U+0080-U+00FF).  Returns the number
    // of units handed to sink.
    static int Utf8ToWide(const char *bytes, ptrdiff_t length, UTF8STATE *state, UTF16SINK sink,
                          void *context);
    // Ends a stream: a sequence still open in state is given back byte by byte as characters of
    // the same value, and state is reset.  Returns the number of units handed to sink.
    static int Utf8Flush(UTF8STATE *state, UTF16SINK sink, void *context);
    // The same, appending to out (a NULL string stays NULL while nothing is appended).  Returns
    // the number of characters (16-bit units) appended.
    static int Utf8ToWide(const char *bytes, ptrdiff_t length, WSTRING *out, UTF8STATE *state);
    static int Utf8Flush(UTF8STATE *state, WSTRING *out);

    // Writes the UTF-8 bytes of one character (1 to 4 bytes) and a zero byte after them; out must
    // hold at least 5 bytes (outmax >= 4 is asserted for 16-bit values, which need 3 bytes plus
    // the zero).  A lone surrogate or a value above U+10FFFF is written as U+FFFD.  Returns the
    // number of bytes before the zero; 0 when out is too small (out then holds an empty text when
    // outmax >= 1).
    static int WideToUtf8(unsigned int value, char *out, size_t outmax);

    // Reads the character at *pos of UTF-16 units and advances *pos past it: a surrogate pair
    // gives one value above U+FFFF, a lone surrogate gives itself.  *pos must be below count.
    template <typename UNIT>
    static unsigned int NextCodePoint(const UNIT *units, size_t count, size_t *pos)
    {
        unsigned int first = (unsigned int)units[*pos] & 0xFFFF;
        (*pos)++;
        if (first >= 0xD800 && first <= 0xDBFF && *pos < count) {
            unsigned int second = (unsigned int)units[*pos] & 0xFFFF;
            if (second >= 0xDC00 && second <= 0xDFFF) {
                (*pos)++;
                return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
            }
        }
        return first;
    }

    // The table index of a code page, -1 when there is none.
    int GetTableIndex(int cp) const;
    // The table record of a code page; borrowed from this object, null when there is none.
    const TABLE *GetTable(int cp) const;
    int GetNumTables() const { return NumTables; }

    // The builder's accessors of the entry array.  SetEntry returns false for a bad table or a
    // code page 0 (which marks an empty entry); GetEntry gives U+007F for an empty entry.
    bool SetEntry(int table, unsigned char byte, unsigned short value, int cp);
    unsigned short GetEntry(int table, unsigned char byte) const;

private:
    // One entry of the entry array: entry number = table index * 256 + byte.
    struct ENTRY {
        unsigned char Byte;
        unsigned char Unused;
        unsigned short CodePage;   // 0: empty entry
        unsigned short Value;
    };
    enum { NOENTRY = 0xFFFF, OSPAGE_ANSI = UNICODE_CPSYSTEM, OSPAGE_OEM = -5 };

    void InitTables();
    void BuildReverseIndex();
    // The byte of the first entry of table idx that holds value, -1 when none does.
    int ScanTable(int idx, unsigned int value) const;

    // The operating system's side (unicode_win32.cpp; unicode_posix.cpp stands in natively with
    // 1252 as the ANSI page and 437 as the OEM page).  OsToWide converts a byte of the system's
    // ANSI page and returns false when it cannot; OsFromWide converts to the ANSI page
    // (OSPAGE_ANSI), the OEM page (OSPAGE_OEM) or code page ospage and gives the page's default
    // character when there is no mapping.
    bool OsToWide(unsigned char byte, char16_t *out) const;
    unsigned char OsFromWide(unsigned int value, int ospage) const;
    unsigned char OsDefaultChar() const;

    ENTRY Entries[MAXTABLES * 256];
    TABLE Tables[MAXTABLES];
    int NumTables;
    unsigned short Reverse[REVERSEMAX]; // entry number per Unicode value, NOENTRY when none
    int ReverseSize;                    // values 0 to ReverseSize - 1 are in Reverse
};

#endif
