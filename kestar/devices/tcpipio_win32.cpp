// TCPIPIO on Winsock: non-blocking sockets, every wait a select with a time-out, and the shared
// listening sockets per port.
//
// Listening sockets stay non-blocking for their whole life: several devices accept on one shared
// socket at once, and a socket switched back to blocking by one of them would leave the others
// stuck in accept, deaf to DropCall.  Accepted connections inherit the mode.
#include "kestar/devices/tcpipio.h"

#include "kestar/base/dynarray.h"
#include "kestar/base/logit.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "kestar/base/osysinfo.h" // after windows.h: it removes the GetComputerName macro

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

namespace {

const int kDefaultConnectTimeoutMs = 60000;
const int kAcceptPollMs = 250;
const int kWriteWaitMs = 2500;

// One shared listening socket.
struct INSOCKET {
    TCPSOCKET Socket;
    int InUse;       // holders
    int Port;
    unsigned Serial; // tells this entry from a later one that got the same socket number
};

// The process-wide table, guarded by its own lock; built on first use and never destroyed, so
// that devices freed during static destruction still find it.
DYNARRAY<INSOCKET> &InSockets()
{
    static DYNARRAY<INSOCKET> *table = new DYNARRAY<INSOCKET>(8, 8);
    return *table;
}

std::atomic<unsigned> gNextSerial{0};

int64_t SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SetBlocking(SOCKET s, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
}

// The protocols on this device write a small piece and then wait for the peer's answer (a
// parameter packet and then its ETX on its own).  With Nagle's rule the second piece waits for
// the peer's delayed acknowledgement, tens of milliseconds on every exchange.
void SendAtOnce(SOCKET s)
{
    BOOL on = TRUE;
    if (setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on) != 0)
        LOGIT::Printf("TCPIPIO setsockopt(TCP_NODELAY) failed: %d\n", WSAGetLastError());
}

// The index of the entry of socket and serial, or -1; the caller holds the table's lock.
int FindInSocket(DYNARRAY<INSOCKET> &table, TCPSOCKET socket, unsigned serial)
{
    for (int i = 0; i < table.NumItems(); ++i) {
        INSOCKET *e = table[i];
        if (e->Socket == socket && e->Serial == serial)
            return i;
    }
    return -1;
}

bool HasLetters(const char *text)
{
    for (const char *p = text; p && *p; ++p) {
        if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z'))
            return true;
    }
    return false;
}

bool IsNumericHost(const char *host)
{
    unsigned char buffer[16];
    return host && (InetPtonA(AF_INET, host, buffer) == 1 || InetPtonA(AF_INET6, host, buffer) == 1);
}

// The computer name is fixed while the program runs (a new one takes effect at the next start),
// and asking for it costs registry reads: devices come and go with every call.
STRING ComputerName()
{
    static const STRING name = OSYS::GetComputerName();
    return name;
}

STRING SockaddrToText(const sockaddr *address)
{
    if (address->sa_family == AF_INET)
        return TCP::AddressToText(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr);
    if (address->sa_family == AF_INET6)
        return TCP::AddressToText(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr);
    return STRING("<unknown>");
}

} // namespace

namespace TCP {

int InitWinsock()
{
    WSADATA data;
    int rc = WSAStartup(MAKEWORD(1, 1), &data);
    if (rc != 0) {
        LOGIT::Printf("TCP::InitWinsock WSAStartup failed: %d\n", rc);
        return 0;
    }
    LOGIT::PrintfLevel(2, "TCP::InitWinsock version %d.%d (high %d.%d), %s, max sockets %u, max datagram %u\n",
                       LOBYTE(data.wVersion), HIBYTE(data.wVersion), LOBYTE(data.wHighVersion),
                       HIBYTE(data.wHighVersion), data.szDescription, static_cast<unsigned>(data.iMaxSockets),
                       static_cast<unsigned>(data.iMaxUdpDg));
    return 1;
}

int TryBind(int port)
{
    if (!InitWinsock())
        return 0;
    int ok = 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in a;
        std::memset(&a, 0, sizeof a);
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_ANY);
        a.sin_port = htons(static_cast<u_short>(port));
        ok = bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 ? 1 : 0;
        closesocket(s);
    }
    WSACleanup();
    if (ok)
        LOGIT::Printf("TCP::TryBind for port %d succeded\n", port);
    else
        LOGIT::Printf("TCP::TryBind for port %d failed\n", port);
    return ok;
}

