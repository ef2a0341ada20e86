// Reads arbitrary bytes as what the server pushes about its channels, targets and users: the
// input is cut at zero bytes into "BChannelStatus", the "Targets" list, one "Target" record and
// the "ActiveClients" list.  They go through the channel parts, the targets taken without the
// right and merged with it, the differences of the target lists, the call items those touch and
// the preparing of active clients.  Besides memory errors and any end of the program (an orderly
// stop counts as a finding), the lists must stay consistent: prepared records hold every key and
// a handle of their own, and no program of the server's survives without the right.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "client/channelstatus.h"
#include "client/listchange.h"
#include "common/clients.h"
#include "common/targets.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

void CheckTargets(TARGETS &targets)
{
    std::set<uint32_t> handles;
    for (int i = 0; i < targets.NumItems(); ++i) {
        Check(targets[i]->Handle != 0);
        Check(handles.insert(targets[i]->Handle).second);
        Check(targets[i]->NumKeys() >= TARGETS::NUMRULES + 1);
    }
}

TARGETS LocalTargets()
{
    TARGETS targets;
    const char *const numbers[] = {"5551001", "5551002", "100"};
    for (const char *number : numbers) {
        HASH target;
        target["Number"] = number;
        target["Name"] = number;
        target["Sound"] = "ring.wav";
        TARGETS::Prepare(target, targets.NewHandle());
        targets.AddItem(target);
    }
    return targets;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("ORVAKNOASSERT", "1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    std::vector<std::string> fields(4);
    size_t field = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            if (++field == fields.size())
                break;
        } else {
            fields[field] += static_cast<char>(data[i]);
        }
    }

    // The channel parts.
    const CHANNELSTATUS channels(fields[0].c_str());
    Check(channels.Channels() >= 0 && channels.Channels() <= CHANNELSTATUS::MAXCHANNELS);
    bool busy = false;
    for (char c : fields[0])
        busy |= c >= '1' && c <= '9';
    Check(channels.Busy() == busy);
    int widths[CHANNELSTATUS::MAXCHANNELS + 1];
    channels.PartWidths(55, 70, widths);
    for (int i = 1; i <= channels.Channels(); ++i) {
        Check(channels.State(i) >= 0 && channels.State(i) <= 9);
        Check(widths[i] == (i == channels.Channels() ? 70 : 55));
    }

    // Without the right: the server's list replaces the targets, without programs.
    HASHLIST received;
    received.FromString(STRING(fields[1].c_str()));
    TARGETS before = LocalTargets();
    TARGETS taken = LocalTargets();
    LISTCHANGE::TakeServerTargets(taken, received);
    Check(taken.NumItems() == received.NumItems());
    CheckTargets(taken);
    for (int i = 0; i < taken.NumItems(); ++i) {
        Check(Value(*taken[i], "RunProg") == "0");
        Check(Value(*taken[i], "Program").IsEmpty());
        Check(Value(*taken[i], "ProgParm").IsEmpty());
    }

    // With the right: merged, one number at a time and in full.
    TARGETS merged = LocalTargets();
    HASHLIST one;
    HASH target(STRING(fields[2].c_str()));
    one.AddItem(target);
    const int count = merged.MergeFromServer(one, 0);
    Check(count >= before.NumItems());
    merged.MergeFromServer(received, 1);
    CheckTargets(merged);

    // The differences, and the call items of those targets.
    TARGETS a(before), b(taken);
    HASHLIST diff;
    LISTCHANGE::DiffRecordLists(a, b, diff);
    Check(diff.NumItems() == a.NumItems() + b.NumItems());
    Check(a.NumItems() <= before.NumItems() && b.NumItems() <= taken.NumItems());
    Check(before.NumItems() - a.NumItems() == taken.NumItems() - b.NumItems());

    HASHLIST items;
    for (int i = 0; i < received.NumItems() && i < 8; ++i) {
        HASH item;
        item["TargetNumber"] = Value(*received[i], "Number");
        item["CallerNumber"] = Value(*received[i], "Name");
        item["CallerAdditionalInfo"] = fields[2].c_str();
        item.Handle = static_cast<uint32_t>(i + 1);
        items.AddItem(item);
    }
    HASHLIST callersDiff;
    callersDiff.FromString(STRING(fields[3].c_str()));
    const LISTCHANGE::CALLERLOOKUP lookup = [&](const char *number, const char *, HASH &caller, STRING *position) {
        if (!number || !*number || number[0] % 2)
            return 0;
        caller = target;
        *position = "1";
        return 1;
    };
    const std::vector<int> changed = LISTCHANGE::RefreshItems(items, &callersDiff, &diff, lookup, taken);
    for (size_t i = 0; i < changed.size(); ++i) {
        Check(changed[i] >= 0 && changed[i] < items.NumItems());
        Check(i == 0 || changed[i] > changed[i - 1]);
    }
    // Taken again, nothing changes.
    Check(LISTCHANGE::RefreshItems(items, &callersDiff, &diff, lookup, taken).empty());

    // The active clients.
    CLIENTS active;
    HASHLIST clients;
    clients.FromString(STRING(fields[3].c_str()));
    for (int i = 0; i < clients.NumItems(); ++i)
        active.AddItem(*clients[i]);
    for (int i = 0; i < active.NumItems(); ++i) {
        CLIENTS::Prepare(*active[i], active.NewHandle());
        Check(active[i]->Handle != 0);
        Check(active[i]->NumKeys() >= CLIENTS::NUMDEFAULTS);
    }
    return 0;
}
