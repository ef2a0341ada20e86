// The phone server's options record as the client edits it: Prepare completes an older or empty
// record from the server with every key and its default, checks the SMS gateway against the
// provider table and closes the key table, so that the options dialog shows every option and can
// add none.  Portable: the telephony location comes through a function the caller passes.
#ifndef COMMON_SERVEROPTIONS_H
#define COMMON_SERVEROPTIONS_H

#include "kestar/base/hash.h"
#include "kestar/base/string.h"

namespace SERVEROPTIONS {

struct DEFAULT {
    const char *Key;
    const char *Value; // null: decided at run time ("InternetMailNotifyText", "LocalCountry", "LocalAreaCode")
};
// The keys in the order their defaults are applied.
extern const DEFAULT DEFAULTS[];
extern const int NUMDEFAULTS;

// The notify texts of the two user-interface languages.
extern const char *const NOTIFYTEXT_GERMAN;
extern const char *const NOTIFYTEXT_OTHER;

// The telephony location: country code and city code as Windows telephony gives them (such as
// "+49" and "089").  0 on success, like tapiGetLocationInfo; anything else is a failure.
typedef long (*LOCATIONFUNCTION)(STRING &countryCode, STRING &cityCode);

// Gives every key that has no value yet its default (a key that holds an empty text keeps it):
// the notify text by german, "LocalCountry" and "LocalAreaCode" from location (country without a
// leading "+", city without one leading "0"; "49" and empty when location fails or is null).
// Then loads the SMS provider table from smsFolder (SMS::LoadProviders) and, when it holds a
// provider and none has "SmsSendGatewayNumber" as its "ServiceNumber" (ignoring case), sets that
// key to the first provider's number.  Finally closes the key table.  Returns the record's lock
// state from before.
int Prepare(HASH &options, bool german, LOCATIONFUNCTION location, const char *smsFolder);

} // namespace SERVEROPTIONS

#endif
