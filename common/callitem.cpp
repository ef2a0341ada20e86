#include "common/callitem.h"

#include "kestar/base/osystime.h"

namespace CALLITEM {

const DEFAULT DEFAULTS[] = {
    {"CallerNumber", ""},
    {"CallerNational", ""},
    {"CallerCanonical", ""},
    {"CallerDialable", ""},
    {"CallerBeautified", ""},
    {"CallerBeautifiedNat", ""},
    {"CallerBeautifiedLocal", ""},
    {"CallerBeautifiedNatLocal", ""},
    {"CallerLocation", ""},
    {"CallerNameSrv", ""},
    {"CallerIconSrv", "0"},
    {"CallerSubtypeSrv", ""},
    {"CallerAdditionalInfoSrv", ""},
    {"TargetNumber", ""},
    {"TargetNameSrv", ""},
    {"TargetIconSrv", "0"},
    {"CallerName", ""},
    {"CallerIcon", "0"},
    {"CallerSubtype", ""},
    {"CallerAdditionalInfo", ""},
    {"TargetName", ""},
    {"TargetIcon", "0"},
    {"LTime", ""},
    {"Status", ""},
    {"Comment", ""},
    {"Type", ""},
    {"Server", ""},
    {"MsgFile", ""},
    {"MsgSeen", ""},
    {"HowMany", ""},
    {"TransmissionInfo", ""},
    {"InProgress", "0"},
    {"Archived", "0"},
};
const int NUMDEFAULTS = static_cast<int>(sizeof(DEFAULTS) / sizeof(DEFAULTS[0]));

void Prepare(HASH &record)
{
    record.AllowNewKeys(1);
    for (int i = 0; i < NUMDEFAULTS; ++i) {
        STRING &value = record[DEFAULTS[i].Key];
        if (value.IsNull())
            value = DEFAULTS[i].Value;
    }
    if (record.Handle == 0)
        record.Handle = OSYS::GetUniqueId();
    record.AllowNewKeys(0);
}

} // namespace CALLITEM
