#include "common/clients.h"

#include "kestar/base/logit.h"

const CLIENTS::DEFAULT CLIENTS::DEFAULTS[] = {
    {"Name", ""},
    {"HasPassword", "0"},
    {"Password", ""},
    {"Description", ""},
    {"OwnMSN", "*"},
    {"PermFax", "1"},
    {"PermSMS", "1"},
    {"PermAddCaller", "1"},
    {"PermEditServerRecentcalls", "1"},
    {"PermLocalTargets", "0"},
    {"PermLocalCallers", "0"},
    {"PermLocalRecentcalls", "0"},
    {"PermAdministrateServer", "0"},
};
const int CLIENTS::NUMDEFAULTS = static_cast<int>(sizeof(DEFAULTS) / sizeof(DEFAULTS[0]));

void CLIENTS::Prepare(HASH &record, uint32_t handle)
{
    record.AllowNewKeys(1);
    for (int i = 0; i < NUMDEFAULTS; ++i) {
        STRING &value = record[DEFAULTS[i].Key];
        if (value.IsEmpty())
            value = DEFAULTS[i].Value;
    }
    if (record.Handle == 0) {
        record.Handle = handle;
        LOGIT::Printf("CLIENTS::Prepare new handle given for name=%s handle=%d\n",
                      static_cast<const char *>(record["Name"]), static_cast<int>(handle));
    }
    record.AllowNewKeys(0);
}
