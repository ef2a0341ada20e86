// LISTUPDATE: the server's list updates on the real item store, with a host that records what
// would reach the window (pop-ups, rows, tray, sounds, programs, posted and sent messages) and a
// fixed string table.
#include "client/listupdate.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "client/itemview.h"
#include "client/listupdatehost.h"
#include "client/popuprequest.h"
#include "common/callers.h"
#include "common/callitem.h"
#include "common/findbestmatchnumber.h"
#include "common/targets.h"
#include "tests/support/logcapture_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// The host of the tests: settings and texts from tables, the phone book of CALLERS, and every
// effect written down as one line in Events.
class RECORDINGHOST : public LISTUPDATEHOST {
public:
    RECORDINGHOST()
    {
        Texts[10001] = "Parlomatix";
        Texts[3035] = "$NUMBER entries found";
        Texts[3038] = "Filling the archive";
    }
    ~RECORDINGHOST() override
    {
        for (POPUPREQUEST *request : Popups)
            delete request;
    }

    STRING GetSetting(const char *name) override
    {
        STRING *value = nullptr;
        return Settings.Exists(name, &value) ? *value : STRING("");
    }
    STRING GetText(int id) override { return STRING(Texts.count(id) ? Texts[id].c_str() : ""); }
    STRING GetOwnClientName() override { return "anna@pc1"; }
    void PrepareCallItem(HASH &item) override { CALLITEM::Prepare(item); }
    void SetPeerLastId(const char *peer, const char *id) override { Add(std::string("lastid ") + peer + "=" + id); }
    void SaveRecentCalls() override { ++Saves; }
    void QueueJob(const char *name) override { Add(std::string("job ") + name); }
    int DispatchFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                         int waitMs) override
    {
        Add(std::string("dispatch ") + peer + " " + command + " " + S(params["ExecSql"]) + " " +
            std::to_string(sync) + " " + std::to_string(waitMs));
        result = Answer.c_str();
        return AnswerOk;
    }
    void ReportCommError(const char *text) override { Add(std::string("commerror ") + text); }

    // The phone book for every item; MAPI (one fixed record) for other items when asked for.
    int IdentifyCaller(HASH &item, HASH &caller, STRING *keyPosition) override
    {
        Add("identify " + S(item.Get("CallerNumber")));
        Callers.Lock();
        const int idx = FindBestMatchNumber(Callers, item.Get("CallerNumber"), item.Get("CallerCanonical"), keyPosition);
        if (idx >= 0)
            caller = *Callers[idx];
        Callers.Unlock();
        if (idx >= 0)
            return CALLER_PRIMARY;
        if (LISTUPDATE::IsJobType(item.Get("Type")) || MapiCaller.NumKeys() == 0 ||
            static_cast<int>(GetSetting("MapiCallerSearch")) == 0)
            return CALLER_NONE;
        caller = MapiCaller;
        return CALLER_MAPI;
    }

    STRING GetCallerFrontend(HASH &item) override
    {
        return item.Get("CallerName").NotEmpty() ? item.Get("CallerName") : item.Get("CallerNumber");
    }
    STRING GetTargetFrontend(HASH &item) override
    {
        return item.Get("TargetName").NotEmpty() ? item.Get("TargetName") : item.Get("TargetNumber");
    }
    void FillPopupString(POPUPREQUEST &request, HASH &item, HASH *target, DYNARRAY<HASH> &items) override
    {
        request.Text = "call from ";
        request.Text += GetCallerFrontend(item);
        request.Text += " to ";
        request.Text += target ? target->Get("Name") : STRING("-");
        request.Position = items.NumItems();
    }
    STRING BuildProgramCommandLine(int targetIndex, HASH *caller, const char *canonical, const char *number,
                                   const char *type) override
    {
        (void)canonical;
        return STRING(("prog target=" + std::to_string(targetIndex) + " caller=" +
                       (caller ? S(caller->Get("Name")) : std::string("<unknown>")) + " " + number + " " + type)
                          .c_str());
    }

    void WakeupHarddisk() override { Add("wakeup disk"); }
    void WakeupScreensaver() override { Add("wakeup screensaver"); }
    void StartSound(const STRING &sounds) override { Add("sound " + S(sounds)); }
    void StartProgram(const STRING &line) override { Add("start " + S(line)); }
    void SetClickProgram(const STRING &line) override { Add("click " + S(line)); }
    void SetTrayTooltip(const STRING &text) override { Add("tooltip " + S(text)); }
    int GetTrayIcon() override { return TrayIcon; }
    void SetTrayIcon(int id) override
    {
        TrayIcon = id;
        Add("tray " + std::to_string(id));
    }
    int IsWindowOnScreen() override { return OnScreen; }
    void PostPopupRequest(POPUPREQUEST *request) override
    {
        Popups.push_back(request);
        Add("post 1025 " + S(request->Text));
    }
    void PostWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam) override
    {
        Add("post " + std::to_string(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
    }
    void SendWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam) override
    {
        std::string line = "send " + std::to_string(message);
        if (message == 1035)
            line += std::string(" ") + reinterpret_cast<const char *>(wParam);
        if (message == 1033)
            line += std::string(" ") + std::to_string(wParam) + (lParam ? " flag" : " noflag");
        Add(line);
        if (message == 1033 && StopOnOpen)
            *reinterpret_cast<volatile int *>(lParam) = 1;
    }
    void UpdatePopup(HASH &item, int seconds) override
    {
        Add("popup " + S(item.Get("Status")) + " " + std::to_string(seconds));
    }
    void DoScrollLockBlinking(int on) override { Add("blink " + std::to_string(on)); }
    int PrintFaxSendingReport(HASH &item, int withDialog) override
    {
        Add("report " + std::to_string(item.Handle) + " " + std::to_string(withDialog));
        return 1;
    }
    int AppendCallLog(const char *file, int csv, HASH &item) override
    {
        Add(std::string("calllog ") + file + " " + std::to_string(csv) + " " + std::to_string(item.Handle));
        return 1;
    }
    void SetStatusText(const STRING &text) override { Add("status " + S(text)); }
    void ResetSearchBar() override { Add("searchbar"); }
    void ItemToListview(ITEMVIEW &view, int index, int insert, int queueTreeRefresh, int postSort,
                        int showAfterSort) override
    {
        Add("row " + std::to_string(view.ControlId) + " " + std::to_string(index) + " insert=" + std::to_string(insert) +
            " tree=" + std::to_string(queueTreeRefresh) + " sort=" + std::to_string(postSort) +
            " show=" + std::to_string(showAfterSort));
    }
    void RemoveRow(ITEMVIEW &view, uint32_t handle) override
    {
        Add("removerow " + std::to_string(view.ControlId) + " " + std::to_string(handle));
    }
    void ClearListview(ITEMVIEW &view) override { Add("clear " + std::to_string(view.ControlId)); }
    void FillListview(ITEMVIEW &view) override { Add("fill " + std::to_string(view.ControlId)); }
    void AutoWidthListview(ITEMVIEW &view) override { Add("autowidth " + std::to_string(view.ControlId)); }

    void Add(const std::string &event) { Events.push_back(event); }
    // The events that begin with prefix.
    std::vector<std::string> Only(const std::string &prefix) const
    {
        std::vector<std::string> out;
        for (const std::string &e : Events)
            if (e.compare(0, prefix.size(), prefix) == 0)
                out.push_back(e);
        return out;
    }

    HASH Settings;
    std::map<int, std::string> Texts;
    CALLERS Callers;
    HASH MapiCaller;
    std::vector<std::string> Events;
    std::vector<POPUPREQUEST *> Popups;
    std::string Answer;
    int AnswerOk = 1;
    int Saves = 0;
    int TrayIcon = 2090;
    int OnScreen = 1;
    bool StopOnOpen = false;
};

