// NETPROC over 127.0.0.1, both ends in this process: synchronous and posted calls, file results,
// the failure texts, bad requests from a raw connection, the full listener table, and peers that
// misbehave while a file comes.  Every server listens on a port the system picks.
#include "kestar/devices/netproc.h"

#include "kestar/base/eventsem.h"
#include "kestar/base/filename.h"
#include "kestar/base/mutexsem.h"
#include "kestar/base/osysthread.h"
#include "kestar/devices/tcpipio.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/foreignlistener_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace {

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Text(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(static_cast<const char *>(s), static_cast<size_t>(s.Length()));
}

// A server whose procedures the tests choose by command.
class TESTPROC : public NETPROC {
public:
    TESTPROC() : NETPROC("6666", "0", 5000, false)
    {
        StartListeners();
    }
    ~TESTPROC() override
    {
        release.Set();
        Shutdown();
    }

    STRING &HandleProcCall(STRING &result, STRING &command, HASH &params, const char *callerId) override
    {
        lock.Obtain();
        calls.push_back(Text(command));
        STRING *text = nullptr;
        lastText = params.Exists("Text", &text) ? Text(*text) : "<none>";
        lastKeys = params.NumKeys();
        lastCaller = callerId ? callerId : "<null>";
        lock.Release();
        if (command == "ECHO") {
            result = "<OK>\n";
            result += lastText.c_str();
        } else if (command == "EMPTY") {
            result = "";
        } else if (command == "FILE") {
            result = "<file=";
            result += params["Path"];
            result += ">";
        } else if (command == "ETX") {
            result = "<OK>\x03tail";
        } else if (command == "SLOW") {
            ++slowRunning;
            release.Wait(60000);
            --slowRunning;
            result = "<OK>";
        } else if (command == "BIG") {
            // More than the connection can hold while nobody reads.
            result = STRING(std::string(32 * 1024 * 1024, 'b').c_str());
        } else if (command == "LATE") {
            posted.Set();
            result = "ignored";
        } else {
            result = "<NOK>";
        }
        return result;
    }

    std::vector<std::string> Calls()
    {
        lock.Obtain();
        std::vector<std::string> copy = calls;
        lock.Release();
        return copy;
    }
    std::string Peer() { return "127.0.0.1:" + Text(GetOurPort()); }

    MUTEXSEM lock;
    std::vector<std::string> calls;
    std::string lastText;
    int lastKeys = 0;
    std::string lastCaller;
    EVENTSEM release;
    EVENTSEM posted;
    std::atomic<int> slowRunning{0};
};

// The client side: a NETPROC that serves nothing anybody calls.
class CLIENT : public NETPROC {
public:
    explicit CLIENT(const char *defaultPort = "6666") : NETPROC(defaultPort, "0", 5000) {}
};

int Call(NETPROC &client, const std::string &peer, const char *command, HASH &params, STRING &result, int sync = 1)
{
    return client.CallNetProcedure(peer.c_str(), command, params, result, sync, nullptr, -1);
}

TEST(NETPROC, SynchronousCallsAndTheirResults)
{
    TESTPROC server;
    CLIENT client;
    HASH params;
    params["Text"] = "hello world";
    params["Other"] = "x";
    STRING result;
    ASSERT_EQ(1, Call(client, server.Peer(), "ECHO", params, result)) << Text(result);
    EXPECT_EQ("<OK>\nhello world", Text(result));
    EXPECT_EQ(2, server.lastKeys);
    EXPECT_EQ("127.0.0.1", server.lastCaller);

    struct CASE {
        const char *command;
        const char *result;
    } cases[] = {
        {"EMPTY", "<NULL>"},        // an empty result reaches the caller as "<NULL>"
        {"ETX", "<FAIL>"},          // a text that cannot travel whole is not sent cut
        {"UNKNOWN", "<NOK>"},
    };
    for (const CASE &c : cases) {
        HASH none;
        ASSERT_EQ(1, Call(client, server.Peer(), c.command, none, result)) << c.command;
        EXPECT_EQ(c.result, Text(result)) << c.command;
    }

    // A peer name without a port is called on the default port.
    CLIENT byDefault(Text(server.GetOurPort()).c_str());
    ASSERT_EQ(1, Call(byDefault, "127.0.0.1", "ECHO", params, result)) << Text(result);
    EXPECT_EQ("<OK>\nhello world", Text(result));

    // The base procedure handler answers "<NULL>".
    NETPROC plain("6666", "0", 5000);
    ASSERT_EQ(1, Call(client, "127.0.0.1:" + Text(plain.GetOurPort()), "ANY", params, result));
    EXPECT_EQ("<NULL>", Text(result));
}

