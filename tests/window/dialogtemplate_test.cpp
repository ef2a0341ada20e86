// The font rewrite of extended dialog templates, over bytes: one hand-built template and the
// cases that must leave it unchanged.
#include "kestar/windowing/dialogtemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Builds a DIALOGEX the way the resource compiler lays it out.
class TEMPLATEBUILDER {
public:
    std::vector<unsigned char> Bytes;

    void Word(uint16_t w) { Bytes.push_back(w & 0xFF); Bytes.push_back(w >> 8); }
    void Dword(uint32_t d) { Word(d & 0xFFFF); Word(d >> 16); }
    void Text(const std::u16string &s) { for (char16_t c : s) Word(c); Word(0); }
    void Align() { while (Bytes.size() % 4) Bytes.push_back(0); }

    // Header with count items; menu and class as given (0 = none).
    void Header(uint32_t style, uint16_t count, uint16_t menu = 0, uint16_t windowClass = 0)
    {
        Word(1); Word(0xFFFF); Dword(0); Dword(0); Dword(style); Word(count);
        Word(10); Word(10); Word(200); Word(100);
        if (menu) { Word(0xFFFF); Word(menu); } else Word(0);
        if (windowClass) { Word(0xFFFF); Word(windowClass); } else Word(0);
        Text(u"Title");
    }
    void Font(uint16_t points, const std::u16string &face)
    {
        Word(points); Word(400); Bytes.push_back(0); Bytes.push_back(1); Text(face);
    }
    void ItemOrdinal(uint16_t id, uint16_t classOrdinal, const std::u16string &title)
    {
        Align(); Dword(0); Dword(0); Dword(0x50010000); Word(5); Word(5); Word(50); Word(14); Dword(id);
        Word(0xFFFF); Word(classOrdinal); Text(title); Word(0);
    }
    void ItemNamed(uint16_t id, const std::u16string &className, const std::vector<unsigned char> &data)
    {
        Align(); Dword(0); Dword(0); Dword(0x50010000); Word(5); Word(25); Word(50); Word(14); Dword(id);
        Text(className); Word(0xFFFF); Word(7);
        Word(static_cast<uint16_t>(data.size())); Bytes.insert(Bytes.end(), data.begin(), data.end());
    }
};

const uint32_t SETFONT = 0x40;

// A template of three items: an ordinal-class button, a named class with creation data, a static.
TEMPLATEBUILDER Sample(uint32_t style = SETFONT | 0x80C80000, uint16_t points = 8,
                       const std::u16string &face = u"MS Shell Dlg", uint16_t menu = 0, uint16_t windowClass = 0)
{
    TEMPLATEBUILDER b;
    b.Header(style, 3, menu, windowClass);
    b.Font(points, face);
    b.ItemOrdinal(1, 0x80, u"OK");
    b.ItemNamed(1000, u"msctls_updown32", {1, 2, 3});
    b.ItemOrdinal(1001, 0x82, u"Label");
    return b;
}

size_t FaceOffset()
{
    // header 26, menu 2, class 2, "Title" 12, points, weight, italic, charset 6
    return 26 + 2 + 2 + 12 + 6;
}

std::u16string FaceAt(const std::vector<unsigned char> &bytes, size_t at)
{
    std::u16string face;
    for (; at + 1 < bytes.size(); at += 2) {
        char16_t c = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
        if (c == 0)
            break;
        face += c;
    }
    return face;
}

} // namespace

TEST(DIALOGTEMPLATE, RewritesTheFontAndKeepsEveryItemByte)
{
    TEMPLATEBUILDER b = Sample();
    const size_t oldItems = (FaceOffset() + 2 * 13 + 3) & ~size_t(3);
    std::vector<unsigned char> out;
    ASSERT_TRUE(DIALOGTEMPLATE::RewriteFont(b.Bytes.data(), b.Bytes.size(), 9, u"Tahoma", &out));
    EXPECT_EQ(9, out[FaceOffset() - 6]);
    EXPECT_EQ(400, out[FaceOffset() - 4] | (out[FaceOffset() - 3] << 8)) << "weight kept";
    EXPECT_EQ(1, out[FaceOffset() - 1]) << "charset kept";
    EXPECT_EQ(u"Tahoma", FaceAt(out, FaceOffset()));
    const size_t newItems = (FaceOffset() + 2 * 7 + 3) & ~size_t(3);
    EXPECT_EQ(0u, newItems % 4);
    ASSERT_EQ(b.Bytes.size() - oldItems, out.size() - newItems);
    EXPECT_TRUE(std::equal(b.Bytes.begin() + oldItems, b.Bytes.end(), out.begin() + newItems));
    EXPECT_TRUE(std::equal(b.Bytes.begin(), b.Bytes.begin() + FaceOffset() - 6, out.begin())) << "header kept";

    // A face of the longest length still fits, and the result rewrites no further (not 8 pt).
    std::u16string longFace(DIALOGTEMPLATE::MAX_FACE, u'x');
    ASSERT_TRUE(DIALOGTEMPLATE::RewriteFont(b.Bytes.data(), b.Bytes.size(), 12, longFace.c_str(), &out));
    EXPECT_EQ(longFace, FaceAt(out, FaceOffset()));
    std::vector<unsigned char> again;
    EXPECT_FALSE(DIALOGTEMPLATE::RewriteFont(out.data(), out.size(), 9, u"Tahoma", &again));
    EXPECT_EQ(out, again);
}

TEST(DIALOGTEMPLATE, TemplatesThatDoNotQualifyOrDoNotFitAreCopiedUnchanged)
{
    struct CASE {
        const char *what;
        TEMPLATEBUILDER b;
        int points;
        std::u16string face;
    };
    TEMPLATEBUILDER truncated = Sample();
    truncated.Bytes.resize(truncated.Bytes.size() - 5);
    TEMPLATEBUILDER cutInHeader = Sample();
    cutInHeader.Bytes.resize(20);
    TEMPLATEBUILDER plain; // an old-style template (no 0xFFFF signature)
    plain.Word(0); plain.Word(0); plain.Bytes.resize(40, 0);
    std::vector<CASE> cases = {
        {"another face", Sample(SETFONT, 8, u"Arial"), 9, u"Tahoma"},
        {"another size", Sample(SETFONT, 10), 9, u"Tahoma"},
        {"no DS_SETFONT", Sample(0x80C80000), 9, u"Tahoma"},
        {"a menu", Sample(SETFONT, 8, u"MS Shell Dlg", 5), 9, u"Tahoma"},
        {"a class", Sample(SETFONT, 8, u"MS Shell Dlg", 0, 7), 9, u"Tahoma"},
        {"cut in the last item", truncated, 9, u"Tahoma"},
        {"cut in the header", cutInHeader, 9, u"Tahoma"},
        {"not extended", plain, 9, u"Tahoma"},
        {"no points", Sample(), 0, u"Tahoma"},
        {"no face", Sample(), 9, u""},
        {"face too long", Sample(), 9, std::u16string(DIALOGTEMPLATE::MAX_FACE + 1, u'x')},
    };
    for (const CASE &c : cases) {
        std::vector<unsigned char> out;
        EXPECT_FALSE(DIALOGTEMPLATE::RewriteFont(c.b.Bytes.data(), c.b.Bytes.size(), c.points, c.face.c_str(), &out))
            << c.what;
        EXPECT_EQ(c.b.Bytes, out) << c.what;
    }
}
