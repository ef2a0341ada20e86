// MAILRECORD, the text form of one mailslot broadcast between client and server, both ways.
// A record is "[" header "]" payload LF, with the header "%04x.%s.%s" (running number, sender,
// addressee or "*") and every LF of the payload written as the byte 0x01.  The reader cuts the
// received bytes into records and drops repeats, records for other addressees and records from
// senders other than the expected partner.  Portable: the mailslot itself is MAILIO's.
#ifndef COMMON_MAILRECORD_H
#define COMMON_MAILRECORD_H

#include <atomic>
#include <vector>

#include "kestar/base/critsect.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class MAILRECORD {
public:
    // One accepted record.
    struct ENTRY {
        int Number = 0;   // the header's number (hex in the header), for logging
        STRING Sender;    // "ANONYMOUS" when the header had none
        STRING Addressee; // "*" when the header had none
        STRING Payload;   // with its line feeds restored
    };

    // ownName: this computer's name; every "." becomes "_".
    explicit MAILRECORD(const char *ownName);
    MAILRECORD(const MAILRECORD &) = delete;
    MAILRECORD &operator=(const MAILRECORD &) = delete;

    // The host part of the configured server (text before ":"), "." made "_"; "*" or empty
    // accepts every sender.
    void SetPartner(const char *server);
    // The work folder whose "FILE " mentions are written as "FILE ." ("." or empty: none).
    void SetWorkFolder(const char *folder);
    STRING GetOwnName() const { return OwnName; }

    // The record for payload to addressee (null or empty: "*"), taking the next running number.
    // A payload of 400 characters or more is an assertion failure and is still written.
    STRING Write(const char *payload, const char *addressee);
    // The most bytes without a line feed that wait for the rest of their record.
    static constexpr int MAXPENDING = 0x10000;

    // Appends received bytes and appends every complete record that is accepted to out.
    // Returns the number appended.  Bytes after the last LF wait for the next call; when they
    // pass MAXPENDING, that record is dropped up to its line feed (logged).
    int Feed(const void *data, int length, std::vector<ENTRY> &out);

    // The process-wide running number: one counter for every writer of the process.
    static unsigned PeekNumber();
    static void SetNumberForTests(unsigned next);

private:
    // Reads one record (without its LF); true when accepted into entry.
    bool Accept(STRING record, ENTRY &entry);

    STRING OwnName;          // set at construction only
    STRING Partner;          // guarded by lock
    STRING WorkFolder;       // guarded by lock
    STRING Received;         // bytes not yet cut into records; guarded by lock
    bool Discarding = false; // skipping the rest of a record that grew too long; guarded by lock
    HASH LastHeaders;        // sender -> last header accepted from or sent by it; guarded by lock
    CRITSECT lock;           // the reader thread and every writer share the texts above

    static std::atomic<unsigned> RunningNumber;
};

#endif
