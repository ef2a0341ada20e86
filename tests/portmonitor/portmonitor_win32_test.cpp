// The port operations on the monitor's static library, where the tests can look into FAXPORT:
// the job buffer of each job and the printer handle, which the libraries show nobody.  Built
// once per character form (PLX_PORTMONITOR_ANSI: the 9x library's code).
#include <gtest/gtest.h>

#include <string>

#include "kestar/base/logit.h"
#include "portmonitor/faxport.h"
#include "portmonitor/portmonitor.h"
#include "tests/portmonitor/dropfolder_support.h"
#include "tests/support/dialog_watcher_support.h"

#if defined(PLX_PORTMONITOR_ANSI)
#define PORTMONITOR_UNIT PORTMONITOR_9X_UNIT
#define T(text) text
#else
#define PORTMONITOR_UNIT PORTMONITOR_NT_UNIT
#define T(text) L##text
#endif

namespace {

// A queue of tools/cups.sh, which Wine lists as a printer.
PMCHAR kPrinter[] = T("PlxPdf");
PMCHAR kNoPrinter[] = T("No Such Printer Here");

std::string Bytes(HANDLE port)
{
    const STRING &buffer = static_cast<FAXPORT *>(port)->GetJobBuffer();
    return buffer.IsNull() ? std::string() : std::string(buffer.GetBuffer(), static_cast<size_t>(buffer.Length()));
}

void *PrinterOf(HANDLE port)
{
    return static_cast<FAXPORT *>(port)->PrinterHandle;
}

BOOL Write(HANDLE port, const std::string &bytes, DWORD *written)
{
    return PORTMONITOR::WritePort(port, reinterpret_cast<LPBYTE>(const_cast<char *>(bytes.data())),
                                  static_cast<DWORD>(bytes.size()), written);
}

// Ends the job; a box that comes up is pressed and its text returned ("" for none).
std::string EndDoc(HANDLE port, BOOL *result = nullptr)
{
    DIALOGWATCHER watcher(IDOK, 20000, GetCurrentThreadId(), "ParlomatixFax Port Monitor");
    BOOL ok = PORTMONITOR::EndDocPort(port);
    if (result)
        *result = ok;
    return watcher.Pressed() ? watcher.Text() : std::string();
}

// A handle that was closed no longer closes.  Nothing opens a printer in between, so the slot
// cannot have been given out again.
bool IsClosed(void *printer)
{
    return !ClosePrinter(static_cast<HANDLE>(printer));
}

class PORTMONITOR_UNIT : public testing::Test {
protected:
    void SetUp() override
    {
        PORTMONITOR::Attach();
        ASSERT_TRUE(PORTMONITOR::OpenPort(nullptr, &port));
        ASSERT_NE(port, nullptr);
    }
    void TearDown() override
    {
        if (port)
            PORTMONITOR::ClosePort(port);
        FAXPORT::SetJobLimit(FAXPORT::kDefaultJobLimit);
    }
    HANDLE port = nullptr;
    DROPFOLDER drop; // the files of valid jobs land in a scratch folder
};

} // namespace

TEST_F(PORTMONITOR_UNIT, AttachTurnsTheAssertionBoxOff)
{
    EXPECT_TRUE(LOGIT::IsNoAssert());
}

TEST_F(PORTMONITOR_UNIT, EachJobStartsFromAnEmptyBuffer)
{
    EXPECT_EQ(Bytes(port), "");
    DWORD written = 0;
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 11, 1, nullptr));
    EXPECT_EQ(static_cast<FAXPORT *>(port)->JobId, 11u);
    ASSERT_TRUE(Write(port, "[BEGINDOC]first", &written));
    ASSERT_TRUE(Write(port, std::string("\0job", 4), &written));
    EXPECT_EQ(written, 4u);
    BOOL ended = FALSE;
    EXPECT_EQ(EndDoc(port, &ended), "") << "a valid job without pages";
    EXPECT_TRUE(ended);
    EXPECT_EQ(drop.Files().size(), 1u);
    EXPECT_EQ(Bytes(port), std::string("[BEGINDOC]first\0job", 19)) << "kept until the next job";

    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 12, 1, nullptr));
    EXPECT_EQ(Bytes(port), "");
    EXPECT_EQ(static_cast<FAXPORT *>(port)->JobId, 12u);
    ASSERT_TRUE(Write(port, "second", &written));
    EXPECT_EQ(Bytes(port), "second");
}

