// portholder FIRST COUNT READYFILE: binds and listens on the TCP ports FIRST .. FIRST+COUNT-1,
// writes READYFILE (the number of ports held), then holds them until it is ended, at most two
// minutes.  The port-scan tests start it so that the ports are taken by another process.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    const int first = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 3;
    int held = 0;
    for (int i = 0; i < count; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET)
            continue;
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        a.sin_port = htons(static_cast<u_short>(first + i));
        if (bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && listen(s, 1) == 0)
            ++held;
        else
            closesocket(s);
    }
    FILE *f = std::fopen(argv[3], "w");
    if (!f)
        return 4;
    std::fprintf(f, "%d\n", held);
    std::fclose(f);
    Sleep(120000);
    return 0;
}
