// MAPICONTACT: one contact of a MAPI address book as the texts MAPI gave for it, turned into a
// caller record ("Name", "Number", "NumberOffice", "NumberMobile", "NumberFax", "Address", "City",
// "Country").  Kept apart from the MAPI calls so that the record rules build and run everywhere.
#ifndef KESTAR_MAPICONTACT_H
#define KESTAR_MAPICONTACT_H

#include "kestar/base/hash.h"
#include "kestar/base/string.h"

struct MAPICONTACT {
    // Borrowed texts, each null when the contact lacks the property.
    const char *Name = nullptr;
    const char *HomeNumber = nullptr;
    const char *BusinessNumber = nullptr;
    const char *MobileNumber = nullptr;
    const char *FaxNumber = nullptr;
    const char *Street = nullptr;
    const char *PostalCode = nullptr;
    const char *Locality = nullptr;
    const char *Country = nullptr;

    // Sets the caller-record keys of every property the contact has (numbers cleaned); a missing
    // property leaves its key out.  "City" is the postal code, a blank and the locality; either
    // alone when the other is missing or empty.
    void ToHash(HASH &record) const;

    // A telephone number without blanks, "/", "-", "(" and ")"; when a "+" stands after the first
    // character, everything before the first "+" goes too ("Mobile +49 (171) 123-45" gives
    // "+4917112345").  A null number gives a NULL string.
    static STRING CleanNumber(const char *number);

    // parent, separator and name, or name alone when parent is empty; never cut, however long.
    static STRING JoinPath(const STRING &parent, const char *separator, const char *name);
};

#endif
