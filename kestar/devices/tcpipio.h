// TCPIPIO, the BASEIO device over one TCP connection, outgoing (MakeCall) or incoming
// (AcceptCall), on non-blocking sockets driven by select; and the TCP functions beside it (start
// Winsock, bind, test a port, addresses and error numbers as text).
//
// Devices of one process that accept on the same port share one listening socket, counted in a
// process-wide table.  Each holder keeps the socket together with the serial number of its table
// entry, so that a socket that was closed (and whose number the system may hand out again) is
// never closed or counted a second time.
//
// The peer-text parsing, own ids and error texts are portable (tcpipio.cpp); the sockets are
// Win32 (tcpipio_win32.cpp).
#ifndef KESTAR_TCPIPIO_H
#define KESTAR_TCPIPIO_H

#include <atomic>
#include <cstdint>

#include "kestar/devices/baseio.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/mutexsem.h"
#include "kestar/base/string.h"

// A Winsock SOCKET, without the Winsock headers.
typedef uintptr_t TCPSOCKET;
constexpr TCPSOCKET TCPSOCKET_NONE = ~static_cast<TCPSOCKET>(0);

// The device's error numbers (BASEIO LastError).
enum : int {
    TCPIP_ERR_NORESPONSE = 4096,   // MakeCall: the connection did not come
    TCPIP_ERR_NOSOCKET = 4097,     // MakeCall: no socket, or no port
    TCPIP_ERR_HOSTNOTFOUND = 4098, // MakeCall: name resolution failed
    TCPIP_ERR_DISCONNECTED = 4099, // DevRead: readable but nothing to read
    TCPIP_ERR_RECV = 4100,         // DevRead: select or recv failed
    TCPIP_ERR_IOCTL = 4101,        // DevGetNumAvail
    TCPIP_ERR_LISTEN = 4102,       // MakeAcceptSocket
    TCPIP_ERR_ACCEPT = 4103,       // AcceptCall
    TCPIP_ERR_BIND = 4104,         // MakeAcceptSocket
};

// One address of a resolved peer: a sockaddr_in or sockaddr_in6, as bytes.
struct TCPADDRESS {
    int Family; // 2 (IPv4) or 23 (IPv6)
    int Length;
    unsigned char Bytes[28];
};

// A resolved peer.
struct TCPPEER {
    static const int MAXADDRESSES = 31;
    int Count;                            // addresses found, in the resolver's order
    TCPADDRESS Addresses[MAXADDRESSES];
    int Port;                             // 0 when none could be found
    char Address[64];                     // numeric text of the first address
    char Name[256];                       // the name given, the reverse look-up or "<unknown>"
};

