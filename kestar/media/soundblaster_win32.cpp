// SoundBlaster on the Windows wave API (waveOut/waveIn with CALLBACK_EVENT); see soundblaster.h.
//
// The driver signals one auto-less (manual-reset) event whenever a buffer comes back; the device
// thread waits for it, resets it and then looks at every header, so a buffer that returns while it
// looks is seen now or wakes it again.  The caller's thread and the play thread meet in the slot
// table under Lock: a slot is Free (no user), Busy (given to a caller) and, while the driver has
// its header, Queued.  The kill flag is set under the same lock, so no buffer can be written after
// PlayStop has decided to flush, and a stop always finds every written buffer given back.
#include "kestar/media/soundblaster.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <new>

#include "kestar/base/critsect.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysthread.h"
#include "kestar/media/sound.h"
#include "kestar/base/winwait.h"

namespace {

// Reports a failed wave call under the condition text the system has always used for it.
void CheckWave(MMRESULT rc, const char *text, const char *call)
{
    if (rc != MMSYSERR_NOERROR) {
        char info[96];
        wsprintfA(info, "%s returned %u", call, rc);
        LOGIT::Assert(0, text, __FILE__, __LINE__, info, 0);
    }
}

WAVEFORMATEX PcmFormat(int rate, int bits)
{
    WAVEFORMATEX wfx = {};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = 1;
    wfx.nSamplesPerSec = static_cast<DWORD>(rate);
    wfx.nAvgBytesPerSec = static_cast<DWORD>(rate) * static_cast<DWORD>(bits / 8);
    wfx.nBlockAlign = static_cast<WORD>(bits / 8);
    wfx.wBitsPerSample = static_cast<WORD>(bits);
    wfx.cbSize = 0;
    return wfx;
}

UINT DeviceOf(int deviceId)
{
    return deviceId < 0 ? WAVE_MAPPER : static_cast<UINT>(deviceId);
}

// How long the recording thread waits, once asked to stop, for the driver to give back a buffer
// before it takes them all back with waveInReset (a device that stopped delivering must not make
// the stop hang).
DWORD RecordStopPatience(int rate, int samples)
{
    DWORD perBuffer = static_cast<DWORD>(1000LL * samples / (rate > 0 ? rate : 8000));
    return 2 * SoundBlaster::kBuffers * perBuffer + 1000;
}

} // namespace

struct SoundBlaster::DEVICE {
    // One playback buffer.  Guarded by Lock, except Done, which is an event.
    struct SLOT {
        int UserValue = 0;
        bool Free = true;    // no caller holds the slot
        bool Queued = false; // the driver has the header (written, not yet given back)
        bool Sync = false;   // the caller waits for Done and frees the slot itself
        WAVEHDR Header = {}; // dwUser holds the slot index
        SOUND *Copy = nullptr; // owned: the device-coded copy whose bytes the header points at
        unsigned Sequence = 0; // the order in which the buffers were written
        EVENTSEM Done;         // set by the play thread when a sync slot has played
    };

    SLOT Slots[kBuffers];
    HWAVEOUT WaveOut = nullptr; // open playback device, or none
    HWAVEIN WaveIn = nullptr;   // open recording device, or none
    PLAYCALLBACK PlayCallback = nullptr;     // set by the starter before the thread runs
    RECORDCALLBACK RecordCallback = nullptr; // likewise
    void *UserData = nullptr;                // borrowed: passed to the callbacks
    HANDLE Wake = nullptr;   // owned: the driver's callback event; also set to wake the thread
    EVENTSEM BufferFree;     // set by the play thread whenever a buffer has played
    CRITSECT Lock;           // guards Slots and Kill
    bool Kill = false;       // asks the thread to end (written under Lock)
    unsigned NextSequence = 0; // of the next buffer written (under Lock)
    void *Thread = nullptr;  // owned: playback or recording thread, or none
    DWORD ThreadId = 0;
    int Rate = 0;
    int Bits = 0;
    int RecordSamples = 0;

