// The atomic replacement under every settings and list file: the target only ever holds the old
// or the complete new content, and a failed save leaves neither a changed target nor a stray
// temporary file behind.
#include "kestar/base/atomicfile.h"

#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

// A fresh folder of its own per test, below the current folder (the suites of both architectures
// run in their own build folders at the same time).
class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path("atomicfile_test_") /
              testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const char *name) const { return (dir / name).string(); }

    fs::path dir;
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithExactBytes)
{
    std::string target = Path("list.ini");
    const std::string first("a=1\r\nb=\0x\r\n", 12); // binary content, an embedded zero byte
    int error = -1;
    ASSERT_TRUE(ATOMICFILE::WriteReplace(target.c_str(), first.data(), first.size(), &error));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(ReadWholeFile(target), first);

    const std::string second = "shorter\n";
    ASSERT_TRUE(ATOMICFILE::WriteReplace(target.c_str(), second.data(), second.size(), &error));
    EXPECT_EQ(ReadWholeFile(target), second);

    ASSERT_TRUE(ATOMICFILE::WriteReplace(target.c_str(), nullptr, 0, &error));
    EXPECT_EQ(ReadWholeFile(target), "");
    EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
}

TEST_F(AtomicFileTest, FailureLeavesTargetAndFolderAlone)
{
    // A missing folder, and a target that is a folder of its own: both fail with an error code
    // and neither creates nor leaves anything.
    fs::create_directories(dir / "sub");
    WriteWholeFile(Path("sub/keep.txt"), "keep");
    const char *targets[] = {"missing/list.ini", "sub"};
    for (const char *name : targets) {
        SCOPED_TRACE(name);
        std::string target = Path(name);
        int error = 0;
        EXPECT_FALSE(ATOMICFILE::WriteReplace(target.c_str(), "x", 1, &error));
        EXPECT_NE(error, 0);
    }
    EXPECT_EQ(FolderListing(dir.string()), "sub;");
    EXPECT_EQ(ReadWholeFile(Path("sub/keep.txt")), "keep");
    int error = 0;
    EXPECT_FALSE(ATOMICFILE::WriteReplace("", "x", 1, &error));
    EXPECT_NE(error, 0);
}

#if defined(_WIN32)
// A read-only target is not replaced (Windows refuses the rename; Wine would not by itself).
TEST_F(AtomicFileTest, ReadOnlyTargetIsNotReplaced)
{
    std::string target = Path("list.ini");
    WriteWholeFile(target, "old content");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    int error = 0;
    EXPECT_FALSE(ATOMICFILE::WriteReplace(target.c_str(), "new", 3, &error));
    EXPECT_EQ(error, ERROR_ACCESS_DENIED);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(target), "old content");
    EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
}
#endif

#if !defined(_WIN32)
// A write that fails half-way (here: the file size limit, which even root cannot pass) must be
// reported, and the old file must survive untouched.
TEST_F(AtomicFileTest, FailedWriteKeepsOldContent)
{
    std::string target = Path("list.ini");
    WriteWholeFile(target, "old content");
    std::string big(1 << 20, 'x');

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int error = 0;
    bool ok = ATOMICFILE::WriteReplace(target.c_str(), big.data(), big.size(), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_NE(error, 0);
    EXPECT_EQ(ReadWholeFile(target), "old content");
    EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
}
#endif

} // namespace
