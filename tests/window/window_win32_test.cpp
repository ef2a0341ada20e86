// Windows of the class library under Wine: creation and classes, the dispatch table through a
// recording window, the private messages, DPI messages, stored positions, the message-pumping
// wait, transparency, focus and theme texture, and the window of a remote call.
#include "kestar/windowing/control.h"
#include "kestar/windowing/window.h"

#include <commctrl.h>
#include <shlobj.h>

#include "kestar/base/hash.h"
#include "kestar/base/logit.h"
#include "kestar/devices/netproc.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "lang/resource_ids.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/recordingwindow_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace {

// The language library beside the test program is the language module of every test; a test that
// needs the program's own resources points the module there for its duration.
HMODULE LanguageLibrary()
{
    static HMODULE library = [] {
        std::string path = TestProgramFolder() + "\\parlomatixenglish.dll";
        HMODULE module = LoadLibraryA(path.c_str());
        OSYS::SetLanguageModule(module);
        return module;
    }();
    return library;
}

class LANGUAGEMODULE {
public:
    explicit LANGUAGEMODULE(HMODULE module) { OSYS::SetLanguageModule(module); }
    ~LANGUAGEMODULE() { OSYS::SetLanguageModule(LanguageLibrary()); }
};

class WINDOWTEST : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, LanguageLibrary());
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_LINK_CLASS | ICC_TAB_CLASSES};
        InitCommonControlsEx(&init);
        WINDOW::SetDpiScaleOverride(-1);
    }
    void TearDown() override
    {
        WINDOW::SetDpiScaleOverride(-1);
        WINDOW::SetLinkOpener(nullptr);
        WINDOW::WinProcessMessages(1000);
    }
};

HWND Child(HWND parent, const char *className, DWORD style, int id, const char *text = "")
{
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 80, 24, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

std::string ClassOf(HWND window)
{
    char name[128] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The links opened by the dispatcher.
std::vector<std::wstring> gOpened;
bool RecordLink(const wchar_t *url)
{
    gOpened.push_back(url);
    return true;
}

// The queries for the id that a window saw.
int gQueries = 0;
LRESULT CALLBACK CountQueries(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM__QUERYID)
        ++gQueries;
    return 0;
}

} // namespace

TEST_F(WINDOWTEST, OnCreateRunsAfterTheConstructorReturned)
{
    RECORDINGWINDOW window;
    ASSERT_TRUE(window.IsValid());
    EXPECT_EQ(1, window.AutoDestroy);
    EXPECT_EQ(100, window.DpiScale);
    // Not inside CreateWindowExA: only the message loop runs it.
    EXPECT_EQ(std::string::npos, window.Take().find("OnCreate"));
    WINDOW::WinProcessMessages(100);
    EXPECT_EQ(1, std::count(window.Calls.begin(), window.Calls.end(), std::string("OnCreate")));
    EXPECT_TRUE(window.ConstructedBeforeCreate);
}

TEST_F(WINDOWTEST, UnnamedWindowsGetConsecutiveClasses)
{
    WINDOW first(WS_OVERLAPPEDWINDOW, "one", 0, 0, 100, 100, nullptr, 0, 0);
    WINDOW second(WS_OVERLAPPEDWINDOW, "two", 0, 0, 100, 100, nullptr, 0, 0);
    std::string a = ClassOf(first.hWnd), b = ClassOf(second.hWnd);
    int n = -1, m = -1;
    ASSERT_EQ(1, std::sscanf(a.c_str(), "AppWindow%d", &n)) << a;
    ASSERT_EQ(1, std::sscanf(b.c_str(), "AppWindow%d", &m)) << b;
    EXPECT_EQ(n + 1, m);
    EXPECT_EQ("AppWindow" + std::to_string(n), a);
    // A named class is registered once and shared.
    WINDOW named1(WS_OVERLAPPEDWINDOW, "x", 0, 0, 100, 100, nullptr, 0, 0, "PlxSharedTestClass");
    WINDOW named2(WS_OVERLAPPEDWINDOW, "y", 0, 0, 100, 100, nullptr, 0, 0, "PlxSharedTestClass");
    EXPECT_TRUE(named1.IsValid());
    EXPECT_TRUE(named2.IsValid());
    EXPECT_EQ("PlxSharedTestClass", ClassOf(named2.hWnd));
}

TEST_F(WINDOWTEST, DefaultSizedPopupWithoutClientAreaIsRepaired)
{
    WINDOW popup(WS_POPUP, "popup", CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, 0, 0);
    ASSERT_TRUE(popup.IsValid());
    RECT rect;
    GetWindowRect(popup.hWnd, &rect);
    EXPECT_EQ(32, rect.left);
    EXPECT_EQ(32, rect.top);
    EXPECT_EQ(600, rect.right - rect.left);
    EXPECT_EQ(400, rect.bottom - rect.top);
    // An explicit size is left alone.
    WINDOW sized(WS_POPUP, "sized", 5, 6, 70, 80, nullptr, 0, 0);
    GetWindowRect(sized.hWnd, &rect);
    EXPECT_EQ(5, rect.left);
    EXPECT_EQ(70, rect.right - rect.left);
}

