// DLLINTERFACE on LoadLibraryA and GetProcAddress.  The library is loaded by the text the caller
// gave, however long; the names are kept whole.
#include "kestar/base/dllinterface.h"

#include "kestar/base/logit.h"

#include <windows.h>

namespace {

const char *Safe(const char *text)
{
    return text ? text : "<NULL>";
}

const char *Text(const STRING &s)
{
    return s.Buffer ? static_cast<const char *>(s.Buffer) : "";
}

} // namespace

DLLINTERFACE::DLLINTERFACE(const char *dllName, const char *function) : hDll(nullptr), pFunction(nullptr)
{
    LOGIT::Printf("[>>]DLLINTERFACE::DLLINTERFACE dllname= %s\n", Safe(dllName));
    Load(dllName, function);
    LOGIT::Printf("[<<]DLLINTERFACE::DLLINTERFACE done, hdll= %p\n", hDll);
}

DLLINTERFACE::~DLLINTERFACE()
{
    Unload();
}

bool DLLINTERFACE::Load(const char *dllName, const char *function)
{
    Unload();
    if (!dllName)
        return false;
    LOGIT::Printf("DLLINTERFACE::Load %s %s\n", dllName, Safe(function));
    DllName = STRING(dllName);
    hDll = LoadLibraryA(dllName);
    bool ok = hDll != nullptr;
    if (ok && function) {
        FunctionName = STRING(function);
        pFunction = reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(hDll), function));
        ok = pFunction != nullptr;
    }
    LOGIT::Printf("DLLINTERFACE::Load returns %d\n", ok ? 1 : 0);
    return ok;
}

void *DLLINTERFACE::GetFunction(const char *name) const
{
    if (!name)
        return pFunction;
    LOGIT::Printf("DLLINTERFACE::GetFunction %s from %s\n", name, Text(DllName));
    void *f = hDll ? reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(hDll), name)) : nullptr;
    LOGIT::Printf("DLLINTERFACE::GetFunction %s for %p returns %p\n", name, hDll, f);
    return f;
}

void DLLINTERFACE::Unload()
{
    pFunction = nullptr;
    FunctionName = STRING();
    if (hDll)
        FreeLibrary(static_cast<HMODULE>(hDll));
    hDll = nullptr;
}