int Bind(TCPSOCKET socket, const char *ownId, int *portOut)
{
    int port = PortOfOwnId(ownId);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(static_cast<u_short>(port));
    STRING host = HostOfOwnId(ownId);
    if (host.NotEmpty()) {
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        if (getaddrinfo(host, nullptr, &hints, &found) == 0 && found) {
            a.sin_addr = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr;
        } else {
            LOGIT::Printf("TCP::Bind cannot resolve %s, binding any address\n", static_cast<const char *>(host));
        }
        if (found)
            freeaddrinfo(found);
    }
    int rc = bind(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr *>(&a), sizeof a);
    if (portOut) {
        *portOut = port;
        if (rc == 0 && port == 0) {
            sockaddr_in bound;
            int length = sizeof bound;
            if (getsockname(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr *>(&bound), &length) == 0)
                *portOut = ntohs(bound.sin_port);
        }
    }
    return rc;
}

STRING AddressToText(int family, const void *address)
{
    char text[INET6_ADDRSTRLEN + 1];
    if (!address || !InetNtopA(family, const_cast<void *>(address), text, sizeof text))
        return STRING("<unknown>");
    return STRING(text);
}

STRING GetLastErrorString(int number)
{
    if (number == -9999)
        number = WSAGetLastError();
    if (number > 0 && number < 10000)
        number += 10000;
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(number), 0, text, sizeof text, nullptr);
    if (n == 0)
        std::snprintf(text, sizeof text, "Winsock error %d", number);
    size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        text[--length] = 0;
    return STRING(text);
}

STRING GetLastSocketErrorString(TCPSOCKET socket, int *error)
{
    int value = 0;
    int length = sizeof value;
    if (getsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&value), &length) != 0)
        value = WSAGetLastError();
    if (error)
        *error = value;
    return GetLastErrorString(value);
}

} // namespace TCP

TCPIPIO::TCPIPIO(const char *ownId, const char *callType, const char *parm, int deviceFlags)
    : BASEIO(ownId, callType, parm,
             deviceFlags | BASEIO_DEVICE_SIGNALS_DONE | BASEIO_DEVICE_SUPPORTS_READTIMEOUT),
      WinsockOk(0), ReverseLookup(1), Socket(TCPSOCKET_NONE), PeerText("<unknown>"), InSocket(TCPSOCKET_NONE),
      InSocketSerial(0), ParkedInSocket(TCPSOCKET_NONE), ParkedSerial(0), semAcceptDone(true), ResolvePeerNames(0),
      ConnectTimeout(-1), AcceptTimeout(-1), WriteTimeout(-1), AcceptingSignal(nullptr), LastAcceptTimedOut(false), NothingWaiting(false), AcceptCancelled(false),
      LastActivity(0)
{
    SetOurId(ownId);
    WinsockOk = TCP::InitWinsock();
    if (WinsockOk)
        OwnHostName = ComputerName();
    semAcceptDone.Set();
    ConstructorDone.Set();
}

TCPIPIO::~TCPIPIO()
{
    // End a waiting accept first; it parks or closes what it holds before it signals.
    TCPSOCKET in = InSocket.exchange(TCPSOCKET_NONE);
    if (in != TCPSOCKET_NONE)
        FreeAcceptSocket(in, InSocketSerial.load(), 1);
    semAcceptDone.Wait(-1);
    if (DevIsConnected())
        DropCall();
    if (ParkedInSocket != TCPSOCKET_NONE) {
        FreeAcceptSocket(ParkedInSocket, ParkedSerial, 0);
        ParkedInSocket = TCPSOCKET_NONE;
    }
    ORVAK_ASSERT(!this->DevIsConnected());
    KillDaemon(1);
    if (WinsockOk)
        WSACleanup();
}

void TCPIPIO::SetOurId(const char *ourId)
{
    STRING own = TCP::OwnIdFromText(ourId);
    BASEIO::SetOurId(own);
}

void TCPIPIO::SetPeerText(const char *text)
{
    textLock.Enter();
    PeerText = text;
    textLock.Leave();
}

void TCPIPIO::TouchActivity()
{
    LastActivity = static_cast<int64_t>(std::time(nullptr));
}

int TCPIPIO::FailCall(int error, const char *text)
{
    SetLastError(error, text);
    STRING shown = TCP::ErrorText(error, text);
    LOGIT::Printf("TCPIPIO::MakeCall failed: %s\n", static_cast<const char *>(shown));
    return 0;
}

