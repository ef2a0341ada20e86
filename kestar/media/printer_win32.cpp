// PRINTER on GDI: printer device contexts from PrintDlgA or CreateDCA("WINSPOOL"), documents with
// StartDocW/StartPage/EndPage/EndDoc, and the printer list from EnumPrintersW.  The page
// arithmetic lives in PRINTLAYOUT; this file only talks to the device.
#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

#include "kestar/media/printer.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "kestar/base/logit.h"
#include "kestar/base/fontcharset.h"

namespace {

// Holds the object's lock for one operation.
class HOLD {
public:
    explicit HOLD(MUTEXSEM &lock) : Lock(lock) { Lock.Obtain(); }
    ~HOLD() { Lock.Release(); }
    HOLD(const HOLD &) = delete;
    HOLD &operator=(const HOLD &) = delete;

private:
    MUTEXSEM &Lock;
};

// Reports a failed condition under its own text, for conditions on state that this class keeps
// elsewhere than the text names.
#define PRINTER_FAIL(condition) LOGIT::Assert(0, (condition), __FILE__, __LINE__, nullptr, 0)

// The number of bytes of a DEVMODE (dmSize + dmDriverExtra) when the text holds a whole one,
// else 0.  A DEVMODE comes from settings files: its stated sizes are checked against the bytes
// that are really there before anything reads by them.
size_t DevmodeBytes(const STRING &devmode)
{
    const size_t head = offsetof(DEVMODEA, dmFields) + sizeof(DWORD);
    if (devmode.IsNull() || static_cast<size_t>(devmode.Length()) < head)
        return 0;
    WORD size = 0, extra = 0;
    std::memcpy(&size, devmode.GetBuffer() + offsetof(DEVMODEA, dmSize), sizeof size);
    std::memcpy(&extra, devmode.GetBuffer() + offsetof(DEVMODEA, dmDriverExtra), sizeof extra);
    const size_t total = static_cast<size_t>(size) + extra;
    if (size < head || total > static_cast<size_t>(devmode.Length()))
        return 0;
    return total;
}

// A DEVMODE copied into memory aligned for its fields.
class DEVMODECOPY {
public:
    explicit DEVMODECOPY(const STRING *devmode)
    {
        const size_t bytes = devmode ? DevmodeBytes(*devmode) : 0;
        if (bytes == 0)
            return;
        Words.resize((bytes + sizeof(unsigned long long) - 1) / sizeof(unsigned long long));
        std::memcpy(Words.data(), devmode->GetBuffer(), bytes);
        Bytes = bytes;
    }
    const DEVMODEA *Get() const { return Bytes ? reinterpret_cast<const DEVMODEA *>(Words.data()) : nullptr; }
    size_t Size() const { return Bytes; }
    // dmDeviceName, which need not be terminated when the name filled it.
    STRING DeviceName() const
    {
        const DEVMODEA *dm = Get();
        if (!dm)
            return STRING("");
        size_t n = 0;
        while (n < sizeof dm->dmDeviceName && dm->dmDeviceName[n])
            n++;
        return STRING::FromBytes(dm->dmDeviceName, static_cast<STRING_SIZE_T>(n));
    }

private:
    std::vector<unsigned long long> Words;
    size_t Bytes = 0;
};

// Wide text from Win32 in the system's ANSI code page, as the A functions take it.
STRING FromWide(const wchar_t *text)
{
    if (!text)
        return STRING("");
    return STRING(text, -1, UNICODE_CPSYSTEM);
}

// One printer of EnumPrintersW: name, port and driver.
struct PRINTERENTRY {
    STRING Name, Port, Driver;
};

bool EnumeratePrinters(std::vector<PRINTERENTRY> &out)
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersW(flags, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0)
        return true; // no printers
    // Aligned for the structures at the start of the block.
    std::vector<unsigned long long> buffer((needed + sizeof(unsigned long long) - 1) / sizeof(unsigned long long));
    BYTE *pprinters = reinterpret_cast<BYTE *>(buffer.data());
    if (!ORVAK_ASSERT(pprinters))
        return false;
    BOOL rc = EnumPrintersW(flags, nullptr, 2, pprinters, needed, &needed, &count);
    if (!rc) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::ListPrinters EnumPrintersW failed: %lu\n", err);
        ORVAK_ASSERT(rc);
        return false;
    }
    const PRINTER_INFO_2W *info = reinterpret_cast<const PRINTER_INFO_2W *>(pprinters);
    for (DWORD i = 0; i < count; i++)
        out.push_back({FromWide(info[i].pPrinterName), FromWide(info[i].pPortName), FromWide(info[i].pDriverName)});
    return true;
}

} // namespace

