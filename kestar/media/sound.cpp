// The sound family: conversions through the 16-bit base form, resampling, and the WAVE reader
// and writer shared by all five classes; see sound.h.
#include "kestar/media/sound.h"

#include "kestar/base/logit.h"
#include "kestar/media/riffwave.h"
#include "kestar/media/soundcodec.h"
#include "kestar/media/waveio.h"

namespace {

// The report of a state that must not happen, under the condition text the system has always used.
#define SOUND_ASSERT_FALSE(info) LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, (info), 0)

// The most samples a 16-bit buffer can hold: its byte length and terminator are 32-bit.
const STRING_SIZE_T kMaxSamples = INT32_MAX / 2 - 16;

typedef uint8_t (*ENCODER)(int sample);
typedef int16_t (*DECODER)(uint8_t byte);

uint8_t EncodeWav8(int sample) { return SOUNDCODEC::LinearToWav8(sample); }
int16_t DecodeWav8(uint8_t byte) { return SOUNDCODEC::Wav8ToLinear(byte); }
uint8_t EncodeAlaw(int sample) { return SOUNDCODEC::LinearToAlaw(sample); }
int16_t DecodeAlaw(uint8_t byte) { return SOUNDCODEC::AlawToLinear(byte); }
uint8_t EncodeUlaw(int sample) { return SOUNDCODEC::ReverseBits(SOUNDCODEC::LinearToUlaw(sample)); }
int16_t DecodeUlaw(uint8_t byte) { return SOUNDCODEC::UlawToLinear(SOUNDCODEC::ReverseBits(byte)); }

bool IsLinearKeyword(const STRING &keyword)
{
    return keyword == "BASE" || keyword == "WAV16" || keyword == "MP3";
}

// The base sound must hold 16-bit samples; anything else would be converted as garbage.
bool CheckLinear(const SOUND &base)
{
    STRING keyword = base.GetKeyword();
    if (IsLinearKeyword(keyword))
        return true;
    SOUND_ASSERT_FALSE(STR::SafeText(base.Format, "FromBase"));
    return false;
}

// Replaces target's format and bytes by base's samples, one coded byte each.
bool EncodeInto(SOUND &target, const SOUND &base, const char *keyword, ENCODER encode)
{
    if (!CheckLinear(base))
        return false;
    STRING_SIZE_T count = base.Data.StrLen / 2;
    BINARY coded(target.Data.BlockSize);
    coded.Flags |= STRINGFLAG_DYNABLOCK;
    coded.Make(count);
    const uint8_t *samples = reinterpret_cast<const uint8_t *>(base.Data.Buffer);
    uint8_t *out = reinterpret_cast<uint8_t *>(coded.Buffer);
    for (STRING_SIZE_T i = 0; i < count; i++)
        out[i] = encode(SOUNDCODEC::GetSample(samples, static_cast<size_t>(i)));
    target.Format = STRING("SOUND ") + keyword + ":" + base.GetParameter();
    target.Data = coded;
    return true;
}

// A new base sound holding source's bytes decoded one by one.
SOUND *DecodeInto(const SOUND &source, DECODER decode)
{
    STRING_SIZE_T count = source.Data.StrLen;
    if (count > kMaxSamples) {
        LOGIT::Assert(0, "base || numsamples==0", __FILE__, __LINE__, "too many samples", 0);
        return nullptr;
    }
    STRING format = STRING("SOUND BASE:") + source.GetParameter();
    SOUND *base = new SOUND(format, SOUND::kBlockSize);
    if (count > 0) {
        base->Data.Make(count * 2);
        const uint8_t *in = reinterpret_cast<const uint8_t *>(source.Data.Buffer);
        uint8_t *out = reinterpret_cast<uint8_t *>(base->Data.Buffer);
        for (STRING_SIZE_T i = 0; i < count; i++)
            SOUNDCODEC::PutSample(out, static_cast<size_t>(i), decode(in[i]));
    }
    return base;
}

SOUND *CopyAs(const SOUND &source, const STRING &format)
{
    return new SOUND(source.Data.Buffer, source.Data.StrLen, format, SOUND::kBlockSize);
}

// What a keyword needs of a WAVE file.
struct WAVEKIND {
    const char *Keyword;
    int Tag;
    int Bits;
};
const WAVEKIND kWaveKinds[] = {
    {"WAV16", 1, 16}, {"BASE", 1, 16}, {"WAV8", 1, 8}, {"ALAW", 6, 8}, {"ULAW", 7, 8},
};

const WAVEKIND *FindKind(const STRING &keyword)
{
    for (const WAVEKIND &kind : kWaveKinds)
        if (keyword == kind.Keyword)
            return &kind;
    return nullptr;
}

// The keyword of a file's format for LoadWaveFile; null for formats the family does not hold.
const char *KeywordOfFile(const RIFFWAVE::FMT &fmt)
{
    if (fmt.Tag == 1 && fmt.Bits == 16)
        return "WAV16";
    if (fmt.Tag == 1 && fmt.Bits == 8)
        return "WAV8";
    if (fmt.Tag == 6 && fmt.Bits == 8)
        return "ALAW";
    if (fmt.Tag == 7 && fmt.Bits == 8)
        return "ULAW";
    return nullptr;
}

// Reads and checks a file's WAVE layout; on success fmt and data (within body) describe it.
// Failures are logged; the ones the system reports as assertions are reported here.
bool ReadWave(const char *filename, const char *caller, BINARY *body, RIFFWAVE::FMT *fmt,
              const uint8_t **data, size_t *dataLen)
{
    RIFFWAVE::RESULT result = WAVEIO::ReadForm(filename, body);
    if (result == RIFFWAVE::WAVE_OK)
        result = RIFFWAVE::ParseBody(reinterpret_cast<const uint8_t *>(body->Buffer),
                                     static_cast<size_t>(body->StrLen), fmt, data, dataLen);
    if (result == RIFFWAVE::WAVE_OK)
        return true;
    LOGIT::Printf("%s %s: %s\n", caller, STR::SafeText(filename, caller), RIFFWAVE::ResultText(result));
    switch (result) {
    case RIFFWAVE::WAVE_NOTRIFF:
    case RIFFWAVE::WAVE_NODATA:
    case RIFFWAVE::WAVE_NOFMT:
        LOGIT::Assert(0, "result==0", __FILE__, __LINE__, filename, 0);
        break;
    case RIFFWAVE::WAVE_EMPTYFMT:
        LOGIT::Assert(0, "fmt.cksize>0", __FILE__, __LINE__, filename, 0);
        break;
    default:
        break;
    }
    return false;
}

// Appends the first channel of every whole frame of the data chunk to target, bit-reversing
// A-law and mu-law bytes into the in-memory order.  false for a channel count of 0.
bool AppendSamples(BINARY &target, const RIFFWAVE::FMT &fmt, const uint8_t *data, size_t dataLen,
                   const STRING &keyword)
{
    if (fmt.Channels < 1)
        return false;
    size_t sampleBytes = fmt.Bits / 8;
    size_t frameBytes = sampleBytes * static_cast<size_t>(fmt.Channels);
    size_t frames = dataLen / frameBytes;
    if (frames == 0)
        return true;
    bool reverse = keyword == "ALAW" || keyword == "ULAW";
    STRING_SIZE_T old = target.StrLen;
    // dataLen came from a file image held in one buffer, so this fits a buffer length.
    target.Make(old + static_cast<STRING_SIZE_T>(frames * sampleBytes));
    uint8_t *out = reinterpret_cast<uint8_t *>(target.Buffer) + old;
    for (size_t f = 0; f < frames; f++) {
        const uint8_t *in = data + f * frameBytes;
        for (size_t b = 0; b < sampleBytes; b++)
            *out++ = reverse ? SOUNDCODEC::ReverseBits(in[b]) : in[b];
    }
    return true;
}

} // namespace

