// The list, date-time, push and nested-dialog items under Wine, and the stock push functions
// driven by DIALOGWATCHER.
#include "kestar/windowing/datadialogbox.h"
#include "kestar/windowing/datadialogdatetime.h"
#include "kestar/windowing/datadialogentry.h"
#include "kestar/windowing/datadialoglistindex.h"
#include "kestar/windowing/datadialoglistmulti.h"
#include "kestar/windowing/datadialoglisttext.h"
#include "kestar/windowing/datadialogpush.h"
#include "kestar/windowing/datadialogsubdialog.h"

#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/osystime.h"
#include "kestar/base/stringarray.h"
#include "kestar/windowing/control.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

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

} // namespace

TEST(DATADIALOGITEMS, ListsByIndexTextAndRecords)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    HWND w = box.hWnd;
    STRINGARRAY entries("Fax|Voice|SMS", "|");
    STRING none("-1"), second("1"), text("voice"), empty("nothing"), ids("7||9"), combo("Vo");
    box.AddItem(new DATADIALOGLISTINDEX(IDC_DATA_LIST, none, &entries));
    box.AddItem(new DATADIALOGLISTINDEX(IDC_DATA_DROPLIST, second, &entries));
    box.AddItem(new DATADIALOGLISTTEXT(IDC_DATA_COMBO, text, &entries));
    box.AddItem(new DATADIALOGLISTTEXT(IDC_DATA_PLACEHOLDER, empty, &entries));
    HASHLIST records;
    const char *names[] = {"Anna", "Bert", "Cleo"};
    const char *numbers[] = {"7", "8", "9"};
    for (int i = 0; i < 3; i++) {
        HASH r;
        r["Name"] = names[i];
        r["Id"] = numbers[i];
        records.AddItem(r);
    }
    box.AddItem(new DATADIALOGLISTMULTI(IDC_DATA_MULTI, ids, &records, "Name", "Id"));
    box.InitItems();

    EXPECT_EQ(-1, static_cast<int>(SendDlgItemMessageA(w, IDC_DATA_LIST, LB_GETCURSEL, 0, 0)));
    EXPECT_EQ(1, static_cast<int>(SendDlgItemMessageA(w, IDC_DATA_DROPLIST, CB_GETCURSEL, 0, 0)));
    EXPECT_EQ(1, static_cast<int>(SendDlgItemMessageA(w, IDC_DATA_COMBO, CB_GETCURSEL, 0, 0)));
    // The placeholder gave way to a list box with its id.
    HWND placed = GetDlgItem(w, IDC_DATA_PLACEHOLDER);
    ASSERT_NE(nullptr, placed);
    EXPECT_TRUE(CONTROL(placed).IsClass("ListBox"));
    EXPECT_EQ(3, static_cast<int>(SendMessageA(placed, LB_GETCOUNT, 0, 0)));
    // An empty part ends the list: only the first Id is selected.
    EXPECT_EQ(1, static_cast<int>(SendDlgItemMessageA(w, IDC_DATA_MULTI, LB_GETSELCOUNT, 0, 0)));
    EXPECT_NE(0, SendDlgItemMessageA(w, IDC_DATA_MULTI, LB_GETSEL, 0, 0));

    SendDlgItemMessageA(w, IDC_DATA_MULTI, LB_SETSEL, TRUE, 2);
    box.ExitItems();
    EXPECT_EQ("-1", Str(none));
    EXPECT_EQ("1", Str(second));
    EXPECT_EQ("Voice", Str(text));
    EXPECT_EQ("", Str(empty));
    EXPECT_EQ("7|9", Str(ids));
}

