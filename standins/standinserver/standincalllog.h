// STANDINCALLLOG, the stand-in server's record of every request it served and every push it
// made, for tests to read: one HASHLIST section per entry with "Ms" (since the start), "Peer",
// "Command", "Mode" ("CALL", "POST", "PUSH", "PUSHCALL" or "BROADCAST"), "Params" (HASH text),
// "Result" (cut to 200 characters) and "Ok".  Each entry is written and flushed at once, so a
// reader sees it while the server runs.  Portable.
#ifndef STANDINS_STANDINSERVER_STANDINCALLLOG_H
#define STANDINS_STANDINSERVER_STANDINCALLLOG_H

#include <cstdint>
#include <cstdio>

#include "kestar/base/critsect.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class STANDINCALLLOG {
public:
    STANDINCALLLOG() = default;
    ~STANDINCALLLOG();
    STANDINCALLLOG(const STANDINCALLLOG &) = delete;
    STANDINCALLLOG &operator=(const STANDINCALLLOG &) = delete;

    // Starts a new log at path (an old file is replaced); false when it cannot be written.
    // Without Open, Add does nothing.
    bool Open(const char *path);
    void Add(int64_t ms, const char *peer, const char *command, const char *mode, HASH &params,
             const char *result, bool ok);

private:
    FILE *File = nullptr; // owned; guarded by lock
    int Count = 0;        // guarded by lock
    CRITSECT lock;
};

#endif
