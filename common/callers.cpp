#include "common/callers.h"

const char *const CALLERS::KEYS[] = {
    "Name",       "Number",     "NumberFax",  "NumberMobile", "NumberOffice",      "NumberData",
    "Comment",    "Blink",      "Sound",      "RunProg",      "NoPopup",           "AutoReject",
    "CustomIcon", "Vip",        "FonDoAnnouncement", "FonAnnouncement", "FonDoImmediateHookup",
    "FonNoRecordingAllowed",
};
const int CALLERS::NUMKEYS = static_cast<int>(sizeof(KEYS) / sizeof(KEYS[0]));

void CALLERS::Prepare(HASH &record)
{
    // A record prepared before under another schema must still take the keys of this one.
    record.AllowNewKeys(1);
    for (int i = 0; i < NUMKEYS; ++i) {
        STRING &value = record[KEYS[i]];
        if (value.IsEmpty())
            value = "";
    }
    record.AllowNewKeys(0);
}
