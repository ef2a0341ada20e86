// DLLINTERFACE: one library loaded at run time, with an optional entry point bound at load time,
// for functions that older Windows versions lack.  Windows only.
//
//     DLLINTERFACE user32("user32.dll", "SetProcessDPIAware");
//     if (auto f = reinterpret_cast<BOOL(WINAPI *)()>(user32.GetFunction(nullptr))) f();
#ifndef KESTAR_DLLINTERFACE_H
#define KESTAR_DLLINTERFACE_H

#include "kestar/base/string.h"

class DLLINTERFACE {
public:
    // Loads the library (path or name; the system's search order applies) and binds function
    // when it is not null.
    DLLINTERFACE(const char *dllName, const char *function = nullptr);
    ~DLLINTERFACE();
    DLLINTERFACE(const DLLINTERFACE &) = delete;
    DLLINTERFACE &operator=(const DLLINTERFACE &) = delete;

    // Unloads, then loads dllName (a null name only unloads) by its full text and binds function.
    // true when the library is loaded and, if a function was asked for, it was found.
    bool Load(const char *dllName, const char *function);
    // The named entry point, or for a null name the one bound at load time; null when missing.
    // Borrowed: valid while the library stays loaded.
    void *GetFunction(const char *name = nullptr) const;
    // Forgets the bound entry point and frees the library.
    void Unload();

    bool IsLoaded() const { return hDll != nullptr; }
    void *GetModule() const { return hDll; } // the HMODULE, null when not loaded
    const STRING &GetDllName() const { return DllName; }
    const STRING &GetFunctionName() const { return FunctionName; }

private:
    void *hDll;          // owned: the module handle; null when not loaded
    void *pFunction;     // the entry point bound at load time (in hDll); null when none
    STRING FunctionName; // its name
    STRING DllName;      // the text the library was loaded by, whole
};

#endif
