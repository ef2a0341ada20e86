// FAXPORT, the record behind one opened port of the fax port monitor: the spooler's job id, the
// printer handle of the job and every byte the job has written so far.  Portable: the spooler
// calls that open and close the printer handle live in portmonitor_win32.cpp.
#ifndef PORTMONITOR_FAXPORT_H
#define PORTMONITOR_FAXPORT_H

#include <cstdint>

#include "kestar/base/string.h"

class FAXPORT {
public:
    // The job size past which a job is refused.
    static const int64_t kDefaultJobLimit = 256LL * 1024 * 1024;

    // No job yet: an empty job buffer, job id 0, no printer handle.
    FAXPORT();
    FAXPORT(const FAXPORT &) = delete;
    FAXPORT &operator=(const FAXPORT &) = delete;

    // Begins a job: the job buffer becomes a new empty one (96-byte blocks that grow with the
    // buffer), the job is no longer refused.  The printer handle is the caller's business.
    void StartJob(uint32_t jobId);
    // Appends count bytes to the job buffer.  false when the job is or becomes refused: past the
    // job limit, or when the memory cannot be had.  A refused job gives its buffer back at once
    // and takes no more bytes, so that no part of it is ever made into a fax.  Null bytes with a
    // count: false, the job unchanged.
    bool Write(const void *bytes, uint32_t count);
    // True from a refused write until the next StartJob.
    bool IsRefused() const { return Refused; }
    // The job's bytes in arrival order.  Borrowed: valid until the next StartJob or Write.
    const STRING &GetJobBuffer() const { return JobBuffer; }

    // The job limit of every port (bytes, at most about 2 GiB).  Tests lower it; the spooler
    // cannot reach it.
    static void SetJobLimit(int64_t bytes);
    static int64_t GetJobLimit();

    uint32_t JobId;      // the spooler's id of the current job
    void *PrinterHandle; // owned: opened for the job by StartDocPort, closed when the job ends,
                         // by the next StartDocPort or by ClosePort; null when none

private:
    STRING JobBuffer;
    bool Refused;
};

#endif
