// The wave device on the test machine's null sound device (one wave-out and one wave-in device
// whose buffers come back faster than real time): every buffer is reported once and in order, a
// ninth sound waits for a free buffer, every sound reaches the device in its coding, stopping
// never hangs, a failed start leaves the object usable, recording delivers base sounds in order.
// No test measures time; the waits below only keep a broken device from blocking the run.
#include "kestar/media/soundblaster.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "kestar/base/critsect.h"
#include "kestar/base/eventsem.h"
#include "kestar/base/osysthread.h"
#include "kestar/media/sound.h"
#include "kestar/media/soundcodec.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

// What the callbacks saw; they run on the device thread.
struct LISTENER {
    CRITSECT Lock;
    std::vector<int> Played;
    std::vector<std::string> Formats;
    std::vector<int> Lengths;
    SoundBlaster *Device = nullptr;
    const SOUND *Refill = nullptr;
    int RefillsLeft = 0;
    int BadMessages = 0;   // play callbacks whose message was not 16
    int RefillFailures = 0; // PlayData calls from the callback that failed

    std::vector<int> PlayedCopy()
    {
        Lock.Enter();
        std::vector<int> copy = Played;
        Lock.Leave();
        return copy;
    }
    size_t Recorded()
    {
        Lock.Enter();
        size_t n = Lengths.size();
        Lock.Leave();
        return n;
    }
};

void OnPlayed(void *userData, int message, int userValue)
{
    LISTENER *l = static_cast<LISTENER *>(userData);
    l->Lock.Enter();
    if (message != 16)
        l->BadMessages++;
    l->Played.push_back(userValue);
    bool refill = l->Refill && l->RefillsLeft > 0;
    int next = 1000 + l->RefillsLeft;
    if (refill)
        l->RefillsLeft--;
    l->Lock.Leave();
    // The player feeds the device from this callback, on the play thread.
    if (refill && !l->Device->PlayData(*l->Refill, next, false)) {
        l->Lock.Enter();
        l->RefillFailures++;
        l->Lock.Leave();
    }
}

void OnRecorded(void *userData, SOUND *base)
{
    LISTENER *l = static_cast<LISTENER *>(userData);
    l->Lock.Enter();
    l->Formats.push_back(std::string(base->Format.Buffer, base->Format.StrLen));
    l->Lengths.push_back(base->Data.StrLen);
    l->Lock.Leave();
}

// A tone of count samples in the given format.
std::unique_ptr<SOUND> Tone(const char *format, int count)
{
    std::string bytes(static_cast<size_t>(count) * 2, '\0');
    for (int i = 0; i < count; i++)
        SOUNDCODEC::PutSample(reinterpret_cast<uint8_t *>(&bytes[0]), i, (i % 40 - 20) * 500);
    SOUND base(bytes.data(), static_cast<STRING_SIZE_T>(bytes.size()), "SOUND BASE:8000", 4096);
    std::unique_ptr<SOUND> sound(SOUND::Create(format));
    EXPECT_TRUE(sound->FromBase(base));
    return sound;
}

// Waits (dispatching nothing) until pred holds or a generous limit has passed.
template <class PRED> bool WaitFor(PRED pred)
{
    for (int i = 0; i < 2000 && !pred(); i++)
        Sleep(10);
    return pred();
}

std::vector<int> Range(int from, int to)
{
    std::vector<int> r;
    for (int i = from; i <= to; i++)
        r.push_back(i);
    return r;
}

// The first buffer's play callback holds the play thread until released: no buffer comes back
// meanwhile, so the eight queued after it fill every slot.
struct HOLDER {
    EVENTSEM Entered, Release;
    CRITSECT Lock;
    std::vector<int> Played;
    bool Held = false;
};

void OnPlayedHolding(void *userData, int message, int userValue)
{
    HOLDER *h = static_cast<HOLDER *>(userData);
    (void)message;
    h->Lock.Enter();
    h->Played.push_back(userValue);
    bool first = !h->Held;
    h->Held = true;
    h->Lock.Leave();
    if (first) {
        h->Entered.Set();
        h->Release.Wait(60000);
    }
}

