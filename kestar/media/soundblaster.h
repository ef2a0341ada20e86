// SoundBlaster, the wave device of the sound player and the recorder: the Windows wave-out or
// wave-in device opened as mono PCM at a given rate (16 bits, else 8 bits), with one thread of its
// own for playback or recording.  Windows only (soundblaster_win32.cpp).
//
// Playback takes sound objects of any format of the sound family, converts each into the
// device's coding (without resampling), queues it in one of eight device buffers and reports every
// buffer that has played, in order, through the play callback.  Recording hands each filled buffer,
// strictly in the order the buffers were queued, to the record callback as a base-form sound.
// Both callbacks run on the device's thread, not on the caller's.
#ifndef KESTAR_SOUNDBLASTER_H
#define KESTAR_SOUNDBLASTER_H

class SOUND;

class SoundBlaster {
public:
    // Called on the play thread for each buffer that has played or was given back by PlayFlush or
    // PlayStop: (user data, 16, the user value given to PlayData).
    typedef void (*PLAYCALLBACK)(void *userData, int message, int userValue);
    // Called on the recording thread for each filled buffer: (user data, a "SOUND BASE:" + rate
    // sound of the recorded samples).  The sound is valid only during the call.
    typedef void (*RECORDCALLBACK)(void *userData, SOUND *base);

    static const int kBuffers = 8;
    // The device id of the system's preferred device.
    static const int kDefaultDevice = -1;

    SoundBlaster();
    // Stops playback or recording first, so no thread outlives the object.
    ~SoundBlaster();
    SoundBlaster(const SoundBlaster &) = delete;
    SoundBlaster &operator=(const SoundBlaster &) = delete;

    // Opens wave-out on deviceId at rate (16 bits, else 8 bits) and starts the play thread.  false
    // when the object already plays or records (assertion), the rate is 0 or less, or neither
    // depth opens; the object is then idle and can be started again.
    bool PlayStart(int rate, PLAYCALLBACK callback, void *userData, int deviceId);
    // Queues a copy of sound in the device's coding under userValue.  Waits while all eight
    // buffers are queued, and with sync until this buffer has played.  true when the buffer was
    // queued, and also when there is nothing to queue (no bytes, not started, stopping); false
    // when the device refused it (the buffer is given up at once) or when it is called from the
    // play callback while all buffers are queued (waiting there would wait for itself).
    bool PlayData(const SOUND &sound, int userValue, bool sync);
    // Gives back every queued buffer (each is reported to the play callback); playback goes on
    // with the buffers queued afterwards.
    void PlayFlush();
    // Ends playback: gives back the queued buffers, waits for the play thread while dispatching
    // window messages, and closes wave-out.  Nothing happens when not playing.
    void PlayStop();

    // Opens wave-in on deviceId at rate (16 bits, else 8 bits) with eight buffers of
    // bufferSamples samples and starts the recording thread.  false as for PlayStart, and for a
    // buffer of 0 samples or less.
    bool RecordStart(int rate, int bufferSamples, RECORDCALLBACK callback, void *userData, int deviceId);
    // Ends recording: the buffers queued at that moment are still handed to the callback, in
    // order, and none is queued again; then wave-in is closed.  Nothing happens when not recording.
    void RecordStop();

    // The sample size the device was opened with (16 or 8), 0 while idle; and the rate.
    int GetBits() const;
    int GetRate() const;

private:
    struct DEVICE; // the Win32 side: handles, buffers, events (soundblaster_win32.cpp)
    DEVICE *Device; // owned

    static unsigned PlayThread(void *argument);
    static unsigned RecordThread(void *argument);
};

#endif
