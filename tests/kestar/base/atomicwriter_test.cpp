// The streamed file replacement: what was written in pieces replaces the target only on Commit;
// an abandoned, destroyed or failed stream leaves the old target and no temporary file behind.
#include "kestar/base/atomicwriter.h"

#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

int LastError()
{
#if defined(_WIN32)
    return static_cast<int>(GetLastError());
#else
    return errno;
#endif
}

// A fresh folder of its own per test, below the current folder (the suites of both architectures
// run in their own build folders at the same time).
class AtomicWriterTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path("atomicwriter_test_") / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
#if defined(_WIN32)
        SetFileAttributesA(Path("list.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        fs::remove_all(dir);
    }

    std::string Path(const char *name) const { return (dir / name).string(); }
    // The temporary file beside list.ini while a stream is open, or "".
    std::string TempFile() const
    {
        for (const auto &e : fs::directory_iterator(dir)) {
            std::string name = e.path().filename().string();
            if (name.rfind("list.ini.~", 0) == 0 && name.size() > 14 && name.substr(name.size() - 4) == ".tmp")
                return e.path().string();
        }
        return "";
    }

    fs::path dir;
};

TEST_F(AtomicWriterTest, CommitReplacesTheTargetWithEveryPieceWritten)
{
    // Many pieces of varying sizes, together far larger than any one write; one piece larger
    // than the Windows write chunk of 1 MB; no piece at all over an old file.
    std::vector<std::string> many;
    for (int i = 0; i < 2000; i++)
        many.push_back(std::string(static_cast<size_t>(i * 37 % 1500), static_cast<char>('a' + i % 26)) + "\r\n");
    struct Case {
        const char *what;
        bool oldTarget;
        std::vector<std::string> pieces;
    } cases[] = {
        {"new file, binary pieces", false, {"a=1\r\n", std::string("b=\0x\r\n", 6), ""}},
        {"zero bytes over an old file", true, {}},
        {"empty pieces over an old file", true, {"", ""}},
        {"many pieces", true, many},
        {"one piece over 1 MB", false, {"head\r\n", std::string((1 << 20) + 4321, 'z'), "tail"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string target = Path("list.ini");
        fs::remove(target);
        if (c.oldTarget)
            WriteWholeFile(target, "old content");
        ATOMICWRITER file;
        ASSERT_TRUE(file.Open(target.c_str()));
        EXPECT_TRUE(file.IsOpen());
        std::string expected;
        for (const std::string &piece : c.pieces) {
            ASSERT_TRUE(file.Write(piece.data(), piece.size()));
            expected += piece;
        }
        // Nothing of it is in the target before the commit.
        EXPECT_EQ(ReadWholeFile(target), c.oldTarget ? "old content" : "");
        EXPECT_NE(TempFile(), "");
        bool committed = file.Commit();
        int last = LastError();
        ASSERT_TRUE(committed);
        EXPECT_EQ(file.Error(), 0);
        EXPECT_EQ(last, 0);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(ReadWholeFile(target), expected);
        EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
    }
}

TEST_F(AtomicWriterTest, AbandonedOrDestroyedStreamLeavesTheOldTarget)
{
    enum End { ABANDON, DESTROY, DESTROY_UNWRITTEN };
    const End ends[] = {ABANDON, DESTROY, DESTROY_UNWRITTEN};
    std::string target = Path("list.ini");
    WriteWholeFile(target, "old content");
    for (End end : ends) {
        SCOPED_TRACE(static_cast<int>(end));
        {
            ATOMICWRITER file;
            ASSERT_TRUE(file.Open(target.c_str()));
            if (end != DESTROY_UNWRITTEN) {
                ASSERT_TRUE(file.Write("new content", 11));
            }
            EXPECT_NE(TempFile(), "");
            if (end == ABANDON) {
                file.Abandon();
                EXPECT_FALSE(file.IsOpen());
                EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
                // Abandoned, the same object writes a new stream; a second Commit has nothing left.
                ASSERT_TRUE(file.Open(target.c_str()));
                ASSERT_TRUE(file.Write("old content", 11));
                ASSERT_TRUE(file.Commit());
                EXPECT_FALSE(file.Commit());
                EXPECT_NE(file.Error(), 0);
            }
        }
        EXPECT_EQ(ReadWholeFile(target), "old content");
        EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
    }
}

TEST_F(AtomicWriterTest, FailureReportsTheSystemErrorAndLeavesNothing)
{
    // Each case fails at one step: the error is the system's code, left as the thread's last
    // error, every later step fails with it, and the folder holds what it held.
    fs::create_directories(dir / "sub");
    WriteWholeFile(Path("sub/keep.txt"), "keep");
    WriteWholeFile(Path("list.ini"), "old content");
#if defined(_WIN32)
    const int missingFolder = ERROR_PATH_NOT_FOUND, invalid = ERROR_INVALID_PARAMETER;
#else
    const int missingFolder = ENOENT, invalid = EINVAL;
#endif
    enum Step { OPEN, WRITE, COMMIT };
    struct Case {
        const char *what;
        std::string target;
        const char *data; // null: a write without data
        Step fails;
        int error; // 0: any code the system gives
    } cases[] = {
        {"missing folder", Path("missing/list.ini"), "x", OPEN, missingFolder},
        {"empty name", "", "x", OPEN, invalid},
        {"write without data", Path("list.ini"), nullptr, WRITE, invalid},
        {"target is a folder", Path("sub"), "x", COMMIT, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ATOMICWRITER file;
        bool opened = file.Open(c.target.c_str());
        EXPECT_EQ(opened, c.fails != OPEN);
        bool written = file.Write(c.data, 1);
        EXPECT_EQ(written, c.fails == COMMIT);
        if (c.fails == WRITE) {
            EXPECT_EQ(TempFile(), "") << "a failed write removes the temporary file at once";
        }
        bool committed = file.Commit();
        int last = LastError();
        EXPECT_FALSE(committed);
        EXPECT_FALSE(file.IsOpen());
        if (c.error != 0) {
            EXPECT_EQ(file.Error(), c.error);
        }
        EXPECT_NE(file.Error(), 0);
        EXPECT_EQ(last, file.Error());
        EXPECT_EQ(FolderListing(dir.string()), "list.ini;sub;");
    }
    EXPECT_EQ(ReadWholeFile(Path("list.ini")), "old content");
    EXPECT_EQ(ReadWholeFile(Path("sub/keep.txt")), "keep");
}

#if defined(_WIN32)
// A read-only target is refused before anything is written (Windows refuses the rename; Wine
// would not by itself).
TEST_F(AtomicWriterTest, ReadOnlyTargetIsRefusedAtOpen)
{
    std::string target = Path("list.ini");
    WriteWholeFile(target, "old content");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    ATOMICWRITER file;
    EXPECT_FALSE(file.Open(target.c_str()));
    EXPECT_EQ(file.Error(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(static_cast<int>(GetLastError()), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(file.Write("new", 3));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(ReadWholeFile(target), "old content");
    EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
}
#else
// A write that fails half-way (here: the file size limit, which even root cannot pass) abandons
// the stream at once: the temporary file goes, the old target stays.
TEST_F(AtomicWriterTest, FailedWriteAbandonsTheStream)
{
    std::string target = Path("list.ini");
    WriteWholeFile(target, "old content");
    std::string piece(3000, 'x');

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ATOMICWRITER file;
    bool opened = file.Open(target.c_str());
    bool first = file.Write(piece.data(), piece.size());
    bool second = file.Write(piece.data(), piece.size());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(opened);
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_EQ(file.Error(), EFBIG);
    EXPECT_EQ(FolderListing(dir.string()), "list.ini;");
    EXPECT_FALSE(file.Write("y", 1));
    bool committed = file.Commit();
    int last = errno;
    EXPECT_FALSE(committed);
    EXPECT_EQ(last, EFBIG);
    EXPECT_EQ(ReadWholeFile(target), "old content");
}
#endif

} // namespace
