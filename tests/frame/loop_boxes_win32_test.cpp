// The frame's message loop with the accelerator table of the language library, and the message
// boxes' title rule and answers, in the test process itself.
#include "kestar/base/orvakapp.h"

#include <windows.h>

#include "kestar/base/osysresource.h"
#include "kestar/base/winorvak.h"
#include "lang/resource_ids.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<UINT> gMainCommands; // WM_COMMAND ids that reached the main window
std::vector<WPARAM> gMainKeys;   // WM_KEYDOWN keys that reached the main window
std::vector<WPARAM> gOtherKeys;  // and the other window

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COMMAND)
        gMainCommands.push_back(LOWORD(wparam));
    if (message == WM_KEYDOWN)
        gMainKeys.push_back(wparam);
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK OtherProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_KEYDOWN)
        gOtherKeys.push_back(wparam);
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

HWND MakeWindow(const char *cls, WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    return CreateWindowA(cls, cls, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// The English library as the language module for one test.
class LANGUAGE {
public:
    LANGUAGE() : library(LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str()))
    {
        OSYS::SetLanguageModule(library);
    }
    ~LANGUAGE()
    {
        OSYS::SetLanguageModule(nullptr);
        FreeLibrary(library);
    }
    HMODULE library;
};

} // namespace

TEST(FRAMELOOP, AcceleratorsOnlyForTheMainWindowClass)
{
    LANGUAGE english;
    ASSERT_NE(english.library, nullptr);
    HWND main = MakeWindow("FrameTestMainClass", MainProc);
    HWND other = MakeWindow("FrameTestOtherClass", OtherProc);
    ASSERT_TRUE(main && other);

    struct CASE {
        HWND active;
        bool translated;
    } cases[] = {{main, true}, {other, false}};
    for (const auto &c : cases) {
        // Tests running beside this one take the foreground now and then, and with it this thread's
        // active window: a pass that lost it proves nothing and is made again.
        for (int attempt = 0; attempt < 5; ++attempt) {
            gMainCommands.clear();
            gMainKeys.clear();
            gOtherKeys.clear();
            SetForegroundWindow(c.active);
            SetActiveWindow(c.active);
            ASSERT_EQ(GetActiveWindow(), c.active);
            // F2 is "edit comment" in table 2000; the message goes to the active window.
            PostMessageA(c.active, WM_KEYDOWN, VK_F2, 0x003C0001);
            PostMessageA(nullptr, WM_QUIT, 0, 0);
            ORVAKAPP::MainDispatchLoop(main, IDA_MAIN);
            if (GetActiveWindow() == c.active)
                break;
        }
        if (c.translated) {
            EXPECT_EQ(gMainCommands, std::vector<UINT>{IDM_EDIT_COMMENT});
            EXPECT_TRUE(gMainKeys.empty()); // taken by the table, not dispatched
        } else {
            EXPECT_TRUE(gMainCommands.empty());
            EXPECT_EQ(gOtherKeys, std::vector<WPARAM>{VK_F2});
        }
    }
    // Without a table every message is dispatched as it is.
    gMainCommands.clear();
    gMainKeys.clear();
    SetActiveWindow(main);
    PostMessageA(main, WM_KEYDOWN, VK_F2, 0x003C0001);
    PostMessageA(nullptr, WM_QUIT, 0, 0);
    ORVAKAPP::MainDispatchLoop(main, 0);
    EXPECT_TRUE(gMainCommands.empty());
    EXPECT_EQ(gMainKeys, std::vector<WPARAM>{VK_F2});
    DestroyWindow(other);
    DestroyWindow(main);
}

TEST(FRAMELOOP, MessagesBeforeQuitAreDispatched)
{
    HWND main = MakeWindow("FrameTestMainClass", MainProc);
    gMainCommands.clear();
    PostMessageA(main, WM_COMMAND, 2103, 0);
    PostMessageA(nullptr, WM_QUIT, 0, 0);
    PostMessageA(main, WM_COMMAND, 2104, 0); // after the quit: left in the queue
    ORVAKAPP::MainDispatchLoop(main, 0);
    EXPECT_EQ(gMainCommands, std::vector<UINT>{2103});
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, main, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    DestroyWindow(main);
}

TEST(WINORVAK, BoxesTitleRuleAndAnswers)
{
    LANGUAGE english;
    struct CASE {
        const char *title;
        int button;
        int expect;
        const char *shownTitle;
    } cases[] = {
        {nullptr, IDYES, 1, "Parlomatix"}, // no title: the application name of the language library
        {"Question", IDNO, 0, "Question"},
        {"Question", IDYES, 1, "Question"},
    };
    for (const auto &c : cases) {
        DIALOGWATCHER watcher(c.button, 30000, GetCurrentThreadId());
        EXPECT_EQ(WINORVAK::YesNoMsgBox(nullptr, c.title, "Go on?\nReally"), c.expect);
        EXPECT_TRUE(watcher.Pressed());
        EXPECT_EQ(watcher.Title(), c.shownTitle);
        EXPECT_NE(watcher.Text().find("Go on?"), std::string::npos) << watcher.Text();
    }
    {
        DIALOGWATCHER watcher(IDOK, 30000, GetCurrentThreadId());
        // Code page 1252 whatever the system's ANSI page: "ä" arrives as the wide character.
        WINORVAK::ErrorMsgBox(nullptr, nullptr, "Fehler: \xE4");
        EXPECT_TRUE(watcher.Pressed());
        EXPECT_EQ(watcher.Title(), "Parlomatix");
        EXPECT_NE(watcher.Text().find("Fehler: \xE4"), std::string::npos);
    }
    {
        DIALOGWATCHER watcher(IDOK, 30000, GetCurrentThreadId());
        WINORVAK::InfoMsgBox(nullptr, "Note", "Done.");
        EXPECT_TRUE(watcher.Pressed());
        EXPECT_EQ(watcher.Title(), "Note");
    }
}
