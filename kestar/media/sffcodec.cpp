// SFF reader and writer.  The writer produces exactly the layout the port monitor and the client
// have always exchanged (document header with only the first-page offset filled in, 18-byte page
// headers, Modified Huffman lines, runs of empty lines, 254 0 at the end).  The reader accepts
// what other programs write as well: page headers of any length, user-information records, and
// further documents glued on.
#include "kestar/media/sffcodec.h"

#include <algorithm>
#include <cstring>

#include "kestar/media/baseform.h"
#include "kestar/base/logit.h"
#include "kestar/media/mhcode.h"

namespace SFFCODEC {
namespace {

using BASEFORM::Get16;
using BASEFORM::Get32;

// Record bytes at the start of a line.
const unsigned char kEscapeCount = 0;       // two bytes of count follow
const unsigned char kMaxShortCount = 216;   // 1-216: one-byte count
const unsigned char kFirstEmptyRun = 217;   // 217-253: (b - 216) white lines
const unsigned char kLastEmptyRun = 253;
const unsigned char kPageHeader = 254;
const unsigned char kUserInfo = 255;
const int kMaxEmptyRun = kLastEmptyRun - 216; // 37

// The reader takes the bytes "Sfff" wherever a record starts as the header of a further document.
// Of the records the writer emits only a one-byte count can be 'S' (a line of 83 coded bytes);
// the escape, the empty-line runs and the page header never are.
static_assert('S' > kEscapeCount && 'S' <= kMaxShortCount && 'S' < kFirstEmptyRun,
              "only a one-byte count record can start like a document header");

// True when a one-byte count record for `code` would read back as a document header.
bool CountReadsAsDocumentHeader(const std::vector<unsigned char> &code)
{
    return code.size() == (unsigned char)'S' && std::memcmp(code.data(), "fff", 3) == 0;
}

void TraceCode(void *context, int run, int kind, int linepos, int bitpos)
{
    const int *recordinfo = (const int *)context;
    LOGIT::PrintfLevel(15, "SFF2BMP: Value: %d, Type: %d, linevalue: %d, bitpos: %d, i=%d, c=%d\n",
                       run, kind, linepos, bitpos, recordinfo[0], recordinfo[1]);
}

// Collects the rows of one page and writes it to the base form.
class PAGEBUILDER {
public:
    PAGEBUILDER(std::vector<unsigned char> &out, size_t maxbytes) : Out(out), MaxBytes(maxbytes) {}

    void Start(int width, bool fine)
    {
        Width = width;
        Fine = fine;
        Stride = BASEFORM::RowBytes(width);
        Rows.clear();
        Count = 0;
        Open = true;
    }
    void Discard() { Open = false; }
    int RowCount() const { return Count; }

    // A new white row, or null when the page would pass the size limit.
    unsigned char *AddRow()
    {
        size_t copies = Fine ? 1 : 2;
        size_t needed = Out.size() + BASEFORM::kHeaderBytes;
        size_t pixels = Stride * copies;
        if (needed > MaxBytes || (size_t)(Count + 1) > (MaxBytes - needed) / pixels ||
            Count >= 0x3FFFFFFF) {
            LOGIT::Printf("SFF2BMP: image would pass %lu bytes, page ends after %d rows\n",
                          (unsigned long)MaxBytes, Count);
            return nullptr;
        }
        Rows.resize(Rows.size() + Stride, 0);
        Count++;
        return &Rows[Rows.size() - Stride];
    }
    // Adds n white rows; false when the limit was reached first.
    bool AddWhiteRows(int n)
    {
        for (int i = 0; i < n; i++)
            if (!AddRow())
                return false;
        return true;
    }