PRINTER::PRINTER()
    : hDevmode(nullptr), hDC(nullptr), hFont(nullptr), CodePage(1252), FirstPage(0), PageCount(0),
      DocStarted(false), PageOpen(false), Device(*this)
{
}

PRINTER::~PRINTER()
{
    if (hDC) {
        // A document left open would hang in the spooler half written: cancel it.
        if (DocStarted) {
            LOGIT::Printf("PRINTER::~PRINTER cancels the open document\n");
            AbortDoc(static_cast<HDC>(hDC));
        }
        DeleteDC(static_cast<HDC>(hDC));
        hDC = nullptr;
    }
    if (hDevmode)
        GlobalFree(hDevmode);
    FreeFont();
}

void PRINTER::FreeFont()
{
    if (hFont) {
        DeleteObject(static_cast<HFONT>(hFont));
        hFont = nullptr;
    }
}

bool PRINTER::SetDevmode(const STRING *devmode)
{
    HOLD hold(Lock);
    if (!devmode) {
        if (hDevmode)
            GlobalFree(hDevmode);
        hDevmode = nullptr;
        return true;
    }
    const STRING *pdevmode = devmode;
    if (pdevmode->IsEmpty()) {
        PRINTER_FAIL("pdevmode->NotNull()");
        return false;
    }
    const size_t bytes = DevmodeBytes(*pdevmode);
    if (bytes == 0) {
        LOGIT::Printf("PRINTER::SetDevmode refuses %d bytes that hold no whole DEVMODE\n", pdevmode->Length());
        PRINTER_FAIL("DevmodeBytes(*pdevmode)>0");
        return false;
    }
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!copy) {
        PRINTER_FAIL("this->hDevmode");
        return false;
    }
    void *ptemp = GlobalLock(copy);
    if (!ptemp) {
        ORVAK_ASSERT(ptemp);
        GlobalFree(copy);
        return false;
    }
    std::memcpy(ptemp, pdevmode->GetBuffer(), bytes);
    GlobalUnlock(copy);
    if (hDevmode)
        GlobalFree(hDevmode);
    hDevmode = copy;
    return true;
}

bool PRINTER::GetDevmode(STRING &out)
{
    HOLD hold(Lock);
    if (!hDevmode)
        return false;
    const DEVMODEA *dm = static_cast<const DEVMODEA *>(GlobalLock(hDevmode));
    if (!dm)
        return false;
    size_t bytes = static_cast<size_t>(dm->dmSize) + dm->dmDriverExtra;
    const size_t have = GlobalSize(hDevmode);
    if (bytes > have)
        bytes = have;
    out = STRING::FromBytes(dm, static_cast<STRING_SIZE_T>(bytes));
    out.Flags |= STRINGFLAG_BINARY;
    GlobalUnlock(hDevmode);
    return true;
}

STRING PRINTER::GetStdPrinter(const void *printdlg)
{
    const PRINTDLGA *pd = static_cast<const PRINTDLGA *>(printdlg);
    if (!pd || !pd->hDevNames)
        return STRING();
    const DEVNAMES *names = static_cast<const DEVNAMES *>(GlobalLock(pd->hDevNames));
    if (!names)
        return STRING();
    const char *base = reinterpret_cast<const char *>(names);
    const char *device = base + names->wDeviceOffset;
    const char *port = base + names->wOutputOffset;
    const char *driver = base + names->wDriverOffset;
    LOGIT::Printf("PRINTER::GetStdPrinter printer name= %s, port= %s, driver= %s\n", device, port, driver);
    STRING result;
    result.Format("%s|%s|%s", device, port, driver);
    GlobalUnlock(pd->hDevNames);
    return result;
}

