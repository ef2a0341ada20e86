// The application frame's portable half: splitting the command line, the switch queries, the
// argument files and their order, the language choice and the names of language libraries.
#include "kestar/base/orvakapp.h"

#include "kestar/base/logit.h"
#include "kestar/base/orvakappos.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

std::string Sep()
{
    return std::string(1, ORVAKAPPOS::Separator());
}

std::vector<std::string> Split(const std::string &line, const char *programPath = "C:\\Prog\\x.exe")
{
    std::vector<char> text(line.begin(), line.end());
    text.push_back(0);
    STRING buffer;
    char *entries[ORVAKAPP::MAX_COMMANDLINE_ENTRIES];
    int n = ORVAKAPP::SplitCommandLine(text.data(), programPath, buffer, entries, ORVAKAPP::MAX_COMMANDLINE_ENTRIES);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(entries[i]);
    EXPECT_EQ(entries[n], nullptr);
    return out;
}

// Runs ProcessArguments on the given entries (entry 0 the program path).
void Process(std::vector<std::string> args, int defaultLanguage = 9)
{
    std::vector<char *> entries;
    for (auto &a : args)
        entries.push_back(&a[0]);
    entries.push_back(nullptr);
    ORVAKAPP::ProcessArguments(static_cast<int>(args.size()), entries.data(), defaultLanguage);
}

std::vector<std::string> Arguments()
{
    std::vector<std::string> out;
    for (int i = 0; i < ORVAKAPP::NumArguments(); ++i)
        out.push_back(ORVAKAPP::GetArgument(i));
    return out;
}

void WriteText(const std::string &name, const std::string &text)
{
    FILE *f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr) << name;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

bool MakeFolder(const std::string &name)
{
#if defined(_WIN32)
    return CreateDirectoryA(name.c_str(), nullptr) != 0;
#else
    return mkdir(name.c_str(), 0700) == 0;
#endif
}

// Resets the frame's argument state around each test and restores the current folder.
class ORVAKAPPARGS : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldFolder = CurrentFolderForTest();
        ORVAKAPP::ResetForTests();
    }
    void TearDown() override
    {
        ChangeFolderForTest(oldFolder);
        ORVAKAPP::ResetForTests();
    }
    std::string oldFolder;
};

} // namespace

