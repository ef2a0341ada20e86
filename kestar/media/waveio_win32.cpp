// WAVE file access of the Windows build, through the multimedia file I/O (mmio) functions; see
// waveio.h.  mmio finds the RIFF WAVE form and fills in the chunk sizes on writing; the chunks
// inside the form are checked by RIFFWAVE, the same code as in the native build.
#include "kestar/media/waveio.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "kestar/base/logit.h"

namespace {

// mmio wants a writable name of at most MAX_PATH characters.
bool CopyName(const char *filename, char (&name)[MAX_PATH])
{
    if (!filename || std::strlen(filename) >= MAX_PATH) {
        LOGIT::Printf("WAVEIO: file name missing or longer than %d characters\n", MAX_PATH - 1);
        return false;
    }
    std::strcpy(name, filename);
    return true;
}

// Closes an mmio handle on every way out.
struct MMIOHOLDER {
    HMMIO h;
    ~MMIOHOLDER()
    {
        if (h)
            mmioClose(h, 0);
    }
    // Closes now (flushing the buffer); true when that worked.
    bool Close()
    {
        MMRESULT rc = mmioClose(h, 0);
        h = nullptr;
        return rc == MMSYSERR_NOERROR;
    }
};

} // namespace

namespace WAVEIO {

RIFFWAVE::RESULT ReadForm(const char *filename, BINARY *body)
{
    char name[MAX_PATH];
    if (!CopyName(filename, name))
        return RIFFWAVE::WAVE_UNREADABLE;
    MMIOHOLDER file = {mmioOpenA(name, nullptr, MMIO_READ | MMIO_ALLOCBUF)};
    if (!file.h) {
        LOGIT::Printf("WAVEIO::ReadForm mmioOpen(%s) failed\n", name);
        return RIFFWAVE::WAVE_UNREADABLE;
    }
    LONG size = mmioSeek(file.h, 0, SEEK_END);
    if (size < 0 || mmioSeek(file.h, 0, SEEK_SET) != 0) {
        LOGIT::Printf("WAVEIO::ReadForm cannot size %s\n", name);
        return RIFFWAVE::WAVE_UNREADABLE;
    }
    MMCKINFO riff = {};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    MMRESULT rc = mmioDescend(file.h, &riff, nullptr, MMIO_FINDRIFF);
    // The form must be the file itself, not a chunk found further in.
    if (rc != MMSYSERR_NOERROR || riff.dwDataOffset != 8) {
        LOGIT::Printf("WAVEIO::ReadForm %s: no RIFF WAVE form (%u)\n", name, rc);
        return RIFFWAVE::WAVE_NOTRIFF;
    }
    // mmio takes the size as it stands; it must fit the bytes the file really has.
    if (riff.cksize < 4 || riff.cksize - 4 > static_cast<DWORD>(size) - RIFFWAVE::kFormHeader) {
        LOGIT::Printf("WAVEIO::ReadForm %s: RIFF size %lu, file %ld bytes\n", name,
                      static_cast<unsigned long>(riff.cksize), static_cast<long>(size));
        return RIFFWAVE::WAVE_TRUNCATED;
    }
    LONG declared = static_cast<LONG>(riff.cksize - 4);
    BINARY bytes(65536);
    bytes.Make(declared);
    if (declared > 0 && mmioRead(file.h, bytes.Buffer, declared) != declared) {
        LOGIT::Printf("WAVEIO::ReadForm cannot read %s\n", name);
        return RIFFWAVE::WAVE_UNREADABLE;
    }
    *body = bytes;
    return RIFFWAVE::WAVE_OK;
}

bool Write(const char *filename, const RIFFWAVE::FMT &fmt, const BINARY &data)
{
    char name[MAX_PATH];
    if (!CopyName(filename, name))
        return false;
    MMIOHOLDER file = {mmioOpenA(name, nullptr, MMIO_CREATE | MMIO_WRITE | MMIO_ALLOCBUF)};
    if (!file.h) {
        LOGIT::Printf("WAVEIO::Write mmioOpen(%s) failed\n", name);
        LOGIT::Assert(0, "hmmio", __FILE__, __LINE__, name, 0);
        return false;
    }
    uint8_t fmtBytes[RIFFWAVE::kFmtSize];
    RIFFWAVE::MakeFmt(fmt, fmtBytes);
    LONG len = data.StrLen > 0 ? data.StrLen : 0;

    MMCKINFO riff = {};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    MMCKINFO fmtChunk = {};
    fmtChunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    fmtChunk.cksize = RIFFWAVE::kFmtSize;
    MMCKINFO dataChunk = {};
    dataChunk.ckid = mmioFOURCC('d', 'a', 't', 'a');

    bool ok = mmioCreateChunk(file.h, &riff, MMIO_CREATERIFF) == MMSYSERR_NOERROR &&
              mmioCreateChunk(file.h, &fmtChunk, 0) == MMSYSERR_NOERROR &&
              mmioWrite(file.h, reinterpret_cast<const char *>(fmtBytes), RIFFWAVE::kFmtSize) ==
                  static_cast<LONG>(RIFFWAVE::kFmtSize) &&
              mmioAscend(file.h, &fmtChunk, 0) == MMSYSERR_NOERROR &&
              mmioCreateChunk(file.h, &dataChunk, 0) == MMSYSERR_NOERROR;
    LONG written = 0;
    if (ok && len > 0) {
        written = mmioWrite(file.h, data.Buffer, len);
        ok = written == len;
    }
    // Ascending fills in the sizes of the data chunk and the RIFF chunk.
    ok = ok && mmioAscend(file.h, &dataChunk, 0) == MMSYSERR_NOERROR &&
         mmioAscend(file.h, &riff, 0) == MMSYSERR_NOERROR;
    ok = file.Close() && ok;
    if (!ok) {
        LOGIT::Printf("WAVEIO::Write failed writing %s (%ld of %ld data bytes)\n", name,
                      static_cast<long>(written), static_cast<long>(len));
        DeleteFileA(name);
    }
    return ok;
}

} // namespace WAVEIO
