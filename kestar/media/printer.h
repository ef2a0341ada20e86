// PRINTER: simple documents (reports, fax pages, lists) on a Windows printer through a GDI device
// context.  The printer comes from the print dialog, as the default printer, or by name with a
// stored DEVMODE; text flows as on a line printer (character cells, tabs, line and page breaks,
// wrapping at the right margin), bitmaps are stretched onto the page, and every page can carry a
// header line with placeholders.  Windows only.
//
// Every operation holds the object's re-entrant lock for its whole run, so one PRINTER may be
// shared by threads.  Handles are kept as void pointers so that this header needs no windows.h.
//
// Life of a document: PrinterDialog or PrinterOpen (a device context), StartDoc, NewPage (then
// text and bitmaps, more pages), EndDoc (device context deleted).  An object destroyed before
// EndDoc cancels its document.
#ifndef KESTAR_PRINTER_H
#define KESTAR_PRINTER_H

#include "kestar/base/mutexsem.h"
#include "kestar/media/printlayout.h"
#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"
#include "kestar/base/wstring.h"

// wingdi.h maps StartDoc to StartDocA; our member keeps the plain name, so a file that sees both
// calls the Win32 function by its explicit name.
#ifdef StartDoc
#undef StartDoc
#endif

class PRINTER {
public:
    // No device context, font or DEVMODE; code page 1252, tab width 8, wrapping on.
    PRINTER();
    // Cancels a document still open, deletes the device context, frees the DEVMODE and the font.
    virtual ~PRINTER();
    PRINTER(const PRINTER &) = delete;
    PRINTER &operator=(const PRINTER &) = delete;

    // Stores a copy of a DEVMODE (its dmSize + dmDriverExtra bytes); null frees the copy.  An
    // empty text, or bytes shorter than the sizes they state, are refused (assertion, false) and
    // the stored copy stays.
    bool SetDevmode(const STRING *devmode);
    // Copies the stored DEVMODE out as a binary text; false when none is stored (out unchanged).
    bool GetDevmode(STRING &out);

    // The print dialog (PrintDlgA) owned by owner (may be null).  from and to (both or neither):
    // the page range offered, and afterwards the range chosen (both the current page when the
    // user chose the selection).  copies: offered and chosen.  useDefault: the default printer
    // without a dialog; setup: the print setup dialog.  selection gets 1 when the user chose to
    // print the selection.  All pointers may be null.  The dialog's DEVMODE becomes the stored one
    // (also when cancelled).  true when a device context was obtained; the out values are then set
    // and otherwise unchanged.  While a device context is held: assertion and false.
    bool PrinterDialog(void *owner, int *from, int *to, int current, int *copies, int useDefault, int setup,
                       int *selection);
    // "device|port|driver" from the DEVNAMES of a PRINTDLGA that PrintDlgA filled; NULL without.
    static STRING GetStdPrinter(const void *printdlg);
    // Opens a printer by name, or when name is null or empty by the DEVMODE's device name; a name
    // that the DEVMODE cut short is completed from the printer list when exactly one printer
    // begins with it.  devmode may be null.  true when a device context was obtained.  While a
    // device context is held: assertion and false.
    bool PrinterOpen(const char *name, const STRING *devmode);
    // Appends "printer|port|driver" for each local and connected printer; the number appended.
    static int ListPrinters(STRINGARRAY &out);
    // The folder of the printer drivers of this machine and processor (level 1).  false when it
    // cannot be had (folder unchanged).
    static bool GetDriverDirectory(STRING &folder);

    // The printable rectangle from margins in millimetres (0 = the whole printable area).
    bool SetMargins(int leftmm, int topmm, int rightmm, int bottommm);
    // Starts a document; lineFeedOnly: a line feed keeps the column.  Empties the header texts.
    // Returns what StartDocW returns (> 0 on success; 0 without a device context).
    int StartDoc(const char16_t *docname, int lineFeedOnly);
    // The same with an 8-bit name (code page 1252).
    int StartDocAnsi(const char *docname, int lineFeedOnly);
    // A header text for every page from the next NewPage on: which 0 left, 1 centre, 2 right;
    // null or empty for none.  Placeholders: "%USERNAME%", "%COMPUTERNAME%", "%DATE%", "%TIME%",
    // "%PAGE%".
    bool SetHeaderText(int which, const char16_t *text);
    // Ends the page (unless none was started) and starts the next, with the header line, the page
    // font and the position at the top-left margin.  Returns what StartPage returns (> 0 on
    // success).
    int NewPage();
    // Prints length characters (-1: up to the terminator) from the current position.  A document
    // without a started page gets one first.  false without a device context or margins, or when
    // the device failed.
    bool WriteText(const char16_t *text, int length = -1);
    // The same for 8-bit text in the font's code page.
    bool WriteTextAnsi(const char *text, int length = -1);
    // The page font: face, size in points, flags, and the code page of the texts it shows.
    bool SetFont(const char *face, int points, int bold, int italic, int fixedPitch, int codepage);
    // Stretches a width x height bitmap, selected in the memory DC hdcBitmap, onto the page: its
    // top-left corner at xpct, ypct per cent of the page, fitted into the page and then scaled
    // by scale per cent; with frame an outline is drawn around it.
    bool PrintBitmap(void *hdcBitmap, int width, int height, int frame, int xpct, int ypct, int scale);
    // The text position in per cent of the printable rectangle.
    void GetPosition(int *xpct, int *ypct);
    void SetPosition(int xpct, int ypct);
    // Ends the page and the document and deletes the device context (and the page font, which
    // belongs to it).  false when the document could not be ended or none was started.
    bool EndDoc();

    // State, for the owner's checks and logs.
    bool HasDC();
    int GetPageCount();
    // "device|port|driver" of the printer chosen in the dialog; borrowed until the next dialog.
    const STRING &GetDescription() const { return Description; }
    // The printable rectangle, the character cell and the position, in device pixels.
    PRINTLAYOUT::BOX GetMargins();
    void GetCharCell(int *cx, int *cy);
    void GetDevicePosition(int *x, int *y);

private:
    // The device side of the text walk: draws runs with TextOutW and starts pages.
    class PAGEDEVICE : public PRINTLAYOUT::SINK {
    public:
        explicit PAGEDEVICE(PRINTER &owner) : Owner(owner) {}
        bool DrawRun(const char16_t *text, int count, int *newx) override;
        bool NewPage() override;

    private:
        PRINTER &Owner; // borrowed: the PRINTER that holds this device
    };
    friend class PAGEDEVICE;

    void DrawHeader();
    void FreeFont();

    MUTEXSEM Lock;          // held by every operation that touches the device context
    STRING Description;     // "device|port|driver" of the printer chosen in the dialog
    void *hDevmode;         // owned: movable global memory with the DEVMODE copy, or null
    void *hDC;              // owned: the printer device context, or null
    void *hFont;            // owned: the page font, or null
    PRINTLAYOUT Layout;     // margins, character cell, position, tab width, wrap and line-feed flags
    int CodePage;           // of the texts that the page font shows
    int FirstPage;          // set when a device or document is new; cleared when a page was started
    int PageCount;          // pages started in this document
    bool DocStarted;        // StartDocW succeeded and EndDoc has not run
    bool PageOpen;          // StartPage succeeded and the page has not been ended
    WSTRING HeaderTexts[3]; // left, centre and right header line templates
    PAGEDEVICE Device;
};

#endif