bool PRINTER::PrinterDialog(void *owner, int *from, int *to, int current, int *copies, int useDefault, int setup,
                            int *selection)
{
    HOLD hold(Lock);
    if (this->hDC) {
        // A second device context would orphan the first and its document.
        ORVAK_ASSERT(!this->hDC);
        LOGIT::Printf("PRINTER::PrinterDialog returns %d\n", 0);
        return false;
    }
    if (this->hFont) {
        ORVAK_ASSERT(!this->hFont);
        FreeFont();
    }
    Layout.LineFeedOnly = 0;
    Layout.ClearMargins();

    PRINTDLGA pd;
    std::memset(&pd, 0, sizeof pd);
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = static_cast<HWND>(owner);
    pd.Flags = PD_RETURNDC;
    if (useDefault)
        pd.Flags |= PD_RETURNDEFAULT;
    if (setup)
        pd.Flags |= PD_PRINTSETUP;
    const bool range = from && to;
    if (range) {
        pd.nFromPage = pd.nMinPage = static_cast<WORD>(*from);
        pd.nToPage = pd.nMaxPage = static_cast<WORD>(*to);
    }
    if (copies)
        pd.nCopies = static_cast<WORD>(*copies);
    // The dialog may reallocate or replace the DEVMODE it is given, so it gets a copy and what it
    // hands back becomes ours.  The default printer is asked for without one (PrintDlg refuses
    // PD_RETURNDEFAULT with a DEVMODE).
    if (hDevmode && !useDefault) {
        const SIZE_T size = GlobalSize(hDevmode);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        void *dst = copy ? GlobalLock(copy) : nullptr;
        const void *src = dst ? GlobalLock(hDevmode) : nullptr;
        if (src) {
            std::memcpy(dst, src, size);
            GlobalUnlock(hDevmode);
            GlobalUnlock(copy);
            pd.hDevMode = copy;
        } else if (copy) {
            if (dst)
                GlobalUnlock(copy);
            GlobalFree(copy);
        }
    }

    BOOL ok = PrintDlgA(&pd);
    if (!ok)
        LOGIT::Printf("PRINTER::PrinterDialog PrintDlgA gave no printer, error= %lu\n", CommDlgExtendedError());

    if (pd.hDevMode) {
        if (hDevmode)
            GlobalFree(hDevmode);
        hDevmode = pd.hDevMode;
    }
    Description = GetStdPrinter(&pd);
    if (pd.hDevNames)
        GlobalFree(pd.hDevNames);

    bool result = false;
    if (ok && pd.hDC) {
        this->hDC = pd.hDC;
        FirstPage = 1;
        result = true;
        if (range) {
            if (pd.Flags & PD_SELECTION) {
                ORVAK_ASSERT(current != -1);
                if (current != -1)
                    *from = *to = current;
                else {
                    *from = pd.nFromPage;
                    *to = pd.nToPage;
                }
            } else {
                *from = pd.nFromPage;
                *to = pd.nToPage;
            }
        }
        if (selection)
            *selection = (pd.Flags & PD_SELECTION) ? 1 : 0;
        if (copies)
            *copies = pd.nCopies;
    } else if (pd.hDC) {
        DeleteDC(pd.hDC);
    }
    LOGIT::Printf("PRINTER::PrinterDialog returns %d\n", result ? 1 : 0);
    return result;
}

