// The application frame as a whole program: the language switch with and without the libraries,
// the box and exit code 99 without the English library, crash dumps, and the message loop's
// accelerators.  The probe program (frameprobe.cpp) runs as a child in a scratch folder holding a
// copy of it and the language libraries each case wants.
#include "kestar/base/orvakapp.h"

#include <windows.h>

#include "kestar/base/osysresource.h"
#include "lang/resource_ids.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const char kEnglish[] = "parlomatixenglish.dll";
const char kGerman[] = "parlomatixgerman.dll";

// A scratch folder with a copy of the probe program and the given language libraries.
class PROBEFOLDER {
public:
    explicit PROBEFOLDER(const std::vector<std::string> &libraries)
    {
        std::string bin = TestProgramFolder();
        ok = CopyFileForTest(bin + "\\frameprobe.exe", Program());
        for (const auto &l : libraries)
            ok = ok && CopyFileForTest(bin + "\\" + l, folder.File(l));
    }
    std::string Program() const { return folder.File("frameprobe.exe"); }
    std::string File(const std::string &name) const { return folder.File(name); }
    const std::string &Path() const { return folder.Path(); }
    // A crash writes its memory dump and compresses it: on a loaded machine under Wine that alone
    // can take most of a minute, so the child gets two.
    CHILDRESULT Run(const std::string &arguments, int buttonId = 0) const
    {
        return RunChildProgram("\"" + Program() + "\" " + arguments, folder.Path(), buttonId, 120000);
    }
    // The "key=value" lines of probe.txt.
    std::map<std::string, std::string> Probe() const
    {
        std::map<std::string, std::string> values;
        std::string text = ReadWholeFile(folder.File("probe.txt"));
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            size_t eq = line.find('=');
            if (eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
            if (end == std::string::npos)
                break;
            pos = end + 1;
        }
        return values;
    }
    // Names in the folder that begin with prefix.
    std::vector<std::string> Files(const std::string &prefix) const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((folder.Path() + "\\" + prefix + "*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do
                names.push_back(fd.cFileName);
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        return names;
    }
    bool ok = false;

private:
    TEMPFOLDER folder;
};

bool EndsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

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

TEST(FRAME, CrashWithoutLogAsksFirst)
{
    struct CASE {
        const char *arguments;
        int button;
        const char *kept; // the one file left
    } cases[] = {
        {"/CRASHDUMP:7", IDYES, ".ORVAK.dmp.gz"}, // 7 modulo 5 is the ORVAK kind
        {"/CRASHDUMP:1", IDNO, ".MINI.dmp"},      // No: the dump stays as written, nothing is sent
    };
    for (const auto &c : cases) {
        PROBEFOLDER probe({kEnglish});
        ASSERT_TRUE(probe.ok);
        CHILDRESULT r = probe.Run(std::string(c.arguments) + " /PRODUCT:parlomatix /CRASH", c.button);
        ASSERT_TRUE(r.finished) << c.arguments;
        EXPECT_TRUE(r.pressed);
        EXPECT_EQ(r.exitCode, 42u);
        EXPECT_EQ(r.title, "Parlomatix Crash");
        EXPECT_NE(r.text.find("The program PARLOMATIX423 has encountered an error"), std::string::npos) << r.text;
        std::vector<std::string> dumps = probe.Files("Orvak.CrashInfo.PARLOMATIX423.");
        ASSERT_EQ(dumps.size(), 1u) << c.arguments;
        EXPECT_TRUE(EndsWith(dumps[0], c.kept)) << dumps[0];
        EXPECT_NE(r.text.find(dumps[0].substr(0, dumps[0].size() - (c.button == IDYES ? 3 : 0))), std::string::npos);
    }
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
