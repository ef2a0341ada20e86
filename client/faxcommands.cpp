// FAXCOMMANDS: presets from fax commands, and the commands blanked on the page (see faxcommands.h).
#include "client/faxcommands.h"

#include <cstring>

#include "kestar/media/baseform.h"

namespace {

// The text after keyword and its separator; empty when nothing follows.
STRING After(const STRING &command, STRING_SIZE_T keywordLength)
{
    const STRING_SIZE_T from = keywordLength + 1;
    if (command.Length() <= from)
        return STRING("");
    return command.Mid(from, command.Length() - from);
}

bool StartsWith(const STRING &text, const char *keyword)
{
    return text.Left(static_cast<STRING_SIZE_T>(std::strlen(keyword))) == keyword;
}

} // namespace

int FAXCOMMANDS::Apply(const STRING &command, HASH &presets)
{
    if (command.IsNull())
        return 0;
    if (command == "DIALOG") {
        presets["FaxSendShowDialog"] = "1";
        return 1;
    }
    struct KEYWORD {
        const char *Word;
        const char *Key;
    } const keywords[] = {
        {"TO", "FaxSendDestination"},
        {"FROM", "FaxSendOriginMsn"},
        {"RETRY", "FaxSendAttempts"},
        {"PAUSE", "FaxSendPauseBetween"},
    };
    for (const KEYWORD &k : keywords) {
        if (StartsWith(command, k.Word)) {
            presets[k.Key] = After(command, static_cast<STRING_SIZE_T>(std::strlen(k.Word)));
            return 1;
        }
    }
    return 0;
}

int FAXCOMMANDS::BlankBox(unsigned char *pixels, size_t stride, size_t rowBytes, int rows, bool topDown,
                          bool darkIsZero, const OCRBOX &box, int rowScale)
{
    if (!pixels || rows <= 0 || rowBytes == 0 || rowBytes > stride || rowScale < 1)
        return 0;
    if (box.Right < box.Left || box.Bottom < box.Top)
        return 0;
    // In 64 bits: a recognised box may lie anywhere, and its sizes must not wrap.
    const long long left = box.Left < 0 ? 0 : static_cast<long long>(box.Left);
    long long firstByte = left / 8;
    long long lastByte = static_cast<long long>(box.Left) / 8 +
                         (static_cast<long long>(box.Right) - box.Left) / 8 + 2; // exclusive
    if (lastByte > static_cast<long long>(rowBytes))
        lastByte = static_cast<long long>(rowBytes);
    if (firstByte >= lastByte)
        return 0;
    long long first = static_cast<long long>(box.Top) * rowScale;
    long long last = (static_cast<long long>(box.Bottom) + 1) * rowScale; // exclusive
    if (first < 0)
        first = 0;
    if (last > rows)
        last = rows;
    const unsigned char white = darkIsZero ? 0xFF : 0x00;
    int touched = 0;
    for (long long y = first; y < last; ++y) {
        const size_t stored = topDown ? static_cast<size_t>(y) : static_cast<size_t>(rows - 1 - y);
        std::memset(pixels + stored * stride + static_cast<size_t>(firstByte), white,
                    static_cast<size_t>(lastByte - firstByte));
        ++touched;
    }
    return touched;
}

int FAXCOMMANDS::BlankBoxOnBasePage(unsigned char *base, size_t length, int page, const OCRBOX &box)
{
    size_t offset = 0;
    BASEFORM::PAGE info;
    if (!base || !BASEFORM::FindPage(base, length, page, &offset) || !BASEFORM::ReadPage(base, length, offset, &info) ||
        info.BitCount != 1)
        return -1;
    unsigned char *pixels = base + (info.Pixels - base);
    return BlankBox(pixels, info.Stride, (static_cast<size_t>(info.Width) + 7) / 8, info.Height, info.TopDown,
                    info.InvertedPalette, box, info.Fine ? 1 : 2);
}
