// PRINTER on the printers that Wine takes from the print system: the PDF queues "PlxPdf" and
// "PlxPdfWithAVeryLongNameForTheTests" that tools/cups.sh sets up.  Documents that these tests
// start are cancelled when the PRINTER goes; the PDF output itself is checked by the printing
// test of tests/printing.
#include <gtest/gtest.h>

#include <windows.h>

#include "kestar/media/printer.h"

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/printjob_support.h"

namespace {

const char *const kQueue = "PlxPdf";
const char *const kLongQueue = "PlxPdfWithAVeryLongNameForTheTests";

std::string Str(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

// The names of the printers Wine lists.
std::vector<std::string> PrinterNames()
{
    STRINGARRAY list;
    PRINTER::ListPrinters(list);
    std::vector<std::string> names;
    for (STRING_SIZE_T i = 0; i < list.NumItems(); i++)
        names.push_back(Str(list[i]->Token(0, "|")));
    return names;
}

bool HasQueue(const char *name)
{
    for (const std::string &n : PrinterNames())
        if (n == name)
            return true;
    return false;
}

#define REQUIRE_QUEUES()                                                                                 \
    ASSERT_TRUE(HasQueue(kQueue) && HasQueue(kLongQueue))                                                \
        << "the PDF queues are missing: tools/cups.sh starts the print system and creates them"

// For tests that start documents: no other test program of this Wine prefix may start one
// meanwhile.  Declared before the PRINTER, so that its document is gone when the lock goes.
#define HOLD_SPOOL()                                                                                     \
    PRINTJOBLOCK spool;                                                                                  \
    ASSERT_TRUE(spool.Held())

// A DEVMODE that names a printer (cut to the 31 characters the structure keeps), with extra
// driver bytes after it.
STRING MakeDevmode(const char *device, WORD extra = 0)
{
    std::vector<unsigned char> bytes(sizeof(DEVMODEA) + extra, 0);
    DEVMODEA *dm = reinterpret_cast<DEVMODEA *>(bytes.data());
    lstrcpynA(reinterpret_cast<char *>(dm->dmDeviceName), device, CCHDEVICENAME);
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmSize = sizeof(DEVMODEA);
    dm->dmDriverExtra = extra;
    for (WORD i = 0; i < extra; i++)
        bytes[sizeof(DEVMODEA) + i] = static_cast<unsigned char>(0xA0 + i);
    return STRING::FromBytes(bytes.data(), static_cast<STRING_SIZE_T>(bytes.size()));
}

// A printer opened on the PDF queue with a document and its first page started.
void StartOnQueue(PRINTER &printer, int leftmm = 20, int topmm = 20, int rightmm = 20, int bottommm = 20)
{
    ASSERT_TRUE(printer.PrinterOpen(kQueue, nullptr));
    ASSERT_TRUE(printer.SetMargins(leftmm, topmm, rightmm, bottommm));
    ASSERT_GT(printer.StartDocAnsi("plx-cancelled-test", 0), 0);
    ASSERT_TRUE(printer.SetFont("Courier New", 10, 0, 0, 1, 1252));
    ASSERT_GT(printer.NewPage(), 0);
}

} // namespace

TEST(PRINTER, ListsThePrintSystemQueues)
{
    REQUIRE_QUEUES();
    STRINGARRAY list;
    list.AddItem(STRING("kept"));
    const int n = PRINTER::ListPrinters(list);
    ASSERT_EQ(list.NumItems(), n + 1);
    EXPECT_EQ(Str(*list[0]), "kept");
    for (STRING_SIZE_T i = 1; i < list.NumItems(); i++) {
        EXPECT_EQ(list[i]->NumTokens("|"), 3) << Str(*list[i]);
        EXPECT_TRUE(list[i]->Token(1, "|").NotEmpty()) << Str(*list[i]); // port
        EXPECT_TRUE(list[i]->Token(2, "|").NotEmpty()) << Str(*list[i]); // driver
    }
}

TEST(PRINTER, OpensByNameOrByTheDevmodeName)
{
    REQUIRE_QUEUES();
    const std::string cut = std::string(kLongQueue).substr(0, CCHDEVICENAME - 1);
    const struct {
        const char *what;
        const char *name;
        const char *devmodeName; // null: no DEVMODE
        bool opens;
        const char *assertion;   // expected assertion condition, or null
        const char *info;        // and its additional information
    } cases[] = {
        {"name", kQueue, nullptr, true, nullptr, nullptr},
        {"long name", kLongQueue, nullptr, true, nullptr, nullptr},
        {"unknown name", "PlxNoSuchPrinter", nullptr, false, nullptr, nullptr},
        {"name before DEVMODE", kQueue, "PlxNoSuchPrinter", true, nullptr, nullptr},
        {"DEVMODE name", nullptr, kQueue, true, nullptr, nullptr},
        {"DEVMODE name cut to 31", "", cut.c_str(), true, nullptr, nullptr},
        {"beginning of two names", nullptr, "PlxPd", false, "FALSE", kQueue},
        {"unknown DEVMODE name", nullptr, "PlxNoSuchPrinter", false, nullptr, nullptr},
        {"nothing", nullptr, nullptr, false, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        LOGCAPTURE log;
        PRINTER printer;
        const STRING devmode = c.devmodeName ? MakeDevmode(c.devmodeName) : STRING();
        EXPECT_EQ(printer.PrinterOpen(c.name, c.devmodeName ? &devmode : nullptr), c.opens) << c.what;
        EXPECT_EQ(printer.HasDC(), c.opens) << c.what;
        const std::vector<std::string> conditions = log.Conditions();
        if (c.assertion) {
            EXPECT_EQ(conditions, std::vector<std::string>{c.assertion}) << c.what;
            EXPECT_EQ(log.InfoOf(c.assertion), c.info) << c.what;
        } else {
            EXPECT_TRUE(conditions.empty()) << c.what << ": " << (conditions.empty() ? "" : conditions[0]);
        }
    }
}

TEST(PRINTER, OpenRefusesASecondDeviceAndBrokenDevmodes)
{
    REQUIRE_QUEUES();
    {
        LOGCAPTURE log;
        PRINTER printer;
        ASSERT_TRUE(printer.PrinterOpen(kQueue, nullptr));
        EXPECT_FALSE(printer.PrinterOpen(kLongQueue, nullptr));
        EXPECT_FALSE(printer.PrinterDialog(nullptr, nullptr, nullptr, -1, nullptr, 1, 0, nullptr));
        EXPECT_TRUE(printer.HasDC());
        EXPECT_EQ(log.Conditions(), (std::vector<std::string>{"!this->hDC", "!this->hDC"}));
    }
    {
        // Bytes that claim more than they hold are not handed to the driver; the name still opens.
        LOGCAPTURE log;
        PRINTER printer;
        STRING devmode = MakeDevmode(kQueue);
        devmode.Truncate(40);
        EXPECT_TRUE(printer.PrinterOpen(kQueue, &devmode));
        EXPECT_EQ(log.Conditions(), std::vector<std::string>{"DevmodeBytes(*pdevmode)>0"});
    }
}

TEST(PRINTER, KeepsACopyOfTheDevmode)
{
    LOGCAPTURE log;
    PRINTER printer;
    STRING out("unchanged");
    EXPECT_FALSE(printer.GetDevmode(out));
    EXPECT_EQ(Str(out), "unchanged");

    // The driver's extra bytes travel with the structure; bytes behind them do not.
    STRING devmode = MakeDevmode(kQueue, 12);
    STRING stored = devmode;
    devmode.Append("tail", 4);
    ASSERT_TRUE(printer.SetDevmode(&devmode));
    ASSERT_TRUE(printer.GetDevmode(out));
    EXPECT_EQ(Str(out), Str(stored));
    EXPECT_TRUE(out.Flags & STRINGFLAG_BINARY);

    // Refused: empty, shorter than stated, a size smaller than the header.  The copy stays.
    STRING empty("");
    STRING shortened = MakeDevmode(kQueue, 12);
    shortened.Truncate(shortened.Length() - 1);
    STRING tiny = MakeDevmode(kQueue);
    reinterpret_cast<DEVMODEA *>(tiny.Buffer)->dmSize = 8;
    for (const STRING *bad : {&empty, &shortened, &tiny})
        EXPECT_FALSE(printer.SetDevmode(bad));
    EXPECT_EQ(log.Conditions(), (std::vector<std::string>{"pdevmode->NotNull()", "DevmodeBytes(*pdevmode)>0",
                                                          "DevmodeBytes(*pdevmode)>0"}));
    ASSERT_TRUE(printer.GetDevmode(out));
    EXPECT_EQ(Str(out), Str(stored));

    EXPECT_TRUE(printer.SetDevmode(nullptr));
    EXPECT_FALSE(printer.GetDevmode(out));
}

TEST(PRINTER, MarginsAndPositionsOnTheDevice)
{
    REQUIRE_QUEUES();
    HOLD_SPOOL();
    PRINTER printer;
    ASSERT_TRUE(printer.PrinterOpen(kQueue, nullptr));
    // Before any margins: no division by an empty area.
    int x = -1, y = -1;
    printer.GetPosition(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);

    HDC dc = CreateDCA("WINSPOOL", kQueue, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    const int horz = GetDeviceCaps(dc, HORZRES), vert = GetDeviceCaps(dc, VERTRES);
    const int dpix = GetDeviceCaps(dc, LOGPIXELSX), dpiy = GetDeviceCaps(dc, LOGPIXELSY);
    DeleteDC(dc);

    ASSERT_TRUE(printer.SetMargins(0, 0, 0, 0));
    PRINTLAYOUT::BOX m = printer.GetMargins();
    EXPECT_EQ(m.left, 0);
    EXPECT_EQ(m.top, 0);
    EXPECT_EQ(m.right, horz);
    EXPECT_EQ(m.bottom, vert);

    ASSERT_TRUE(printer.SetMargins(20, 15, 10, 25));
    m = printer.GetMargins();
    EXPECT_EQ(m.left, 20 * dpix * 10 / 254);
    EXPECT_EQ(m.top, 15 * dpiy * 10 / 254);
    EXPECT_EQ(m.right, horz - 10 * dpix * 10 / 254);
    EXPECT_EQ(m.bottom, vert - 25 * dpiy * 10 / 254);

    ASSERT_GT(printer.StartDocAnsi("plx-cancelled-test", 0), 0);
    ASSERT_GT(printer.NewPage(), 0);
    printer.GetPosition(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    printer.SetPosition(50, 40);
    printer.GetDevicePosition(&x, &y);
    EXPECT_EQ(x, m.left + 50 * (m.right - m.left) / 100);
    EXPECT_EQ(y, m.top + (m.bottom - m.top) * 40 / 100);
}

TEST(PRINTER, TextMovesThroughCellsLinesAndPages)
{
    REQUIRE_QUEUES();
    HOLD_SPOOL();
    PRINTER printer;
    StartOnQueue(printer);
    const PRINTLAYOUT::BOX m = printer.GetMargins();
    int cx = 0, cy = 0, x = 0, y = 0;
    printer.GetCharCell(&cx, &cy);
    ASSERT_GT(cx, 0);
    ASSERT_GT(cy, 0);

    // A tab at the left margin moves 8 cells.
    ASSERT_TRUE(printer.WriteTextAnsi("\t"));
    printer.GetDevicePosition(&x, &y);
    EXPECT_EQ(x, m.left + 8 * cx);
    EXPECT_EQ(y, m.top);

    // Text advances the device's position; a line feed goes to the next line's start.
    ASSERT_TRUE(printer.WriteTextAnsi("abc"));
    printer.GetDevicePosition(&x, &y);
    EXPECT_GT(x, m.left + 8 * cx);
    ASSERT_TRUE(printer.WriteTextAnsi("\r\n"));
    printer.GetDevicePosition(&x, &y);
    EXPECT_EQ(x, m.left);
    EXPECT_EQ(y, m.top + cy);

    // A form feed starts a new page at the top-left margin.
    ASSERT_TRUE(printer.WriteTextAnsi("more\f"));
    EXPECT_EQ(printer.GetPageCount(), 2);
    printer.GetDevicePosition(&x, &y);
    EXPECT_EQ(x, m.left);
    EXPECT_EQ(y, m.top);

    // A run longer than the line wraps; the text stays between the margins.
    ASSERT_TRUE(printer.WriteTextAnsi(std::string(250, 'w').c_str()));
    printer.GetDevicePosition(&x, &y);
    EXPECT_GE(y, m.top + 2 * cy);
    EXPECT_LE(x, m.right);
}

TEST(PRINTER, NarrowMarginsStillEndTheText)
{
    REQUIRE_QUEUES();
    HOLD_SPOOL();
    // Less than 1 mm between the margins: narrower than one cell of a 10-point font.
    PRINTER printer;
    StartOnQueue(printer, 100, 20, 109, 20);
    const PRINTLAYOUT::BOX m = printer.GetMargins();
    int x = 0, y = 0, cx = 0, cy = 0;
    printer.GetCharCell(&cx, &cy);
    ASSERT_GT(cx, m.right - m.left);
    ASSERT_TRUE(printer.WriteTextAnsi("abcdefghij"));
    printer.GetDevicePosition(&x, &y);
    EXPECT_EQ(y, m.top + 10 * cy); // one character per line, each followed by a line break
    EXPECT_EQ(x, m.left);
}

TEST(PRINTER, WithoutADeviceEveryOperationFails)
{
    LOGCAPTURE log;
    PRINTER printer;
    EXPECT_EQ(printer.StartDocAnsi("none", 0), 0);
    EXPECT_EQ(printer.NewPage(), 0);
    EXPECT_FALSE(printer.WriteTextAnsi("text"));
    EXPECT_FALSE(printer.SetMargins(10, 10, 10, 10));
    EXPECT_FALSE(printer.SetFont("Arial", 10, 0, 0, 0, 1252));
    EXPECT_FALSE(printer.PrintBitmap(nullptr, 10, 10, 0, 0, 0, 100));
    EXPECT_FALSE(printer.EndDoc());
    const std::vector<std::string> conditions = log.Conditions();
    EXPECT_EQ(conditions, std::vector<std::string>(7, "this->hDC"));
}

TEST(PRINTER, TextNeedsMarginsAndStartsItsPage)
{
    REQUIRE_QUEUES();
    HOLD_SPOOL();
    {
        LOGCAPTURE log;
        PRINTER printer;
        ASSERT_TRUE(printer.PrinterOpen(kQueue, nullptr));
        ASSERT_GT(printer.StartDocAnsi("plx-cancelled-test", 0), 0);
        EXPECT_FALSE(printer.WriteTextAnsi("no margins"));
        EXPECT_EQ(log.Conditions(), std::vector<std::string>{"this->Margins.bottom>0"});
    }
    {
        PRINTER printer;
        ASSERT_TRUE(printer.PrinterOpen(kQueue, nullptr));
        ASSERT_TRUE(printer.SetMargins(10, 10, 10, 10));
        ASSERT_GT(printer.StartDocAnsi("plx-cancelled-test", 0), 0);
        EXPECT_TRUE(printer.WriteTextAnsi("before the first page"));
        EXPECT_EQ(printer.GetPageCount(), 1);
    }
}

TEST(PRINTER, DialogTakesTheDefaultPrinter)
{
    REQUIRE_QUEUES();
    HOLD_SPOOL();
    char name[256];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetDefaultPrinterA(name, &size));
    PRINTER printer;
    ASSERT_TRUE(printer.PrinterDialog(nullptr, nullptr, nullptr, -1, nullptr, 1, 0, nullptr));
    EXPECT_TRUE(printer.HasDC());
    const STRING description = printer.GetDescription();
    EXPECT_EQ(Str(description.Token(0, "|")), name);
    EXPECT_EQ(description.NumTokens("|"), 3);
    STRING devmode;
    ASSERT_TRUE(printer.GetDevmode(devmode));
    EXPECT_STREQ(reinterpret_cast<const char *>(reinterpret_cast<const DEVMODEA *>(devmode.Buffer)->dmDeviceName),
                 name);
    // The device works: a document can be started on it.
    ASSERT_TRUE(printer.SetMargins(10, 10, 10, 10));
    EXPECT_GT(printer.StartDocAnsi("plx-cancelled-test", 0), 0);
}

TEST(PRINTER, DialogConfirmedOrCancelled)
{
    REQUIRE_QUEUES();
    {
        PRINTER printer;
        int from = 1, to = 5, copies = 2, selection = -1;
        DIALOGWATCHER ok(IDOK);
        ASSERT_TRUE(printer.PrinterDialog(nullptr, &from, &to, 3, &copies, 0, 0, &selection));
        EXPECT_TRUE(ok.Pressed());
        EXPECT_TRUE(printer.HasDC());
        EXPECT_EQ(from, 1);
        EXPECT_EQ(to, 5);
        EXPECT_GE(copies, 1);
        EXPECT_EQ(selection, 0);
        EXPECT_TRUE(printer.GetDescription().NotEmpty());
        // The stored DEVMODE goes into the next dialog.
        STRING devmode;
        EXPECT_TRUE(printer.GetDevmode(devmode));
        EXPECT_TRUE(printer.EndDoc() == false); // no document was started: nothing printed
        EXPECT_FALSE(printer.HasDC());
        DIALOGWATCHER again(IDOK);
        EXPECT_TRUE(printer.PrinterDialog(nullptr, nullptr, nullptr, -1, nullptr, 0, 0, nullptr));
        EXPECT_TRUE(again.Pressed());
    }
    {
        // The print setup dialog gives a device context as well.
        PRINTER printer;
        DIALOGWATCHER ok(IDOK, 30000, 0, "Setup");
        EXPECT_TRUE(printer.PrinterDialog(nullptr, nullptr, nullptr, -1, nullptr, 0, 1, nullptr));
        EXPECT_TRUE(ok.Pressed()) << ok.Title();
        EXPECT_TRUE(printer.HasDC());
    }
    {
        PRINTER printer;
        int from = 2, to = 4, copies = 1, selection = -1;
        DIALOGWATCHER cancel(IDCANCEL);
        EXPECT_FALSE(printer.PrinterDialog(nullptr, &from, &to, 3, &copies, 0, 0, &selection));
        EXPECT_TRUE(cancel.Pressed());
        EXPECT_FALSE(printer.HasDC());
        EXPECT_EQ(from, 2);
        EXPECT_EQ(to, 4);
        EXPECT_EQ(selection, -1);
    }
}

TEST(PRINTER, PrintsABitmapWithAFrame)
{
    REQUIRE_QUEUES();
    HOLD_SPOOL();
    PRINTER printer;
    StartOnQueue(printer);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 32);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    PatBlt(mem, 0, 0, 64, 32, BLACKNESS);
    EXPECT_TRUE(printer.PrintBitmap(mem, 64, 32, 1, 10, 10, 50));
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

TEST(PRINTER, DriverDirectoryOfThisProcessor)
{
    STRING folder("unchanged");
    ASSERT_TRUE(PRINTER::GetDriverDirectory(folder));
    const std::string path = Str(folder);
    const std::string tail = sizeof(void *) == 8 ? "\\x64" : "\\w32x86";
    ASSERT_GE(path.size(), tail.size());
    EXPECT_EQ(path.substr(path.size() - tail.size()), tail) << path;
    EXPECT_NE(path.find("\\spool\\drivers"), std::string::npos) << path;
}