class LISTUPDATETEST : public ::testing::Test {
protected:
    LISTUPDATETEST() : Current(nullptr, nullptr, 2002), Archive(nullptr, nullptr, 2003), Update(Host, Current, Archive, Targets)
    {
        Host.Settings["NumberOfEntries"] = "100";
        Host.Settings["PopupOpenMode"] = "2";
        Host.Settings["RestoreOnCall"] = "1";
        Host.Callers.FromString(STRING("[#0]\nName=Bernd Kunde\nNumber=0301234\nSound=bernd.wav\nRunProg= \tnotepad.exe \n\n"
                                       "[#1]\nName=Quiet Carl\nNumber=0405555\nNoPopup=1\n\n"));
        for (int i = 0; i < Host.Callers.NumItems(); ++i)
            CALLERS::Prepare(*Host.Callers[i]);
        Targets.FromString(STRING("[#0]\nNumber=100\nName=Office\nSound=office.wav\nCustomIcon=205\n\n"
                                  "[#1]\nNumber=200\nName=Fax line\nRunProg=1\nProgram=fax.exe\n\n"
                                  "[#2]\nNumber=300\nName=Click line\nRunProg=1\nProgClick=1\n\n"));
        for (int i = 0; i < Targets.NumItems(); ++i)
            TARGETS::Prepare(*Targets[i], static_cast<uint32_t>(i + 1));
    }