    DEVICE() { Wake = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~DEVICE()
    {
        if (Wake)
            CloseHandle(Wake);
    }

    bool OnDeviceThread() const { return Thread && GetCurrentThreadId() == ThreadId; }

    // Frees every slot and the copies still held (a stopped device holds none; this is the
    // last guard against leaks).
    void ResetSlots()
    {
        for (SLOT &slot : Slots) {
            delete slot.Copy;
            slot.Copy = nullptr;
            slot.Free = true;
            slot.Queued = false;
            slot.Sync = false;
            slot.UserValue = 0;
            std::memset(&slot.Header, 0, sizeof(slot.Header));
            slot.Done.Reset();
        }
    }

    // Starts the device thread; false (nothing left running) when it cannot be created.
    bool StartThread(OSYS::THREADPROC body, SoundBlaster *owner)
    {
        Thread = OSYS::CreateThread(body, owner);
        if (!Thread)
            return false;
        ThreadId = GetThreadId(static_cast<HANDLE>(Thread));
        return true;
    }

    // Waits for the device thread, dispatching window messages so that callbacks that send to a
    // window of this thread cannot lock against us, then closes its handle.
    void JoinThread()
    {
        WINWAIT::WaitForHandle(Thread, -1);
        OSYS::WaitThread(Thread, -1);
        Thread = nullptr;
        ThreadId = 0;
    }
};

SoundBlaster::SoundBlaster() : Device(new DEVICE) {}

SoundBlaster::~SoundBlaster()
{
    PlayStop();
    RecordStop();
    delete Device;
}

int SoundBlaster::GetBits() const
{
    return Device->Thread ? Device->Bits : 0;
}

int SoundBlaster::GetRate() const
{
    return Device->Rate;
}

// ---- playback -----------------------------------------------------------------------------

bool SoundBlaster::PlayStart(int rate, PLAYCALLBACK callback, void *userData, int deviceId)
{
    DEVICE &d = *Device;
    LOGIT::Printf("SoundBlaster::PlayStart\n");
    bool idle = d.Thread == nullptr;
    LOGIT::Assert(idle, "this->hThread==NULL", __FILE__, __LINE__, nullptr, 0);
    bool noCallback = d.PlayCallback == nullptr && d.RecordCallback == nullptr;
    LOGIT::Assert(noCallback, "this->CallbackFunc==NULL", __FILE__, __LINE__, nullptr, 0);
    if (!idle || !noCallback || rate <= 0 || !d.Wake)
        return false;

    d.Kill = false;
    ResetEvent(d.Wake);
    d.BufferFree.Reset();
    MMRESULT rc = MMSYSERR_ERROR;
    for (int bits = 16; bits >= 8; bits -= 8) {
        WAVEFORMATEX wfx = PcmFormat(rate, bits);
        rc = waveOutOpen(&d.WaveOut, DeviceOf(deviceId), &wfx, reinterpret_cast<DWORD_PTR>(d.Wake), 0,
                         CALLBACK_EVENT);
        LOGIT::Printf("SoundBlaster::PlayStart rc=%d, bits=%d\n", rc, bits);
        if (rc == MMSYSERR_NOERROR) {
            d.Bits = bits;
            break;
        }
        d.WaveOut = nullptr;
    }
    if (rc == MMSYSERR_NOERROR) {
        d.Rate = rate;
        d.PlayCallback = callback;
        d.UserData = userData;
        d.ResetSlots();
        if (!d.StartThread(PlayThread, this)) {
            waveOutClose(d.WaveOut);
            d.WaveOut = nullptr;
            d.PlayCallback = nullptr;
            d.UserData = nullptr;
            rc = MMSYSERR_NOMEM;
        }
    }
    LOGIT::Printf("SoundBlaster::~PlayStart rc=%d\n", rc);
    return rc == MMSYSERR_NOERROR;
}

bool SoundBlaster::PlayData(const SOUND &sound, int userValue, bool sync)
{
    DEVICE &d = *Device;
    LOGIT::Printf("SoundBlaster::PlayData\n");
    d.Lock.Enter();
    bool running = d.Thread != nullptr && d.WaveOut != nullptr && !d.Kill;
    d.Lock.Leave();
    if (!running || sound.Data.StrLen <= 0) {
        SetEvent(d.Wake);
        return true;
    }

    // The device's own copy, in its coding at its rate (the samples are not resampled).
    SOUND *base = sound.ToBase();
    if (!base)
        return false;
    char format[48];
    wsprintfA(format, "SOUND WAV%d:%d", d.Bits, d.Rate);
    SOUND *copy = nullptr;
    if (d.Bits == 16)
        copy = new SOUNDWAV16(format, SOUND::kBlockSize);
    else if (d.Bits == 8)
        copy = new SOUNDWAV8(format, SOUND::kBlockSize);
    else
        LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, nullptr, 0);
    if (copy && !copy->FromBase(*base)) {
        delete copy;
        copy = nullptr;
    }
    delete base;
    if (!copy)
        return false;
    if (copy->Data.StrLen <= 0) {
        delete copy;
        return true;
    }
    LOGIT::PrintfLevel(2, "SoundBlaster::PlayData %d bytes of %d-bit samples\n", (int)copy->Data.StrLen, d.Bits);