TEST_F(WINDOWTEST, MenuAndIconComeFromTheLanguageModule)
{
    HMODULE program = GetModuleHandleA(nullptr);
    {
        LANGUAGEMODULE pointed(program);
        WINDOW window(WS_OVERLAPPEDWINDOW, "menu", 0, 0, 200, 150, nullptr, IDI_TEST_WINDOW, IDM_TEST_MENU);
        ASSERT_TRUE(window.IsValid());
        HMENU menu = GetMenu(window.hWnd);
        ASSERT_NE(nullptr, menu);
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_NE(nullptr, popup);
        EXPECT_EQ(IDM_TEST_FIRST, static_cast<int>(GetMenuItemID(popup, 0)));
        EXPECT_EQ(IDM_TEST_SECOND, static_cast<int>(GetMenuItemID(popup, 1)));
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(LoadIconA(program, MAKEINTRESOURCEA(IDI_TEST_WINDOW))),
                  static_cast<LONG_PTR>(GetClassLongPtrA(window.hWnd, GCLP_HICON)));
    }
    // The program has no icon 1: without an icon of its Id, a window gets the language library's.
    WINDOW plain(WS_OVERLAPPEDWINDOW, "plain", 0, 0, 200, 150, nullptr, 0, 0);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(LoadIconA(LanguageLibrary(), MAKEINTRESOURCEA(IDI_PRODUCT))),
              static_cast<LONG_PTR>(GetClassLongPtrA(plain.hWnd, GCLP_HICON)));
    EXPECT_NE(0, static_cast<LONG_PTR>(GetClassLongPtrA(plain.hWnd, GCLP_HICON)));
    EXPECT_EQ(nullptr, GetMenu(plain.hWnd));
}

TEST_F(WINDOWTEST, WrappersDoNotOwnAndTheOwnerForgetsADestroyedWindow)
{
    auto *owner = new RECORDINGWINDOW();
    HWND handle = owner->hWnd;
    {
        WINDOW wrapper(handle);
        EXPECT_EQ(0, wrapper.AutoDestroy);
        WINDOW copy(*owner);
        EXPECT_EQ(handle, copy.hWnd);
        EXPECT_EQ(0, copy.AutoDestroy);
        WINDOW assigned;
        assigned = *owner;
        EXPECT_EQ(0, assigned.AutoDestroy);
        EXPECT_EQ(-1, assigned.DpiScale);
    }
    EXPECT_TRUE(IsWindow(handle)); // the wrappers left it alone
    owner->Clear();
    DestroyWindow(handle);
    // WM_DESTROY reaches OnDestroy twice; then the object lets go of the handle.
    EXPECT_EQ("OnDestroy OnDestroy", owner->Take());
    EXPECT_EQ(nullptr, owner->hWnd);
    EXPECT_EQ(0, owner->AutoDestroy);
    EXPECT_EQ(0, GetWindowLongPtrA(handle, GWLP_USERDATA));
    // Another window may get the same handle now: deleting the old object leaves it alone.
    WINDOW other(WS_OVERLAPPEDWINDOW, "other", 0, 0, 100, 100, nullptr, 0, 0);
    delete owner;
    EXPECT_TRUE(other.IsValid());
    WINDOW none(static_cast<HWND>(nullptr));
    EXPECT_EQ(-1, none.Id);

    // A window that outlives its object no longer calls into it.
    auto *left = new RECORDINGWINDOW();
    HWND orphan = left->hWnd;
    left->AutoDestroy = 0;
    delete left;
    EXPECT_TRUE(IsWindow(orphan));
    EXPECT_EQ(0, GetWindowLongPtrA(orphan, GWLP_USERDATA));
    SendMessageA(orphan, WM_SIZE, SIZE_RESTORED, 0);
    DestroyWindow(orphan);
}