    // A call item as the server sends it.
    static STRING Item(const char *type, const char *number, const char *target, const char *status = "RINGING",
                       const char *extra = "")
    {
        std::string text = std::string("Type=") + type + "\nCallerNumber=" + number + "\nCallerCanonical=" + number +
                           "\nTargetNumber=" + target + "\nStatus=" + status + "\nInProgress=1\n" + extra;
        return STRING(text.c_str());
    }
    void Push(const char *action, const char *id, const STRING &item, const char *extraName = nullptr,
              const char *extraValue = nullptr)
    {
        HASH params;
        params["Action"] = action;
        if (id)
            params["Id"] = id;
        if (item.NotEmpty())
            params["Item"] = item;
        if (extraName)
            params[extraName] = extraValue;
        Update.Handle(params);
    }
    std::vector<uint32_t> Handles(ITEMVIEW &view)
    {
        std::vector<uint32_t> out;
        HASHLIST &items = view.LockItems();
        for (int i = 0; i < items.NumItems(); ++i)
            out.push_back(items[i]->Handle);
        view.UnlockItems();
        return out;
    }
    HASH Stored(uint32_t handle)
    {
        Current.LockItems();
        HASH *item = Current.GetItem(handle);
        HASH copy = item ? *item : HASH();
        Current.UnlockItems();
        return copy;
    }

    RECORDINGHOST Host;
    TARGETS Targets;
    ITEMVIEW Current;
    ITEMVIEW Archive;
    LISTUPDATE Update;
};

} // namespace

TEST_F(LISTUPDATETEST, NumberOfEntriesLimitsTheCurrentList)
{
    struct CASE {
        const char *entries;
        std::vector<uint32_t> kept;
    } cases[] = {
        {"3", {12, 13, 14}}, {"0", {14}}, {"abc", {14}}, {"-2", {14}}, {"", {14}}, {"4x", {14}}, {"10", {10, 11, 12, 13, 14}},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.entries);
        Current.LockItems().DeleteAll();
        Current.UnlockItems();
        Host.Settings["NumberOfEntries"] = c.entries;
        for (int id = 10; id <= 14; ++id)
            Push("CREATE", std::to_string(id).c_str(), Item("SOUND", "0999", "100"));
        EXPECT_EQ(Handles(Current), c.kept);
    }
    // The archive list has no limit.
    Host.Settings["NumberOfEntries"] = "1";
    for (uint32_t id = 1; id <= 3; ++id) {
        HASH item(Item("SOUND", "0999", "100"));
        Update.Create(Archive, item, id, nullptr, 1);
    }
    EXPECT_EQ(Handles(Archive), (std::vector<uint32_t>{1, 2, 3}));
}

