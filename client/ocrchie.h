// Recognition of fax commands: reads the first page of a TIFF file, finds its text lines and
// glyphs, reads each glyph against the glyph dictionary and keeps the texts written between
// pairs of "@@" markers, with the box each covers on the page.  The constructor does the whole
// job in the caller's thread; a page that cannot be read simply has no commands.
#ifndef CLIENT_OCRCHIE_H
#define CLIENT_OCRCHIE_H

#include "client/faxcommandreader.h"
#include "client/ocrbitmap.h"
#include "kestar/base/string.h"

class OCRDICTIONARY;
struct OCRLINE;

class OCRCHIE : public FAXCOMMANDREADER {
public:
    static constexpr int kMaxCommands = 64; // marker pairs beyond these are ignored (logged)

    // Reads the page of the TIFF file filename and recognises its commands.
    explicit OCRCHIE(const char *filename);
    // Recognises the commands of a page already in memory (borrowed for the call).
    explicit OCRCHIE(const OCRBITMAP &page);
    ~OCRCHIE() override;
    OCRCHIE(const OCRCHIE &) = delete;
    OCRCHIE &operator=(const OCRCHIE &) = delete;

    // 1 with the next command's text (code page 1252) and its box (from the first glyph of the
    // opening marker to the second glyph of the closing one, in page pixels, right and bottom
    // exclusive); 0, text and box unchanged, when every command has been handed out.
    int GetNextCommand(STRING &text, OCRBOX &box) override;
    // The number of commands found.
    int Count() const override { return count; }

private:
    void Recognise(const OCRBITMAP &page);
    void ReadLine(const OCRBITMAP &page, OCRDICTIONARY &dictionary, const OCRLINE &line);

    STRING commands[kMaxCommands];
    OCRBOX boxes[kMaxCommands];
    int count = 0;
    int next = 0;
};

#endif