int TCPIPIO::IsReady()
{
    return WinsockOk;
}

int TCPIPIO::DevIsConnected()
{
    return Socket.load() != TCPSOCKET_NONE ? 1 : 0;
}

int TCPIPIO::DevGetNumAvail()
{
    TCPSOCKET s = Socket.load();
    if (s == TCPSOCKET_NONE)
        return 0;
    u_long n = 0;
    if (ioctlsocket(static_cast<SOCKET>(s), FIONREAD, &n) != 0) {
        SetLastError(TCPIP_ERR_IOCTL, TCP::GetLastErrorString(-9999));
        return -1;
    }
    NothingWaiting = n == 0;
    return n > static_cast<u_long>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

int TCPIPIO::Recv(TCPSOCKET socket, void *buffer, int size)
{
    return recv(static_cast<SOCKET>(socket), static_cast<char *>(buffer), size, 0);
}

int TCPIPIO::Send(TCPSOCKET socket, const void *data, int length)
{
    return send(static_cast<SOCKET>(socket), static_cast<const char *>(data), length, 0);
}

int TCPIPIO::Select(TCPSOCKET socket, int *read, int *write, int connectRequest, int ms, STRING *errorText)
{
    SOCKET s = static_cast<SOCKET>(socket);
    bool wantRead = read && *read;
    bool wantWrite = write && *write;
    fd_set readSet, writeSet, exceptSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&exceptSet);
    if (wantRead)
        FD_SET(s, &readSet);
    if (wantWrite)
        FD_SET(s, &writeSet);
    FD_SET(s, &exceptSet);
    timeval tv;
    tv.tv_sec = ms > 0 ? ms / 1000 : 0;
    tv.tv_usec = ms > 0 ? (ms % 1000) * 1000 : 0;
    int rc = select(0, wantRead ? &readSet : nullptr, wantWrite ? &writeSet : nullptr, &exceptSet,
                    ms < 0 ? nullptr : &tv);
    if (read)
        *read = 0;
    if (write)
        *write = 0;
    if (rc == SOCKET_ERROR) {
        if (errorText)
            *errorText = TCP::GetLastErrorString(-9999);
        return -1;
    }
    if (rc > 0 && FD_ISSET(s, &exceptSet) && connectRequest) {
        if (errorText)
            *errorText = TCP::GetLastSocketErrorString(socket);
        return -1;
    }
    if (read)
        *read = wantRead && FD_ISSET(s, &readSet) ? 1 : 0;
    if (write)
        *write = wantWrite && FD_ISSET(s, &writeSet) ? 1 : 0;
    return rc;
}

int TCPIPIO::Resolv(const char *peerText, TCPPEER *peer, int defaultPort)
{
    STRING ignored;
    return ResolvText(peerText, peer, ignored, defaultPort);
}

int TCPIPIO::ResolvText(const char *peerText, TCPPEER *peer, STRING &errorText, int defaultPort)
{
    std::memset(peer, 0, sizeof *peer);
    std::strcpy(peer->Name, "<unknown>");
    STRING host, port;
    TCP::SplitPeerText(peerText, host, port, defaultPort);

    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo *found = nullptr;
    int rc = host.NotEmpty() ? getaddrinfo(host, port, &hints, &found) : WSAHOST_NOT_FOUND;
    if (rc != 0 || !found) {
        errorText = TCP::GetLastErrorString(rc != 0 ? rc : WSAHOST_NOT_FOUND);
        servent *service = getservbyname(port, "tcp");
        peer->Port = service ? ntohs(service->s_port) : static_cast<int>(port);
        LOGIT::Printf("TCPIPIO::Resolv %s failed: %s\n", STR::SafeText(peerText, "peer"),
                      static_cast<const char *>(errorText));
        if (found)
            freeaddrinfo(found);
        return 0;
    }
    for (addrinfo *a = found; a && peer->Count < TCPPEER::MAXADDRESSES; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) ||
            a->ai_addrlen > sizeof peer->Addresses[0].Bytes)
            continue;
        TCPADDRESS &out = peer->Addresses[peer->Count++];
        out.Family = a->ai_family;
        out.Length = static_cast<int>(a->ai_addrlen);
        std::memcpy(out.Bytes, a->ai_addr, a->ai_addrlen);
    }
    freeaddrinfo(found);
    if (peer->Count == 0) {
        errorText = TCP::GetLastErrorString(WSAHOST_NOT_FOUND);
        return 0;
    }
    const sockaddr *first = reinterpret_cast<const sockaddr *>(peer->Addresses[0].Bytes);
    peer->Port = first->sa_family == AF_INET ? ntohs(reinterpret_cast<const sockaddr_in *>(first)->sin_port)
                                             : ntohs(reinterpret_cast<const sockaddr_in6 *>(first)->sin6_port);
    std::snprintf(peer->Address, sizeof peer->Address, "%s", static_cast<const char *>(SockaddrToText(first)));
    if (!IsNumericHost(host) && HasLetters(host)) {
        std::snprintf(peer->Name, sizeof peer->Name, "%s", static_cast<const char *>(host));
    } else if (ReverseLookup) {
        char name[NI_MAXHOST];
        if (getnameinfo(first, peer->Addresses[0].Length, name, sizeof name, nullptr, 0, NI_NAMEREQD) == 0)
            std::snprintf(peer->Name, sizeof peer->Name, "%s", name);
    }
    return 1;
}