    int index = -1;
    MMRESULT ok = MMSYSERR_NOERROR;
    for (;;) {
        d.Lock.Enter();
        if (d.Kill || !d.Thread) {
            d.Lock.Leave();
            delete copy;
            return true;
        }
        for (int i = 0; i < kBuffers && index < 0; i++)
            if (d.Slots[i].Free)
                index = i;
        if (index >= 0) {
            LOGIT::PrintfLevel(2, "SoundBlaster::PlayData buffer=%d\n", index);
            DEVICE::SLOT &slot = d.Slots[index];
            slot.Free = false;
            slot.UserValue = userValue;
            slot.Sync = sync;
            slot.Done.Reset();
            std::memset(&slot.Header, 0, sizeof(slot.Header));
            slot.Header.lpData = copy->Data.Buffer;
            slot.Header.dwBufferLength = static_cast<DWORD>(copy->Data.StrLen);
            slot.Header.dwUser = static_cast<DWORD_PTR>(index);
            slot.Copy = copy;
            ok = waveOutPrepareHeader(d.WaveOut, &slot.Header, sizeof(WAVEHDR));
            CheckWave(ok, "ok==MMSYSERR_NOERROR", "waveOutPrepareHeader");
            if (ok == MMSYSERR_NOERROR) {
                LOGIT::PrintfLevel(2, "SoundBlaster::PlayData waveOutWrite\n");
                ok = waveOutWrite(d.WaveOut, &slot.Header, sizeof(WAVEHDR));
                CheckWave(ok, "ok==MMSYSERR_NOERROR", "waveOutWrite");
                if (ok != MMSYSERR_NOERROR)
                    waveOutUnprepareHeader(d.WaveOut, &slot.Header, sizeof(WAVEHDR));
            }
            if (ok == MMSYSERR_NOERROR) {
                slot.Queued = true;
                slot.Sequence = d.NextSequence++;
            } else {
                // The driver never got the buffer, so nothing will give it back: free it here,
                // or a stop would wait for it for ever.
                std::memset(&slot.Header, 0, sizeof(slot.Header));
                slot.Copy = nullptr;
                slot.Free = true;
                slot.Sync = false;
                delete copy;
            }
            d.Lock.Leave();
            break;
        }
        d.Lock.Leave();
        if (d.OnDeviceThread()) {
            // Only this thread gives buffers back; waiting here would wait for itself.
            LOGIT::Printf("SoundBlaster::PlayData all buffers queued, called on the play thread\n");
            delete copy;
            return false;
        }
        LOGIT::PrintfLevel(1, "SoundBlaster::PlayData WaitForBuffer\n");
        d.BufferFree.Wait(-1);
        d.BufferFree.Reset();
        LOGIT::Printf("SoundBlaster::PlayData WaitForBuffer done\n");
    }

    if (ok == MMSYSERR_NOERROR && sync) {
        LOGIT::Printf("SoundBlaster::PlayData WaitForSync\n");
        if (!d.OnDeviceThread())
            d.Slots[index].Done.Wait(-1);
        d.Lock.Enter();
        if (!d.Slots[index].Queued)
            d.Slots[index].Free = true;
        else
            d.Slots[index].Sync = false; // from the play thread: let the thread free it
        d.Lock.Leave();
        d.BufferFree.Set();
        LOGIT::Printf("SoundBlaster::PlayData WaitForSync done\n");
    }
    LOGIT::Printf("SoundBlaster::~PlayData\n");
    return ok == MMSYSERR_NOERROR;
}

