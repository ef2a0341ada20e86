// The byte buffer under every string: block allocation with the small-buffer pool, the storage
// primitives, escaping, base64, hex, and whole-file load and save.
#include "kestar/base/binary.h"

#include <atomic>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kestar/base/critsect.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/string.h"

namespace {

// ---- The pool of 96-byte buffers ----------------------------------------------------------------
// Most strings of the system are short; their buffers are recycled through a small stack instead
// of the heap.  The stack is shared by all threads and guarded by a critical section made at the
// first allocation.  After CloseBufferPool (program end) everything goes straight to the heap,
// because strings of static objects are still freed after that.

constexpr int POOL_MAX = 127;

char *gPoolStack[POOL_MAX];           // guarded by PoolLock()
int gPoolCount = 0;                   // guarded by PoolLock()
std::atomic<bool> gPoolClosed{false}; // set once by CloseBufferPool

CRITSECT *PoolLock()
{
    static CRITSECT *lock = new CRITSECT();
    return lock;
}

// ---- The last large buffer freed (Windows) --------------------------------------------------------
// The Windows heap gives a block of a megabyte or more fresh pages from the system every time and
// returns them when it is freed; the text of a large list (a phone book's is megabytes) is built
// and freed again at every save or transfer, and each fresh page costs a fault.  The last such
// buffer freed is kept for the next one of about its size, as the C library's heap does on other
// systems with blocks of up to 32 MB.  Guarded by PoolLock().
#if defined(_WIN32)
constexpr STRING_SIZE_T kKeepFrom = 1 << 20;
constexpr STRING_SIZE_T kKeepUpTo = 32 << 20;
char *gKept = nullptr;
STRING_SIZE_T gKeptSize = 0;

// The kept buffer when it holds size bytes without wasting more than half of it.
char *TakeKept(STRING_SIZE_T size)
{
    char *buffer = nullptr;
    CRITSECT *lock = PoolLock();
    lock->Enter();
    if (gKept != nullptr && gKeptSize >= size && gKeptSize / 2 <= size) {
        buffer = gKept;
        gKept = nullptr;
        gKeptSize = 0;
    }
    lock->Leave();
    return buffer;
}

// Keeps buffer (size bytes) in place of the one kept before, which goes back to the heap.
void Keep(char *buffer, STRING_SIZE_T size)
{
    CRITSECT *lock = PoolLock();
    lock->Enter();
    char *older = gKept;
    gKept = buffer;
    gKeptSize = size;
    lock->Leave();
    free(older);
}
#endif

char *PoolAlloc(STRING_SIZE_T size)
{
    if (size == STRING_DEFAULT_BLOCKSIZE && !gPoolClosed.load()) {
        char *buffer = nullptr;
        CRITSECT *lock = PoolLock();
        lock->Enter();
        if (gPoolCount > 0)
            buffer = gPoolStack[--gPoolCount];
        lock->Leave();
        if (buffer != nullptr)
            return buffer;
    }
#if defined(_WIN32)
    if (size >= kKeepFrom && size <= kKeepUpTo && !gPoolClosed.load()) {
        if (char *buffer = TakeKept(size))
            return buffer;
    }
#endif
    return static_cast<char *>(malloc(static_cast<size_t>(size)));
}

void PoolFree(char *buffer, STRING_SIZE_T size)
{
    if (buffer == nullptr)
        return;
    if (size == STRING_DEFAULT_BLOCKSIZE && !gPoolClosed.load()) {
        bool kept = false;
        CRITSECT *lock = PoolLock();
        lock->Enter();
        if (gPoolCount < POOL_MAX) {
            gPoolStack[gPoolCount++] = buffer;
            kept = true;
        }
        lock->Leave();
        if (kept)
            return;
    }
#if defined(_WIN32)
    if (size >= kKeepFrom && size <= kKeepUpTo && !gPoolClosed.load()) {
        Keep(buffer, size);
        return;
    }
#endif
    free(buffer);
}

// True when p points into [start, start + len).
bool Inside(const void *p, const char *start, STRING_SIZE_T len)
{
    if (p == nullptr || start == nullptr)
        return false;
    const char *c = static_cast<const char *>(p);
    return c >= start && c < start + len;
}

const char HEXDIGITS[] = "0123456789abcdef";
const char BASE64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A small staging buffer for the builders: bytes collect here and go to the result in chunks.
class STAGE {
public:
    explicit STAGE(STRING &target) : Target(target) {}
    ~STAGE() { Flush(); }
    void Put(char c)
    {
        if (Used == sizeof(Data))
            Flush();
        Data[Used++] = c;
    }
    void Put(const char *text)
    {
        while (*text)
            Put(*text++);
    }
    void Flush()
    {
        if (Used > 0)
            Target.BINARY::Append(Data, Used);
        Used = 0;
    }

private:
    STRING &Target;
    char Data[256];
    STRING_SIZE_T Used = 0;
};

} // namespace

