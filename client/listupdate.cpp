// LISTUPDATE: the server's list updates (see listupdate.h).
#include "client/listupdate.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "client/appmessages.h"
#include "client/itemview.h"
#include "client/listupdatehost.h"
#include "client/popuprequest.h"
#include "common/callers.h"
#include "common/commandnames.h"
#include "common/targets.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/logit.h"

namespace {

const int kTrayOnline = 2090;
const int kTrayMissed = 2091;
const int kTrayNewMessage = 2092;

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

// A value of a record that may lack it (received records, records closed against new keys):
// empty when absent, never added.
STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

// A flag counts as set when its text reads as a non-zero number.
bool Flag(const STRING &text)
{
    return static_cast<int>(text) != 0;
}

// Sets name of a record that was prepared (the name exists); a record without it gets it added
// for this one write and is closed again.
void SetValue(HASH &record, const char *name, const STRING &value)
{
    STRING *stored = nullptr;
    if (record.Exists(name, &stored) && stored) {
        *stored = value;
        return;
    }
    const int locked = record.AllowNewKeys(1);
    record[name] = value;
    record.AllowNewKeys(!locked);
}

// A number setting; fallback when it is no number.
int NumberSetting(const STRING &text, int fallback)
{
    STRING trimmed(text);
    trimmed.Trim('B', " \t");
    if (trimmed.IsEmpty())
        return fallback;
    const char *p = trimmed;
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(p, &end, 10);
    if (end == p || *end != '\0' || errno == ERANGE || value < -2147483647L || value > 2147483647L)
        return fallback;
    return static_cast<int>(value);
}

// The caller record as additional info: without the keys of the caller schema other than "Name"
// and "Number", so it keeps those two and every key outside the schema.
STRING AdditionalInfo(HASH &caller)
{
    HASH info(caller);
    info.AllowNewKeys(1);
    for (int i = 0; i < CALLERS::NUMKEYS; ++i) {
        const STRING key(CALLERS::KEYS[i]);
        if (key == "Name" || key == "Number")
            continue;
        info.DeleteKey(CALLERS::KEYS[i]);
    }
    info.Handle = 0;
    return info.ToString();
}

} // namespace

std::atomic<int> LISTUPDATE::ArchiveWaitMs{300000};
std::atomic<int> LISTUPDATE::ScrollLockOffMs{1000};

LISTUPDATE::LISTUPDATE(LISTUPDATEHOST &host, ITEMVIEW &current, ITEMVIEW &archive, TARGETS &targets)
    : Host(host), Current(current), ArchiveView(archive), Targets(targets)
{
}

int LISTUPDATE::EntriesLimit(const STRING &text)
{
    const int limit = NumberSetting(text, 1);
    return limit < 1 ? 1 : limit;
}

bool LISTUPDATE::IsJobType(const STRING &type)
{
    return type == "FAXCALL" || type == "FAXPOLL" || type == "SMSCALL" || type == "MAILCALL";
}

bool LISTUPDATE::IsHangupStatus(const STRING &status)
{
    const STRING first = status.Token(0, " |", STRING_TOKEN_NOTNULL);
    return first == "DROPPED" || status == "IGNORED" || status == "REJECTED_HARD" || status == "REJECTED_SOFT";
}

uint32_t LISTUPDATE::ParseId(const STRING &text)
{
    STRING trimmed(text);
    trimmed.Trim('B', " \t\r\n");
    if (trimmed.IsEmpty())
        return 0;
    const char *p = trimmed;
    if (*p < '0' || *p > '9')
        return 0;
    char *end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(p, &end, 10);
    if (*end != '\0' || errno == ERANGE || value > 0xFFFFFFFFull)
        return 0;
    return static_cast<uint32_t>(value);
}

void LISTUPDATE::Handle(HASH &params)
{
    const STRING action = Value(params, "Action");
    STRING idText = Value(params, "Id");
    if (idText.IsEmpty())
        idText = "0";
    LOGIT::Printf("APP::HandleClientFunction UPDATELISTVIEW action=%s, id=%s\n", Text(action), Text(idText));
    if (action == "CREATE") {
        HASH item(Value(params, "Item"));
        const STRING sender = Value(params, "Sender");
        Create(Current, item, ParseId(idText), sender.NotEmpty() ? static_cast<const char *>(sender) : nullptr, 0);
    } else if (action == "CHANGE") {
        HASH item(Value(params, "Item"));
        Change(item, ParseId(idText), 0);
    } else if (action == "MULTICHANGE") {
        HASHLIST items(Value(params, "Items"));
        for (int i = 0; i < items.NumItems(); ++i) {
            HASH item(*items[i]);
            Change(item, item.Handle, 0);
        }
    } else if (action == "DELETE") {
        Delete(idText);
    } else if (action == "ARCHIVE") {
        Archive(Value(params, "State"), idText);
    } else {
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, Text(action), 0);
    }
}