namespace TCP {

// Splits a peer text into host and port: blanks, colons, "*" and "#" at its start are cut; a host
// in "[...]" is an IPv6 address with the port after the ":" that follows; otherwise the host runs
// to the first blank or colon and the port is the rest ("23", or defaultPort, when there is none).
// A port that is not a positive number is cut at its first ":".  A host of four dot-separated
// numbers is rewritten as "%d.%d.%d.%d" (leading zeros are decimal, not octal).
void SplitPeerText(const char *peer, STRING &host, STRING &port, int defaultPort = 23);
// The own id as TCPIPIO keeps it: "host:port" and "[v6host]:port" become "port[host]"; any other
// text stays as it is.
STRING OwnIdFromText(const char *text);
// The number at the start of an own id (0 when none) and the host between "[" and "]" (NULL when
// none).
int PortOfOwnId(const char *ownId);
STRING HostOfOwnId(const char *ownId);
// The table of error numbers: text (with a trailing "*" for the detail) and class; a number the
// table lacks gives null and 599.
const char *ErrorTableText(int error);
int ErrorClass(int error);
// The text the property "LASTERRORSTRING" shows: the table text with its "*" replaced by
// "(" + detail + ")"; the number as text when the table lacks it.
STRING ErrorText(int error, const char *detail);
// One line of a data dump: up to sixteen bytes as "%02x " (a further blank after the eighth), and
// the same bytes as characters (outside 32 to 127 as ".").
void DumpLine(const unsigned char *bytes, int count, STRING &hex, STRING &chars);

// WSAStartup for version 1.1; 1 on success.  Every TCPIPIO calls it at construction and
// WSACleanup at destruction.
int InitWinsock();
// 1 when a TCP socket could be bound to any address and the port.
int TryBind(int port);
// Binds an IPv4 socket for the own id (port at its start, an optional host between "[" and "]").
// bind's result (0 on success); *portOut (may be null) gets the port, the system's choice for 0.
int Bind(TCPSOCKET socket, const char *ownId, int *portOut);
// Numeric text of an IPv4 (family 2) or IPv6 (family 23) address (an in_addr or in6_addr).
STRING AddressToText(int family, const void *address);
// The system's text for a Winsock error without trailing line ends; -9999 means the current
// WSAGetLastError, numbers below 10000 get 10000 added.
STRING GetLastErrorString(int number);
// The same for the socket's pending error (SO_ERROR), which *error (may be null) receives.
STRING GetLastSocketErrorString(TCPSOCKET socket, int *error = nullptr);

} // namespace TCP

class TCPIPIO : public BASEIO {
public:
    // The caller's flags plus BASEIO_DEVICE_SIGNALS_DONE and BASEIO_DEVICE_SUPPORTS_READTIMEOUT:
    // no daemon runs, reads fill the ring buffer themselves.
    TCPIPIO(const char *ownId, const char *callType = nullptr, const char *parm = nullptr, int deviceFlags = 0);
    ~TCPIPIO() override;

    int DevRead(void *buffer, int *count, int timeout) override;
    int DevWrite(const void *data, int count) override;
    int DevGetNumAvail() override;
    int DevIsConnected() override;
    int IsReady() override;
    // Resolves the peer ("host", "host:port", "[v6]:port") and connects to its addresses in
    // order until one answers, all within the connect time-out.  1 on success; otherwise the
    // error (4096, 4097, 4098) is set and the device stays idle.
    int MakeCall(const char *peer) override;
    // Waits for a connection on the shared listening socket of the own id's port; another thread
    // ends the wait with DropCall.  1 for a connection.
    int AcceptCall() override;
    // Ends a waiting accept (closing the shared listening socket for all its holders) and the
    // connection.  1 when the device is no longer connected.
    int DropCall() override;
    void SetOurId(const char *ourId) override;
    STRING &GetProperty(STRING &result, const char *name) override;
    virtual int Recv(TCPSOCKET socket, void *buffer, int size);
    virtual int Send(TCPSOCKET socket, const void *data, int length);

    // One select on the socket for ms milliseconds (-1 without limit), for reading and/or writing
    // as *read and *write ask (either may be null) and always for exceptions, which count as
    // failure (-1) for a connect.  On success *read and *write say which way the socket is ready;
    // on failure errorText (may be null) gets the socket's error.  select's count, 0 on time-out.
    static int Select(TCPSOCKET socket, int *read, int *write, int connectRequest, int ms, STRING *errorText);
    // Resolves a peer text (see TCP::SplitPeerText); 1 on success.  On failure peer->Count is 0,
    // the port is still looked up, and errorText (ResolvText) gets the resolver's text.
    int Resolv(const char *peerText, TCPPEER *peer, int defaultPort = 23);
    int ResolvText(const char *peerText, TCPPEER *peer, STRING &errorText, int defaultPort = 23);
    // Takes a reference to the shared listening socket of the own id's port (made, bound and
    // listening with a backlog of 32 when there is none, or when the port is 0).  The socket or
    // TCPSOCKET_NONE (error 4104 or 4102); *portOut and *serialOut (may be null) get its port and
    // the serial of its table entry, which FreeAcceptSocket needs.
    TCPSOCKET MakeAcceptSocket(int *portOut, unsigned *serialOut = nullptr);
    // Gives one reference back; the last one, or a hard free, shuts the socket down, closes it
    // and removes its entry.  A socket whose entry (with that serial) is gone is left alone.
    static void FreeAcceptSocket(TCPSOCKET socket, unsigned serial, int hard);
    // The holders of the shared listening socket of a port; 0 when there is none.
    static int AcceptSocketUseCount(int port);