// ---- Construction -------------------------------------------------------------------------------

BINARY::BINARY(const BINARY &other)
    : Buffer(nullptr), StrLen(0), BufLen(0), BlockSize(other.BlockSize), Flags(other.Flags & ~STRINGFLAG_BORROWED)
{
    if (other.Buffer != nullptr)
        Make(other.StrLen, other.Buffer);
}

BINARY::BINARY(BINARY &&other) noexcept
    : Buffer(other.Buffer), StrLen(other.StrLen), BufLen(other.BufLen), BlockSize(other.BlockSize), Flags(other.Flags)
{
    if (Flags & STRINGFLAG_BORROWED) {
        // The block belongs to the other's container and may go with it: copy.
        Buffer = nullptr;
        StrLen = 0;
        BufLen = 0;
        Flags &= ~STRINGFLAG_BORROWED;
        Make(other.StrLen, other.Buffer);
        return;
    }
    other.Buffer = nullptr;
    other.StrLen = 0;
    other.BufLen = 0;
}

BINARY &BINARY::operator=(const BINARY &other)
{
    if (this == &other)
        return *this;
    BlockSize = other.BlockSize;
    // Whether this buffer is borrowed stays with this buffer.
    Flags = (other.Flags & ~STRINGFLAG_BORROWED) | (Flags & STRINGFLAG_BORROWED);
    if (other.Buffer == nullptr)
        Free();
    else
        Make(other.StrLen, other.Buffer);
    return *this;
}

BINARY &BINARY::operator=(BINARY &&other) noexcept
{
    if (this == &other)
        return *this;
    if (other.Flags & STRINGFLAG_BORROWED)
        return *this = static_cast<const BINARY &>(other);
    Free();
    Buffer = other.Buffer;
    StrLen = other.StrLen;
    BufLen = other.BufLen;
    BlockSize = other.BlockSize;
    Flags = other.Flags;
    other.Buffer = nullptr;
    other.StrLen = 0;
    other.BufLen = 0;
    return *this;
}

BINARY::~BINARY()
{
    Free();
}

void BINARY::Free()
{
    if (!(Flags & STRINGFLAG_BORROWED))
        PoolFree(Buffer, BufLen);
    Flags &= ~STRINGFLAG_BORROWED;
    Buffer = nullptr;
    StrLen = 0;
    BufLen = 0;
}

void BINARY::CloseBufferPool()
{
    if (gPoolClosed.load())
        return;
    CRITSECT *lock = PoolLock();
    lock->Enter();
    while (gPoolCount > 0)
        free(gPoolStack[--gPoolCount]);
#if defined(_WIN32)
    free(gKept);
    gKept = nullptr;
    gKeptSize = 0;
#endif
    gPoolClosed.store(true);
    lock->Leave();
    delete lock;
}

char &BINARY::Scratch()
{
    static char scratch;
    scratch = 0;
    return scratch;
}

// ---- Storage primitives -------------------------------------------------------------------------

void BINARY::Terminate()
{
    if (Buffer == nullptr)
        return;
    if (Flags & STRINGFLAG_WIDE) {
        // Two zero bytes at the even offset that ends the last whole character.
        STRING_SIZE_T at = StrLen & ~1;
        Buffer[at] = 0;
        Buffer[at + 1] = 0;
    } else {
        Buffer[StrLen] = 0;
    }
}

void BINARY::Make(STRING_SIZE_T len, const void *data)
{
    Resize(len, data, true);
}