int LISTUPDATE::Create(ITEMVIEW &view, HASH &item, uint32_t id, const char *sender, int quiet)
{
    const bool current = &view == &Current;
    LOGIT::Printf("APP::UpdateListviewCreate id=%lu, sender=%s, quiet=%d, current=%d\n", static_cast<unsigned long>(id),
                  sender ? sender : "<NULL>", quiet, current ? 1 : 0);
    // 1: the item under the items lock.
    HASHLIST &items = view.LockItems();
    Host.PrepareCallItem(item);
    if (!quiet)
        Host.WakeupHarddisk();
    // 2.
    if (sender && *sender)
        Host.SetPeerLastId(sender, STRING(static_cast<unsigned long>(id)));

    // 3, 4: the caller (jobs are looked up in the phone book only).
    const STRING type = Value(item, "Type");
    const bool job = IsJobType(type);
    const STRING number = Value(item, "CallerNumber");
    const STRING canonical = Value(item, "CallerCanonical");
    HASH caller;
    STRING keyPosition("");
    const int source = Host.IdentifyCaller(item, caller, &keyPosition);
    const bool found = source != LISTUPDATEHOST::CALLER_NONE;
    const bool otherSource = source == LISTUPDATEHOST::CALLER_MAPI || source == LISTUPDATEHOST::CALLER_SECONDARY;
    if (found) {
        CALLERS::Prepare(caller);
        SetValue(item, "CallerName", Value(caller, "Name"));
        const STRING icon = Value(caller, "CustomIcon");
        SetValue(item, "CallerIcon", icon.NotEmpty() ? icon : STRING("0"));
        SetValue(item, "CallerSubtype", keyPosition);
        if (otherSource)
            SetValue(item, "CallerAdditionalInfo", AdditionalInfo(caller));
    }

    // 5: the target, under TARGETS' lock (inside the items lock).
    Targets.Lock();
    int targetIndex = -1;
    const STRING targetNumber = Value(item, "TargetNumber");
    for (int i = 0; i < Targets.NumItems(); ++i) {
        if (Value(*Targets[i], "Number") == targetNumber) {
            targetIndex = i;
            break;
        }
    }
    HASH *target = targetIndex >= 0 ? Targets[targetIndex] : nullptr;
    if (target) {
        SetValue(item, "TargetName", Value(*target, "Name"));
        const STRING icon = Value(*target, "CustomIcon");
        if (Flag(icon))
            SetValue(item, "TargetIcon", icon);
    }

    // 6.
    if (!quiet && Flag(Host.GetSetting("WakeupScreensaver")))
        Host.WakeupScreensaver();

    // 7: make room, then append.  The archive list has no limit.
    if (current) {
        const int limit = EntriesLimit(Host.GetSetting("NumberOfEntries"));
        while (items.NumItems() > 0 && items.NumItems() >= limit)
            RemoveItem(view, 0);
    }
    if (id != 0)
        item.Handle = id;
    items.AddItem(item);
    const int index = items.NumItems() - 1;
    HASH &stored = *items[index];
    if (current && !quiet)
        Host.SaveRecentCalls();

    // 8: announce a live call.
    const bool noPopup = found && Flag(Value(caller, "NoPopup"));
    if (!quiet && !job) {
        STRING sounds = target ? Value(*target, "Sound") : STRING("");
        const STRING callerSound = found ? Value(caller, "Sound") : STRING("");
        if (callerSound.NotEmpty()) {
            if (sounds.NotEmpty())
                sounds += "\t";
            sounds += callerSound;
        }
        if (sounds.NotEmpty())
            Host.StartSound(sounds);

        STRING tooltip = Host.GetText(10001);
        tooltip += " - ";
        tooltip += Host.GetCallerFrontend(stored);
        tooltip += " -> ";
        tooltip += Host.GetTargetFrontend(stored);
        Host.SetTrayTooltip(tooltip);

        const int mode = NumberSetting(Host.GetSetting("PopupOpenMode"), 0);
        if ((mode == 2 || (mode == 1 && !Host.IsWindowOnScreen())) && !noPopup) {
            std::unique_ptr<POPUPREQUEST> request(new POPUPREQUEST);
            request->ItemIndex = index;
            request->TargetIndex = targetIndex;
            request->HasCaller = found ? 1 : 0;
            if (found)
                request->Caller = caller;
            Host.FillPopupString(*request, stored, target, items);
            Host.PostPopupRequest(request.release());
        }

        if (target && Flag(Value(*target, "RunProg"))) {
            const STRING line = Host.BuildProgramCommandLine(targetIndex, found ? &caller : nullptr, canonical, number, type);
            if (Flag(Value(*target, "ProgClick")))
                Host.SetClickProgram(line);
            else
                Host.StartProgram(line);
        }
        if (found) {
            STRING program = Value(caller, "RunProg");
            program.Trim('B', " \t");
            if (program.NotEmpty())
                Host.StartProgram(program);
        }
    }
    Targets.Unlock();

    // 9: the row, and the window brought forward on the new record.
    if (!quiet) {
        // A new message or fax changes the unread counts of the target tree.
        Host.ItemToListview(view, index, 1, type == "MESSAGE" || type == "FAX" ? 1 : 0, 1, 0);
        if (Flag(Host.GetSetting("RestoreOnCall")) && !noPopup)
            Host.PostWindowMessage(APPMSG::TASKBARNOTIFY, 0, APPMSG::LBUTTONDBLCLK);
        Host.PostWindowMessage(APPMSG::LASTRECORDFOCUS, stored.Handle, 0);
    }
    view.UnlockItems();
    LOGIT::Printf("APP::UpdateListviewCreate done, idx=%d, handle=%lu\n", index, static_cast<unsigned long>(stored.Handle));
    return index;
}

