// See foreignlistener_support.h.
#include "tests/support/foreignlistener_support.h"

#include <winsock2.h>

FOREIGNLISTENER::FOREIGNLISTENER() : other(INVALID_SOCKET)
{
    WSADATA wsa;
    started = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    other = s;
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    int length = sizeof a;
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        listen(s, 4) == 0 && getsockname(s, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
}

FOREIGNLISTENER::~FOREIGNLISTENER()
{
    if (static_cast<SOCKET>(other) != INVALID_SOCKET)
        closesocket(static_cast<SOCKET>(other));
    if (started)
        WSACleanup();
}
