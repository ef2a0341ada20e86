// FAXREPORTLAYOUT: the places of the sending report's page images and its page note.
#include "client/faxreportlayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Describe(const std::vector<FAXREPORTLAYOUT::IMAGE> &images)
{
    std::string out;
    for (const FAXREPORTLAYOUT::IMAGE &i : images)
        out += "p" + std::to_string(i.Page) + "@" + std::to_string(i.X) + "," + std::to_string(i.Y) + "/" +
               std::to_string(i.Scale) + " ";
    return out;
}

} // namespace

TEST(FAXREPORT, LayoutOfThePageImages)
{
    struct CASE {
        int textBottom;
        int pages;
        const char *expected;
    } cases[] = {
        {30, 1, "p1@18,35/60 "},
        {30, 2, "p1@5,35/60 p2@75,35/19 "},
        {30, 6, "p1@5,35/60 p2@75,35/19 p3@75,55/19 p4@75,75/19 "},
        {30, 0, ""},
        // Little room: the thumbnails go first, then the large image; never a scale below 1.
        {85, 6, "p1@5,90/5 "},
        {89, 3, "p1@5,94/1 "},
        {90, 3, ""},
        {120, 1, ""},
        {84, 4, "p1@5,89/6 p2@75,89/1 p3@75,91/1 p4@75,93/1 "},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(Describe(FAXREPORTLAYOUT::Place(c.textBottom, c.pages)), c.expected)
            << c.textBottom << " " << c.pages;
}

TEST(FAXREPORT, NoteOnThePagesNotShown)
{
    const STRING texts("normal|high|Fax sent|Fax received|s|$PAGES more pages ($PAGES)");
    EXPECT_EQ(std::string(FAXREPORTLAYOUT::Note(texts, 6)), "2 more pages (2)");
    EXPECT_EQ(std::string(FAXREPORTLAYOUT::Note(texts, 4)), "");
    EXPECT_EQ(std::string(FAXREPORTLAYOUT::Note(STRING("a|b"), 9)), ""); // a text without the part
}
