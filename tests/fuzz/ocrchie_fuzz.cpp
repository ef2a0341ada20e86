// Feeds arbitrary bytes as a 1-bit page to the fax-command recognition (segmenter, feature,
// dictionary and marker search).  The first two bytes give the width, the next two the height
// (both capped so that every input stays fast); the rest fills the rows, (width + 7) / 8 bytes
// each, from the top.  Besides memory errors it checks that at most 64 commands come out and
// that every box lies inside the page.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "client/ocrchie.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const uint32_t width = 1 + (uint32_t)(data[0] | data[1] << 8) % 2048;
    const uint32_t height = 1 + (uint32_t)(data[2] | data[3] << 8) % 1024;
    data += 4;
    size -= 4;
    OCRBITMAP page;
    Check(page.Allocate(width, height, 1, OCRBITMAP::kMinIsWhite));
    const size_t rowBytes = (width + 7) / 8;
    for (uint32_t y = 0; y < height && size > 0; y++) {
        const size_t n = size < rowBytes ? size : rowBytes;
        std::memcpy(page.Row(y), data, n);
        data += n;
        size -= n;
    }

    OCRCHIE ocr(page);
    Check(ocr.Count() >= 0 && ocr.Count() <= OCRCHIE::kMaxCommands);
    STRING text;
    OCRBOX box;
    int handed = 0;
    while (ocr.GetNextCommand(text, box)) {
        handed++;
        Check((const char *)text != nullptr && std::strlen(text) < 255);
        Check(box.Left >= 0 && box.Left < box.Right && box.Right <= (int32_t)width);
        Check(box.Top >= 0 && box.Top < box.Bottom && box.Bottom <= (int32_t)height);
    }
    Check(handed == ocr.Count());
    return 0;
}