TEST_F(LISTUPDATETEST, LiveCallIsIdentifiedStoredAndAnnounced)
{
    Push("CREATE", "42", Item("SOUND", "0301234", "100"), "Sender", "srv1");
    ASSERT_EQ(Handles(Current), std::vector<uint32_t>{42});
    HASH stored = Stored(42);
    EXPECT_EQ(S(stored.Get("CallerName")), "Bernd Kunde");
    EXPECT_EQ(S(stored.Get("CallerIcon")), "0");
    EXPECT_EQ(S(stored.Get("CallerAdditionalInfo")), ""); // found in the phone book itself
    EXPECT_EQ(S(stored.Get("TargetName")), "Office");
    EXPECT_EQ(S(stored.Get("TargetIcon")), "205");
    EXPECT_EQ(S(stored.Get("LTime")), ""); // prepared with the defaults

    const std::vector<std::string> expected = {
        "wakeup disk",
        "lastid srv1=42",
        "identify 0301234",
        "sound office.wav\tbernd.wav",
        "tooltip Parlomatix - Bernd Kunde -> Office",
        "post 1025 call from Bernd Kunde to Office",
        "start notepad.exe",
        "row 2002 0 insert=1 tree=0 sort=1 show=0",
        "post 1264 0 515",
        "post 1028 42 0",
    };
    EXPECT_EQ(Host.Events, expected);
    EXPECT_EQ(Host.Saves, 1);
    ASSERT_EQ(Host.Popups.size(), 1u);
    EXPECT_EQ(Host.Popups[0]->ItemIndex, 0);
    EXPECT_EQ(Host.Popups[0]->TargetIndex, 0);
    EXPECT_EQ(Host.Popups[0]->HasCaller, 1);
    EXPECT_EQ(S(Host.Popups[0]->Caller.Get("Name")), "Bernd Kunde");
    EXPECT_EQ(Host.Popups[0]->Position, 1); // the list holding the new item
}

TEST_F(LISTUPDATETEST, PopupModeAndTargetPrograms)
{
    // 1: only while the window is not on screen; 0: never.
    struct CASE {
        const char *mode;
        int onScreen;
        size_t popups;
    } cases[] = {{"2", 1, 1}, {"1", 1, 0}, {"1", 0, 1}, {"0", 0, 0}, {"", 0, 0}};
    uint32_t id = 100;
    for (const CASE &c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.onScreen));
        Host.Events.clear();
        Host.Settings["PopupOpenMode"] = c.mode;
        Host.OnScreen = c.onScreen;
        Push("CREATE", std::to_string(++id).c_str(), Item("SOUND", "0777", "100"));
        EXPECT_EQ(Host.Only("post 1025").size(), c.popups);
    }
    // A target's program starts now, or on a click on the pop-up with "ProgClick".
    Host.Events.clear();
    Push("CREATE", "300", Item("SOUND", "0777", "200"));
    Push("CREATE", "301", Item("SOUND", "0301234", "300"));
    EXPECT_EQ(Host.Only("start prog"), std::vector<std::string>{"start prog target=1 caller=<unknown> 0777 SOUND"});
    EXPECT_EQ(Host.Only("click"), std::vector<std::string>{"click prog target=2 caller=Bernd Kunde 0301234 SOUND"});
}

