// FAXDRIVER stands in for the fax printer driver: it writes the record stream that the driver
// sends to the fax port for test pages of 1728 dots.  The stream is built record by record, so a
// test can also break it on purpose (leave out "[BEGINDOC]", add an unknown record, write tags
// in lower case, cut the stream short).  Portable: native tests and the monitor's tests under
// Wine use it alike.
#ifndef STANDINS_FAXDRIVER_FAXDRIVER_H
#define STANDINS_FAXDRIVER_FAXDRIVER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FAXDRIVER {
public:
    static const int kBytesPerLine = 216; // 1728 dots, leftmost dot in the top bit, 1 = black

    // One page: each line kBytesPerLine bytes.
    struct PAGE {
        bool Fine = true;
        std::vector<std::vector<uint8_t>> Lines;
    };

    // A whole job as the driver writes it: "[BEGINDOC]"; per page its resolution ("[HIGHRES]"
    // or "[LOWRES]"), "[BEGINPAGE]", each run of blank lines as one "[LINES n]" and every other
    // line as a "[BLOCK " record, "[ENDPAGE]"; finally "[ENDDOC]".
    static std::string Document(const std::vector<PAGE> &pages);

    // Records one at a time; each returns *this.
    FAXDRIVER &BeginDoc();
    FAXDRIVER &EndDoc();
    FAXDRIVER &Resolution(bool fine);
    FAXDRIVER &BeginPage();
    FAXDRIVER &EndPage();
    // "[LINES n]": n counts fine lines, so at normal resolution 2 n lines give n.
    FAXDRIVER &Lines(int n);
    // "[BLOCK ", four characters of its own (the line number), and the line (kBytesPerLine bytes;
    // a shorter line is padded with white).
    FAXDRIVER &Block(const std::vector<uint8_t> &line);
    // Blank lines as the driver writes them at the current resolution.
    FAXDRIVER &BlankLines(int count);
    // Any bytes, e.g. an unknown record.
    FAXDRIVER &Raw(const std::string &bytes);

    // Switches that break the stream: tags in lower case from now on; and the stream cut to its
    // first n bytes.
    FAXDRIVER &LowerCaseTags(bool on);
    FAXDRIVER &Cut(size_t n);

    const std::string &Bytes() const { return Stream; }

    // A line with the dots x0 <= x < x1 black.
    static std::vector<uint8_t> Line(int x0, int x1);

private:
    void Tag(const std::string &tag);

    std::string Stream;
    bool Fine = true;
    bool Lower = false;
    int BlockCount = 0;
};

#endif
