// Feeds arbitrary bytes to the notification pop-up's markup (its texts carry caller data from the
// server): expansion, parsing and line layout must stay inside the text, every segment's text must
// be a piece of the input, and the layout must place segments left to right without overlap.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kestar/windowing/popupmarkup.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

POPUPMARKUP::EXTENT Fixed(void *, const POPUPMARKUP::SEGMENT &segment)
{
    POPUPMARKUP::EXTENT e;
    e.Width = static_cast<int>(segment.Text.size()) * 5;
    e.Height = segment.Small ? 9 : 11;
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Bytes as the pop-up takes them: code page 1252 characters, one per byte.
    std::u16string text(data, data + size);
    std::u16string expanded = POPUPMARKUP::ExpandControls(text);
    Check(expanded.find(char16_t(0x0E)) == std::u16string::npos);
    Check(expanded.find(char16_t(0x0F)) == std::u16string::npos);
    std::vector<POPUPMARKUP::LINE> lines = POPUPMARKUP::Parse(expanded);
    size_t newlines = 0;
    for (char16_t c : expanded)
        newlines += c == u'\n';
    Check(lines.size() == newlines + 1);
    size_t characters = 0;
    for (const POPUPMARKUP::LINE &line : lines) {
        Check(!line.empty());
        for (const POPUPMARKUP::SEGMENT &segment : line) {
            Check(segment.Text.find(POPUPMARKUP::ESCAPE) == std::u16string::npos);
            Check(segment.Text.find(u'\n') == std::u16string::npos);
            Check(segment.Id >= POPUPMARKUP::DEFAULT_ID);
            Check(expanded.find(segment.Text) != std::u16string::npos);
            characters += segment.Text.size();
        }
        POPUPMARKUP::LINELAYOUT layout = POPUPMARKUP::LayoutLine(line, 3, 4, Fixed, nullptr);
        Check(layout.Items.size() == line.size());
        int x = 3;
        for (const POPUPMARKUP::PLACED &placed : layout.Items) {
            Check(placed.Left == x);
            Check(placed.Right >= placed.Left);
            Check(placed.Top >= 4 && placed.Bottom <= 4 + layout.Height);
            x = placed.Right;
        }
        Check(layout.Width == x - 3);
    }
    Check(characters <= expanded.size());
    POPUPMARKUP::EXTENT all = POPUPMARKUP::MeasureLines(lines, Fixed, nullptr);
    Check(all.Width >= 0 && all.Height >= 0);
    return 0;
}