TEST(NETPROC, APostIsAnsweredAtOnceAndRunsAfterTheExchange)
{
    TESTPROC server;
    CLIENT client;
    HASH params;
    params["Text"] = "posted";
    STRING result;
    ASSERT_EQ(1, Call(client, server.Peer(), "LATE", params, result, 0)) << Text(result);
    EXPECT_EQ("<ASYNC>", Text(result));
    EXPECT_TRUE(server.posted.Wait(10000));
    EXPECT_EQ(std::vector<std::string>{"LATE"}, server.Calls());
    EXPECT_EQ("posted", server.lastText);
}

TEST(NETPROC, FileResultsArriveInANewTemporaryFile)
{
    TEMPFOLDER folder;
    TESTPROC server;
    CLIENT client;
    std::string bytes;
    for (int i = 0; i < 10000; ++i)
        bytes.push_back(static_cast<char>(i * 31));
    struct CASE {
        const char *name;
        std::string content;
        const char *extension;
    } cases[] = {
        {"fax.sff", bytes, ".sff"},
        {"noext", "abc", ""},
        {"empty.wav", "", ".wav"},
        {"block.bin", std::string(4096, 'b'), ".bin"},
    };
    FILENAME temp("<temp>");
    std::string tempFolder = Text(temp.GetFolder().GetString());
    for (const CASE &c : cases) {
        std::string path = folder.File(c.name);
        BINARY data;
        data.Make(static_cast<STRING_SIZE_T>(c.content.size()), c.content.data());
        ASSERT_TRUE(data.Save(path.c_str()));
        HASH params;
        params["Path"] = path.c_str();
        STRING result;
        ASSERT_EQ(1, Call(client, server.Peer(), "FILE", params, result)) << c.name << " " << Text(result);
        std::string r = Text(result);
        ASSERT_EQ(0u, r.find("<file=")) << r;
        ASSERT_EQ('>', r.back()) << r;
        std::string local = r.substr(6, r.size() - 7);
        EXPECT_EQ(0u, local.find(tempFolder + "\\")) << local;
        EXPECT_EQ(std::string(c.extension), local.substr(local.size() - strlen(c.extension))) << local;
        if (!*c.extension) {
            EXPECT_EQ(std::string::npos, local.find('.', tempFolder.size())) << local;
        }
        EXPECT_TRUE(ReadWholeFile(local) == c.content) << c.name;
        EXPECT_TRUE(FileExistsForTest(path)); // the server keeps its file
        FILENAME(local.c_str()).Delete();
    }

    // A file that is not there is answered with a failure, not with a size nobody can send.
    HASH missing;
    missing["Path"] = folder.File("missing.sff").c_str();
    STRING result;
    ASSERT_EQ(1, Call(client, server.Peer(), "FILE", missing, result)) << Text(result);
    EXPECT_EQ("<FAIL>", Text(result));
    // The connection stayed in order: the next call works.
    HASH params;
    params["Text"] = "after";
    ASSERT_EQ(1, Call(client, server.Peer(), "ECHO", params, result));
    EXPECT_EQ("<OK>\nafter", Text(result));
}

// The platform's lookup, but with a temporary folder that does not exist.
class NOTEMPLOOKUP : public SHELLLOOKUP {
public:
    explicit NOTEMPLOOKUP(const std::string &temp) : temp(temp), real(DefaultShellLookup()) {}
    STRING SystemPath(int type) override { return real->SystemPath(type); }
    STRING UserName() override { return real->UserName(); }
    STRING ComputerName() override { return real->ComputerName(); }
    STRING ProgramFile() override { return real->ProgramFile(); }
    STRING TempFolder() override { return STRING(temp.c_str()); }

private:
    std::string temp;
    SHELLLOOKUP *real;
};

