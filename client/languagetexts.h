// LANGUAGETEXTS: the texts of the language library (OSYS::GetStringFromResource) as a TEXTTABLE.
// Windows only.
#ifndef CLIENT_LANGUAGETEXTS_H
#define CLIENT_LANGUAGETEXTS_H

#include "client/texttable.h"

class LANGUAGETEXTS : public TEXTTABLE {
public:
    STRING Get(int id) const override;
    // The one table of the program; any thread.
    static const LANGUAGETEXTS &Instance();
};

#endif
