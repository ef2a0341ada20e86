// Recognition of fax commands written between "@@" markers on a page.
#include "client/ocrchie.h"

#include <cstring>

#include "client/ocrdictionary.h"
#include "client/ocrsegmenter.h"
#include "client/tiff_reader.h"
#include "kestar/base/logit.h"

OCRCHIE::OCRCHIE(const char *filename)
{
    LOGIT::Printf("OCRCHIE::OCRCHIE constructor\n");
    OCRBITMAP page;
    TIFF_Reader reader(filename);
    if (reader.ReadPage(page))
        Recognise(page);
    LOGIT::Printf("OCRCHIE::OCRCHIE ~constructor\n");
}

OCRCHIE::OCRCHIE(const OCRBITMAP &page)
{
    LOGIT::Printf("OCRCHIE::OCRCHIE constructor\n");
    Recognise(page);
    LOGIT::Printf("OCRCHIE::OCRCHIE ~constructor\n");
}

OCRCHIE::~OCRCHIE() = default;

int OCRCHIE::GetNextCommand(STRING &text, OCRBOX &box)
{
    if (next >= count)
        return 0;
    text = commands[next];
    box = boxes[next];
    next++;
    return 1;
}

void OCRCHIE::Recognise(const OCRBITMAP &page)
{
    OCRDICTIONARY dictionary;
    if (!dictionary.LoadBuiltin()) {
        LOGIT::Printf("OCRCHIE::OCRCHIE no memory for the dictionary\n");
        return;
    }
    LOGIT::Printf("OCRCHIE::OCRCHIE dict sucessfully loaded\n");
    OCRSEGMENTER segmenter(page);
    OCRLINE line;
    while (segmenter.NextLine(line))
        ReadLine(page, dictionary, line);
}

void OCRCHIE::ReadLine(const OCRBITMAP &page, OCRDICTIONARY &dictionary, const OCRLINE &line)
{
    // One character per glyph (kUnknown when none is near), so text positions are glyph numbers.
    char text[OCRLINE::kMaxGlyphs + 1];
    for (int i = 0; i < line.Count; i++)
        text[i] = dictionary.Lookup(page.Feature(line.Glyphs[i]));
    text[line.Count] = 0;

    const char *at = text;
    while (const char *open = std::strstr(at, "@@")) {
        const char *close = std::strstr(open + 2, "@@");
        if (!close)
            break;
        STRING command = STRING::FromBytes(open + 2, (STRING_SIZE_T)(close - open - 2));
        command.SetNotNull();
        at = close + 2;
        if (count >= kMaxCommands) {
            LOGIT::Printf("OCRCHIE::OCRCHIE more than %d commands, ignored command=%s\n", kMaxCommands,
                          (const char *)command);
            continue;
        }
        const OCRBOX &first = line.Glyphs[open - text];
        const OCRBOX &last = line.Glyphs[close + 1 - text];
        OCRBOX &box = boxes[count];
        box.Left = first.Left;
        box.Top = first.Top;
        box.Right = last.Right;
        box.Bottom = last.Bottom;
        commands[count++] = command;
        LOGIT::Printf("OCRCHIE::OCRCHIE found command=%s\n", (const char *)command);
    }
}
