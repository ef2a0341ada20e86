// The gallery: shows one window of the class library on sample data so that tools/gallery.sh can
// take its picture.
//     gallery.exe NAME RECTFILE DONEFILE
// shows the window NAME ("window", "drawing", "controls", "lists", "popup",
// "toolbar-wide", "toolbar-narrow"), writes its screen rectangle as "left top right
// bottom" into RECTFILE once it is painted, and ends when DONEFILE exists (at most 60 s later).  The
// boxes and dialogs that run modally ("info-box", "remembered-box", "remembered-box-yesno",
// "tip-of-day", "open-file", "datadialog", "datadialog-tabs", "datadialog-tabs-second", "workdir", "wizard-first", "wizard-last") are shown on the English language library; a thread of the gallery
// reports the dialog's rectangle and ends it once DONEFILE exists.
#include <windows.h>

#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/stringarray.h"
#include "kestar/base/workdir.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/winorvak.h"
#include "kestar/windowing/button.h"
#include "kestar/windowing/checklist.h"
#include "kestar/windowing/datadialogbox.h"
#include "kestar/windowing/datadialogcheck.h"
#include "kestar/windowing/datadialogdatetime.h"
#include "kestar/windowing/datadialogentry.h"
#include "kestar/windowing/datadialoglistindex.h"
#include "kestar/windowing/datadialoglistmulti.h"
#include "kestar/windowing/datadialogpush.h"
#include "kestar/windowing/datadialogradio.h"
#include "kestar/windowing/datadialogspin.h"
#include "kestar/windowing/datadialogtabs.h"
#include "kestar/windowing/dialog.h"
#include "kestar/windowing/drawcontext.h"
#include "kestar/windowing/filedialog.h"
#include "kestar/windowing/listbox.h"
#include "kestar/windowing/listview.h"
#include "kestar/windowing/memorybitmap.h"
#include "kestar/windowing/newtoolbar.h"
#include "kestar/windowing/ownerdraw.h"
#include "kestar/windowing/remembermsgbox.h"
#include "kestar/windowing/semitooltip.h"
#include "kestar/windowing/splitter.h"
#include "kestar/windowing/statusbar.h"
#include "kestar/windowing/tabcontrol.h"
#include "kestar/windowing/tipofday.h"
#include "kestar/windowing/treeview.h"
#include "kestar/windowing/updown.h"
#include "kestar/windowing/window.h"
#include "kestar/windowing/windraw.h"
#include "kestar/windowing/wizard.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const int kMenu = 100;
const int kControls = 200;
const int kLists = 300;

// The drawing sheet: frames of every mode, gradients with and without GradientFill, lines and
// fills with alpha, and the program's font texts, painted through a memory bitmap.
class DRAWINGSHEET : public WINDOW {
public:
    DRAWINGSHEET()
        : WINDOW(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, "Drawing sheet", 20, 20, 780, 600, nullptr, 0, 0)
    {
    }

