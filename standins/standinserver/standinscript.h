// STANDINSCRIPT, what a test tells the stand-in server to do beyond its own answers: queues of
// answers per command (each with a delay), and pushes to clients at a time after the start or
// after a command was served.  Read from a HASHLIST text ("/SCRIPT:file", or "STANDINCONTROL"
// at run time); one record per entry:
//   answer: "Command", "Answer" (the result text), optional "Delay" (ms) and "Count" (times)
//   push:   "Push" (the command), "To" (a client name, "*" for every client, or "host:port"),
//           optional "Params" (HASH text), "At" (ms after the start) or "After" (a command),
//           "Sync" ("1": wait for the client's result) and "Count"
// Portable.  Threads: every call takes the script's lock.
#ifndef STANDINS_STANDINSERVER_STANDINSCRIPT_H
#define STANDINS_STANDINSERVER_STANDINSCRIPT_H

#include <cstdint>
#include <vector>

#include "kestar/base/critsect.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/string.h"

class STANDINSCRIPT {
public:
    struct ANSWER {
        STRING Command;
        STRING Text;
        int DelayMs = 0;
    };
    struct PUSH {
        STRING Command;
        STRING To;
        HASH Params;
        bool Sync = false;
        int64_t AtMs = -1;   // ms after the start; -1 when it follows a command
        STRING After;        // the command it follows
    };

    STANDINSCRIPT() = default;
    STANDINSCRIPT(const STANDINSCRIPT &) = delete;
    STANDINSCRIPT &operator=(const STANDINSCRIPT &) = delete;

    // Adds the entries of a list text; the number of entries added, -1 when a record is neither
    // an answer nor a push (nothing is added then; reason names the record).
    int Add(const STRING &listText, STRING &reason);
    // The next scripted answer for command (ignoring case), taken off its queue; false when none.
    bool TakeAnswer(const char *command, ANSWER &answer);
    // Takes the pushes that follow command.
    std::vector<PUSH> TakeAfter(const char *command);
    // Takes the timed pushes due at nowMs (ms after the start), in time order.
    std::vector<PUSH> TakeDue(int64_t nowMs);
    // The time of the next timed push, -1 when none waits.
    int64_t NextDue();

private:
    std::vector<ANSWER> Answers; // in order; guarded by lock
    std::vector<PUSH> Pushes;    // guarded by lock
    CRITSECT lock;
};

#endif