bool BINARY::Resize(STRING_SIZE_T len, const void *data, bool stopWhenOutOfMemory)
{
    if (BlockSize <= 0)
        BlockSize = STRING_DEFAULT_BLOCKSIZE;
    if (len < 0)
        return true;
    const STRING_SIZE_T extra = TerminatorSize();
    const long long need = static_cast<long long>(len) + extra;

    if (BufLen < need) {
        // A copy of data that lives in the buffer about to be replaced.
        BINARY keep;
        if (data != nullptr && Inside(data, Buffer, BufLen)) {
            keep.Flags = Flags & STRINGFLAG_WIDE;
            keep.Make(len, data);
            data = keep.Buffer;
        }
        const long long newsize = static_cast<long long>(BlockSize) * (need / BlockSize + 1);
        char *buffer = nullptr;
        if (newsize <= INT32_MAX)
            buffer = PoolAlloc(static_cast<STRING_SIZE_T>(newsize));
        if (buffer == nullptr) {
            if (!stopWhenOutOfMemory) {
                LOGIT::Printf("BINARY::Resize no memory for %lld bytes\n", newsize);
                return false;
            }
            ORVAK_ASSERT_INFO(buffer, "BINARY::Make");
            LOGIT::OrderlyStop();
        }
        memset(buffer, 0, static_cast<size_t>(newsize));
        if (Buffer != nullptr && data == nullptr) {
            STRING_SIZE_T keepLen = StrLen < newsize ? StrLen : static_cast<STRING_SIZE_T>(newsize);
            memcpy(buffer, Buffer, static_cast<size_t>(keepLen));
        }
        if (!(Flags & STRINGFLAG_BORROWED))
            PoolFree(Buffer, BufLen);
        Flags &= ~STRINGFLAG_BORROWED;
        Buffer = buffer;
        BufLen = static_cast<STRING_SIZE_T>(newsize);

        // The next growth step: larger blocks for larger buffers keep the number of
        // reallocations logarithmic.
        if (Flags & STRINGFLAG_DYNABLOCK) {
            STRING_SIZE_T block = BlockSize > BufLen / 2 ? BlockSize : BufLen / 2;
            if (block > 0x1FFFFF)
                block = 0x200000;
            if (block > 4095)
                block = (block + 1023) / 1024 * 1024;
            if (block != BlockSize) {
                BlockSize = block;
                LOGIT::Printf("STRING::Make STRINGFLAG_DYNABLOCK new blocksize %d\n", BlockSize);
            }
        } else if (BufLen >= 32769) {
            Flags |= STRINGFLAG_DYNABLOCK;
            if (BlockSize < 0x8000) {
                BlockSize = 0x8000;
                LOGIT::Printf("STRING::Make Upgrade String to STRINGFLAG_DYNABLOCK\n");
            }
        } else if (BufLen >= 8192) {
            if (BlockSize < 4096)
                BlockSize = 4096;
        } else if (BufLen >= 4096) {
            if (BlockSize < 2048)
                BlockSize = 2048;
        } else if (BufLen >= 1024) {
            if (BlockSize < 1024)
                BlockSize = 1024;
        }

        if (data != nullptr) {
            memcpy(Buffer, data, static_cast<size_t>(len));
            StrLen = len;
            Terminate();
            return true;
        }
    } else if (data != nullptr) {
        ORVAK_ASSERT(this->BufLen>=(len+extra));
        // data may overlap the content; move first, then clear what is left of the old content.
        memmove(Buffer, data, static_cast<size_t>(len));
        STRING_SIZE_T clearTo = (StrLen > len ? StrLen : len) + extra;
        if (clearTo > BufLen)
            clearTo = BufLen;
        memset(Buffer + len, 0, static_cast<size_t>(clearTo - len));
    }
    StrLen = len;
    Terminate();
    return true;
}

void BINARY::Append(const void *data, STRING_SIZE_T howmany)
{
    AppendBytes(data, howmany, true);
}

bool BINARY::TryAppend(const void *data, STRING_SIZE_T howmany)
{
    return AppendBytes(data, howmany, false);
}

