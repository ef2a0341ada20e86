// The Windows end of the wire tests: makes one NETPROC call, or serves calls, as the Python driver
// (netproc_wire_test.py) asks, and reports on standard output in plain lines.
//
//   netproc_wire call --peer H:P --command C [--post] [--timeout MS] [--result-timeout MS]
//                     [--param NAME=VALUE]...
//       "OK" or "FAIL", then "RESULT " and the result (or failure reason) in hex; a file result
//       adds "FILEEXT " and the local file's extension, "INTEMP 1" when it lies in the temporary
//       folder, and "FILEHEX " and its bytes (the file is deleted afterwards).
//   netproc_wire serve [--timeout MS]
//       "PORT n" once listening; serves until the command "STOP" (or 120 s).  Commands: "ECHO"
//       answers "<OK>" and the parameters' text, "EMPTY" nothing, "FILE" a file "Name" of "Size"
//       bytes made in the temporary folder, "MISSING" a file that does not exist, "LASTPOST" the
//       parameters' text of the last posted call that ran, "STOP" "<OK>".
#include <windows.h>

#include "kestar/base/eventsem.h"
#include "kestar/base/filename.h"
#include "kestar/base/mutexsem.h"
#include "kestar/devices/netproc.h"
#include "kestar/base/osysthread.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Hex(const char *data, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

std::string Hex(const STRING &s)
{
    return s.IsNull() ? std::string() : Hex(s, static_cast<size_t>(s.Length()));
}

const char *Arg(int argc, char **argv, const char *name, const char *fallback)
{
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return argv[i + 1];
    }
    return fallback;
}

bool Flag(int argc, char **argv, const char *name)
{
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return true;
    }
    return false;
}

int DoCall(int argc, char **argv)
{
    NETPROC client("6666", "0", std::atoi(Arg(argc, argv, "--timeout", "5000")));
    HASH params;
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--param") != 0)
            continue;
        const char *eq = std::strchr(argv[i + 1], '=');
        if (!eq)
            continue;
        std::string name(argv[i + 1], static_cast<size_t>(eq - argv[i + 1]));
        params[name.c_str()] = eq + 1;
    }
    STRING result;
    int ok = client.CallNetProcedure(Arg(argc, argv, "--peer", "127.0.0.1"), Arg(argc, argv, "--command", "PING"),
                                     params, result, Flag(argc, argv, "--post") ? 0 : 1, nullptr,
                                     std::atoi(Arg(argc, argv, "--result-timeout", "-1")));
    std::printf("%s\nRESULT %s\n", ok ? "OK" : "FAIL", Hex(result).c_str());
    STRING inner;
    if (ok && NETPROCWIRE::IsFileResult(result, inner)) {
        FILENAME local(inner);
        STRING name = NETPROCWIRE::NameOfPath(inner);
        const char *dot = std::strrchr(name, '.');
        FILENAME temp("<temp>");
        STRING folder = temp.GetFolder().GetString();
        bool inTemp = local.GetFolder().GetString() == folder;
        BINARY data;
        bool loaded = data.Load(local.Text(), "rb");
        std::printf("FILEEXT %s\nINTEMP %d\nFILEHEX %s\n", dot ? dot : "", inTemp ? 1 : 0,
                    loaded ? Hex(data.Buffer ? data.Buffer : "", static_cast<size_t>(data.Length())).c_str() : "-");
        local.Delete();
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}

class WIRESERVER : public NETPROC {
public:
    explicit WIRESERVER(int timeout) : NETPROC("6666", "0", timeout, false)
    {
        StartListeners();
    }
    ~WIRESERVER() override
    {
        Shutdown();
        for (const std::string &f : files)
            FILENAME(f.c_str()).Delete();
    }

    STRING &HandleProcCall(STRING &result, STRING &command, HASH &params, const char *) override
    {
        STRING text = params.ToString();
        if (command == "ECHO") {
            result = "<OK>\n";
            result += text;
        } else if (command == "EMPTY") {
            result = "";
        } else if (command == "FILE") {
            FILENAME temp("<temp>");
            STRING path = temp.GetFolder().GetString();
            path += "\\";
            path += params["Name"];
            int size = static_cast<int>(params["Size"]);
            std::string bytes;
            for (int i = 0; i < size; ++i)
                bytes.push_back(static_cast<char>((i * 7) & 0xff));
            BINARY data;
            data.Make(static_cast<STRING_SIZE_T>(bytes.size()), bytes.data());
            data.Save(path);
            lock.Obtain();
            files.push_back(static_cast<const char *>(path));
            lock.Release();
            result = "<file=";
            result += path;
            result += ">";
        } else if (command == "MISSING") {
            FILENAME temp("<temp>");
            result = "<file=";
            result += temp.GetString();
            result += ".sff>";
        } else if (command == "LASTPOST") {
            lock.Obtain();
            result = "<OK>\n";
            result += lastPost;
            lock.Release();
        } else if (command == "STOP") {
            stop.Set();
            result = "<OK>";
        } else if (command == "NOTE") {
            // Posted: runs after the exchange; its result goes nowhere.
            lock.Obtain();
            lastPost = text;
            lock.Release();
            result = "<OK>";
        } else {
            result = "<NOK>";
        }
        return result;
    }

    EVENTSEM stop;

private:
    MUTEXSEM lock;
    STRING lastPost{"<none>"};
    std::vector<std::string> files;
};

int DoServe(int argc, char **argv)
{
    WIRESERVER server(std::atoi(Arg(argc, argv, "--timeout", "5000")));
    std::printf("PORT %s\n", static_cast<const char *>(server.GetOurPort()));
    std::fflush(stdout);
    bool stopped = server.stop.Wait(120000);
    // Let the STOP exchange finish its closing bytes.
    OSYS::Sleep(300);
    std::printf("DONE %d\n", stopped ? 1 : 0);
    std::fflush(stdout);
    return stopped ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    SetEnvironmentVariableA("ORVAKNOASSERT", "1");
    if (argc >= 2 && std::strcmp(argv[1], "call") == 0)
        return DoCall(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0)
        return DoServe(argc, argv);
    std::fprintf(stderr, "usage: netproc_wire call|serve ...\n");
    return 2;
}
