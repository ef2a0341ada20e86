// JOBSCAN: the fax printer driver's record stream into base-form pages.  Streams come from the
// stand-in driver (or are written out where a test breaks them); pages are read back by the
// tests' own base-form reader, so a fault in the header writing cannot hide in a round trip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portmonitor/jobscan.h"
#include "standins/faxdriver/faxdriver.h"
#include "tests/support/faxpages_support.h"

namespace {

typedef std::vector<uint8_t> LINE;

const LINE kBlank(216, 0);

// The lines the page shows from the top, one per collected line (normal pages hold each twice:
// checked here).
struct RESULT {
    bool Valid = false;
    bool Converted = false;
    std::vector<bool> Fine;
    std::vector<std::vector<LINE>> Lines;
};

RESULT Scan(const std::string &job)
{
    JOBSCAN scan;
    RESULT r;
    r.Converted = scan.Run(reinterpret_cast<const unsigned char *>(job.data()), job.size());
    EXPECT_EQ(r.Converted, scan.IsConverted());
    r.Valid = scan.IsValid();
    const BINARY &data = scan.GetPages().Data;
    std::vector<uint8_t> base;
    if (!data.IsNull())
        base.assign(data.GetBuffer(), data.GetBuffer() + data.Length());
    std::vector<faxtest::Page> pages = faxtest::FromBase(base);
    EXPECT_EQ(static_cast<int>(pages.size()), scan.GetPageCount()) << "pages the reader sees";
    for (const faxtest::Page &page : pages) {
        EXPECT_EQ(page.Width, 1728);
        r.Fine.push_back(page.Fine);
        std::vector<LINE> lines;
        int step = page.Fine ? 1 : 2;
        for (int y = 0; y < page.Height(); y += step) {
            lines.push_back(page.Rows[static_cast<size_t>(y)]);
            if (!page.Fine) {
                EXPECT_LT(y + 1, page.Height()) << "a normal page holds every line twice";
                if (y + 1 < page.Height()) {
                    EXPECT_EQ(page.Rows[static_cast<size_t>(y + 1)], page.Rows[static_cast<size_t>(y)]);
                }
            }
        }
        r.Lines.push_back(lines);
    }
    return r;
}

std::vector<LINE> Blanks(int n)
{
    return std::vector<LINE>(static_cast<size_t>(n), kBlank);
}

std::vector<LINE> Join(std::vector<LINE> a, const std::vector<LINE> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(PORTMONITOR_JOBSCAN, PagesOfTheDriversStream)
{
    const LINE a = FAXDRIVER::Line(0, 1), b = FAXDRIVER::Line(100, 300), c = FAXDRIVER::Line(1720, 1728);
    struct CASE {
        const char *what;
        std::string job;
        std::vector<bool> fine;
        std::vector<std::vector<LINE>> lines;
    } cases[] = {
        {"three lines, fine", FAXDRIVER().BeginDoc().Resolution(true).BeginPage().Block(a).Block(b).Block(c).EndPage().EndDoc().Bytes(),
         {true}, {{a, b, c}}},
        {"three lines, normal", FAXDRIVER().BeginDoc().Resolution(false).BeginPage().Block(a).Block(b).Block(c).EndPage().EndDoc().Bytes(),
         {false}, {{a, b, c}}},
        {"[LINES 10] fine", FAXDRIVER().BeginDoc().Resolution(true).BeginPage().Lines(10).Block(a).EndPage().Bytes(),
         {true}, {Join(Blanks(10), {a})}},
        {"[LINES 10] normal", FAXDRIVER().BeginDoc().Resolution(false).BeginPage().Lines(10).Block(a).EndPage().Bytes(),
         {false}, {Join(Blanks(5), {a})}},
        {"[LINES 7] normal", FAXDRIVER().BeginDoc().Resolution(false).BeginPage().Lines(7).Block(a).EndPage().Bytes(),
         {false}, {Join(Blanks(3), {a})}},
        {"lower-case tags", FAXDRIVER().LowerCaseTags(true).BeginDoc().Resolution(false).BeginPage().Block(b).Lines(2).EndPage().Bytes(),
         {false}, {{b, kBlank}}},
        {"[ENDDOC], [PORTRAIT], [LANDSCAPE] change nothing",
         FAXDRIVER().BeginDoc().Raw("[PORTRAIT]").Resolution(true).BeginPage().Raw("[LANDSCAPE]").Block(a).EndDoc().Block(b)
             .Raw("[ENDDOC][PORTRAIT]").EndPage().Bytes(),
         {true}, {{a, b}}},
        {"resolution changed between pages",
         FAXDRIVER().BeginDoc().Resolution(true).BeginPage().Block(a).EndPage().Resolution(false).BeginPage().Block(b).EndPage()
             .Resolution(true).BeginPage().Block(c).EndPage().Bytes(),
         {true, false, true}, {{a}, {b}, {c}}},
        {"lines after the last [ENDPAGE] are dropped",
         FAXDRIVER().BeginDoc().BeginPage().Block(a).EndPage().BeginPage().Block(b).Block(c).EndDoc().Bytes(), {false}, {{a}}},
        {"[BEGINPAGE] drops the lines before it",
         FAXDRIVER().BeginDoc().BeginPage().Block(a).BeginPage().Block(b).EndPage().Bytes(), {false}, {{b}}},
        {"a valid job without a page", FAXDRIVER().BeginDoc().EndDoc().Bytes(), {}, {}},
        {"bytes between records are skipped; normal resolution until one is given",
         "xx[BEGINDOC]\r\n" + FAXDRIVER().BeginPage().Block(c).Raw("\n\n").EndPage().Bytes(), {false}, {{c}}},
        {"[LINES ] and [LINES -5] add nothing",
         FAXDRIVER().BeginDoc().BeginPage().Raw("[LINES ]").Block(a).Raw("[LINES -5]").Raw("[LINES x]").Block(b).EndPage().Bytes(),
         {false}, {{a, b}}},
        {"a [BLOCK cut short by the end adds no line",
         FAXDRIVER().BeginDoc().BeginPage().Block(a).EndPage().BeginPage().Block(b).Block(c).EndPage().Cut(600).Bytes(), {false}, {{a}}},
        {"[ENDPAGE] before any [BEGINPAGE] gives no page",
         FAXDRIVER().BeginDoc().Block(a).EndPage().BeginPage().Block(b).EndPage().Bytes(), {false}, {{b}}},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.what);
        RESULT r = Scan(c.job);
        EXPECT_TRUE(r.Valid);
        EXPECT_TRUE(r.Converted);
        EXPECT_EQ(r.Fine, c.fine);
        ASSERT_EQ(r.Lines.size(), c.lines.size());
        for (size_t p = 0; p < c.lines.size(); ++p)
            EXPECT_TRUE(r.Lines[p] == c.lines[p]) << "page " << p << ": " << r.Lines[p].size() << " lines, wanted "
                                                  << c.lines[p].size();
    }
}

TEST(PORTMONITOR_JOBSCAN, BlockDataIsNeverReadAsRecords)
{
    // "[" among the four skipped characters and inside the line; the line holds a whole tag too.
    LINE line(216, 0);
    const std::string tag = "[ENDPAGE][XYZ]";
    std::copy(tag.begin(), tag.end(), line.begin() + 50);
    line[215] = '[';
    std::string job = "[BEGINDOC][HIGHRES][BEGINPAGE][BLOCK [[[[" + std::string(line.begin(), line.end()) + "[ENDPAGE]";
    RESULT r = Scan(job);
    EXPECT_TRUE(r.Valid);
    ASSERT_EQ(r.Lines.size(), 1u);
    ASSERT_EQ(r.Lines[0].size(), 1u);
    EXPECT_TRUE(r.Lines[0][0] == line);
}

TEST(PORTMONITOR_JOBSCAN, ValidityFollowsTheLastBeginDoc)
{
    const LINE a = FAXDRIVER::Line(0, 8);
    struct CASE {
        const char *what;
        std::string job;
        bool valid;
    } cases[] = {
        {"no [BEGINDOC]", FAXDRIVER().BeginPage().Block(a).EndPage().EndDoc().Bytes(), false},
        {"unknown record after [BEGINDOC]", FAXDRIVER().BeginDoc().Raw("[FOO]").BeginPage().Block(a).EndPage().Bytes(), false},
        {"valid again after a later [BEGINDOC]", FAXDRIVER().BeginDoc().Raw("[FOO]").BeginDoc().BeginPage().EndPage().Bytes(), true},
        {"a lone [", FAXDRIVER().BeginDoc().Raw("[").Bytes(), false},
        {"a tag cut off at the end", FAXDRIVER().BeginDoc().BeginPage().Block(a).Raw("[ENDPA").Bytes(), false},
        {"a tag with a byte missing", FAXDRIVER().BeginDoc().Raw("[BEGINDOC").Bytes(), false},
        {"empty job", "", false},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Scan(c.job).Valid, c.valid);
    }
}

