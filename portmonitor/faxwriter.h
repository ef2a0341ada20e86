// FAXWRITER turns the bytes of one finished print job into the fax file for the client: the
// scan (JOBSCAN), the SFF coding, the drop folder, the user and the time of the spool name, the
// file itself (FAXDROP), and the error boxes.  Built per character form like PORTMONITOR: the
// boxes speak the library's form.
#ifndef PORTMONITOR_FAXWRITER_H
#define PORTMONITOR_FAXWRITER_H

#include <cstddef>

#include "kestar/base/string.h"

class FAXPORT;
class JOBSCAN;

class FAXWRITER {
public:
    // Converts the port's job and drops the fax.  An invalid job shows the invalid-data box; a
    // job that WritePort refused, or whose file cannot be made, shows "File Write Error".  No
    // file is written in either case.  Returns whether a file was written.
    static bool WriteJob(const FAXPORT &port);

    // The folder the client scans for spool files, without a trailing "\": the machine's
    // common application-data folder with "Orvak\Parlomatix" (both created when missing), else
    // "%windir%\temp" expanded.
    static STRING DropFolder();
    // The account of the calling thread; "SYSTEM" when it cannot be found (logged).
    static STRING UserName();
    // The SFF file of the scanned pages into *sff (replaced); false when memory runs out.
    static bool CodePages(const JOBSCAN &scan, STRING *sff);

    // The boxes of the job's end: no owner, the monitor's caption, system-modal, error icon.
    static void ShowWriteError();
    // German when the primary language of the thread's locale is German, else English.
    static void ShowInvalidData();
};

#endif