TEST(NETPROC, AFileResultWhoseTemporaryFileCannotBeMadeFailsTheCall)
{
    LOGCAPTURE capture;
    TEMPFOLDER folder;
    TESTPROC server;
    CLIENT client;
    std::string path = folder.File("fax.sff");
    BINARY data;
    data.Make(5000, std::string(5000, 'f').data());
    ASSERT_TRUE(data.Save(path.c_str()));
    HASH params;
    params["Path"] = path.c_str();
    STRING result;
    NOTEMPLOOKUP lookup(folder.File("missing"));
    SHELLLOOKUP *previous = FILENAME::SetLookup(&lookup);
    int ok = Call(client, server.Peer(), "FILE", params, result);
    FILENAME::SetLookup(previous);
    EXPECT_EQ(0, ok);
    EXPECT_EQ("error in reading return code", Text(result));
    std::vector<std::string> conditions = capture.Conditions();
    ASSERT_EQ(1u, conditions.size());
    EXPECT_EQ("FALSE", conditions[0]);
    EXPECT_EQ(0u, capture.InfoOf("FALSE").find(folder.File("missing"))) << capture.InfoOf("FALSE");

    // Both ends are in order for the next call.
    params["Text"] = "after";
    ASSERT_EQ(1, Call(client, server.Peer(), "ECHO", params, result)) << Text(result);
    EXPECT_EQ("<OK>\nafter", Text(result));
}

// A listening socket of "another program": outside this process's table of shared listening
// sockets, on a port the system picks.
TEST(NETPROC, AnOwnPortTakenByAnotherProgramStartsNoListeners)
{
    LOGCAPTURE capture;
    FOREIGNLISTENER other;
    ASSERT_NE(0, other.port);
    std::string port = std::to_string(other.port);
    {
        NETPROC server("6666", port.c_str(), 5000);
        EXPECT_EQ(0, server.NumListening());
        EXPECT_EQ(port, Text(server.GetOurPort()));
        EXPECT_EQ(0, TCPIPIO::AcceptSocketUseCount(atoi(port.c_str())));
    }
    std::vector<std::string> conditions = capture.Conditions();
    ASSERT_EQ(1u, conditions.size());
    EXPECT_EQ("this->DummySocket!=-1", conditions[0]);
    EXPECT_EQ(1, capture.CountLines("TCPIPIO::MakeAcceptSocket port " + port + " failed: Bind failed."));
}

TEST(NETPROC, ClientFailureTexts)
{
    CLIENT client;
    client.SetTimeout(400);
    HASH params;
    STRING result;

    int freePort = 0;
    {
        TCPIPIO probe("0");
        unsigned serial = 0;
        TCPSOCKET s = probe.MakeAcceptSocket(&freePort, &serial);
        TCPIPIO::FreeAcceptSocket(s, serial, 0);
    }
    EXPECT_EQ(0, Call(client, "127.0.0.1:" + std::to_string(freePort), "ECHO", params, result));
    EXPECT_EQ("no answer", Text(result));

    // A listener that accepts and never answers: the header's ACK does not come.
    TCPIPIO holder("0");
    int port = 0;
    unsigned serial = 0;
    TCPSOCKET listening = holder.MakeAcceptSocket(&port, &serial);
    ASSERT_NE(TCPSOCKET_NONE, listening);
    long long t0 = NowMs();
    EXPECT_EQ(0, Call(client, "127.0.0.1:" + std::to_string(port), "ECHO", params, result));
    EXPECT_EQ("error in reading ACK for header", Text(result));
    EXPECT_GE(NowMs() - t0, 400);
    EXPECT_LT(NowMs() - t0, 20000);
    TCPIPIO::FreeAcceptSocket(listening, serial, 0);
}

