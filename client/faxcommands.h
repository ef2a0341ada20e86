// FAXCOMMANDS: what a fax command written on a printed page does.  A recognised command sets one
// key of the fax presets (the send options of the next send), and its box is then blanked on the
// page so that the command is not sent along.  Portable: works on the presets record and on the
// pages of the base form of fax images.
#ifndef CLIENT_FAXCOMMANDS_H
#define CLIENT_FAXCOMMANDS_H

#include <cstddef>

#include "client/ocrbitmap.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"

class FAXCOMMANDS {
public:
    // Sets the preset key of command in presets (compared ignoring case): exactly "DIALOG" sets
    // "FaxSendShowDialog" to "1"; "TO", "FROM", "RETRY" and "PAUSE" with one separator after
    // them set "FaxSendDestination", "FaxSendOriginMsn", "FaxSendAttempts" and
    // "FaxSendPauseBetween" to the rest of the text.  1 when a key was set; 0, presets unchanged,
    // for any other command.
    static int Apply(const STRING &command, HASH &presets);

    // Clears box on the 1-bit page of rows pixel rows of stride bytes each (row 0 of pixels at
    // the top when topDown, else at the bottom) to white (zero bits, or set bits when
    // darkIsZero): every row from box.Top to box.Bottom, rowScale page rows per box row, from the
    // byte holding box.Left over (Right - Left) / 8 + 2 bytes.  Clipped to rowBytes per row and
    // to the page's rows; an inverted box (Right < Left or Bottom < Top) is ignored.  The number
    // of rows touched.
    static int BlankBox(unsigned char *pixels, size_t stride, size_t rowBytes, int rows, bool topDown, bool darkIsZero,
                        const OCRBOX &box, int rowScale);

    // BlankBox on page `page` (from 0) of a base-form image of length bytes.  The box is in the
    // rows of the page as its TIFF file holds it: a normal-resolution page (each row twice in the
    // base form) takes two rows per box row.  -1 when there is no such 1-bit page.
    static int BlankBoxOnBasePage(unsigned char *base, size_t length, int page, const OCRBOX &box);
};

#endif
