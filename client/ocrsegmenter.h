// Finds the text lines of a page and the glyphs on each line for the fax-command recognition.
// A line is a run of more than kMinLineHeight rows whose left half holds ink; its glyphs are
// cut at the columns that are blank over the line's height, across the whole page width.
#ifndef CLIENT_OCRSEGMENTER_H
#define CLIENT_OCRSEGMENTER_H

#include <cstdint>

#include "client/ocrbitmap.h"

// One line: its rows and its first Count glyph boxes, left to right (each box spans the line's
// rows).
struct OCRLINE {
    static constexpr int kMaxGlyphs = 255;
    int32_t Top = 0;
    int32_t Bottom = 0; // the first row after the line
    int Count = 0;
    OCRBOX Glyphs[kMaxGlyphs];
};

class OCRSEGMENTER {
public:
    static constexpr uint32_t kMinLineHeight = 11; // a line has more inked rows than this
    static constexpr uint32_t kMinRowInk = 1;      // pixels in the left half that ink a row

    // page is borrowed and must outlive the segmenter.
    explicit OCRSEGMENTER(const OCRBITMAP &page);
    ~OCRSEGMENTER();
    OCRSEGMENTER(const OCRSEGMENTER &) = delete;
    OCRSEGMENTER &operator=(const OCRSEGMENTER &) = delete;

    // The next line from the top with its glyphs (at most kMaxGlyphs; the rest of a longer line
    // is dropped); false, line unchanged, when no line is left.  Lines are handed out one at a
    // time so that a large page never needs all its boxes at once.
    bool NextLine(OCRLINE &line);

private:
    bool RowInked(uint32_t y) const;
    void CutGlyphs(OCRLINE &line);

    const OCRBITMAP &page;
    uint32_t nextRow = 0;
    unsigned char *columns = nullptr; // owned: the rows of a line ORed together, one page row long
};

#endif
