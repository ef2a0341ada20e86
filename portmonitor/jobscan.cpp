// JOBSCAN: the record stream of the fax printer driver into base-form pages.
//
// Records begin with "["; tags are compared without regard to case over exactly their length,
// in a fixed order; bytes between records are skipped one at a time.  The job buffer comes from
// outside the monitor's control, so every read is bounded by its length.
#include "portmonitor/jobscan.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <new>
#include <vector>

#include "kestar/base/logit.h"

namespace {

std::atomic<size_t> gImageLimit{JOBSCAN::kMaxImageBytes};

const unsigned char kBlankLine[JOBSCAN::kBytesPerLine] = {};

enum TAG { TAG_BEGINDOC, TAG_ENDDOC, TAG_PORTRAIT, TAG_LANDSCAPE, TAG_LOWRES, TAG_HIGHRES, TAG_BEGINPAGE,
           TAG_ENDPAGE, TAG_LINES, TAG_BLOCK, TAG_NONE };

// In the order they are tried.
const char *const kTags[] = {"[BEGINDOC]", "[ENDDOC]",  "[PORTRAIT]", "[LANDSCAPE]", "[LOWRES]",
                             "[HIGHRES]",  "[BEGINPAGE]", "[ENDPAGE]", "[LINES ",     "[BLOCK "};

// "[BLOCK " then four characters that are not interpreted, then the line.
const size_t kBlockDataAt = 11;
const size_t kBlockRecordBytes = kBlockDataAt + JOBSCAN::kBytesPerLine;

bool Matches(const unsigned char *bytes, size_t length, size_t pos, const char *tag)
{
    size_t n = std::strlen(tag);
    if (length - pos < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::toupper(bytes[pos + i]) != static_cast<unsigned char>(tag[i]))
            return false;
    return true;
}

TAG FindTag(const unsigned char *bytes, size_t length, size_t pos)
{
    for (int t = TAG_BEGINDOC; t < TAG_NONE; ++t)
        if (Matches(bytes, length, pos, kTags[t]))
            return static_cast<TAG>(t);
    return TAG_NONE;
}

// The decimal number at pos as "%d" reads it (blanks, a sign, digits), bounded by length;
// false when there are no digits.  Values past the int range saturate.
bool ReadNumber(const unsigned char *bytes, size_t length, size_t pos, long long *value)
{
    while (pos < length && std::isspace(bytes[pos]))
        ++pos;
    bool negative = false;
    if (pos < length && (bytes[pos] == '-' || bytes[pos] == '+'))
        negative = bytes[pos++] == '-';
    if (pos >= length || !std::isdigit(bytes[pos]))
        return false;
    long long n = 0;
    for (; pos < length && std::isdigit(bytes[pos]); ++pos)
        if (n < 0x7FFFFFFFLL)
            n = n * 10 + (bytes[pos] - '0');
    if (n > 0x7FFFFFFFLL)
        n = 0x7FFFFFFFLL;
    *value = negative ? -n : n;
    return true;
}

} // namespace

void JOBSCAN::SetImageLimit(size_t bytes)
{
    gImageLimit.store(bytes < kMaxImageBytes ? bytes : kMaxImageBytes);
}

size_t JOBSCAN::GetImageLimit()
{
    return gImageLimit.load();
}

JOBSCAN::JOBSCAN()
    : BytesPerLine(0), LineCount(0), Resolution(0), Valid(false), Converted(true), LimitLogged(false),
      Pages("IMAGE BASE:", 500000)
{
}

void JOBSCAN::Reset()
{
    BytesPerLine = 0;
    LineCount = 0;
    Resolution = 0;
    Valid = false;
    Converted = true;
    LimitLogged = false;
    Pages.Data.Free();
}

bool JOBSCAN::Run(const unsigned char *bytes, size_t length)
{
    Reset();
    Lines.reset(new (std::nothrow) const unsigned char *[kMaxLines]());
    if (!Lines) {
        LOGIT::Printf("JOBSCAN::Run no memory for the line table\n");
        Converted = false;
        return false;
    }
    if (bytes == nullptr)
        length = 0;
    size_t pos = 0;
    while (pos < length && Converted) {
        if (bytes[pos] != '[') {
            ++pos;
            continue;
        }
        pos = Record(bytes, length, pos);
    }
    Lines.reset();
    if (!Converted)
        Pages.Data.Free();
    LOGIT::Printf("JOBSCAN::Run %zu bytes: valid= %d, converted= %d, pages= %d\n", length, Valid ? 1 : 0,
                  Converted ? 1 : 0, GetPageCount());
    return Converted;
}