// A one-connection server for tests that need a peer to misbehave: script runs with the
// accepted device on a thread of its own.
class RAWSERVER {
public:
    typedef void (*SCRIPT)(TCPIPIO &device, void *context);
    RAWSERVER(SCRIPT script, void *context) : script(script), context(context), device("0")
    {
        socket = device.MakeAcceptSocket(&port, &serial);
        device.SetOurId(std::to_string(port).c_str());
        thread = OSYS::CreateThread(Run, this);
    }
    ~RAWSERVER()
    {
        if (thread) {
            EXPECT_TRUE(OSYS::WaitThread(thread, 60000));
        }
        device.DropCall();
        TCPIPIO::FreeAcceptSocket(socket, serial, 0);
    }
    std::string Peer() const { return "127.0.0.1:" + std::to_string(port); }

private:
    static unsigned Run(void *p)
    {
        OSYS::InitThreadCrashHandler();
        RAWSERVER *s = static_cast<RAWSERVER *>(p);
        if (s->device.AcceptCall())
            s->script(s->device, s->context);
        return 0;
    }
    SCRIPT script;
    void *context;
    TCPIPIO device;
    TCPSOCKET socket = TCPSOCKET_NONE;
    unsigned serial = 0;
    int port = 0;
    void *thread = nullptr;
};

std::string ReadUntil(TCPIPIO &device, const char *endBytes, int timeout = 5000)
{
    std::string out;
    char buf[4096];
    for (;;) {
        int n = sizeof buf;
        device.Read(buf, &n, timeout, endBytes);
        if (n <= 0)
            return out;
        out.append(buf, static_cast<size_t>(n));
        if (strchr(endBytes, buf[n - 1]))
            return out;
    }
}

// Serves the request up to the parameters, then sends the announcement and the bytes given.
struct FILEPEER {
    std::string reply;        // STX ... ETX and whatever bytes follow
    bool closeAfter;          // hang up instead of staying silent
    std::string gotAck;       // what the client answered
    static void Script(TCPIPIO &device, void *p)
    {
        FILEPEER *f = static_cast<FILEPEER *>(p);
        ReadUntil(device, "\x02");
        device.WriteByte(0x06);
        ReadUntil(device, "\x03");
        device.WriteByte(0x06);
        device.Write(f->reply.data(), static_cast<int>(f->reply.size()));
        if (f->closeAfter) {
            device.DropCall();
            return;
        }
        unsigned char ack = 0;
        if (device.ReadByte(&ack, 10000))
            f->gotAck = std::string(1, static_cast<char>(ack));
        device.WriteByte(0x04);
    }
};

TEST(NETPROC, FilesThatStopShortEndTheCallAsFailed)
{
    CLIENT client;
    client.SetTimeout(500);
    FILENAME temp("<temp>");
    std::string tempFolder = Text(temp.GetFolder().GetString());
    struct CASE {
        bool closeAfter;
        const char *what;
    } cases[] = {{false, "silent"}, {true, "hangs up"}};
    for (const CASE &c : cases) {
        FILEPEER peer{std::string("\x02<file=short.bin|100>\x03") + std::string(50, 'x'), c.closeAfter, ""};
        RAWSERVER server(FILEPEER::Script, &peer);
        HASH params;
        STRING result;
        long long t0 = NowMs();
        EXPECT_EQ(0, Call(client, server.Peer(), "FILE", params, result)) << c.what;
        EXPECT_EQ("error in reading return code", Text(result)) << c.what;
        EXPECT_LT(NowMs() - t0, 20000);
        if (!c.closeAfter) {
            EXPECT_EQ("\x15", peer.gotAck) << c.what;
        }
    }
}

TEST(NETPROC, AnAnnouncementWithoutSizeFailsTheCall)
{
    LOGCAPTURE capture;
    CLIENT client;
    for (const char *announce : {"\x02<file=fax.sff>\x03", "\x02<file=fax.sff|12x>\x03"}) {
        FILEPEER peer{announce, false, ""};
        RAWSERVER server(FILEPEER::Script, &peer);
        HASH params;
        STRING result;
        EXPECT_EQ(0, Call(client, server.Peer(), "FILE", params, result)) << announce;
        EXPECT_EQ("error in reading return code", Text(result));
        EXPECT_EQ("\x15", peer.gotAck);
    }
    EXPECT_EQ(std::vector<std::string>{"rc2.NumTokens()>1"}, capture.Conditions());
}

