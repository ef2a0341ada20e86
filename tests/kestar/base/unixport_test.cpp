// UNIXPORT::MakeTempName: free names, distinct for concurrent callers.
#include <gtest/gtest.h>

#include "kestar/base/unixport.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

TEST(UNIXPORT, MakeTempNameNeedsSixX)
{
    for (const char *bad : {"", "abc", "XXXXX", "aXXXXXXb", "/tmp/XXXXXx"}) {
        std::vector<char> t(bad, bad + std::strlen(bad) + 1);
        errno = 0;
        EXPECT_FALSE(UNIXPORT::MakeTempName(t.data())) << bad;
        EXPECT_EQ(errno, EINVAL) << bad;
    }
    EXPECT_FALSE(UNIXPORT::MakeTempName(nullptr));
}

TEST(UNIXPORT, MakeTempNameGivesFreeNamesOfLettersAndDigits)
{
    fs::path dir = fs::temp_directory_path() / ("plxtmp-" + std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id()) % 100000));
    fs::create_directories(dir);
    std::string prefix = (dir / "Z-").string();
    for (int i = 0; i < 50; i++) {
        std::string t = prefix + "XXXXXX";
        ASSERT_TRUE(UNIXPORT::MakeTempName(&t[0]));
        std::string tail = t.substr(prefix.size());
        ASSERT_EQ(tail.size(), 6u);
        for (char c : tail)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << t;
        EXPECT_FALSE(fs::exists(t));
        std::ofstream(t) << "taken"; // the next names must avoid it
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 50);
    fs::remove_all(dir);
}

TEST(UNIXPORT, ConcurrentCallersGetDistinctNames)
{
    std::mutex lock;
    std::set<std::string> names;
    int total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; t++)
        threads.emplace_back([&] {
            std::vector<std::string> mine;
            for (int i = 0; i < 250; i++) {
                std::string n = "plx-no-such-folder-for-names/Z-XXXXXX";
                if (UNIXPORT::MakeTempName(&n[0]))
                    mine.push_back(n);
            }
            std::lock_guard<std::mutex> g(lock);
            total += static_cast<int>(mine.size());
            names.insert(mine.begin(), mine.end());
        });
    for (auto &th : threads)
        th.join();
    EXPECT_EQ(total, 8 * 250);
    EXPECT_EQ(names.size(), static_cast<size_t>(total));
}

// A guard byte after the given size shows any write beyond it.
struct BoundedCase {
    const char *source;
    size_t size;
    int result;
    const char *stored;
};

TEST(UNIXPORT, StrCopyCutsAndTerminates)
{
    const BoundedCase cases[] = {
        {"0123456789", 8, -1, "0123456"},  // too small: size - 1 kept
        {"0123456789", 11, 10, "0123456789"}, // the exact fit
        {"0123456789", 10, -1, "012345678"},  // one short of the exact fit
        {"", 1, 0, ""},
        {"abc", 1, -1, ""},
        {nullptr, 4, 0, ""},                  // a null source is empty
    };
    for (const BoundedCase &c : cases) {
        char buf[32];
        std::memset(buf, '#', sizeof(buf));
        EXPECT_EQ(UNIXPORT::StrCopy(buf, c.size, c.source), c.result) << c.size;
        EXPECT_STREQ(buf, c.stored) << c.size;
        EXPECT_EQ(buf[c.size], '#') << c.size;
    }
    char untouched = '#';
    EXPECT_EQ(UNIXPORT::StrCopy(&untouched, 0, "x"), -1);
    EXPECT_EQ(untouched, '#');
}

TEST(UNIXPORT, StrCatCutsAndTerminates)
{
    const struct {
        const char *start, *text;
        size_t size;
        int result;
        const char *stored;
    } cases[] = {
        {"abc", "defg", 8, 7, "abcdefg"}, // the exact fit
        {"abc", "defgh", 8, -1, "abcdefg"},
        {"abc", nullptr, 8, 3, "abc"},
        {"", "xy", 3, 2, "xy"},
        {"abcdefg", "", 8, 7, "abcdefg"},
    };
    for (const auto &c : cases) {
        char buf[32];
        std::memset(buf, '#', sizeof(buf));
        std::strcpy(buf, c.start);
        EXPECT_EQ(UNIXPORT::StrCat(buf, c.size, c.text), c.result) << c.start << "+" << (c.text ? c.text : "null");
        EXPECT_STREQ(buf, c.stored);
        EXPECT_EQ(buf[c.size], '#');
    }
    // No zero within the size: nothing is appended and nothing read or written beyond it.
    char full[6] = {'a', 'b', 'c', 'd', 0, '#'};
    EXPECT_EQ(UNIXPORT::StrCat(full, 4, "x"), -1);
    EXPECT_EQ(std::memcmp(full, "abcd\0#", 6), 0);
}

TEST(UNIXPORT, FormatReturnsTheNeededLength)
{
    char buf[16];
    std::memset(buf, '#', sizeof(buf));
    EXPECT_EQ(UNIXPORT::Format(buf, 4, "%d-%s", 12345, "abcd"), 10);
    EXPECT_STREQ(buf, "123");
    EXPECT_EQ(buf[4], '#');

    std::memset(buf, '#', sizeof(buf));
    EXPECT_EQ(UNIXPORT::Format(buf, 11, "%d-%s", 12345, "abcd"), 10); // the exact fit
    EXPECT_STREQ(buf, "12345-abcd");
    EXPECT_EQ(buf[11], '#');

    std::memset(buf, '#', sizeof(buf));
    EXPECT_EQ(UNIXPORT::Format(buf, 10, "%d-%s", 12345, "abcd"), 10); // one short
    EXPECT_STREQ(buf, "12345-abc");

    // A bare "%s" is copied as it is, a null text as "(null)".
    EXPECT_EQ(UNIXPORT::Format(buf, sizeof(buf), "%s", "100% %d"), 7);
    EXPECT_STREQ(buf, "100% %d");
    EXPECT_EQ(UNIXPORT::Format(buf, sizeof(buf), "%s", static_cast<const char *>(nullptr)), 6);
    EXPECT_STREQ(buf, "(null)");
    std::memset(buf, '#', sizeof(buf));
    EXPECT_EQ(UNIXPORT::Format(buf, 3, "%s", "abcdef"), 6);
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(buf[3], '#');

    // Size 0 writes nothing and still measures.
    char untouched = '#';
    EXPECT_EQ(UNIXPORT::Format(&untouched, 0, "%d", 1234), 4);
    EXPECT_EQ(untouched, '#');
}

TEST(UNIXPORT, FormatWideIsBounded)
{
    wchar_t buf[16];
    std::wmemset(buf, L'#', 16);
    EXPECT_EQ(UNIXPORT::FormatWide(buf, 4, L"%d-%ls", 12345, L"abcd"), 10);
    EXPECT_EQ(std::wstring(buf), L"123");
    EXPECT_EQ(buf[4], L'#');

    std::wmemset(buf, L'#', 16);
    EXPECT_EQ(UNIXPORT::FormatWide(buf, 11, L"%d-%ls", 12345, L"abcd"), 10);
    EXPECT_EQ(std::wstring(buf), L"12345-abcd");
    EXPECT_EQ(buf[11], L'#');

    // Longer than the first scratch buffer.
    std::wstring longText(1000, L'x');
    EXPECT_EQ(UNIXPORT::FormatWide(buf, 16, L"<%ls>", longText.c_str()), 1002);
    EXPECT_EQ(std::wstring(buf), L"<" + std::wstring(14, L'x'));
}
