// CLIENTTIMING: the defaults and the "/TIMING" switch.
#include "client/clienttiming.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestar/base/orvakapp.h"

TEST(CLIENTTIMING, DefaultsAndSwitches)
{
    CLIENTTIMING::Reset();
    EXPECT_EQ(CLIENTTIMING::Get(CLIENTTIMING::RPC), 40000);
    EXPECT_EQ(CLIENTTIMING::Get(CLIENTTIMING::CONNECT), 60000);
    EXPECT_EQ(CLIENTTIMING::Get(CLIENTTIMING::EOT), 500);
    EXPECT_EQ(CLIENTTIMING::Get(CLIENTTIMING::DTMFHINT), 500);
    EXPECT_EQ(CLIENTTIMING::Find("dtmfhint"), CLIENTTIMING::DTMFHINT);
    EXPECT_EQ(CLIENTTIMING::CallWait(-1), 40000); // -1 is the default wait, never "no limit"
    EXPECT_EQ(CLIENTTIMING::CallWait(80000), 80000);

    std::vector<std::string> args = {"C:\\plx\\parlomatix.exe", "/TIMING:rpc=2000", "/TIMING:CONNECT=300",
                                     "/TIMING:NOSUCH=5", "/TIMING:EOT=-1", "/TIMING:EOT=12x", "/TIMING:EOT"};
    std::vector<char *> entries;
    for (auto &a : args)
        entries.push_back(&a[0]);
    entries.push_back(nullptr);
    ORVAKAPP::ProcessArguments(static_cast<int>(args.size()), entries.data(), 9);
    EXPECT_EQ(CLIENTTIMING::ReadSwitches(), 2);
    EXPECT_EQ(CLIENTTIMING::Get(CLIENTTIMING::RPC), 2000);
    EXPECT_EQ(CLIENTTIMING::Get(CLIENTTIMING::CONNECT), 300);
    EXPECT_EQ(CLIENTTIMING::Get(CLIENTTIMING::EOT), 500);
    EXPECT_EQ(CLIENTTIMING::CallWait(-1), 2000);
    ORVAKAPP::ResetForTests();
    CLIENTTIMING::Reset();
}
