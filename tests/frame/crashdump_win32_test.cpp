// Crash dumps of the frame as a whole program: with a log they are written and compressed without a
// question, without one the user is asked first; an assertion answered No writes one too.  The probe
// program (frameprobe.cpp) crashes as a child in a scratch folder.
#include "kestar/base/orvakapp.h"

#include <windows.h>

#include "tests/frame/probefolder_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

using FRAMEPROBE::EndsWith;
using FRAMEPROBE::kEnglish;
using FRAMEPROBE::PROBEFOLDER;

namespace {

// The first bytes of a gzip file, unpacked.
std::string GunzipHead(const std::string &name, size_t n)
{
    gzFile f = gzopen(name.c_str(), "rb");
    if (!f)
        return "";
    std::string out(n, '\0');
    int got = gzread(f, &out[0], static_cast<unsigned>(n));
    gzclose(f);
    return got > 0 ? out.substr(0, static_cast<size_t>(got)) : "";
}

bool HasSuffix(const std::vector<std::string> &names, const std::string &suffix)
{
    for (const auto &n : names)
        if (EndsWith(n, suffix))
            return true;
    return false;
}

} // namespace

TEST(FRAME, CrashWithLogLeavesNumberedCompressedDumps)
{
    PROBEFOLDER probe({kEnglish});
    ASSERT_TRUE(probe.ok);
    const std::string log = probe.File("crash.log");
    for (int i = 0; i < 2; ++i) {
        CHILDRESULT r = probe.Run("/CRASHDUMP /LOGIT:" + log + " /PRODUCT:parlomatix /CRASH", IDYES);
        ASSERT_TRUE(r.finished);
        EXPECT_FALSE(r.pressed); // while logging, no question
        EXPECT_EQ(r.exitCode, 42u);
    }
    std::vector<std::string> dumps = probe.Files("Orvak.CrashInfo.PARLOMATIX423.");
    ASSERT_EQ(dumps.size(), 2u) << (dumps.empty() ? "" : dumps[0]);
    EXPECT_TRUE(HasSuffix(dumps, ".ORVAK.dmp.gz"));
    EXPECT_TRUE(HasSuffix(dumps, ".ORVAK_2.dmp.gz"));
    for (const auto &d : dumps) {
        EXPECT_TRUE(EndsWith(d, ".gz")) << d; // every plain dump went once compressed
        EXPECT_EQ(GunzipHead(probe.File(d), 4), "MDMP") << d;
    }
    std::string text = ReadWholeFile(log);
    EXPECT_NE(text.find("ORVAKAPP::WriteDumpToFileHandler dump file written"), std::string::npos) << text;
    EXPECT_NE(text.find("ORVAKAPP::WriteDumpToFileHandler finished"), std::string::npos);
}

// Without a log the user is asked first: Yes sends the compressed dump, No keeps it as written.
static void CrashWithoutLogAsks(const char *arguments, int button, const char *kept)
{
    PROBEFOLDER probe({kEnglish});
    ASSERT_TRUE(probe.ok);
    CHILDRESULT r = probe.Run(std::string(arguments) + " /PRODUCT:parlomatix /CRASH", button);
    ASSERT_TRUE(r.finished) << arguments;
    EXPECT_TRUE(r.pressed);
    EXPECT_EQ(r.exitCode, 42u);
    EXPECT_EQ(r.title, "Parlomatix Crash");
    EXPECT_NE(r.text.find("The program PARLOMATIX423 has encountered an error"), std::string::npos) << r.text;
    std::vector<std::string> dumps = probe.Files("Orvak.CrashInfo.PARLOMATIX423.");
    ASSERT_EQ(dumps.size(), 1u) << arguments;
    EXPECT_TRUE(EndsWith(dumps[0], kept)) << dumps[0];
    EXPECT_NE(r.text.find(dumps[0].substr(0, dumps[0].size() - (button == IDYES ? 3 : 0))), std::string::npos);
}

TEST(FRAME, CrashWithoutLogAnsweredYesSendsTheCompressedDump)
{
    CrashWithoutLogAsks("/CRASHDUMP:7", IDYES, ".ORVAK.dmp.gz"); // 7 modulo 5 is the ORVAK kind
}

TEST(FRAME, CrashWithoutLogAnsweredNoKeepsTheDumpAsWritten)
{
    CrashWithoutLogAsks("/CRASHDUMP:1", IDNO, ".MINI.dmp"); // nothing is sent
}

TEST(FRAME, AssertionAnsweredNoWritesDumpAndEnds42)
{
    PROBEFOLDER probe({kEnglish});
    ASSERT_TRUE(probe.ok);
    CHILDRESULT r = probe.Run("/CRASHDUMP /LOGIT:" + probe.File("assert.log") + " /PRODUCT:parlomatix /ASSERTNO", IDNO);
    ASSERT_TRUE(r.finished);
    EXPECT_TRUE(r.pressed);
    EXPECT_EQ(r.exitCode, 42u);
    std::vector<std::string> dumps = probe.Files("Orvak.CrashInfo.PARLOMATIX423.");
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_TRUE(EndsWith(dumps[0], ".ORVAK.dmp.gz"));
    EXPECT_FALSE(FileExistsForTest(probe.File("probe.txt")));
}

