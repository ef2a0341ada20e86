// SOUNDMP3, a sound that is stored as MP3; see soundmp3.h.
#include "kestar/media/soundmp3.h"

#include "kestar/base/logit.h"
#include "kestar/media/mp3encoder.h"

SOUNDMP3::SOUNDMP3(STRING_SIZE_T blocksize) : SOUND("SOUND MP3:8000", blocksize), SampleRate(8000) {}

SOUNDMP3::SOUNDMP3(const char *format, STRING_SIZE_T blocksize) : SOUND(format, blocksize), SampleRate(8000)
{
    // A recorder may append samples straight after construction; they are at the format's rate.
    int rate = GetSampleRate();
    if (rate > 0)
        SampleRate = rate;
}

bool SOUNDMP3::Load(const char *filename)
{
    LOGIT::Printf("SOUNDMP3::Load %s: MP3 files are not read\n", STR::SafeText(filename, "SOUNDMP3::Load"));
    LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, filename, 0);
    return false;
}

bool SOUNDMP3::Save(const char *filename) const
{
    LOGIT::Printf("SOUNDMP3::Save %s (%d samples at %d)\n", STR::SafeText(filename, "SOUNDMP3::Save"),
                  Data.StrLen / 2, SampleRate);
    if (!filename)
        return false;
    size_t count = Data.StrLen > 0 ? static_cast<size_t>(Data.StrLen / 2) : 0;
    return MP3ENCODER::EncodeFile(filename, reinterpret_cast<const unsigned char *>(Data.Buffer), count,
                                  SampleRate);
}

STRING SOUNDMP3::GetExtension() const
{
    return STRING("mp3");
}

bool SOUNDMP3::FromBase(const SOUND &base)
{
    if (!HoldsLinearSamples(base))
        return false;
    int rate = base.GetSampleRate();
    if (rate <= 0) {
        LOGIT::Printf("SOUNDMP3::FromBase refused: rate %d\n", rate);
        return false;
    }
    if (&base != this)
        Data = base.Data;
    SampleRate = rate;
    Format.Format("SOUND MP3:%d", rate);
    return true;
}

SOUND *SOUNDMP3::ToBase() const
{
    STRING format;
    format.Format("SOUND BASE:%d", SampleRate);
    return new SOUND(Data.Buffer, Data.StrLen, format, kBlockSize);
}

bool SOUNDMP3::Resample(int rate)
{
    if (!SOUND::Resample(rate))
        return false;
    SampleRate = rate;
    return true;
}
