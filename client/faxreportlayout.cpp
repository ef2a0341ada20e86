// FAXREPORTLAYOUT: the places of the report's images (see faxreportlayout.h).
#include "client/faxreportlayout.h"

std::vector<FAXREPORTLAYOUT::IMAGE> FAXREPORTLAYOUT::Place(int textBottom, int pages)
{
    std::vector<IMAGE> images;
    const int y0 = textBottom + 5;
    const int h = 95 - y0;
    if (pages < 1 || h < 1)
        return images;
    images.push_back({1, pages == 1 ? 18 : 5, y0, h});
    const int thumb = h / 3 - 1;
    if (thumb < 1)
        return images;
    for (int n = 2; n <= 4 && n <= pages; ++n)
        images.push_back({n, 75, y0 + (h / 3) * (n - 2), thumb});
    return images;
}

STRING FAXREPORTLAYOUT::Note(const STRING &noteTexts, int pages)
{
    if (pages <= 4)
        return STRING("");
    STRING note = noteTexts.Token(5, "|", STRING_TOKEN_NOTNULL);
    note.Replace("$PAGES", STRING(pages - 4));
    return note;
}