TEST_F(WINDOWTEST, DispatchTable)
{
    RECORDINGWINDOW window;
    WINDOW::WinProcessMessages(100);
    HWND w = window.hWnd;
    HWND push = Child(w, "Button", BS_PUSHBUTTON, 1001, "Push");
    HWND help = Child(w, "Button", BS_PUSHBUTTON, IDHELP, "Help");
    HWND contextHelp = Child(w, "Button", BS_DEFPUSHBUTTON, 0xFFFC, "?");
    HWND check = Child(w, "Button", BS_AUTOCHECKBOX, 1002, "Check");
    HWND edit = Child(w, "Edit", 0, 1003);
    HWND list = Child(w, WC_LISTVIEWA, LVS_REPORT, 1004);
    HWND tab = Child(w, WC_TABCONTROLA, 0, 1005);
    HWND tree = Child(w, WC_TREEVIEWA, 0, 1006);
    HWND status = Child(w, STATUSCLASSNAMEA, 0, 1007);
    HWND link = CreateWindowExW(0, L"SysLink", L"<a href=\"https://example.invalid/x\">x</a>", WS_CHILD | WS_VISIBLE, 0,
                                0, 80, 20, w, reinterpret_cast<HMENU>(1008), GetModuleHandleA(nullptr), nullptr);
    HWND scroll = Child(w, "ScrollBar", SBS_HORZ, 1009);
    for (HWND child : {push, help, contextHelp, check, edit, list, tab, tree, status, link, scroll})
        ASSERT_NE(nullptr, child);
    ASSERT_EQ("SysLink", ClassOf(link));
    SetScrollRange(scroll, SB_CTL, 5, 50, FALSE);
    POINT origin = {0, 0};
    ClientToScreen(w, &origin);
    LPARAM screenOrigin = MAKELPARAM(origin.x, origin.y);
    window.Clear();

    struct ROW {
        const char *what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char *calls;
    } rows[] = {
        {"restored", WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 50), "OnRestored OnSized"},
        {"maximised", WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(100, 50), "OnSized"},
        {"minimised", WM_SIZE, SIZE_MINIMIZED, 0, "OnMinimized"},
        {"wheel up", WM_MOUSEWHEEL, MAKEWPARAM(0, 120), screenOrigin, "OnMouse(020a,0,0,1000)"},
        {"wheel down", WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), screenOrigin, "OnMouse(020a,0,0,-1000)"},
        {"wheel still", WM_MOUSEWHEEL, MAKEWPARAM(0, 0), screenOrigin, ""},
        {"mouse", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-3, 7), "OnMouse(0201,-3,7,1)"},
        {"menu", WM_COMMAND, MAKEWPARAM(IDM_CONNECT, 0), 0, "OnCommand(2103)"},
        {"accelerator", WM_COMMAND, MAKEWPARAM(IDM_DELETE_SELECTED, 1), 0, "OnCommand(2111)"},
        {"push", WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), reinterpret_cast<LPARAM>(push),
         "OnPushbutton(1001) OnNotify(0,0)"},
        {"help", WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), reinterpret_cast<LPARAM>(help), "OnHelp"},
        {"context help", WM_COMMAND, MAKEWPARAM(0xFFFC, BN_CLICKED), reinterpret_cast<LPARAM>(contextHelp), "OnHelp"},
        {"check box", WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), reinterpret_cast<LPARAM>(check), "OnNotify(0,0)"},
        {"edit change", WM_COMMAND, MAKEWPARAM(1003, EN_CHANGE), reinterpret_cast<LPARAM>(edit), "OnNotify(768,0)"},
        {"code 1", WM_COMMAND, MAKEWPARAM(1003, 1), reinterpret_cast<LPARAM>(edit), "OnNotify(1,0)"},
        {"code 2", WM_COMMAND, MAKEWPARAM(1003, 2), reinterpret_cast<LPARAM>(edit), "OnNotify(2,0)"},
        {"code 4", WM_COMMAND, MAKEWPARAM(1003, 4), reinterpret_cast<LPARAM>(edit), "OnNotify(4,0)"},
        {"code 5", WM_COMMAND, MAKEWPARAM(1003, 5), reinterpret_cast<LPARAM>(edit), "OnNotify(5,0)"},
        {"code 0x13", WM_COMMAND, MAKEWPARAM(1003, 0x13), reinterpret_cast<LPARAM>(edit), "OnNotify(19,0)"},
        {"code 0x200", WM_COMMAND, MAKEWPARAM(1003, 0x200), reinterpret_cast<LPARAM>(edit), "OnNotify(512,0)"},
        {"code 3", WM_COMMAND, MAKEWPARAM(1003, 3), reinterpret_cast<LPARAM>(edit), ""},
        {"scroll top", WM_HSCROLL, MAKEWPARAM(SB_TOP, 0), reinterpret_cast<LPARAM>(scroll), "OnScroll(4,5)"},
        {"scroll bottom", WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), reinterpret_cast<LPARAM>(scroll), "OnScroll(4,50)"},
        {"scroll thumb", WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 17), reinterpret_cast<LPARAM>(scroll), "OnScroll(5,17)"},
        {"scroll end", WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(scroll), ""},
        {"window scroll top", WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0, "OnScroll(4,100)"},
        {"timer", WM_TIMER, 7, 0, "OnTimer(7)"},
        {"activate", WM_ACTIVATE, WA_ACTIVE, 0, "OnActivate"},
        {"deactivate", WM_ACTIVATE, WA_INACTIVE, 0, "OnDeactivate"},
        {"menu loop", WM_ENTERMENULOOP, 1, 0, "OnMenuLoop(0211,1)"},
        {"ime", WM_INPUTLANGCHANGE, 0, 0, "OnImeMessage(0051)"},
        {"user first", 0x401, 1, 2, "OnUserMessage(0401,1,2)"},
        {"user last", 0x4F9, 0, 0, "OnUserMessage(04f9,0,0)"},
        {"pop-up click", 0x420, 0, 0, "OnUserMessage(0420,0,0)"},
        {"tray", 0x4F0, 0, 0, "OnUserMessage(04f0,0,0)"},
        {"end modal", 0x4F1, 3, 0, "OnUserMessage(04f1,3,0)"},
        {"past user", 0x4FC, 0, 0, ""},
        {"query end", WM_QUERYENDSESSION, 0, 0, ""},
        {"end session no", WM_ENDSESSION, 0, 0, ""},
        {"end session", WM_ENDSESSION, 1, 0, "OnEndSession"},
        {"character", WM_CHAR, 'a', 0x001E0001, "OnKey(0102)"},
    };
    // Answered, so that the default procedure's own work (focus) stays out of the record.
    window.Results["OnActivate"] = window.Results["OnDeactivate"] = 1;
    for (const ROW &row : rows) {
        SendMessageA(w, row.message, row.wParam, row.lParam);
        EXPECT_EQ(row.calls, window.Take()) << row.what;
    }

    // A non-zero slot result is the answer and ends the chain.
    window.Results.clear();
    window.Results["OnPushbutton"] = 5;
    EXPECT_EQ(5, SendMessageA(w, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), reinterpret_cast<LPARAM>(push)));
    EXPECT_EQ("OnPushbutton(1001)", window.Take());
    window.Results.clear();
    EXPECT_EQ(1, SendMessageA(w, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(1, SendMessageA(w, WM_ERASEBKGND, 0, 0));

    // Sizing edges.
    const int bits[] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int edge = 0; edge <= 8; ++edge) {
        RECT rect = {0, 0, 10, 10};
        SendMessageA(w, WM_SIZING, edge, reinterpret_cast<LPARAM>(&rect));
        EXPECT_EQ("OnSizing(" + std::to_string(bits[edge]) + ")", window.Take()) << edge;
    }

    // Notifications by sender class and code.
    struct NOTE {
        const char *what;
        HWND from;
        UINT code;
        const char *calls;
        LRESULT answer; // -1: not checked
    } notes[] = {
        {"list dblclk", list, NM_DBLCLK, "OnNotify(-3,0)", -1},
        {"list return", list, NM_RETURN, "OnNotify(-4,0)", -1},
        {"list rclick", list, NM_RCLICK, "OnNotify(-5,0)", -1},
        {"list focus", list, NM_SETFOCUS, "OnNotify(-7,0)", -1},
        {"list changed", list, LVN_ITEMCHANGED, "OnNotify(-101,0)", -1},
        {"list click", list, NM_CLICK, "", 0},
        {"tab change", tab, TCN_SELCHANGE, "OnNotify(-551,0)", -1},
        {"tab changing", tab, TCN_SELCHANGING, "", 1},
        {"tree changed", tree, static_cast<UINT>(-402), "OnNotify(-402,0)", -1},
        {"tree return", tree, NM_RETURN, "", 0},
        {"status click", status, NM_CLICK, "", 0},
        {"list other", list, LVN_GETDISPINFOA, "", 0},
    };
    for (const NOTE &note : notes) {
        NMLISTVIEW record = {};
        record.hdr.hwndFrom = note.from;
        record.hdr.idFrom = GetDlgCtrlID(note.from);
        record.hdr.code = note.code;
        LRESULT answer = SendMessageA(w, WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
        EXPECT_EQ(note.calls, window.Take()) << note.what;
        if (note.answer != -1) {
            EXPECT_EQ(note.answer, answer) << note.what;
        }
        if (*note.calls) {
            EXPECT_EQ(note.from, window.LastControl) << note.what;
        }
    }
    EXPECT_EQ(0, SendMessageA(w, WM_NOTIFY, 0, 0));

    // Records handed on whole, a column, a position.
    NMLISTVIEW column = {};
    column.hdr = {list, 1004, static_cast<UINT>(LVN_COLUMNCLICK)};
    column.iItem = -1;
    column.iSubItem = 2;
    SendMessageA(w, WM_NOTIFY, 1004, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ("OnNotify(-108,2)", window.Take());
    for (int code : {static_cast<int>(LVN_BEGINDRAG), static_cast<int>(LVN_KEYDOWN)}) {
        NMLISTVIEW drag = {};
        drag.hdr = {list, 1004, static_cast<UINT>(code)};
        SendMessageA(w, WM_NOTIFY, 1004, reinterpret_cast<LPARAM>(&drag));
        EXPECT_EQ("OnNotify(" + std::to_string(code) + "," + std::to_string(reinterpret_cast<LPARAM>(&drag)) + ")",
                  window.Take());
    }
    NMUPDOWN updown = {};
    updown.hdr = {edit, 1003, static_cast<UINT>(UDN_DELTAPOS)};
    updown.iPos = 5;
    updown.iDelta = 2;
    SendMessageA(w, WM_NOTIFY, 1003, reinterpret_cast<LPARAM>(&updown));
    EXPECT_EQ("OnNotify(-722,7)", window.Take());
    NMTTDISPINFOA tip = {};
    tip.hdr = {status, 1007, static_cast<UINT>(-520)};
    SendMessageA(w, WM_NOTIFY, 1007, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ("OnNotify(-520," + std::to_string(reinterpret_cast<LPARAM>(&tip)) + ")", window.Take());

    // Link controls open their URL through the seam; the other senders of NM_CLICK opened nothing.
    gOpened.clear();
    WINDOW::SetLinkOpener(RecordLink);
    for (HWND from : {list, tree, status}) {
        NMHDR bare = {from, 1, static_cast<UINT>(NM_CLICK)};
        SendMessageA(w, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&bare));
    }
    EXPECT_TRUE(gOpened.empty());
    for (int code : {NM_CLICK, NM_RETURN}) {
        NMLINK click = {};
        click.hdr = {link, 1008, static_cast<UINT>(code)};
        lstrcpyW(click.item.szUrl, L"https://example.invalid/x");
        EXPECT_EQ(1, SendMessageA(w, WM_NOTIFY, 1008, reinterpret_cast<LPARAM>(&click)));
    }
    ASSERT_EQ(2u, gOpened.size());
    EXPECT_EQ(L"https://example.invalid/x", gOpened[0]);
    EXPECT_EQ("", window.Take());

    // The static control colour goes through a drawing context; the slot's brush is the answer.
    HWND label = Child(w, "Static", 0, 1010, "label");
    HDC dc = GetDC(label);
    window.Results["OnCtlColor"] = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)),
              SendMessageA(w, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    ReleaseDC(label, dc);
    EXPECT_EQ("OnCtlColor(0138)", window.Take());
    EXPECT_EQ(label, window.LastControl);

    // Dropped files: every path whole, also past 260 characters.
    std::wstring longPath = L"C:\\drop\\" + std::wstring(300, L'x') + L".txt";
    std::wstring paths = L"C:\\a.txt" + std::wstring(1, L'\0') + longPath + std::wstring(2, L'\0');
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + paths.size() * sizeof(wchar_t));
    DROPFILES *files = static_cast<DROPFILES *>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    memcpy(files + 1, paths.data(), paths.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    SendMessageA(w, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ("OnDropFiles(2,C:\\a.txt,C:\\drop\\" + std::string(300, 'x') + ".txt)", window.Take());

    // The object query.
    void *object = reinterpret_cast<void *>(1);
    EXPECT_EQ(1, SendMessageA(w, 0x4FB, reinterpret_cast<WPARAM>(&object), 0));
    EXPECT_EQ(nullptr, object);
}

TEST_F(WINDOWTEST, QueryIdAndForeignWindows)
{
    WINDOW window(WS_OVERLAPPEDWINDOW, "query", 0, 0, 100, 100, nullptr, 42, 0);
    int id = 0;
    SendMessageA(window.hWnd, WM__QUERYID, reinterpret_cast<WPARAM>(&id), 0);
    EXPECT_EQ(42, id);
    // A wrapper of a top-level window without a control id asks it.
    WINDOW wrapper(window.hWnd);
    EXPECT_EQ(42, wrapper.Id);
    // A child answers with its control id without being asked.
    HWND child = Child(window.hWnd, "Button", BS_PUSHBUTTON, 77);
    EXPECT_EQ(77, WINDOW(child).Id);

    // A window of another process (the desktop belongs to Wine's explorer) is never sent the query.
    HWND desktop = GetDesktopWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(desktop, &process);
    if (process == GetCurrentProcessId() || GetWindowLongPtrA(desktop, GWLP_ID) != 0)
        GTEST_SKIP() << "the desktop window is not a foreign window without an id here";
    LOGCAPTURE log;
    WINDOW foreign(desktop);
    EXPECT_EQ(0, foreign.Id);
    EXPECT_EQ(1, log.CountLines("BASEWINDOW::Init Not our process, WM__QUERYID was not sent"));
}

TEST_F(WINDOWTEST, DpiMessagesWithTheOverride)
{
    RECORDINGWINDOW window;
    WINDOW::WinProcessMessages(100);
    ASSERT_EQ(100, window.DpiScale);
    window.Clear();
    {
        LOGCAPTURE log;
        WINDOW::SetDpiScaleOverride(150);
        RECT suggested = {50, 60, 500, 400};
        EXPECT_EQ(1, SendMessageA(window.hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested)));
        EXPECT_EQ(0u, window.Take().find("OnDpiChanged(150) OnMoved")); // then placed on the rectangle
        EXPECT_EQ(150, window.DpiScale);
        RECT now;
        GetWindowRect(window.hWnd, &now);
        EXPECT_EQ(50, now.left);
        EXPECT_EQ(450, now.right - now.left);
        EXPECT_TRUE(log.Conditions().empty());
    }
    {
        // The suggested rectangle lies on a monitor of another scale: reported, then carried on.
        LOGCAPTURE log;
        WINDOW::SetDpiScaleOverride(100);
        window.Results["OnDpiChanged"] = 1;
        RECT suggested = {0, 0, 300, 300};
        SendMessageA(window.hWnd, WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ("OnDpiChanged(125)", window.Take());
        EXPECT_EQ(std::vector<std::string>{"dpifornewrect==newscale"}, log.Conditions());
        window.Results.clear();
    }
    SendMessageA(window.hWnd, WM_DPICHANGED, 0, 0);
    EXPECT_EQ("", window.Take());

    // The size for a new DPI: offered to OnSizing at the new scale, taken back when it answers.
    window.DpiScale = 100;
    WINDOW::SetDpiScaleOverride(-1);
    SIZE size = {200, 100};
    EXPECT_EQ(0, SendMessageA(window.hWnd, WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ("OnSizing(0)", window.Take());
    EXPECT_EQ(300, window.LastRect.right - window.LastRect.left);
    EXPECT_EQ(150, window.LastRect.bottom - window.LastRect.top);
    EXPECT_EQ(150, window.ScaleSeenBySizing);
    EXPECT_EQ(-1, WINDOW::GetDpiScaleOverride());
    window.Results["OnSizing"] = 1;
    size = {200, 100};
    EXPECT_EQ(1, SendMessageA(window.hWnd, WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(300, size.cx);
    EXPECT_EQ(150, size.cy);
    window.Take();
    window.DpiScale = -1;
    SendMessageA(window.hWnd, WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size));
    EXPECT_EQ("", window.Take());
}

TEST_F(WINDOWTEST, DpiScaleServices)
{
    WINDOW::SetDpiScaleOverride(-1);
    EXPECT_EQ(100, WINDOW::GetDpiScaleForRect(nullptr)); // Wine's screen is 96 dpi
    EXPECT_EQ(100, WINDOW::GetDpiScale(nullptr));
    WINDOW::SetDpiScaleOverride(200);
    WINDOW parent(WS_OVERLAPPEDWINDOW, "p", 0, 0, 100, 100, nullptr, 0, 0);
    HWND child = Child(parent.hWnd, "Button", 0, 5);
    EXPECT_EQ(200, WINDOW::GetDpiScale(child));
    EXPECT_EQ(60, WINDOW::ScaleByDpi(30, child));
    EXPECT_EQ(48, WINDOW::GetIconSizeForDpi(24, child));
    LOGCAPTURE log;
    EXPECT_EQ(32, WINDOW::GetIconSizeForDpi(20, child));
    EXPECT_EQ(std::vector<std::string>{"FALSE"}, log.Conditions());
}

TEST_F(WINDOWTEST, StoredPositions)
{
    const std::string appKey = "PlxWindowTest" + std::to_string(GetCurrentProcessId());
    struct CLEANUP {
        std::string key;
        ~CLEANUP() { RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\Orvak\\" + key).c_str()); }
    } cleanup{appKey};

    WINDOW window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "stored", 100, 120, 300, 200, nullptr, 0, 0);
    WINDOW::WinProcessMessages(100);
    ASSERT_TRUE(window.StoreWindowPos(appKey.c_str(), "Pos"));
    {
        REGISTRY key(appKey.c_str(), "Software\\Orvak", REGISTRY::USER_CURRENT);
        STRING value, flag;
        ASSERT_TRUE(key.ReadString("Pos", value));
        EXPECT_EQ(16, static_cast<int>(value.Length()));
        ASSERT_TRUE(key.ReadString("PosMaximized", flag));
        EXPECT_STREQ("0", flag);
    }
    window.Move(10, 10, 150, 120);
    EXPECT_TRUE(window.RestoreWindowPos(appKey.c_str(), "Pos", false));
    RECT rect;
    GetWindowRect(window.hWnd, &rect);
    EXPECT_EQ(100, rect.left);
    EXPECT_EQ(120, rect.top);
    EXPECT_EQ(300, rect.right - rect.left);
    EXPECT_EQ(200, rect.bottom - rect.top);
    // Move only keeps the size.
    window.Move(10, 10, 150, 120);
    EXPECT_TRUE(window.RestoreWindowPos(appKey.c_str(), "Pos", true));
    GetWindowRect(window.hWnd, &rect);
    EXPECT_EQ(100, rect.left);
    EXPECT_EQ(150, rect.right - rect.left);

    // A maximised window stores its normal rectangle and "1"; restoring maximises.
    window.Move(100, 120, 300, 200);
    // Wine's display driver catches up with the moves while messages are read; let it finish
    // before maximising, or a late size from it restores the window again.
    for (int i = 0; i < 5; ++i) {
        WINDOW::WinProcessMessages(100);
        Sleep(20);
    }
    window.Maximize();
    ASSERT_TRUE(window.IsMaximized());
    ASSERT_TRUE(window.StoreWindowPos(appKey.c_str(), "Max"));
    {
        REGISTRY key(appKey.c_str(), "Software\\Orvak", REGISTRY::USER_CURRENT);
        STRING value, flag;
        ASSERT_TRUE(key.ReadString("Max", value));
        ASSERT_EQ(16, static_cast<int>(value.Length()));
        const unsigned char *b = reinterpret_cast<const unsigned char *>(static_cast<const char *>(value));
        EXPECT_EQ(100, b[0] | b[1] << 8);
        EXPECT_EQ(120, b[4] | b[5] << 8);
        EXPECT_EQ(400, b[8] | b[9] << 8);
        ASSERT_TRUE(key.ReadString("MaxMaximized", flag));
        EXPECT_STREQ("1", flag);
    }
    WINDOW second(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "second", 0, 0, 200, 100, nullptr, 0, 0);
    EXPECT_TRUE(second.RestoreWindowPos(appKey.c_str(), "Max", false));
    EXPECT_TRUE(second.IsMaximized());

    // Off the desktop or of the wrong length: ignored, the window stays.
    RECT desktop = WINDOW::GetDesktopRect();
    struct BAD {
        LONG left;
        size_t length;
        bool moved;
    } cases[] = {{desktop.right - 10, 16, false}, {desktop.right - 11, 16, true}, {50, 12, false}};
    for (const BAD &c : cases) {
        LONG values[4] = {c.left, 20, c.left + 100, 120};
        {
            REGISTRY key(appKey.c_str(), "Software\\Orvak", REGISTRY::USER_CURRENT);
            ASSERT_TRUE(key.WriteBinary("Edge", values, c.length));
        }
        WINDOW third(WS_OVERLAPPEDWINDOW, "third", 7, 8, 200, 100, nullptr, 0, 0);
        EXPECT_EQ(c.moved, third.RestoreWindowPos(appKey.c_str(), "Edge", false)) << c.left << "/" << c.length;
        GetWindowRect(third.hWnd, &rect);
        EXPECT_EQ(c.moved ? c.left : 7, rect.left);
    }
    // A hidden window stores nothing.
    WINDOW hidden(WS_OVERLAPPEDWINDOW, "hidden", 0, 0, 200, 100, nullptr, 0, 0);
    EXPECT_FALSE(hidden.StoreWindowPos(appKey.c_str(), "Hidden"));
}

TEST_F(WINDOWTEST, WaitForSingleObjectUnderATimer)
{
    RECORDINGWINDOW window;
    window.SetTimer(1, 10);
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD start = GetTickCount();
    EXPECT_FALSE(WINDOW::WinWaitForSingleObject(never, 200));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, 5000u);
    EXPECT_GE(elapsed, 150u);
    // The timer was served meanwhile.
    EXPECT_NE(std::string::npos, window.Take().find("OnTimer(1)"));
    SetEvent(never);
    EXPECT_TRUE(WINDOW::WinWaitForSingleObject(never, 200));
    window.KillTimer(1);
    CloseHandle(never);
}

TEST_F(WINDOWTEST, TransparencyIsReadBack)
{
    WINDOW window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "layered", 0, 0, 200, 100, nullptr, 0, 0);
    ASSERT_TRUE(window.SetTransparency(128, -1));
    EXPECT_TRUE(GetWindowLongPtrA(window.hWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    COLORREF key = 1;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window.hWnd, &key, &alpha, &flags));
    EXPECT_EQ(128, alpha);
    EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags);
    ASSERT_TRUE(window.SetTransparency(-5, 0x00FF00));
    ASSERT_TRUE(GetLayeredWindowAttributes(window.hWnd, &key, &alpha, &flags));
    EXPECT_EQ(static_cast<DWORD>(LWA_COLORKEY), flags);
    EXPECT_EQ(0x00FF00u, key);
    ASSERT_TRUE(window.SetTransparency(300, -1));
    EXPECT_FALSE(GetWindowLongPtrA(window.hWnd, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(WINDOWTEST, FocusFirstControlAndThemeTexture)
{
    WINDOW window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, "focus", 0, 0, 300, 200, nullptr, 0, 0);
    Child(window.hWnd, "Static", WS_TABSTOP, 11, "label");
    HWND disabled = Child(window.hWnd, "Button", WS_TABSTOP | BS_PUSHBUTTON, 12, "off");
    EnableWindow(disabled, FALSE);
    Child(window.hWnd, "Button", WS_TABSTOP | BS_AUTORADIOBUTTON, 13, "radio");
    Child(window.hWnd, "Edit", 0, 14);
    HWND check = Child(window.hWnd, "Button", WS_TABSTOP | BS_AUTOCHECKBOX, 15, "check");
    HWND push = Child(window.hWnd, "Button", WS_TABSTOP | BS_PUSHBUTTON, 16, "push");
    EXPECT_EQ(15, window.FocusFirstControl());
    EXPECT_EQ(check, GetFocus());
    // A checked radio button takes the focus although auto radio buttons are skipped otherwise.
    SendMessageA(GetDlgItem(window.hWnd, 13), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(13, window.FocusFirstControl());
    WINDOW empty(WS_OVERLAPPEDWINDOW, "empty", 0, 0, 100, 100, nullptr, 0, 0);
    EXPECT_EQ(0, empty.FocusFirstControl());

    // The theme texture needs the manifest: the test program has one, the language library none.
    EXPECT_TRUE(WINDOW::HasManifest(nullptr));
    EXPECT_FALSE(WINDOW::HasManifest(LanguageLibrary()));
    EXPECT_FALSE(window.EnableThemeTexture(LanguageLibrary()));
    EXPECT_FALSE(GetWindowLongPtrA(check, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_TRUE(GetWindowLongPtrA(window.hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(window.EnableThemeTexture());
    EXPECT_TRUE(GetWindowLongPtrA(check, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_FALSE(GetWindowLongPtrA(push, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

TEST_F(WINDOWTEST, ServicesOnTheHandle)
{
    WINDOW window(WS_OVERLAPPEDWINDOW, "services", 20, 30, 200, 100, nullptr, 0, 0);
    window.AddStyle(WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongPtrA(window.hWnd, GWL_STYLE) & WS_VSCROLL);
    window.RemoveStyle(WS_VSCROLL);
    EXPECT_FALSE(GetWindowLongPtrA(window.hWnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(window.SetText("Gr\xFC\xDF" "e"));
    EXPECT_STREQ("Gr\xFC\xDF" "e", window.GetText());
    std::string lower = static_cast<const char *>(window.GetClassName());
    for (char &c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(window.IsClass(lower.c_str())); // case ignored
    HWND check = Child(window.hWnd, "Button", BS_AUTOCHECKBOX, 3);
    WINDOW box(check);
    EXPECT_TRUE(box.IsClass("BUTTON", BS_AUTOCHECKBOX, -2, -2));
    EXPECT_FALSE(box.IsClass("BUTTON", BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_USERBUTTON));
    EXPECT_TRUE(box.IsChild());
    EXPECT_EQ(window.hWnd, box.GetParent().hWnd);
    EXPECT_EQ(window.hWnd, box.GetTopLevel().hWnd);
    EXPECT_EQ(window.hWnd, box.GetOwner().hWnd);
    window.Move(40, 50, -1, -1);
    RECT rect = window.GetRect();
    EXPECT_EQ(40, rect.left);
    EXPECT_EQ(200, rect.right - rect.left);
    window.SetSize(120, 90);
    rect = window.GetRect();
    EXPECT_EQ(40, rect.left);
    EXPECT_EQ(120, rect.right - rect.left);
    window.MoveToX(70);
    EXPECT_EQ(70, window.GetRect().left);
    EXPECT_FALSE(window.IsOnScreen()); // hidden
    window.Show(true);
    EXPECT_TRUE(window.IsOnScreen());
    EXPECT_FALSE(window.IsMinimized());
    EXPECT_TRUE(window.AnimateShow(AW_BLEND, 10, false));
    EXPECT_FALSE(IsWindowVisible(window.hWnd));
    EXPECT_TRUE(window.AnimateShow(0, 0, true));
    EXPECT_TRUE(IsWindowVisible(window.hWnd));
    {
        LOGCAPTURE log;
        WINDOW detached;
        RECT empty = detached.GetClientRect();
        EXPECT_EQ(0, empty.right);
        EXPECT_EQ(std::vector<std::string>{"this->hWnd!=HWND_DESKTOP"}, log.Conditions());
    }
    EXPECT_GE(WINDOW::GetScreenColorDepth(), 16);
    WINDOW::WinProcessMessages(1000);
    PostMessageA(window.hWnd, WM_USER + 5, 0, 0);
    PostMessageA(window.hWnd, WM_USER + 6, 0, 0);
    EXPECT_EQ(3, WINDOW::WinProcessMessages(5));
}

TEST_F(WINDOWTEST, RemoteCallAsksItsWindowForTheId)
{
    WINDOW window(WS_OVERLAPPEDWINDOW, "caller", 0, 0, 100, 100, nullptr, 42, 0);
    window.HookProc = CountQueries;
    gQueries = 0;
    NETPROC server("6666", "0", 5000);
    NETPROC client("6666", "0", 5000);
    HASH params;
    STRING result;
    std::string peer = "127.0.0.1:" + std::string(static_cast<const char *>(server.GetOurPort()));
    ASSERT_EQ(1, client.CallNetProcedure(peer.c_str(), "ANY", params, result, 1, window.hWnd, 5000));
    EXPECT_GE(gQueries, 1);
    int before = gQueries;
    ASSERT_EQ(1, client.CallNetProcedure(peer.c_str(), "ANY", params, result, 1, nullptr, 5000));
    EXPECT_EQ(before, gQueries);
}
