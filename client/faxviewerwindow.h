// FAXVIEWERWINDOW: the fax image viewer as the client core opens it for a fax message.  The fax
// tools implement it (IMAGEVIEWER, which lives on by itself); tests record the calls.
#ifndef CLIENT_FAXVIEWERWINDOW_H
#define CLIENT_FAXVIEWERWINDOW_H

#include <cstdint>

class FAXVIEWERWINDOW {
public:
    virtual ~FAXVIEWERWINDOW() = default;
    // Shows the SFF or TIFF file with title; itemHandle is the call-list entry the viewer may ask
    // to delete (0 for none).  1 when the file could be loaded and the viewer opened, else 0.
    virtual int Show(const char *file, const char *title, uint32_t itemHandle) = 0;
};

#endif
