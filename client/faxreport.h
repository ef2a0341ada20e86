// FAXREPORT: prints the one-page fax sending report: the transmission text (its first line large)
// and small images of the first pages of the fax, placed by FAXREPORTLAYOUT.  APP chooses the
// printer and fetches the fax file; this prints.  Windows only.
#ifndef CLIENT_FAXREPORT_H
#define CLIENT_FAXREPORT_H

#include "kestar/base/string.h"

class PRINTER;

class FAXREPORT {
public:
    // Prints on printer, which holds a device context (PrinterDialog or PrinterOpen): margins 0,
    // the document docName, one page with "\n\n\n\n" and the first line of text in "Courier New
    // Bold" 22 pt, the rest of text in "Courier New" 11 pt (code page 1252), then the pages of the
    // SFF file sffFile and, for more than 4 pages, the note of noteTexts (text 3030).  A file that
    // cannot be read as SFF gives the text alone.  Ends the document in every case once it was
    // started; true when it was started and ended.
    static bool Print(PRINTER &printer, const char *docName, const STRING &text, const char *sffFile,
                      const STRING &noteTexts);
};

#endif