TEST(NETPROC, APeersFileNameNeverLeavesTheTemporaryFolder)
{
    CLIENT client;
    FILENAME temp("<temp>");
    std::string tempFolder = Text(temp.GetFolder().GetString());
    struct CASE {
        const char *name;
        const char *extension;
    } cases[] = {
        {"..\\..\\evil.exe", ".exe"},
        {"x.\\..\\..\\evil", ""},
        {"C:\\Windows\\system.ini", ".ini"},
    };
    for (const CASE &c : cases) {
        FILEPEER peer{std::string("\x02<file=") + c.name + "|3>\x03" + "abc", false, ""};
        RAWSERVER server(FILEPEER::Script, &peer);
        HASH params;
        STRING result;
        ASSERT_EQ(1, Call(client, server.Peer(), "FILE", params, result)) << c.name << " " << Text(result);
        std::string r = Text(result);
        std::string local = r.substr(6, r.size() - 7);
        EXPECT_EQ(0u, local.find(tempFolder + "\\")) << local;
        EXPECT_EQ(std::string::npos, local.find("..")) << local;
        EXPECT_EQ(std::string::npos, local.find('\\', tempFolder.size() + 1)) << local;
        EXPECT_EQ(std::string(c.extension), local.substr(local.size() - strlen(c.extension))) << local;
        EXPECT_EQ("abc", ReadWholeFile(local));
        EXPECT_EQ("\x06", peer.gotAck);
        FILENAME(local.c_str()).Delete();
    }
}

// Speaks the wire by hand to a server: what it sends, and everything the server answers until
// it closes.
std::string RawExchange(const std::string &peer, const std::vector<std::string> &writes, int timeout = 5000)
{
    TCPIPIO device("0");
    EXPECT_EQ(1, device.MakeCall(peer.c_str()));
    std::string got;
    for (const std::string &w : writes) {
        device.Write(w.data(), static_cast<int>(w.size()));
        char buf[4096];
        int n = sizeof buf;
        // Each write is answered by one byte, except the last, which gets the rest.
        device.Read(buf, &n, timeout, &w == &writes.back() ? "\x04" : "\x06\x15");
        got.append(buf, static_cast<size_t>(n > 0 ? n : 0));
    }
    char buf[4096];
    int n = sizeof buf;
    while (device.Read(buf, &n, timeout, nullptr)) {
        got.append(buf, static_cast<size_t>(n));
        n = sizeof buf;
    }
    return got;
}

TEST(NETPROC, TheServerChecksHeadersAndAcknowledgesEveryPacket)
{
    TESTPROC server;
    struct CASE {
        std::string header;
        const char *what;
    } bad[] = {
        {"\x01NETPROC::Call[id=0x0100] ECHO\x02", "no LF before STX"},
        {"\x01NETPROC::Exec[id=0x0100] ECHO\x0a\x02", "another prefix"},
        {"\x01NETPROC::Call[id=0x0100] " + std::string(5000, 'A'), "longer than 4096 bytes"},
    };
    for (const CASE &c : bad) {
        // NAK, then the connection closes without EOT.
        EXPECT_EQ("\x15", RawExchange(server.Peer(), {c.header})) << c.what;
    }

    // Three packets: three ACKs, and the procedure sees the first packet's parameters.
    std::string got = RawExchange(server.Peer(), {"\x01NETPROC::Call[id=0x0100] ECHO\x0a\x02", "Text=first\n\x02",
                                                  "Text=second\n\x02", "Text=third\n\x03\x06"});
    EXPECT_EQ("\x06\x06\x06\x06\x02<OK>\nfirst\x03\x04", got);
    EXPECT_EQ("first", server.lastText);
    EXPECT_EQ(std::vector<std::string>{"ECHO"}, server.Calls());

    // A client that answers the result with NAK: a posted procedure then never runs.
    got = RawExchange(server.Peer(), {"\x01NETPROC::Post[id=0x0100] LATE\x0a\x02", "Text=no\n\x03\x15"});
    EXPECT_EQ("\x06\x06\x02<ASYNC>\x03\x04", got);
    EXPECT_FALSE(server.posted.Wait(1000));
    EXPECT_EQ(std::vector<std::string>{"ECHO"}, server.Calls());
}

