// A listening socket opened straight through Winsock, as another program on this computer would
// hold a port: tests of ports that are already taken.
#ifndef TESTS_SUPPORT_FOREIGNLISTENER_SUPPORT_H
#define TESTS_SUPPORT_FOREIGNLISTENER_SUPPORT_H

#include <cstdint>

class FOREIGNLISTENER {
public:
    FOREIGNLISTENER();  // listens on a port the system chooses; port stays 0 on failure
    ~FOREIGNLISTENER();
    FOREIGNLISTENER(const FOREIGNLISTENER &) = delete;
    FOREIGNLISTENER &operator=(const FOREIGNLISTENER &) = delete;

    int port = 0;

private:
    bool started = false;
    uintptr_t other; // owned: the SOCKET, or INVALID_SOCKET
};

#endif
