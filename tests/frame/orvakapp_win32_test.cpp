// The application frame as a whole program: the language switch with and without the libraries,
// the box and exit code 99 without the English library and the millisecond clock (the crash
// dumps are in crashdump_win32_test.cpp).  The probe program (frameprobe.cpp) runs as a child in a scratch folder holding a
// copy of it and the language libraries each case wants.
#include "kestar/base/orvakapp.h"

#include <windows.h>

#include "kestar/base/osysresource.h"
#include "lang/resource_ids.h"
#include "tests/frame/probefolder_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

using FRAMEPROBE::EndsWith;
using FRAMEPROBE::kEnglish;
using FRAMEPROBE::kGerman;
using FRAMEPROBE::PROBEFOLDER;

} // namespace

TEST(FRAME, LanguageSwitchAndFallback)
{
    struct CASE {
        std::vector<std::string> libraries;
        const char *arguments;
        std::string locale;
        const char *library;
        const char *textStart; // of text 10120
    } cases[] = {
        {{kEnglish}, "/LANG:GER", "9", kEnglish, "Do you want"},          // no German library: English
        {{kEnglish, kGerman}, "/LANG:GER", "7", kGerman, "Sollen"},
        {{kEnglish, kGerman}, "/LANG:ENGL", "9", kEnglish, "Do you want"},
        {{kEnglish}, "/LANG:FRENCH", "9", kEnglish, "Do you want"},       // no French library
        {{kEnglish, kGerman}, "-LANG ger", "7", kGerman, "Sollen"},
    };
    for (const auto &c : cases) {
        PROBEFOLDER probe(c.libraries);
        ASSERT_TRUE(probe.ok);
        CHILDRESULT r = probe.Run(std::string("/PRODUCT:parlomatix ") + c.arguments);
        ASSERT_TRUE(r.finished) << c.arguments;
        EXPECT_EQ(r.exitCode, 7u) << c.arguments; // main's result
        auto values = probe.Probe();
        EXPECT_EQ(values["locale"], c.locale) << c.arguments;
        EXPECT_TRUE(EndsWith(values["library"], std::string("\\") + c.library)) << values["library"];
        EXPECT_EQ(values["text10120"].rfind(c.textStart, 0), 0u) << values["text10120"];
        EXPECT_EQ(values["appname"], "Parlomatix");
    }
}

TEST(FRAME, ArgumentsReachMainInOrder)
{
    PROBEFOLDER probe({kEnglish});
    ASSERT_TRUE(probe.ok);
    {
        FILE *f = std::fopen(probe.File("frameprobe_commandline.ini").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("/FROMFILE\n", f);
        std::fclose(f);
    }
    CHILDRESULT r = probe.Run("/MIN \"/TEXT:two words\"");
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 7u);
    auto values = probe.Probe();
    EXPECT_EQ(values["count"], "4");
    EXPECT_EQ(values["arg0"], probe.Program());
    EXPECT_EQ(values["arg1"], "/MIN");
    EXPECT_EQ(values["arg2"], "/TEXT:two words");
    EXPECT_EQ(values["arg3"], "/FROMFILE");
    // Without a language library loaded the application name is the program's file name.
    EXPECT_EQ(values["appname"], "frameprobe");
}

TEST(FRAME, MissingEnglishLibraryShowsBoxAndEndsWith99)
{
    for (const char *arguments : {"/PRODUCT:parlomatix", "/PRODUCT:parlomatix /LANG:GER"}) {
        PROBEFOLDER probe({}); // neither library: German falls back to English, which is missing too
        ASSERT_TRUE(probe.ok);
        CHILDRESULT r = probe.Run(arguments, IDOK);
        ASSERT_TRUE(r.finished) << arguments;
        EXPECT_TRUE(r.pressed);
        EXPECT_EQ(r.exitCode, 99u);
        EXPECT_EQ(r.title, "Orvak Application");
        EXPECT_NE(r.text.find("DLL not found:"), std::string::npos) << r.text;
        EXPECT_NE(r.text.find(probe.Path() + "\\parlomatixenglish.dll"), std::string::npos) << r.text;
        EXPECT_FALSE(FileExistsForTest(probe.File("probe.txt"))); // main never got past the loader
    }
}

TEST(FRAME, LongLibraryPathIsNotCut)
{
    // A folder deep enough that the language library's full name is longer than 256 characters
    // (but within what the system starts programs from).
    PROBEFOLDER base({});
    std::string folder = base.Path();
    const size_t want = 258 - std::string("\\parlomatixenglish.dll").size() + 1;
    ASSERT_LT(folder.size() + 10, want);
    while (folder.size() < want) {
        size_t n = std::min<size_t>(60, want - folder.size() - 1);
        if (n == 0)
            break;
        folder += "\\" + std::string(n, 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    std::string library = folder + "\\" + kEnglish;
    ASSERT_GT(library.size(), 256u);
    std::string bin = TestProgramFolder();
    ASSERT_TRUE(CopyFileForTest(bin + "\\frameprobe.exe", folder + "\\frameprobe.exe"));

    // Without the library: the box names it whole.
    CHILDRESULT r = RunChildProgram("\"" + folder + "\\frameprobe.exe\" /PRODUCT:parlomatix", base.Path(), IDOK);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 99u);
    EXPECT_NE(r.text.find(library), std::string::npos) << r.text;

    // With it: loaded from there.
    ASSERT_TRUE(CopyFileForTest(bin + "\\" + kEnglish, library));
    r = RunChildProgram("\"" + folder + "\\frameprobe.exe\" /PRODUCT:parlomatix", base.Path(), IDOK);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 7u);
    auto values = base.Probe();
    EXPECT_EQ(values["library"], library);
    EXPECT_EQ(values["arg0"], folder + "\\frameprobe.exe");
}

TEST(FRAME, RunStartsTheMillisecondClock)
{
    // Main's first look at the clock comes 100 ms after it started: the clock counts from the
    // frame's start, not from that first look.
    PROBEFOLDER probe({kEnglish});
    ASSERT_TRUE(probe.ok);
    CHILDRESULT r = probe.Run("/TIMEMS");
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 7u);
    long long ms = std::stoll(probe.Probe()["timems"]);
    EXPECT_GE(ms, 100);
    EXPECT_LT(ms, 60000);
}