unsigned SoundBlaster::PlayThread(void *argument)
{
    OSYS::InitThreadCrashHandler();
    SoundBlaster *self = static_cast<SoundBlaster *>(argument);
    DEVICE &d = *self->Device;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    LOGIT::Printf("SoundBlaster::Thread\n");
    for (;;) {
        LOGIT::PrintfLevel(2, "SoundBlaster::Thread WaitData\n");
        WaitForSingleObject(d.Wake, INFINITE);
        ResetEvent(d.Wake);
        LOGIT::Printf("SoundBlaster::Thread WaitData done\n");
        for (;;) {
            // The buffers that have played, oldest first: the driver gives them back in the order
            // written, and so they are reported, also when a slot was written again while this
            // thread went over the others.
            d.Lock.Enter();
            int i = -1;
            for (int k = 0; k < kBuffers; k++) {
                const DEVICE::SLOT &s = d.Slots[k];
                if (s.Queued && (s.Header.dwFlags & WHDR_DONE) &&
                    (i < 0 || static_cast<int>(s.Sequence - d.Slots[i].Sequence) < 0))
                    i = k;
            }
            if (i < 0) {
                d.Lock.Leave();
                break;
            }
            DEVICE::SLOT &slot = d.Slots[i];
            MMRESULT rc = waveOutUnprepareHeader(d.WaveOut, &slot.Header, sizeof(WAVEHDR));
            CheckWave(rc, "ok==MMSYSERR_NOERROR", "waveOutUnprepareHeader");
            std::memset(&slot.Header, 0, sizeof(slot.Header));
            delete slot.Copy;
            slot.Copy = nullptr;
            slot.Queued = false;
            int userValue = slot.UserValue;
            LOGIT::Printf("SoundBlaster::Thread Buffer played %d\n", i);
            if (slot.Sync) {
                LOGIT::Printf("SoundBlaster::Thread Post Sync\n");
                slot.Done.Set();
            } else {
                slot.Free = true;
            }
            d.Lock.Leave();
            if (d.PlayCallback)
                d.PlayCallback(d.UserData, 16, userValue);
            d.BufferFree.Set();
        }
        d.Lock.Enter();
        int pending = 0;
        for (const DEVICE::SLOT &slot : d.Slots)
            if (slot.Queued)
                pending++;
        bool kill = d.Kill;
        d.Lock.Leave();
        LOGIT::Printf("SoundBlaster::Loop pending %d, kill %d\n", pending, kill ? 1 : 0);
        if (pending == 0 && kill)
            break;
    }
    LOGIT::Printf("SoundBlaster::~Thread\n");
    return 0;
}

void SoundBlaster::PlayFlush()
{
    DEVICE &d = *Device;
    LOGIT::Printf("SoundBlaster::PlayFlush\n");
    MMRESULT rc = MMSYSERR_NOERROR;
    if (d.Thread && d.WaveOut) {
        // Pausing first keeps the reset from cutting a buffer audibly in the middle.
        rc = waveOutPause(d.WaveOut);
        CheckWave(rc, "rc==MMSYSERR_NOERROR", "waveOutPause");
        rc = waveOutReset(d.WaveOut);
        CheckWave(rc, "rc==MMSYSERR_NOERROR", "waveOutReset");
        // A reset device stays paused; buffers queued after a flush must play.
        waveOutRestart(d.WaveOut);
        SetEvent(d.Wake);
    }
    LOGIT::Printf("SoundBlaster::PlayFlush done rc= %d\n", rc);
}

void SoundBlaster::PlayStop()
{
    DEVICE &d = *Device;
    if (d.Thread && d.WaveOut) {
        if (d.OnDeviceThread()) {
            // The thread cannot wait for its own end.
            LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "SoundBlaster::PlayStop from the play callback", 0);
            return;
        }
        LOGIT::Printf("SoundBlaster::PlayStop\n");
        d.Lock.Enter();
        d.Kill = true;
        d.Lock.Leave();
        PlayFlush();
        SetEvent(d.Wake);
        d.BufferFree.Set(); // a caller waiting for a buffer sees the kill flag
        d.JoinThread();
        LOGIT::Printf("SoundBlaster::PlayStop Thread-done\n");
    }
    if (d.WaveOut) {
        MMRESULT rc = waveOutClose(d.WaveOut);
        CheckWave(rc, "rc==MMSYSERR_NOERROR", "waveOutClose");
        d.WaveOut = nullptr;
        d.Lock.Enter();
        d.ResetSlots();
        d.Kill = false;
        d.Lock.Leave();
        d.PlayCallback = nullptr;
        d.UserData = nullptr;
    }
}