TEST_F(LISTUPDATETEST, JobItemsAreAppendedWithoutAnnouncement)
{
    for (const char *type : {"FAXCALL", "FAXPOLL", "SMSCALL", "MAILCALL"}) {
        SCOPED_TRACE(type);
        Host.Events.clear();
        // Even a job to a known number of a target with a program and a sound.
        Push("CREATE", "7", Item(type, "0301234", "200"));
        EXPECT_TRUE(Host.Only("post 1025").empty());
        EXPECT_TRUE(Host.Only("sound").empty());
        EXPECT_TRUE(Host.Only("start").empty());
        EXPECT_TRUE(Host.Only("click").empty());
        EXPECT_TRUE(Host.Only("tooltip").empty());
        EXPECT_EQ(Host.Only("row").size(), 1u);
        EXPECT_EQ(Host.Only("post 1028"), std::vector<std::string>{"post 1028 7 0"});
        // The phone book still names the receiver.
        EXPECT_EQ(S(Stored(7).Get("CallerName")), "Bernd Kunde");
        Push("DELETE", "7", STRING(""));
    }
}

TEST_F(LISTUPDATETEST, NoPopupCallerGetsNoPopupAndNoRestore)
{
    Push("CREATE", "5", Item("SOUND", "0405555", "100"));
    EXPECT_TRUE(Host.Only("post 1025").empty());
    EXPECT_TRUE(Host.Only("post 1264").empty());
    EXPECT_EQ(Host.Only("post 1028"), std::vector<std::string>{"post 1028 5 0"});
    EXPECT_EQ(Host.Only("row").size(), 1u);
}

TEST_F(LISTUPDATETEST, OtherSourcesFillTheAdditionalInfo)
{
    Host.Settings["MapiCallerSearch"] = "1";
    Host.MapiCaller = HASH(STRING("Name=Dora Mapi\nNumber=0555\nEmail=dora@example.com\nBlink=1\nCity=Bonn\n"));
    Push("CREATE", "9", Item("SOUND", "0555", "100"));
    HASH stored = Stored(9);
    EXPECT_EQ(S(stored.Get("CallerName")), "Dora Mapi");
    HASH info(stored.Get("CallerAdditionalInfo"));
    EXPECT_EQ(info.NumKeys(), 4) << S(info.ToString()); // Name, Number and the two outside the schema
    EXPECT_EQ(S(info["Email"]), "dora@example.com");
    EXPECT_FALSE(info.Exists("Blink"));

    // A job is not looked for in MAPI.
    Push("CREATE", "10", Item("FAXCALL", "0555", "100"));
    EXPECT_EQ(S(Stored(10).Get("CallerName")), "");
    EXPECT_EQ(S(Stored(10).Get("CallerAdditionalInfo")), "");
}

TEST_F(LISTUPDATETEST, DeleteAndArchiveRemoveTheNamedItems)
{
    Push("CREATE", "1", Item("SOUND", "0999", "100"));
    Push("CREATE", "2", Item("MESSAGE", "0999", "100"));
    Push("CREATE", "3", Item("SOUND", "0999", "100"));
    Host.Events.clear();
    const int saves = Host.Saves;
    Push("DELETE", "1|2|77|abc||", STRING(""));
    EXPECT_EQ(Handles(Current), std::vector<uint32_t>{3});
    const std::vector<std::string> expected = {"removerow 2002 1", "removerow 2002 2", "autowidth 2002",
                                               "job QUEUED_FILLTREEVIEW", "blink 0"};
    EXPECT_EQ(Host.Events, expected);
    EXPECT_EQ(Host.Saves, saves + 1);

    LOGCAPTURE capture;
    Push("ARCHIVE", "3", STRING(""), "State", "0");
    EXPECT_EQ(Handles(Current), std::vector<uint32_t>{3});
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"state==\"1\""});
    Push("ARCHIVE", "3", STRING(""), "State", "1");
    EXPECT_TRUE(Handles(Current).empty());
}

