// The help file: its topic list, the id mappings and which topics are shown, watched through a
// HELPFILE whose viewer calls are recorded instead of opening a help viewer.
#include "kestar/base/helpfile.h"

#include <windows.h>

#include "kestar/base/orvakapp.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct CALL {
    bool html;
    std::string file;
    unsigned command;
    uintptr_t data;
};

class RECORDINGHELP : public HELPFILE {
public:
    ~RECORDINGHELP() override { Close(); }
    std::vector<CALL> calls;

protected:
    uintptr_t HtmlCall(void *, const char *file, unsigned command, uintptr_t data) override
    {
        calls.push_back({true, file ? file : "", command, data});
        if (command == 0x1C) // initialise: hand out a cookie
            *reinterpret_cast<unsigned long *>(data) = 4711;
        return 1;
    }
    bool WinHelpCall(void *, const char *file, unsigned command, uintptr_t data) override
    {
        calls.push_back({false, file ? file : "", command, data});
        return true;
    }
};

void WriteText(const std::string &name, const std::string &text)
{
    FILE *f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr) << name;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

void NoArguments()
{
    ORVAKAPP::ResetForTests();
    std::string program = "C:\\nowhere\\parlomatix.exe";
    char *entries[] = {&program[0], nullptr};
    ORVAKAPP::ProcessArguments(1, entries, 9);
}

} // namespace

TEST(HELPFILE, TopicListFromIdsOrCnt)
{
    NoArguments();
    TEMPFOLDER folder;
    std::string chm = folder.File("parlomatix.chm");
    WriteText(chm, "x");
    // The ".cnt" list only counts when there is no ".ids" list.
    WriteText(folder.File("parlomatix.cnt"), "9999\n");
    WriteText(folder.File("parlomatix.ids"), "IDH_MAIN=2000 main window\r\n2035\nIDH_X = 2801\n\nIDH_Y=\n");
    RECORDINGHELP help;
    ASSERT_TRUE(help.SetFilename(chm.c_str(), true));
    EXPECT_TRUE(help.IsAvailable());
    std::vector<std::string> topics;
    for (STRING_SIZE_T i = 0; i < help.GetTopics().NumItems(); ++i)
        topics.push_back(std::string(*help.GetTopics()[i]));
    EXPECT_EQ(topics, (std::vector<std::string>{"2000", "2035", "2801"}));
    ASSERT_FALSE(help.calls.empty());
    EXPECT_EQ(help.calls[0].command, 0x1Cu); // HTML Help initialised first

    RECORDINGHELP other;
    std::remove(folder.File("parlomatix.ids").c_str());
    ASSERT_TRUE(other.SetFilename(chm.c_str(), false));
    EXPECT_EQ(other.GetTopics().NumItems(), 1);
    EXPECT_TRUE(other.calls.empty()); // WinHelp needs no initialisation
    ORVAKAPP::ResetForTests();
}

TEST(HELPFILE, ShowTopicOnlyForListedTopics)
{
    NoArguments();
    TEMPFOLDER folder;
    std::string chm = folder.File("help.chm");
    WriteText(chm, "x");
    WriteText(folder.File("help.ids"), "A=2000\nB=2035\nC=2085\n");
    RECORDINGHELP help;
    ASSERT_TRUE(help.SetFilename(chm.c_str(), true));
    help.AddMapping(2091, 2085);
    help.AddMapping(2044, 2035);
    help.AddMapping(2044, 2000); // replaces the earlier mapping of 2044
    EXPECT_EQ(help.GetNumMappings(), 2);
    help.calls.clear();

    struct CASE {
        int id;
        bool shown;
        const char *target;
    } cases[] = {
        {2000, true, "::html/topic-2000.html"},
        {2091, true, "::html/topic-2085.html"}, // mapped
        {2044, true, "::html/topic-2000.html"},
        {2035, true, "::html/topic-2035.html"},
        {1234, false, nullptr},                 // not in the list: nothing shown
        {2086, false, nullptr},
    };
    for (const auto &c : cases) {
        help.calls.clear();
        EXPECT_EQ(help.ShowTopic(c.id), c.shown) << c.id;
        if (c.shown) {
            ASSERT_EQ(help.calls.size(), 1u);
            EXPECT_EQ(help.calls[0].command, 0u); // display topic
            EXPECT_EQ(help.calls[0].file, chm + c.target);
        } else {
            EXPECT_TRUE(help.calls.empty());
        }
    }
}