size_t JOBSCAN::Record(const unsigned char *bytes, size_t length, size_t pos)
{
    TAG tag = FindTag(bytes, length, pos);
    switch (tag) {
    case TAG_BEGINDOC:
        Valid = true;
        break;
    case TAG_ENDDOC:
    case TAG_PORTRAIT:
    case TAG_LANDSCAPE:
        break;
    case TAG_LOWRES:
        Resolution = 0;
        break;
    case TAG_HIGHRES:
        Resolution = 1;
        break;
    case TAG_BEGINPAGE:
        BytesPerLine = kBytesPerLine;
        LineCount = 0;
        LimitLogged = false;
        break;
    case TAG_ENDPAGE:
        Converted = EndPage();
        break;
    case TAG_LINES: {
        long long n = 0;
        if (ReadNumber(bytes, length, pos + 7, &n) && n > 0)
            AddBlankLines(n / (2 - Resolution));
        else
            LOGIT::Printf("JOBSCAN \"[LINES \" without a count of lines at %zu, ignored\n", pos);
        // The number and its "]" are skipped as ordinary bytes.
        return pos + 7;
    }
    case TAG_BLOCK:
        if (length - pos < kBlockRecordBytes) {
            LOGIT::Printf("JOBSCAN \"[BLOCK \" at %zu is cut off by the end of the job, ignored\n", pos);
            return length;
        }
        AddLine(bytes + pos + kBlockDataAt);
        // The line's bytes are never read as records.
        return pos + kBlockRecordBytes;
    case TAG_NONE:
        if (Valid)
            LOGIT::Printf("JOBSCAN unknown record at %zu: the job is invalid\n", pos);
        Valid = false;
        return pos + 1;
    }
    return pos + std::strlen(kTags[tag]);
}

void JOBSCAN::AddBlankLines(long long count)
{
    for (long long i = 0; i < count && LineCount < kMaxLines; ++i)
        Lines[LineCount++] = kBlankLine;
    if (LineCount >= kMaxLines && !LimitLogged) {
        LOGIT::Printf("JOBSCAN the page reached %d lines; further lines are dropped\n", kMaxLines);
        LimitLogged = true;
    }
}

void JOBSCAN::AddLine(const unsigned char *line)
{
    if (LineCount < kMaxLines) {
        Lines[LineCount++] = line;
        return;
    }
    if (!LimitLogged) {
        LOGIT::Printf("JOBSCAN the page reached %d lines; further lines are dropped\n", kMaxLines);
        LimitLogged = true;
    }
}

bool JOBSCAN::EndPage()
{
    if (BytesPerLine == 0) {
        // A page of width 0 is no fax page.
        LOGIT::Printf("JOBSCAN \"[ENDPAGE]\" before any \"[BEGINPAGE]\": no page\n");
        return true;
    }
    const int copies = Resolution == 1 ? 1 : 2;
    const int rows = LineCount * copies;
    const size_t bytes = BASEFORM::kHeaderBytes + static_cast<size_t>(rows) * static_cast<size_t>(BytesPerLine);
    const size_t have = Pages.Data.IsNull() ? 0 : static_cast<size_t>(Pages.Data.Length());
    if (have + bytes > GetImageLimit()) {
        LOGIT::Printf("JOBSCAN the pages pass %zu bytes: the job is not converted\n", GetImageLimit());
        return false;
    }
    std::vector<unsigned char> headers;
    BASEFORM::AppendHeaders(headers, BytesPerLine * 8, rows, Resolution == 1);
    bool ok = Pages.Data.TryAppend(headers.data(), static_cast<STRING_SIZE_T>(headers.size()));
    // Bottom-up: the last line first.
    for (int i = LineCount - 1; i >= 0 && ok; --i)
        for (int c = 0; c < copies && ok; ++c)
            ok = Pages.Data.TryAppend(Lines[i], BytesPerLine);
    if (!ok) {
        LOGIT::Printf("JOBSCAN no memory for the pages: the job is not converted\n");
        return false;
    }
    LineCount = 0;
    LimitLogged = false;
    return true;
}