int TCPIPIO::MakeCall(const char *peerText)
{
    if (IsDead || DevIsConnected()) {
        ORVAK_ASSERT(!this->IsDead);
        ORVAK_ASSERT(!this->DevIsConnected());
        return 0;
    }
    SetLastError(LastError, "");
    TCPPEER *peer = new (std::nothrow) TCPPEER;
    if (!peer) {
        ORVAK_ASSERT(peer!=NULL);
        return 0;
    }
    STRING error;
    if (!ResolvText(peerText, peer, error)) {
        delete peer;
        return FailCall(TCPIP_ERR_HOSTNOTFOUND, error);
    }
    if (peer->Port < 1) {
        delete peer;
        return FailCall(TCPIP_ERR_NOSOCKET, "no port");
    }

    // Every address in the resolver's order, all within one time-out: a name that resolves to an
    // IPv6 address first still reaches a listener on IPv4.
    int timeout = ConnectTimeout.load() < 0 ? kDefaultConnectTimeoutMs : ConnectTimeout.load();
    int64_t deadline = SteadyMs() + timeout;
    SOCKET connected = INVALID_SOCKET;
    int usedAddress = -1;
    bool anySocket = false;
    for (int i = 0; i < peer->Count && connected == INVALID_SOCKET; ++i) {
        const TCPADDRESS &address = peer->Addresses[i];
        SOCKET s = socket(address.Family, SOCK_STREAM, IPPROTO_TCP);
        if (s == INVALID_SOCKET) {
            error = TCP::GetLastErrorString(-9999);
            continue;
        }
        anySocket = true;
        SetBlocking(s, false);
        if (connect(s, reinterpret_cast<const sockaddr *>(address.Bytes), address.Length) == 0) {
            connected = s;
            usedAddress = i;
            break;
        }
        int e = WSAGetLastError();
        if (e == WSAEWOULDBLOCK || e == WSAEINPROGRESS) {
            int64_t left = deadline - SteadyMs();
            int wantRead = 1, wantWrite = 1;
            STRING selectError;
            int rc = Select(s, &wantRead, &wantWrite, 1, left > 0 ? static_cast<int>(left) : 0, &selectError);
            int pending = 0;
            if (rc > 0 && wantWrite) {
                STRING socketError = TCP::GetLastSocketErrorString(s, &pending);
                if (pending == 0) {
                    connected = s;
                    usedAddress = i;
                    break;
                }
                error = socketError;
            } else if (rc == 0) {
                error = TCP::GetLastErrorString(WSAETIMEDOUT);
            } else {
                error = selectError;
            }
        } else {
            error = TCP::GetLastErrorString(e);
        }
        closesocket(s);
        if (SteadyMs() >= deadline)
            break;
    }
    if (connected == INVALID_SOCKET) {
        delete peer;
        return FailCall(anySocket ? TCPIP_ERR_NORESPONSE : TCPIP_ERR_NOSOCKET, error);
    }

    STRING peerDescription;
    peerDescription.Format("%s (%s)", peer->Name,
                           static_cast<const char *>(SockaddrToText(
                               reinterpret_cast<const sockaddr *>(peer->Addresses[usedAddress].Bytes))));
    delete peer;
    SetPeerText(peerDescription);
    // A listening socket parked by an earlier accept is given back, not forgotten with its count.
    if (ParkedInSocket != TCPSOCKET_NONE) {
        FreeAcceptSocket(ParkedInSocket, ParkedSerial, 0);
        ParkedInSocket = TCPSOCKET_NONE;
    }
    LastError = 0;
    SendAtOnce(connected);
    Socket = static_cast<TCPSOCKET>(connected);
    TouchActivity();
    LOGIT::Printf("TCPIPIO::MakeCall connected to %s\n", static_cast<const char *>(peerDescription));
    return 1;
}

