// The portable part of the TCP device: peer texts, own ids, the error table and the dump lines.
#include "kestar/devices/tcpipio.h"

#include <cstdlib>
#include <cstring>

namespace {

struct TCPERROR {
    int number;
    int errorClass;
    const char *text;
};

const TCPERROR kErrors[] = {
    {0, 200, "No Error"},
    {TCPIP_ERR_NORESPONSE, 400, "No response. *"},
    {TCPIP_ERR_NOSOCKET, 500, "No TCP/IP socket or service. *"},
    {TCPIP_ERR_HOSTNOTFOUND, 500, "Host not found. *"},
    {TCPIP_ERR_DISCONNECTED, 500, "Remote disconnected"},
    {TCPIP_ERR_RECV, 500, "Recv failed"},
    {TCPIP_ERR_IOCTL, 500, "Error Ioctl failed. *"},
    {TCPIP_ERR_LISTEN, 500, "Listen failed. *"},
    {TCPIP_ERR_ACCEPT, 500, "Accept failed. *"},
    {TCPIP_ERR_BIND, 500, "Bind failed. *"},
};

const TCPERROR *FindError(int error)
{
    for (const TCPERROR &e : kErrors) {
        if (e.number == error)
            return &e;
    }
    return nullptr;
}

bool AllDigits(const char *p, size_t n)
{
    if (n == 0)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
    }
    return true;
}

// "a.b.c.d" of decimal numbers, rewritten without leading zeros; false for anything else.
bool NormaliseDottedQuad(const STRING &host, STRING &out)
{
    const char *p = host;
    if (!p)
        return false;
    long parts[4];
    for (int i = 0; i < 4; ++i) {
        size_t n = 0;
        while (p[n] >= '0' && p[n] <= '9')
            ++n;
        if (n == 0 || n > 9)
            return false;
        parts[i] = std::strtol(p, nullptr, 10);
        p += n;
        if (i < 3) {
            if (*p != '.')
                return false;
            ++p;
        }
    }
    if (*p)
        return false;
    out.Format("%ld.%ld.%ld.%ld", parts[0], parts[1], parts[2], parts[3]);
    return true;
}

} // namespace

namespace TCP {

void SplitPeerText(const char *peer, STRING &host, STRING &port, int defaultPort)
{
    const char *p = peer ? peer : "";
    while (*p == ' ' || *p == ':' || *p == '*' || *p == '#')
        ++p;
    STRING text(p);
    STRING portText;
    const char *close = std::strchr(p, ']');
    if (close) {
        const char *open = std::strchr(p, '[');
        const char *start = open && open < close ? open + 1 : p;
        host = STRING::FromBytes(start, static_cast<STRING_SIZE_T>(close - start));
        const char *colon = std::strchr(close, ':');
        if (colon)
            portText = colon + 1;
    } else {
        size_t n = std::strcspn(p, " :");
        host = STRING::FromBytes(p, static_cast<STRING_SIZE_T>(n));
        if (p[n])
            portText = p + n + 1;
    }
    if (portText.IsEmpty()) {
        portText.Format("%d", defaultPort);
    } else {
        size_t len = static_cast<size_t>(portText.Length());
        bool positive = AllDigits(portText, len) && std::strtol(portText, nullptr, 10) > 0;
        if (!positive) {
            STRING_SIZE_T colon = portText.PosChar(':');
            if (colon >= 0)
                portText.Truncate(colon);
        }
    }
    STRING quad;
    if (NormaliseDottedQuad(host, quad))
        host = quad;
    port = portText;
}

STRING OwnIdFromText(const char *text)
{
    if (!text)
        return STRING();
    const char *close = std::strchr(text, ']');
    if (text[0] == '[' && close && close[1] == ':' && AllDigits(close + 2, std::strlen(close + 2))) {
        STRING out(close + 2);
        out += "[";
        out.Append(text + 1, static_cast<STRING_SIZE_T>(close - text - 1));
        out += "]";
        return out;
    }
    const char *colon = std::strchr(text, ':');
    if (colon && colon > text && !std::strchr(colon + 1, ':') && !std::strchr(text, '[') &&
        AllDigits(colon + 1, std::strlen(colon + 1))) {
        STRING out(colon + 1);
        out += "[";
        out.Append(text, static_cast<STRING_SIZE_T>(colon - text));
        out += "]";
        return out;
    }
    return STRING(text);
}

int PortOfOwnId(const char *ownId)
{
    if (!ownId)
        return 0;
    long port = std::strtol(ownId, nullptr, 10);
    return port > 0 && port <= 65535 ? static_cast<int>(port) : 0;
}

STRING HostOfOwnId(const char *ownId)
{
    if (!ownId)
        return STRING();
    const char *open = std::strchr(ownId, '[');
    const char *close = open ? std::strchr(open, ']') : nullptr;
    if (!close)
        return STRING();
    return STRING::FromBytes(open + 1, static_cast<STRING_SIZE_T>(close - open - 1));
}

const char *ErrorTableText(int error)
{
    const TCPERROR *e = FindError(error);
    return e ? e->text : nullptr;
}

int ErrorClass(int error)
{
    const TCPERROR *e = FindError(error);
    return e ? e->errorClass : 599;
}

STRING ErrorText(int error, const char *detail)
{
    const char *text = ErrorTableText(error);
    if (!text)
        return STRING(error);
    STRING out(text);
    if (out.Length() > 0 && out[out.Length() - 1] == '*') {
        out.Truncate(out.Length() - 1);
        out += "(";
        out.Append(detail ? detail : "");
        out += ")";
    }
    return out;
}

void DumpLine(const unsigned char *bytes, int count, STRING &hex, STRING &chars)
{
    hex = "";
    chars = "";
    for (int i = 0; i < count && i < 16; ++i) {
        hex.AppendFormat("%02x ", bytes[i]);
        if (i == 7)
            hex += " ";
        char c = (bytes[i] >= 32 && bytes[i] <= 127) ? static_cast<char>(bytes[i]) : '.';
        chars.Append(&c, 1);
    }
}

} // namespace TCP
