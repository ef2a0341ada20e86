// SOUNDPLAYERDIALOG: the answering-machine sound player as the client core opens it for a sound
// message.  The sound tools implement it (SOUNDDIALOG); tests record the calls.
#ifndef CLIENT_SOUNDPLAYERDIALOG_H
#define CLIENT_SOUNDPLAYERDIALOG_H

struct HWND__;

class SOUNDPLAYERDIALOG {
public:
    virtual ~SOUNDPLAYERDIALOG() = default;
    // Plays the sound file in the player over owner with title (the caller and the target);
    // returns when the user closed it.  1 when the file could be loaded, else 0.
    virtual int Play(HWND__ *owner, const char *file, const char *title) = 0;
};

#endif