TEST_F(LISTUPDATETEST, UnknownActionAssertsAndChangesNothing)
{
    Push("CREATE", "1", Item("SOUND", "0999", "100"));
    LOGCAPTURE capture;
    Push("RENAME", "1", Item("SOUND", "0999", "100"));
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"FALSE"});
    EXPECT_EQ(capture.InfoOf("FALSE"), "RENAME");
    EXPECT_EQ(Handles(Current), std::vector<uint32_t>{1});
}

TEST_F(LISTUPDATETEST, ChangeOfAnUnknownIdIsSkippedLiveAndCreatedInTheMerge)
{
    Push("CREATE", "1", Item("SOUND", "0999", "100"));
    Host.Events.clear();
    HASH change(Item("SOUND", "0999", "100", "DROPPED"));
    change.Handle = 8;
    EXPECT_EQ(Update.Change(change, 8, 0), 0);
    EXPECT_EQ(Handles(Current), std::vector<uint32_t>{1});
    EXPECT_TRUE(Host.Events.empty());
    // The items lock was given back: another thread takes it at once.
    bool taken = false;
    std::thread other([&] {
        taken = Current.Items.Lock(0);
        if (taken)
            Current.Items.Unlock();
    });
    other.join();
    EXPECT_TRUE(taken);

    // The logon merge takes it as a new item, quietly.
    EXPECT_EQ(Update.Change(change, 8, 1), 1);
    EXPECT_EQ(Handles(Current), (std::vector<uint32_t>{1, 8}));
    EXPECT_EQ(S(Stored(8).Get("Status")), "DROPPED");
    EXPECT_TRUE(Host.Only("row").empty());
    EXPECT_TRUE(Host.Only("post").empty());
    EXPECT_EQ(Host.Saves, 1); // only the live create saved: the merge's batch saves once itself

    // An id that is not the record's handle.
    LOGCAPTURE capture;
    EXPECT_EQ(Update.Change(change, 9, 0), 0);
    EXPECT_EQ(capture.Conditions(), std::vector<std::string>{"id==(int)newitem.GetHandle()"});
}

TEST_F(LISTUPDATETEST, ChangeKeepsNewKeysWithoutAssertion)
{
    Push("CREATE", "4", Item("FAXCALL", "0999", "100", "JOBPENDING", "OwnerClient=anna@pc1\n"));
    LOGCAPTURE capture;
    HASH change(Item("FAXCALL", "0999", "100", "FAXSTATE|CALLING|1|2", "FaxPages=2\nOwnerClient=anna@pc1\n"));
    change.Handle = 4;
    HASH params;
    params["Action"] = "CHANGE";
    params["Id"] = "4";
    params["Item"] = change.ToString();
    Update.Handle(params);
    EXPECT_EQ(capture.Failures(), 0);
    HASH stored = Stored(4);
    EXPECT_EQ(S(stored.Get("FaxPages")), "2");
    EXPECT_EQ(S(stored.Get("Status")), "FAXSTATE|CALLING|1|2");
    // Still closed against keys nobody sent.
    EXPECT_EQ(stored.AllowNewKeys(0), 1);
}

TEST_F(LISTUPDATETEST, RingingEndsWithTheTimeOfItsOutcome)
{
    Host.Settings["PopupHangupTimeToShow"] = "5";
    Host.Settings["PopupAnsweredTimeToShow"] = "-1";
    struct CASE {
        const char *status;
        int seconds;
    } cases[] = {
        {"DROPPED|12:00:00", 5}, {"DROPPED 12:00:00", 5}, {"dropped", 5},  {"IGNORED", 5},
        {"REJECTED_HARD", 5},    {"rejected_soft", 5},    {"MESSAGE|1", -1}, {"ANNOUNCE", -1},
        {"DROPPEDX", -1},        {"IGNORED|x", -1},
    };
    uint32_t id = 20;
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.status);
        ++id;
        Push("CREATE", std::to_string(id).c_str(), Item("SOUND", "0999", "100"));
        Host.Events.clear();
        HASH change(Item("SOUND", "0999", "100", c.status));
        change.Handle = id;
        Update.Change(change, id, 0);
        EXPECT_EQ(Host.Only("popup"), std::vector<std::string>{std::string("popup ") + c.status + " " +
                                                                std::to_string(c.seconds)});
    }
    // No longer ringing: nothing more to time.
    Host.Events.clear();
    HASH again(Item("SOUND", "0999", "100", "DROPPED|12:00:01"));
    again.Handle = id;
    Update.Change(again, id, 0);
    EXPECT_TRUE(Host.Only("popup").empty());
}