    // Writes the collected rows as one page: bottom-up, each twice at normal resolution.
    void Finish()
    {
        if (!Open)
            return;
        Open = false;
        int copies = Fine ? 1 : 2;
        BASEFORM::AppendHeaders(Out, Width, Count * copies, Fine);
        // Room for this page, at least doubling: an exact reserve per page would copy the whole
        // image for every page of a long fax (the C library of Windows moves large blocks).
        size_t need = Out.size() + Rows.size() * copies;
        if (need > Out.capacity())
            Out.reserve(std::max(need, Out.capacity() * 2));
        for (int r = Count - 1; r >= 0; r--) {
            const unsigned char *row = &Rows[(size_t)r * Stride];
            for (int c = 0; c < copies; c++)
                Out.insert(Out.end(), row, row + Stride);
        }
        Rows.clear();
        Rows.shrink_to_fit();
        Pages++;
    }
    int PageCount() const { return Pages; }

private:
    std::vector<unsigned char> &Out; // borrowed: the base form being built
    size_t MaxBytes;
    std::vector<unsigned char> Rows; // top row first
    int Width = 0;
    bool Fine = false;
    size_t Stride = 0;
    int Count = 0;
    bool Open = false;
    int Pages = 0;
};

// Reads the page header at `pos`.  true when a page begins there (width, resolution and the
// position after the header are set); false at the document end or at a header that does not
// fit the data.
bool ReadPageHeader(const unsigned char *sff, size_t length, size_t pos, int *width, bool *fine,
                    size_t *next)
{
    if (pos >= length || length - pos < 2)
        return false;
    if (sff[pos] != kPageHeader) {
        LOGIT::Printf("SFF2BMP: no page header at %lu\n", (unsigned long)pos);
        return false;
    }
    size_t rest = sff[pos + 1];
    if (rest == 0)
        return false; // 254 0: the end of the document
    // The line length is the last field we need (offset 6, two bytes).  The header is skipped by
    // its own length, whatever fields it has beyond ours.
    if (rest < 6 || rest > length - pos - 2) {
        LOGIT::Printf("SFF2BMP: page header at %lu does not fit (%lu bytes)\n",
                      (unsigned long)pos, (unsigned long)rest);
        return false;
    }
    int w = (int)Get16(sff + pos + 6);
    if (w == 0) {
        LOGIT::Printf("SFF2BMP: page header at %lu has no line length\n", (unsigned long)pos);
        return false;
    }
    *width = w;
    *fine = sff[pos + 2] != 0;
    *next = pos + 2 + rest;
    return true;
}

} // namespace

int Sff2Bmp(const unsigned char *sff, size_t length, std::vector<unsigned char> &base,
            size_t maxbytes)
{
    base.clear();
    ORVAK_ASSERT(sff != nullptr || length == 0);
    LOGIT::Printf("SFF2BMP: Begin of decoding\n");
    if (!sff || length < kDocumentHeaderBytes || std::memcmp(sff, "Sfff", 4) != 0) {
        LOGIT::Printf("SFF2BMP: no SFF document header (%lu bytes)\n", (unsigned long)length);
        LOGIT::Printf("SFF2BMP: End of decoding\n");
        return 0;
    }

    PAGEBUILDER page(base, maxbytes);
    size_t pos = Get16(sff + 10);
    bool stop = false;
    int width = 0;
    bool fine = false;
    size_t p = 0;
    while (!stop && ReadPageHeader(sff, length, pos, &width, &fine, &p)) {
        page.Start(width, fine);
        // Normal resolution (vertical resolution 0) is stored with every line twice; any other
        // value but 1 is taken as fine, the row density of the base form.
        for (;;) {
            if (p >= length) {
                pos = length;
                break;
            }
            unsigned char b = sff[p];
            if (length - p >= kDocumentHeaderBytes && std::memcmp(sff + p, "Sfff", 4) == 0) {
                // A further document glued on: the rows so far stay a page of their own, and the
                // page header after the new document header starts the next one.
                if (page.RowCount() > 0)
                    page.Finish();
                else
                    page.Discard();
                pos = p + kDocumentHeaderBytes;
                break;
            }
            if (b == kPageHeader) {
                LOGIT::PrintfLevel(12, "SFF2BMP: 254 (new page header) at begin of line\n");
                pos = p;
                break;
            }
            if (b == kUserInfo) {
                LOGIT::PrintfLevel(12, "SFF2BMP: 255 (wrong coding) at begin of line\n");
                if (length - p < 2) {
                    pos = length;
                    break;
                }
                unsigned n = sff[p + 1];
                if (n == 0) {
                    if (!page.AddRow()) {
                        stop = true;
                        break;
                    }
                }
                if (n > length - p - 2) {
                    pos = length;
                    break;
                }
                p += 2 + n;
                continue;
            }
            if (b >= kFirstEmptyRun) {
                LOGIT::PrintfLevel(12, "SFF2BMP: Empty lines at begin of line\n");
                if (!page.AddWhiteRows(b - 216)) {
                    stop = true;
                    break;
                }
                p++;
                continue;
            }
            size_t count;
            if (b == kEscapeCount) {
                if (length - p < 3) {
                    pos = length;
                    break;
                }
                count = Get16(sff + p + 1);
                LOGIT::PrintfLevel(12, "SFF2BMP: Number of element escape: %d\n", (int)count);
                p += 3;
            } else {
                count = b;
                p++;
            }
            bool truncated = count > length - p;
            if (truncated) {
                LOGIT::Printf("SFF2BMP: line of %lu bytes cut off at the end of the data\n",
                              (unsigned long)count);
                count = length - p;
            }
            unsigned char *row = page.AddRow();
            if (!row) {
                stop = true;
                break;
            }
            int recordinfo[2] = {(int)p, (int)count};
            int linepos = 0;
            MHCODE::RESULT r =
                MHCODE::DecodeRow(sff + p, count, row, width, &linepos, TraceCode, recordinfo);
            LOGIT::PrintfLevel(15, "SFF2BMP: END OF LINE: linevalue: %d\n", linepos);
            p += count;
            if (r != MHCODE::DECODE_OK) {
                LOGIT::Printf("SFF2BMP: Alarm! Decoder error\n");
                stop = true;
                break;
            }
            if (truncated) {
                pos = length;
                break;
            }
        }
        page.Finish();
    }
    if (stop)
        LOGIT::Printf("SFF2BMP: decoding stopped after page %d\n", page.PageCount());
    LOGIT::Printf("SFF2BMP: End of decoding\n");
    return page.PageCount();
}

int Bmp2Sff(const unsigned char *base, size_t length, std::vector<unsigned char> &sff)
{
    sff.clear();
    LOGIT::Printf("BMP2SFF: Begin of decoding\n");
    static const unsigned char kDocHeader[kDocumentHeaderBytes] = {
        'S', 'f', 'f', 'f', 1, 0, 0, 0, 0, 0, (unsigned char)kDocumentHeaderBytes, 0,
    };
    sff.insert(sff.end(), kDocHeader, kDocHeader + kDocumentHeaderBytes);

    int pages = BASEFORM::CountPages(base, length);
    int written = 0;
    size_t offset = 0;
    std::vector<unsigned char> faxrow;
    std::vector<unsigned char> code;
    for (int i = 0; i < pages; offset += BASEFORM::PageSize(base, length, offset), i++) {
        BASEFORM::PAGE bmp;
        if (!BASEFORM::ReadPage(base, length, offset, &bmp)) {
            LOGIT::Printf("BMP2SFF: page %d is no valid bitmap, skipped\n", i + 1);
            continue;
        }
        if (bmp.BitCount != 1) {
            LOGIT::Printf("BMP2SFF: page %d has %d bits per pixel, not 1, skipped\n", i + 1,
                          bmp.BitCount);
            continue;
        }
        int width = bmp.Width;
        if (width > 0xFFFF) {
            LOGIT::Printf("BMP2SFF: page %d is %d pixels wide, more than SFF holds, skipped\n",
                          i + 1, width);
            continue;
        }
        ORVAK_ASSERT(width >= 1728);

        unsigned char header[kPageHeaderBytes] = {kPageHeader, kPageHeaderBytes - 2};
        header[2] = bmp.Fine ? 1 : 0;
        BASEFORM::Put16(header + 6, (unsigned)width);
        sff.insert(sff.end(), header, header + kPageHeaderBytes);

        size_t rowbytes = ((size_t)width + 7) / 8;
        faxrow.assign(rowbytes, 0);
        code.clear();
        code.reserve(MHCODE::MaxCodedBytes(width));
        int step = bmp.Fine ? 1 : 2;
        int empty = 0;
        for (int y = 0; y < bmp.Height; y += step) {
            BASEFORM::FaxRow(bmp, y, faxrow.data());
            bool white = true;
            for (size_t k = 0; k < rowbytes && white; k++)
                white = faxrow[k] == 0;
            if (white) {
                if (++empty == kMaxEmptyRun) {
                    sff.push_back(kLastEmptyRun);
                    empty = 0;
                }
                continue;
            }
            if (empty > 0) {
                unsigned char run = (unsigned char)(216 + empty);
                ORVAK_ASSERT(run >= kFirstEmptyRun && run <= kLastEmptyRun);
                sff.push_back(run);
                empty = 0;
            }
            code.clear();
            size_t count = MHCODE::EncodeRow(faxrow.data(), width, code);
            if (count <= kMaxShortCount && !CountReadsAsDocumentHeader(code)) {
                sff.push_back((unsigned char)count);
            } else {
                // Long lines, and lines whose one-byte record would read as "Sfff" (the reader
                // would take the rest of the page for a further document).
                // Cannot pass 65535: a line of at most 65535 pixels codes into fewer bytes.
                unsigned char escape[3] = {kEscapeCount, (unsigned char)(count & 0xFF),
                                           (unsigned char)(count >> 8 & 0xFF)};
                sff.insert(sff.end(), escape, escape + 3);
            }
            sff.insert(sff.end(), code.begin(), code.end());
        }
        // Empty lines still pending at the end of the page are not written: the page simply
        // ends, as every receiver of these files expects.
        written++;
    }
    sff.push_back(kPageHeader);
    sff.push_back(0);
    LOGIT::Printf("BMP2SFF: End of decoding\n");
    return written;
}

} // namespace SFFCODEC
