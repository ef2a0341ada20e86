// The differences of record lists and the call items they touch (see listchange.h).
#include "client/listchange.h"

#include <cstring>

#include "common/findbestmatchnumber.h"

namespace {

// A value of record; empty when it has none.
STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

// The same bytes (STRING's own equality ignores case).
bool SameBytes(const STRING &a, const STRING &b)
{
    if (a.Length() != b.Length())
        return false;
    const char *pa = a;
    const char *pb = b;
    return a.Length() == 0 || (pa && pb && std::memcmp(pa, pb, static_cast<size_t>(a.Length())) == 0);
}

// Sets name to value, adding it to a closed record too; true when the value changed.
bool Change(HASH &record, const char *name, const STRING &value)
{
    STRING *old = nullptr;
    if (record.Exists(name, &old) && old && !old->IsNull() && SameBytes(*old, value))
        return false;
    const int locked = record.AllowNewKeys(1);
    record[name] = value;
    record.AllowNewKeys(!locked);
    return true;
}

// Whether list holds a record whose "Number" equals number (case ignored).
bool HasNumber(HASHLIST &list, const STRING &number)
{
    for (int i = 0; i < list.NumItems(); ++i)
        if (Value(*list[i], "Number") == number)
            return true;
    return false;
}

} // namespace

void LISTCHANGE::DiffRecordLists(HASHLIST &a, HASHLIST &b, HASHLIST &out)
{
    a.Lock();
    b.Lock();
    out.Lock();
    std::vector<STRING> textsB;
    std::vector<STRING> namesB;
    for (int j = 0; j < b.NumItems(); ++j) {
        textsB.push_back(b[j]->ToString());
        namesB.push_back(Value(*b[j], "Name"));
    }
    for (int i = a.NumItems() - 1; i >= 0; --i) {
        const STRING name = Value(*a[i], "Name");
        const STRING text = a[i]->ToString();
        for (size_t j = 0; j < textsB.size(); ++j) {
            // Names ignore case (STRING's equality); the text form is compared byte for byte.
            if (namesB[j] == name && SameBytes(textsB[j], text)) {
                a.DeleteItem(i);
                b.DeleteItem(static_cast<int>(j));
                textsB.erase(textsB.begin() + static_cast<long>(j));
                namesB.erase(namesB.begin() + static_cast<long>(j));
                break;
            }
        }
    }
    out.DeleteAll();
    for (int i = 0; i < a.NumItems(); ++i)
        out.AddItem(*a[i]);
    for (int j = 0; j < b.NumItems(); ++j)
        out.AddItem(*b[j]);
    out.Unlock();
    b.Unlock();
    a.Unlock();
}

void LISTCHANGE::TakeServerTargets(TARGETS &targets, HASHLIST &received)
{
    targets.Lock();
    received.Lock();
    targets.DeleteAll();
    for (int i = 0; i < received.NumItems(); ++i) {
        HASH target(*received[i]);
        Change(target, "RunProg", STRING("0"));
        Change(target, "Program", STRING(""));
        Change(target, "ProgParm", STRING(""));
        target.Handle = 0;
        targets.AddItem(target);
    }
    for (int i = 0; i < targets.NumItems(); ++i)
        TARGETS::Prepare(*targets[i], targets.NewHandle());
    received.Unlock();
    targets.Unlock();
}

std::vector<int> LISTCHANGE::RefreshItems(HASHLIST &items, HASHLIST *callersDiff, HASHLIST *targetsDiff,
                                          const CALLERLOOKUP &lookup, TARGETS &targets)
{
    std::vector<int> changed;
    if (callersDiff)
        callersDiff->Lock();
    if (targetsDiff)
        targetsDiff->Lock();
    for (int i = 0; i < items.NumItems(); ++i) {
        HASH &item = *items[i];
        bool itemChanged = false;
        if (callersDiff) {
            const STRING number = Value(item, "CallerNumber");
            const STRING canonical = Value(item, "CallerCanonical");
            if (FindBestMatchNumber(*callersDiff, number, canonical.NotEmpty() ? static_cast<const char *>(canonical) : nullptr,
                                    nullptr) != -1) {
                HASH caller;
                STRING position("0");
                STRING name(""), icon("0");
                if (lookup && lookup(number, canonical, caller, &position)) {
                    name = Value(caller, "Name");
                    const STRING custom = Value(caller, "CustomIcon");
                    if (custom.NotEmpty())
                        icon = custom;
                } else {
                    HASH additional(Value(item, "CallerAdditionalInfo"));
                    name = Value(additional, "Name");
                    position = "0";
                }
                itemChanged |= Change(item, "CallerName", name);
                itemChanged |= Change(item, "CallerIcon", icon);
                itemChanged |= Change(item, "CallerSubtype", position);
            }
        }
        if (targetsDiff) {
            const STRING number = Value(item, "TargetNumber");
            if (HasNumber(*targetsDiff, number)) {
                STRING name(""), icon("0");
                targets.Lock();
                for (int t = 0; t < targets.NumItems(); ++t) {
                    if (Value(*targets[t], "Number") == number) {
                        name = Value(*targets[t], "Name");
                        const STRING custom = Value(*targets[t], "CustomIcon");
                        if (custom.NotEmpty() && static_cast<int>(custom) != 0)
                            icon = custom;
                        break;
                    }
                }
                targets.Unlock();
                itemChanged |= Change(item, "TargetName", name);
                itemChanged |= Change(item, "TargetIcon", icon);
            }
        }
        if (itemChanged)
            changed.push_back(i);
    }
    if (targetsDiff)
        targetsDiff->Unlock();
    if (callersDiff)
        callersDiff->Unlock();
    return changed;
}
