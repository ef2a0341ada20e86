// JOBRECORD: the records of the jobs that the client hands to the phone server with "ADDJOB":
// a fax to send or to poll, an e-mail and an SMS.  Numbers go as decimal text, "Schedule" as an
// unsigned 64-bit decimal, the fax file as Base64 in lines of 76 characters each ended by CR LF.
// An optional key (a null pointer) is left out.  Portable.
#ifndef CLIENT_JOBRECORD_H
#define CLIENT_JOBRECORD_H

#include <cstdint>

#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class JOBRECORD {
public:
    // poll: "FAXPOLL" (no file by design: "Filedata" is empty) instead of "FAXCALL".  fileData:
    // the fax file's bytes.  comment, jobName: null when not given.
    static HASH Fax(int poll, const char *dest, const STRING &fileData, int pages, const char *originMsn,
                    const char *headline, const char *stationId, int attempts, int pause, int isdnService,
                    const char *comment, const char *jobName, uint64_t schedule);
    // jobName: null when not given.  deleteAfterSuccess: written as "0" or "1".
    static HASH Mail(const char *to, const char *from, const char *body, const char *subject, const char *attachFile,
                     const char *attachName, uint64_t schedule, int deleteAfterSuccess, const char *jobName);
    // jobName: null when not given.
    static HASH SmsDlg(const char *orig, const char *dest, const char *msg, const char *sourceMsn,
                       const char *appData, uint64_t schedule, const char *jobName);
};

#endif
