// Reads arbitrary bytes as a list of "UPDATELISTVIEW" parameter blocks ("Action", "Id", "Item",
// "Items", "State", as a server could send them) and runs each through the list code, with a
// small phone book and targets, a host that only counts what would reach the window, and
// "NumberOfEntries" from the block's "Entries" when it has one.  A block with "Archive" is the
// answer of an archive fill.  Nothing may crash, stop or break the list limit.
#include <cstddef>
#include <cstdint>

#include "client/itemview.h"
#include "client/listupdate.h"
#include "client/listupdatehost.h"
#include "client/popuprequest.h"
#include "common/callers.h"
#include "common/callitem.h"
#include "common/findbestmatchnumber.h"
#include "common/targets.h"
#include "kestar/base/hashlist.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

class COUNTINGHOST : public LISTUPDATEHOST {
public:
    STRING GetSetting(const char *name) override
    {
        STRING *value = nullptr;
        return Settings.Exists(name, &value) ? *value : STRING("");
    }
    STRING GetText(int id) override { return id == 3035 ? STRING("$NUMBER found") : STRING("text"); }
    STRING GetOwnClientName() override { return "anna@pc1"; }
    void PrepareCallItem(HASH &item) override { CALLITEM::Prepare(item); }
    void SetPeerLastId(const char *, const char *) override { ++Effects; }
    void SaveRecentCalls() override { ++Effects; }
    void QueueJob(const char *) override { ++Effects; }
    int DispatchFunction(const char *, const char *, HASH &, STRING &result, int, int) override
    {
        result = Answer;
        return 1;
    }
    void ReportCommError(const char *) override { ++Effects; }
    int IdentifyCaller(HASH &item, HASH &caller, STRING *keyPosition) override
    {
        const int idx = FindBestMatchNumber(Callers, item.Get("CallerNumber"), item.Get("CallerCanonical"), keyPosition);
        if (idx >= 0) {
            caller = *Callers[idx];
            return CALLER_PRIMARY;
        }
        // Any other number is found in the secondary file, with keys outside the schema.
        caller = HASH(STRING("Name=Other\nEmail=x@y\nNoPopup=0\n"));
        return CALLER_SECONDARY;
    }
    STRING GetCallerFrontend(HASH &item) override { return item.Get("CallerName"); }
    STRING GetTargetFrontend(HASH &item) override { return item.Get("TargetName"); }
    void FillPopupString(POPUPREQUEST &request, HASH &item, HASH *, DYNARRAY<HASH> &) override { request.Text = item.Get("Status"); }
    STRING BuildProgramCommandLine(int, HASH *, const char *, const char *, const char *) override { return "prog"; }
    void WakeupHarddisk() override { ++Effects; }
    void WakeupScreensaver() override { ++Effects; }
    void StartSound(const STRING &) override { ++Effects; }
    void StartProgram(const STRING &) override { ++Effects; }
    void SetClickProgram(const STRING &) override { ++Effects; }
    void SetTrayTooltip(const STRING &) override { ++Effects; }
    int GetTrayIcon() override { return Tray; }
    void SetTrayIcon(int id) override { Tray = id; }
    int IsWindowOnScreen() override { return 0; }
    void PostPopupRequest(POPUPREQUEST *request) override { delete request; }
    void PostWindowMessage(unsigned, uintptr_t, intptr_t) override { ++Effects; }
    void SendWindowMessage(unsigned, uintptr_t, intptr_t) override { ++Effects; }
    void UpdatePopup(HASH &, int) override { ++Effects; }
    void DoScrollLockBlinking(int) override { ++Effects; }
    int PrintFaxSendingReport(HASH &, int) override { return ++Effects, 1; }
    int AppendCallLog(const char *, int, HASH &) override { return ++Effects, 1; }
    void SetStatusText(const STRING &) override { ++Effects; }
    void ResetSearchBar() override { ++Effects; }
    void ItemToListview(ITEMVIEW &, int, int, int, int, int) override { ++Effects; }
    void RemoveRow(ITEMVIEW &, uint32_t) override { ++Effects; }
    void ClearListview(ITEMVIEW &) override { ++Effects; }
    void FillListview(ITEMVIEW &) override { ++Effects; }
    void AutoWidthListview(ITEMVIEW &) override { ++Effects; }

    HASH Settings;
    CALLERS Callers;
    STRING Answer;
    int Tray = 2090;
    long Effects = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    HASHLIST blocks(STRING::FromBytes(data, static_cast<STRING_SIZE_T>(size)));

    COUNTINGHOST host;
    host.Settings["PopupOpenMode"] = "2";
    host.Settings["RestoreOnCall"] = "1";
    host.Settings["MapiCallerSearch"] = "1";
    host.Settings["FaxSendAutoprint"] = "1";
    host.Settings["Logfile"] = "calls.txt";
    host.Settings["PopupHangupTimeToShow"] = "5";
    host.Callers.FromString(STRING("[#0]\nName=Anton\nNumber=0301\nSound=a.wav\nRunProg=x\n\n"
                                   "[#1]\nName=Berta\nNumberFax=+49 30 1234\nNoPopup=1\n\n"));
    for (int i = 0; i < host.Callers.NumItems(); ++i)
        CALLERS::Prepare(*host.Callers[i]);
    TARGETS targets;
    targets.FromString(STRING("[#0]\nNumber=100\nName=Office\nSound=o.wav\nRunProg=1\nProgClick=1\n\n"
                              "[#1]\nNumber=200\nName=Fax\nRunProg=1\nCustomIcon=300\n\n"));
    for (int i = 0; i < targets.NumItems(); ++i)
        TARGETS::Prepare(*targets[i], static_cast<uint32_t>(i + 1));
    ITEMVIEW current(nullptr, nullptr, 2002);
    ITEMVIEW archive(nullptr, nullptr, 2003);
    LISTUPDATE update(host, current, archive, targets);

    for (int i = 0; i < blocks.NumItems(); ++i) {
        HASH &params = *blocks[i];
        STRING *value = nullptr;
        host.Settings["NumberOfEntries"] = params.Exists("Entries", &value) ? *value : STRING("4");
        if (params.Exists("Archive", &value)) {
            host.Answer = *value;
            update.FillArchive("query");
            continue;
        }
        update.Handle(params);
        const int limit = LISTUPDATE::EntriesLimit(host.Settings["NumberOfEntries"]);
        HASHLIST &items = current.LockItems();
        Check(items.NumItems() <= limit);
        for (int k = 0; k < items.NumItems(); ++k)
            Check(items[k]->Exists("CallerName") && items[k]->Exists("TargetIcon"));
        current.UnlockItems();
    }
    return 0;
}
