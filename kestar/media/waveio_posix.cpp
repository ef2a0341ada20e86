// WAVE file access of the native build, through stdio; see waveio.h.  The Windows build goes
// through mmio instead (waveio_win32.cpp); both hand the same bytes to RIFFWAVE.
#include "kestar/media/waveio.h"

#include <cstdio>

#include "kestar/base/logit.h"

namespace {

struct FILECLOSER {
    FILE *f;
    ~FILECLOSER()
    {
        if (f)
            fclose(f);
    }
};

} // namespace

namespace WAVEIO {

RIFFWAVE::RESULT ReadForm(const char *filename, BINARY *body)
{
    FILECLOSER file = {filename ? fopen(filename, "rb") : nullptr};
    if (!file.f) {
        LOGIT::Printf("WAVEIO::ReadForm cannot open %s\n", filename ? filename : "<null>");
        return RIFFWAVE::WAVE_UNREADABLE;
    }
    if (fseek(file.f, 0, SEEK_END) != 0) {
        LOGIT::Printf("WAVEIO::ReadForm cannot seek %s\n", filename);
        return RIFFWAVE::WAVE_UNREADABLE;
    }
    long size = ftell(file.f);
    if (size < 0 || fseek(file.f, 0, SEEK_SET) != 0) {
        LOGIT::Printf("WAVEIO::ReadForm cannot size %s\n", filename);
        return RIFFWAVE::WAVE_UNREADABLE;
    }
    uint8_t header[RIFFWAVE::kFormHeader];
    size_t got = fread(header, 1, sizeof(header), file.f);
    uint32_t declared;
    RIFFWAVE::RESULT result = RIFFWAVE::ParseFormHeader(header, got, &declared);
    if (result != RIFFWAVE::WAVE_OK)
        return result;
    if (declared > static_cast<unsigned long>(size) - RIFFWAVE::kFormHeader || declared > 0x7FFFFF00u) {
        LOGIT::Printf("WAVEIO::ReadForm %s: RIFF size %lu, file %ld bytes\n", filename,
                      static_cast<unsigned long>(declared), size);
        return RIFFWAVE::WAVE_TRUNCATED;
    }
    BINARY bytes(65536);
    bytes.Make(static_cast<STRING_SIZE_T>(declared));
    if (declared > 0 && fread(bytes.Buffer, 1, declared, file.f) != declared) {
        LOGIT::Printf("WAVEIO::ReadForm cannot read %s\n", filename);
        return RIFFWAVE::WAVE_UNREADABLE;
    }
    *body = bytes;
    return RIFFWAVE::WAVE_OK;
}

bool Write(const char *filename, const RIFFWAVE::FMT &fmt, const BINARY &data)
{
    FILE *f = filename ? fopen(filename, "wb") : nullptr;
    if (!f) {
        LOGIT::Printf("WAVEIO::Write cannot create %s\n", filename ? filename : "<null>");
        LOGIT::Assert(0, "hmmio", __FILE__, __LINE__, filename, 0);
        return false;
    }
    uint32_t len = data.StrLen > 0 ? static_cast<uint32_t>(data.StrLen) : 0;
    uint8_t header[RIFFWAVE::kHeaderSize];
    RIFFWAVE::MakeHeader(fmt, len, header);
    bool ok = fwrite(header, 1, sizeof(header), f) == sizeof(header);
    if (ok && len > 0)
        ok = fwrite(data.Buffer, 1, len, f) == len;
    if (ok && (len & 1))
        ok = fputc(0, f) != EOF;
    ok = fflush(f) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    if (!ok) {
        LOGIT::Printf("WAVEIO::Write failed writing %s\n", filename);
        remove(filename);
    }
    return ok;
}

} // namespace WAVEIO
