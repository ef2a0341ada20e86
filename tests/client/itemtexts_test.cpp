// The call item texts with a fixed string table: status and progress phrases, the display texts
// of caller and target, the fax transmission text and the pop-up with its history.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "client/itemtexts.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/osystime.h"
#include "lang/resource_ids.h"
#include "tests/support/logcapture_support.h"

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// Phrases that show which part was taken.
const FIXEDTEXTTABLE &Table()
{
    static FIXEDTEXTTABLE table = [] {
        FIXEDTEXTTABLE t;
        t.Set(IDS_CALLSTATES, "ring|drop $TIME|other|unknown|rejected|ignored");
        t.Set(IDS_MESSAGESTATES, "ann|annplayed|rec|msg $HOWMANY|calledann|remote");
        t.Set(IDS_FAXSTATES, "rxing|rxd|fax $HOWMANY|faxerr");
        t.Set(IDS_JOBPENDING, "pending|not a part");
        t.Set(IDS_SMSPROGRESS, "sms $NAME $CURRENT/$TOTAL|smserr:|smswait $SECONDS|SMS|+ok|+failed|+aborted");
        t.Set(IDS_FAXPROGRESS, "call $CURRENT/$TOTAL|faxerr|wait $SECONDS|FAX|+ok|+failed|+aborted|+$PERCENT%|+($UNITS u)|"
                               "cancel|+$BYTES KB|line");
        t.Set(IDS_MAILSTATES, "mail|+sent $CODE|+notsent $CODE");
        t.Set(IDS_NUMBERUNKNOWN, "UNK");
        t.Set(IDS_NUMBERSUPPRESSED, "SUPP");
        t.Set(IDS_NUMBERUNREGISTERED, "UNREG");
        t.Set(IDS_CALLERSUBTYPES, "phone|fax|mobile|office|data");
        t.Set(IDS_DAYWORDS, "today|yesterday|sun|mon|tue|wed|thu|fri|sat");
        t.Set(IDS_FAXREPORTWORDS, "normal|high|faxsent|faxother|sec|$PAGES more");
        return t;
    }();
    return table;
}

// A call item as the lists hold it: closed against new keys, so a key it lacks must be read
// without adding it.
HASH Item(std::initializer_list<std::pair<const char *, const char *>> values)
{
    HASH item;
    for (const auto &v : values)
        item[v.first] = v.second;
    item.AllowNewKeys(0);
    return item;
}

int64_t LocalTime(int year, int month, int day, int hour, int minute)
{
    OSYS::SYSTIME st = {};
    st.wYear = static_cast<uint16_t>(year);
    st.wMonth = static_cast<uint16_t>(month);
    st.wDay = static_cast<uint16_t>(day);
    st.wHour = static_cast<uint16_t>(hour);
    st.wMinute = static_cast<uint16_t>(minute);
    return OSYS::SystemTimeToTime(st);
}

std::string DateOf(int64_t time)
{
    const std::string text = S(OSYS::FormatLocalDateTime(time));
    return text.substr(0, text.find("  "));
}

} // namespace

TEST(ITEMTEXTS, StatusTextTakesTheFirstMatchingRow)
{
    const struct {
        const char *status;
        const char *text;
    } cases[] = {
        {"RINGING", "ring"},
        {"ringing", "ring"},
        {"DROPPED|12:00:01", "drop 12:00:01"},
        {"DROPPED", "drop "},
        {"OTHER", "other"},
        {"UNKNOWN", "unknown"},
        {"REJECTED_HARD", "rejected"},
        {"REJECTED_SOFT", "rejected"},
        {"IGNORED", "ignored"},
        {"ANNOUNCE", "ann"},
        {"ANNOUNCEPLAYED", "annplayed"},
        {"RECORDING", "rec"},
        {"MESSAGE|3", "msg 3"},
        {"CALLEDFORANNOUNCE", "calledann"},
        {"REMOTE", "remote"},
        {"RECEIVING", "rxing"},
        {"RECEIVED", "rxd"},
        {"FAX|2", "fax 2"},
        {"FAXERROR", "faxerr"},
        {"JOBPENDING", "pending|not a part"},
        {"SMSSTATE|JOB|RESULT|FAILED", "SMS+failed"},
        {"SMSSTATE|JOB|COMPLETED", ""},
        {"FAXSTATE|STATUS|WAITING|30", "wait 30"},
        {"FAXSTATE|CALLING|1|3", "call 1/3"},
        // The mail result: a code from 200 to 299 is success; "$CODE" is everything after the bar.
        {"MAILSTATE|250|2.0.0 ok", "mail+sent 250|2.0.0 ok"},
        {"MAILSTATE|550|denied", "mail+notsent 550|denied"},
        {"MAILSTATE|299", "mail+sent 299"},
        {"MAILSTATE|300", "mail+notsent 300"},
        {"MAILSTATE|25x", "mail+notsent 25x"},
        // A value that holds a placeholder is inserted as text.
        {"MESSAGE|$HOWMANY", "msg $HOWMANY"},
    };
    FIXEDTEXTTABLE table;
    table.Set(IDS_MAILSTATES, "mail $CODE|+sent $CODE|+notsent $CODE");
    ITEMTEXTS texts(Table());
    for (const auto &c : cases) {
        HASH item = Item({{"Status", c.status}});
        EXPECT_EQ(S(texts.StatusText(item)), c.text) << c.status;
    }
    // "$CODE" is replaced in part 0 as well.
    HASH mail = Item({{"Status", "MAILSTATE|250|ok"}});
    EXPECT_EQ(S(ITEMTEXTS(table).StatusText(mail)), "mail 250|ok+sent 250|ok");
}

