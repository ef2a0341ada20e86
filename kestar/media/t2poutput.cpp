// The PDF output behind a libtiff handle (see t2poutput.h).
#include "kestar/media/t2poutput.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstring>

#include "kestar/base/logit.h"

namespace {

T2POUTPUT *Self(thandle_t handle)
{
    return static_cast<T2POUTPUT *>(handle);
}

tmsize_t ReadProc(thandle_t handle, void *data, tmsize_t size)
{
    return size <= 0 ? 0 : (tmsize_t)Self(handle)->ClientRead(data, (size_t)size);
}

tmsize_t WriteProc(thandle_t handle, void *data, tmsize_t size)
{
    return size <= 0 ? 0 : (tmsize_t)Self(handle)->ClientWrite(data, (size_t)size);
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    return Self(handle)->ClientSeek(offset, whence);
}

int CloseProc(thandle_t)
{
    return 0; // the stream belongs to the caller
}

toff_t SizeProc(thandle_t handle)
{
    return Self(handle)->Count();
}

int MapProc(thandle_t, void **, toff_t *)
{
    return 0;
}

void UnmapProc(thandle_t, void *, toff_t)
{
}

// libtiff's messages about the output go to the log, and on to its global handlers.
int LogMessage(TIFF *, void *kind, const char *module, const char *format, va_list arguments)
{
    char text[1024];
    vsnprintf(text, sizeof(text), format, arguments);
    LOGIT::Printf("TIFF %s: %s: %s\n", (const char *)kind, module ? module : "", text);
    return 0;
}

} // namespace

T2POUTPUT::T2POUTPUT(FILE *stream) : Stream(stream)
{
}

T2POUTPUT::T2POUTPUT(std::vector<unsigned char> *memory) : Memory(memory)
{
}

T2POUTPUT::~T2POUTPUT()
{
    Close();
}

TIFF *T2POUTPUT::Open(const char *name)
{
    Close();
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, LogMessage, (void *)"error");
    TIFFOpenOptionsSetWarningHandlerExtR(options, LogMessage, (void *)"warning");
    Discarding = true; // the TIFF header written at open stays out of the PDF
    Handle = TIFFClientOpenExt(name, "w", this, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                               MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return Handle;
}

void T2POUTPUT::Close()
{
    if (Handle) {
        Discarding = true; // close-time data stays out of the PDF
        TIFFClose(Handle);
        Handle = nullptr;
    }
}

bool T2POUTPUT::Write(const void *data, size_t size)
{
    return ClientWriteAlways(data, size) == size;
}

size_t T2POUTPUT::ClientRead(void *data, size_t size)
{
    std::memset(data, 0, size);
    return size;
}

size_t T2POUTPUT::ClientWrite(const void *data, size_t size)
{
    if (Discarding)
        return size;
    return ClientWriteAlways(data, size);
}

size_t T2POUTPUT::ClientWriteAlways(const void *data, size_t size)
{
    if (Broken)
        return 0;
    size_t done = 0;
    if (Memory) {
        const unsigned char *p = static_cast<const unsigned char *>(data);
        Memory->insert(Memory->end(), p, p + size);
        done = size;
    } else if (Stream) {
        done = std::fwrite(data, 1, size, Stream);
    }
    Written += done;
    if (done != size) {
        Broken = true;
        LOGIT::Printf("T2POUTPUT::Write %lu of %lu bytes written at %llu\n", (unsigned long)done,
                      (unsigned long)size, (unsigned long long)(Written - done));
    }
    return done;
}

uint64_t T2POUTPUT::ClientSeek(uint64_t offset, int whence) const
{
    // Nothing ever moves: the PDF only grows at its end.  A seek to a place answers that place,
    // so libtiff's checks of its own (discarded) directory writes succeed; the end is the PDF's
    // length, where libtiff then puts the next strip.
    if (whence == SEEK_SET)
        return offset;
    return Written + offset;
}
