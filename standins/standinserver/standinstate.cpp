// The stand-in server's data, its working folder and the rules for file names from clients.
#include "standins/standinserver/standinstate.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysfolder.h"

namespace {

// The data set's files.
const char kCallers[] = "callers.ini";
const char kTargets[] = "targets.ini";
const char kUsers[] = "clients.ini";
const char kItems[] = "calls.ini";
const char kOptions[] = "srvoptions.ini";
const char kHardware[] = "hardware.ini";
const char kLogons[] = "logons.ini";

const char *const kNumberKeys[] = {"Number", "NumberFax", "NumberMobile", "NumberOffice", "NumberData"};

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Files go through FILENAME, whose streams take this system's paths on every platform.
bool ReadWholeFile(const STRING &path, STRING &text)
{
    FILE *f = FILENAME::fsopen(path, "rb");
    if (!f)
        return false;
    text = "";
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.BINARY::Append(buffer, static_cast<STRING_SIZE_T>(got));
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Writes under a free name beside path and renames it into place, so that no reader ever sees
// half a file; false when any step failed (the old file then stays).
bool WriteWholeFile(const STRING &path, const char *data, size_t length)
{
    const FILENAME target(path);
    const FILENAME temp = target.TempNameBeside();
    if (temp.IsEmpty())
        return false;
    FILE *f = FILENAME::fsopen(temp.Text(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data, 1, length, f) == length;
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok)
        ok = temp.MoveTo(target, true);
    if (!ok)
        temp.Delete();
    return ok;
}

bool LoadRecord(const STRING &path, HASH &record)
{
    STRING text;
    if (!ReadWholeFile(path, text))
        return false;
    record = HASH(text);
    return true;
}

bool SaveRecord(const STRING &path, HASH &record)
{
    STRING text = record.ToString();
    text.Replace("\n", "\r\n");
    return WriteWholeFile(path, text.GetBuffer() ? text.GetBuffer() : "", static_cast<size_t>(text.Length()));
}

} // namespace

STANDINSTATE::STANDINSTATE() = default;

STRING STANDINSTATE::Path(const char *name) const
{
    return FILENAME(StateFolder, name).GetString();
}

bool STANDINSTATE::Open(const char *dataFolder, const char *stateFolder, int generatedCalls, int64_t now,
                        STRING &reason)
{
    FILENAME data(dataFolder);
    if (!data.IsDirectory()) {
        reason.Format("no data set in %s", data.Text());
        return false;
    }
    if (!OSYS::CreateDirectoryPath(stateFolder)) {
        reason.Format("cannot create the working folder %s", stateFolder);
        return false;
    }
    StateFolder = FILENAME(stateFolder).GetFullName().GetString();
    if (!OSYS::CopyFolder(data.Text(), StateFolder, "*", true, true)) {
        reason.Format("cannot copy %s into %s", data.Text(), static_cast<const char *>(StateFolder));
        return false;
    }
    OSYS::CreateDirectoryPath(Path("messages"));

    CRITSECTHOLD hold(lock);
    struct LIST {
        HASHLIST *List;
        const char *Name;
    } lists[] = {{&callers, kCallers}, {&targets, kTargets}, {&users, kUsers}, {&items, kItems}};
    for (LIST &l : lists) {
        l.List->DeleteAll();
        if (!FILENAME(Path(l.Name)).IsFile()) {
            reason.Format("cannot read %s", static_cast<const char *>(Path(l.Name)));
            return false;
        }
        STRING text;
        if (!ReadWholeFile(Path(l.Name), text)) {
            reason.Format("cannot read %s", static_cast<const char *>(Path(l.Name)));
            return false;
        }
        text.Replace("\r\n", "\n");
        l.List->FromString(text);
        // A file holding no record reads as one empty record: an empty list.
        if (l.List->NumItems() == 1 && (*l.List)[0]->NumKeys() == 0)
            l.List->DeleteAll();
    }
    if (!LoadRecord(Path(kOptions), options) || !LoadRecord(Path(kHardware), hardware)) {
        reason = "cannot read the options or the hardware flags";
        return false;
    }
    if (FILENAME(Path(kLogons)).IsFile())
        LoadRecord(Path(kLogons), logons);
    if (generatedCalls > 0)
        GenerateCalls(generatedCalls, now);
    ShiftTimes(now);
    return SaveList(items, kItems);
}

bool STANDINSTATE::IsSafeClientName(const char *name)
{
    if (!name || !*name)
        return false;
    STRING n(name);
    if (IsSeparator(n[0]) || n.PosChar(':') >= 0)
        return false;
    // Every component: no "..", nothing empty but a leading ".".
    STRING parts(n);
    parts.Replace("/", "\\");
    const int count = parts.NumTokens("\\");
    for (int i = 0; i < count; ++i) {
        STRING part = parts.Token(i, "\\", STRING_TOKEN_NOTNULL);
        STRING trimmed(part);
        trimmed.Trim('B', " .");
        if (part == "." && i == 0)
            continue;
        // ".." and names Windows reads as "..": dots and blanks only.
        if (part.IsEmpty() || trimmed.IsEmpty())
            return false;
    }
    return true;
}

bool STANDINSTATE::ResolveClientFile(const char *name, STRING &path) const
{
    if (!IsSafeClientName(name))
        return false;
    STRING rel(name);
    rel.Replace("/", "\\");
    if (rel.Left(2) == ".\\")
        rel.DeleteLeft(2);
    path = FILENAME(StateFolder, rel).GetString();
    return true;
}

HASHLIST STANDINSTATE::Callers()
{
    CRITSECTHOLD hold(lock);
    return HASHLIST(callers);
}

HASHLIST STANDINSTATE::Targets()
{
    CRITSECTHOLD hold(lock);
    return HASHLIST(targets);
}

HASHLIST STANDINSTATE::Users()
{
    CRITSECTHOLD hold(lock);
    return HASHLIST(users);
}

HASH STANDINSTATE::Options()
{
    CRITSECTHOLD hold(lock);
    return HASH(options);
}

HASH STANDINSTATE::Hardware()
{
    CRITSECTHOLD hold(lock);
    return HASH(hardware);
}

bool STANDINSTATE::SaveList(HASHLIST &list, const char *name)
{
    if (StateFolder.IsEmpty())
        return true;
    STRING text = list.ToString();
    text.Replace("\n", "\r\n");
    if (WriteWholeFile(Path(name), text.GetBuffer() ? text.GetBuffer() : "", static_cast<size_t>(text.Length())))
        return true;
    LOGIT::Printf("STANDINSTATE saving %s failed\n", name);
    return false;
}

bool STANDINSTATE::SetCallers(const HASHLIST &list)
{
    CRITSECTHOLD hold(lock);
    callers = list;
    return SaveList(callers, kCallers);
}

bool STANDINSTATE::SetTargets(const HASHLIST &list)
{
    CRITSECTHOLD hold(lock);
    targets = list;
    // Records without a handle get one, as the client's lists expect.
    for (STRING_SIZE_T i = 0; i < targets.NumItems(); ++i)
        if (targets[i]->Handle == 0)
            targets[i]->Handle = targets.NewHandle();
    return SaveList(targets, kTargets);
}

bool STANDINSTATE::SetUsers(const HASHLIST &list)
{
    CRITSECTHOLD hold(lock);
    users = list;
    for (STRING_SIZE_T i = 0; i < users.NumItems(); ++i)
        if (users[i]->Handle == 0)
            users[i]->Handle = users.NewHandle();
    return SaveList(users, kUsers);
}

bool STANDINSTATE::SetOptions(const HASH &newOptions)
{
    CRITSECTHOLD hold(lock);
    options = newOptions;
    return StateFolder.IsEmpty() || SaveRecord(Path(kOptions), options);
}

bool STANDINSTATE::AddCaller(const HASH &caller)
{
    CRITSECTHOLD hold(lock);
    callers.AddItem(caller);
    return SaveList(callers, kCallers);
}

bool STANDINSTATE::SaveOneTarget(const HASH &target)
{
    CRITSECTHOLD hold(lock);
    HASH copy(target);
    STRING *number = nullptr;
    copy.Exists("Number", &number);
    const int idx = number ? targets.FindValue("Number", *number, 1) : -1;
    if (idx >= 0) {
        if (copy.Handle == 0)
            copy.Handle = targets[idx]->Handle;
        *targets[idx] = copy;
    } else {
        if (copy.Handle == 0)
            copy.Handle = targets.NewHandle();
        targets.AddItem(copy);
    }
    return SaveList(targets, kTargets);
}

bool STANDINSTATE::FindTarget(const char *number, HASH &out)
{
    CRITSECTHOLD hold(lock);
    const int idx = targets.FindValue("Number", number, 1);
    if (idx < 0)
        return false;
    out = *targets[idx];
    return true;
}

STRING STANDINSTATE::CanonicalNumber(const char *number, const char *country)
{
    STRING n(number ? number : "");
    n.RemoveChars(" /-()");
    n.Replace("+", "00");
    if (country && *country) {
        STRING international("00");
        international += country;
        if (n.Length() > international.Length() && n.Left(international.Length()) == international)
            n = STRING("0") + n.Mid(international.Length());
    }
    return n;
}

bool STANDINSTATE::FindCaller(const char *number, HASH &out)
{
    CRITSECTHOLD hold(lock);
    STRING *country = nullptr;
    options.Exists("LocalCountry", &country);
    const char *cc = country ? static_cast<const char *>(*country) : "49";
    const STRING wanted = CanonicalNumber(number, cc);
    if (wanted.IsEmpty())
        return false;
    for (STRING_SIZE_T i = 0; i < callers.NumItems(); ++i) {
        HASH &c = *callers[i];
        for (const char *key : kNumberKeys) {
            STRING *value = nullptr;
            if (c.Exists(key, &value) && value && value->NotEmpty() && CanonicalNumber(*value, cc) == wanted) {
                out = c;
                return true;
            }
        }
    }
    return false;
}

bool STANDINSTATE::SetForwarding(const char *number, const char *type, const char *mode, const char *dest,
                                 HASH &target)
{
    STRING t(type ? type : "");
    const char *doKey = nullptr;
    const char *toKey = nullptr;
    if (t == "UNCONDITIONAL") {
        doKey = "DoUnconditionalForwarding";
        toKey = "ForwardUnconditionalTo";
    } else if (t == "BUSY") {
        doKey = "DoBusyForwarding";
        toKey = "ForwardBusyTo";
    } else if (t == "NOREPLY") {
        doKey = "DoNoreplyForwarding";
        toKey = "ForwardNoreplyTo";
    } else {
        return false;
    }
    CRITSECTHOLD hold(lock);
    const int idx = targets.FindValue("Number", number, 1);
    if (idx < 0)
        return false;
    HASH &rec = *targets[idx];
    const bool on = STRING(mode ? mode : "") == "ACTIVATE";
    rec[doKey] = on ? "1" : "0";
    if (on)
        rec[toKey] = dest ? dest : "";
    // The state the exchange reports, as the forwarding dialog shows it.
    HASH remote;
    STRING *prior = nullptr;
    if (rec.Exists("ForwardLastRemoteState", &prior) && prior && prior->NotEmpty())
        remote = HASH(*prior);
    remote[t] = on ? STRING(dest ? dest : "") : STRING("");
    rec["ForwardLastRemoteState"] = remote.ToString();
    target = rec;
    return SaveList(targets, kTargets);
}

bool STANDINSTATE::FindUser(const char *from, HASH &out)
{
    STRING name(from ? from : "");
    STRING user = name.Token(0, "@", STRING_TOKEN_NOTNULL);
    CRITSECTHOLD hold(lock);
    int idx = name.NotEmpty() ? users.FindValue("Name", name, 1) : -1;
    if (idx < 0 && user.NotEmpty())
        idx = users.FindValue("Name", user, 1);
    if (idx < 0)
        idx = users.FindValue("Name", "*", 1);
    if (idx < 0)
        return false;
    out = *users[idx];
    return true;
}

bool STANDINSTATE::FirstLogon(const char *userName)
{
    CRITSECTHOLD hold(lock);
    STRING key("User.");
    key += userName ? userName : "";
    if (logons.FindKey(key) >= 0)
        return false;
    logons[key] = "1";
    if (StateFolder.NotEmpty())
        SaveRecord(Path(kLogons), logons);
    return true;
}

HASHLIST STANDINSTATE::Items(int maxNumber, uint32_t firstId, bool archived)
{
    CRITSECTHOLD hold(lock);
    std::vector<HASH *> chosen;
    for (STRING_SIZE_T i = 0; i < items.NumItems(); ++i) {
        HASH *item = items[i];
        STRING *value = nullptr;
        const bool isArchived = item->Exists("Archived", &value) && value && *value == "1";
        if (archived ? isArchived : (!isArchived && item->Handle >= firstId))
            chosen.push_back(item);
    }
    std::sort(chosen.begin(), chosen.end(), [](HASH *a, HASH *b) { return a->Handle < b->Handle; });
    size_t first = 0;
    if (!archived && maxNumber > 0 && chosen.size() > static_cast<size_t>(maxNumber))
        first = chosen.size() - static_cast<size_t>(maxNumber);
    HASHLIST out;
    for (size_t i = first; i < chosen.size(); ++i)
        out.AddItem(*chosen[i]);
    return out;
}

bool STANDINSTATE::GetItem(uint32_t id, HASH &out)
{
    CRITSECTHOLD hold(lock);
    const int idx = items.FindHandle(id);
    if (idx < 0)
        return false;
    out = *items[idx];
    return true;
}

uint32_t STANDINSTATE::AddItem(HASH &item)
{
    CRITSECTHOLD hold(lock);
    item.Handle = items.NumItems() > 0 ? items.NewHandle() : 1001;
    items.AddItem(item);
    return SaveList(items, kItems) ? item.Handle : 0;
}

bool STANDINSTATE::SetItemValue(uint32_t id, const char *name, const char *value, HASH &out)
{
    HASH values;
    values[name] = value ? value : "";
    return SetItemValues(id, values, out);
}

bool STANDINSTATE::SetItemValues(uint32_t id, const HASH &values, HASH &out)
{
    CRITSECTHOLD hold(lock);
    const int idx = items.FindHandle(id);
    if (idx < 0)
        return false;
    HASH copy(values);
    items[idx]->Merge(copy);
    out = *items[idx];
    SaveList(items, kItems);
    return true;
}

int STANDINSTATE::DeleteItems(const STRINGARRAY &ids)
{
    CRITSECTHOLD hold(lock);
    int deleted = 0;
    STRINGARRAY &list = const_cast<STRINGARRAY &>(ids);
    for (STRING_SIZE_T i = 0; i < list.NumItems(); ++i) {
        const int idx = items.FindHandle(static_cast<uint32_t>(list[i]->ToULong()));
        if (idx >= 0) {
            items.DeleteItem(idx);
            ++deleted;
        }
    }
    if (deleted)
        SaveList(items, kItems);
    return deleted;
}

STRING STANDINSTATE::StoreMessageFile(const char *prefix, const char *extension, const STRING &data)
{
    CRITSECTHOLD hold(lock);
    for (int n = 1; n < 100000; ++n) {
        STRING rel;
        rel.Format("messages\\%s%05d.%s", prefix, n, extension);
        FILENAME file(StateFolder, rel);
        if (file.Exists())
            continue;
        if (!WriteWholeFile(file.GetString(), data.GetBuffer() ? data.GetBuffer() : "", static_cast<size_t>(data.Length())))
            return STRING("");
        return STRING(".\\") + rel;
    }
    return STRING("");
}

void STANDINSTATE::GenerateCalls(int count, int64_t now)
{
    // Calls spread over the day before the data set's own, callers and targets taken in turn.
    const char *const states[] = {"DROPPED|0:12", "MESSAGE|1", "IGNORED", "REJECTED_SOFT", "OTHER"};
    for (int i = 0; i < count; ++i) {
        HASH item;
        HASH *caller = callers.NumItems() > 0 ? callers[i % callers.NumItems()] : nullptr;
        HASH *target = targets.NumItems() > 0 ? targets[i % targets.NumItems()] : nullptr;
        STRING *value = nullptr;
        item["Type"] = "SOUND";
        item["Status"] = states[i % 5];
        item["LTime"] = STRING(static_cast<long long>(now - 86400 - 600LL * (count - i)));
        item["CallerNumber"] = (caller && caller->Exists("Number", &value) && value) ? *value : STRING("<unknown>");
        item["CallerCanonical"] = item["CallerNumber"];
        item["TargetNumber"] = (target && target->Exists("Number", &value) && value) ? *value : STRING("");
        item["InProgress"] = "0";
        item["Archived"] = "0";
        item["MsgSeen"] = "1";
        item.Handle = items.NumItems() > 0 ? items.NewHandle() : 1001;
        items.AddItem(item);
    }
}

void STANDINSTATE::ShiftTimes(int64_t now)
{
    int64_t newest = 0;
    for (STRING_SIZE_T i = 0; i < items.NumItems(); ++i) {
        STRING *t = nullptr;
        if (items[i]->Exists("LTime", &t) && t)
            newest = std::max<int64_t>(newest, t->ToInt64());
    }
    if (newest == 0)
        return;
    const int64_t shift = (now - 60) - newest;
    for (STRING_SIZE_T i = 0; i < items.NumItems(); ++i) {
        STRING *t = nullptr;
        if (items[i]->Exists("LTime", &t) && t)
            *t = STRING(static_cast<long long>(t->ToInt64() + shift));
    }
}