TEST(PORTMONITOR_JOBSCAN, PageStopsAtTheLineLimit)
{
    const LINE mark = FAXDRIVER::Line(0, 1728);
    // A huge count, then lines that no longer fit; the next page starts afresh.
    FAXDRIVER driver;
    driver.BeginDoc().Resolution(true).BeginPage().Lines(2147483647).Block(mark).EndPage();
    driver.BeginPage().Lines(32767).Block(mark).Block(mark).EndPage();
    driver.Resolution(false).BeginPage().Lines(99999999).EndPage();
    RESULT r = Scan(driver.Bytes());
    ASSERT_EQ(r.Lines.size(), 3u);
    EXPECT_EQ(r.Lines[0].size(), 32768u);
    EXPECT_TRUE(r.Lines[0].back() == kBlank);
    EXPECT_EQ(r.Lines[1].size(), 32768u);
    EXPECT_TRUE(r.Lines[1].back() == mark) << "one of the two lines still fits";
    EXPECT_EQ(r.Lines[2].size(), 32768u) << "normal resolution: 65536 rows";
}

TEST(PORTMONITOR_JOBSCAN, PagesPastTheImageLimitAreNotConverted)
{
    JOBSCAN::SetImageLimit(1000000);
    FAXDRIVER driver;
    driver.BeginDoc().BeginPage().Lines(4000).EndPage(); // 864062 bytes
    RESULT fits = Scan(driver.Bytes());
    EXPECT_TRUE(fits.Converted);
    EXPECT_EQ(fits.Lines.size(), 1u);
    driver.BeginPage().Lines(1000).EndPage();
    RESULT past = Scan(driver.Bytes());
    EXPECT_FALSE(past.Converted);
    EXPECT_TRUE(past.Valid);
    EXPECT_TRUE(past.Lines.empty()) << "no pages at all rather than some";
    JOBSCAN::SetImageLimit(JOBSCAN::kMaxImageBytes);
}