TCPSOCKET TCPIPIO::MakeAcceptSocket(int *portOut, unsigned *serialOut)
{
    DYNARRAY<INSOCKET> &table = InSockets();
    table.Lock();
    STRING own = GetOurId();
    int port = TCP::PortOfOwnId(own);
    if (port != 0) {
        for (int i = 0; i < table.NumItems(); ++i) {
            INSOCKET *e = table[i];
            if (e->Port == port) {
                e->InUse++;
                if (portOut)
                    *portOut = e->Port;
                if (serialOut)
                    *serialOut = e->Serial;
                TCPSOCKET shared = e->Socket;
                LOGIT::Printf("TCPIPIO::MakeAcceptSocket port %d shared, InUse= %d\n", port, e->InUse);
                table.Unlock();
                return shared;
            }
        }
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    int chosen = port;
    int failure = 0;
    STRING error;
    if (s == INVALID_SOCKET) {
        failure = TCPIP_ERR_BIND;
        error = TCP::GetLastErrorString(-9999);
    } else if (TCP::Bind(s, own, &chosen) != 0) {
        failure = TCPIP_ERR_BIND;
        error = TCP::GetLastErrorString(-9999);
    } else if (listen(s, 32) != 0) {
        failure = TCPIP_ERR_LISTEN;
        error = TCP::GetLastErrorString(-9999);
    }
    if (failure) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        table.Unlock();
        SetLastError(failure, error);
        LOGIT::Printf("TCPIPIO::MakeAcceptSocket port %d failed: %s\n", port,
                      static_cast<const char *>(TCP::ErrorText(failure, error)));
        return TCPSOCKET_NONE;
    }
    SetBlocking(s, false);
    INSOCKET entry;
    entry.Socket = static_cast<TCPSOCKET>(s);
    entry.InUse = 1;
    entry.Port = chosen;
    entry.Serial = ++gNextSerial;
    table.AddItem(entry);
    table.Unlock();
    if (portOut)
        *portOut = chosen;
    if (serialOut)
        *serialOut = entry.Serial;
    LOGIT::Printf("TCPIPIO::MakeAcceptSocket listening on port %d\n", chosen);
    return entry.Socket;
}

void TCPIPIO::FreeAcceptSocket(TCPSOCKET socket, unsigned serial, int hard)
{
    DYNARRAY<INSOCKET> &table = InSockets();
    table.Lock();
    int i = FindInSocket(table, socket, serial);
    if (i < 0) {
        // Closed already (a hard free by another holder): its number may belong to a new socket.
        table.Unlock();
        LOGIT::Printf("TCPIPIO::FreeAcceptSocket socket %lld is no longer shared, nothing to close\n",
                      static_cast<long long>(static_cast<intptr_t>(socket)));
        return;
    }
    INSOCKET *e = table[i];
    e->InUse--;
    if (e->InUse > 0 && !hard) {
        table.Unlock();
        return;
    }
    LOGIT::Printf("TCPIPIO::FreeAcceptSocket closing the listening socket of port %d (InUse= %d, hard= %d)\n",
                  e->Port, e->InUse, hard);
    shutdown(static_cast<SOCKET>(socket), SD_BOTH);
    closesocket(static_cast<SOCKET>(socket));
    table.DeleteItem(i);
    table.Unlock();
}

int TCPIPIO::AcceptSocketUseCount(int port)
{
    DYNARRAY<INSOCKET> &table = InSockets();
    table.Lock();
    int inUse = 0;
    for (int i = 0; i < table.NumItems(); ++i) {
        if (table[i]->Port == port)
            inUse = table[i]->InUse;
    }
    table.Unlock();
    return inUse;
}

