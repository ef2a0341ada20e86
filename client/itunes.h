// ITUNES: turns the volume of a running music player down while a telephone line is busy and back
// up afterwards, through the player's COM automation server.  The calls go by name through
// IDispatch ("PlayerState", "SoundVolume", "Pause", "Play"), so no header or type library of the
// player is needed.  Created and deleted for each use; it has no window of its own.  Windows only.
//
// Threads: one object belongs to the thread that made it (its COM apartment); the caller
// serialises the steps (the iTunes lock of APP).
#ifndef CLIENT_ITUNES_H
#define CLIENT_ITUNES_H

#include "kestar/windowing/window.h"

struct IDispatch;

class ITUNES : public WINDOW {
public:
    ITUNES();
    // Disconnects.
    ~ITUNES() override;
    ITUNES(const ITUNES &) = delete;
    ITUNES &operator=(const ITUNES &) = delete;

    // Only while a top-level window of the class "iTunes" exists: creates the player's application
    // object in its local server.  True when the interface was obtained; without the window no
    // player is started.
    bool ConnectToITunes();
    // Releases the interface (and the COM apartment this object entered); 1.
    int DisconnectFromITunes();
    // While the player plays: fades its volume in steps of 5 down to percent (0..100) of the
    // present volume, which previousVolume receives (unchanged when the player does not play),
    // and with pause pauses the player.  True when the volume was lowered (false for volume 0).
    bool MuteITunesVolume(int pause, int percent, int &previousVolume);
    // Fades the volume up in steps of 5 to volume; with play starts a stopped player first and
    // waits for it.  True when connected.
    bool RestoreITunesVolume(int play, int volume);

    // The player's state values.
    enum { STOPPED = 0, PLAYING = 1 };

private:
    bool GetValue(const wchar_t *name, long &value);
    bool SetValue(const wchar_t *name, long value);
    bool Call(const wchar_t *name);
    // The name's dispatch id; false when the player does not know it.
    bool Id(const wchar_t *name, long &id);

    IDispatch *Player; // owned reference; null while disconnected
    bool ComEntered;   // CoInitialize succeeded and is undone by the disconnect
};

#endif
