#include "common/targets.h"

#include "kestar/base/logit.h"

// Left column of the schema first, then the right one.
const TARGETS::RULE TARGETS::RULES[] = {
    {"Number", PRESENT, nullptr},
    {"Name", PRESENT, nullptr},
    {"CustomColor", VALUE, "0"},
    {"BackColor", VALUE, "8388608"},
    {"TextColor", VALUE, "0"},
    {"CustomIcon", VALUE, "400"},
    {"Sound", PRESENT, nullptr},
    {"RunProg", PRESENT, nullptr},
    {"Program", PRESENT, nullptr},
    {"ProgParm", PRESENT, nullptr},
    {"Ignore", PRESENT, nullptr},
    {"IgnoreType", VALUE, "0"},
    {"ProgClick", VALUE, "0"},
    {"DoAnswerphone", VALUE, "0"},
    {"HasAnswerphone", COPYOF, "DoAnswerphone"},
    {"FonPickupTime", VALUE, "10"},
    {"FonSound", VALUE, ""},
    {"FonAltSchedule1", VALUE, ""},
    {"FonAltSchedule2", VALUE, ""},
    {"FonAltSchedule3", VALUE, ""},
    {"FonAltSchedule4", VALUE, ""},
    {"FonAltSchedule5", VALUE, ""},
    {"FonAltSchedule6", VALUE, ""},
    {"FonDoRecord", VALUE, "2"},
    {"FonPlayDuringRecord", VALUE, "1"},
    {"FonDoExtended", VALUE, "0"},
    {"FonExtendedDir", PRESENT, nullptr},
    {"FonDoRemoteCode", VALUE, "0"},
    {"FonRemoteCode", PRESENT, nullptr},
    {"FonDoRemoteNumber", VALUE, "0"},
    {"FonRemoteNumber", PRESENT, nullptr},
    {"FonPlaybackAllNumbers", PRESENT, nullptr},
    {"FonRemoteEvents", PRESENT, nullptr},
    {"FonNextCallAsSound", ALWAYS, "0"},
    {"DoFaxmachine", VALUE, "0"},
    {"HasFaxmachine", COPYOF, "DoFaxmachine"},
    {"FaxAutoprint", VALUE, "0"},
    {"FaxDoSpecialPrinter", VALUE, "0"},
    {"FaxSpecialPrinter", VALUE, ""},
    {"FaxMarkAsSeen", VALUE, "1"},
    {"FaxPickupTime", VALUE, "5"},
    {"FaxIgnoreSuppressed", VALUE, "0"},
    {"DoSmsNotify", VALUE, "0"},
    {"HasSmsNotify", COPYOF, "DoSmsNotify"},
    {"NotifySmsDestination", PRESENT, nullptr},
    {"NotifySmsMissed", VALUE, "1"},
    {"NotifySmsMissedKnownOnly", VALUE, "0"},
    {"NotifySmsMissedVipOnly", VALUE, "0"},
    {"NotifySmsMessages", VALUE, "1"},
    {"NotifySmsMsgVipOnly", VALUE, "0"},
    {"NotifySmsAllCalls", VALUE, "0"},
    {"NotifySmsAllCallsVipOnly", VALUE, "0"},
    {"NotifySmsDeleteAfterSuccess", VALUE, "0"},
    {"DoEmailNotify", VALUE, "0"},
    {"HasEmailNotify", COPYOF, "DoEmailNotify"},
    {"NotifyEmailDestination", PRESENT, nullptr},
    {"NotifyEmailMissed", VALUE, "1"},
    {"NotifyEmailMissedKnownOnly", VALUE, "0"},
    {"NotifyEmailMissedVipOnly", VALUE, "0"},
    {"NotifyEmailMessages", VALUE, "1"},
    {"NotifyEmailMsgVipOnly", VALUE, "0"},
    {"NotifyEmailAllCalls", VALUE, "0"},
    {"NotifyEmailAllCallsVipOnly", VALUE, "0"},
    {"NotifyEmailDeleteAfterSuccess", VALUE, "0"},
    {"DoForwarding", VALUE, "0"},
    {"HasForwarding", COPYOF, "DoForwarding"},
    {"DoUnconditionalForwarding", VALUE, "0"},
    {"DoBusyForwarding", VALUE, "0"},
    {"DoNoreplyForwarding", VALUE, "0"},
    {"ForwardUnconditionalTo", VALUE, ""},
    {"ForwardBusyTo", VALUE, ""},
    {"ForwardNoreplyTo", VALUE, ""},
    {"ForwardLastRemoteState", VALUE, ""},
};
const int TARGETS::NUMRULES = static_cast<int>(sizeof(RULES) / sizeof(RULES[0]));

