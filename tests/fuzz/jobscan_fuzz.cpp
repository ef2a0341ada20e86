// Fuzz target: arbitrary bytes as a print job for the port monitor's scan.  No crash; every page
// is 1728 dots wide with at most 32768 lines; the SFF file of the pages decodes back to as many
// pages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "kestar/media/baseform.h"
#include "kestar/media/sffcodec.h"
#include "portmonitor/jobscan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Small inputs can ask for many pages of 32768 blank lines; a lower image limit keeps each
    // run fast and tries the limit itself.
    JOBSCAN::SetImageLimit(16u << 20);
    JOBSCAN scan;
    scan.Run(data, size);
    const BINARY &pages = scan.GetPages().Data;
    const unsigned char *base = reinterpret_cast<const unsigned char *>(pages.GetBuffer());
    size_t length = pages.IsNull() ? 0 : static_cast<size_t>(pages.Length());
    if (!scan.IsConverted() && length != 0)
        std::abort();
    int count = BASEFORM::CountPages(base, length);
    if (count != scan.GetPageCount())
        std::abort();
    size_t offset = 0;
    for (int i = 0; i < count; ++i) {
        BASEFORM::PAGE page;
        if (!BASEFORM::ReadPage(base, length, offset, &page) || page.Width != 1728 || page.BitCount != 1)
            std::abort();
        int lines = page.Fine ? page.Height : page.Height / 2;
        if (lines > JOBSCAN::kMaxLines || (!page.Fine && page.Height % 2 != 0))
            std::abort();
        offset += page.Size;
    }
    if (offset != length)
        std::abort();
    std::vector<unsigned char> sff, back;
    if (SFFCODEC::Bmp2Sff(base, length, sff) != count)
        std::abort();
    if (SFFCODEC::Sff2Bmp(sff.data(), sff.size(), back) != count)
        std::abort();
    return 0;
}
