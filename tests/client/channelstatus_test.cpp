// CHANNELSTATUS: the channel parts of the status bar from "BChannelStatus".
#include "client/channelstatus.h"

#include <gtest/gtest.h>

#include <string>

TEST(CHANNELSTATUS, ChannelsStatesAndBusy)
{
    struct CASE {
        const char *text;
        int channels;
        const char *states; // the states of the channels shown, as digits
        bool busy;
    } cases[] = {
        {"", 0, "", false},
        {nullptr, 0, "", false},
        {"00", 2, "00", false},
        {"01", 2, "01", true},
        {"20", 2, "20", true},
        // A character other than a digit counts as a free channel and never as busy.
        {"0x", 2, "00", false},
        {"-9", 2, "09", true},
        // At most six channels are shown; busy looks at every digit.
        {"123456789", 6, "123456", true},
        {"0000000001", 6, "000000", true},
        // Far more digits than any number holds: no overflow decides busy.
        {"00000000000000000000000000000000000000000000000000", 6, "000000", false},
    };
    for (const CASE &c : cases) {
        const CHANNELSTATUS status(c.text);
        const std::string name = c.text ? c.text : "<null>";
        EXPECT_EQ(status.Channels(), c.channels) << name;
        std::string states;
        for (int i = 1; i <= status.Channels(); ++i)
            states += static_cast<char>('0' + status.State(i));
        EXPECT_EQ(states, c.states) << name;
        EXPECT_EQ(status.Busy(), c.busy) << name;
        EXPECT_EQ(status.State(0), 0) << name;
        EXPECT_EQ(status.State(status.Channels() + 1), 0) << name;
    }
}

TEST(CHANNELSTATUS, PartWidths)
{
    int widths[CHANNELSTATUS::MAXCHANNELS + 1] = {};
    CHANNELSTATUS("012").PartWidths(55, 70, widths);
    EXPECT_EQ(widths[0], -1);
    EXPECT_EQ(widths[1], 55);
    EXPECT_EQ(widths[2], 55);
    EXPECT_EQ(widths[3], 70);

    CHANNELSTATUS("5").PartWidths(83, 105, widths);
    EXPECT_EQ(widths[0], -1);
    EXPECT_EQ(widths[1], 105);

    const int untouched = 12345;
    int seven[CHANNELSTATUS::MAXCHANNELS + 2];
    for (int &w : seven)
        w = untouched;
    CHANNELSTATUS("123456789").PartWidths(55, 70, seven);
    EXPECT_EQ(seven[5], 55);
    EXPECT_EQ(seven[6], 70);
    EXPECT_EQ(seven[7], untouched);
}
