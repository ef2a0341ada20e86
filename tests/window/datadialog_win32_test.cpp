// Data-bound dialogs under Wine: the items load and store their data, the rules enable, disable,
// show and hide controls as their sources change, the tables refuse their overflow, and a box
// stores only on OK (Cancel and the close box leave the caller's data).  Modal runs are driven by
// DIALOGWATCHER.
#include "kestar/windowing/datadialogbox.h"
#include "kestar/windowing/datadialogcheck.h"
#include "kestar/windowing/datadialogentry.h"
#include "kestar/windowing/datadialogradio.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/datadialogspin.h"

#include "kestar/windowing/control.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

HMODULE Program()
{
    return GetModuleHandleA(nullptr);
}

std::string Str(const STRING &s)
{
    const char *t = s;
    return t != nullptr ? t : "(null)";
}

int Checked(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Visible(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string Text(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// A click as the user makes it: the button changes and the dialog hears BN_CLICKED.
void Click(HWND dialog, int id)
{
    SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

} // namespace

TEST(DATADIALOG, ItemsLoadAndStore)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    ASSERT_NE(nullptr, box.hWnd);
    HWND w = box.hWnd;
    STRING bits("5"), whole("0"), radio("1"), spin(""), entry("caf\xE9"), utf("x");
    box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK1, bits, 2));
    box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK2, whole, -1));
    box.AddItem(new DATADIALOGRADIO(IDC_DATA_RADIO1, radio, 0));
    box.AddItem(new DATADIALOGRADIO(IDC_DATA_RADIO2, radio, 1));
    box.AddItem(new DATADIALOGRADIO(IDC_DATA_RADIO3, radio, 2));
    box.AddItem(new DATADIALOGSPIN(IDC_DATA_SPIN, spin, 0, 100));
    box.AddItem(new DATADIALOGENTRY(IDC_DATA_ENTRY, entry, 5));
    box.AddItem(new DATADIALOGENTRY(IDC_DATA_TARGET1, utf, 20, DATADIALOGENTRY::UTF8));
    box.InitItems();

    EXPECT_EQ(1, Checked(w, IDC_DATA_CHECK1)); // bit 2 of 5
    EXPECT_EQ(0, Checked(w, IDC_DATA_CHECK2));
    EXPECT_EQ(0, Checked(w, IDC_DATA_RADIO1));
    EXPECT_EQ(1, Checked(w, IDC_DATA_RADIO2));
    EXPECT_EQ(0, Checked(w, IDC_DATA_RADIO3));
    EXPECT_EQ("0", Text(w, IDC_DATA_SPIN));
    EXPECT_NE(0, GetWindowLongA(GetDlgItem(w, IDC_DATA_SPIN), GWL_STYLE) & ES_NUMBER);
    EXPECT_NE(nullptr, GetDlgItem(w, IDC_DATA_SPIN + DATADIALOGSPIN::SPINOFFSET));
    EXPECT_EQ("caf\xE9", Text(w, IDC_DATA_ENTRY));
    EXPECT_EQ(5, static_cast<int>(SendDlgItemMessageA(w, IDC_DATA_ENTRY, EM_GETLIMITTEXT, 0, 0)));

    Click(w, IDC_DATA_CHECK1);
    Click(w, IDC_DATA_CHECK2);
    Click(w, IDC_DATA_RADIO3);
    SetDlgItemTextA(w, IDC_DATA_SPIN, "42");
    SetWindowTextW(GetDlgItem(w, IDC_DATA_TARGET1), L"\u00E9\u20AC");
    box.ExitItems();
    EXPECT_EQ("1", Str(bits));
    EXPECT_EQ("1", Str(whole));
    EXPECT_EQ("2", Str(radio)); // the unchecked radios leave the datum alone
    EXPECT_EQ("42", Str(spin));
    EXPECT_EQ("caf\xE9", Str(entry));
    EXPECT_EQ("\xC3\xA9\xE2\x82\xAC", Str(utf));

    // Without the save flag nothing is stored.
    Click(w, IDC_DATA_CHECK2);
    box.ClearSaveFlag();
    box.ExitItems();
    EXPECT_EQ("1", Str(whole));
}