TEST(ITEMTEXTS, CommentFollowsTheStatusInBrackets)
{
    ITEMTEXTS texts(Table());
    HASH ringing = Item({{"Status", "RINGING"}, {"Comment", "call back"}});
    EXPECT_EQ(S(texts.StatusText(ringing)), "ring  [call back]");
    HASH empty = Item({{"Status", "RINGING"}, {"Comment", ""}});
    EXPECT_EQ(S(texts.StatusText(empty)), "ring");
}

TEST(ITEMTEXTS, UnknownStatusIsEmptyAndAQuietAssertion)
{
    ITEMTEXTS texts(Table());
    HASH item = Item({{"Status", "BOGUS|1"}, {"Comment", "c"}});
    // Without the tests' switch a loud assertion would ask on standard error (natively) or in a
    // box; a quiet one asks nowhere.
    const char *old = std::getenv("ORVAKNOASSERT");
    const std::string saved = old ? old : "";
#ifdef _WIN32
    _putenv("ORVAKNOASSERT=");
#else
    unsetenv("ORVAKNOASSERT");
#endif
    testing::internal::CaptureStderr();
    STRING text;
    std::vector<std::string> conditions;
    std::string info;
    {
        LOGCAPTURE log;
        text = texts.StatusText(item);
        conditions = log.Conditions();
        info = log.InfoOf("FALSE");
    }
    const std::string printed = testing::internal::GetCapturedStderr();
#ifdef _WIN32
    _putenv(("ORVAKNOASSERT=" + saved).c_str());
#else
    setenv("ORVAKNOASSERT", saved.c_str(), 1);
#endif
    EXPECT_EQ(S(text), "  [c]");
    ASSERT_EQ(conditions, std::vector<std::string>{"FALSE"});
    EXPECT_EQ(info, "BOGUS|1");
    EXPECT_EQ(printed.find("going on"), std::string::npos) << printed;
}

