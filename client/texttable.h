// TEXTTABLE: where the client's portable text code takes its language texts from.  The program
// reads the language library (LANGUAGETEXTS, Windows only); tests and fuzz targets hold the texts
// in a FIXEDTEXTTABLE, so the same code runs natively.  Portable.
#ifndef CLIENT_TEXTTABLE_H
#define CLIENT_TEXTTABLE_H

#include <map>
#include <string>

#include "kestar/base/string.h"

class TEXTTABLE {
public:
    virtual ~TEXTTABLE() = default;
    // The text of id; whatever the source gives for an id it lacks.  Any thread.
    virtual STRING Get(int id) const = 0;
    // Part n (from 0) of text id cut at every "|"; empty when the text has no such part.
    STRING Part(int id, int n) const;
};

// Texts set by number; an id that was not set gives an empty text.
class FIXEDTEXTTABLE : public TEXTTABLE {
public:
    void Set(int id, const char *text) { Texts[id] = text ? text : ""; }
    STRING Get(int id) const override;

private:
    std::map<int, std::string> Texts;
};

#endif
