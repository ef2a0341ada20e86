// Print jobs to fax files through the libraries: the stand-in spooler host prints streams of the
// stand-in fax printer driver, and the tests read the dropped SFF files back.  Boxes are pressed
// by the dialog watcher, their caption and text checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "standins/faxdriver/faxdriver.h"
#include "standins/spooler/monitorhost.h"
#include "tests/portmonitor/dropfolder_support.h"
#include "tests/support/dialog_watcher_support.h"

namespace {

struct LIBRARYCASE {
    const char *label;
    const char *file;
    MONITORHOST::FORM form;
};

#if defined(_WIN64)
const LIBRARYCASE kLibraries[] = {{"X64", "PARLOMATIXPORTX64.DLL", MONITORHOST::FORM_NT}};
#else
const LIBRARYCASE kLibraries[] = {{"NT", "PARLOMATIXPORTNT.DLL", MONITORHOST::FORM_NT},
                                  {"9x", "PARLOMATIXPORT9x.DLL", MONITORHOST::FORM_9X}};
#endif

const char kCaption[] = "ParlomatixFax Port Monitor";
const char kPrinter[] = "PlxPdf";
const char kNoPrinter[] = "No Such Printer Here";

std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string BaseName(const std::string &path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

typedef std::vector<uint8_t> LINE;

// The lines of a decoded page from the top (a normal page holds each twice).
std::vector<LINE> LinesOf(const faxtest::Page &page)
{
    std::vector<LINE> lines;
    for (int y = 0; y < page.Height(); y += page.Fine ? 1 : 2)
        lines.push_back(page.Rows[static_cast<size_t>(y)]);
    return lines;
}

class PORTMONITOR_FAXJOB : public testing::TestWithParam<LIBRARYCASE> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Load(ProgramFolder() + GetParam().file, GetParam().form)) << host.Error();
        ASSERT_TRUE(host.OpenPort(&port));
    }
    void TearDown() override
    {
        if (port)
            host.ClosePort(port);
    }
    // One job; a box that comes up is pressed and its text returned ("" for none).
    std::string Print(const std::string &job, const char *printer = kNoPrinter)
    {
        DIALOGWATCHER watcher(IDOK, 20000, GetCurrentThreadId(), kCaption);
        EXPECT_TRUE(host.PrintJob(port, printer, ++jobId, job, 1000));
        if (!watcher.Pressed())
            return "";
        EXPECT_EQ(watcher.Title(), kCaption);
        return watcher.Text();
    }
    MONITORHOST host;
    HANDLE port = nullptr;
    DWORD jobId = 0;
};

std::string CaseName(const testing::TestParamInfo<LIBRARYCASE> &info)
{
    return info.param.label;
}

} // namespace

TEST_P(PORTMONITOR_FAXJOB, StreamsBecomeFaxFiles)
{
    const LINE top = FAXDRIVER::Line(0, 1), mid = FAXDRIVER::Line(864, 1000), last = FAXDRIVER::Line(1700, 1728);
    const LINE blank(216, 0);
    struct CASE {
        const char *what;
        std::string job;
        std::vector<bool> fine;
        std::vector<std::vector<LINE>> lines;
    } cases[] = {
        {"three lines, fine", FAXDRIVER().BeginDoc().Resolution(true).BeginPage().Block(top).Block(mid).Block(last).EndPage().EndDoc().Bytes(),
         {true}, {{top, mid, last}}},
        {"three lines, normal", FAXDRIVER().BeginDoc().Resolution(false).BeginPage().Block(top).Block(mid).Block(last).EndPage().EndDoc().Bytes(),
         {false}, {{top, mid, last}}},
        {"blank lines, pages at both resolutions",
         FAXDRIVER::Document({{true, {blank, blank, top}}, {false, {mid, blank, blank, blank, last}}}),
         {true, false}, {{blank, blank, top}, {mid, blank, blank, blank, last}}},
        {"a valid job without a page", FAXDRIVER().BeginDoc().EndDoc().Bytes(), {}, {}},
    };
    DROPFOLDER drop;
    const std::string user = ThisUser();
    ASSERT_FALSE(user.empty());
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Print(c.job), "") << "no box";
        std::vector<std::string> files = drop.Files();
        ASSERT_EQ(files.size(), 1u);
        // plxfax_<user>_<time>_<pages>.sff
        std::string name = BaseName(files[0]);
        std::string prefix = "plxfax_" + user + "_";
        EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
        std::string suffix = "_" + std::to_string(c.lines.size()) + ".sff";
        EXPECT_EQ(name.substr(name.size() - suffix.size()), suffix) << name;
        long long seconds = std::atoll(name.substr(prefix.size()).c_str());
        EXPECT_LE(std::llabs(seconds - static_cast<long long>(time(nullptr))), 60) << name;

        std::vector<faxtest::Page> pages = SffPages(files[0]);
        ASSERT_EQ(pages.size(), c.lines.size());
        for (size_t p = 0; p < pages.size(); ++p) {
            EXPECT_EQ(pages[p].Width, 1728);
            EXPECT_EQ(pages[p].Fine, c.fine[p]);
            EXPECT_TRUE(LinesOf(pages[p]) == c.lines[p]) << "page " << p << ": " << faxtest::Describe(pages[p]);
        }
        drop.Clear();
    }
}