bool BINARY::AppendBytes(const void *data, STRING_SIZE_T howmany, bool stopWhenOutOfMemory)
{
    ORVAK_ASSERT(howmany>=0);
    if (howmany < 0)
        return false;
    const STRING_SIZE_T n = howmany;
    if (n > 0 && data == nullptr)
        return false;
    const STRING_SIZE_T oldLen = StrLen;
    if (static_cast<long long>(StrLen) + n > INT32_MAX - 16) {
        ORVAK_ASSERT_INFO(StrLen <= INT32_MAX - 16 - n, "BINARY::Append");
        return false;
    }
    if (Buffer != nullptr && StrLen + n < BufLen - 8) {
        StrLen += n;
    } else {
        // Make keeps the content; data inside the old buffer moves with it.
        long long offset = -1;
        if (Inside(data, Buffer, BufLen))
            offset = static_cast<const char *>(data) - Buffer;
        if (!Resize(StrLen + n, nullptr, stopWhenOutOfMemory))
            return false;
        if (offset >= 0)
            data = Buffer + offset;
    }
    if (n == 1)
        Buffer[oldLen] = *static_cast<const char *>(data);
    else if (n > 0)
        memmove(Buffer + oldLen, data, static_cast<size_t>(n));
    Terminate();
    return true;
}

char *BINARY::Reserve(STRING_SIZE_T n)
{
    if (n < 0)
        n = 0;
    const STRING_SIZE_T extra = TerminatorSize();
    const long long need = static_cast<long long>(StrLen) + n + extra;
    if (Buffer == nullptr || BufLen < need) {
        char *buffer = need <= INT32_MAX ? PoolAlloc(static_cast<STRING_SIZE_T>(need)) : nullptr;
        if (buffer == nullptr) {
            ORVAK_ASSERT_INFO(buffer, "BINARY::Reserve");
            LOGIT::OrderlyStop();
        }
        if (Buffer != nullptr && StrLen > 0)
            memcpy(buffer, Buffer, static_cast<size_t>(StrLen));
        memset(buffer + StrLen, 0, static_cast<size_t>(extra));
        if (!(Flags & STRINGFLAG_BORROWED))
            PoolFree(Buffer, BufLen);
        Flags &= ~STRINGFLAG_BORROWED;
        Buffer = buffer;
        BufLen = static_cast<STRING_SIZE_T>(need);
    }
    return Buffer + StrLen;
}

void BINARY::Extend(STRING_SIZE_T n)
{
    if (!ORVAK_ASSERT(Buffer!=nullptr && n>=0 && StrLen+n+TerminatorSize()<=BufLen) || Buffer == nullptr || n < 0 ||
        static_cast<long long>(StrLen) + n + TerminatorSize() > BufLen)
        return;
    StrLen += n;
    memset(Buffer + StrLen, 0, static_cast<size_t>(BufLen - StrLen));
}

void BINARY::AppendBinary(const BINARY &other)
{
    if (&other == this) {
        BINARY copy(other);
        Append(copy.Buffer, copy.StrLen);
        return;
    }
    if (other.Buffer != nullptr)
        Append(other.Buffer, other.StrLen);
    else if (Buffer == nullptr)
        Make(0);
}

void BINARY::Truncate(STRING_SIZE_T newlength)
{
    if (!ORVAK_ASSERT(newlength>=0) || newlength < 0)
        return;
    if (Buffer == nullptr || newlength >= StrLen)
        return;
    memset(Buffer + newlength, 0, static_cast<size_t>(StrLen - newlength));
    StrLen = newlength;
    Terminate();
}

void BINARY::DeleteLeft(STRING_SIZE_T howmany)
{
    Delete(howmany, 0);
}

void BINARY::DeleteRight(STRING_SIZE_T howmany)
{
    if (!ORVAK_ASSERT(howmany>=0) || howmany < 0)
        return;
    if (Buffer == nullptr)
        return;
    Truncate(howmany >= StrLen ? 0 : StrLen - howmany);
}

void BINARY::Delete(STRING_SIZE_T howmany, STRING_SIZE_T pos)
{
    if (!ORVAK_ASSERT(howmany>=0) || howmany < 0)
        return;
    if (!ORVAK_ASSERT(pos>=0) || pos < 0)
        return;
    if (Buffer == nullptr || pos >= StrLen || howmany == 0)
        return;
    if (howmany >= StrLen - pos) {
        Truncate(pos);
        return;
    }
    const STRING_SIZE_T tail = StrLen - pos - howmany;
    memmove(Buffer + pos, Buffer + pos + howmany, static_cast<size_t>(tail));
    Truncate(StrLen - howmany);
}