struct NINTHCALL {
    SoundBlaster *Device = nullptr;
    const SOUND *Sound = nullptr;
    std::atomic<int> Done{0};
    bool Ok = false;

    static unsigned Run(void *argument)
    {
        NINTHCALL *c = static_cast<NINTHCALL *>(argument);
        c->Ok = c->Device->PlayData(*c->Sound, 9, false);
        c->Done = 1;
        return 0;
    }
};

// The sequence numbers of a recording log's lines that contain tag ("... seq=N" or "seq= N").
std::vector<int> Sequences(const std::string &log, const std::string &tag)
{
    std::vector<int> seqs;
    for (size_t pos = log.find(tag); pos != std::string::npos; pos = log.find(tag, pos + 1)) {
        size_t at = log.find("seq=", pos);
        size_t end = log.find('\n', pos);
        if (at == std::string::npos || (end != std::string::npos && at > end))
            continue;
        seqs.push_back(std::atoi(log.c_str() + at + 4));
    }
    return seqs;
}

} // namespace

TEST(SoundBlaster, PlaysEveryBufferOnceAndInOrder)
{
    LISTENER listener;
    SoundBlaster device;
    ASSERT_TRUE(device.PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
    EXPECT_TRUE(device.GetBits() == 16 || device.GetBits() == 8);

    // Every coding goes to the device through the base form; more sounds than buffers, so the
    // ninth waits for the first to come back.
    const char *formats[] = {"SOUND WAV16:8000", "SOUND WAV8:8000", "SOUND ALAW:8000", "SOUND ULAW:8000"};
    for (int i = 1; i <= 12; i++) {
        std::unique_ptr<SOUND> sound = Tone(formats[i % 4], 400);
        ASSERT_TRUE(device.PlayData(*sound, i, false)) << i;
    }
    SOUND empty("SOUND WAV16:8000", 4096);
    EXPECT_TRUE(device.PlayData(empty, 99, false)); // nothing to play, nothing reported
    std::unique_ptr<SOUND> last = Tone("SOUND WAV16:8000", 400);
    ASSERT_TRUE(device.PlayData(*last, 13, true));
    // With sync, the buffer has played when PlayData returns.
    std::vector<int> played = listener.PlayedCopy();
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(played.back(), 13);

    device.PlayStop();
    EXPECT_EQ(listener.PlayedCopy(), Range(1, 13));
    EXPECT_EQ(listener.BadMessages, 0);
    EXPECT_EQ(device.GetBits(), 0);
    EXPECT_TRUE(device.PlayData(*last, 14, true)); // stopped: returns at once
    EXPECT_EQ(listener.PlayedCopy(), Range(1, 13));
}

TEST(SoundBlaster, StopGivesBackQueuedBuffersWithoutHanging)
{
    for (int round = 0; round < 3; round++) {
        SCOPED_TRACE(round);
        LISTENER listener;
        SoundBlaster device;
        ASSERT_TRUE(device.PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
        std::unique_ptr<SOUND> longSound = Tone("SOUND WAV16:8000", 8000 * 5);
        for (int i = 1; i <= SoundBlaster::kBuffers; i++)
            ASSERT_TRUE(device.PlayData(*longSound, i, false));
        device.PlayStop();
        EXPECT_EQ(listener.PlayedCopy(), Range(1, SoundBlaster::kBuffers));
    }

    // Deleting a playing device stops it first.
    LISTENER listener;
    std::unique_ptr<SoundBlaster> device(new SoundBlaster);
    ASSERT_TRUE(device->PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
    std::unique_ptr<SOUND> sound = Tone("SOUND WAV8:8000", 8000);
    ASSERT_TRUE(device->PlayData(*sound, 1, false));
    device.reset();
    EXPECT_EQ(listener.PlayedCopy(), Range(1, 1));
}

TEST(SoundBlaster, FeedsItselfFromThePlayCallback)
{
    LISTENER listener;
    SoundBlaster device;
    std::unique_ptr<SOUND> block = Tone("SOUND WAV16:8000", 800);
    listener.Device = &device;
    listener.Refill = block.get();
    listener.RefillsLeft = 20;
    ASSERT_TRUE(device.PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
    for (int i = 1; i <= 3; i++)
        ASSERT_TRUE(device.PlayData(*block, i, false));
    EXPECT_TRUE(WaitFor([&] { return listener.PlayedCopy().size() >= 23; }));
    device.PlayStop();
    std::vector<int> played = listener.PlayedCopy();
    ASSERT_EQ(played.size(), 23u);
    EXPECT_EQ(listener.RefillFailures, 0);
    EXPECT_EQ(std::vector<int>(played.begin(), played.begin() + 3), Range(1, 3));
}

TEST(SoundBlaster, FailedStartLeavesTheDeviceRestartable)
{
    // Any assertion of the library would be appended to assert.log in the current folder.
    TEMPFOLDER folder;
    std::string before = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    {
        LISTENER listener;
        SoundBlaster device;
        std::unique_ptr<SOUND> sound = Tone("SOUND WAV16:8000", 400);
        const int noSuchDevice = 1000;
        EXPECT_FALSE(device.PlayStart(8000, OnPlayed, &listener, noSuchDevice));
        EXPECT_FALSE(device.PlayStart(0, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
        EXPECT_TRUE(device.PlayData(*sound, 1, true)); // not started: returns at once
        ASSERT_TRUE(device.PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
        ASSERT_TRUE(device.PlayData(*sound, 2, true));
        device.PlayStop();
        device.PlayStop(); // a second stop does nothing

        EXPECT_FALSE(device.RecordStart(8000, 256, OnRecorded, &listener, noSuchDevice));
        EXPECT_FALSE(device.RecordStart(8000, 0, OnRecorded, &listener, SoundBlaster::kDefaultDevice));
        ASSERT_TRUE(device.RecordStart(8000, 256, OnRecorded, &listener, SoundBlaster::kDefaultDevice));
        device.RecordStop();
        ASSERT_TRUE(device.PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
        device.PlayStop();
        EXPECT_EQ(listener.PlayedCopy(), Range(2, 2));
    }
    EXPECT_FALSE(FileExistsForTest(folder.File("assert.log"))) << ReadWholeFile(folder.File("assert.log"));
    ChangeFolderForTest(before);
}

TEST(SoundBlaster, RecordsBaseSoundsUntilStopped)
{
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        LISTENER listener;
        SoundBlaster device;
        ASSERT_TRUE(device.RecordStart(8000, 256, OnRecorded, &listener, SoundBlaster::kDefaultDevice));
        EXPECT_TRUE(WaitFor([&] { return listener.Recorded() >= 20; }));
        // One object plays or records, not both.
        EXPECT_FALSE(device.PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
        device.RecordStop();
        size_t after = listener.Recorded();
        EXPECT_GE(after, 20u);
        Sleep(100);
        EXPECT_EQ(listener.Recorded(), after); // nothing is queued again after the stop
        listener.Lock.Enter();
        for (size_t i = 0; i < listener.Lengths.size(); i++) {
            EXPECT_EQ(listener.Formats[i], "SOUND BASE:8000");
            EXPECT_GT(listener.Lengths[i], 0);
            EXPECT_LE(listener.Lengths[i], 512); // 256 samples of 16 bits
            EXPECT_EQ(listener.Lengths[i] % 2, 0);
        }
        listener.Lock.Leave();
    }
}

TEST(SoundBlaster, ANinthSoundWaitsForAFreeBuffer)
{
    LOGCAPTURE capture;
    HOLDER holder;
    SoundBlaster device;
    struct RELEASER {
        EVENTSEM &Release;
        ~RELEASER() { Release.Set(); }
    } releaser{holder.Release}; // a failed check must not leave the play thread held
    ASSERT_TRUE(device.PlayStart(8000, OnPlayedHolding, &holder, SoundBlaster::kDefaultDevice));
    std::unique_ptr<SOUND> tone = Tone("SOUND WAV16:8000", 400);
    ASSERT_TRUE(device.PlayData(*tone, 0, false));
    ASSERT_TRUE(holder.Entered.Wait(20000));
    // The play thread is held: these eight take every buffer.
    for (int i = 1; i <= SoundBlaster::kBuffers; i++)
        ASSERT_TRUE(device.PlayData(*tone, i, false)) << i;

    NINTHCALL ninth;
    ninth.Device = &device;
    ninth.Sound = tone.get();
    void *thread = OSYS::CreateThread(NINTHCALL::Run, &ninth);
    ASSERT_NE(thread, nullptr);
    Sleep(300); // time enough for a call that does not wait to be done
    EXPECT_EQ(ninth.Done.load(), 0);
    holder.Release.Set();
    EXPECT_TRUE(OSYS::WaitThread(thread, 20000));
    EXPECT_EQ(ninth.Done.load(), 1);
    EXPECT_TRUE(ninth.Ok);
    ASSERT_TRUE(device.PlayData(*tone, 10, true));
    device.PlayStop();

    holder.Lock.Enter();
    std::vector<int> played = holder.Played;
    holder.Lock.Leave();
    EXPECT_EQ(played, Range(0, 10));
    EXPECT_GE(capture.CountLines("SoundBlaster::PlayData WaitForBuffer done"), 1);
    EXPECT_EQ(capture.Failures(), 0);
}

TEST(SoundBlaster, RecordedBuffersArriveInOrderAndThoseQueuedAtTheStopAreDelivered)
{
    LOGCAPTURE capture;
    LISTENER listener;
    {
        SoundBlaster device;
        ASSERT_TRUE(device.RecordStart(8000, 256, OnRecorded, &listener, SoundBlaster::kDefaultDevice));
        EXPECT_TRUE(WaitFor([&] { return listener.Recorded() >= 12; }));
        device.RecordStop();
    }
    const std::string &log = capture.Text();
    // The eight first buffers are numbered 0 to 7 as they are queued; each one queued again gets
    // the next number.
    std::vector<int> issued = Range(0, SoundBlaster::kBuffers - 1);
    for (int seq : Sequences(log, "RecordThread::Header Re-Issued"))
        issued.push_back(seq);
    std::vector<int> returned = Sequences(log, "RecordThread::Header Returned");
    ASSERT_GE(returned.size(), 12u);
    EXPECT_EQ(issued, Range(0, (int)issued.size() - 1));
    // Handed back in the order queued, the eight still queued at the stop included.
    EXPECT_EQ(returned, issued);
    EXPECT_EQ(listener.Recorded(), returned.size());
    EXPECT_EQ(capture.Failures(), 0);
}

TEST(SoundBlaster, AWav8SoundPlaysAsSixteenBitSamples)
{
    LOGCAPTURE capture(2);
    LISTENER listener;
    SoundBlaster device;
    ASSERT_TRUE(device.PlayStart(8000, OnPlayed, &listener, SoundBlaster::kDefaultDevice));
    ASSERT_EQ(device.GetBits(), 16);
    std::unique_ptr<SOUND> wav8 = Tone("SOUND WAV8:8000", 300);
    ASSERT_EQ(wav8->Data.StrLen, 300);
    ASSERT_TRUE(device.PlayData(*wav8, 1, true));
    device.PlayStop();
    EXPECT_EQ(listener.PlayedCopy(), Range(1, 1));
    // The device got the 300 samples through the base form, two bytes each.
    EXPECT_EQ(capture.CountLines("SoundBlaster::PlayData 600 bytes of 16-bit samples"), 1);
    EXPECT_EQ(capture.CountLines("bytes of 8-bit samples"), 0);
}