bool PRINTER::PrinterOpen(const char *name, const STRING *devmode)
{
    HOLD hold(Lock);
    if (this->hDC) {
        ORVAK_ASSERT(!this->hDC);
        return false;
    }
    DEVMODECOPY dm(devmode);
    if (devmode && devmode->NotEmpty() && !dm.Get()) {
        LOGIT::Printf("PRINTER::PrinterOpen ignores %d bytes that hold no whole DEVMODE\n", devmode->Length());
        PRINTER_FAIL("DevmodeBytes(*pdevmode)>0");
    }
    const STRING devname = dm.DeviceName();
    LOGIT::Printf("PRINTER::PrinterOpen name= %s, pdm->dmDeviceName= %s\n", name ? name : "<none>",
                  dm.Get() ? devname.GetBuffer() : "<none>");
    if (dm.Get())
        LOGIT::PrintfLevel(2, "PRINTER::PrinterOpen pdm-data(%d)=%s\n", static_cast<int>(dm.Size()),
                           STRING::FromBytes(dm.Get(), static_cast<STRING_SIZE_T>(dm.Size())).ToHex().GetBuffer());
    FirstPage = 1;
    Layout.LineFeedOnly = 0;
    Layout.ClearMargins();

    const bool named = name && *name;
    const char *device = named ? name : devname.GetBuffer();
    if (!device || !*device) {
        LOGIT::Printf("PRINTER::PrinterOpen has neither a printer name nor a DEVMODE name\n");
        return false;
    }
    HDC dc = CreateDCA("WINSPOOL", device, nullptr, dm.Get());
    if (!dc) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::PrinterOpen CreateDCA(%s) failed: %lu\n", device, err);
    }
    if (!dc && !named && devname.NotEmpty()) {
        // The DEVMODE keeps only the first characters of a long name: take the one printer whose
        // name begins with them.
        std::vector<PRINTERENTRY> printers;
        EnumeratePrinters(printers);
        const STRING_SIZE_T len = devname.Length();
        STRING match;
        for (const PRINTERENTRY &p : printers) {
            if (p.Name.Length() < len || STR::stricmp(p.Name.Left(len), devname) != 0)
                continue;
            if (match.IsNull()) {
                match = p.Name;
                continue;
            }
            // A second printer with the same beginning: which one was meant cannot be told.
            LOGIT::Printf("PRINTER::PrinterOpen %s is the beginning of %s and %s\n", devname.GetBuffer(),
                          match.GetBuffer(), p.Name.GetBuffer());
            ORVAK_ASSERT_INFO(FALSE, match.GetBuffer());
            match = STRING();
            break;
        }
        if (match.NotEmpty()) {
            LOGIT::Printf("PRINTER::PrinterOpen takes %s for %s\n", match.GetBuffer(), devname.GetBuffer());
            dc = CreateDCA("WINSPOOL", match, nullptr, dm.Get());
            if (!dc) {
                DWORD err = GetLastError();
                LOGIT::Printf("PRINTER::PrinterOpen CreateDCA(%s) failed: %lu\n", match.GetBuffer(), err);
            }
        }
    }
    this->hDC = dc;
    LOGIT::Printf("PRINTER::PrinterOpen returns %d, hdc= %p\n", dc ? 1 : 0, static_cast<void *>(dc));
    return dc != nullptr;
}

int PRINTER::ListPrinters(STRINGARRAY &out)
{
    std::vector<PRINTERENTRY> printers;
    EnumeratePrinters(printers);
    int n = 0;
    for (const PRINTERENTRY &p : printers) {
        STRING text;
        text.Format("%s|%s|%s", p.Name.GetBuffer(), p.Port.GetBuffer(), p.Driver.GetBuffer());
        out.AddItem(text);
        n++;
    }
    LOGIT::Printf("PRINTER::ListPrinters found %d printers\n", n);
    return n;
}

bool PRINTER::GetDriverDirectory(STRING &folder)
{
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, nullptr, 1, nullptr, 0, &needed);
    if (needed == 0) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::GetDriverDirectory GetPrinterDriverDirectoryA failed: %lu\n", err);
        return false;
    }
    std::vector<char> buffer(needed + 1, 0);
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(buffer.data()), needed, &needed)) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::GetDriverDirectory GetPrinterDriverDirectoryA failed: %lu\n", err);
        return false;
    }
    folder = STRING(buffer.data());
    LOGIT::Printf("PRINTER::GetDriverDirectory %s\n", folder.GetBuffer());
    return true;
}