char &BINARY::operator[](STRING_SIZE_T i)
{
    if (i >= 0 && i < StrLen && Buffer != nullptr)
        return Buffer[i];
    char info[160];
    const char *text = STR::SafeText(Buffer, "[]");
    snprintf(info, sizeof(info), "i= %d, len= %d, buf= %s", i, StrLen, text ? text : "");
    ORVAK_ASSERT_INFO(i>=0 && i<this->StrLen, info);
    return Scratch();
}

const char &BINARY::operator[](STRING_SIZE_T i) const
{
    return const_cast<BINARY *>(this)->operator[](i);
}

// ---- Text operations ----------------------------------------------------------------------------

STRING BINARY::Mid(STRING_SIZE_T pos, STRING_SIZE_T len) const
{
    STRING result;
    if (pos < 0)
        pos = 0;
    if (Buffer == nullptr || pos >= StrLen) {
        result.SetNotNull();
        return result;
    }
    if (len < 0 || len > StrLen - pos)
        len = StrLen - pos;
    result.Make(len, Buffer + pos);
    return result;
}

STRING BINARY::Escape(const char *extra) const
{
    STRING result;
    const long long sized = (static_cast<long long>(StrLen) / 4 + StrLen + 255) / 256 * 256;
    result.BlockSize = sized > 0 && sized <= 0x40000000 ? static_cast<STRING_SIZE_T>(sized) : 0;
    result.SetNotNull();
    if (extra == nullptr)
        extra = "";
    {
        STAGE stage(result);
        for (STRING_SIZE_T i = 0; i < StrLen; i++) {
            const unsigned char c = static_cast<unsigned char>(Buffer[i]);
            const bool inExtra = c != 0 && strchr(extra, c) != nullptr;
            if (c >= 0x20 && c <= 0x7F && c != '\\' && !inExtra) {
                stage.Put(static_cast<char>(c));
                continue;
            }
            switch (c) {
            case 0x00: stage.Put("\\0"); break;
            case 0x09: stage.Put("\\t"); break;
            case 0x0A: stage.Put("\\n"); break;
            case 0x0D: stage.Put("\\r"); break;
            case 0x1A: stage.Put("\\z"); break;
            case 0x22: stage.Put("\\\""); break; // only reached when in extra
            case 0x27: stage.Put("\\'"); break;  // only reached when in extra
            case 0x5C: stage.Put("\\\\"); break;
            default:
                stage.Put('\\');
                stage.Put('x');
                stage.Put(HEXDIGITS[c >> 4]);
                stage.Put(HEXDIGITS[c & 0x0F]);
                break;
            }
        }
    }
    return result;
}

STRING BINARY::Unescape(bool keepunknown) const
{
    STRING result;
    result.BlockSize = BlockSize;
    result.SetNotNull();
    STAGE stage(result);
    for (STRING_SIZE_T i = 0; i < StrLen; i++) {
        const char c = Buffer[i];
        if (c != '\\') {
            stage.Put(c);
            continue;
        }
        // A backslash as the last byte is an escape of nothing: unknown.
        const bool hasNext = i + 1 < StrLen;
        const char e = hasNext ? Buffer[i + 1] : 0;
        int value = -1;
        switch (e) {
        case '"': value = 0x22; break;
        case '\'': value = 0x27; break;
        case '0': value = 0x00; break;
        case '\\': value = 0x5C; break;
        case 'n': value = 0x0A; break;
        case 'r': value = 0x0D; break;
        case 't': value = 0x09; break;
        case 'z': value = 0x1A; break;
        default: break;
        }
        if (!hasNext)
            value = -1;
        if (value >= 0) {
            stage.Put(static_cast<char>(value));
            i++;
            continue;
        }
        if (e == 'x' && static_cast<long long>(i) + 3 < static_cast<long long>(StrLen)) {
            const unsigned char xdigit[2] = {static_cast<unsigned char>(Buffer[i + 2]),
                                             static_cast<unsigned char>(Buffer[i + 3])};
            const bool good0 = ORVAK_ASSERT(isxdigit(xdigit[0])) && isxdigit(xdigit[0]);
            const bool good1 = ORVAK_ASSERT(isxdigit(xdigit[1])) && isxdigit(xdigit[1]);
            if (good0 && good1) {
                stage.Put(static_cast<char>(HexValue(xdigit[0]) * 16 + HexValue(xdigit[1])));
                i += 3;
            } else {
                // Not a hex escape after all: keep "\x" and read the bytes after it as they stand.
                stage.Put('\\');
                stage.Put('x');
                i += 1;
            }
            continue;
        }
        // Unknown escape (also "\x" with fewer than two bytes after it).
        if (keepunknown) {
            stage.Put('\\');
            if (hasNext)
                stage.Put(e);
        } else {
            const char *whole = STR::SafeText(Buffer, "Unescape");
            LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, whole ? whole : "", 0);
            if (hasNext)
                stage.Put(e);
        }
        if (hasNext)
            i++;
    }
    return result;
}

