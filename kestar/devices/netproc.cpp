// The remote-procedure wire without sockets: request headers, file announcements and the names of
// received files.
#include "kestar/devices/netproc.h"

#include <cstring>

namespace NETPROCWIRE {

STRING RequestHeader(unsigned number, const char *command, bool sync)
{
    STRING header;
    header.Format("%cNETPROC::%s[id=0x%04x] ", NETPROC_SOH, sync ? "Call" : "Post", number);
    header.Append(command ? command : "");
    const char tail[2] = {static_cast<char>(NETPROC_LF), static_cast<char>(NETPROC_STX)};
    header.BINARY::Append(tail, 2);
    return header;
}

bool ParseRequestHeader(const STRING &header, bool *sync, STRING &command)
{
    STRING_SIZE_T n = header.Length();
    if (header.IsNull() || n < 15)
        return false;
    const char *p = header;
    static const char call[] = "\x01NETPROC::Call[";
    static const char post[] = "\x01NETPROC::Post[";
    if (std::memcmp(p, call, 15) != 0 && std::memcmp(p, post, 15) != 0)
        return false;
    if (p[n - 2] != static_cast<char>(NETPROC_LF) || p[n - 1] != static_cast<char>(NETPROC_STX))
        return false;
    if (sync)
        *sync = header.Find("::Call[");
    STRING_SIZE_T lf = header.PosChar(static_cast<char>(NETPROC_LF));
    STRING line = header.Mid(0, lf);
    command = line.Word(1, STRING_TOKEN_NOTNULL);
    return true;
}

bool IsFileResult(const STRING &result, STRING &inner)
{
    STRING_SIZE_T n = result.Length();
    if (result.IsNull() || n < 7)
        return false;
    if (result.Left(6) != "<file=" || result[n - 1] != '>')
        return false;
    inner = result.Mid(6, n - 7);
    return true;
}

bool ParseFileAnnouncement(const STRING &inner, STRING &name, uint64_t *size)
{
    if (inner.NumTokens("|") < 2)
        return false;
    // The size is the last token: a name may itself hold "|".
    STRING_SIZE_T bar = -1;
    for (STRING_SIZE_T i = inner.Length() - 1; i >= 0; --i) {
        if (inner[i] == '|') {
            bar = i;
            break;
        }
    }
    STRING sizeText = inner.Mid(bar + 1);
    if (sizeText.IsEmpty() || sizeText.Length() > 19)
        return false;
    uint64_t value = 0;
    for (STRING_SIZE_T i = 0; i < sizeText.Length(); ++i) {
        char c = sizeText[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    name = inner.Left(bar);
    *size = value;
    return true;
}

STRING NameOfPath(const char *path)
{
    if (!path)
        return STRING("");
    const char *start = path;
    for (const char *p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            start = p + 1;
    }
    return STRING(start);
}

STRING SafeExtension(const char *name)
{
    STRING base = NameOfPath(name);
    STRING_SIZE_T dot = -1;
    for (STRING_SIZE_T i = 0; i < base.Length(); ++i) {
        if (base[i] == '.')
            dot = i;
    }
    STRING out("");
    if (dot < 0)
        return out;
    STRING ext;
    for (STRING_SIZE_T i = dot + 1; i < base.Length() && ext.Length() < 16; ++i) {
        char c = base[i];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-')
            ext.Append(&c, 1);
    }
    if (ext.NotEmpty()) {
        out = ".";
        out += ext;
    }
    return out;
}

} // namespace NETPROCWIRE