bool PRINTER::SetMargins(int leftmm, int topmm, int rightmm, int bottommm)
{
    HOLD hold(Lock);
    if (!this->hDC) {
        ORVAK_ASSERT(this->hDC);
        return false;
    }
    HDC dc = static_cast<HDC>(hDC);
    Layout.SetMargins(leftmm, topmm, rightmm, bottommm, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                      GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
    LOGIT::Printf("PRINTER::SetMargins %d,%d,%d,%d mm = %d,%d,%d,%d\n", leftmm, topmm, rightmm, bottommm,
                  Layout.Margins.left, Layout.Margins.top, Layout.Margins.right, Layout.Margins.bottom);
    return true;
}

int PRINTER::StartDoc(const char16_t *docname, int lineFeedOnly)
{
    HOLD hold(Lock);
    const STRING name(docname ? docname : u"", -1, 1252);
    LOGIT::Printf("PRINTER::StartDoc %s hdc= %p, hdirect= %p\n", name.GetBuffer(), hDC, static_cast<void *>(nullptr));
    if (!this->hDC) {
        ORVAK_ASSERT(this->hDC);
        return 0;
    }
    FirstPage = 1;
    PageCount = 0;
    Layout.LineFeedOnly = lineFeedOnly;
    for (WSTRING &h : HeaderTexts)
        h = WSTRING();
    DOCINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.lpszDocName = reinterpret_cast<const wchar_t *>(docname ? docname : u"");
    const int rc = StartDocW(static_cast<HDC>(hDC), &info);
    if (rc <= 0) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::StartDoc StartDocW failed: %lu\n", err);
    }
    DocStarted = rc > 0;
    PageOpen = false;
    LOGIT::Printf("PRINTER::StartDoc done\n");
    return rc;
}

int PRINTER::StartDocAnsi(const char *docname, int lineFeedOnly)
{
    const WSTRING name(docname ? docname : "", 1252);
    return StartDoc(name.GetBuffer(), lineFeedOnly);
}

bool PRINTER::SetHeaderText(int which, const char16_t *text)
{
    HOLD hold(Lock);
    if (which < 0 || which > 2) {
        ORVAK_ASSERT(which >= 0 && which <= 2);
        return false;
    }
    HeaderTexts[which] = text ? WSTRING(text) : WSTRING();
    return true;
}

void PRINTER::DrawHeader()
{
    HDC dc = static_cast<HDC>(hDC);
    bool any = false;
    for (const WSTRING &h : HeaderTexts)
        any = any || h.NotEmpty();
    if (!any)
        return;
    TEXTMETRICW tm;
    std::memset(&tm, 0, sizeof tm);
    GetTextMetricsW(dc, &tm);
    HFONT hfont = CreateFontA(tm.tmHeight * 8 / 10, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial");
    if (!hfont) {
        ORVAK_ASSERT(hfont);
        return;
    }
    HGDIOBJ previous = SelectObject(dc, hfont);

    wchar_t user[256] = L"", computer[MAX_COMPUTERNAME_LENGTH + 2] = L"", date[128] = L"", time[128] = L"";
    DWORD n = sizeof user / sizeof user[0];
    if (!GetUserNameW(user, &n))
        user[0] = 0;
    n = sizeof computer / sizeof computer[0];
    if (!GetComputerNameW(computer, &n))
        computer[0] = 0;
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date / sizeof date[0]))
        date[0] = 0;
    if (!GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof time / sizeof time[0]))
        time[0] = 0;

    const int dpix = GetDeviceCaps(dc, LOGPIXELSX);
    const int y = PRINTLAYOUT::HeaderY(GetDeviceCaps(dc, LOGPIXELSY));
    static const UINT align[3] = {TA_LEFT, TA_CENTER, TA_RIGHT};
    for (int i = 0; i < 3; i++) {
        if (HeaderTexts[i].IsEmpty())
            continue;
        const WSTRING text = PRINTLAYOUT::ExpandHeader(
            HeaderTexts[i], reinterpret_cast<const char16_t *>(user), reinterpret_cast<const char16_t *>(computer),
            reinterpret_cast<const char16_t *>(date), reinterpret_cast<const char16_t *>(time), PageCount);
        SetTextAlign(dc, align[i] | TA_TOP | TA_NOUPDATECP);
        TextOutW(dc, Layout.HeaderX(i, dpix), y, text.GetWide(), text.Length());
    }
    SelectObject(dc, previous);
    DeleteObject(hfont);
}

