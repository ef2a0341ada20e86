// FAXDRIVER: the fax printer driver's record stream for test pages (see faxdriver.h).
#include "standins/faxdriver/faxdriver.h"

#include <cctype>
#include <cstdio>

std::string FAXDRIVER::Document(const std::vector<PAGE> &pages)
{
    FAXDRIVER driver;
    driver.BeginDoc();
    for (const PAGE &page : pages) {
        driver.Resolution(page.Fine).BeginPage();
        int blanks = 0;
        for (const std::vector<uint8_t> &line : page.Lines) {
            bool blank = true;
            for (uint8_t b : line)
                blank = blank && b == 0;
            if (blank) {
                ++blanks;
                continue;
            }
            driver.BlankLines(blanks);
            blanks = 0;
            driver.Block(line);
        }
        driver.BlankLines(blanks);
        driver.EndPage();
    }
    driver.EndDoc();
    return driver.Bytes();
}

void FAXDRIVER::Tag(const std::string &tag)
{
    for (char c : tag)
        Stream += Lower ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
}

FAXDRIVER &FAXDRIVER::BeginDoc()
{
    Tag("[BEGINDOC]");
    return *this;
}

FAXDRIVER &FAXDRIVER::EndDoc()
{
    Tag("[ENDDOC]");
    return *this;
}

FAXDRIVER &FAXDRIVER::Resolution(bool fine)
{
    Fine = fine;
    Tag(fine ? "[HIGHRES]" : "[LOWRES]");
    return *this;
}

FAXDRIVER &FAXDRIVER::BeginPage()
{
    Tag("[BEGINPAGE]");
    return *this;
}

FAXDRIVER &FAXDRIVER::EndPage()
{
    Tag("[ENDPAGE]");
    return *this;
}

FAXDRIVER &FAXDRIVER::Lines(int n)
{
    Tag("[LINES ");
    Stream += std::to_string(n) + "]";
    return *this;
}

FAXDRIVER &FAXDRIVER::Block(const std::vector<uint8_t> &line)
{
    Tag("[BLOCK ");
    char mark[8];
    std::snprintf(mark, sizeof(mark), "%04x", BlockCount++ & 0xFFFF);
    Stream += mark;
    std::string bytes(line.begin(), line.end());
    bytes.resize(kBytesPerLine, '\0');
    Stream += bytes;
    return *this;
}

FAXDRIVER &FAXDRIVER::BlankLines(int count)
{
    if (count > 0)
        Lines(Fine ? count : 2 * count);
    return *this;
}

FAXDRIVER &FAXDRIVER::Raw(const std::string &bytes)
{
    Stream += bytes;
    return *this;
}

FAXDRIVER &FAXDRIVER::LowerCaseTags(bool on)
{
    Lower = on;
    return *this;
}

FAXDRIVER &FAXDRIVER::Cut(size_t n)
{
    if (n < Stream.size())
        Stream.resize(n);
    return *this;
}

std::vector<uint8_t> FAXDRIVER::Line(int x0, int x1)
{
    std::vector<uint8_t> line(kBytesPerLine, 0);
    for (int x = x0 < 0 ? 0 : x0; x < x1 && x < kBytesPerLine * 8; ++x)
        line[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    return line;
}