TEST_F(LISTUPDATETEST, ChangeUpdatesTrayBlinkingCallLogAndReport)
{
    Host.Settings["Logfile"] = "calls.txt";
    Host.Settings["LogfileCsv"] = "1";
    Host.Settings["FaxSendAutoprint"] = "1";
    Host.OnScreen = 0;
    Push("CREATE", "1", Item("SOUND", "0999", "100"));
    Host.Events.clear();

    // A missed call turns the tray icon; a recorded message shows 2092 and blinks.
    HASH missed(Item("SOUND", "0999", "100", "DROPPED|12:00:00"));
    missed.Handle = 1;
    Update.Change(missed, 1, 0);
    EXPECT_EQ(Host.Only("tray"), std::vector<std::string>{"tray 2091"});
    HASH message(Item("MESSAGE", "0999", "100", "MESSAGE|1"));
    message.Handle = 1;
    Update.Change(message, 1, 0);
    EXPECT_EQ(Host.Only("tray"), (std::vector<std::string>{"tray 2091", "tray 2092"}));
    EXPECT_EQ(Host.Only("blink").back(), "blink 1");
    EXPECT_EQ(Host.Only("row").back(), "row 2002 0 insert=0 tree=1 sort=0 show=0");

    // Ended: one call-log line, also when the server repeats the state.
    HASH ended(Item("MESSAGE", "0999", "100", "MESSAGE|1", "InProgress=0\n"));
    ended.Handle = 1;
    Update.Change(ended, 1, 0);
    Update.Change(ended, 1, 0);
    EXPECT_EQ(Host.Only("calllog"), std::vector<std::string>{"calllog calls.txt 1 1"});
    // Seen: no unread message is left, the blinking stops.
    HASH seen(Item("MESSAGE", "0999", "100", "MESSAGE|1", "InProgress=0\nMsgSeen=1\n"));
    seen.Handle = 1;
    Update.Change(seen, 1, 0);
    EXPECT_EQ(Host.Only("blink").back(), "blink 0");

    // The report of this user's sent fax, printed once when the job ends.
    Push("CREATE", "2", Item("FAXCALL", "0999", "100", "JOBPENDING", "OwnerClient=anna@pc1\n"));
    Push("CREATE", "3", Item("FAXCALL", "0999", "100", "JOBPENDING", "OwnerClient=bob@pc2\n"));
    for (uint32_t id : {2u, 3u}) {
        HASH progress(Item("FAXCALL", "0999", "100", "FAXSTATE|STATUS|PROGRESS_PERC|50"));
        progress.Handle = id;
        Update.Change(progress, id, 0);
        HASH done(Item("FAXCALL", "0999", "100", "FAXSTATE|JOB|RESULT|OK", "InProgress=0\nTransmissionInfo=FaxPages=1\n"));
        done.Handle = id;
        Update.Change(done, id, 0);
        Update.Change(done, id, 0);
    }
    EXPECT_EQ(Host.Only("report"), std::vector<std::string>{"report 2 0"});
}

