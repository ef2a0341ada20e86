// The list result, built and read.
#include "common/listresult.h"

#include "common/commandnames.h"

STRING LISTRESULT::Make(HASHLIST &list)
{
    STRING result(PLXRESULT::OK);
    result += "\n";
    STRING text = list.ToString();
    if (text.IsEmpty())
        result += PLXRESULT::NONE;
    else
        result += text;
    return result;
}

bool LISTRESULT::Read(const STRING &result, HASHLIST &out)
{
    out.FromString(STRING(""));
    if (result.IsNull())
        return false;
    const STRING_SIZE_T lf = result.PosChar('\n');
    STRING first = lf >= 0 ? result.Left(lf) : result;
    first.Trim('R', "\r");
    if (first != PLXRESULT::OK)
        return false;
    if (lf < 0)
        return true;
    STRING rest = result.Mid(lf + 1);
    STRING second = rest.GetLine(0);
    second.Trim('R', "\r");
    if (second == PLXRESULT::NONE || rest.IsEmpty())
        return true;
    out.FromString(rest);
    return true;
}
