// CHANNELSTATUS: the ISDN channel states that the server reports in "BChannelStatus", one decimal
// digit per channel in channel order, as the status bar shows them: one part per channel with the
// icon of its state, at most six (the bar has at most seven parts).  Portable.
#ifndef CLIENT_CHANNELSTATUS_H
#define CLIENT_CHANNELSTATUS_H

#include "kestar/base/string.h"

class CHANNELSTATUS {
public:
    static const int MAXCHANNELS = 6;
    // The icon of state s is ICONBASE + s.
    static const int ICONBASE = 2140;

    explicit CHANNELSTATUS(const char *text);

    // The channels shown: the length of the text, at most MAXCHANNELS.
    int Channels() const;
    // The state of channel 1..Channels(): its digit; a character other than a digit counts as 0.
    int State(int channel) const;
    // Some channel is busy: a digit other than 0 anywhere in the text (also beyond the channels
    // shown).
    bool Busy() const;
    // The widths of the bar's Channels() + 1 parts: part 0 takes the room left (-1), the channel
    // parts are width wide, the last one lastWidth.  widths holds MAXCHANNELS + 1 entries.
    void PartWidths(int width, int lastWidth, int *widths) const;

private:
    STRING Text;
};

#endif