int LISTUPDATE::Change(HASH &newItem, uint32_t id, int quiet)
{
    LOGIT::Printf("APP::UpdateListviewChange id=%lu, quiet=%d\n", static_cast<unsigned long>(id), quiet);
    if (id != newItem.Handle) {
        char info[64];
        snprintf(info, sizeof(info), "id=%lu, handle=%lu", static_cast<unsigned long>(id),
                 static_cast<unsigned long>(newItem.Handle));
        LOGIT::Assert(0, "id==(int)newitem.GetHandle()", __FILE__, __LINE__, info, 0);
        return 0;
    }
    HASHLIST &items = Current.LockItems();
    const int idx = Current.FindItemIdx(id, 0);
    if (idx == -1) {
        Current.UnlockItems();
        if (quiet) {
            // The logon merge: the server knows an item this list lost; take it as new.
            Create(Current, newItem, id, nullptr, 1);
            return 1;
        }
        LOGIT::Printf("APP::UpdateListviewChange id=%lu is not in the list, skipped\n", static_cast<unsigned long>(id));
        return 0;
    }
    HASH &stored = *items[idx];
    // The record as it will be: the stored one with the new values over it.
    HASH merged(stored);
    merged.AllowNewKeys(1);
    merged.Merge(newItem);

    const STRING oldStatus = Value(stored, "Status");
    const STRING newStatus = Value(merged, "Status");
    const STRING oldType = Value(stored, "Type");
    const STRING type = Value(merged, "Type");
    const bool oldInProgress = Value(stored, "InProgress") != "0";
    const bool ended = oldInProgress && Value(merged, "InProgress") == "0";
    if (!quiet) {
        // 2: the pop-up of a call that stops ringing closes after the time for its outcome.
        if (oldStatus == "RINGING" && newStatus != "RINGING") {
            const char *key = IsHangupStatus(newStatus) ? "PopupHangupTimeToShow" : "PopupAnsweredTimeToShow";
            const int seconds = NumberSetting(Host.GetSetting(key), -1);
            LOGIT::Printf("APP::UpdateListviewChange ringing ended, status=%s, %s=%d\n", Text(newStatus), key, seconds);
            Host.UpdatePopup(merged, seconds);
            if (Host.GetTrayIcon() == kTrayOnline && !Host.IsWindowOnScreen() && newStatus != "OTHER")
                Host.SetTrayIcon(kTrayMissed);
        }
        // 3: the unread state.
        if (newStatus == "ANNOUNCEPLAYED" && oldStatus != "ANNOUNCEPLAYED" && !Host.IsWindowOnScreen())
            Host.SetTrayIcon(kTrayMissed);
        if (type == "MESSAGE" && oldType != "MESSAGE") {
            Host.SetTrayIcon(kTrayNewMessage);
            Host.DoScrollLockBlinking(1);
        }
        // 4: the report of a sent fax, once, when its job has ended.
        STRING *owner = nullptr;
        if (Flag(Host.GetSetting("FaxSendAutoprint")) && type == "FAXCALL" && ended &&
            Value(merged, "TransmissionInfo").NotEmpty() && merged.Exists("OwnerClient", &owner) && owner &&
            *owner == Host.GetOwnClientName())
            Host.PrintFaxSendingReport(merged, 0);
    }

    // 5: the copy takes new keys too, so the stored record is opened for it.
    const int locked = stored.AllowNewKeys(1);
    stored.Merge(newItem);
    stored.AllowNewKeys(!locked);
    if (!quiet) {
        const bool message = type == "MESSAGE" || type == "FAX";
        Host.ItemToListview(Current, idx, 0, message ? 1 : 0, 0, 0);
        if (Current.GetNumberOfUnreadMsgs() == 0)
            Host.DoScrollLockBlinking(0);
        if (ended)
            Host.AppendCallLog(Host.GetSetting("Logfile"), Flag(Host.GetSetting("LogfileCsv")) ? 1 : 0, stored);
        Host.SaveRecentCalls();
    }
    Current.UnlockItems();
    return 1;
}