TEST(DATADIALOG, RawBindingsWriteTheirOwnLength)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    HWND w = box.hWnd;
    STRING bit("0"), radio("2"), text("abcdef"), spin("7");
    struct {
        unsigned char flags = 0x10;
        unsigned char guard = 0xAA;
    } one;
    struct {
        unsigned char small = 0;
        unsigned char guard[3] = {0xAA, 0xAA, 0xAA};
    } wrong;
    char buffer[5];
    char guard = 'G';
    (void)guard;
    DATADIALOGITEM *check = new DATADIALOGCHECK(IDC_DATA_CHECK1, bit, 0);
    check->SetRawBinding(&one.flags, 1);
    box.AddItem(check);
    DATADIALOGITEM *r = new DATADIALOGRADIO(IDC_DATA_RADIO3, radio, 2);
    r->SetRawBinding(&wrong.small, 1);
    box.AddItem(r);
    DATADIALOGITEM *e = new DATADIALOGENTRY(IDC_DATA_ENTRY, text, 50);
    e->SetRawBinding(buffer, sizeof buffer);
    box.AddItem(e);
    int spun = -1;
    DATADIALOGITEM *s = new DATADIALOGSPIN(IDC_DATA_SPIN, spin, 0, 100);
    s->SetRawBinding(&spun, 4);
    box.AddItem(s);
    box.InitItems();
    Click(w, IDC_DATA_CHECK1);
    LOGCAPTURE log;
    box.ExitItems();
    EXPECT_EQ(0x11, one.flags); // the number comes from the variable
    EXPECT_EQ(0xAA, one.guard);
    EXPECT_EQ(2, wrong.small);
    EXPECT_EQ(0xAA, wrong.guard[0]); // a 1-byte variable never gets 4 bytes
    EXPECT_EQ(1, log.Failures());
    EXPECT_EQ(std::string("abcd"), std::string(buffer));
    EXPECT_EQ(7, spun);
}

TEST(DATADIALOG, SpinRefusesATakenUpDownId)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    CONTROL taken(box.hWnd, IDC_DATA_ENTRY + DATADIALOGSPIN::SPINOFFSET, "Static", 0, 0, 0, 5, 5, "", 0);
    STRING value("3");
    box.AddItem(new DATADIALOGSPIN(IDC_DATA_ENTRY, value, 0, 10));
    LOGCAPTURE log;
    box.InitItems();
    box.ExitItems();
    EXPECT_EQ(1, log.Failures());
    EXPECT_EQ("!CONTROL(parent, idspin).IsValid()", log.Conditions().at(0));
    EXPECT_EQ("3", Str(value));
}

TEST(DATADIALOG, RulesFollowTheirSources)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    HWND w = box.hWnd;
    STRING c1("1"), c2("1"), radio("1"), spin("5");
    box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK1, c1));
    box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK2, c2));
    box.AddItem(new DATADIALOGRADIO(IDC_DATA_RADIO1, radio, 0));
    box.AddItem(new DATADIALOGRADIO(IDC_DATA_RADIO2, radio, 1));
    box.AddItem(new DATADIALOGSPIN(IDC_DATA_SPIN, spin, 0, 9));
    // Target 1: disabled when either box is unticked.
    box.AddDisableItem(IDC_DATA_TARGET1, IDC_DATA_CHECK1, 1, "");
    box.AddDisableItem(IDC_DATA_TARGET1, IDC_DATA_CHECK2, 1, "");
    // Target 2: disabled while the first radio is checked.
    box.AddDisableItem(IDC_DATA_TARGET2, IDC_DATA_RADIO1, 0, "");
    // The spin edit: hidden while the second box is unticked, disabled while the entry is empty.
    box.AddDisableItem(IDC_DATA_SPIN, IDC_DATA_CHECK2, 1 | DATADIALOGRULES::HIDE, "");
    box.AddDisableItem(IDC_DATA_SPIN, IDC_DATA_ENTRY, 1, "");
    // The list: disabled once, when loaded.
    box.AddDisableItem(IDC_DATA_LIST, 0, DATADIALOGRULES::KIND_ONCE, "");
    EXPECT_EQ(6, box.GetRuleCount());
    box.InitItems();
    const int spinId = IDC_DATA_SPIN + DATADIALOGSPIN::SPINOFFSET;

    EXPECT_TRUE(Enabled(w, IDC_DATA_TARGET1));
    EXPECT_FALSE(Enabled(w, IDC_DATA_LIST));
    Click(w, IDC_DATA_CHECK1);
    EXPECT_FALSE(Enabled(w, IDC_DATA_TARGET1));
    Click(w, IDC_DATA_CHECK2);
    EXPECT_FALSE(Enabled(w, IDC_DATA_TARGET1));
    EXPECT_FALSE(Visible(w, IDC_DATA_SPIN));
    EXPECT_FALSE(Visible(w, spinId));
    Click(w, IDC_DATA_CHECK1);
    Click(w, IDC_DATA_CHECK2);
    EXPECT_TRUE(Enabled(w, IDC_DATA_TARGET1));
    EXPECT_TRUE(Visible(w, IDC_DATA_SPIN));
    EXPECT_TRUE(Visible(w, spinId));
    EXPECT_FALSE(Enabled(w, IDC_DATA_LIST)); // nothing enables a kind-11 target again

    // The edit rule disables the spin edit only, never its up-down control.
    SetDlgItemTextA(w, IDC_DATA_ENTRY, "x");
    SetDlgItemTextA(w, IDC_DATA_ENTRY, "");
    EXPECT_FALSE(Enabled(w, IDC_DATA_SPIN));
    EXPECT_TRUE(Enabled(w, spinId));
    EXPECT_TRUE(Visible(w, IDC_DATA_SPIN));

    // Switching the first radio off by clicking the second re-evaluates the first one's rule.
    Click(w, IDC_DATA_RADIO1);
    EXPECT_FALSE(Enabled(w, IDC_DATA_TARGET2));
    Click(w, IDC_DATA_RADIO2);
    EXPECT_TRUE(Enabled(w, IDC_DATA_TARGET2));
}

