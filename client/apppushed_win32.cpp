// APP: the state the server pushes to this client (the channels and the music player's volume,
// status texts, messages and warnings, the targets and the active clients) and the calls on the
// server's single targets and callers.
//
// Threads: the commands arrive on NETPROC call threads.  What changes the main window is posted
// to the window thread (a call thread that sent to it could wait for ever while the window
// thread waits for the link's threads at the clean-up); the boxes block only their call thread.
#include <windows.h>

#include "client/app.h"

#include "client/channelstatus.h"
#include "client/clienttiming.h"
#include "client/clientglobals.h"
#include "client/itunes.h"
#include "common/commandnames.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/winorvak.h"
#include "kestar/windowing/statusbar.h"
#include "lang/resource_ids.h"

namespace {

// The private messages of this file (WM_USER + n); lParam: a STRING made with new, which the
// window thread deletes.
const UINT kMsgChannelStatus = 1040; // the "BChannelStatus" text
const UINT kMsgStatusText = 1041;    // part 0's text; wParam: ms until timer 4 clears it
const UINT_PTR kStatusTimer = 4;
const int kChannelPartWidth = 55;
const int kLastChannelPartWidth = 70;

STRING Param(HASH &params, const char *name)
{
    STRING *value = nullptr;
    return params.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

} // namespace

int APP::HandlePushedState(STRING &command, HASH &params, STRING &result)
{
    (void)result;
    if (command == PLXCMD::BCHANNELSTATUS) {
        const STRING text = Param(params, "BChannelStatus");
        PostToWindow(kMsgChannelStatus, 0, text);
        if (gITunesControl)
            FadeMusicForChannels(text);
        return 1;
    }
    if (command == PLXCMD::SETSTATUSBAR) {
        STRING text = OSYS::GetStringFromResource(IDS_SERVERINFO);
        text.Replace("$NAME", Param(params, "Server"));
        text += Param(params, "Info");
        const STRING duration = Param(params, "Duration");
        const int seconds = duration.NotEmpty() ? static_cast<int>(duration) : -1;
        const int ms = seconds >= 0 && seconds <= 0x7fffffff / 1000 ? seconds * 1000
                                                                     : CLIENTTIMING::Get(CLIENTTIMING::STATUSBARSHOW);
        PostToWindow(kMsgStatusText, static_cast<WPARAM>(ms), text);
        return 1;
    }
    if (command == PLXCMD::SHOWMESSAGE) {
        STRING title = OSYS::GetStringFromResource(IDS_MESSAGEFROM);
        title += Param(params, "From");
        WINORVAK::InfoMsgBox(nullptr, title, Param(params, "Message"));
        return 1;
    }
    if (command == PLXCMD::ALERTTOOMUCHDEVICES) {
        WINORVAK::ErrorMsgBox(hWnd, OSYS::GetStringFromResource(IDS_APPTITLE),
                              OSYS::GetStringFromResource(IDS_TOOMANYDEVICES));
        return 1;
    }
    if (command == PLXCMD::ALERTBROKENFILES) {
        STRINGARRAY lines(Param(params, "Broken"), "\n");
        for (int i = 0; i < lines.NumItems(); ++i) {
            STRING &line = *lines[i];
            if (line.Length() > 0 && line[static_cast<int>(line.Length()) - 1] == '\r')
                line = line.Left(line.Length() - 1);
        }
        AlertBrokenFiles(lines);
        return 1;
    }
    return 0;
}

void APP::PostToWindow(UINT message, WPARAM wParam, const STRING &text)
{
    STRING *copy = new STRING(text);
    if (!hWnd || !PostMessageA(hWnd, message, wParam, reinterpret_cast<LPARAM>(copy))) {
        LOGIT::Printf("APP::PostToWindow message %u not posted: %lu\n", message, GetLastError());
        delete copy;
    }
}

int APP::HandlePushedMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kMsgChannelStatus && message != kMsgStatusText)
        return 0;
    STRING *text = reinterpret_cast<STRING *>(lParam);
    if (message == kMsgChannelStatus) {
        ShowChannelStatus(text ? static_cast<const char *>(*text) : "");
    } else if (StatusBar) {
        StatusBar->SetText(0, text ? static_cast<const char *>(*text) : "");
        SetTimer(kStatusTimer, static_cast<UINT>(wParam));
    }
    delete text;
    return 1;
}

void APP::ShowChannelStatus(const char *text)
{
    if (!StatusBar)
        return;
    const CHANNELSTATUS status(text);
    const int channels = status.Channels();
    LOGIT::Printf("APP::ShowChannelStatus %s, %d channel(s)\n", text ? text : "<NULL>", channels);
    if (channels == 0) {
        StatusBar->Reset();
        return;
    }
    if (StatusBar->GetPartCount() != channels + 1) {
        int widths[CHANNELSTATUS::MAXCHANNELS + 1];
        status.PartWidths(ScaleByDpi(kChannelPartWidth, hWnd), ScaleByDpi(kLastChannelPartWidth, hWnd), widths);
        StatusBar->SetParts(channels + 1, widths);
    }
    for (int i = 1; i <= channels; ++i) {
        StatusBar->SetIcon(CHANNELSTATUS::ICONBASE + status.State(i), i);
        STRING part("Ch");
        part += STRING(i);
        StatusBar->SetText(i, part);
    }
}

void APP::FadeMusicForChannels(const char *text)
{
    const bool busy = CHANNELSTATUS(text).Busy();
    // One fade at a time: two reports never fade twice.
    ITunesLock.Obtain(-1);
    if (!ITunesFaded && busy) {
        ITUNES player;
        if (player.ConnectToITunes()) {
            int previous = ITunesVolume;
            if (player.MuteITunesVolume(0, gITunesLevel, previous)) {
                ITunesVolume = previous;
                ITunesFaded = 1;
            }
            player.DisconnectFromITunes();
        }
    } else if (ITunesFaded && !busy) {
        ITUNES player;
        if (player.ConnectToITunes()) {
            player.RestoreITunesVolume(0, ITunesVolume);
            player.DisconnectFromITunes();
        }
        ITunesFaded = 0;
    }
    LOGIT::Printf("APP::FadeMusicForChannels busy=%d, faded=%d, volume=%d\n", busy ? 1 : 0, ITunesFaded,
                  ITunesVolume);
    ITunesLock.Release();
}
