// The growable byte buffer under all text of the system.  A BINARY without a buffer is a NULL
// text, distinct from an empty one; content grows in whole blocks, and buffers of the default
// 96-byte block come from a process-wide pool.  STRING (8-bit text) and WSTRING (UTF-16 text)
// are built on it.
#ifndef KESTAR_BINARY_H
#define KESTAR_BINARY_H

#include <cstdint>

// Lengths and positions of all string types: signed 32-bit; -1 as a length means "up to the
// terminator".
typedef int32_t STRING_SIZE_T;

class STRING;

// Bits of BINARY::Flags.
enum : uint32_t {
    STRINGFLAG_BINARY = 0x01,    // the value is binary (read from base64; written back as base64)
    STRINGFLAG_DYNABLOCK = 0x02, // the block size grows with the buffer
    STRINGFLAG_BORROWED = 0x04,  // the buffer lies in a block of its container (a record's texts): it
                                 // is never freed here and never handed on (a move copies it), and
                                 // content that outgrows it moves to a buffer of the string's own
    STRINGFLAG_WIDE = 0x10,      // UTF-16 content: lengths stay in bytes, the terminator is 2 bytes
};

// The default allocation unit, and the size of the pooled buffers.
constexpr STRING_SIZE_T STRING_DEFAULT_BLOCKSIZE = 96;

class BINARY {
public:
    // No buffer; a block size of 0 or less becomes 96 at the first use.
    explicit BINARY(STRING_SIZE_T blocksize = 0)
        : Buffer(nullptr), StrLen(0), BufLen(0), BlockSize(blocksize > 0 ? blocksize : STRING_DEFAULT_BLOCKSIZE),
          Flags(0)
    {
    }
    // Copies block size, content (NULL stays NULL) and flags.
    BINARY(const BINARY &other);
    // Takes the other's buffer; a borrowed buffer (STRINGFLAG_BORROWED) is copied instead.
    BINARY(BINARY &&other) noexcept;
    BINARY &operator=(const BINARY &other);
    BINARY &operator=(BINARY &&other) noexcept;
    ~BINARY();

    // Gives the buffer back (to the pool when it is a 96-byte one): the content becomes NULL.
    void Free();

    // Sets the length to len, growing the buffer in whole blocks.  With data the content is
    // replaced by len bytes of data (data may point into this buffer); without, the old content is
    // kept and only the length and terminator change.  A negative len only settles the block size.
    void Make(STRING_SIZE_T len, const void *data = nullptr);
    // Appends n bytes (n >= 0; data may point into this buffer).
    void Append(const void *data, STRING_SIZE_T n);
    // The same for code that must never end its process (the port monitor inside the spooler):
    // when the memory cannot be had, false with the content unchanged instead of the stop.  Also
    // false for a negative n, null data or a length past the 32-bit limit.
    bool TryAppend(const void *data, STRING_SIZE_T n);
    void AppendBinary(const BINARY &other);
    // For a writer that puts its bytes straight into the buffer: room for at least n more bytes
    // after the content (the content kept, the room not cleared); returns the end of the content.
    // The bytes written there become content through Extend.  Room past the 32-bit limit stops the
    // program in order, as growth by Make does.
    char *Reserve(STRING_SIZE_T n);
    // The n bytes after the content, written into the room of Reserve, become content; the rest
    // of the buffer is cleared.
    void Extend(STRING_SIZE_T n);

    // Shortens to newlength bytes (never lengthens).
    void Truncate(STRING_SIZE_T newlength);
    // Remove howmany bytes at the start, at the end, or at pos; a range that reaches the end cuts
    // the content at pos.  Negative counts or positions are assertion failures and change nothing.
    void DeleteLeft(STRING_SIZE_T howmany);
    void DeleteRight(STRING_SIZE_T howmany);
    void Delete(STRING_SIZE_T howmany, STRING_SIZE_T pos);

    // Byte i, 0 <= i < StrLen.  Outside that: assertion failure and a reference to a scratch byte
    // (set to 0), never memory outside the buffer.
    char &operator[](STRING_SIZE_T i);
    const char &operator[](STRING_SIZE_T i) const;

    // len bytes from pos (len -1, or one reaching past the end: to the end); pos at or past the
    // end gives an empty string, a negative pos counts as 0.  Code page 1252.
    STRING Mid(STRING_SIZE_T pos, STRING_SIZE_T len = -1) const;

    // One printable line: bytes 0x20-0x7F other than the backslash and the bytes of extra are
    // copied, all others become "\0", "\t", "\n", "\r", "\z", "\\", "\"", "\'" (the quotes only
    // when in extra) or "\x" and two lower-case hex digits.  Never NULL.
    STRING Escape(const char *extra) const;
    // The reverse; an unknown escape keeps backslash and byte with keepunknown, otherwise it is an
    // assertion failure and the byte is kept alone.  Never reads past the content.
    STRING Unescape(bool keepunknown) const;
    // Base64 (RFC 4648 alphabet, "=" padding); with linebreaks a CR LF after every 76 characters
    // and at the end.  Never NULL.
    STRING EncodeBase64(bool linebreaks) const;
    // Skips bytes outside the alphabet; the first "=" completes the group and ends decoding; an
    // incomplete last group without "=" is dropped.  Never NULL.
    STRING DecodeBase64() const;
    // Two lower-case hex digits per byte, no separators.  Never NULL.
    STRING ToHex() const;

    // Reads a whole file (mode "rb", or "r" for text mode).  true when the file was opened and read
    // to its end and closed cleanly; on false the content is unchanged.
    bool Load(const char *path, const char *mode = "rb");
    // Writes the content to a file (mode "wb", or "w" for text mode), flushes it and commits it to
    // disk.  true only when every byte was written and the file was committed and closed cleanly.
    bool Save(const char *path, const char *mode = "wb") const;

    // Frees the pooled buffers at program end; afterwards every buffer goes straight to the heap.
    static void CloseBufferPool();

    STRING_SIZE_T Length() const { return StrLen; }
    bool IsNull() const { return Buffer == nullptr; }
    // The content, zero-terminated; null for a NULL text.  Borrowed: valid until the next change.
    char *GetBuffer() { return Buffer; }
    const char *GetBuffer() const { return Buffer; }

    char *Buffer;            // owned; null until the first content is stored
    STRING_SIZE_T StrLen;    // content length in bytes, terminator not counted
    STRING_SIZE_T BufLen;    // allocated size of Buffer in bytes
    STRING_SIZE_T BlockSize; // allocation unit
    uint32_t Flags;          // STRINGFLAG_...

protected:
    // Bytes of the terminator: 2 for wide content, else 1.
    STRING_SIZE_T TerminatorSize() const { return (Flags & STRINGFLAG_WIDE) ? 2 : 1; }
    // Writes the terminator after StrLen bytes (buffer must exist).
    void Terminate();
    // A reference to the scratch byte handed out for a bad index.
    static char &Scratch();

private:
    // Make and Append; without stopWhenOutOfMemory a failed allocation returns false and leaves
    // the content as it was, otherwise it stops the program.
    bool Resize(STRING_SIZE_T len, const void *data, bool stopWhenOutOfMemory);
    bool AppendBytes(const void *data, STRING_SIZE_T n, bool stopWhenOutOfMemory);
};

#endif
