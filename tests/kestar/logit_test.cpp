// The log facility: line format, nesting and channel tags, level filtering, switches, the
// assertion report and the long-line cut.  Every test logs into a file of its own scratch folder
// and reads it back.
#include "kestar/logit.h"

#include "kestar/osysthread.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

// One log line taken apart: "[sss.mmm" + mark + tid + "] " + body.
struct LOGLINE {
    bool hasColumn = false;
    std::string seconds; // "012.345"
    char mark = 0;       // ':' or '#'
    std::string tid;
    std::string body;
};

LOGLINE ParseLine(const std::string &line)
{
    LOGLINE out;
    out.body = line;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    auto hex = [&](char c) { return digit(c) || (c >= 'a' && c <= 'f'); };
    if (line.size() < 15 || line[0] != '[' || line[4] != '.')
        return out;
    for (int i : {1, 2, 3, 5, 6, 7})
        if (!digit(line[static_cast<size_t>(i)]))
            return out;
    if (line[8] != ':' && line[8] != '#')
        return out;
    size_t close = line.find("] ", 9);
    if (close == std::string::npos || close < 13 || close > 14)
        return out;
    for (size_t i = 9; i < close; ++i)
        if (!hex(line[i]))
            return out;
    out.hasColumn = true;
    out.seconds = line.substr(1, 7);
    out.mark = line[8];
    out.tid = line.substr(9, close - 9);
    out.body = line.substr(close + 2);
    return out;
}

std::string Body(const std::string &line)
{
    return ParseLine(line).body;
}

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Opens the log into a scratch file as at program start; Lines() closes it and returns what was
// written after the two opening lines.
class LogitFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        LOGIT::Close();
        LOGIT::SetLogitLevel(0);
        LOGIT::ResetForTests();
        name = folder.File("log.txt");
        ASSERT_EQ(1, LOGIT::HandleSwitch(("/LOGIT:" + name).c_str()));
        ASSERT_TRUE(LOGIT::IsLogging());
    }
    void TearDown() override
    {
        LOGIT::Close();
        LOGIT::SetLogitLevel(0);
        LOGIT::ResetForTests();
    }
    std::string Text()
    {
        LOGIT::Close();
        return ReadWholeFile(name);
    }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> all = SplitLines(Text());
        if (all.size() >= 2)
            all.erase(all.begin(), all.begin() + 2);
        return all;
    }
    std::vector<std::string> Bodies()
    {
        std::vector<std::string> out;
        for (const std::string &l : Lines())
            out.push_back(Body(l));
        return out;
    }

    TEMPFOLDER folder;
    std::string name;
};

TEST_F(LogitFile, FirstLineStartsTheClockAndNamesTheFirstThread)
{
    LOGIT::Printf("APP::Test value=%d\n", 7);
    std::vector<std::string> all = SplitLines(Text());
    ASSERT_GE(all.size(), 3u);
    LOGLINE first = ParseLine(all[0]), second = ParseLine(all[1]), third = ParseLine(all[2]);
    ASSERT_TRUE(first.hasColumn) << all[0];
    EXPECT_EQ("000.000", first.seconds);
    EXPECT_EQ(':', first.mark);
    EXPECT_TRUE(StartsWith(first.body, "Logging starts at ")) << all[0];
    EXPECT_EQ(std::string("Logging starts at 2000-01-01 00:00:00").size(), first.body.size()) << all[0];
    EXPECT_TRUE(StartsWith(second.body, "Running as ")) << all[1];
    EXPECT_NE(std::string::npos, second.body.find(" bytes, ")) << all[1];
    ASSERT_TRUE(third.hasColumn) << all[2];
    EXPECT_EQ(':', third.mark);
    EXPECT_EQ(first.tid, third.tid);
    EXPECT_EQ("APP::Test value=7", third.body);
}

TEST_F(LogitFile, NestingIndentsTheOwnersLines)
{
    LOGIT::Printf("[>>]A\n");
    LOGIT::Printf("B\n");
    LOGIT::Printf("[<<]C\n");
    EXPECT_EQ((std::vector<std::string>{"A", "| B", "C"}), Bodies());
}

} // namespace
