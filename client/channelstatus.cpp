// The channel states of the status bar (see channelstatus.h).
#include "client/channelstatus.h"

CHANNELSTATUS::CHANNELSTATUS(const char *text) : Text(text ? text : "") {}

int CHANNELSTATUS::Channels() const
{
    const int length = static_cast<int>(Text.Length());
    return length < MAXCHANNELS ? length : MAXCHANNELS;
}

int CHANNELSTATUS::State(int channel) const
{
    if (channel < 1 || channel > Channels())
        return 0;
    const char c = Text[channel - 1];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

bool CHANNELSTATUS::Busy() const
{
    for (int i = 0; i < static_cast<int>(Text.Length()); ++i)
        if (Text[i] >= '1' && Text[i] <= '9')
            return true;
    return false;
}

void CHANNELSTATUS::PartWidths(int width, int lastWidth, int *widths) const
{
    const int channels = Channels();
    widths[0] = -1;
    for (int i = 1; i <= channels; ++i)
        widths[i] = i == channels ? lastWidth : width;
}
