// MEDIAOBJECT, the common base of sounds and fax images; see mediaobject.h.
#include "kestar/media/mediaobject.h"

MEDIAOBJECT::MEDIAOBJECT(const char *format, STRING_SIZE_T blocksize) : Format(format), Data(blocksize)
{
    Data.Flags |= STRINGFLAG_DYNABLOCK;
}

MEDIAOBJECT::MEDIAOBJECT(const void *bytes, STRING_SIZE_T length, const char *format, STRING_SIZE_T blocksize)
    : Format(format), Data(blocksize)
{
    Data.Flags |= STRINGFLAG_DYNABLOCK;
    if (length > 0 && bytes)
        Data.Append(bytes, length);
}

// Data is declared after Format, so it is freed first.
MEDIAOBJECT::~MEDIAOBJECT() = default;

void MEDIAOBJECT::Assign(const MEDIAOBJECT &other)
{
    if (&other == this)
        return;
    Format = other.Format;
    Data = other.Data;
}

STRING MEDIAOBJECT::GetKind() const
{
    return Format.Word(0);
}

STRING MEDIAOBJECT::GetKeyword() const
{
    return Format.Word(1).Token(0, ":");
}

STRING MEDIAOBJECT::GetParameter() const
{
    return Format.Word(1).Token(1, ":");
}
