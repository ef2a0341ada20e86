// TITLETEXT: the main window's title.
#include "client/titletext.h"

#include <gtest/gtest.h>

TEST(TITLETEXT, Parts)
{
    struct CASE {
        const char *server;
        bool itunes;
        const char *further;
        const char *expect;
    } cases[] = {
        {"", false, "", "Parlomatix V4.23 [not connected]"},
        {"PBX1", false, nullptr, "Parlomatix V4.23 [PBX1]"},
        {"PBX1", true, "", "Parlomatix V4.23 [PBX1] [iTunesCtrl]"},
        {nullptr, true, "(archive)", "Parlomatix V4.23 [not connected] [iTunesCtrl] (archive)"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(TITLETEXT::Make("Parlomatix", "4.23", c.server, "not connected", c.itunes, c.further),
                     c.expect);
}
