// OSYS::GetStringFromResource on LoadStringW: the resource texts are UTF-16; the system's texts
// are code page 1252 whatever the machine's ANSI code page is.
#include "kestar/base/osysresource.h"

#include "kestar/base/logit.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<void *> gLanguageModule{nullptr};

} // namespace

namespace OSYS {

void SetLanguageModule(void *module)
{
    gLanguageModule.store(module);
}

void *GetLanguageModule()
{
    return gLanguageModule.load();
}

STRING GetStringFromResource(int id, void *module)
{
    if (module == LANGUAGE_MODULE)
        module = gLanguageModule.load();
    HMODULE h = module ? static_cast<HMODULE>(module) : GetModuleHandleA(nullptr);
    wchar_t wide[1024];
    int n = LoadStringW(h, static_cast<UINT>(id), wide, 1024);
    STRING result("<STRING-ERROR>");
    if (n > 0) {
        char text[1024 * 2];
        int m = WideCharToMultiByte(1252, 0, wide, n, text, sizeof(text) - 1, nullptr, nullptr);
        if (m > 0) {
            text[m] = 0;
            result = STRING(text);
        }
    }
    LOGIT::PrintfLevel(12, "OSYS::GetStringFromResource %d returns %s\n", id, static_cast<const char *>(result.Buffer));
    return result;
}

} // namespace OSYS