STRING BINARY::EncodeBase64(bool linebreaks) const
{
    STRING result;
    const long long groups = static_cast<long long>(StrLen) / 3 * 4;
    const long long sized = groups + groups / 76 * 2 + 5;
    result.BlockSize = sized <= 0x40000000 ? static_cast<STRING_SIZE_T>(sized) : 0;
    result.SetNotNull();
    if (StrLen == 0)
        return result;
    {
        STAGE stage(result);
        int column = 0;
        auto put = [&](char ch) {
            stage.Put(ch);
            if (linebreaks && ++column == 76) {
                stage.Put('\r');
                stage.Put('\n');
                column = 0;
            }
        };
        const unsigned char *p = reinterpret_cast<const unsigned char *>(Buffer);
        STRING_SIZE_T i = 0;
        for (; i + 3 <= StrLen; i += 3) {
            const unsigned v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
            put(BASE64[(v >> 18) & 63]);
            put(BASE64[(v >> 12) & 63]);
            put(BASE64[(v >> 6) & 63]);
            put(BASE64[v & 63]);
        }
        const STRING_SIZE_T left = StrLen - i;
        if (left == 1) {
            const unsigned v = p[i] << 16;
            put(BASE64[(v >> 18) & 63]);
            put(BASE64[(v >> 12) & 63]);
            put('=');
            put('=');
        } else if (left == 2) {
            const unsigned v = (p[i] << 16) | (p[i + 1] << 8);
            put(BASE64[(v >> 18) & 63]);
            put(BASE64[(v >> 12) & 63]);
            put(BASE64[(v >> 6) & 63]);
            put('=');
        }
        if (linebreaks && column != 0) {
            stage.Put('\r');
            stage.Put('\n');
        }
    }
    return result;
}

STRING BINARY::DecodeBase64() const
{
    STRING result;
    const long long sized = static_cast<long long>(StrLen) / 4 * 3 + 3;
    result.BlockSize = sized <= 0x40000000 ? static_cast<STRING_SIZE_T>(sized) : 0;
    result.SetNotNull();
    STAGE stage(result);
    unsigned value = 0;
    int count = 0;
    for (STRING_SIZE_T i = 0; i < StrLen; i++) {
        const unsigned char c = static_cast<unsigned char>(Buffer[i]);
        if (c == '=') {
            if (count == 2) {
                stage.Put(static_cast<char>((value >> 4) & 0xFF));
            } else if (count == 3) {
                stage.Put(static_cast<char>((value >> 10) & 0xFF));
                stage.Put(static_cast<char>((value >> 2) & 0xFF));
            }
            break;
        }
        const int v = Base64Value(c);
        if (v < 0)
            continue;
        value = (value << 6) | static_cast<unsigned>(v);
        if (++count == 4) {
            stage.Put(static_cast<char>((value >> 16) & 0xFF));
            stage.Put(static_cast<char>((value >> 8) & 0xFF));
            stage.Put(static_cast<char>(value & 0xFF));
            value = 0;
            count = 0;
        }
    }
    return result;
}

STRING BINARY::ToHex() const
{
    STRING result;
    const long long sized = static_cast<long long>(StrLen) * 2 + 1;
    result.BlockSize = sized <= 0x40000000 ? static_cast<STRING_SIZE_T>(sized) : 0;
    result.SetNotNull();
    STAGE stage(result);
    for (STRING_SIZE_T i = 0; i < StrLen; i++) {
        const unsigned char c = static_cast<unsigned char>(Buffer[i]);
        stage.Put(HEXDIGITS[c >> 4]);
        stage.Put(HEXDIGITS[c & 0x0F]);
    }
    return result;
}

// ---- Files --------------------------------------------------------------------------------------

