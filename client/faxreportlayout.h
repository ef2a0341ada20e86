// FAXREPORTLAYOUT: where the fax sending report puts its page images, in per cent of the page as
// PRINTER::PrintBitmap takes them: below the text, the first page large (at x 18 for a one-page
// fax, else at x 5) and pages 2 to 4 as thumbnails at x 75, the note on the pages not shown at
// x 75, y 95.  An image whose scale would be below 1 (too little room under the text) is left
// out; the text is printed all the same.  Portable.
#ifndef CLIENT_FAXREPORTLAYOUT_H
#define CLIENT_FAXREPORTLAYOUT_H

#include <vector>

#include "kestar/base/string.h"

class FAXREPORTLAYOUT {
public:
    struct IMAGE {
        int Page;  // from 1
        int X;     // per cent of the page
        int Y;
        int Scale; // per cent of the page-wide fit
    };

    // The images of a fax of pages pages when the text ends at textBottom (per cent of the
    // printable area).
    static std::vector<IMAGE> Place(int textBottom, int pages);
    // The note on the pages not shown: part 5 of noteTexts ("|"-separated, text 3030) with
    // "$PAGES" = pages - 4; empty for a fax of 4 pages or fewer.
    static STRING Note(const STRING &noteTexts, int pages);
    static const int kNoteX = 75;
    static const int kNoteY = 95;
};

#endif
