// ATOMICWRITER: a file replaced so that no reader ever sees half of it, written in pieces.  The
// new content goes to a temporary file beside the target; Commit flushes it to disk and renames
// it over the target.  Until then, and whenever anything fails, the target stays as it was and
// the temporary file is removed.  A list of tens of thousands of records is saved this way
// without ever holding its whole text in memory.
#ifndef KESTAR_ATOMICWRITER_H
#define KESTAR_ATOMICWRITER_H

#include <cstddef>
#include <cstdint>
#include <string>

class ATOMICWRITER {
public:
    ATOMICWRITER();
    // Abandons a stream that was not committed.
    ~ATOMICWRITER();
    ATOMICWRITER(const ATOMICWRITER &) = delete;
    ATOMICWRITER &operator=(const ATOMICWRITER &) = delete;

    // Creates a new temporary file beside path (a unique name in path's folder).  false when path
    // is null or empty, already open here, read-only (Windows: refused before anything is
    // written), or the file cannot be created; nothing is left behind then.
    bool Open(const char *path);
    // Appends len bytes (binary, no line-end translation).  A failed write abandons the stream:
    // the temporary file is removed and every later Write and Commit fails with the same error.
    bool Write(const void *data, size_t len);
    // Flushes the written bytes to disk, closes the file and renames it over the target.  true
    // when all of it succeeded; otherwise the temporary file is removed and the target is as it
    // was.  The stream is closed either way and may be opened again.
    bool Commit();
    // Closes and removes the temporary file, leaving the target as it was; nothing when not open.
    void Abandon();

    bool IsOpen() const { return file != -1; }
    // The system's error code of the first failure (GetLastError on Windows, errno elsewhere)
    // since Open, 0 while everything succeeded.  Each call above also leaves it as the thread's
    // last error.
    int Error() const { return error; }

private:
    // Remembers the failure code (the first one counts), abandons the stream, returns false.
    bool Fail(int code);
    // Sets the thread's last error to Error().
    void KeepError() const;

    intptr_t file;      // the temporary file: a HANDLE on Windows, a descriptor elsewhere; -1 = none
    std::string target; // the file to replace
    std::string temp;   // the temporary file's name while open
    int error;
};

#endif