bool BINARY::Load(const char *path, const char *mode)
{
    const char *name = STR::SafeText(path, "BINARY::Load");
    const long long size = OSYSFILE::Size(path);
    LOGIT::Printf("BINARY::Load %s (%d bytes)\n", name ? name : "", static_cast<int>(size > INT_MAX ? INT_MAX : size));
    char error[256];
    // Readers deny writers: a file is never read half-written by another process.
    FILE *f = path && mode ? FILENAME::fsopen(path, mode) : OSYSFILE::Open(path, mode);
    if (f == nullptr) {
        OSYSFILE::LastErrorText(error, sizeof(error));
        LOGIT::Printf("BINARY::Load returns %p, %d bytes, %s\n", static_cast<void *>(f), StrLen, error);
        return false;
    }
    // Read into a fresh buffer so that a failed read leaves the content as it was.
    BINARY data;
    data.Flags = Flags & ~STRINGFLAG_BORROWED;
    data.BlockSize = BlockSize;
    bool ok = true;
    if (size > 0) {
        const long long block = (size + 65535) / 65536 * 65536;
        if (block > 0x7FFF0000LL) {
            ok = false; // more than a string can hold
        } else {
            data.BlockSize = static_cast<STRING_SIZE_T>(block);
        }
    }
    // Straight into the buffer: room for the whole file and one byte more (so that one read
    // reaches the end), and more room as long as the file keeps giving bytes.
    size_t want = size > 0 && ok ? static_cast<size_t>(size) + 1 : 256;
    while (ok) {
        if (static_cast<long long>(data.StrLen) + static_cast<long long>(want) > 0x7FFF0000LL) {
            want = static_cast<size_t>(0x7FFF0000LL - data.StrLen);
            if (want == 0) {
                ok = false; // more than a string can hold
                break;
            }
        }
        char *at = data.Reserve(static_cast<STRING_SIZE_T>(want));
        const size_t got = fread(at, 1, want, f);
        data.Extend(static_cast<STRING_SIZE_T>(got));
        if (got < want)
            break;
        want = data.StrLen < 32768 ? 32768 : static_cast<size_t>(data.StrLen);
    }
    if (ferror(f) || !feof(f))
        ok = false;
    if (!ok)
        OSYSFILE::LastErrorText(error, sizeof(error));
    if (fclose(f) != 0 && ok) {
        ok = false;
        OSYSFILE::LastErrorText(error, sizeof(error));
    }
    if (ok) {
        Free();
        *static_cast<BINARY *>(this) = static_cast<BINARY &&>(data);
        // The block size of the load stays for the next growth, as with every builder.
    }
    LOGIT::Printf("BINARY::Load returns %p, %d bytes, %s\n", static_cast<void *>(f), StrLen, ok ? "OK" : error);
    return ok;
}

bool BINARY::Save(const char *path, const char *mode) const
{
    const char *name = STR::SafeText(path, "BINARY::Save");
    LOGIT::Printf("BINARY::Save %s\n", name ? name : "");
    char error[256];
    // Writers deny everybody else until the file is complete.
    FILE *f = path && mode ? FILENAME::fsopen(path, mode) : OSYSFILE::Open(path, mode);
    if (f == nullptr) {
        OSYSFILE::LastErrorText(error, sizeof(error));
        LOGIT::Printf("BINARY::Save returns %p, %d bytes, %s\n", static_cast<void *>(f), -1, error);
        return false;
    }
    bool ok = true;
    long long written = 0;
    if (StrLen > 0) {
        const char *content = STR::SafeText(Buffer, "STRING::Save");
        if (content != nullptr)
            written = static_cast<long long>(fwrite(content, 1, static_cast<size_t>(StrLen), f));
        ok = written == StrLen;
    }
    if (ok && fflush(f) != 0)
        ok = false;
    if (ok && !OSYSFILE::Commit(f))
        ok = false;
    if (!ok)
        OSYSFILE::LastErrorText(error, sizeof(error));
    if (fclose(f) != 0 && ok) {
        ok = false;
        OSYSFILE::LastErrorText(error, sizeof(error));
    }
    LOGIT::Printf("BINARY::Save returns %p, %d bytes, %s\n", static_cast<void *>(f), ok ? static_cast<int>(written) : -1,
                  ok ? "OK" : error);
    return ok;
}