struct SLOWCALL {
    NETPROC *client;
    std::string peer;
    std::atomic<int> ok{-1};
    STRING result;
    static unsigned Run(void *p)
    {
        OSYS::InitThreadCrashHandler();
        SLOWCALL *c = static_cast<SLOWCALL *>(p);
        HASH params;
        c->ok = c->client->CallNetProcedure(c->peer.c_str(), "SLOW", params, c->result, 1, nullptr, 60000);
        return 0;
    }
};

// A caller that sends its request and then reads nothing.
TEST(NETPROC, AServerWriteThatThePeerNeverTakesFreesTheSlot)
{
    TESTPROC server;
    server.SetTimeout(500);
    TCPIPIO device("0");
    ASSERT_EQ(1, device.MakeCall(server.Peer().c_str()));
    std::string request = "\x01NETPROC::Call[id=0x0100] BIG\x0a\x02";
    ASSERT_EQ(1, device.Write(request.data(), static_cast<int>(request.size())));
    ASSERT_EQ(1, device.Write("Text=x\n\x03", -1));
    for (int i = 0; i < 3000 && server.NumServing() == 0; ++i)
        OSYS::Sleep(10);
    EXPECT_EQ(1, server.NumServing());
    for (int i = 0; i < 3000 && server.NumServing() > 0; ++i)
        OSYS::Sleep(10);
    EXPECT_EQ(0, server.NumServing());
    EXPECT_EQ(2, server.NumListening());
    device.DropCall();
}

TEST(NETPROC, ARequestIsAnsweredWhileAnotherIsServedAndTwoListenersKeepWaiting)
{
    TESTPROC server;
    int port = atoi(Text(server.GetOurPort()).c_str());
    // The listeners hold the listening socket as soon as they are started: beside the server's
    // own reference, two.
    EXPECT_EQ(2, server.NumListening());
    EXPECT_EQ(3, TCPIPIO::AcceptSocketUseCount(port));

    CLIENT client;
    SLOWCALL slow;
    slow.client = &client;
    slow.peer = server.Peer();
    void *thread = OSYS::CreateThread(SLOWCALL::Run, &slow);
    ASSERT_NE(nullptr, thread);
    for (int i = 0; i < 6000 && server.slowRunning.load() < 1; ++i)
        OSYS::Sleep(10);
    ASSERT_EQ(1, server.slowRunning.load());
    // The serving listener started its replacement before it served: still two wait, and the
    // replacement holds the socket once its thread runs (the serving one keeps its reference
    // parked).  The other listener waited already, so the request did not wait for it.
    EXPECT_EQ(1, server.NumServing());
    EXPECT_EQ(2, server.NumListening());
    for (int i = 0; i < 500 && TCPIPIO::AcceptSocketUseCount(port) < 4; ++i)
        OSYS::Sleep(10);
    EXPECT_EQ(4, TCPIPIO::AcceptSocketUseCount(port));

    HASH params;
    params["Text"] = "meanwhile";
    STRING result;
    ASSERT_EQ(1, Call(client, server.Peer(), "ECHO", params, result)) << Text(result);
    EXPECT_EQ("<OK>\nmeanwhile", Text(result));
    EXPECT_EQ(1, server.slowRunning.load());
    EXPECT_EQ(2, server.NumListening());

    server.release.Set();
    EXPECT_TRUE(OSYS::WaitThread(thread, 60000));
    EXPECT_EQ(1, slow.ok.load()) << Text(slow.result);
    EXPECT_EQ("<OK>", Text(slow.result));
}