TEST(DATADIALOGITEMS, DateTimeInSeconds)
{
    int64_t when = 1700000000;
    {
        DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
        STRING value(static_cast<long long>(when));
        box.AddItem(new DATADIALOGDATETIME(IDC_DATA_DATETIME, value));
        box.InitItems();
        value = "x";
        box.ExitItems();
        // The picker keeps whole seconds of the local time.
        EXPECT_EQ(std::to_string(when), Str(value));
    }
    {
        // "0" keeps the control's own date (today) and stores it.
        DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
        SYSTEMTIME st = {2021, 3, 0, 14, 10, 20, 30, 0};
        SendDlgItemMessageA(box.hWnd, IDC_DATA_DATETIME, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        STRING value("0");
        box.AddItem(new DATADIALOGDATETIME(IDC_DATA_DATETIME, value));
        box.InitItems();
        box.ExitItems();
        OSYS::SYSTIME t = {2021, 3, 0, 14, 10, 20, 30, 0};
        EXPECT_EQ(std::to_string(OSYS::SystemTimeToTime(t)), Str(value));
    }
}

namespace {

void Append(void *userData, int targetId, HWND dialog, STRING *value)
{
    ++*static_cast<int *>(userData);
    *value += "+";
    SetDlgItemTextA(dialog, targetId, *value);
}

} // namespace

TEST(DATADIALOGITEMS, PushWorksOnACopyStoredOnOk)
{
    struct CASE {
        int button;
        const char *stored;
    } cases[] = {{IDOK, "a++"}, {IDCANCEL, "a"}};
    for (const CASE &c : cases) {
        DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
        STRING value("a");
        int calls = 0;
        box.AddItem(new DATADIALOGPUSH(IDC_DATA_PUSH, value, Append, &calls, IDC_DATA_ENTRY));
        DIALOGWATCHER watcher({DIALOGSTEP::Press(IDC_DATA_PUSH, "Test data"), DIALOGSTEP::Press(IDC_DATA_PUSH, "Test data"),
                               DIALOGSTEP::Press(c.button, "Test data")});
        box.DoModal();
        EXPECT_TRUE(watcher.WaitPressed(5000));
        EXPECT_EQ(2, calls);
        EXPECT_EQ(c.stored, Str(value));
    }
}

TEST(DATADIALOGITEMS, NestedDialogReachesTheCallerOnlyThroughOuterOk)
{
    struct CASE {
        int outer;
        const char *stored;
    } cases[] = {{IDCANCEL, "old"}, {IDOK, "new"}};
    for (const CASE &c : cases) {
        DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
        STRING value("old"), dummy;
        DATADIALOGSUBDIALOG *sub = new DATADIALOGSUBDIALOG(IDC_DATA_PUSH, dummy, IDD_TEST_BUTTONS, box, Program());
        sub->AddItem(new DATADIALOGENTRY(IDC_TEST_EDIT1, value, 50));
        box.AddItem(sub);
        DIALOGWATCHER watcher({DIALOGSTEP::Press(IDC_DATA_PUSH, "Test data"),
                               DIALOGSTEP::SetText(IDC_TEST_EDIT1, "new", "Test buttons"),
                               DIALOGSTEP::Press(IDOK, "Test buttons"), DIALOGSTEP::Press(c.outer, "Test data")});
        box.DoModal();
        EXPECT_TRUE(watcher.WaitPressed(10000));
        EXPECT_EQ(c.stored, Str(value)) << c.outer;
    }
}

TEST(DATADIALOGITEMS, NestedDialogRefusesThe33rdItem)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    STRING dummy, value("0");
    DATADIALOGSUBDIALOG sub(IDC_DATA_PUSH, dummy, IDD_TEST_BUTTONS, box, Program());
    LOGCAPTURE log;
    for (int i = 0; i < 32; i++)
        EXPECT_TRUE(sub.AddItem(new DATADIALOGENTRY(IDC_TEST_EDIT1, value, 5)));
    EXPECT_FALSE(sub.AddItem(new DATADIALOGENTRY(IDC_TEST_EDIT1, value, 5)));
    ASSERT_EQ(1, log.Failures());
    EXPECT_EQ("this->Howmany < this->Max", log.Conditions().at(0));
}

TEST(DATADIALOGITEMS, ColourOkGivesTheValueBack)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    STRING value("16711680"); // blue, 0x00FF0000
    box.AddItem(new DATADIALOGPUSH(IDC_DATA_PUSH, value, DATADIALOGPUSH::ChooseColour, nullptr, IDC_DATA_ENTRY));
    DIALOGWATCHER watcher({DIALOGSTEP::Press(IDC_DATA_PUSH, "Test data"), DIALOGSTEP::Press(IDOK, "Colo").After(500),
                           DIALOGSTEP::Press(IDOK, "Test data")});
    EXPECT_EQ(1, box.DoModal());
    EXPECT_TRUE(watcher.WaitPressed(10000));
    EXPECT_EQ("16711680", Str(value));
}

TEST(DATADIALOGITEMS, BrowseFileTakesTheTypedName)
{
    TEMPFOLDER scratch;
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    std::string start = scratch.File("*.tif");
    STRING value(("Pick fax|" + start + "\nFaxes|*.tif").c_str()), field("");
    box.AddItem(new DATADIALOGENTRY(IDC_DATA_ENTRY, field, 250));
    box.AddItem(new DATADIALOGPUSH(IDC_DATA_PUSH, value, DATADIALOGPUSH::BrowseFile, nullptr, IDC_DATA_ENTRY));
    std::string typed = scratch.File("new.tif");
    DIALOGWATCHER watcher({DIALOGSTEP::Press(IDC_DATA_PUSH, "Test data"),
                           DIALOGSTEP::SetText(cmb13, typed.c_str(), "Pick fax"), DIALOGSTEP::Press(IDOK, "Pick fax"),
                           DIALOGSTEP::Press(IDOK, "Test data")});
    EXPECT_EQ(1, box.DoModal());
    EXPECT_TRUE(watcher.WaitPressed(20000));
    EXPECT_EQ(typed, Str(field));
}

