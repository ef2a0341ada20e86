// The stand-in phone server standinserver.exe as a child of a test, with its standard output read
// through a pipe: started on a port of the system's choice and stopped by "STANDINCONTROL" (ended
// by force when it does not stop).  Windows only.
#ifndef TESTS_SUPPORT_STANDINPROCESS_SUPPORT_H
#define TESTS_SUPPORT_STANDINPROCESS_SUPPORT_H

#if defined(_WIN32)

#include <windows.h>

#include <string>

class SERVERPROCESS {
public:
    SERVERPROCESS() = default;
    SERVERPROCESS(const SERVERPROCESS &) = delete;
    SERVERPROCESS &operator=(const SERVERPROCESS &) = delete;
    ~SERVERPROCESS() { Stop(); }

    // Starts the server with args and waits for "PORT n" (at most timeoutMs).
    bool Start(const std::string &args, int timeoutMs = 30000);
    // Asks the server to stop, then ends it by force when it does not; its exit code or -1.
    int Stop();

    std::string Address() const { return "127.0.0.1:" + std::to_string(Port); }
    const std::string &Printed();
    int Port = 0;

private:
    void ReadAvailable();
    HANDLE Process = nullptr;
    HANDLE Output = nullptr;
    std::string Text;
    int ExitCode = -1;
};

#endif

#endif