int PRINTER::NewPage()
{
    HOLD hold(Lock);
    if (!this->hDC) {
        ORVAK_ASSERT(this->hDC);
        return 0;
    }
    HDC dc = static_cast<HDC>(hDC);
    if (PageOpen) {
        EndPage(dc);
        PageOpen = false;
    }
    const int rc = StartPage(dc);
    if (rc > 0) {
        PageOpen = true;
        PageCount++;
        SetMapMode(dc, MM_TEXT);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        DrawHeader();
        SetTextAlign(dc, TA_LEFT | TA_TOP | TA_UPDATECP);
        if (hFont)
            SelectObject(dc, static_cast<HFONT>(hFont));
        SIZE cell = {0, 0};
        GetTextExtentPoint32W(dc, L"X", 1, &cell);
        Layout.CellWidth = cell.cx;
        Layout.CellHeight = cell.cy;
        Layout.Home();
        LOGIT::Printf("PRINTER::NewPage for page #%d done\n", PageCount);
    } else {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::NewPage StartPage failed: %lu\n", err);
    }
    FirstPage = 0;
    LOGIT::Printf("PRINTER::NewPage done, ok= %d\n", rc > 0 ? 1 : 0);
    return rc;
}

bool PRINTER::PAGEDEVICE::DrawRun(const char16_t *text, int count, int *newx)
{
    HDC dc = static_cast<HDC>(Owner.hDC);
    // The device keeps the current position (TA_UPDATECP): start it where the layout says and
    // read back where the text ended.
    MoveToEx(dc, Owner.Layout.X, Owner.Layout.Y, nullptr);
    if (!TextOutW(dc, 0, 0, reinterpret_cast<const wchar_t *>(text), count)) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::WriteText TextOutW failed: %lu\n", err);
        return false;
    }
    POINT pt = {Owner.Layout.X, Owner.Layout.Y};
    GetCurrentPositionEx(dc, &pt);
    *newx = pt.x;
    return true;
}

bool PRINTER::PAGEDEVICE::NewPage()
{
    return Owner.NewPage() > 0;
}

bool PRINTER::WriteText(const char16_t *text, int length)
{
    HOLD hold(Lock);
    LOGIT::Printf("PRINTER::WriteText %d bytes hdc= %p, hdirect= %p\n", length, hDC, static_cast<void *>(nullptr));
    if (!this->hDC) {
        ORVAK_ASSERT(this->hDC);
        return false;
    }
    if (!(Layout.Margins.bottom > 0)) {
        PRINTER_FAIL("this->Margins.bottom>0");
        return false;
    }
    if (!Layout.HasArea()) {
        PRINTER_FAIL("this->Margins.right>this->Margins.left && this->Margins.bottom>this->Margins.top");
        return false;
    }
    if (!PageOpen) {
        if (!DocStarted) {
            PRINTER_FAIL("this->DocStarted");
            return false;
        }
        // Text before the first page would be lost: start it.
        if (NewPage() <= 0)
            return false;
    }
    const bool ok = Layout.WriteText(text, length, Device);
    LOGIT::Printf("PRINTER::WriteText %d bytes done, ok= %d\n", length, ok ? 1 : 0);
    return ok;
}

bool PRINTER::WriteTextAnsi(const char *text, int length)
{
    HOLD hold(Lock);
    if (!text)
        return WriteText(nullptr, 0);
    const WSTRING wide(text, length, CodePage);
    return WriteText(wide.GetBuffer() ? wide.GetBuffer() : u"", wide.Length());
}

bool PRINTER::SetFont(const char *face, int points, int bold, int italic, int fixedPitch, int codepage)
{
    HOLD hold(Lock);
    CodePage = codepage;
    if (!this->hDC) {
        ORVAK_ASSERT(this->hDC);
        return false;
    }
    HDC dc = static_cast<HDC>(hDC);
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = points * GetDeviceCaps(dc, LOGPIXELSY) / 72;
    switch (codepage) {
    case 437:
    case 737:
    case 850:
    case 852:
    case 866:
    case 878:
        lf.lfCharSet = OEM_CHARSET;
        break;
    default:
        lf.lfCharSet = static_cast<BYTE>(WINDRAW::CodePageToCharset(codepage, DEFAULT_CHARSET));
        break;
    }
    lf.lfItalic = italic ? 1 : 0;
    lf.lfWeight = bold ? 700 : 400;
    lf.lfPitchAndFamily = fixedPitch ? (FIXED_PITCH | FF_MODERN) : 0;
    if (face)
        lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    if (!font) {
        PRINTER_FAIL("this->hFont");
        return false;
    }
    // The new font goes in before the old one is deleted: a font selected in a DC must not be.
    SelectObject(dc, font);
    FreeFont();
    hFont = font;
    LOGIT::Printf("PRINTER::SetFont %s %d pt, bold= %d, italic= %d, fixed= %d, codepage= %d\n", face ? face : "",
                  points, bold, italic, fixedPitch, codepage);
    // Measure the cell now as well, so that a font changed in the middle of a page applies at once.
    SIZE cell = {0, 0};
    if (GetTextExtentPoint32W(dc, L"X", 1, &cell)) {
        Layout.CellWidth = cell.cx;
        Layout.CellHeight = cell.cy;
    }
    return true;
}