TEST(ORVAKAPP, SplitCommandLineTable)
{
    struct CASE {
        const char *line;
        std::vector<std::string> entries; // after entry 0
    } cases[] = {
        {"\"C:\\Program Files\\Parlomatix\\parlomatix.exe\" /MIN \"/LANG:FRENCH\"", {"/MIN", "/LANG:FRENCH"}},
        {"parlomatix.exe /MIN", {"/MIN"}},
        {"PARLOMATIX.EXE /MIN", {"/MIN"}},           // the program token, whatever its case
        {"x.exe", {}},                              // only the program
        {"\"C:\\a b\\x.exe\"", {}},                 // only the quoted program
        {"  x.exe   /A   /B  ", {"/A", "/B"}},      // blanks around and between
        {".exe /A", {".exe", "/A"}},                // too short to be the program
        {"/A /B", {"/A", "/B"}},                    // no program token at all
        {"x.exe /A x.exe", {"/A", "x.exe"}},        // only the first token can be the program
        {"x.exe \"two words\" tail", {"two words", "tail"}},
        {"x.exe \"\" /A", {"", "/A"}},              // an empty quoted argument stays
        {"x.exe \"/WORKDIR:C:\\My Data\"", {"/WORKDIR:C:\\My Data"}},
        {"x.exe \"unclosed rest of it", {"unclosed rest of it"}},
        {"x.exe \"a\"b c", {"a", "b", "c"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> got = Split(c.line);
        std::vector<std::string> want = {"C:\\Prog\\x.exe"};
        want.insert(want.end(), c.entries.begin(), c.entries.end());
        EXPECT_EQ(got, want) << "command line [" << c.line << "]";
    }
}

TEST(ORVAKAPP, SplitCommandLineKeepsTrimmedLineAndBoundsEntries)
{
    Split("   x.exe /A  ");
    EXPECT_STREQ(ORVAKAPP::GetProcessCommandLine(), "x.exe /A");

    // Far more tokens than entries: 254 tokens at most, then the rest as one last entry, never
    // more than the array holds.
    std::string line = "x.exe";
    for (int i = 0; i < 400; ++i)
        line += " a" + std::to_string(i);
    std::vector<std::string> got = Split(line);
    ASSERT_EQ(got.size(), 255u);
    EXPECT_EQ(got[1], "a0");
    EXPECT_EQ(got[253], "a252");
    EXPECT_EQ(got[254].substr(0, 10), "a253 a254 ");

    // A long program path is kept whole.
    std::string longPath = "C:\\" + std::string(600, 'p') + "\\x.exe";
    EXPECT_EQ(Split("x.exe /A", longPath.c_str())[0], longPath);
}

TEST_F(ORVAKAPPARGS, SwitchQueriesTable)
{
    Process({"C:\\nowhere\\prog.exe", "/MIN", "-lang", "GER", "/LANGUAGE=x", "/STARTUPDELAY", "/WORKDIR:C:\\a:b",
             "/ITUNES:25", "-ITUNES", "/LOGFOO:4", "-Last"});
    struct ARG {
        const char *name;
        int test;      // TestArg
        int value0;    // TestArgValue(name, 0)
        int value1;    // TestArgValue(name, 1)
        const char *get0; // GetArgValue(name, 0)
        const char *get1; // GetArgValue(name, 1)
    } cases[] = {
        {"MIN", 1, 0, 0, "", nullptr},
        {"min", 1, 0, 0, "", nullptr},
        {"MI", 0, 0, 0, "N", nullptr},                    // GetArgValue matches a prefix
        {"LANG", 1, 1, 0, "GER", "UAGE=x"},               // "-lang" whole; "/LANGUAGE=x" by prefix
        {"STARTUPDELAY", 1, 0, 0, "", nullptr},           // no colon: no value
        {"WORKDIR", 0, 1, 0, "C:\\a:b", nullptr},         // only the first colon goes
        {"ITUNES", 1, 1, 1, "25", "/LOGFOO:4"},              // "-ITUNES" takes the next argument
        {"LAST", 1, 1, 0, nullptr, nullptr},              // "-" form as the last argument
        {"NOTTHERE", 0, 0, 0, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TestArg(c.name), c.test) << c.name;
        EXPECT_EQ(TestArgValue(c.name, 0), c.value0) << c.name;
        EXPECT_EQ(TestArgValue(c.name, 1), c.value1) << c.name;
        const char *v0 = GetArgValue(c.name, 0);
        const char *v1 = GetArgValue(c.name, 1);
        EXPECT_STREQ(v0, c.get0) << c.name;
        EXPECT_STREQ(v1, c.get1) << c.name;
    }
    EXPECT_EQ(TestArg(nullptr), 0);
    EXPECT_EQ(GetArgValue(nullptr, 0), nullptr);
    EXPECT_EQ(ORVAKAPP::GetCommandLineWithoutLog(),
              STRING("C:\\nowhere\\prog.exe /MIN -lang GER /LANGUAGE=x /STARTUPDELAY /WORKDIR:C:\\a:b /ITUNES:25 "
                     "-ITUNES -Last"));
}

TEST_F(ORVAKAPPARGS, LanguageFromSwitch)
{
    struct CASE {
        std::vector<std::string> args;
        int want;
    } cases[] = {
        {{"p.exe", "/LANG:GER"}, 7},  {{"p.exe", "/lang:engl"}, 9},     {{"p.exe", "/LANG:FRENCH"}, 12},
        {{"p.exe", "/LANG:HUNGARIAN"}, 14}, {{"p.exe", "-LANG", "ger"}, 7}, {{"p.exe", "/LANG:GERMAN"}, 33},
        {{"p.exe", "/LANGUAGE:GER"}, 33},   {{"p.exe"}, 33},             {{"p.exe", "/LANG"}, 33},
    };
    for (const auto &c : cases) {
        Process(c.args, 33);
        EXPECT_EQ(gLocale, c.want) << c.args.back();
        EXPECT_EQ(ORVAKAPP::IsGerman(), c.want == 7);
    }
    EXPECT_EQ(ORVAKAPP::LocaleFromLanguageName(nullptr, 5), 5);
}

TEST_F(ORVAKAPPARGS, ProgramValuesFromEntryZero)
{
    TEMPFOLDER scratch;
    ASSERT_TRUE(ChangeFolderForTest(scratch.Path()));
    Process({scratch.File("parlomatix.exe")});
    EXPECT_EQ(std::string(ORVAKAPP::GetProgramFolder()), scratch.Path());
    EXPECT_EQ(std::string(ORVAKAPP::GetApplicationName()), "parlomatix");
    EXPECT_EQ(std::string(gWorkDir), CurrentFolderForTest());
    EXPECT_FALSE(ORVAKAPP::IsServiceProgram());
    EXPECT_TRUE(ORVAKAPP::IsMainThread());
    Process({scratch.File("SERVICE.EXE")});
    EXPECT_TRUE(ORVAKAPP::IsServiceProgram());
    EXPECT_EQ(std::string(ORVAKAPP::GetApplicationName()), "SERVICE");
}

TEST_F(ORVAKAPPARGS, ArgumentFilesComeAfterCommandLineInTheirOrder)
{
    TEMPFOLDER program, work;
    WriteText(program.File("commandline.ini"), "/VALUE:programcommon\r\n   \r\n\r\n\t/PADDED \t\r\n");
    WriteText(program.File("parlomatix_commandline.ini"), "/VALUE:programown\n-KEY\nprogramownvalue\n");
    WriteText(work.File("commandline.ini"), "/VALUE:workcommon\n");
    WriteText(work.File("parlomatix_commandline.ini"), "/VALUE:workown");
    WriteText(work.File("other_commandline.ini"), "/VALUE:other\n");
    ASSERT_TRUE(ChangeFolderForTest(work.Path()));

    Process({program.File("parlomatix.exe"), "/VALUE:commandline"});
    std::vector<std::string> want = {program.File("parlomatix.exe"), "/VALUE:commandline", "/VALUE:programcommon",
                                     "",         // a line of blanks is an empty argument
                                     "/PADDED",  // trimmed; the empty line gave nothing
                                     "/VALUE:programown", "-KEY", "programownvalue", "/VALUE:workcommon",
                                     "/VALUE:workown"};
    EXPECT_EQ(Arguments(), want);
    // The queries take the first match: command line, then program folder, then work folder.
    const char *expect[] = {"commandline", "programcommon", "programown", "workcommon", "workown", nullptr};
    for (int i = 0; i < 6; ++i)
        EXPECT_STREQ(GetArgValue("VALUE", i), expect[i]) << i;
    EXPECT_STREQ(GetArgValue("KEY", 0), "programownvalue");
    EXPECT_EQ(TestArg("PADDED"), 1);
}

TEST_F(ORVAKAPPARGS, ArgumentFileReadOnceWhenWorkFolderIsProgramFolder)
{
    TEMPFOLDER program;
    WriteText(program.File("commandline.ini"), "/ONCE\n");
    ASSERT_TRUE(ChangeFolderForTest(program.Path()));
    Process({program.File("Tool.App")});
    EXPECT_EQ(Arguments(), (std::vector<std::string>{program.File("Tool.App"), "/ONCE"}));
    WriteText(program.File("Tool_commandline.ini"), "/OWN\n"); // ".app" is cut like ".exe"
    Process({program.File("Tool.App")});
    EXPECT_EQ(Arguments(), (std::vector<std::string>{program.File("Tool.App"), "/ONCE", "/OWN"}));
}

TEST_F(ORVAKAPPARGS, LogSwitchInArgumentFileOnlyForTheService)
{
    TEMPFOLDER program;
    std::string log = program.File("from_file.log");
    WriteText(program.File("commandline.ini"), "/LOGIT:" + log + "\n");
    ASSERT_TRUE(ChangeFolderForTest(program.Path()));

    Process({program.File("parlomatix.exe")});
    EXPECT_EQ(TestArgValue("LOGIT", 0), 1); // an argument all the same
    EXPECT_FALSE(LOGIT::IsLogging());
    EXPECT_FALSE(FileExistsForTest(log));

    Process({program.File("service.exe")});
    EXPECT_TRUE(LOGIT::IsLogging());
    LOGIT::Close();
    EXPECT_TRUE(FileExistsForTest(log));
}

TEST_F(ORVAKAPPARGS, CommandLineSwitchesReachTheLog)
{
    TEMPFOLDER program;
    std::string log = program.File("cmd.log");
    ASSERT_TRUE(ChangeFolderForTest(program.Path()));
    Process({program.File("parlomatix.exe"), "/LOGIT:" + log, "/NOSUCH"});
    EXPECT_TRUE(LOGIT::IsLogging());
    LOGIT::Close();
    std::string text = ReadWholeFile(log);
    EXPECT_NE(text.find("ORVAKAPP program argument 2= '/NOSUCH'"), std::string::npos) << text;
    EXPECT_NE(text.find("ORVAKAPP gLocale= 9"), std::string::npos) << text;
}

TEST(ORVAKAPP, DevelopmentFolderAdjustment)
{
    TEMPFOLDER tree;
    std::string release = tree.File("Release");
    std::string release2 = tree.File("RELEASE2");
    std::string other = tree.File("Debug");
    for (const std::string &f : {release, release2, other})
        ASSERT_TRUE(MakeFolder(f)) << f;
    // Without the source marker nothing changes.
    EXPECT_EQ(std::string(ORVAKAPP::AdjustDevelopmentFolder(STRING(release.c_str()))), release);
    WriteText(tree.File("approot.cpp"), "");
    EXPECT_EQ(std::string(ORVAKAPP::AdjustDevelopmentFolder(STRING(release.c_str()))), tree.Path());
    EXPECT_EQ(std::string(ORVAKAPP::AdjustDevelopmentFolder(STRING(release2.c_str()))), tree.Path());
    EXPECT_EQ(std::string(ORVAKAPP::AdjustDevelopmentFolder(STRING(other.c_str()))), other);
}

TEST(ORVAKAPP, LanguageLibraryNames)
{
    STRING folder("dir");
    struct CASE {
        int locale;
        const char *name;
    } cases[] = {{7, "parlomatixgerman.dll"}, {12, "parlomatixfrench.dll"}, {14, "parlomatixhungarian.dll"},
                 {9, "parlomatixenglish.dll"}, {10, "parlomatixenglish.dll"}, {0, "parlomatixenglish.dll"}};
    for (const auto &c : cases)
        EXPECT_EQ(std::string(ORVAKAPP::LanguageLibraryName(folder, "parlomatix", c.locale)), "dir" + Sep() + c.name);
}

TEST(ORVAKAPP, DumpKindsAndTag)
{
    struct CASE {
        int level;
        const char *name;
        unsigned flags;
    } cases[] = {{0, "TINY", 0}, {1, "MINI", 0x150}, {2, "ORVAK", 0x155}, {3, "MIDI", 0x325},
                 {4, "MAXI", 0x126}, {7, "ORVAK", 0x155}, {10, "TINY", 0}};
    for (const auto &c : cases) {
        EXPECT_STREQ(ORVAKAPP::DumpKindName(c.level), c.name) << c.level;
        EXPECT_EQ(ORVAKAPP::DumpKindFlags(c.level), c.flags) << c.level;
    }
    EXPECT_EQ(std::string(ORVAKAPP::CrashTag("Parlomatix", "4.23")), "PARLOMATIX423");
    EXPECT_EQ(std::string(ORVAKAPP::CrashTag("a.b", "1.2.3")), "AB123");
    EXPECT_EQ(ORVAKAPP::CrashTag(std::string(200, 'x').c_str(), "1").StrLen, 127);
}

TEST(ORVAKAPP, DumpFileNumbering)
{
    TEMPFOLDER folder;
    const std::string base = folder.File("Orvak.CrashInfo.PARLOMATIX423.jo.ORVAK");
    auto next = [&] { return std::string(ORVAKAPP::DumpFileName(folder.Path().c_str(), "PARLOMATIX423", "jo", "ORVAK")); };
    EXPECT_EQ(next(), base + ".dmp");
    WriteText(base + ".dmp", "x");
    EXPECT_EQ(next(), base + "_2.dmp");
    WriteText(base + "_2.dmp.gz", "x"); // a compressed one takes its number too
    EXPECT_EQ(next(), base + "_3.dmp");
    for (int n = 3; n <= 99; ++n)
        WriteText(base + "_" + std::to_string(n) + ".dmp", "x");
    EXPECT_EQ(next(), base + "_99.dmp"); // all taken: the last number is used again
}

TEST(ORVAKAPP, CompressDumpDeletesOnlyAfterWholeGzip)
{
    TEMPFOLDER folder;
    std::string dump = folder.File("a.dmp");
    std::string data;
    for (int i = 0; i < 20000; ++i)
        data += static_cast<char>((i * 7919) & 0xFF);
    WriteText(dump, data);
    ASSERT_TRUE(ORVAKAPP::CompressDump(dump.c_str()));
    EXPECT_FALSE(FileExistsForTest(dump));
    std::string packed = ReadWholeFile(dump + ".gz");
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1Fu);
    EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x8Bu);

    // The ".gz" name is taken by a folder: nothing can be written, and the dump stays.
    std::string dump2 = folder.File("b.dmp");
    WriteText(dump2, data);
    ASSERT_TRUE(MakeFolder(dump2 + ".gz"));
    EXPECT_FALSE(ORVAKAPP::CompressDump(dump2.c_str()));
    EXPECT_EQ(ReadWholeFile(dump2), data);

    // A dump that is not there is not "compressed".
    EXPECT_FALSE(ORVAKAPP::CompressDump(folder.File("none.dmp").c_str()));
}
