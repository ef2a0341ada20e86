// WSTRINGARRAY, an array of WSTRINGs: built by splitting a wide text at a token; sorted by
// character codes, ignoring case, or by number.  Takes the STRINGARRAY_ compare flags.
#ifndef KESTAR_WSTRINGARRAY_H
#define KESTAR_WSTRINGARRAY_H

#include "kestar/base/dynarray.h"
#include "kestar/base/stringarray.h"
#include "kestar/base/wstring.h"

class WSTRINGARRAY : public DYNARRAY<WSTRING> {
public:
    // Empty, size slots, growth 64.
    explicit WSTRINGARRAY(STRING_SIZE_T size = 0);
    // The fields of source split at token (the rules of STRINGARRAY::Split); growth 64.
    WSTRINGARRAY(const char16_t *source, const char16_t *token, STRING_SIZE_T size = 64);
#if defined(_WIN32)
    WSTRINGARRAY(const wchar_t *source, const wchar_t *token, STRING_SIZE_T size = 64);
#endif

    int Compare(WSTRING *item1, WSTRING *item2, int flags) override;

    void Split(const char16_t *source, const char16_t *token);
};

#endif
