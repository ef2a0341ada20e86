// ITEMTEXTS: a call item (one call, fax, message or job) in the user's words: its status, the
// progress of a fax or SMS transmission, the display texts of caller and target, the fax
// transmission report and the call pop-up's text.  The server sends short state codes; the
// phrases come from a TEXTTABLE (the language library in the program, a fixed table in tests).
// Portable.
//
// Item keys outside the call item defaults ("CallerCommentSrv", the "Srv" additional info) are
// read with HASH::Exists and count as empty when absent, so locked items are read safely.
#ifndef CLIENT_ITEMTEXTS_H
#define CLIENT_ITEMTEXTS_H

#include <cstdint>

#include "client/texttable.h"
#include "kestar/base/dynarray.h"
#include "kestar/base/hash.h"
#include "kestar/base/string.h"

// The pop-up's text and look, as FillPopup makes them.
struct POPUPTEXT {
    STRING Text;
    int TextColor = 0;
    int BackColor = 0;
    int Position = 0;
    int Blink = 0;
};

class ITEMTEXTS {
public:
    // The client options the display texts depend on (a flag is set when its text reads as a
    // non-zero number).
    struct OPTIONS {
        int NationalFull = 0;         // "LocalNationalFull"
        int LocalFull = 0;            // "LocalLocalFull"
        int ShowNumberForKnown = 0;   // "ShowNumberForKnownCallers"
    };
    static OPTIONS ReadOptions(HASH &settings);

    // texts: borrowed; must outlive this object.
    explicit ITEMTEXTS(const TEXTTABLE &texts) : Texts(texts) {}

    // The item's "Status" in words, then "  [comment]" when it has a comment.  A status that is
    // not known gives an empty text and a quiet assertion failure naming it.
    STRING StatusText(HASH &item) const;
    // A fax's progress state ("STATUS|PROGRESS_PERC|40|3", ...) in words (text 2966).
    STRING FaxProgress(const STRING &state) const;
    // An SMS's progress state in words (text 2943).
    STRING TransmissionState(const STRING &state) const;
    // The local date and time of "LTime".
    static STRING TimeText(HASH &item);
    // The caller's number for display: the form the options choose, or the word for an unknown,
    // suppressed or unregistered number.
    STRING CallerNumber(HASH &item, const OPTIONS &options) const;
    // "TargetName", else "TargetNameSrv", else "TargetNumber".
    static STRING Target(HASH &item);
    // The caller's name with its number kind in parentheses, else the server's name, else the
    // number.
    STRING Caller(HASH &item, const OPTIONS &options) const;
    // Caller, then the location in brackets for a caller without a name, or the number for a
    // named one when the options ask for it.
    STRING CallerFull(HASH &item, const OPTIONS &options) const;
    // The fax transmission result ("TransmissionInfo") filled into templ ("$CSID", "$START", ...).
    STRING TransmissionInfo(HASH &item, const char *templ) const;

    // The call pop-up: "PopupText" of settings with its macros filled, and the colours, position
    // and blinking.  caller: the caller record found for the item (null: none); target: the
    // item's target record (null: none); items: the list the item belongs to, for the history
    // (the caller holds its lock); now: the clock, in seconds since 1970.
    POPUPTEXT FillPopup(HASH &settings, HASH &item, HASH *caller, HASH *target, DYNARRAY<HASH> &items,
                        int64_t now) const;
    // The history part of the pop-up: the newest six items of items with the item's
    // "CallerCanonical", each with its day word, time and status; empty for a canonical number
    // beginning with "<".
    STRING History(HASH &item, DYNARRAY<HASH> &items, int64_t now) const;

private:
    STRING ReplacedPart(int id, int part, const char *macro, const STRING &value) const;

    const TEXTTABLE &Texts; // borrowed
};

// The progress formatters under the names the rest of the client uses.
STRING FormatFaxProgress(const STRING &state, const TEXTTABLE &texts);
STRING FormatTransmissionState(const STRING &state, const TEXTTABLE &texts);

#endif
