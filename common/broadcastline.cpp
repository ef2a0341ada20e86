// The broadcast command line, written and split.
#include "common/broadcastline.h"

namespace {

const char kBlank[] = "\\x20";

void AppendParm(STRING &line, const char *parm)
{
    if (!parm)
        return;
    STRING p(parm);
    p.Replace(" ", kBlank);
    line += " ";
    line += p;
}

} // namespace

STRING BROADCASTLINE::Make(const char *command, const char *parm1, const char *parm2)
{
    STRING line(command ? command : "");
    AppendParm(line, parm1);
    AppendParm(line, parm2);
    return line;
}

STRING BROADCASTLINE::Split(const STRING &line, const char *sender, HASH &params)
{
    STRING command = line.Word(0, STRING_TOKEN_NOTNULL);
    const char *names[2] = {"@Parm1", "@Parm2"};
    for (int i = 0; i < 2; ++i) {
        STRING word = line.Word(i + 1);
        if (word.IsNull())
            break;
        word.Replace(kBlank, " ", 0);
        params[names[i]] = word;
    }
    params["@Sender"] = sender ? sender : "";
    return command;
}