void LISTUPDATE::RemoveItem(ITEMVIEW &view, int index)
{
    HASHLIST &items = view.LockItems();
    if (index < 0 || index >= items.NumItems()) {
        char info[32];
        snprintf(info, sizeof(info), "%d/%d", index, static_cast<int>(items.NumItems()));
        LOGIT::Assert(0, "idx>=0 && idx<items.NumItems()", __FILE__, __LINE__, info, 0);
        view.UnlockItems();
        return;
    }
    const uint32_t handle = items[index]->Handle;
    items.DeleteItem(index);
    Host.RemoveRow(view, handle);
    view.UnlockItems();
}

void LISTUPDATE::RemoveItems(const char *ids)
{
    const STRING list(ids ? ids : "");
    HASHLIST &items = Current.LockItems();
    bool messageRemoved = false;
    const int count = list.NumTokens("|");
    for (int i = 0; i < count; ++i) {
        const uint32_t handle = ParseId(list.Token(i, "|", STRING_TOKEN_NOTNULL));
        const int idx = handle ? Current.FindItemIdx(handle, 0) : -1;
        if (idx == -1)
            continue;
        const STRING type = Value(*items[idx], "Type");
        if (type == "MESSAGE" || type == "FAX")
            messageRemoved = true;
        RemoveItem(Current, idx);
    }
    Host.SaveRecentCalls();
    Host.AutoWidthListview(Current);
    if (messageRemoved)
        Host.QueueJob("QUEUED_FILLTREEVIEW");
    if (Current.GetNumberOfUnreadMsgs() == 0)
        Host.DoScrollLockBlinking(0);
    Current.UnlockItems();
}

void LISTUPDATE::Delete(const char *ids)
{
    LOGIT::Printf("APP::UpdateListviewDelete ids=%s\n", ids ? ids : "<NULL>");
    RemoveItems(ids);
}

void LISTUPDATE::Archive(const char *state, const char *ids)
{
    LOGIT::Printf("APP::UpdateListviewArchive state=%s, ids=%s\n", state ? state : "<NULL>", ids ? ids : "<NULL>");
    if (!state || STRING(state) != "1") {
        LOGIT::Assert(0, "state==\"1\"", __FILE__, __LINE__, state, 0);
        return;
    }
    // The archive view fetches them from the server when it is opened.
    RemoveItems(ids);
}

void LISTUPDATE::FillArchive(const char *query)
{
    LOGIT::Printf("APP::FillArchiveListview query=%s\n", query ? query : "<NULL>");
    Host.SendWindowMessage(APPMSG::PLEASEWAITDLGOPEN, 0, reinterpret_cast<intptr_t>(&ArchiveStop));
    ArchiveView.LockItems();
    ArchiveView.Items.DeleteAll();
    Host.ClearListview(ArchiveView);
    ArchiveView.UnlockItems();

    HASH params;
    params["ExecSql"] = query ? query : "";
    STRING result;
    if (Host.DispatchFunction(PLXPEER::SERVER, PLXCMD::GETITEMS, params, result, 1,
                              ArchiveWaitMs.load())) {
        if (result.GetLine(0) == PLXRESULT::OK && result.GetLine(1) != PLXRESULT::NONE) {
            HASHLIST list(result.GetLine(1, true));
            STRING status = Host.GetText(3035);
            status.Replace("$NUMBER", STRING(static_cast<int>(list.NumItems())));
            Host.SetStatusText(status);
            const STRING wait = Host.GetText(3038);
            Host.SendWindowMessage(APPMSG::PLEASEWAITDLGSETTEXT, reinterpret_cast<uintptr_t>(static_cast<const char *>(wait)), 0);
            for (int i = 0; i < list.NumItems() && !ArchiveStop; ++i) {
                HASH item(*list[i]);
                Create(ArchiveView, item, item.Handle, nullptr, 1);
            }
            if (!ArchiveStop)
                Host.FillListview(ArchiveView);
        }
    } else {
        Host.ReportCommError("DispatchFunction GETITEMS for archive data failed");
    }
    Host.ResetSearchBar();
    Host.SendWindowMessage(APPMSG::PLEASEWAITDLGCLOSE, 0, 0);
    LOGIT::Printf("APP::FillArchiveListview done, stopped=%d\n", ArchiveStop);
    ArchiveStop = 0;
}
