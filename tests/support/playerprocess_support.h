// The music player's stand-in itunesstandin.exe as a child of a test: registered in the Wine
// prefix once per test program, started with its player state and volume, and read through its
// log of volume steps.  Ended by closing its window (by force when it does not end).  Windows only.
#ifndef TESTS_SUPPORT_PLAYERPROCESS_SUPPORT_H
#define TESTS_SUPPORT_PLAYERPROCESS_SUPPORT_H

#if defined(_WIN32)

#include <windows.h>

#include <string>
#include <vector>

class PLAYERPROCESS {
public:
    PLAYERPROCESS() = default;
    PLAYERPROCESS(const PLAYERPROCESS &) = delete;
    PLAYERPROCESS &operator=(const PLAYERPROCESS &) = delete;
    ~PLAYERPROCESS() { Stop(); }

    // Registers the stand-in's class (once per process); true when registered.
    static bool Register();
    // Starts the stand-in with player state and volume, logging into logFile; true once its
    // window exists.
    bool Start(int state, int volume, const std::string &logFile);
    // Closes its window and waits for its end.
    void Stop();
    // The values of the log's lines for word ("SoundVolume", "Pause", "Play"), in order.
    std::vector<int> Logged(const char *word) const;

private:
    HANDLE Process = nullptr;
    std::string LogFile;
};

#endif

#endif
