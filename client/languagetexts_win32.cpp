// The language library's texts as a TEXTTABLE.
#include "client/languagetexts.h"

#include "kestar/base/osysresource.h"

STRING LANGUAGETEXTS::Get(int id) const
{
    return OSYS::GetStringFromResource(id);
}

const LANGUAGETEXTS &LANGUAGETEXTS::Instance()
{
    static const LANGUAGETEXTS table;
    return table;
}
