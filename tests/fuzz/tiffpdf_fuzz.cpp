// Fuzz target: arbitrary bytes as a TIFF file opened in memory, converted to a PDF in memory.
// Whatever the input, the converter must not crash or read out of bounds, and a PDF it calls
// complete must have a cross-reference table whose every entry points at its object.
#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kestar/media/t2poutput.h"
#include "kestar/media/tiffpdf.h"

namespace {

struct MEMORYFILE {
    const uint8_t *Data;
    size_t Size;
    uint64_t At;
};

tmsize_t Read(thandle_t h, void *buffer, tmsize_t size)
{
    MEMORYFILE *f = static_cast<MEMORYFILE *>(h);
    if (size <= 0 || f->At >= f->Size)
        return 0;
    size_t n = (size_t)size;
    if (n > f->Size - f->At)
        n = (size_t)(f->Size - f->At);
    std::memcpy(buffer, f->Data + f->At, n);
    f->At += n;
    return (tmsize_t)n;
}

tmsize_t Write(thandle_t, void *, tmsize_t)
{
    return 0;
}

toff_t Seek(thandle_t h, toff_t offset, int whence)
{
    MEMORYFILE *f = static_cast<MEMORYFILE *>(h);
    uint64_t base = whence == SEEK_CUR ? f->At : whence == SEEK_END ? f->Size : 0;
    f->At = base + offset;
    return f->At;
}

int Close(thandle_t)
{
    return 0;
}

toff_t Size(thandle_t h)
{
    return static_cast<MEMORYFILE *>(h)->Size;
}

int Map(thandle_t, void **, toff_t *)
{
    return 0;
}

void Unmap(thandle_t, void *, toff_t)
{
}

void CheckXref(const std::vector<unsigned char> &pdf)
{
    std::string bytes(pdf.begin(), pdf.end());
    size_t at = bytes.rfind("startxref\r");
    if (at == std::string::npos)
        std::abort();
    size_t xref = std::strtoull(bytes.c_str() + at + 10, nullptr, 10);
    unsigned long count = 0;
    if (xref >= bytes.size() || std::sscanf(bytes.c_str() + xref, "xref\r0 %lu \r", &count) != 1)
        std::abort();
    size_t entry = bytes.find("0000000000 65535 f\r\n", xref);
    if (entry == std::string::npos)
        std::abort();
    entry += 20;
    for (unsigned long i = 1; i < count; i++, entry += 20) {
        if (entry + 20 > bytes.size())
            std::abort();
        size_t offset = std::strtoull(bytes.c_str() + entry, nullptr, 10);
        std::string head = std::to_string(i) + " 0 obj\r";
        if (offset >= bytes.size() || bytes.compare(offset, head.size(), head) != 0)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool quiet = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)quiet;
    MEMORYFILE file = {data, size, 0};
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, (tmsize_t)64 << 20);
    TIFF *input = TIFFClientOpenExt("fuzz.tif", "rm", &file, Read, Write, Seek, Close, Size, Map, Unmap, options);
    TIFFOpenOptionsFree(options);
    if (!input)
        return 0;
    std::vector<unsigned char> pdf;
    {
        T2POUTPUT output(&pdf);
        TIFF *handle = output.Open("fuzz.pdf");
        if (handle && convert_tiff_to_pdf_handles(input, output, handle, "fuzz.pdf")) {
            output.Close();
            CheckXref(pdf);
        }
    }
    TIFFClose(input);
    return 0;
}
