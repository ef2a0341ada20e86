// FILENAME: normalisation, placeholder expansion (through a fixed lookup), path queries, the
// network test and file copies.
#include <gtest/gtest.h>

#include "kestar/base/filename.h"
#include "kestar/base/fsys.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Str(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string("<NULL>");
}

// A scratch folder of one test, removed with its contents at the end.
class SCRATCH {
public:
    SCRATCH()
    {
        static std::atomic<int> counter{0};
        path = fs::temp_directory_path() /
               ("plxfn-" + std::to_string(FSYS::ProcessId()) + "-" + std::to_string(counter++) + "-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 100000));
        fs::create_directories(path);
    }
    ~SCRATCH()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string Path() const { return path.string(); }
    std::string File(const std::string &name) const { return (path / name).string(); }
    void Write(const std::string &name, const std::string &data) const
    {
        fs::create_directories((path / name).parent_path());
        std::ofstream(path / name, std::ios::binary) << data;
    }
    std::string Read(const std::string &name) const
    {
        std::ifstream in(path / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Names in the folder (not recursive).
    std::set<std::string> Names() const
    {
        std::set<std::string> r;
        for (const auto &e : fs::directory_iterator(path))
            r.insert(e.path().filename().string());
        return r;
    }

private:
    fs::path path;
};

// Fixed placeholder values; counts how often the folders were asked for.
class FAKELOOKUP : public SHELLLOOKUP {
public:
    explicit FAKELOOKUP(std::string temp = "C:\\Temp", int delayMs = 0) : temp(std::move(temp)), delay(delayMs) {}
    STRING SystemPath(int type) override
    {
        calls++;
        if (delay)
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        switch (type) {
        case 5: return STRING("C:\\Users\\alice\\AppData\\Roaming\\");
        case 6: case 14: case 18: case 19: return STRING("C:\\Users\\alice\\Documents\\");
        case 7: return STRING("C:\\Users\\alice\\Pictures");
        case 8: return STRING("C:\\Users\\alice\\Desktop\\");
        case 12: return STRING("C:\\Users\\Public\\Documents\\");
        case 13: return STRING("C:\\ProgramData\\");
        default: return STRING("");
        }
    }
    STRING UserName() override { return STRING("alice"); }
    STRING ComputerName() override { return STRING("PC7"); }
    STRING ProgramFile() override { return STRING("C:\\Program Files\\Orvak\\parlomatix.exe"); }
    STRING TempFolder() override { return STRING(temp.c_str()); }
    std::atomic<int> calls{0};

private:
    std::string temp;
    int delay;
};

class FILENAMELOOKUP : public ::testing::Test {
protected:
    void SetUp() override { previous = FILENAME::SetLookup(&lookup); }
    void TearDown() override { FILENAME::SetLookup(previous); }
    FAKELOOKUP lookup;
    SHELLLOOKUP *previous = nullptr;
};

} // namespace

TEST(FILENAME, SetTextNormalisesWithoutExpanding)
{
    const struct {
        const char *text, *expected;
    } cases[] = {
        {"C:/a/b/", "C:\\a\\b"},   {"C:\\", "C:\\"},     {"C:", "C:"},
        {"C:\\a\\\\", "C:\\a"},   {"/", "/"},            {"\\\\srv\\share\\", "\\\\srv\\share"},
        {"%APPDATA%\\x", "%APPDATA%\\x"}, {"<self>", "<self>"}, {"", ""},
    };
    for (const auto &c : cases) {
        FILENAME f;
        f.SetText(c.text);
        EXPECT_STREQ(f.Text(), c.expected) << c.text;
    }
    FILENAME n;
    n.SetText(nullptr);
    EXPECT_STREQ(n.Text(), "");
}

TEST_F(FILENAMELOOKUP, ExpandsPlaceholdersAtTheStart)
{
    const struct {
        const char *text, *expected;
    } cases[] = {
        {"%APPDATA%\\Orvak\\x.ini", "C:\\Users\\alice\\AppData\\Roaming\\Orvak\\x.ini"},
        {"$(APPDATA)\\Orvak\\x.ini", "C:\\Users\\alice\\AppData\\Roaming\\Orvak\\x.ini"},
        {"%appdata%/Orvak/", "C:\\Users\\alice\\AppData\\Roaming\\Orvak"},
        {"C:\\%APPDATA%\\x", "C:\\%APPDATA%\\x"},
        {"~/notes/a.txt", "C:\\Users\\alice\\Documents\\notes\\a.txt"},
        {"%USERDOCUMENTS%\\a", "C:\\Users\\alice\\Documents\\a"},
        {"%ALLUSERAPPDATA%\\Orvak", "C:\\ProgramData\\Orvak"},
        {"%ALLUSERPROFILE%", "C:\\Users\\Public\\Documents"},
        {"%USERPICTURES%\\p.bmp", "C:\\Users\\alice\\Pictures\\p.bmp"},
        {"%USERDESKTOP%", "C:\\Users\\alice\\Desktop"},
        {"\\\\srv\\%USERNAME%\\%ComputerName%.log", "\\\\srv\\alice\\PC7.log"},
        {"%USERNAME%", "alice"},
        {"%UNKNOWN%\\x", "%UNKNOWN%\\x"},
        {"C:", "C:\\"},
        {"C:\\dir\\", "C:\\dir"},
        {"a/b/c", "a\\b\\c"},
        {"<self>", "C:\\Program Files\\Orvak\\parlomatix.exe"},
        {"<SELF>", "C:\\Program Files\\Orvak\\parlomatix.exe"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(FILENAME(c.text).Text(), c.expected) << c.text;
    EXPECT_STREQ(FILENAME(static_cast<const char *>(nullptr)).Text(), "");

    STRING s("$(USERHOME)/x");
    FILENAME::ExpandShellString(s);
    EXPECT_EQ(Str(s), "C:\\Users\\alice\\Documents\\x");
}

TEST_F(FILENAMELOOKUP, ShellStringSetAddsAndReplaces)
{
    FILENAME::ShellStringSet("%PLXDATA%", "D:\\data\\");
    EXPECT_STREQ(FILENAME("%PLXDATA%\\f").Text(), "D:\\data\\f");
    EXPECT_STREQ(FILENAME("$(PLXDATA)\\f").Text(), "D:\\data\\f");
    FILENAME::ShellStringSet("%APPDATA%", "E:\\roam");
    EXPECT_STREQ(FILENAME("%APPDATA%\\f").Text(), "E:\\roam\\f");
    // The defaults were filled before the first own entry and are still there.
    EXPECT_STREQ(FILENAME("%USERLOGS%\\f").Text(), "C:\\Users\\alice\\Documents\\f");
}

TEST_F(FILENAMELOOKUP, TempNamesAreFreshAndInTheTempFolder)
{
    SCRATCH scratch;
    FAKELOOKUP temp(scratch.Path() + "/");
    FILENAME::SetLookup(&temp);
    FILENAME base;
    base.SetText(scratch.Path().c_str());
    std::set<std::string> names;
    for (const char *special : {"<tmp>", "<temp>", "<TMP>"}) {
        FILENAME f(special);
        ASSERT_TRUE(f.NotEmpty()) << special;
        EXPECT_STREQ(f.GetFolder().Text(), base.Text()) << special;
        std::string name = f.GetName().Text();
        EXPECT_EQ(name.size(), 8u);
        EXPECT_EQ(name.substr(0, 2), "Z-");
        EXPECT_FALSE(f.Exists()); // no file is created
        names.insert(f.Text());
    }
    EXPECT_EQ(names.size(), 3u);
}

TEST_F(FILENAMELOOKUP, FolderAndNameJoin)
{
    const struct {
        const char *folder, *name, *expected;
    } cases[] = {
        {"C:\\base", "f.txt", "C:\\base\\f.txt"},
        {"C:\\base\\", "sub/f.txt", "C:\\base\\sub\\f.txt"},
        {"C:\\base", "D:\\abs.txt", "D:\\abs.txt"},
        {"C:\\base", "\\rooted.txt", "\\rooted.txt"},
        {"", "f.txt", ".\\f.txt"},
        {nullptr, "f", ".\\f"},
        {"C:\\", "x", "C:\\x"},
        {"%APPDATA%", "x.ini", "C:\\Users\\alice\\AppData\\Roaming\\x.ini"},
        {"C:\\base", "%APPDATA%\\x", "C:\\Users\\alice\\AppData\\Roaming\\x"},
        {"C:\\base", "%USERNAME%.ini", "C:\\base\\alice.ini"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(FILENAME(c.folder, c.name).Text(), c.expected) << (c.folder ? c.folder : "null") << " + " << c.name;
    EXPECT_STREQ(FILENAME::FromFolderAndName(STRING("C:\\x"), "y").Text(), "C:\\x\\y");
}

TEST(FILENAME, QueriesOnThePathText)
{
    const struct {
        const char *path;
        bool absolute;
        const char *name, *folder;
    } cases[] = {
        {"C:\\dir\\file.txt", true, "file.txt", "C:\\dir"},
        {"C:\\file.txt", true, "file.txt", "C:"},
        {"C:file.txt", true, "file.txt", "C:"},
        {"file.txt", false, "file.txt", "."},
        {"dir\\file.txt", false, "file.txt", "dir"},
        {"\\\\srv\\share\\f", true, "f", "\\\\srv\\share"},
        {"\\f", true, "f", "\\"},
        {"~\\f", true, "f", "~"},
        {"/", true, "", "\\"},
    };
    for (const auto &c : cases) {
        FILENAME f;
        f.SetText(c.path);
        EXPECT_EQ(f.IsAbsolute(), c.absolute) << c.path;
        EXPECT_STREQ(f.GetName().Text(), c.name) << c.path;
        EXPECT_STREQ(f.GetFolder().Text(), c.folder) << c.path;
    }

    const struct {
        const char *path, *folder, *expected;
    } relative[] = {
        {"C:\\a\\b\\c.txt", "c:\\A", "b\\c.txt"},
        {"C:\\a\\b\\c.txt", "C:\\a\\", "b\\c.txt"},
        {"C:\\ab\\c", "C:\\a", "C:\\ab\\c"},
        {"C:\\a\\b", "C:\\", "a\\b"},
        {"D:\\x", "C:\\a", "D:\\x"},
        {"C:\\a", "C:\\a", "C:\\a"},
    };
    for (const auto &c : relative) {
        FILENAME f;
        f.SetText(c.path);
        EXPECT_STREQ(f.RelativeTo(c.folder).Text(), c.expected) << c.path << " to " << c.folder;
    }
}

TEST(FILENAME, NetworkPaths)
{
    const struct {
        const char *path;
        bool network;
    } cases[] = {
        {"\\\\127.0.0.1\\share\\f.txt", true},
        {"//127.0.0.1/share/f.txt", true},
        {"\\\\?\\UNC\\127.0.0.1\\share\\f", true},
        {"\\\\.\\pipe\\plxtest", false},
        {"plx-local-file.txt", false},
    };
    for (const auto &c : cases) {
        FILENAME f;
        f.SetText(c.path);
        EXPECT_EQ(f.IsOnNetwork(), c.network) << c.path;
    }
#if defined(_WIN32)
    std::string windir;
    ASSERT_TRUE(FSYS::GetEnv("SystemRoot", windir));
    FILENAME local;
    local.SetText(windir.c_str());
    EXPECT_FALSE(local.IsOnNetwork());
#endif
}

TEST(FILENAME, FullNameOfAMissingFileIsAbsolute)
{
    SCRATCH scratch;
    FILENAME f;
    f.SetText("plx-not-there\\x.txt");
    FILENAME full = f.GetFullName();
    EXPECT_TRUE(full.IsAbsolute()) << full.Text();
    EXPECT_STREQ(full.GetName().Text(), "x.txt");
    FILENAME existing(scratch.Path().c_str());
    EXPECT_TRUE(existing.GetFullName().IsAbsolute());
}

TEST(FILENAME, ExistenceAttributesAndSize)
{
    SCRATCH scratch;
    scratch.Write("f.bin", std::string(5000, 'x'));
    FILENAME file(scratch.File("f.bin").c_str()), folder(scratch.Path().c_str()), missing(scratch.File("no").c_str());
    EXPECT_TRUE(file.Exists());
    EXPECT_TRUE(file.IsFile());
    EXPECT_FALSE(file.IsDirectory());
    EXPECT_EQ(file.GetSize(), 5000);
    EXPECT_TRUE(folder.IsDirectory());
    EXPECT_FALSE(folder.IsFile());
    EXPECT_FALSE(missing.Exists());
    EXPECT_EQ(missing.GetAttributes(), -1);
    EXPECT_EQ(missing.GetSize(), -1);
    EXPECT_FALSE(FILENAME().Exists());

    FILENAME sub(scratch.File("sub").c_str());
    EXPECT_TRUE(sub.MakeDirectory());
    EXPECT_TRUE(sub.IsDirectory());
    EXPECT_TRUE(sub.RemoveDirectory());
    EXPECT_FALSE(sub.Exists());
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(file.Exists());
    EXPECT_FALSE(file.Delete());
}

TEST(FILENAME, CopyToCopiesWholeFilesOfAnySize)
{
    SCRATCH scratch;
    for (size_t size : {0u, 1u, 4095u, 4096u, 8192u, 10001u}) {
        std::string data;
        for (size_t i = 0; i < size; i++)
            data += static_cast<char>(i * 7 + size);
        scratch.Write("src.bin", data);
        FILENAME src(scratch.File("src.bin").c_str()), dst(scratch.File("dst.bin").c_str());
        EXPECT_TRUE(src.CopyTo(dst, true)) << size;
        EXPECT_EQ(scratch.Read("dst.bin"), data) << size;
    }
    // Nothing but source and target is left behind.
    EXPECT_EQ(scratch.Names(), (std::set<std::string>{"src.bin", "dst.bin"}));
}

TEST(FILENAME, CopyToRefusesAndKeepsTheOldTarget)
{
    SCRATCH scratch;
    scratch.Write("src.txt", "new data");
    scratch.Write("dst.txt", "old data");
    FILENAME src(scratch.File("src.txt").c_str()), dst(scratch.File("dst.txt").c_str());

    EXPECT_FALSE(src.CopyTo(dst, false));
    EXPECT_EQ(scratch.Read("dst.txt"), "old data");

    EXPECT_FALSE(FILENAME(scratch.File("missing.txt").c_str()).CopyTo(dst, true));
    EXPECT_FALSE(FILENAME(scratch.Path().c_str()).CopyTo(dst, true));
    EXPECT_EQ(scratch.Read("dst.txt"), "old data");

    FILENAME nowhere(scratch.File("no-such-folder/x.txt").c_str());
    EXPECT_FALSE(src.CopyTo(nowhere, true));
    EXPECT_FALSE(nowhere.Exists());

    // A folder in the target's place is never replaced.
    fs::create_directory(scratch.File("dir"));
    EXPECT_FALSE(src.CopyTo(FILENAME(scratch.File("dir").c_str()), true));
    EXPECT_TRUE(fs::is_directory(scratch.File("dir")));

    EXPECT_TRUE(src.CopyTo(dst, true));
    EXPECT_EQ(scratch.Read("dst.txt"), "new data");
    EXPECT_EQ(scratch.Names(), (std::set<std::string>{"src.txt", "dst.txt", "dir"}));
}

TEST(FILENAME, CopyBlocksReportsFailedReadsAndWrites)
{
    SCRATCH scratch;
    scratch.Write("data.bin", std::string(10000, 'd'));
    scratch.Write("other.bin", "x");
    // A target that takes no writes (opened for reading only).
    FILE *in = std::fopen(scratch.File("data.bin").c_str(), "rb");
    FILE *readonly = std::fopen(scratch.File("other.bin").c_str(), "rb");
    ASSERT_TRUE(in && readonly);
    EXPECT_FALSE(FILENAME::CopyBlocks(in, readonly));
    std::fclose(in);
    std::fclose(readonly);
#if !defined(_WIN32)
    // A source that gives no reads (opened for writing only).  msvcrt reads such a stream as an
    // empty one without an error, so this case is the C library's of the native build.
    FILE *writeonly = std::fopen(scratch.File("w.bin").c_str(), "wb");
    FILE *sink = std::fopen(scratch.File("sink.bin").c_str(), "wb");
    ASSERT_TRUE(writeonly && sink);
    EXPECT_FALSE(FILENAME::CopyBlocks(writeonly, sink));
    std::fclose(writeonly);
    std::fclose(sink);
#endif
    // And the good case.
    in = std::fopen(scratch.File("data.bin").c_str(), "rb");
    FILE *out = std::fopen(scratch.File("out.bin").c_str(), "wb");
    EXPECT_TRUE(FILENAME::CopyBlocks(in, out));
    std::fclose(in);
    std::fclose(out);
    EXPECT_EQ(scratch.Read("out.bin"), std::string(10000, 'd'));
}

#if !defined(_WIN32)
// A target volume that runs full in the middle of the copy: simulated with the file-size limit.
TEST(FILENAME, CopyToFailsWhenTheTargetRunsFullAndKeepsTheOldTarget)
{
    SCRATCH scratch;
    scratch.Write("big.bin", std::string(256 * 1024, 'b'));
    scratch.Write("dst.bin", "precious old content");
    FILENAME src(scratch.File("big.bin").c_str()), dst(scratch.File("dst.bin").c_str());

    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool ok = src.CopyTo(dst, true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(scratch.Read("dst.bin"), "precious old content");
    EXPECT_EQ(scratch.Names(), (std::set<std::string>{"big.bin", "dst.bin"}));
}
#endif

TEST(FILENAME, TempNameBesideAndMoveTo)
{
    SCRATCH scratch;
    scratch.Write("target.ini", "old");
    FILENAME target(scratch.File("target.ini").c_str());
    FILENAME temp = target.TempNameBeside();
    ASSERT_TRUE(temp.NotEmpty());
    EXPECT_STREQ(temp.GetFolder().Text(), target.GetFolder().Text());
    EXPECT_FALSE(temp.Exists());
    scratch.Write(temp.GetName().Text(), "new");
    EXPECT_FALSE(temp.MoveTo(target, false)); // never replaces without being asked
    EXPECT_EQ(scratch.Read("target.ini"), "old");
    EXPECT_TRUE(temp.MoveTo(target, true));
    EXPECT_EQ(scratch.Read("target.ini"), "new");
    EXPECT_FALSE(temp.Exists());
}

TEST(FILENAME, FsopenAppendsAtTheEnd)
{
    SCRATCH scratch;
    scratch.Write("log.txt", "first\n");
    FILE *f = FILENAME::fsopen(scratch.File("log.txt").c_str(), "ab", -1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::ftell(f), 6);
    std::fputs("second\n", f);
    std::fclose(f);
    EXPECT_EQ(scratch.Read("log.txt"), "first\nsecond\n");
    EXPECT_EQ(FILENAME::fsopen(scratch.File("none/x").c_str(), "r", -1), nullptr);
}

#if defined(_WIN32)
TEST(FILENAME, FsopenSharingFollowsTheMode)
{
    SCRATCH scratch;
    scratch.Write("s.txt", "x");
    std::string p = scratch.File("s.txt");
    FILE *writer = FILENAME::fsopen(p.c_str(), "r+", -1);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(FILENAME::fsopen(p.c_str(), "r", -1), nullptr); // a writer denies everybody
    std::fclose(writer);
    FILE *r1 = FILENAME::fsopen(p.c_str(), "r", -1);
    FILE *r2 = FILENAME::fsopen(p.c_str(), "r", -1);
    EXPECT_NE(r1, nullptr);
    EXPECT_NE(r2, nullptr);                                   // readers share
    EXPECT_EQ(FILENAME::fsopen(p.c_str(), "a", -1), nullptr); // but keep writers out
    EXPECT_EQ(FILENAME::fsopen(p.c_str(), "r", FILENAME::SH_DENYRW), nullptr);
    std::fclose(r1);
    std::fclose(r2);
}
#endif

// Many threads building names while the table is filled for the first time all see the table.
TEST(FILENAME, PlaceholderTableIsSafeForConcurrentFirstUse)
{
    for (int round = 0; round < 3; round++) {
        FAKELOOKUP slow("C:\\Temp", 5);
        SHELLLOOKUP *previous = FILENAME::SetLookup(&slow);
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; t++)
            threads.emplace_back([&wrong, t] {
                for (int i = 0; i < 50; i++) {
                    if (t % 2 == 0 && i == 10)
                        FILENAME::ShellStringSet("%PLXEXTRA%", "X:\\extra");
                    if (std::string(FILENAME("%APPDATA%\\a.ini").Text()) != "C:\\Users\\alice\\AppData\\Roaming\\a.ini")
                        wrong++;
                    if (std::string(FILENAME("~/b").Text()) != "C:\\Users\\alice\\Documents\\b")
                        wrong++;
                }
            });
        for (auto &th : threads)
            th.join();
        EXPECT_EQ(wrong.load(), 0);
        EXPECT_STREQ(FILENAME("%PLXEXTRA%\\y").Text(), "X:\\extra\\y");
        FILENAME::SetLookup(previous);
    }
}
