// REGISTRY on the Win32 registry functions (A variants: names and values are code page 1252).
#include "kestar/base/registry.h"

#include "kestar/base/logit.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

HKEY Key(void *h)
{
    return static_cast<HKEY>(h);
}

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

const char *Safe(const char *text)
{
    return text ? text : "<NULL>";
}

} // namespace

STRING REGISTRY::JoinPath(const char *basekey, const char *subkey)
{
    std::string path = basekey ? basekey : "";
    if (subkey) {
        if (!path.empty() && path.back() != '\\')
            path += '\\';
        while (*subkey == '\\')
            subkey++;
        path += subkey;
    }
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return STRING(path.c_str());
}

REGISTRY::REGISTRY(const char *app, const char *basekey, int user)
    : REGISTRY(app, basekey,
               user == USER_MACHINE   ? static_cast<void *>(HKEY_LOCAL_MACHINE)
               : user == USER_CURRENT ? static_cast<void *>(HKEY_CURRENT_USER)
                                      : reinterpret_cast<void *>(static_cast<intptr_t>(user)))
{
}

REGISTRY::REGISTRY(const char *app, const char *basekey, void *root)
    : hKey(nullptr), hRoot(nullptr), b32(false)
{
    // An app name still in angle brackets was never resolved: no key of that name is made.
    if (!app || app[0] == '<') {
        LOGIT::Assert(0, "app[0]!='<'", __FILE__, __LINE__, Safe(app), 0);
        LOGIT::Printf("REGISTRY::Constructor failed for app=%s, basekey=%s, user=%d\n", Safe(app), Safe(basekey),
                      static_cast<int>(reinterpret_cast<intptr_t>(root)));
        return;
    }
    Open(root, basekey, app, MODE_CREATE);
    if (!hKey)
        LOGIT::Printf("REGISTRY::Constructor failed for app=%s, basekey=%s, user=%d\n", Safe(app), Safe(basekey),
                      static_cast<int>(reinterpret_cast<intptr_t>(root)));
}

REGISTRY::REGISTRY(void *root, const char *basekey, const char *subkey, int mode)
    : hKey(nullptr), hRoot(nullptr), b32(false)
{
    Open(root, basekey, subkey, mode);
}

void REGISTRY::Open(void *root, const char *basekey, const char *subkey, int mode)
{
    if (mode == MODE_READ32 || mode == MODE_WRITE32) {
        b32 = true;
        mode = mode == MODE_READ32 ? MODE_READ : MODE_WRITE;
    }
    REGSAM view = b32 ? KEY_WOW64_32KEY : 0;
    STRING path = JoinPath(basekey, subkey);
    const char *p = path.Buffer ? static_cast<const char *>(path.Buffer) : "";
    HKEY key = nullptr;
    LONG rc;
    switch (mode) {
    case MODE_READ:
        rc = RegOpenKeyExA(Key(root), p, 0, KEY_READ | view, &key);
        break;
    case MODE_WRITE:
        rc = RegOpenKeyExA(Key(root), p, 0, KEY_READ | KEY_WRITE | view, &key);
        break;
    case MODE_CREATE:
        rc = RegCreateKeyExA(Key(root), p, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, nullptr,
                             &key, nullptr);
        break;
    default:
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "REGISTRY mode", 0);
        return;
    }
    if (rc != ERROR_SUCCESS) {
        LOGIT::Printf("REGISTRY::Open %s failed: %ld\n", p, static_cast<long>(rc));
        return;
    }
    hKey = key;
    hRoot = root;
    Path = path;
}

REGISTRY::~REGISTRY()
{
    if (hKey)
        RegCloseKey(Key(hKey));
    hKey = nullptr;
}

bool REGISTRY::WriteString(const char *value, const char *text)
{
    LONG rc = ERROR_INVALID_HANDLE;
    if (hKey) {
        const char *t = text ? text : "";
        rc = RegSetValueExA(Key(hKey), value, 0, REG_SZ, reinterpret_cast<const BYTE *>(t),
                            static_cast<DWORD>(std::strlen(t) + 1));
    }
    LOGIT::PrintfLevel(2, "REGISTRY::Write String value= %s; data=%s, error=%08x\n", Safe(value), Safe(text),
                       static_cast<unsigned>(rc));
    return rc == ERROR_SUCCESS;
}

