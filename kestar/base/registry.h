// REGISTRY: one open registry key.  The application key lives under "Software\Orvak\" in
// HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE; the second constructor opens any key in one of the
// access modes below (the mode numbers are part of the interface).  Windows only.
//
// Every call logs its Win32 error; a REGISTRY whose key could not be opened makes every later
// call fail the same way.  Not copyable: the object owns the key handle.
#ifndef KESTAR_REGISTRY_H
#define KESTAR_REGISTRY_H

#include "kestar/base/string.h"

#include <cstddef>

class REGISTRY {
public:
    enum {
        MODE_READ = 256,    // KEY_READ
        MODE_WRITE = 257,   // KEY_READ | KEY_WRITE
        MODE_CREATE = 258,  // created when missing, full access
        MODE_READ32 = 512,  // as MODE_READ in the 32-bit registry view
        MODE_WRITE32 = 513, // as MODE_WRITE in the 32-bit registry view
    };
    enum { USER_MACHINE = 0, USER_CURRENT = 1 };

    // The application key basekey\app, created when missing.  user: USER_MACHINE, USER_CURRENT,
    // or any other value taken as a root key handle.
    REGISTRY(const char *app, const char *basekey, int user);
    REGISTRY(const char *app, const char *basekey, void *root);
    // root\basekey\subkey in one of the modes; subkey may be null.  Another mode is an assertion
    // failure and leaves the key closed.
    REGISTRY(void *root, const char *basekey, const char *subkey, int mode);
    ~REGISTRY();
    REGISTRY(const REGISTRY &) = delete;
    REGISTRY &operator=(const REGISTRY &) = delete;

    bool IsOpen() const { return hKey != nullptr; }
    const STRING &GetPath() const { return Path; }
    void *GetRoot() const { return hRoot; }

    // A string value (REG_SZ) with its terminating zero.
    bool WriteString(const char *value, const char *text);
    // A byte-block value (REG_BINARY).
    bool WriteBinary(const char *value, const void *data, size_t length);
    // A value of any type, whatever its length.  A string value loses its trailing zero bytes (an
    // empty one reads as an empty, not NULL, string).  On failure out is unchanged.
    bool ReadString(const char *value, STRING &out);
    // A value into the caller's buffer of *size bytes.  On success *size is the number of bytes
    // read; a string value is always zero-terminated inside the buffer.  A value that does not
    // fit (with its terminator, for a string) fails with *size set to at least the bytes it
    // needs; a string value's buffer then holds a zero-terminated text all the same.
    bool Read(const char *value, void *buffer, unsigned long *size);
    bool DeleteValue(const char *value);

    // Whether root\basekey\subkey can be opened in the mode (256 read, 512 read and 513 write in
    // the 32-bit view, any other mode write).
    static bool KeyExists(void *root, const char *basekey, const char *subkey, int mode);
    // basekey, "\" (unless basekey ends in one), subkey without its leading "\"; no trailing "\".
    static STRING JoinPath(const char *basekey, const char *subkey);

private:
    void Open(void *root, const char *basekey, const char *subkey, int mode);

    void *hKey;  // owned: the open key (HKEY); null when closed
    void *hRoot; // the root key it was opened under (a predefined key, not owned)
    STRING Path; // the key's path below the root
    bool b32;    // opened in the 32-bit registry view
};

#endif