    LRESULT OnPaint() override
    {
        PAINTSTRUCT paint;
        BeginPaint(&paint);
        RECT client = GetClientRect();
        MEMORYBITMAP bitmap(hWnd, client.right, client.bottom);
        DRAWCONTEXT dc(bitmap.GetDC(), client);
        dc.FillRect(client, 0x00F0F0F0);
        HFONT label = WINDRAW::CreateFontFromSpec(hWnd, "8.MS Shell Dlg", 1252);
        dc.SelectFont(label);
        SetBkMode(dc.GetHdc(), TRANSPARENT);

        // Frames: the five modes of Draw3DFrame, filled and not, and DrawFrame.
        Label(dc, 10, 8, L"Draw3DFrame modes 1, 2, -1, -2, 0 (filled below), DrawFrame");
        const int modes[] = {1, 2, -1, -2, 0};
        for (int i = 0; i < 5; ++i) {
            RECT r = {10 + i * 110, 26, 100 + i * 110, 66};
            dc.Draw3DFrame(r, modes[i], false, 0x00C08040);
            RECT f = {10 + i * 110, 74, 100 + i * 110, 114};
            dc.Draw3DFrame(f, modes[i], true, 0x00C8E8FF);
        }
        RECT frame = {560, 26, 760, 114};
        dc.DrawFrame(frame, 0x000000C0, 0x00E0FFE0);

        // Gradients, with GradientFill and with the band fallback.
        Label(dc, 10, 124, L"Gradient with GradientFill: horizontal, vertical, clipped");
        RECT g1 = {10, 142, 250, 222}, g2 = {260, 142, 500, 222}, g3 = {510, 142, 760, 222};
        dc.Gradient(g1, 0x00803000, 0x00FFE0C0, false, nullptr);
        dc.Gradient(g2, 0x00000080, 0x0080FFFF, true, nullptr);
        RECT clip = {540, 160, 730, 205};
        dc.Gradient(g3, 0x00008000, 0x00C0FFC0, false, &clip);
        Label(dc, 10, 230, L"Gradient without GradientFill (older system): horizontal lines, vertical bands");
        OSYS::SetOsVersionIdOverride(1);
        DRAWCONTEXT::ForgetGradientFill();
        RECT g4 = {10, 248, 250, 328}, g5 = {260, 248, 500, 328};
        dc.Gradient(g4, 0x00803000, 0x00FFE0C0, false, nullptr);
        dc.Gradient(g5, 0x00000080, 0x0080FFFF, true, nullptr);
        OSYS::SetOsVersionIdOverride(-1);
        RECT g6 = {510, 248, 760, 328};
        dc.Gradient(g6, 0x00606060, 0x00606060, true, nullptr);

        // Alpha: lines take the top byte as opacity, fills as transparency.
        Label(dc, 10, 338, L"Alpha lines (opacity 0x20..0xE0) and fills (transparency 0x20..0xE0) over stripes");
        for (int x = 10; x < 760; x += 20) {
            RECT stripe = {x, 356, x + 10, 436};
            dc.FillRect(stripe, 0x00404040);
        }
        for (int i = 0; i < 7; ++i) {
            uint32_t alpha = static_cast<uint32_t>(0x20 + i * 0x20) << 24;
            dc.DrawLine(10, 360 + i * 4, 370, 372 + i * 8, alpha | 0x00FF0000);
            RECT fill = {390 + i * 52, 360, 436 + i * 52, 432};
            dc.FillRect(fill, alpha | 0x000000FF);
        }

        // The program's font texts, each in its own font.
        Label(dc, 10, 446, L"Font texts");
        const char *specs[] = {"8B.MS Shell Dlg", "10.MS Shell Dlg", "14B.MS Shell Dlg", "10f.Helv", "13BI.Arial"};
        int y = 464;
        for (const char *spec : specs) {
            HFONT font = WINDRAW::CreateFontFromSpec(hWnd, spec, 1252);
            HGDIOBJ old = SelectObject(dc.GetHdc(), font);
            wchar_t text[64];
            std::swprintf(text, 64, L"%hs  0123 AaBbCc", spec);
            dc.TextOut(10 + (y > 520 ? 380 : 0), y > 520 ? y - 66 : y, text, -1, nullptr);
            SelectObject(dc.GetHdc(), old);
            DeleteObject(font);
            y += 22;
        }
        dc.RestoreFont(label);
        DeleteObject(label);
        bitmap.BitBlt(0, 0, paint.hdc);
        EndPaint(&paint);
        return 1;
    }

private:
    static void Label(DRAWCONTEXT &dc, int x, int y, const wchar_t *text) { dc.TextOut(x, y, text, -1, nullptr); }
};