// ---- recording ----------------------------------------------------------------------------

bool SoundBlaster::RecordStart(int rate, int bufferSamples, RECORDCALLBACK callback, void *userData, int deviceId)
{
    DEVICE &d = *Device;
    LOGIT::Printf("SoundBlaster::RecordStart\n");
    bool idle = d.Thread == nullptr && d.PlayCallback == nullptr && d.RecordCallback == nullptr;
    LOGIT::Assert(idle, "this->CallbackFunc==NULL", __FILE__, __LINE__, nullptr, 0);
    if (!idle || rate <= 0 || bufferSamples <= 0 || !d.Wake)
        return false;

    d.Kill = false;
    ResetEvent(d.Wake);
    MMRESULT rc = MMSYSERR_ERROR;
    for (int bits = 16; bits >= 8; bits -= 8) {
        WAVEFORMATEX wfx = PcmFormat(rate, bits);
        rc = waveInOpen(&d.WaveIn, DeviceOf(deviceId), &wfx, reinterpret_cast<DWORD_PTR>(d.Wake), 0,
                        CALLBACK_EVENT);
        LOGIT::Printf("SoundBlaster::Record try %d-bit:%d returned %d\n", bits, rate, rc);
        if (rc == MMSYSERR_NOERROR) {
            d.Bits = bits;
            break;
        }
        d.WaveIn = nullptr;
    }
    if (rc == MMSYSERR_NOERROR) {
        d.Rate = rate;
        d.RecordSamples = bufferSamples;
        d.RecordCallback = callback;
        d.UserData = userData;
        if (!d.StartThread(RecordThread, this)) {
            waveInClose(d.WaveIn);
            d.WaveIn = nullptr;
            d.RecordCallback = nullptr;
            d.UserData = nullptr;
            rc = MMSYSERR_NOMEM;
        }
    }
    LOGIT::Printf("SoundBlaster::~RecordStart rc=%d\n", rc);
    return rc == MMSYSERR_NOERROR;
}

namespace {

// The recording thread's own buffers.
struct RECORDBUFFER {
    WAVEHDR Header = {};
    char *Bytes = nullptr; // owned
    bool Prepared = false;
    bool Queued = false;
    unsigned Sequence = 0;
};

// Prepares and adds one buffer; false (and not queued) when the driver refuses it.
bool Issue(HWAVEIN in, RECORDBUFFER &buffer)
{
    buffer.Header.dwFlags = 0;
    buffer.Header.dwBytesRecorded = 0;
    MMRESULT rc = waveInPrepareHeader(in, &buffer.Header, sizeof(WAVEHDR));
    CheckWave(rc, "rc==MMSYSERR_NOERROR", "waveInPrepareHeader");
    if (rc != MMSYSERR_NOERROR)
        return false;
    buffer.Prepared = true;
    rc = waveInAddBuffer(in, &buffer.Header, sizeof(WAVEHDR));
    CheckWave(rc, "rc==MMSYSERR_NOERROR", "waveInAddBuffer");
    if (rc != MMSYSERR_NOERROR) {
        waveInUnprepareHeader(in, &buffer.Header, sizeof(WAVEHDR));
        buffer.Prepared = false;
        return false;
    }
    buffer.Queued = true;
    return true;
}

} // namespace

