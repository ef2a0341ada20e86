// JOBRECORD: the job records of "ADDJOB", to the byte.
#include "client/jobrecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// The record's names and values as "name=value" lines, in the record's order.
std::string Lines(HASH &job)
{
    std::string out;
    for (int i = 0; i < job.NumKeys(); ++i)
        out += S(job.GetKeyAt(i)) + "=" + S(job.GetValueAt(i)) + "\n";
    return out;
}

} // namespace

TEST(JOBS, FaxFileInLinesOf76WithCrLf)
{
    // "AAA" encodes as "QUFB"; 57 bytes make exactly one full line, 58 start a second one.
    std::string line;
    for (int i = 0; i < 19; ++i)
        line += "QUFB";
    struct CASE {
        size_t bytes;
        std::string expect;
    } cases[] = {
        {57, line + "\r\n"},
        {58, line + "\r\nQQ==\r\n"},
        {114, line + "\r\n" + line + "\r\n"},
        {3, "QUFB\r\n"},
    };
    for (const auto &c : cases) {
        STRING file(std::string(c.bytes, 'A').c_str());
        HASH job = JOBRECORD::Fax(0, "0301234", file, 1, "100", "[head]", "station", 3, 60, 0, nullptr, nullptr, 0);
        EXPECT_EQ(S(job["Filedata"]), c.expect) << c.bytes;
    }
}

TEST(JOBS, FaxKeysAndOptionalOnes)
{
    STRING file("x");
    HASH plain = JOBRECORD::Fax(0, "0301234", file, 2, "100", "[head]", "st", 3, 60, 1, nullptr, nullptr,
                                4294967296ull);
    EXPECT_EQ(Lines(plain), "Attempts=3\nDest=0301234\nFiledata=eA==\r\n\nHeadline=[head]\nIsdnService=1\n"
                            "OriginMSN=100\nPages=2\nPause=60\nSchedule=4294967296\nStationID=st\nType=FAXCALL\n");

    HASH full = JOBRECORD::Fax(1, "0301234", STRING(), 0, "", "", "", 1, 2, 0, "urgent", "night run",
                               18446744073709551615ull);
    EXPECT_EQ(S(full["Type"]), "FAXPOLL");
    EXPECT_EQ(S(full["Filedata"]), "");
    EXPECT_EQ(S(full["Schedule"]), "18446744073709551615");
    EXPECT_EQ(S(full["Comment"]), "urgent");
    EXPECT_EQ(S(full["Jobname"]), "night run");
    EXPECT_EQ(full.NumKeys(), 13);
}

TEST(JOBS, MailAndSmsKeys)
{
    HASH mail = JOBRECORD::Mail("to@x", "from@y", "body", "subject", ".\\m.wav", "m.wav", 5, 1, nullptr);
    EXPECT_EQ(Lines(mail), "AttachFile=.\\m.wav\nAttachName=m.wav\nBody=body\nDeleteAfterSuccess=1\n"
                           "From=from@y\nSchedule=5\nSubject=subject\nTo=to@x\nType=EMAIL\n");
    HASH named = JOBRECORD::Mail("a", "b", "", "", "", "", 0, 7, "job");
    EXPECT_EQ(S(named["DeleteAfterSuccess"]), "1");
    EXPECT_EQ(S(named["Jobname"]), "job");

    HASH sms = JOBRECORD::SmsDlg("0170", "0171", "hello", "100", "data 1", 4294967296ull, nullptr);
    EXPECT_EQ(Lines(sms), "AppData=data 1\nDest=0171\nMsg=hello\nOrig=0170\nSchedule=4294967296\n"
                          "SourceMSN=100\nType=SMSDLG\n");
    EXPECT_EQ(S(JOBRECORD::SmsDlg("", "", "", "", "", 0, "n")["Jobname"]), "n");
}