TEST(ITEMTEXTS, FaxProgressTable)
{
    const struct {
        const char *state;
        const char *text;
    } cases[] = {
        {"CALLING|1|3", "call 1/3"},
        {"CALLING|$TOTAL|9", "call $TOTAL/9"},
        {"JOB|RESULT|x|FAILED|5", "FAX+failed+(5 u)"},
        {"JOB|RESULT|x|OK|-1", "FAX+ok"},
        {"JOB|RESULT|x|OK", "FAX+ok"},
        {"JOB|OTHER", "JOB|OTHER"},
        {"DIALING|x", "DIALING|x"},
        {"", ""},
        {"STATUS|ERROR|busy|line 2", "faxerr - busy|line 2"},
        {"STATUS|FINALERROR", "faxerr"},
        {"STATUS|WAITING|30", "wait 30"},
        {"STATUS|WAITFORLINE", "line"},
        {"STATUS|CANCEL", "cancel"},
        {"STATUS|ABORTED|4", "FAX+aborted+(4 u)"},
        {"STATUS|ABORTED", "FAX+aborted"},
        {"STATUS|ABORTED|-1", "FAX+aborted"},
        {"STATUS|PROGRESS_PERC|40|-1", "FAX+40%"},
        {"STATUS|PROGRESS_PERC|40|2", "FAX+40%+(2 u)"},
        {"status|progress_perc|5", "FAX+5%"},
        {"STATUS|PROGRESS_KB|12|3", "FAX+12 KB+(3 u)"},
        {"STATUS|SOMETHING|1", "STATUS|SOMETHING|1"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S(FormatFaxProgress(STRING(c.state), Table())), c.text) << c.state;
}

TEST(ITEMTEXTS, SmsProgressTable)
{
    const struct {
        const char *state;
        const char *text;
    } cases[] = {
        {"CALLING|Gate|1|2", "sms Gate 1/2"},
        {"JOB|RESULT|FAILED", "SMS+failed"},
        {"JOB|RESULT|OK", "SMS+ok"},
        {"JOB|COMPLETED", ""},
        // Only the "|"-separated form is a state; the blank-separated one stands as it came.
        {"JOB COMPLETED", "JOB COMPLETED"},
        {"STATUS|ERROR|no credit|2", "smserr:no credit|2"},
        {"STATUS|WAITING|10", "smswait 10"},
        {"STATUS|ABORTED", "SMS+aborted"},
        {"STATUS|OTHER", "STATUS|OTHER"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S(FormatTransmissionState(STRING(c.state), Table())), c.text) << c.state;
}

TEST(ITEMTEXTS, SpecialNumbersShowTheirWordWhateverTheOptions)
{
    ITEMTEXTS texts(Table());
    const char *const keys[] = {"CallerBeautified", "CallerBeautifiedNat", "CallerBeautifiedLocal",
                                "CallerBeautifiedNatLocal"};
    const struct {
        const char *value;
        const char *text;
    } words[] = {{"<suppressed>", "SUPP"}, {"<UNKNOWN>", "UNK"}, {"<unregistered>", "UNREG"}};
    for (const auto &w : words) {
        HASH item = Item({{keys[0], w.value}, {keys[1], w.value}, {keys[2], w.value}, {keys[3], w.value}});
        for (int national = 0; national < 2; ++national)
            for (int local = 0; local < 2; ++local) {
                ITEMTEXTS::OPTIONS options;
                options.NationalFull = national;
                options.LocalFull = local;
                EXPECT_EQ(S(texts.CallerNumber(item, options)), w.text) << w.value << national << local;
                EXPECT_EQ(S(texts.Caller(item, options)), w.text);
            }
    }
}

TEST(ITEMTEXTS, NumberFormChosenByTheOptions)
{
    HASH settings;
    settings["LocalNationalFull"] = "1";
    settings["LocalLocalFull"] = "0";
    settings["ShowNumberForKnownCallers"] = "abc";
    const ITEMTEXTS::OPTIONS options = ITEMTEXTS::ReadOptions(settings);
    EXPECT_EQ(options.NationalFull, 1);
    EXPECT_EQ(options.LocalFull, 0);
    EXPECT_EQ(options.ShowNumberForKnown, 0);

    HASH item = Item({{"CallerBeautified", "1"}, {"CallerBeautifiedNat", "2"}, {"CallerBeautifiedLocal", "3"},
                      {"CallerBeautifiedNatLocal", "4"}});
    ITEMTEXTS texts(Table());
    const char *expected[2][2] = {{"1", "3"}, {"2", "4"}};
    for (int national = 0; national < 2; ++national)
        for (int local = 0; local < 2; ++local) {
            ITEMTEXTS::OPTIONS o;
            o.NationalFull = national;
            o.LocalFull = local;
            EXPECT_EQ(S(texts.CallerNumber(item, o)), expected[national][local]);
        }
}

TEST(ITEMTEXTS, CallerAndTargetDisplayTexts)
{
    ITEMTEXTS texts(Table());
    ITEMTEXTS::OPTIONS plain;
    ITEMTEXTS::OPTIONS showNumber;
    showNumber.ShowNumberForKnown = 1;

    HASH named = Item({{"CallerName", "Anna"}, {"CallerSubtype", "2"}, {"CallerNameSrv", "Server Anna"},
                       {"CallerBeautified", "030 1234"}, {"CallerLocation", "Berlin"}});
    EXPECT_EQ(S(texts.Caller(named, plain)), "Anna (mobile)");
    EXPECT_EQ(S(texts.CallerFull(named, plain)), "Anna (mobile)");
    EXPECT_EQ(S(texts.CallerFull(named, showNumber)), "Anna (mobile) [030 1234]");

    HASH subtypeZero = Item({{"CallerName", "Anna"}, {"CallerSubtype", "0"}});
    EXPECT_EQ(S(texts.Caller(subtypeZero, plain)), "Anna");

    HASH server = Item({{"CallerName", ""}, {"CallerNameSrv", "Dorn"}, {"CallerSubtypeSrv", "1"},
                        {"CallerBeautified", "040 55"}, {"CallerLocation", "Hamburg"}});
    EXPECT_EQ(S(texts.CallerFull(server, showNumber)), "Dorn (fax) [040 55]");

    // Without a name the location is shown; without a location nothing is added.
    HASH unnamed = Item({{"CallerBeautified", "089 1"}, {"CallerLocation", "Munich"}});
    EXPECT_EQ(S(texts.CallerFull(unnamed, showNumber)), "089 1 [Munich]");
    HASH bare = Item({{"CallerBeautified", "089 1"}});
    EXPECT_EQ(S(texts.CallerFull(bare, showNumber)), "089 1");

    HASH target1 = Item({{"TargetName", "Office"}, {"TargetNameSrv", "Srv"}, {"TargetNumber", "12"}});
    HASH target2 = Item({{"TargetName", ""}, {"TargetNameSrv", "Srv"}, {"TargetNumber", "12"}});
    HASH target3 = Item({{"TargetNumber", "12"}});
    EXPECT_EQ(S(ITEMTEXTS::Target(target1)), "Office");
    EXPECT_EQ(S(ITEMTEXTS::Target(target2)), "Srv");
    EXPECT_EQ(S(ITEMTEXTS::Target(target3)), "12");
}

TEST(ITEMTEXTS, TransmissionInfoFillsTheTemplate)
{
    ITEMTEXTS texts(Table());
    HASH info;
    info["FaxCSID"] = "<unknown>";
    info["FaxDuration"] = "42";
    info["FaxPages"] = "3";
    info["FaxResolution"] = "<empty>";
    info["FaxTransMode"] = "HIGH";
    info["FaxBitrate"] = "14400";
    info["FaxStartLTime"] = "<unset>";
    const char *templ = "$TYPE;$CSID;$START;$DURA;$RES;$PAGES;$MODE;$BIT;$MSN;$DEST;$STATUS";
    HASH sent = Item({{"Type", "FAXCALL"}, {"Status", "FAXSTATE|JOB|RESULT|x|OK"}, {"TargetNumber", "555"},
                      {"TargetNameSrv", "Office"}, {"CallerNumber", "0301234"},
                      {"TransmissionInfo", info.ToString()}});
    EXPECT_EQ(S(texts.TransmissionInfo(sent, templ)), "faxsent;UNK;;42 sec;;3;high;14400;555 (Office);0301234;FAX+ok");

    // A known start time in one-blank form; an unknown duration gets no unit; NORMAL in words.
    const int64_t start = LocalTime(2026, 3, 12, 9, 30);
    info["FaxStartLTime"] = STRING(static_cast<long long>(start));
    info["FaxDuration"] = "<unknown>";
    info["FaxTransMode"] = "NORMAL";
    HASH received = Item({{"Type", "FAX"}, {"Status", "RECEIVED"}, {"TransmissionInfo", info.ToString()}});
    STRING expectedStart = OSYS::FormatLocalDateTime(start);
    expectedStart.Replace("  ", " ");
    EXPECT_EQ(S(texts.TransmissionInfo(received, "$TYPE;$START;$DURA;$MODE;$MSN;$STATUS")),
              "faxother;" + S(expectedStart) + ";UNK;normal; ();rxd");
}

TEST(ITEMTEXTS, HistoryNewestFirstWithDayWords)
{
    ITEMTEXTS texts(Table());
    const int64_t now = LocalTime(2026, 3, 12, 10, 0); // a Thursday
    const int64_t older = LocalTime(2026, 3, 1, 18, 45);
    HASHLIST items;
    auto add = [&](const char *canonical, int64_t time, const char *status) {
        HASH item = Item({{"CallerCanonical", canonical}, {"LTime", S(STRING(static_cast<long long>(time))).c_str()},
                          {"Status", status}});
        items.AddItem(item);
    };
    // Out of time order on purpose; one other caller; eight calls of this one.
    add("+4930123", LocalTime(2026, 3, 11, 22, 5), "OTHER");
    add("+4930123", LocalTime(2026, 3, 12, 8, 15), "RINGING");
    add("+4940999", LocalTime(2026, 3, 12, 9, 0), "RINGING");
    add("+4930123", LocalTime(2026, 3, 9, 7, 0), "MESSAGE|1");
    add("+4930123", older, "IGNORED");
    add("+4930123", LocalTime(2026, 2, 20, 7, 0), "IGNORED");
    add("+4930123", LocalTime(2026, 3, 6, 12, 30), "FAX|2");
    add("+4930123", LocalTime(2026, 3, 10, 11, 11), "UNKNOWN");
    add("+4930123", LocalTime(2026, 2, 1, 7, 0), "IGNORED");

    HASH item = Item({{"CallerCanonical", "+4930123"}});
    const std::string expected = std::string("\033[-]\n") + "\x0F  today 08:15 - ring\n" +
                                 "\x0F  yesterday 22:05 - other\n" + "\x0F  tue 11:11 - unknown\n" +
                                 "\x0F  mon 07:00 - msg 1\n" + "\x0F  fri 12:30 - fax 2\n" + "\x0F  " +
                                 DateOf(older) + " 18:45 - ignored\n";
    EXPECT_EQ(S(texts.History(item, items, now)), expected);

    HASH hidden = Item({{"CallerCanonical", "<unknown>"}});
    EXPECT_EQ(S(texts.History(hidden, items, now)), "");
}

TEST(ITEMTEXTS, PopupFillsMacrosAndTakesTheTargetColours)
{
    ITEMTEXTS texts(Table());
    HASHLIST items;
    HASH settings;
    settings["PopupText"] = "$from\r\nan $an / $to\r\n$comment|$bemerkung\r\n$historie\r\n";
    settings["PopupTextColor"] = "255";
    settings["PopupBackgroundColor"] = "-1";
    settings["PopupPosition"] = "3";
    settings["PopupBlink"] = "0";
    HASH item = Item({{"CallerName", ""}, {"CallerNameSrv", "Dorn"}, {"CallerBeautified", "040"},
                      {"CallerCanonical", "<unknown>"}, {"TargetName", "Office"}, {"Status", "RINGING"},
                      {"CallerCommentSrv", "from the server"}});
    POPUPTEXT popup = texts.FillPopup(settings, item, nullptr, nullptr, items, 0);
    EXPECT_EQ(S(popup.Text), "Dorn\nan Office / Office\nfrom the server|from the server");
    EXPECT_EQ(popup.TextColor, 255);
    EXPECT_EQ(popup.BackColor, -1);
    EXPECT_EQ(popup.Position, 3);
    EXPECT_EQ(popup.Blink, 0);

    // A found caller: its comment and its blinking; a target with its own colours.
    HASH caller;
    caller["Comment"] = "customer";
    caller["Blink"] = "1";
    HASH target;
    target["CustomColor"] = "1";
    target["BackColor"] = "8388608";
    target["TextColor"] = "65280";
    settings["PopupText"] = "$comment";
    popup = texts.FillPopup(settings, item, &caller, &target, items, 0);
    EXPECT_EQ(S(popup.Text), "customer");
    EXPECT_EQ(popup.Blink, 1);
    EXPECT_EQ(popup.BackColor, 8388608);
    EXPECT_EQ(popup.TextColor, 65280);
}

TEST(ITEMTEXTS, PopupShowsTheAdditionalInfoOfAnUnnamedCaller)
{
    ITEMTEXTS texts(Table());
    HASHLIST items;
    HASH settings;
    settings["PopupText"] = "From: $von\n";
    HASH info;
    info["Number"] = "0301234";
    info["Name"] = "Becker";
    info["City"] = "Berlin";
    info["Email"] = "b@example.org";
    HASH item = Item({{"CallerName", ""}, {"CallerBeautified", "030"}, {"CallerAdditionalInfo", ""},
                      {"CallerAdditionalInfoSrv", info.ToString()}});
    EXPECT_EQ(S(texts.FillPopup(settings, item, nullptr, nullptr, items, 0).Text),
              "From: \n\033[-]\nBecker\nBerlin\nb@example.org\n\033[-]");

    // A caller the client named shows the display text instead.
    HASH named = Item({{"CallerName", "Anna"}, {"CallerAdditionalInfoSrv", info.ToString()}});
    EXPECT_EQ(S(texts.FillPopup(settings, named, nullptr, nullptr, items, 0).Text), "From: Anna");
}
