// The language-text seam of the portable client code.
#include "client/texttable.h"

STRING TEXTTABLE::Part(int id, int n) const
{
    if (n < 0)
        return STRING("");
    return Get(id).Token(n, "|", STRING_TOKEN_NOTNULL);
}

STRING FIXEDTEXTTABLE::Get(int id) const
{
    auto it = Texts.find(id);
    return STRING(it == Texts.end() ? "" : it->second.c_str());
}