// The controls sheet: a dialog of the gallery's template with push buttons (one with the
// shield), a list, a combo, an owner-drawn combo with icons, an edit with an up-down control and
// a status bar of three parts with icons.
class CONTROLSSHEET : public DIALOG {
public:
    CONTROLSSHEET() : DIALOG(kControls, nullptr, GetModuleHandleA(nullptr)), Status(hWnd, 299)
    {
        BUTTON shield(hWnd, 204);
        shield.SetShield(true);
        LISTBOX list(hWnd, 210);
        list.AddTextList("Archive|Phone book|Targets|Users|Options", '|', -1);
        list.Select(1, true);
        LISTBOX combo(hWnd, 211);
        combo.AddTextList("Fax|Voice|SMS", '|', -1);
        combo.Select(0, true);
        LISTBOX icons(hWnd, 212);
        icons.AddText("##ICON=1,Product");
        icons.AddText("##ICON=2,Test icon");
        icons.Select(0, true);
        Updown.reset(new UPDOWN(hWnd, 214, 213, 0, 0));
        Updown->SetRange(0, 99999);
        Updown->SetPos(1234);
        const int widths[] = {160, -100, 120};
        Status.SetParts(3, widths);
        Status.SetText(0, "    Ready");
        Status.SetText(1, "    3 calls, 1 fax");
        Status.SetText(2, "    Connected");
        Status.SetIcon(1, 0);
        Status.SetIcon(2, 2);
        Status.Show(true);
    }

    LRESULT DlgProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_DRAWITEM && wParam == 212) {
            DrawIconItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
            return 1;
        }
        return DIALOG::DlgProc(message, wParam, lParam);
    }

private:
    void DrawIconItem(const DRAWITEMSTRUCT *item)
    {
        const char *text = item->itemID == static_cast<UINT>(-1) ? nullptr : OWNERDRAW::OwnedText(item->itemData);
        bool selected = (item->itemState & ODS_SELECTED) != 0;
        FillRect(item->hDC, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        if (text == nullptr)
            return;
        int id = std::atoi(text + 7);
        const char *label = std::strchr(text, ',');
        int size = WINDOW::GetIconSizeForDpi(16, hWnd);
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
        int top = item->rcItem.top + (item->rcItem.bottom - item->rcItem.top - size) / 2;
        if (icon) {
            DrawIconEx(item->hDC, item->rcItem.left + 2, top, icon, size, size, 0, nullptr, DI_NORMAL);
            DestroyIcon(icon);
        }
        SetBkMode(item->hDC, TRANSPARENT);
        SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT rest = item->rcItem;
        rest.left += size + 6;
        if (label)
            DrawTextA(item->hDC, label + 1, -1, &rest, DT_SINGLELINE | DT_VCENTER);
    }

    STATUSBAR Status;
    std::unique_ptr<UPDOWN> Updown;
};

// A frame with two toolbars, small symbols over large ones, on the gallery's menu (whose items get
// the button images).  Narrow, the texts drop from the right and buttons that still do not fit go.
class TOOLBARSHEET : public WINDOW {
public:
    explicit TOOLBARSHEET(int width)
        : WINDOW(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, "Toolbar", 20, 20, width, 200, nullptr, 0, kMenu)
    {
        Small.reset(new NEWTOOLBAR(hWnd, 2005, 16, 16));
        Large.reset(new NEWTOOLBAR(hWnd, 2006, 32, 32));
        for (NEWTOOLBAR *bar : {Small.get(), Large.get()}) {
            using namespace TOOLBARMATH;
            bar->AddButton(101, STYLE_TEXT, "&Open...\tCtrl+O", 1);
            bar->AddButton(102, STYLE_TEXT | STYLE_ARROW, "&Print...", 2);
            bar->AddButton(111, STYLE_CHECK | STYLE_GROUP | STYLE_GAP | STYLE_TEXT, "&Archive", 1);
            bar->AddButton(112, STYLE_CHECK | STYLE_GROUP | STYLE_TEXT, "&Phone book", 2);
            bar->AddButton(121, STYLE_GAP, 1);
            bar->AddButton(103, STYLE_DROPDOWN, 2);
            bar->CheckButton(111, true);
            bar->EnableButton(121, false);
            bar->Show(true);
        }
        Small->AttachMenu(GetMenu(hWnd), kMenu, false);
        int y = Small->Resize(0);
        Large->Resize(y + 4);
    }
    ~TOOLBARSHEET() override
    {
        Large.reset();
        Small.reset();
    }

private:
    std::unique_ptr<NEWTOOLBAR> Small, Large;
};

