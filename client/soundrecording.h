// SOUNDRECORDING: the sound recorder dialog as the client core runs it to record a sound file.
// The sound tools implement it (SOUNDRECORDER); tests script a recording.
#ifndef CLIENT_SOUNDRECORDING_H
#define CLIENT_SOUNDRECORDING_H

struct HWND__;

class SOUNDRECORDING {
public:
    virtual ~SOUNDRECORDING() = default;
    // Runs the recorder over owner; 1 when the user confirmed a recording, 0 when cancelled.
    virtual int Record(HWND__ *owner) = 0;
    // Saves the last recording as file, the format by the file's name; true on success.
    virtual bool Save(const char *file) = 0;
};

#endif
