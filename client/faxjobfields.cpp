// FAXJOBFIELDS: the fax job's destination and headline (see faxjobfields.h).
#include "client/faxjobfields.h"

STRING FAXJOBFIELDS::Destination(const char *destination)
{
    STRING out(destination ? destination : "");
    out.RemoveChars(" /-()");
    out.Replace("+", "00");
    return out;
}

STRING FAXJOBFIELDS::Headline(const char *headline)
{
    STRING out("[");
    out += STRING(headline ? headline : "").Left(28);
    out += "]";
    return out;
}