// The lists sheet: a tree of three levels and a list view with images and a sort arrow, a
// splitter between them, and below a tab control of two pages, the first a check list.
class LISTSSHEET : public DIALOG {
public:
    LISTSSHEET() : DIALOG(kLists, nullptr, GetModuleHandleA(nullptr))
    {
        RECT client = GetClientRect();
        RECT tabRect = CONTROL(hWnd, 310).GetRect();
        int top = 10, bottom = tabRect.top - 10, split = 230;
        Tree.reset(new TREEVIEW(WS_VISIBLE | WS_BORDER, 10, top, split - 10, bottom - top, hWnd, 320));
        const int icons[] = {1, 2};
        Tree->SetImages(16, 16, icons, 2, true, true);
        Tree->InsertRootItem(1, 0, "Office 030 555 100");
        Tree->InsertChildItem(11, 1, 1, "Answering machine");
        Tree->InsertChildItem(111, 11, 1, "Greeting: weekdays");
        Tree->InsertChildItem(112, 11, 1, "Greeting: holidays");
        Tree->InsertChildItem(12, 1, 1, "Fax");
        Tree->InsertRootItem(2, 0, "Home 030 555 200");
        Tree->InsertChildItem(21, 2, 1, "Call forwarding");
        Tree->InsertChildItem(211, 21, 1, "To the mobile");
        Tree->SelectItem(111);
        SendMessageA(Tree->hWnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Tree->FindItem(11)));
        SendMessageA(Tree->hWnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Tree->FindItem(2)));
        SendMessageA(Tree->hWnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(Tree->FindItem(21)));

        List.reset(new LISTVIEW(WS_VISIBLE, split + 5, top, client.right - 10 - split - 5, bottom - top, hWnd, 330,
                                WS_EX_CLIENTEDGE));
        List->SetImages(16, 16, icons, 2, true, GetModuleHandleA(nullptr));
        List->SetFullRowSelect(true);
        List->InsertColumnText(0, "Caller", 110);
        List->InsertColumnText(1, "Number", 100);
        List->InsertColumnText(2, "Kind", 70, LVCFMT_RIGHT);
        List->InsertRecordText(1, 0, "Weber\t030 555 123\tFax");
        List->InsertRecordText(2, 1, "smith\t040 555 987\tVoice");
        List->InsertRecordText(3, 0, "Becker\t089 555 456\tSMS");
        List->InsertRecordText(4, 1, "Smith\t030 555 001\tVoice");
        List->InsertRecordText(5, 0, "Klein\t0221 555 77\tFax");
        List->SortByColumn(0, 0, LISTVIEW::DefaultCompare, nullptr);
        List->SelectRecord(3, 4);

        Bar.reset(new SPLITTER(Tree->hWnd, List->hWnd, *this));
        Bar->SetMargins(top, client.bottom - bottom);
        Bar->MoveToX(split);
        Bar->OnParentSize();

        Tab.reset(new TABCONTROL(hWnd, 310));
        Checks.reset(new CHECKLIST(hWnd, 340, 311));
        Checks->SetChecked(0, true);
        Checks->SetChecked(3, true);
        Tab->AddPage("Options", Checks->hWnd);
        Tab->AddPage("Sound", GetDlgItem(hWnd, 312));
        Tab->PageChanged(0);
    }

private:
    std::unique_ptr<TREEVIEW> Tree;
    std::unique_ptr<LISTVIEW> List;
    std::unique_ptr<SPLITTER> Bar;
    std::unique_ptr<TABCONTROL> Tab;
    std::unique_ptr<CHECKLIST> Checks;
};

