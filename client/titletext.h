// TITLETEXT: the main window's title: the product title, " V" and the version, the server in
// brackets (or the text for "no server"), " [iTunesCtrl]" while iTunes control is on, and an
// optional further text after a blank.  Portable.
#ifndef CLIENT_TITLETEXT_H
#define CLIENT_TITLETEXT_H

#include "kestar/base/string.h"

class TITLETEXT {
public:
    // server: the logged-on server's name, empty while none is known (noServer stands then).
    // further: appended after a blank when not empty.
    static STRING Make(const char *title, const char *version, const char *server, const char *noServer,
                       bool itunes, const char *further);
};

#endif