TEST(DATADIALOG, AllBitNeedsEveryRuleOfTheGroup)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    HWND w = box.hWnd;
    STRING c1("1"), c2("1");
    box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK1, c1));
    box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK2, c2));
    box.AddDisableItem(IDC_DATA_TARGET1, IDC_DATA_CHECK1, 1 | DATADIALOGRULES::ALL, "");
    box.AddDisableItem(IDC_DATA_TARGET1, IDC_DATA_CHECK2, 1, "");
    box.InitItems();
    Click(w, IDC_DATA_CHECK2);
    EXPECT_TRUE(Enabled(w, IDC_DATA_TARGET1));
    Click(w, IDC_DATA_CHECK1);
    EXPECT_FALSE(Enabled(w, IDC_DATA_TARGET1));
    Click(w, IDC_DATA_CHECK2);
    EXPECT_TRUE(Enabled(w, IDC_DATA_TARGET1));
}

TEST(DATADIALOG, TablesRefuseTheirOverflow)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    STRING value("0");
    LOGCAPTURE log;
    for (int i = 0; i < 64; i++)
        EXPECT_TRUE(box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK1, value)));
    EXPECT_FALSE(box.AddItem(new DATADIALOGCHECK(IDC_DATA_CHECK1, value)));
    EXPECT_EQ(64, box.GetItemCount());
    for (int i = 0; i < 64; i++)
        EXPECT_TRUE(box.AddDisableItem(IDC_DATA_TARGET1, IDC_DATA_CHECK1, 0, ""));
    EXPECT_FALSE(box.AddDisableItem(IDC_DATA_TARGET1, IDC_DATA_CHECK1, 0, ""));
    EXPECT_EQ(64, box.GetRuleCount());
    ASSERT_EQ(2, log.Failures());
    EXPECT_EQ("this->Howmany < this->Max", log.Conditions().at(0));
    EXPECT_EQ("this->DisableItemCount<ARRAYMAX(this->DisableItems)", log.Conditions().at(1));
}

namespace {

// Closes the dialog from the change callback once the entry reads "close".
void CloseOnText(void *userData, HWND dialog, int code, CONTROL &source)
{
    int *calls = static_cast<int *>(userData);
    ++*calls;
    if (code == EN_CHANGE && source.hWnd != nullptr && GetDlgCtrlID(source.hWnd) == IDC_DATA_ENTRY &&
        Text(dialog, IDC_DATA_ENTRY) == "close")
        PostMessageA(dialog, WM_CLOSE, 0, 0);
}

} // namespace

TEST(DATADIALOG, OnlyOkStores)
{
    struct CASE {
        const char *what;
        int button; // 0: the close box
        int result;
        const char *stored;
    } cases[] = {
        {"OK", IDOK, 1, "typed"},
        {"Cancel", IDCANCEL, 0, "old"},
        {"close box", 0, 0, "old"},
    };
    for (const CASE &c : cases) {
        DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
        STRING value("old");
        int calls = 0;
        box.AddItem(new DATADIALOGENTRY(IDC_DATA_ENTRY, value, 50));
        box.SetCallback(CloseOnText, &calls);
        std::vector<DIALOGSTEP> script;
        if (c.button != 0) {
            script.push_back(DIALOGSTEP::SetText(IDC_DATA_ENTRY, "typed", "Test data"));
            script.push_back(DIALOGSTEP::Press(c.button, "Test data"));
        } else {
            script.push_back(DIALOGSTEP::SetText(IDC_DATA_ENTRY, "close", "Test data"));
        }
        DIALOGWATCHER watcher(script);
        EXPECT_EQ(c.result, box.DoModal()) << c.what;
        EXPECT_TRUE(watcher.WaitPressed(5000)) << c.what;
        EXPECT_EQ(c.stored, Str(value)) << c.what;
        EXPECT_GT(calls, 0) << c.what;
    }
}

TEST(DATADIALOG, EntryWideBindingAndWideBuffer)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    HWND w = box.hWnd;
    STRING unused("ignored");
    WSTRING wide(L"\u20AC 5");
    wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
    DATADIALOGITEM *e = new DATADIALOGENTRY(IDC_DATA_ENTRY, unused, 50);
    e->SetWideBinding(&wide);
    e->SetRawBinding(buffer, 4);
    box.AddItem(e);
    box.InitItems();
    wchar_t shown[16] = L"";
    GetDlgItemTextW(w, IDC_DATA_ENTRY, shown, 16);
    EXPECT_EQ(std::wstring(L"\u20AC 5"), std::wstring(shown));
    SetDlgItemTextW(w, IDC_DATA_ENTRY, L"\u00E9t\u00E9s");
    box.ExitItems();
    EXPECT_EQ(std::wstring(L"\u00E9t\u00E9s"), std::wstring(wide.GetWide()));
    // The buffer gets size - 1 characters and its terminator.
    EXPECT_EQ(std::wstring(L"\u00E9t\u00E9"), std::wstring(buffer));
    EXPECT_EQ("ignored", Str(unused));
}
