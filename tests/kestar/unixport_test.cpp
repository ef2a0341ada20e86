// UNIXPORT::MakeTempName: free names, distinct for concurrent callers.
#include <gtest/gtest.h>

#include "kestar/unixport.h"

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