TEST_F(LISTUPDATETEST, MultiChangeChangesEachRecordByItsHandle)
{
    Push("CREATE", "1", Item("SOUND", "0999", "100"));
    Push("CREATE", "2", Item("SOUND", "0888", "100"));
    HASHLIST changes;
    for (uint32_t id : {2u, 1u, 9u}) {
        HASH record(Item("SOUND", "0999", "100", "OTHER", ("Comment=note " + std::to_string(id) + "\n").c_str()));
        record.Handle = id;
        changes.AddItem(record);
    }
    HASH params;
    params["Action"] = "MULTICHANGE";
    params["Items"] = changes.ToString();
    Update.Handle(params);
    EXPECT_EQ(S(Stored(1).Get("Comment")), "note 1");
    EXPECT_EQ(S(Stored(2).Get("Comment")), "note 2");
    EXPECT_EQ(Handles(Current), (std::vector<uint32_t>{1, 2})); // 9 is unknown: skipped
}

TEST_F(LISTUPDATETEST, ArchiveFillSendsItsMessagesInOrder)
{
    Host.Answer = "<OK>\n[#0]\n#Handle=31\nType=SOUND\nStatus=OTHER\n\n[#1]\n#Handle=32\nType=FAX\nStatus=RECEIVED\n\n";
    Update.FillArchive("Type='FAX'");
    EXPECT_EQ(Handles(Archive), (std::vector<uint32_t>{31, 32}));
    const std::vector<std::string> expected = {
        "send 1033 0 flag",
        "clear 2003",
        "dispatch {SERVER} GETITEMS Type='FAX' 1 300000",
        "fill 2003",
        "searchbar",
        "send 1034",
    };
    // The status text and the dialog text come between the call and the items; the callers of
    // the items are identified as those of live calls are.
    std::vector<std::string> events;
    for (const std::string &e : Host.Events)
        if (e.compare(0, 8, "identify") != 0)
            events.push_back(e);
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[3], "status 2 entries found");
    EXPECT_EQ(events[4], "send 1035 Filling the archive");
    events.erase(events.begin() + 3, events.begin() + 5);
    EXPECT_EQ(events, expected);
    EXPECT_EQ(Host.Saves, 0);
    EXPECT_EQ(Update.ArchiveStop, 0);

    // Stopped at once: nothing is created, the dialog still closes; a second fill starts empty.
    Host.Events.clear();
    Host.StopOnOpen = true;
    Update.FillArchive("x");
    EXPECT_TRUE(Handles(Archive).empty());
    EXPECT_TRUE(Host.Only("fill").empty());
    EXPECT_EQ(Host.Events.back(), "send 1034");
    EXPECT_EQ(Update.ArchiveStop, 0);

    // A failed call is reported; "<NULL>" is an empty archive.
    Host.StopOnOpen = false;
    Host.Events.clear();
    Host.AnswerOk = 0;
    Update.FillArchive("x");
    EXPECT_EQ(Host.Only("commerror"), std::vector<std::string>{"commerror DispatchFunction GETITEMS for archive data failed"});
    Host.AnswerOk = 1;
    Host.Answer = "<OK>\n<NULL>";
    Host.Events.clear();
    Update.FillArchive("x");
    EXPECT_TRUE(Host.Only("send 1035").empty());
    EXPECT_EQ(Host.Events.back(), "send 1034");
}

TEST(LISTUPDATE, Helpers)
{
    EXPECT_EQ(LISTUPDATE::ParseId(STRING("42")), 42u);
    EXPECT_EQ(LISTUPDATE::ParseId(STRING("4294967295")), 4294967295u);
    for (const char *bad : {"", "abc", "-1", "4294967296", "12x", "+5"})
        EXPECT_EQ(LISTUPDATE::ParseId(STRING(bad)), 0u) << bad;
    EXPECT_TRUE(LISTUPDATE::IsJobType(STRING("faxcall")));
    EXPECT_FALSE(LISTUPDATE::IsJobType(STRING("FAX")));
    EXPECT_EQ(LISTUPDATE::EntriesLimit(STRING(" 7 ")), 7);
    EXPECT_EQ(LISTUPDATE::EntriesLimit(STRING("99999999999")), 1);
}