// ---- SOUND --------------------------------------------------------------------------------

SOUND::SOUND(const char *format, STRING_SIZE_T blocksize) : MEDIAOBJECT(format, blocksize) {}

SOUND::SOUND(const void *bytes, STRING_SIZE_T length, const char *format, STRING_SIZE_T blocksize)
    : MEDIAOBJECT(bytes, length, format, blocksize)
{
}

SOUND::SOUND(const MEDIAOBJECT &other)
    : MEDIAOBJECT(other.Data.Buffer, other.Data.StrLen, other.Format, kBlockSize)
{
}

SOUND::~SOUND() = default;

bool SOUND::HoldsLinearSamples(const SOUND &base)
{
    return CheckLinear(base);
}

STRING SOUND::GetExtension() const
{
    SOUND_ASSERT_FALSE(nullptr);
    STRING none;
    none.SetNotNull();
    return none;
}

bool SOUND::FromBase(const SOUND &base)
{
    if (&base == this)
        return true;
    if (!CheckLinear(base))
        return false;
    Assign(base);
    return true;
}

SOUND *SOUND::ToBase() const
{
    return CopyAs(*this, Format);
}

int SOUND::GetSampleRate() const
{
    if (Format.IsEmpty())
        return 8000;
    return static_cast<int>(GetParameter());
}

