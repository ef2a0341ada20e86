// WINRAS against the stand-in remote access library (rasapi32.dll in the program folder, chosen
// by the test's DLL override): every entry in order, however many, and the library shared by all
// instances.
#include <gtest/gtest.h>

#include "kestar/devices/winras.h"
#include "tests/support/bytes_support.h"
#include "tests/support/logcapture_support.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// Sets the stand-in's phone book for one scope.
class PHONEBOOK {
public:
    explicit PHONEBOOK(const char *mode) { SetEnvironmentVariableA("PLX_STANDIN_RAS", mode); }
    ~PHONEBOOK() { SetEnvironmentVariableA("PLX_STANDIN_RAS", nullptr); }
};

std::string Names(int first, int last)
{
    std::string out;
    for (int i = first; i <= last; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "Dial-up %03d", i);
        out += (out.empty() ? "" : "|") + std::string(i == 3 ? std::string(256, 'L') : std::string(name));
    }
    return out;
}

} // namespace

TEST(WINRAS, ListsEveryEntryInOrder)
{
    const struct {
        const char *phonebook;
        std::string list;
    } cases[] = {
        {"0", ""},
        {"1", "Dial-up 001"},
        {"2", "Dial-up 001|Dial-up 002"},
        {"3", Names(1, 3)},  // the third name fills its whole field
        {"64", Names(1, 64)},
        {"65", Names(1, 65)}, // one more than the first call has room for
        {"70", Names(1, 70)},
        {"500", Names(1, 500)},
        {"fail", ""},         // the phone book cannot be opened
    };
    LOGCAPTURE log;
    WINRAS ras;
    ASSERT_TRUE(WINRAS::IsLibraryLoaded());
    for (const auto &c : cases) {
        PHONEBOOK book(c.phonebook);
        STRING list = ras.GetEntryList();
        EXPECT_FALSE(list.IsNull()) << c.phonebook;
        EXPECT_EQ(TextOf(list), c.list) << c.phonebook;
    }
    // The statistics pair is optional: the stand-in lacks it and that is no failure.
    EXPECT_TRUE(log.Conditions().empty());
}

TEST(WINRAS, LibraryIsSharedAndFreedWithTheLastInstance)
{
    LOGCAPTURE log;
    PHONEBOOK book("2");
    EXPECT_FALSE(WINRAS::IsLibraryLoaded());
    {
        WINRAS first(1);
        EXPECT_NE(GetModuleHandleA("rasapi32.dll"), nullptr);
        {
            WINRAS second(2);
            EXPECT_EQ(TextOf(second.GetEntryList()), "Dial-up 001|Dial-up 002");
        }
        EXPECT_TRUE(WINRAS::IsLibraryLoaded());
        EXPECT_EQ(TextOf(first.GetEntryList()), "Dial-up 001|Dial-up 002");
    }
    EXPECT_FALSE(WINRAS::IsLibraryLoaded());
    EXPECT_EQ(GetModuleHandleA("rasapi32.dll"), nullptr);
    WINRAS again;
    EXPECT_EQ(TextOf(again.GetEntryList()), "Dial-up 001|Dial-up 002");
    EXPECT_TRUE(log.Conditions().empty());
    EXPECT_GE(log.CountLines("WINRAS::GetEntryList done"), 3);
}