    // Milliseconds a MakeCall may take; -1 means 60000.
    void SetConnectTimeout(int ms) { ConnectTimeout = ms; }
    int GetConnectTimeout() const { return ConnectTimeout; }
    // Milliseconds an AcceptCall waits for a connection; -1 (the default) without limit.  An
    // accept that times out fails with error 4103 and keeps its listening socket for the next.
    void SetAcceptTimeout(int ms) { AcceptTimeout = ms; }
    // Whether the last AcceptCall ended at its time-out.
    bool AcceptTimedOut() const { return LastAcceptTimedOut; }
    // Milliseconds a write may wait without the peer taking a byte; -1 (the default) without
    // limit.  A write that times out drops the call and fails with error 4096 ("No response.").
    void SetWriteTimeout(int ms) { WriteTimeout = ms; }
    int GetWriteTimeout() const { return WriteTimeout; }
    // Ends a waiting AcceptCall from another thread, and every later one until ResumeAccept,
    // without closing the shared listening socket for its other holders (unlike DropCall).
    void CancelAccept();
    void ResumeAccept() { AcceptCancelled = false; }
    // Whether an AcceptCall holds its listening socket and waits for a connection (any thread).
    bool IsAccepting() const { return InSocket.load() != TCPSOCKET_NONE; }
    // An event (borrowed, may be null) that AcceptCall sets once it holds its listening socket and
    // waits for connections, so that another thread knows a listener is in place.
    void SetAcceptingSignal(EVENTSEM *event) { AcceptingSignal = event; }

private:
    void SetPeerText(const char *text);
    void TouchActivity();
    int FailCall(int error, const char *text);
    static void DumpData(const char *tag, const void *data, int length);

    int WinsockOk;                        // TCP::InitWinsock at construction
    int ReverseLookup;                    // MakeCall may look up the name of a numeric peer
    std::atomic<TCPSOCKET> Socket;        // the connection; DropCall may clear it from any thread
    STRING PeerText;                      // guarded by textLock; "<unknown>" when not connected
    STRING OwnHostName;                   // the computer name, from construction on
    std::atomic<TCPSOCKET> InSocket;      // the listening socket while AcceptCall waits
    std::atomic<unsigned> InSocketSerial;
    TCPSOCKET ParkedInSocket;             // kept after an accept for the next one (accepting thread)
    unsigned ParkedSerial;
    EVENTSEM semAcceptDone;               // unset while AcceptCall runs
    MUTEXSEM writeLock;                   // serialises DevWrite
    int ResolvePeerNames;                 // AcceptCall adds the peer's name
    std::atomic<int> ConnectTimeout;      // ms; -1 means 60000
    std::atomic<int> AcceptTimeout;       // ms; -1 without limit
    std::atomic<int> WriteTimeout;        // ms without progress; -1 without limit
    std::atomic<EVENTSEM *> AcceptingSignal; // borrowed; set by AcceptCall once it waits
    std::atomic<bool> LastAcceptTimedOut; // written by the accepting thread
    // DevGetNumAvail found nothing waiting: the next DevRead waits in select before its recv
    // instead of trying a recv that would only fail.  A hint; a stale one costs one socket call.
    std::atomic<bool> NothingWaiting;
    std::atomic<bool> AcceptCancelled;    // set by CancelAccept, cleared by ResumeAccept
    std::atomic<int64_t> LastActivity;    // calendar seconds of the last connect, accept, read or write
};

#endif