TEST_F(PORTMONITOR_UNIT, PrinterHandleLivesForOneJob)
{
    // A job on a printer that exists holds its handle until EndDocPort closes it, whether the
    // job makes a file or not.
    DWORD written = 0;
    for (const char *job : {"[BEGINDOC]", "not a fax"}) {
        SCOPED_TRACE(job);
        ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kPrinter, 1, 1, nullptr));
        void *first = PrinterOf(port);
        ASSERT_NE(first, nullptr) << "Wine should list the CUPS queue PlxPdf (tools/cups.sh)";
        ASSERT_TRUE(Write(port, job, &written));
        BOOL ended = FALSE;
        EndDoc(port, &ended);
        EXPECT_TRUE(ended);
        EXPECT_EQ(PrinterOf(port), nullptr);
        EXPECT_TRUE(IsClosed(first));
    }

    // A printer that does not exist: no handle, the job goes on.
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 2, 1, nullptr));
    EXPECT_EQ(PrinterOf(port), nullptr);
    EXPECT_TRUE(Write(port, "data", &written));
    BOOL ended = FALSE;
    EXPECT_EQ(EndDoc(port, &ended), "No valid ParlomatixFax printer data!");
    EXPECT_TRUE(ended);
}

TEST_F(PORTMONITOR_UNIT, HandleOfAJobThatNeverEndedIsClosedByTheNextJob)
{
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kPrinter, 1, 1, nullptr));
    void *abandoned = PrinterOf(port);
    ASSERT_NE(abandoned, nullptr);
    // The next job's printer does not exist, so no new handle can take the old one's slot.
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 2, 1, nullptr));
    EXPECT_EQ(PrinterOf(port), nullptr);
    EXPECT_TRUE(IsClosed(abandoned));
}

TEST_F(PORTMONITOR_UNIT, HandleOfAJobThatNeverEndedIsClosedByClosePort)
{
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kPrinter, 1, 1, nullptr));
    void *abandoned = PrinterOf(port);
    ASSERT_NE(abandoned, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(Write(port, "half a job", &written));
    ASSERT_TRUE(PORTMONITOR::ClosePort(port));
    port = nullptr;
    EXPECT_TRUE(IsClosed(abandoned));
}

TEST_F(PORTMONITOR_UNIT, WritePastTheLimitFailsAndSpoilsTheJob)
{
    FAXPORT::SetJobLimit(100);
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 3, 1, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(Write(port, std::string(100, 'a'), &written));
    EXPECT_EQ(written, 100u);

    written = 55;
    SetLastError(0);
    EXPECT_FALSE(Write(port, "b", &written));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(static_cast<FAXPORT *>(port)->IsRefused());
    EXPECT_FALSE(Write(port, "c", &written)) << "the rest of a refused job is refused too";
    EXPECT_EQ(written, 0u);
    BOOL ended = FALSE;
    EXPECT_EQ(EndDoc(port, &ended), "File Write Error");
    EXPECT_TRUE(ended);
    EXPECT_TRUE(drop.Files("*").empty()) << "a refused job writes no file";

    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 4, 1, nullptr));
    EXPECT_FALSE(static_cast<FAXPORT *>(port)->IsRefused());
    EXPECT_TRUE(Write(port, "d", &written));
    EXPECT_EQ(Bytes(port), "d");
}

TEST_F(PORTMONITOR_UNIT, NullBytesWithACountAreAnErrorNotARefusal)
{
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 5, 1, nullptr));
    DWORD written = 9;
    SetLastError(0);
    EXPECT_FALSE(PORTMONITOR::WritePort(port, nullptr, 3, &written));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(static_cast<FAXPORT *>(port)->IsRefused());
}

TEST_F(PORTMONITOR_UNIT, PortsAreIndependent)
{
    HANDLE other = nullptr;
    ASSERT_TRUE(PORTMONITOR::OpenPort(nullptr, &other));
    ASSERT_NE(other, port);
    DWORD written = 0;
    ASSERT_TRUE(PORTMONITOR::StartDocPort(port, kNoPrinter, 1, 1, nullptr));
    ASSERT_TRUE(PORTMONITOR::StartDocPort(other, kNoPrinter, 2, 1, nullptr));
    ASSERT_TRUE(Write(port, "one", &written));
    ASSERT_TRUE(Write(other, "two", &written));
    EXPECT_EQ(Bytes(port), "one");
    EXPECT_EQ(Bytes(other), "two");
    EXPECT_TRUE(PORTMONITOR::ClosePort(other));
}