void TARGETS::Prepare(HASH &record, uint32_t handle)
{
    record.AllowNewKeys(1);
    for (int i = 0; i < NUMRULES; ++i) {
        const RULE &rule = RULES[i];
        if (rule.Kind == ALWAYS) {
            record[rule.Key] = rule.Value;
            continue;
        }
        STRING &value = record[rule.Key];
        if (value.NotEmpty())
            continue;
        if (rule.Kind == COPYOF) {
            STRING copy = record[rule.Value]; // a copy: taking the other key may move this one
            record[rule.Key] = copy.IsNull() ? STRING("") : copy;
        } else {
            value = rule.Value ? rule.Value : "";
        }
    }
    if (record.Handle == 0) {
        record.Handle = handle;
        LOGIT::Printf("TARGETS::Prepare new handle given for name=%s handle=%d\n",
                      static_cast<const char *>(record["Name"]), static_cast<int>(handle));
    }
    STRING &beep = record["FonDoNotPlayBeep"];
    if (beep.IsEmpty())
        beep = "0";
    record.AllowNewKeys(0);
}

const char *const TARGETS::LOCALKEYS[] = {"Name",       "CustomColor", "BackColor", "TextColor",
                                          "CustomIcon", "Sound",       "RunProg",   "Program",
                                          "ProgParm",   "ProgClick"};
const int TARGETS::NUMLOCALKEYS = static_cast<int>(sizeof(LOCALKEYS) / sizeof(LOCALKEYS[0]));

namespace {

bool IsLocalKey(const STRING &key)
{
    for (int i = 0; i < TARGETS::NUMLOCALKEYS; ++i)
        if (key == STRING(TARGETS::LOCALKEYS[i]))
            return true;
    return false;
}

// A record's "Number"; empty when it has none.
STRING NumberOf(HASH &record)
{
    STRING *value = nullptr;
    return record.Exists("Number", &value) && !value->IsNull() ? *value : STRING("");
}

} // namespace

int TARGETS::MergeFromServer(HASHLIST &received, int fullRebuild)
{
    Lock();
    received.Lock();
    for (int r = 0; r < received.NumItems(); ++r) {
        HASH *from = received[r];
        const STRING number = NumberOf(*from);
        int idx = FindValue("Number", number, 1);
        const bool isNew = idx == -1;
        if (isNew) {
            HASH target;
            Prepare(target, NewHandle());
            target["Number"] = number;
            AddItem(target);
            idx = FindValue("Number", number, 1);
            if (idx == -1) {
                LOGIT::Assert(0, "idx!=-1", __FILE__, __LINE__, number, 0);
                continue;
            }
        }
        HASH *target = (*this)[idx];
        for (int k = 0; k < from->NumKeys(); ++k) {
            const STRING &key = from->GetKeyAt(k);
            if (!target->Exists(key) || (!isNew && IsLocalKey(key)))
                continue;
            (*target)[key] = from->GetValueAt(k);
        }
    }
    if (fullRebuild) {
        for (int i = NumItems() - 1; i >= 0; --i)
            if (received.FindValue("Number", NumberOf(*(*this)[i]), 1) == -1)
                DeleteItem(i);
    }
    const int count = NumItems();
    received.Unlock();
    Unlock();
    return count;
}