TEST_P(PORTMONITOR_FAXJOB, InvalidJobsWriteNoFileAndSayWhy)
{
    const LINE a = FAXDRIVER::Line(0, 100);
    const std::string english = "No valid ParlomatixFax printer data!";
    const std::string german = "Keine g\xFCltigen ParlomatixFax Druckerdaten!";
    struct CASE {
        const char *what;
        std::string job;
        LCID locale;
        std::string text;
    } cases[] = {
        {"no [BEGINDOC]", FAXDRIVER().BeginPage().Block(a).EndPage().EndDoc().Bytes(), 0x0409, english},
        {"unknown record", FAXDRIVER().BeginDoc().Raw("[COLOR]").BeginPage().Block(a).EndPage().Bytes(), 0x0409, english},
        {"tag cut off at the end", FAXDRIVER().BeginDoc().BeginPage().Block(a).Raw("[ENDPA").Bytes(), 0x0409, english},
        {"German thread locale", FAXDRIVER().BeginPage().EndPage().Bytes(), 0x0407, german},
        {"Austrian German", FAXDRIVER().BeginPage().EndPage().Bytes(), 0x0C07, german},
    };
    DROPFOLDER drop;
    LCID before = GetThreadLocale();
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.what);
        SetThreadLocale(c.locale);
        EXPECT_EQ(Print(c.job), c.text);
        SetThreadLocale(before);
        EXPECT_TRUE(drop.Files("*").empty());
    }
}

TEST_P(PORTMONITOR_FAXJOB, TwoJobsInOneSecondGiveTwoFiles)
{
    DROPFOLDER drop;
    std::string job = FAXDRIVER::Document({{true, {FAXDRIVER::Line(0, 8)}}});
    EXPECT_EQ(Print(job), "");
    EXPECT_EQ(Print(job, kPrinter), "");
    std::vector<std::string> files = drop.Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(ReadWholeFile(files[0]), ReadWholeFile(files[1]));
    EXPECT_TRUE(drop.Files("*.tmp").empty());
}

TEST_P(PORTMONITOR_FAXJOB, FolderIsTheClientsSharedFolder)
{
    std::string job = FAXDRIVER::Document({{false, {FAXDRIVER::Line(0, 8)}}});
    {
        DROPFOLDER drop;
        EXPECT_EQ(Print(job), "");
        EXPECT_EQ(drop.Files().size(), 1u) << "created: " << drop.Folder();
    }
    {
        // Without the value, the shell's folder counts, as for the client.
        DROPFOLDER drop(true);
        drop.Clear();
        EXPECT_EQ(Print(job), "");
        EXPECT_EQ(drop.Files().size(), 1u) << drop.Folder();
    }
}

TEST_P(PORTMONITOR_FAXJOB, FilesThatCannotBeWrittenAreReported)
{
    DROPFOLDER drop;
    // "Orvak" is a file: the drop folder cannot be made.
    HANDLE blocker = CreateFileA((drop.Root() + "\\Orvak").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
    CloseHandle(blocker);
    EXPECT_EQ(Print(FAXDRIVER::Document({{true, {FAXDRIVER::Line(0, 8)}}})), "File Write Error");
    DeleteFileA((drop.Root() + "\\Orvak").c_str());

    // A job that WritePort refused writes no file.
    ASSERT_TRUE(host.StartDocPort(port, kNoPrinter, 99));
    const DWORD size = 256u * 1024 * 1024 + 1;
    void *huge = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(huge, nullptr);
    DWORD written = 0;
    EXPECT_FALSE(host.WritePort(port, huge, size, &written));
    VirtualFree(huge, 0, MEM_RELEASE);
    DIALOGWATCHER watcher(IDOK, 20000, GetCurrentThreadId(), kCaption);
    EXPECT_TRUE(host.EndDocPort(port));
    ASSERT_TRUE(watcher.Pressed());
    EXPECT_EQ(watcher.Text(), "File Write Error");
    EXPECT_TRUE(drop.Files("*").empty());
}

INSTANTIATE_TEST_SUITE_P(Libraries, PORTMONITOR_FAXJOB, testing::ValuesIn(kLibraries), CaseName);
