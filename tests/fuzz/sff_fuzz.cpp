// Feeds arbitrary bytes to the SFF reader.  Besides memory errors it checks that the base form it
// makes holds exactly the pages it reports, each a valid 1-bit page, and that coding those pages
// again and reading them back gives the same pages (widths, resolutions and pixels).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kestar/media/baseform.h"
#include "kestar/media/sffcodec.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Pages may be 65535 pixels wide: keep each input's image small enough to stay fast.
const size_t kLimit = 4u << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<unsigned char> base;
    int pages = SFFCODEC::Sff2Bmp(data, size, base, kLimit);
    Check(pages >= 0);
    Check(base.size() <= kLimit);
    Check(BASEFORM::CountPages(base.data(), base.size()) == pages);
    bool narrow = false;
    std::vector<BASEFORM::PAGE> read;
    size_t offset = 0;
    for (int i = 0; i < pages; i++) {
        BASEFORM::PAGE page;
        Check(BASEFORM::ReadPage(base.data(), base.size(), offset, &page));
        Check(page.BitCount == 1 && page.Width >= 1 && page.Width <= 0xFFFF);
        narrow = narrow || page.Width < 1728;
        read.push_back(page);
        offset += page.Size;
    }
    Check(offset == base.size());

    // Narrow pages raise an assertion when coded (which writes assert.log): skip those.
    if (narrow || pages == 0)
        return 0;
    std::vector<unsigned char> sff;
    Check(SFFCODEC::Bmp2Sff(base.data(), base.size(), sff) == pages);
    std::vector<unsigned char> again;
    Check(SFFCODEC::Sff2Bmp(sff.data(), sff.size(), again, kLimit) == pages);
    offset = 0;
    for (int i = 0; i < pages; i++) {
        BASEFORM::PAGE page;
        Check(BASEFORM::ReadPage(again.data(), again.size(), offset, &page));
        Check(page.Width == read[i].Width && page.Fine == read[i].Fine);
        Check(page.Height <= read[i].Height);
        // The same pixels; only white rows at the bottom of a page are not written again.
        size_t rowbytes = ((size_t)page.Width + 7) / 8;
        for (int y = 0; y < read[i].Height; y++) {
            const unsigned char *was = read[i].RowFromTop(y);
            if (y < page.Height) {
                Check(std::memcmp(page.RowFromTop(y), was, rowbytes) == 0);
            } else {
                for (size_t k = 0; k < rowbytes; k++)
                    Check(was[k] == 0);
            }
        }
        offset += page.Size;
    }
    return 0;
}