bool REGISTRY::WriteBinary(const char *value, const void *data, size_t length)
{
    LONG rc = ERROR_INVALID_HANDLE;
    if (hKey && (data || length == 0))
        rc = RegSetValueExA(Key(hKey), value, 0, REG_BINARY, static_cast<const BYTE *>(data),
                            static_cast<DWORD>(length));
    LOGIT::Printf("REGISTRY::Write binary value= %s, error=%08x\n", Safe(value), static_cast<unsigned>(rc));
    return rc == ERROR_SUCCESS;
}

bool REGISTRY::ReadString(const char *value, STRING &out)
{
    LONG rc = ERROR_INVALID_HANDLE;
    DWORD type = REG_NONE;
    std::vector<BYTE> buf(2048);
    DWORD size = 0;
    if (hKey) {
        for (;;) {
            size = static_cast<DWORD>(buf.size());
            rc = RegQueryValueExA(Key(hKey), value, nullptr, &type, buf.data(), &size);
            if (rc != ERROR_MORE_DATA)
                break;
            // The value may grow between the two calls: ask again with what is reported now.
            buf.resize(size > buf.size() ? size : buf.size() * 2);
        }
    }
    if (rc == ERROR_SUCCESS) {
        if (IsStringType(type))
            while (size > 0 && buf[size - 1] == 0)
                size--;
        out = STRING::FromBytes(buf.data(), static_cast<STRING_SIZE_T>(size));
        out.SetNotNull();
    }
    LOGIT::Printf("REGISTRY::Read key=%s, ok=%d, error=%d\n", Safe(value), rc == ERROR_SUCCESS ? 1 : 0,
                  static_cast<int>(rc));
    return rc == ERROR_SUCCESS;
}

bool REGISTRY::Read(const char *value, void *buffer, unsigned long *size)
{
    LONG rc = ERROR_INVALID_HANDLE;
    if (hKey && buffer && size) {
        BYTE *b = static_cast<BYTE *>(buffer);
        DWORD capacity = static_cast<DWORD>(*size);
        DWORD got = capacity;
        DWORD type = REG_NONE;
        rc = RegQueryValueExA(Key(hKey), value, nullptr, &type, b, &got);
        if (rc == ERROR_SUCCESS && IsStringType(type)) {
            if (got < capacity)
                b[got] = 0;
            else if (got == 0 || b[got - 1] != 0) {
                // The text fills the whole buffer without its terminator: it does not fit.
                if (capacity > 0)
                    b[capacity - 1] = 0;
                got = capacity + 1;
                rc = ERROR_MORE_DATA;
            }
        } else if (rc == ERROR_SUCCESS && got < capacity) {
            b[got] = 0;
        } else if (rc == ERROR_MORE_DATA && IsStringType(type) && capacity > 0) {
            b[0] = 0;
        }
        *size = got;
    }
    LOGIT::Printf("REGISTRY::Read key=%s, ok=%d, error=%d\n", Safe(value), rc == ERROR_SUCCESS ? 1 : 0,
                  static_cast<int>(rc));
    return rc == ERROR_SUCCESS;
}

bool REGISTRY::DeleteValue(const char *value)
{
    LONG rc = hKey ? RegDeleteValueA(Key(hKey), value) : ERROR_INVALID_HANDLE;
    LOGIT::Printf("REGISTRY::delete value= %s, error=%d\n", Safe(value), static_cast<int>(rc));
    return rc == ERROR_SUCCESS;
}

bool REGISTRY::KeyExists(void *root, const char *basekey, const char *subkey, int mode)
{
    REGSAM access;
    switch (mode) {
    case MODE_READ:
        access = KEY_READ;
        break;
    case MODE_READ32:
        access = KEY_READ | KEY_WOW64_32KEY;
        break;
    case MODE_WRITE32:
        access = KEY_WRITE | KEY_WOW64_32KEY;
        break;
    default:
        access = KEY_WRITE;
        break;
    }
    STRING path = JoinPath(basekey, subkey);
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(Key(root), path.Buffer ? static_cast<const char *>(path.Buffer) : "", 0, access, &key);
    if (rc != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