bool SOUND::Resample(int rate)
{
    int oldRate = GetSampleRate();
    long long n = Data.StrLen / 2;
    long long m = 0;
    if (!SOUNDCODEC::ResampledCount(n, oldRate, rate, &m)) {
        LOGIT::Printf("SOUND::Resample refused: %lld samples from %d to %d\n", n, oldRate, rate);
        return false;
    }
    BINARY resampled(static_cast<STRING_SIZE_T>(m / 4));
    resampled.Flags |= STRINGFLAG_DYNABLOCK;
    resampled.Make(static_cast<STRING_SIZE_T>(m * 2));
    SOUNDCODEC::Resample(reinterpret_cast<const uint8_t *>(Data.Buffer), static_cast<size_t>(n), oldRate,
                         rate, reinterpret_cast<uint8_t *>(resampled.Buffer), static_cast<size_t>(m));
    Format.Format("SOUND BASE:%d", rate);
    Data = resampled;
    return true;
}

SOUND *SOUND::Create(const char *format)
{
    STRING text(format);
    bool isSound = text.Word(0) == "SOUND";
    LOGIT::Assert(isSound, "Format.Word(0)==\"SOUND\"", __FILE__, __LINE__, STR::SafeText(format, "SOUND::Create"), 0);
    if (!isSound)
        return nullptr;
    STRING keyword = text.Word(1).Token(0, ":");
    SOUND *pReturnSound = nullptr;
    if (keyword == "ALAW")
        pReturnSound = new SOUNDALAW(format, kBlockSize);
    else if (keyword == "ULAW")
        pReturnSound = new SOUNDULAW(format, kBlockSize);
    else if (keyword == "BASE")
        pReturnSound = new SOUND(format, kBlockSize);
    else if (keyword == "WAV16")
        pReturnSound = new SOUNDWAV16(format, kBlockSize);
    else if (keyword == "WAV8")
        pReturnSound = new SOUNDWAV8(format, kBlockSize);
    ORVAK_ASSERT_INFO(pReturnSound, STR::SafeText(keyword, "SOUND::Create"));
    return pReturnSound;
}

bool SOUND::Load(const char *filename)
{
    STRING keyword = GetKeyword();
    int rate = GetSampleRate();
    LOGIT::Printf("SOUND::Load %s (%s)\n", STR::SafeText(filename, "SOUND::Load"), STR::SafeText(Format, "SOUND::Load"));
    const WAVEKIND *kind = FindKind(keyword);
    if (!kind) {
        SOUND_ASSERT_FALSE(STR::SafeText(Format, "SOUND::Load"));
        return false;
    }
    BINARY body;
    RIFFWAVE::FMT fmt;
    const uint8_t *data;
    size_t dataLen;
    if (!ReadWave(filename, "SOUND::Load", &body, &fmt, &data, &dataLen))
        return false;
    if (fmt.Tag != kind->Tag || fmt.Bits != kind->Bits) {
        LOGIT::Printf("SOUND::Load format tag %d with %d bits does not fit %s\n", fmt.Tag, fmt.Bits,
                      kind->Keyword);
        SOUND_ASSERT_FALSE(filename);
        return false;
    }
    if (rate != static_cast<int>(fmt.Rate)) {
        LOGIT::Assert(0, "sampling==(int)pformat->nSamplesPerSec", __FILE__, __LINE__, filename, 0);
        return false;
    }
    if (!AppendSamples(Data, fmt, data, dataLen, keyword)) {
        LOGIT::Printf("SOUND::Load %s: %d channels\n", STR::SafeText(filename, "SOUND::Load"), fmt.Channels);
        return false;
    }
    return true;
}

SOUND *SOUND::LoadWaveFile(const char *filename)
{
    LOGIT::Printf("SOUND::LoadWaveFile %s\n", STR::SafeText(filename, "SOUND::LoadWaveFile"));
    BINARY body;
    RIFFWAVE::FMT fmt;
    const uint8_t *data;
    size_t dataLen;
    if (!ReadWave(filename, "SOUND::LoadWaveFile", &body, &fmt, &data, &dataLen))
        return nullptr;
    const char *keyword = KeywordOfFile(fmt);
    if (!keyword || fmt.Rate == 0 || fmt.Rate > 0x7FFFFFFFu || fmt.Channels < 1) {
        LOGIT::Printf("SOUND::LoadWaveFile unsupported format: tag %d, %d bits, %d channels, rate %lu\n",
                      fmt.Tag, fmt.Bits, fmt.Channels, static_cast<unsigned long>(fmt.Rate));
        return nullptr;
    }
    STRING format;
    format.Format("SOUND %s:%lu", keyword, static_cast<unsigned long>(fmt.Rate));
    SOUND *sound = Create(format);
    if (!sound)
        return nullptr;
    AppendSamples(sound->Data, fmt, data, dataLen, STRING(keyword));
    return sound;
}