int TCPIPIO::AcceptCall()
{
    if (IsDead || DevIsConnected()) {
        ORVAK_ASSERT(!this->IsDead);
        ORVAK_ASSERT(!this->DevIsConnected());
        return 0;
    }
    semAcceptDone.Reset();
    TCPSOCKET listening = TCPSOCKET_NONE;
    unsigned serial = 0;
    if (ParkedInSocket != TCPSOCKET_NONE) {
        DYNARRAY<INSOCKET> &table = InSockets();
        table.Lock();
        if (FindInSocket(table, ParkedInSocket, ParkedSerial) >= 0) {
            listening = ParkedInSocket;
            serial = ParkedSerial;
        }
        table.Unlock();
        ParkedInSocket = TCPSOCKET_NONE;
    }
    if (listening == TCPSOCKET_NONE)
        listening = MakeAcceptSocket(nullptr, &serial);
    if (listening == TCPSOCKET_NONE) {
        // No connection can come: an accept failure, with the system's reason of the bind or listen.
        SetLastError(TCPIP_ERR_ACCEPT, GetLastErrorString());
        LOGIT::Printf("TCPIPIO::AcceptCall error\n");
        semAcceptDone.Set();
        return 0;
    }
    InSocketSerial = serial;
    InSocket = listening;
    LastAcceptTimedOut = false;
    // From here on a connection is taken: it waits in the listening socket's backlog at worst.
    if (EVENTSEM *signal = AcceptingSignal.load())
        signal->Set();

    int acceptTimeout = AcceptTimeout.load();
    int64_t deadline = SteadyMs() + (acceptTimeout < 0 ? 0 : acceptTimeout);
    SOCKET connection = INVALID_SOCKET;
    sockaddr_storage peer;
    int peerLength = 0;
    int error = 0;
    for (;;) {
        TCPSOCKET current = InSocket.load();
        if (current == TCPSOCKET_NONE || AcceptCancelled.load()) {
            LOGIT::Printf("TCPIPIO::AcceptCall aborted due to InSocket==-1, looks like destructor or dropcall was called\n");
            error = WSAEINTR;
            break;
        }
        peerLength = sizeof peer;
        connection = accept(static_cast<SOCKET>(current), reinterpret_cast<sockaddr *>(&peer), &peerLength);
        if (connection != INVALID_SOCKET)
            break;
        error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS)
            break;
        int wait = kAcceptPollMs;
        if (acceptTimeout >= 0) {
            int64_t left = deadline - SteadyMs();
            if (left <= 0) {
                error = WSAETIMEDOUT;
                LastAcceptTimedOut = true;
                break;
            }
            if (left < wait)
                wait = static_cast<int>(left);
        }
        int wantRead = 1;
        Select(current, &wantRead, nullptr, 0, wait, nullptr);
    }

    if (connection == INVALID_SOCKET) {
        SetLastError(TCPIP_ERR_ACCEPT, TCP::GetLastErrorString(error));
        if (!LastAcceptTimedOut)
            LOGIT::Printf("TCPIPIO::AcceptCall error\n");
        // Keep our reference for the next accept (or the destructor) unless DropCall took it.
        TCPSOCKET kept = InSocket.exchange(TCPSOCKET_NONE);
        if (kept != TCPSOCKET_NONE) {
            ParkedInSocket = kept;
            ParkedSerial = serial;
        }
        semAcceptDone.Set();
        return 0;
    }
    TCPSOCKET expected = listening;
    if (!InSocket.compare_exchange_strong(expected, TCPSOCKET_NONE)) {
        // DropCall came between the accept and here: it asked for an idle device.
        closesocket(connection);
        SetLastError(TCPIP_ERR_ACCEPT, TCP::GetLastErrorString(WSAEINTR));
        LOGIT::Printf("TCPIPIO::AcceptCall error\n");
        semAcceptDone.Set();
        return 0;
    }
    ParkedInSocket = listening;
    ParkedSerial = serial;
    SetBlocking(connection, false);
    SendAtOnce(connection);
    Socket = static_cast<TCPSOCKET>(connection);
    LastError = 0;
    STRING address = SockaddrToText(reinterpret_cast<sockaddr *>(&peer));
    STRING description = address;
    if (ResolvePeerNames) {
        char name[NI_MAXHOST];
        if (getnameinfo(reinterpret_cast<sockaddr *>(&peer), peerLength, name, sizeof name, nullptr, 0,
                        NI_NAMEREQD) == 0)
            description.Format("%s (%s)", name, static_cast<const char *>(address));
    }
    SetPeerText(description);
    TouchActivity();
    LOGIT::Printf("TCPIPIO::AcceptCall accepted call from %s\n", static_cast<const char *>(description));
    semAcceptDone.Set();
    return 1;
}