unsigned SoundBlaster::RecordThread(void *argument)
{
    OSYS::InitThreadCrashHandler();
    SoundBlaster *self = static_cast<SoundBlaster *>(argument);
    DEVICE &d = *self->Device;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);

    const DWORD bytes = static_cast<DWORD>(d.Bits / 8) * static_cast<DWORD>(d.RecordSamples);
    RECORDBUFFER buffers[kBuffers];
    // Sequence numbers go only to buffers the driver took, so the expected next one always comes.
    unsigned next = 0;
    for (int i = 0; i < kBuffers; i++) {
        buffers[i].Bytes = new (std::nothrow) char[bytes];
        if (!buffers[i].Bytes)
            continue;
        buffers[i].Header.lpData = buffers[i].Bytes;
        buffers[i].Header.dwBufferLength = bytes;
        buffers[i].Header.dwUser = static_cast<DWORD_PTR>(i);
        if (Issue(d.WaveIn, buffers[i]))
            buffers[i].Sequence = next++;
    }
    MMRESULT rc = waveInStart(d.WaveIn);
    CheckWave(rc, "rc==MMSYSERR_NOERROR", "waveInStart");
    char format[48];
    wsprintfA(format, "SOUND WAV%d:%d", d.Bits, d.Rate);
    LOGIT::Printf("RecordThread::Start %s\n", format);

    unsigned expected = 0;
    bool resetDone = false;
    for (;;) {
        d.Lock.Enter();
        bool kill = d.Kill;
        d.Lock.Leave();
        DWORD waited = WaitForSingleObject(d.Wake, kill ? RecordStopPatience(d.Rate, d.RecordSamples) : INFINITE);
        ResetEvent(d.Wake);
        if (waited == WAIT_TIMEOUT && !resetDone) {
            // Asked to stop, but the device gives nothing back: take the buffers back now.
            LOGIT::Printf("RecordThread::Reset after waiting\n");
            waveInReset(d.WaveIn);
            resetDone = true;
        }
        d.Lock.Enter();
        kill = d.Kill;
        d.Lock.Leave();
        bool handled;
        do {
            handled = false;
            for (int i = 0; i < kBuffers; i++) {
                RECORDBUFFER &b = buffers[i];
                if (!b.Queued || !(b.Header.dwFlags & WHDR_DONE) || b.Sequence != expected)
                    continue;
                handled = true;
                b.Header.dwFlags &= ~WHDR_DONE;
                expected++;
                const unsigned char *p = reinterpret_cast<const unsigned char *>(b.Bytes);
                LOGIT::Printf("RecordThread::Header Returned %d, seq=%d, data= %02x %02x %02x %02x %02x\n", i,
                              b.Sequence, p[0], p[1], p[2], p[3], p[4]);
                b.Queued = false;
                waveInUnprepareHeader(d.WaveIn, &b.Header, sizeof(WAVEHDR));
                b.Prepared = false;
                // Only the bytes really recorded: a buffer given back early holds less.
                DWORD recorded = b.Header.dwBytesRecorded <= bytes ? b.Header.dwBytesRecorded : bytes;
                if (recorded > 0 && d.RecordCallback) {
                    SOUND *sound = SOUND::Create(format);
                    if (sound) {
                        sound->Data.Append(b.Bytes, static_cast<STRING_SIZE_T>(recorded));
                        SOUND *base = sound->ToBase();
                        if (base)
                            d.RecordCallback(d.UserData, base);
                        delete base;
                        delete sound;
                    }
                }
                d.Lock.Enter();
                kill = d.Kill;
                d.Lock.Leave();
                if (!kill && Issue(d.WaveIn, b)) {
                    b.Sequence = next++;
                    LOGIT::Printf("RecordThread::Header Re-Issued %d, seq= %d\n", i, b.Sequence);
                }
            }
        } while (handled);
        bool queued = false;
        for (const RECORDBUFFER &b : buffers)
            queued = queued || b.Queued;
        if (!queued && kill)
            break;
    }
    LOGIT::Printf("RecordThread::After Loop\n");
    waveInReset(d.WaveIn);
    for (RECORDBUFFER &b : buffers) {
        if (b.Prepared)
            waveInUnprepareHeader(d.WaveIn, &b.Header, sizeof(WAVEHDR));
        delete[] b.Bytes;
    }
    LOGIT::Printf("RecordThread::After All\n");
    return 0;
}

void SoundBlaster::RecordStop()
{
    DEVICE &d = *Device;
    if (d.Thread && d.WaveIn) {
        if (d.OnDeviceThread()) {
            LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, "SoundBlaster::RecordStop from the record callback", 0);
            return;
        }
        LOGIT::Printf("SoundBlaster::RecordStop\n");
        d.Lock.Enter();
        d.Kill = true;
        d.Lock.Leave();
        SetEvent(d.Wake);
        d.JoinThread();
        LOGIT::Printf("SoundBlaster::RecordStop Thread-done\n");
    }
    if (d.WaveIn) {
        MMRESULT rc = waveInClose(d.WaveIn);
        CheckWave(rc, "rc==MMSYSERR_NOERROR", "waveInClose");
        d.WaveIn = nullptr;
        d.Kill = false;
        d.RecordCallback = nullptr;
        d.UserData = nullptr;
    }
}