TEST(HELPFILE, WinHelpTopicsAndWindowParents)
{
    NoArguments();
    TEMPFOLDER folder;
    std::string hlp = folder.File("help.hlp");
    WriteText(hlp, "x");
    WriteText(folder.File("help.cnt"), "2801\n");
    RECORDINGHELP help;
    ASSERT_TRUE(help.SetFilename(hlp.c_str(), false));
    EXPECT_TRUE(help.ShowTopic(2801));
    ASSERT_EQ(help.calls.size(), 1u);
    EXPECT_EQ(help.calls[0].command, static_cast<unsigned>(HELP_CONTEXT));
    EXPECT_EQ(help.calls[0].data, 2801u);

    // A control without a topic of its own gets its parent's.
    HWND top = CreateWindowA("STATIC", "t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND parent = CreateWindowA("STATIC", "p", WS_CHILD, 0, 0, 8, 8, top, reinterpret_cast<HMENU>(2801), nullptr, nullptr);
    HWND child = CreateWindowA("STATIC", "c", WS_CHILD, 0, 0, 5, 5, parent, reinterpret_cast<HMENU>(77), nullptr, nullptr);
    help.calls.clear();
    EXPECT_TRUE(help.ShowHelpForWindow(child));
    ASSERT_EQ(help.calls.size(), 1u);
    EXPECT_EQ(help.calls[0].data, 2801u);
    DestroyWindow(top);

    help.calls.clear();
    EXPECT_TRUE(help.ShowContents(true));
    EXPECT_EQ(help.calls.back().command, static_cast<unsigned>(HELP_FINDER));
    help.Close();
    EXPECT_EQ(help.calls.back().command, static_cast<unsigned>(HELP_QUIT));
    EXPECT_FALSE(help.IsAvailable());
}

TEST(HELPFILE, NoHelpSwitchAndMissingFile)
{
    TEMPFOLDER folder;
    std::string chm = folder.File("help.chm");
    WriteText(chm, "x");
    WriteText(folder.File("help.ids"), "2000\n");
    ORVAKAPP::ResetForTests();
    std::string program = "C:\\nowhere\\parlomatix.exe", noHelp = "/NOHELP";
    char *entries[] = {&program[0], &noHelp[0], nullptr};
    ORVAKAPP::ProcessArguments(2, entries, 9);
    RECORDINGHELP help;
    EXPECT_FALSE(help.SetFilename(chm.c_str(), true));
    EXPECT_FALSE(help.IsAvailable());
    EXPECT_FALSE(help.ShowTopic(2000));
    EXPECT_TRUE(help.calls.empty());
    NoArguments();
    EXPECT_FALSE(help.SetFilename(nullptr, true));
    EXPECT_FALSE(help.SetFilename("", true));
    ORVAKAPP::ResetForTests();
}

TEST(HELPFILE, MappingTableIsBounded)
{
    HELPFILE help;
    for (int i = 0; i < HELPFILE::MAX_MAPPINGS; ++i)
        EXPECT_TRUE(help.AddMapping(i, 5000 + i));
    EXPECT_FALSE(help.AddMapping(99999, 1)); // full: reported, nothing overwritten
    EXPECT_TRUE(help.AddMapping(3, 7));      // replacing still works
    EXPECT_EQ(help.GetNumMappings(), HELPFILE::MAX_MAPPINGS);
}

TEST(HELPFILE, HtmlHelpOnTheNetworkIsUsedFromATemporaryCopy)
{
    // Wine serves "\\host\share" from the prefix's dosdevices\unc\host\share folder.
    char prefix[1024];
    DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
    if (n == 0 || n >= sizeof(prefix))
        GTEST_SKIP() << "needs Wine's UNC folders";
    std::string root = "Z:" + std::string(prefix);
    for (char &c : root)
        if (c == '/')
            c = '\\';
    const std::string host = "plxhelphost" + std::to_string(GetCurrentProcessId());
    std::string share = root + "\\dosdevices\\unc";
    for (const std::string &part : {std::string(), "\\" + host, "\\" + host + "\\share"}) {
        CreateDirectoryA((share + part).c_str(), nullptr);
    }
    share += "\\" + host + "\\share";
    WriteText(share + "\\netdoc.chm", "chm bytes");
    WriteText(share + "\\netdoc.ids", "IDH_MAIN=2000\r\n");

    NoArguments();
    TEMPFOLDER temp;
    char oldTemp[1024] = "";
    DWORD had = GetEnvironmentVariableA("TEMP", oldTemp, sizeof(oldTemp));
    SetEnvironmentVariableA("TEMP", temp.Path().c_str());
    {
        RECORDINGHELP help;
        const std::string unc = "\\\\" + host + "\\share\\netdoc.chm";
        ASSERT_TRUE(help.SetFilename(unc.c_str(), true));
        EXPECT_EQ(std::string(help.GetFilename()), temp.File("netdoc.chm"));
        EXPECT_EQ(ReadWholeFile(temp.File("netdoc.chm")), "chm bytes");
        EXPECT_EQ(help.GetTopics().NumItems(), 1);

        // WinHelp files are used where they are.
        RECORDINGHELP winhelp;
        ASSERT_TRUE(winhelp.SetFilename(unc.c_str(), false));
        EXPECT_EQ(std::string(winhelp.GetFilename()), unc);
    }
    SetEnvironmentVariableA("TEMP", had && had < sizeof(oldTemp) ? oldTemp : nullptr);
    for (const char *name : {"\\netdoc.chm", "\\netdoc.ids"})
        DeleteFileA((share + name).c_str());
    RemoveDirectoryA(share.c_str());
    RemoveDirectoryA((root + "\\dosdevices\\unc\\" + host).c_str());
    ORVAKAPP::ResetForTests();
}