bool SOUND::Save(const char *filename) const
{
    LOGIT::Printf("SOUND::Save %s (%s)\n", STR::SafeText(filename, "SOUND::Save"), STR::SafeText(Format, "SOUND::Save"));
    const WAVEKIND *kind = FindKind(GetKeyword());
    int rate = GetSampleRate();
    if (!kind || rate <= 0) {
        // Writing samples under a coding they are not in would make a file that only sounds wrong.
        SOUND_ASSERT_FALSE(STR::SafeText(Format, "SOUND::Save"));
        return false;
    }
    RIFFWAVE::FMT fmt;
    fmt.Tag = kind->Tag;
    fmt.Channels = 1;
    fmt.Rate = static_cast<uint32_t>(rate);
    fmt.BlockAlign = kind->Bits / 8;
    fmt.AvgBytes = static_cast<uint32_t>(rate) * static_cast<uint32_t>(fmt.BlockAlign);
    fmt.Bits = kind->Bits;
    if (kind->Tag == 6 || kind->Tag == 7) {
        // Files hold the codes in ordinary bit order.
        BINARY reversed(Data.BlockSize);
        if (Data.StrLen > 0) {
            reversed.Make(Data.StrLen);
            for (STRING_SIZE_T i = 0; i < Data.StrLen; i++)
                reversed.Buffer[i] = static_cast<char>(SOUNDCODEC::ReverseBits(static_cast<uint8_t>(Data.Buffer[i])));
        }
        return WAVEIO::Write(filename, fmt, reversed);
    }
    return WAVEIO::Write(filename, fmt, Data);
}

// ---- SOUNDWAV16 ---------------------------------------------------------------------------

SOUNDWAV16::SOUNDWAV16(const char *format, STRING_SIZE_T blocksize) : SOUND(format, blocksize) {}

STRING SOUNDWAV16::GetExtension() const
{
    return STRING("wav16");
}

bool SOUNDWAV16::FromBase(const SOUND &base)
{
    if (!CheckLinear(base))
        return false;
    STRING format = STRING("SOUND WAV16:") + base.GetParameter();
    if (&base != this)
        Data = base.Data;
    Format = format;
    return true;
}

SOUND *SOUNDWAV16::ToBase() const
{
    return CopyAs(*this, STRING("SOUND BASE:") + GetParameter());
}

// ---- SOUNDWAV8, SOUNDALAW, SOUNDULAW -------------------------------------------------------

SOUNDWAV8::SOUNDWAV8(const char *format, STRING_SIZE_T blocksize) : SOUND(format, blocksize) {}

STRING SOUNDWAV8::GetExtension() const
{
    return STRING("wav8");
}

bool SOUNDWAV8::FromBase(const SOUND &base)
{
    return EncodeInto(*this, base, "WAV8", EncodeWav8);
}

SOUND *SOUNDWAV8::ToBase() const
{
    return DecodeInto(*this, DecodeWav8);
}

bool SOUNDWAV8::Resample(int)
{
    SOUND_ASSERT_FALSE(nullptr);
    return false;
}

SOUNDALAW::SOUNDALAW(const char *format, STRING_SIZE_T blocksize) : SOUND(format, blocksize) {}

STRING SOUNDALAW::GetExtension() const
{
    return STRING("alaw");
}

bool SOUNDALAW::FromBase(const SOUND &base)
{
    return EncodeInto(*this, base, "ALAW", EncodeAlaw);
}

SOUND *SOUNDALAW::ToBase() const
{
    return DecodeInto(*this, DecodeAlaw);
}

bool SOUNDALAW::Resample(int)
{
    SOUND_ASSERT_FALSE(nullptr);
    return false;
}

SOUNDULAW::SOUNDULAW(const char *format, STRING_SIZE_T blocksize) : SOUND(format, blocksize) {}

STRING SOUNDULAW::GetExtension() const
{
    return STRING("ulaw");
}

bool SOUNDULAW::FromBase(const SOUND &base)
{
    return EncodeInto(*this, base, "ULAW", EncodeUlaw);
}

SOUND *SOUNDULAW::ToBase() const
{
    return DecodeInto(*this, DecodeUlaw);
}

bool SOUNDULAW::Resample(int)
{
    SOUND_ASSERT_FALSE(nullptr);
    return false;
}