TEST(NETPROC, ThreadsThatHaveServedListenAgainInsteadOfNewThreads)
{
    TESTPROC server;
    CLIENT client;
    LOGCAPTURE capture;
    for (int i = 0; i < 20; ++i) {
        HASH params;
        params["Text"] = std::to_string(i).c_str();
        STRING result;
        ASSERT_EQ(1, Call(client, server.Peer(), "ECHO", params, result)) << i << ": " << Text(result);
        EXPECT_EQ("<OK>\n" + std::to_string(i), Text(result));
    }
    for (int i = 0; i < 1000 && (server.NumServing() > 0 || server.NumListening() < 2); ++i)
        OSYS::Sleep(10);
    EXPECT_EQ(0, server.NumServing());
    EXPECT_EQ(2, server.NumListening());
    // Twenty requests, each with a replacement listener, yet only a few new threads: the ones
    // that have served wait for their next turn.
    EXPECT_EQ(20, capture.CountLines("NETPROC::StartRpcThread new slot found with idx="));
    EXPECT_LE(capture.CountLines("OSYS::CreateThreadWithParm returned"), 4);
    // The server's destructor ends the waiting threads as well (the test would hang otherwise).
}

// Restores the box-suppressing environment value of the test programs.
struct BOXESSHOWN {
    BOXESSHOWN() { SetEnvironmentVariableA("ORVAKNOASSERT", "0"); }
    ~BOXESSHOWN() { SetEnvironmentVariableA("ORVAKNOASSERT", "1"); }
};

TEST(NETPROC, AFullTableRefusesFurtherCallsAndListensAgainWhenASlotFrees)
{
    LOGCAPTURE capture;
    // Boxes are not suppressed: a peer that holds every slot must not put a question before the
    // user (a box would be answered "go on" by the watcher, and noticed).
    BOXESSHOWN boxes;
    DIALOGWATCHER watcher(IDYES, 120000);
    TESTPROC server;
    server.SetSlotRetry(2, 50);
    CLIENT client;
    client.SetTimeout(30000);
    std::vector<SLOWCALL *> calls;
    std::vector<void *> threads;
    for (int i = 0; i < NETPROC::MAXSLOTS; ++i) {
        SLOWCALL *c = new SLOWCALL;
        c->client = &client;
        c->peer = server.Peer();
        calls.push_back(c);
        threads.push_back(OSYS::CreateThread(SLOWCALL::Run, c));
        ASSERT_NE(nullptr, threads.back());
    }
    for (int i = 0; i < 6000 && server.slowRunning.load() < NETPROC::MAXSLOTS; ++i)
        OSYS::Sleep(10);
    ASSERT_EQ(NETPROC::MAXSLOTS, server.slowRunning.load());
    EXPECT_EQ(NETPROC::MAXSLOTS, server.NumServing());
    EXPECT_EQ(0, server.NumListening());

    // Beyond the limit: refused at once, not left waiting.
    HASH params;
    params["Text"] = "overflow";
    STRING result;
    long long t0 = NowMs();
    EXPECT_EQ(0, Call(client, server.Peer(), "ECHO", params, result));
    EXPECT_EQ("error in reading ACK for header", Text(result));
    EXPECT_LT(NowMs() - t0, 15000); // the client itself would wait 30 s for the ACK

    // The slots free: the server listens again and serves the next call.
    server.release.Set();
    for (size_t i = 0; i < threads.size(); ++i) {
        EXPECT_TRUE(OSYS::WaitThread(threads[i], 60000));
        EXPECT_EQ(1, calls[i]->ok.load()) << Text(calls[i]->result);
        delete calls[i];
    }
    for (int i = 0; i < 1000 && server.NumListening() < 2; ++i)
        OSYS::Sleep(10);
    EXPECT_EQ(2, server.NumListening());
    params["Text"] = "again";
    ASSERT_EQ(1, Call(client, server.Peer(), "ECHO", params, result)) << Text(result);
    EXPECT_EQ("<OK>\nagain", Text(result));
    // Logged once for each accepted call whose replacement found no slot (the last listeners
    // may take their calls at the same moment), with no assertion and no box.
    EXPECT_FALSE(watcher.Pressed()) << watcher.Title() << ": " << watcher.Text();
    EXPECT_TRUE(capture.Conditions().empty());
    int overflows = capture.CountLines("NETPROC::StartRpcThread NETPROC Procedure Table Overflow, all 64 slots busy");
    EXPECT_GE(overflows, 1);
    EXPECT_LE(overflows, 2);
    EXPECT_GE(capture.CountLines("NETPROC::OverflowGuard refused the call from 127.0.0.1"), 1);
}

} // namespace