bool PRINTER::PrintBitmap(void *hdcBitmap, int width, int height, int frame, int xpct, int ypct, int scale)
{
    HOLD hold(Lock);
    if (!this->hDC) {
        ORVAK_ASSERT(this->hDC);
        return false;
    }
    HDC dc = static_cast<HDC>(hDC);
    const PRINTLAYOUT::PLACE place =
        PRINTLAYOUT::PlaceBitmap(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSX),
                                 GetDeviceCaps(dc, LOGPIXELSY), width, height, xpct, ypct, scale);
    LOGIT::Printf("PRINTER::PrintBitmap %dx%d at %d,%d size %dx%d\n", width, height, place.x, place.y, place.cx,
                  place.cy);
    bool ok = StretchBlt(dc, place.x, place.y, place.cx, place.cy, static_cast<HDC>(hdcBitmap), 0, 0, width, height,
                         SRCCOPY) != FALSE;
    if (!ok) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::PrintBitmap StretchBlt failed: %lu\n", err);
    }
    if (frame) {
        POINT saved;
        MoveToEx(dc, place.x, place.y, &saved);
        LineTo(dc, place.x + place.cx, place.y);
        LineTo(dc, place.x + place.cx, place.y + place.cy);
        LineTo(dc, place.x, place.y + place.cy);
        LineTo(dc, place.x, place.y);
        MoveToEx(dc, saved.x, saved.y, nullptr);
    }
    return ok;
}

void PRINTER::GetPosition(int *xpct, int *ypct)
{
    HOLD hold(Lock);
    Layout.GetPosition(xpct, ypct);
}

void PRINTER::SetPosition(int xpct, int ypct)
{
    HOLD hold(Lock);
    Layout.SetPosition(xpct, ypct);
}

bool PRINTER::EndDoc()
{
    HOLD hold(Lock);
    if (!this->hDC) {
        ORVAK_ASSERT(this->hDC);
        return false;
    }
    HDC dc = static_cast<HDC>(hDC);
    bool ok = DocStarted;
    if (PageOpen && EndPage(dc) <= 0)
        ok = false;
    if (DocStarted && ::EndDoc(dc) <= 0) {
        DWORD err = GetLastError();
        LOGIT::Printf("PRINTER::EndDoc EndDoc failed: %lu\n", err);
        ok = false;
    }
    DeleteDC(dc);
    hDC = nullptr;
    // The page font was made for this device's resolution.
    FreeFont();
    DocStarted = false;
    PageOpen = false;
    LOGIT::Printf("PRINTER::EndDoc done, %d pages, ok= %d\n", PageCount, ok ? 1 : 0);
    return ok;
}

bool PRINTER::HasDC()
{
    HOLD hold(Lock);
    return hDC != nullptr;
}

int PRINTER::GetPageCount()
{
    HOLD hold(Lock);
    return PageCount;
}

PRINTLAYOUT::BOX PRINTER::GetMargins()
{
    HOLD hold(Lock);
    return Layout.Margins;
}

void PRINTER::GetCharCell(int *cx, int *cy)
{
    HOLD hold(Lock);
    if (cx)
        *cx = Layout.CellWidth;
    if (cy)
        *cy = Layout.CellHeight;
}

void PRINTER::GetDevicePosition(int *x, int *y)
{
    HOLD hold(Lock);
    if (x)
        *x = Layout.X;
    if (y)
        *y = Layout.Y;
}
