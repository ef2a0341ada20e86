// FAXCOMMANDREADER: the fax commands written on a page, handed out one by one with the box each
// covers.  The recognition (OCRCHIE) implements it; tests hand out scripted commands instead.
#ifndef CLIENT_FAXCOMMANDREADER_H
#define CLIENT_FAXCOMMANDREADER_H

#include "client/ocrbitmap.h"
#include "kestar/base/string.h"

class FAXCOMMANDREADER {
public:
    virtual ~FAXCOMMANDREADER() = default;
    // 1 with the next command's text and its box (page pixels, right and bottom exclusive); 0,
    // both unchanged, when every command has been handed out.
    virtual int GetNextCommand(STRING &text, OCRBOX &box) = 0;
    // The number of commands found.
    virtual int Count() const = 0;
};

#endif