void TCPIPIO::CancelAccept()
{
    AcceptCancelled = true;
    TCPSOCKET in = InSocket.exchange(TCPSOCKET_NONE);
    if (in != TCPSOCKET_NONE)
        FreeAcceptSocket(in, InSocketSerial.load(), 0);
}

int TCPIPIO::DropCall()
{
    TCPSOCKET in = InSocket.exchange(TCPSOCKET_NONE);
    if (in != TCPSOCKET_NONE)
        FreeAcceptSocket(in, InSocketSerial.load(), 1);
    TCPSOCKET s = Socket.exchange(TCPSOCKET_NONE);
    if (s != TCPSOCKET_NONE) {
        shutdown(static_cast<SOCKET>(s), SD_BOTH);
        SetBlocking(static_cast<SOCKET>(s), true);
        closesocket(static_cast<SOCKET>(s));
        LastError = 0;
        SetPeerText("<unknown>");
    }
    return DevIsConnected() ? 0 : 1;
}

void TCPIPIO::DumpData(const char *tag, const void *data, int length)
{
    if (!LOGIT::IsLogging() || length <= 0)
        return;
    if (!LOGIT::PrintfLevel(BASEIO_LOGLEVEL_DATA, "TCPIPIO::%s : \n", tag))
        return;
    const unsigned char *p = static_cast<const unsigned char *>(data);
    STRING hex, chars;
    for (int i = 0; i < length; i += 16) {
        TCP::DumpLine(p + i, length - i < 16 ? length - i : 16, hex, chars);
        LOGIT::PrintfLevel(BASEIO_LOGLEVEL_DATA, "    %s [%s]\n", static_cast<const char *>(hex),
                           static_cast<const char *>(chars));
    }
}

int TCPIPIO::DevRead(void *buffer, int *count, int timeout)
{
    int room = *count;
    *count = 0;
    TCPSOCKET s = Socket.load();
    if (s == TCPSOCKET_NONE)
        return 0;
    // The socket is non-blocking: take what is there, and wait in select only when nothing is.
    // Each socket call is a round trip to the wine server under Wine, so a recv is not tried when
    // the byte count asked just before found nothing.
    int rc = 1;
    int n = SOCKET_ERROR;
    bool wait = NothingWaiting.exchange(false);
    if (!wait) {
        n = Recv(s, buffer, room);
        wait = n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK;
    }
    if (wait) {
        int wantRead = 1;
        STRING error;
        rc = Select(s, &wantRead, nullptr, 0, timeout, &error);
        if (rc == 0)
            return 0;
        // The error is set after DropCall, which clears LastError: the reason must stay readable.
        if (rc < 0) {
            LOGIT::Printf("TCPIPIO::DevRead select failed: %s\n", static_cast<const char *>(error));
            if (static_cast<int>(Parm) == 0)
                DropCall();
            SetLastError(TCPIP_ERR_RECV, error);
            return 0;
        }
        n = Recv(s, buffer, room);
    }
    if (n > 0) {
        *count = n;
        DumpData("RCV", buffer, n);
        TouchActivity();
        return 1;
    }
    int recvError = n == SOCKET_ERROR ? WSAGetLastError() : 0;
    if (recvError == WSAEWOULDBLOCK)
        return 0; // readable a moment ago, yet nothing there: nothing has arrived
    if (n == 0 || recvError == WSAECONNRESET || recvError == WSAECONNABORTED || recvError == WSAENETRESET) {
        // Readable with nothing to read: the peer has closed (or reset) the connection.
        LOGIT::Printf("TCPIPIO::DevRead read disconnect rc=%d, lasterror= %d\n", rc, TCPIP_ERR_DISCONNECTED);
        STRING text = GetLastErrorString();
        DropCall();
        SetLastError(TCPIP_ERR_DISCONNECTED, text);
        return 0;
    }
    STRING error = TCP::GetLastErrorString(recvError);
    LOGIT::Printf("TCPIPIO::DevRead recv failed rc=%d: %s\n", n, static_cast<const char *>(error));
    DropCall();
    SetLastError(TCPIP_ERR_RECV, error);
    return 0;
}