namespace {

int CALLBACK FirstTrueType(const LOGFONTA *font, const TEXTMETRICA *, DWORD type, LPARAM param)
{
    if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != '@') {
        // The font text marks a face of any family bits 0x30 with "F".
        *reinterpret_cast<std::string *>(param) = std::string((font->lfPitchAndFamily & 0x30) ? "F." : ".") + font->lfFaceName;
        return 0;
    }
    return 1;
}

// A TrueType face the font dialog lists on this machine, after "." or "F." as its font text has it.
std::string SomeFace()
{
    std::string face;
    HDC dc = GetDC(nullptr);
    LOGFONTA all = {};
    all.lfCharSet = ANSI_CHARSET;
    EnumFontFamiliesExA(dc, &all, FirstTrueType, reinterpret_cast<LPARAM>(&face), 0);
    ReleaseDC(nullptr, dc);
    return face;
}

} // namespace

TEST(DATADIALOGITEMS, FontOkGivesTheValueBack)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    std::string face = SomeFace();
    ASSERT_FALSE(face.empty());
    const std::string initial = "12." + face.substr(face.find('.') + 1);
    const std::string stored = "12" + face;
    STRING value(initial.c_str());
    box.AddItem(new DATADIALOGPUSH(IDC_DATA_PUSH, value, DATADIALOGPUSH::ChooseFontSpec, nullptr, IDC_DATA_ENTRY));
    DIALOGWATCHER watcher({DIALOGSTEP::Press(IDC_DATA_PUSH, "Test data"), DIALOGSTEP::Press(IDOK, "Font").After(500),
                           DIALOGSTEP::Press(IDOK, "Test data")});
    EXPECT_EQ(1, box.DoModal());
    EXPECT_TRUE(watcher.WaitPressed(10000));
    EXPECT_EQ(stored, Str(value));
}

TEST(DATADIALOGITEMS, PrinterStoresItsDevmodeOnOkOnly)
{
    struct CASE {
        int button;
        bool stored;
    } cases[] = {{IDOK, true}, {IDCANCEL, false}};
    for (const CASE &c : cases) {
        DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
        STRING value("");
        box.AddItem(new DATADIALOGPUSH(IDC_DATA_PUSH, value, DATADIALOGPUSH::ChoosePrinter, nullptr, IDC_DATA_ENTRY));
        DIALOGWATCHER watcher({DIALOGSTEP::Press(IDC_DATA_PUSH, "Test data"),
                               DIALOGSTEP::Press(c.button, "Print").After(500), DIALOGSTEP::Press(IDOK, "Test data")});
        EXPECT_EQ(1, box.DoModal());
        EXPECT_TRUE(watcher.WaitPressed(20000));
        if (c.stored) {
            ASSERT_GE(value.Length(), static_cast<STRING_SIZE_T>(sizeof(DEVMODEA) - 64)) << "no DEVMODE";
            const DEVMODEA *devmode = reinterpret_cast<const DEVMODEA *>(static_cast<const char *>(value));
            EXPECT_EQ(value.Length(), static_cast<STRING_SIZE_T>(devmode->dmSize + devmode->dmDriverExtra));
            EXPECT_NE('\0', devmode->dmDeviceName[0]);
        } else {
            EXPECT_EQ("", Str(value));
        }
    }
}

TEST(DATADIALOGITEMS, ListTextWithoutEntriesTakesThePrefix)
{
    DATADIALOGBOX box(IDD_TEST_DATA, nullptr, Program());
    HWND w = box.hWnd;
    SendDlgItemMessageA(w, IDC_DATA_DROPLIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Fax"));
    SendDlgItemMessageA(w, IDC_DATA_DROPLIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Voice"));
    STRING value("vo");
    box.AddItem(new DATADIALOGLISTTEXT(IDC_DATA_DROPLIST, value));
    box.InitItems();
    EXPECT_EQ(1, static_cast<int>(SendDlgItemMessageA(w, IDC_DATA_DROPLIST, CB_GETCURSEL, 0, 0)));
    box.ExitItems();
    EXPECT_EQ("Voice", Str(value));
}