bool FileExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The rectangle of a window into the file the script waits for.
void ReportRect(HWND window, const char *rectFile)
{
    RECT rect = WINDOW(window).GetRect();
    if (FILE *f = std::fopen(rectFile, "w")) {
        std::fprintf(f, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        std::fclose(f);
    }
}

// For the modal boxes: finds the dialog the main thread puts up, reports it once painted and
// ends it with its button once the script is done.
struct MODALREPORT {
    DWORD thread;
    const char *rectFile;
    const char *doneFile;
    int button;
};

BOOL CALLBACK FindThreadDialog(HWND window, LPARAM param)
{
    HWND *found = reinterpret_cast<HWND *>(param);
    char cls[32];
    if (IsWindowVisible(window) && GetClassNameA(window, cls, sizeof cls) && std::strcmp(cls, "#32770") == 0) {
        *found = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI ReportModal(void *param)
{
    const MODALREPORT *report = static_cast<const MODALREPORT *>(param);
    HWND dialog = nullptr;
    for (int i = 0; i < 600 && dialog == nullptr; ++i) {
        EnumThreadWindows(report->thread, FindThreadDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr)
            Sleep(100);
    }
    if (dialog == nullptr)
        return 1;
    Sleep(1000); // painted, and the file dialog has filled its list
    ReportRect(dialog, report->rectFile);
    DWORD deadline = GetTickCount() + 60000;
    while (!FileExists(report->doneFile) && GetTickCount() < deadline)
        Sleep(50);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(report->button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, report->button)));
    return 0;
}

const char kSampleTips[] =
    "[TIP]\r\ntitle=Faxes from every program\r\n"
    "Print a document on the fax printer and the send-fax dialog opens with its pages.\r\n"
    "\r\n"
    "The fax goes out through the phone server; the list of calls shows when it was sent.\r\n"
    "[TIP]\r\nYou can choose how often these tips are shown in the list below.\r\n";

// The data-bound dialogs of the gallery on sample values; the gallery's own templates 400-403.
void ShowDataDialog()
{
    HMODULE program = GetModuleHandleA(nullptr);
    STRING cover("1"), archive("0"), resolution("0"), retries("3"), header("Parlomatix fax"), line("1");
    STRING people("7|9"), when("1700000000"), browse("Pick a file|");
    STRINGARRAY lines("Line 1 (office)|Line 2 (fax)|Line 3 (home)", "|");
    HASHLIST records;
    const char *names[] = {"Anna Berg", "Bert Cole", "Cleo Dunn"};
    const char *ids[] = {"7", "8", "9"};
    for (int i = 0; i < 3; i++) {
        HASH r;
        r["Name"] = names[i];
        r["Id"] = ids[i];
        records.AddItem(r);
    }
    DATADIALOGBOX box(400, static_cast<HWND>(nullptr), program);
    box.AddItem(new DATADIALOGCHECK(210, cover));
    box.AddItem(new DATADIALOGCHECK(211, archive));
    box.AddItem(new DATADIALOGRADIO(212, resolution, 0));
    box.AddItem(new DATADIALOGRADIO(213, resolution, 1));
    box.AddItem(new DATADIALOGSPIN(214, retries, 0, 9));
    box.AddItem(new DATADIALOGENTRY(215, header, 40));
    box.AddItem(new DATADIALOGLISTINDEX(216, line, &lines));
    box.AddItem(new DATADIALOGLISTMULTI(217, people, &records, "Name", "Id"));
    box.AddItem(new DATADIALOGDATETIME(218, when));
    box.AddItem(new DATADIALOGPUSH(219, browse, DATADIALOGPUSH::BrowseFile, nullptr, 215));
    // The retries only count with the archive copy; the header only with a cover page.
    box.AddDisableItem(214, 211, 1, "");
    box.AddDisableItem(215, 210, 1, "");
    box.DoModal();
}

void ShowTabbedDialog(int startPage)
{
    HMODULE program = GetModuleHandleA(nullptr);
    STRING announce("1"), popup("0"), tone("C:\\Sounds\\ring.wav"), seconds("8");
    WINDOW none;
    DATADIALOGTABS tabs(401, none, 901, program);
    DATADIALOG *calls = tabs.NewPage(402, "Calls");
    DATADIALOG *sounds = tabs.NewPage(403, "Sounds");
    calls->AddItem(new DATADIALOGCHECK(220, announce));
    calls->AddItem(new DATADIALOGCHECK(221, popup));
    sounds->AddItem(new DATADIALOGENTRY(222, tone, 200));
    sounds->AddItem(new DATADIALOGSPIN(223, seconds, 1, 60));
    // The pop-up time belongs to the pop-up switch on the other page.
    sounds->AddDisableItem(sounds->hWnd, 223, calls->hWnd, 221, 1, "");
    tabs.DoModal(startPage);
}

// The wizard on the language library's frame with the gallery's pages 404 and 405.  The step to
// picture waits for the script's button; the other one moves on by itself.
struct WIZARDSAMPLE {
    int shownStep; // the index of the step in the picture
    STRING numbers[3];
    STRING names[3];
};

int WizardStep(WIZARD *wizard, DATADIALOG *page, int idstep, void *data)
{
    WIZARDSAMPLE *sample = static_cast<WIZARDSAMPLE *>(data);
    int index = idstep == 1 ? 0 : 1;
    if (index == 0) {
        for (int i = 0; i < 3; i++) {
            page->AddItem(new DATADIALOGENTRY(201 + 2 * i, sample->numbers[i], 64));
            page->AddItem(new DATADIALOGENTRY(202 + 2 * i, sample->names[i], 64));
        }
    }
    if (index != sample->shownStep)
        PostMessageA(wizard->hWnd, WM_COMMAND, MAKEWPARAM(WIZARD::ID_NEXT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(wizard->hWnd, WIZARD::ID_NEXT)));
    return wizard->RunStep();
}

void ShowWizard(int shownStep)
{
    HMODULE program = GetModuleHandleA(nullptr);
    WIZARDSAMPLE sample = {shownStep, {"301234567", "301234568", ""}, {"Office", "Office fax", ""}};
    WIZARD wizard(10702, nullptr, "Do you want to go on with the set-up?", -1);
    wizard.AddStep(1, 404, program, WizardStep, &sample);
    wizard.AddStep(9, 405, program, WizardStep, &sample);
    wizard.Run();
}

// Shows one of the modal boxes on the main thread; 0 when the name is one of them.
int ShowModal(const char *name, const char *rectFile, const char *doneFile)
{
    struct ENTRY {
        const char *name;
        int button;
    } entries[] = {{"info-box", IDOK}, {"remembered-box", IDOK}, {"remembered-box-yesno", IDNO},
                   {"tip-of-day", IDCANCEL}, {"open-file", IDCANCEL}, {"datadialog", IDCANCEL},
                   {"datadialog-tabs", IDCANCEL}, {"datadialog-tabs-second", IDCANCEL}, {"workdir", IDCANCEL},
                   {"wizard-first", WIZARD::ID_NEXT}, {"wizard-last", WIZARD::ID_NEXT}};
    int button = -1;
    for (const ENTRY &e : entries)
        if (std::strcmp(name, e.name) == 0)
            button = e.button;
    if (button < 0)
        return 3;
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    char *slash = std::strrchr(program, '\\');
    if (slash)
        std::strcpy(slash + 1, "parlomatixenglish.dll");
    HMODULE english = LoadLibraryA(program);
    if (english == nullptr)
        return 4;
    OSYS::SetLanguageModule(english);
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);

    static MODALREPORT report;
    report = {GetCurrentThreadId(), rectFile, doneFile, button};
    HANDLE thread = CreateThread(nullptr, 0, ReportModal, &report, 0, nullptr);
    HASH settings;
    const char *text = "The phone server has received a fax for you.\n"
                       "It is shown in the list of calls and messages, where you can open, print or forward it.\n\n"
                       "Tip:&nbsp;double-click the entry &rarr; the fax viewer opens.";
    if (std::strcmp(name, "info-box") == 0) {
        WINORVAK::InfoMsgBox(nullptr, nullptr, text);
    } else if (std::strcmp(name, "remembered-box") == 0) {
        WINORVAK::InfoOnceMsgBox(nullptr, nullptr, text, settings, "DontShowAgainGallery");
    } else if (std::strcmp(name, "remembered-box-yesno") == 0) {
        WINORVAK::RememberMsgBox(MB_ICONQUESTION | MB_YESNO, nullptr, nullptr,
                                 "The number is dialled with touch tones through the phone server.\n"
                                 "Do you want to dial it now?", settings, "DontShowAgainGallery");
    } else if (std::strcmp(name, "tip-of-day") == 0) {
        char tips[MAX_PATH];
        GetTempPathA(sizeof tips, tips);
        std::strcat(tips, "gallerytips.txt");
        if (FILE *f = std::fopen(tips, "wb")) {
            std::fputs(kSampleTips, f);
            std::fclose(f);
        }
        WINDOW owner(WS_OVERLAPPEDWINDOW, "Parlomatix", 0, 0, 200, 100, nullptr, 0, 0);
        ShowTipOfDay(owner.hWnd, tips, "ParlomatixGallery", 1);
        DeleteFileA(tips);
    } else if (std::strcmp(name, "datadialog") == 0) {
        ShowDataDialog();
    } else if (std::strcmp(name, "datadialog-tabs") == 0) {
        ShowTabbedDialog(0);
    } else if (std::strcmp(name, "datadialog-tabs-second") == 0) {
        ShowTabbedDialog(1);
    } else if (std::strcmp(name, "wizard-first") == 0) {
        ShowWizard(0);
    } else if (std::strcmp(name, "wizard-last") == 0) {
        ShowWizard(1);
    } else if (std::strcmp(name, "workdir") == 0) {
        // A maker key of the gallery's own that nobody has: the folder field starts empty, and
        // Cancel writes nothing.
        WORKDIR workdir(nullptr, "PlxGallery", nullptr);
        workdir.ChooseWorkDir(nullptr);
    } else {
        AskOpenFilenameDlg(nullptr, "Open fax", "C:\\windows\\",
                           "Faxes|*.sff\nTIFF images|*.tif;*.tiff\nPictures|*.bmp");
    }
    WaitForSingleObject(thread, 70000);
    CloseHandle(thread);
    OSYS::SetLanguageModule(nullptr);
    FreeLibrary(english);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 4) {
        MessageBoxA(nullptr, "gallery.exe NAME RECTFILE DONEFILE", "gallery", MB_OK);
        return 2;
    }
    const char *name = __argv[1];
    // The program stands for the language library: its menu and icon are the samples.
    OSYS::SetLanguageModule(instance);
    std::unique_ptr<WINDOW> window;
    if (std::strcmp(name, "window") == 0) {
        window.reset(new WINDOW(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Parlomatix", 20, 20, 520, 340, nullptr, 0, kMenu));
    } else if (std::strcmp(name, "drawing") == 0) {
        window.reset(new DRAWINGSHEET());
    } else if (std::strcmp(name, "controls") == 0) {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        window.reset(new CONTROLSSHEET());
    } else if (std::strcmp(name, "popup") == 0) {
        const int options[4] = {0, 0, 0, 0};
        window.reset(new SEMITOOLTIP("Call from 0301 234567\n"
                                     "\x1b[b]Anna Berg\x1b[n], Sales\n"
                                     "\x0fMonday 10:42, line 2 to 'Office'\n"
                                     "\x1b[-]\n"
                                     "\x1b[F=255]Urgent: \x1b[B=14745599]call before noon\n"
                                     "\x1b[*=1]Call back\x1b[*=2]Mail\x1b[*]Open",
                                     0x00000000, 0x00F0D0B0, "10.MS Shell Dlg", 5, false, nullptr, 0, options));
    } else if (std::strcmp(name, "toolbar-wide") == 0 || std::strcmp(name, "toolbar-narrow") == 0) {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&init);
        window.reset(new TOOLBARSHEET(std::strcmp(name, "toolbar-wide") == 0 ? 760 : 300));
    } else if (std::strcmp(name, "lists") == 0) {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&init);
        window.reset(new LISTSSHEET());
    } else {
        return ShowModal(name, __argv[2], __argv[3]);
    }
    if (!window->IsValid())
        return 4;
    window->BringToForeground();
    // Paint, then report.
    DWORD until = GetTickCount() + 800;
    while (GetTickCount() < until) {
        WINDOW::WinProcessMessages(100);
        Sleep(20);
    }
    RECT rect = window->GetRect();
    if (FILE *f = std::fopen(__argv[2], "w")) {
        std::fprintf(f, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        std::fclose(f);
    }
    DWORD deadline = GetTickCount() + 60000;
    while (!FileExists(__argv[3]) && GetTickCount() < deadline) {
        WINDOW::WinProcessMessages(100);
        Sleep(50);
    }
    return 0;
}
