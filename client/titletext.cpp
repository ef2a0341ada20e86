// The main window's title text.
#include "client/titletext.h"

STRING TITLETEXT::Make(const char *title, const char *version, const char *server, const char *noServer,
                       bool itunes, const char *further)
{
    STRING text(title ? title : "");
    text += " V";
    text += version ? version : "";
    text += " [";
    text += (server && *server) ? server : (noServer ? noServer : "");
    text += "]";
    if (itunes)
        text += " [iTunesCtrl]";
    if (further && *further) {
        text += " ";
        text += further;
    }
    return text;
}