int TCPIPIO::DevWrite(const void *data, int count)
{
    if (Socket.load() == TCPSOCKET_NONE)
        return 0;
    writeLock.Obtain(-1);
    const char *p = static_cast<const char *>(data);
    int left = count;
    int rc = 0;
    STRING error;
    bool failed = false;
    bool timedOut = false;
    const int writeTimeout = WriteTimeout.load();
    int64_t lastProgress = SteadyMs();
    // Send first and wait only when the connection is full: a wait before every send would cost
    // a select per write even when there is room.
    bool full = false;
    while (left > 0) {
        TCPSOCKET s = Socket.load();
        if (s == TCPSOCKET_NONE) {
            error = "not connected";
            failed = true;
            break;
        }
        if (full) {
            int wait = kWriteWaitMs;
            if (writeTimeout >= 0) {
                // A peer that takes nothing for that long is as good as gone: it must not hold the
                // writer (and a listener slot) for ever.
                int64_t remaining = lastProgress + writeTimeout - SteadyMs();
                if (remaining <= 0) {
                    error = TCP::GetLastErrorString(WSAETIMEDOUT);
                    rc = 0;
                    timedOut = true;
                    failed = true;
                    break;
                }
                if (remaining < wait)
                    wait = static_cast<int>(remaining);
            }
            int wantWrite = 1;
            rc = Select(s, nullptr, &wantWrite, 0, wait, &error);
            if (rc == 0) {
                LOGIT::Printf("TCPIPIO::DevWrite the peer takes no data, waiting on skt=%lld\n",
                              static_cast<long long>(static_cast<intptr_t>(s)));
                continue;
            }
            if (rc < 0) {
                failed = true;
                break;
            }
            if (!wantWrite)
                continue;
            full = false;
        }
        rc = Send(s, p, left);
        if (rc == SOCKET_ERROR) {
            int e = WSAGetLastError();
            if (e == WSAEWOULDBLOCK) {
                full = true;
                continue;
            }
            error = TCP::GetLastErrorString(e);
            failed = true;
            break;
        }
        p += rc;
        left -= rc;
        lastProgress = SteadyMs();
    }
    if (failed) {
        SetLastError(LastError, error);
        LOGIT::Printf("TCPIPIO::DevWrite error rc=%d on skt=%lld, error=%s\n", rc,
                      static_cast<long long>(static_cast<intptr_t>(Socket.load())), static_cast<const char *>(error));
        DropCall();
        // After DropCall, which clears LastError: the reason must stay readable.
        if (timedOut)
            SetLastError(TCPIP_ERR_NORESPONSE, error);
        writeLock.Release();
        return 0;
    }
    DumpData("SEND", data, count);
    TouchActivity();
    writeLock.Release();
    return 1;
}

STRING &TCPIPIO::GetProperty(STRING &result, const char *name)
{
    STRING key(name);
    key.ToUpper();
    if (key == "ONLINE") {
        result.Format("%d", DevIsConnected());
    } else if (key == "OWNID") {
        result = OwnHostName;
    } else if (key == "CALLERID" || key == "PEERIP") {
        textLock.Enter();
        result = PeerText;
        textLock.Leave();
    } else if (key == "DEVICENAME") {
        result = "TCPIP";
    } else if (key == "SOCKET") {
        result.Format("%lld", static_cast<long long>(static_cast<intptr_t>(Socket.load())));
    } else if (key == "ACCEPTPORT") {
        int port = -1;
        TCPSOCKET in = InSocket.load();
        if (in != TCPSOCKET_NONE) {
            sockaddr_in bound;
            int length = sizeof bound;
            if (getsockname(static_cast<SOCKET>(in), reinterpret_cast<sockaddr *>(&bound), &length) == 0)
                port = ntohs(bound.sin_port);
        }
        result.Format("%d", port);
    } else if (key == "BANDWIDTH") {
        result = "10000000";
    } else if (key == "IDLE_TIME") {
        result.Format("%lld", static_cast<long long>(std::time(nullptr)) - static_cast<long long>(LastActivity.load()));
    } else if (key == "LASTERROR") {
        result.Format("%d", LastError.load());
    } else if (key == "LASTERRORSTRING") {
        result = TCP::ErrorText(LastError.load(), GetLastErrorString());
    } else if (key == "LASTERRORCLASS") {
        result.Format("%d", TCP::ErrorClass(LastError.load()));
    } else if (key == "WSALASTERRORSTRING") {
        result = GetLastErrorString();
    } else {
        STRING info;
        info.Format("*%s*", STR::SafeText(name, "name"));
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, info, 0);
        result = "";
    }
    return result;
}
