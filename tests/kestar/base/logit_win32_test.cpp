// The assertion box, driven by the dialog watcher: Yes goes on, No ends the process with exit
// code 42 after writing and closing the log.  The test main keeps boxes away (ORVAKNOASSERT);
// these tests lift that for the one assertion they drive.
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"

#include "tests/support/dialog_watcher_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// Lifts the box suppression of the test main for the life of the object.
class BOXALLOWED {
public:
    BOXALLOWED()
    {
        wasNoAssert = LOGIT::IsNoAssert();
        if (wasNoAssert)
            LOGIT::HandleSwitch("/NOASSERT");
        SetEnvironmentVariableA("ORVAKNOASSERT", nullptr);
    }
    ~BOXALLOWED()
    {
        SetEnvironmentVariableA("ORVAKNOASSERT", "1");
        if (wasNoAssert)
            LOGIT::HandleSwitch("/NOASSERT");
    }

private:
    bool wasNoAssert;
};

TEST(LOGITBOX, YesGoesOn)
{
    TEMPFOLDER folder;
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    LOGIT::SetApplication("Parlomatix", "4.23", false);
    int rc;
    std::string title, text;
    {
        BOXALLOWED allowed;
        DIALOGWATCHER watcher(IDYES, 30000, GetCurrentThreadId());
        SetLastError(ERROR_FILE_NOT_FOUND);
        rc = ORVAK_ASSERT_INFO(2 < 1, "box test");
        EXPECT_TRUE(watcher.Pressed());
        title = watcher.Title();
        text = watcher.Text();
    }
    LOGIT::SetApplication(nullptr, nullptr, false);
    ChangeFolderForTest(cwd);
    EXPECT_EQ(1, rc);
    EXPECT_EQ(0u, title.find("Orvak Parlomatix (4.23) / ")) << title;
    EXPECT_EQ(0u, text.find("An unexpected condition has been encountered.\n\nPlease contact us via our web site and "
                             "provide the following information (logged in the assert.log file):\n\n"
                             "    Condition: 2 < 1\n"))
        << text;
    EXPECT_NE(std::string::npos, text.find("    Last Err.: 2L (")) << text;
    EXPECT_NE(std::string::npos, text.find("    Add. Info: box test\n\nDo you want to try to continue with the program?"))
        << text;
    EXPECT_TRUE(FileExistsForTest(folder.File("assert.log")));
}

// Logs into the folder, fails an assertion and answers No.
void AnswerNo(const char *folder)
{
    SetCurrentDirectoryA(folder);
    LOGIT::HandleSwitch((std::string("/LOGIT:") + folder + "\\child.log").c_str());
    BOXALLOWED allowed;
    DIALOGWATCHER watcher(IDNO, 30000, GetCurrentThreadId());
    LOGIT::Assert(0, "answer no", __FILE__, __LINE__, nullptr, 0);
    ExitProcess(3); // not reached: a No ends the process
}

TEST(LOGITBOX, NoEndsTheProgramWith42AfterClosingTheLog)
{
    // The death test's child runs this body again up to the statement; it finds the parent's
    // scratch folder in its environment and makes none of its own.
    char path[MAX_PATH] = "";
    std::unique_ptr<TEMPFOLDER> folder;
    if (GetEnvironmentVariableA("PLX_CHILD_FOLDER", path, sizeof(path)) == 0) {
        folder.reset(new TEMPFOLDER);
        snprintf(path, sizeof(path), "%s", folder->Path().c_str());
        SetEnvironmentVariableA("PLX_CHILD_FOLDER", path);
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(AnswerNo(path), ::testing::ExitedWithCode(42), "");
    SetEnvironmentVariableA("PLX_CHILD_FOLDER", nullptr);
    ASSERT_TRUE(folder);
    std::string text = ReadWholeFile(folder->File("child.log"));
    EXPECT_NE(std::string::npos, text.find("*** ASSERTION FAILED: \n    Condition: answer no\n")) << text;
    EXPECT_TRUE(FileExistsForTest(folder->File("assert.log")));
}

// Sets the calling thread's keyboard state as the hot keys read it.
void SetModifiers(bool ctrl, bool shift, bool alt)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
}

TEST(LOGITHOTKEYS, ReadFromKeyDownAndListViewNotifications)
{
    TEMPFOLDER folder;
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    FILE *f = std::fopen("main.cpp", "wb"); // a development tree: the log goes to .\logit.log
    ASSERT_NE(nullptr, f);
    std::fclose(f);
    LOGIT::Close();

    struct CASE {
        bool ctrl, shift, alt;
        int vk;
        bool acted;
        bool loggingAfter;
    } cases[] = {
        {true, true, false, VK_F5, true, true},    {true, true, false, VK_F8, true, false},
        {true, false, false, VK_F5, false, false}, {false, true, false, VK_F5, false, false},
        {true, true, true, VK_F5, false, false},   {true, true, false, VK_F4, false, false},
        {true, true, false, VK_F9, false, false},
    };
    for (const CASE &c : cases) {
        SetModifiers(c.ctrl, c.shift, c.alt);
        EXPECT_EQ(c.acted ? 1 : 0, LOGIT::HandleDebugHotKeys(WM_KEYDOWN, static_cast<WPARAM>(c.vk), 0)) << c.vk;
        EXPECT_EQ(c.loggingAfter, LOGIT::IsLogging()) << c.vk;
    }

    NMLVKEYDOWN down = {};
    down.hdr.code = LVN_KEYDOWN;
    down.wVKey = VK_F5;
    SetModifiers(true, true, false);
    EXPECT_EQ(1, LOGIT::HandleDebugHotKeys(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&down)));
    EXPECT_TRUE(LOGIT::IsLogging());
    down.hdr.code = NM_CLICK;
    down.wVKey = VK_F8;
    EXPECT_EQ(0, LOGIT::HandleDebugHotKeys(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&down)));
    EXPECT_TRUE(LOGIT::IsLogging());
    EXPECT_EQ(0, LOGIT::HandleDebugHotKeys(WM_KEYUP, VK_F8, 0));
    EXPECT_TRUE(LOGIT::IsLogging());
    SetModifiers(false, false, false);
    LOGIT::Close();
    ChangeFolderForTest(cwd);
    EXPECT_TRUE(FileExistsForTest(folder.File("logit.log")));
}

TEST(LOGITBOX, QuietAndNoAssertNeverShowTheBox)
{
    // With the suppression lifted, quiet assertions and "/NOASSERT" still keep the box away; a
    // watcher that would press No (ending the process) never finds one.
    TEMPFOLDER folder;
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    {
        BOXALLOWED allowed;
        DIALOGWATCHER watcher(IDNO, 1000, GetCurrentThreadId());
        EXPECT_EQ(1, ORVAK_ASSERT_QUIET(false, "quiet"));
        LOGIT::HandleSwitch("/NOASSERT");
        EXPECT_EQ(1, ORVAK_ASSERT(false));
        LOGIT::HandleSwitch("/NOASSERT");
        EXPECT_FALSE(watcher.WaitPressed(0));
    }
    ChangeFolderForTest(cwd);
}

} // namespace

TEST(ORVAKAPP, HandleDebugHotKeysActsAsTheLogsHotKeys)
{
    TEMPFOLDER folder;
    std::string cwd = CurrentFolderForTest();
    ASSERT_TRUE(ChangeFolderForTest(folder.Path()));
    FILE *f = std::fopen("main.cpp", "wb"); // a development tree: the log goes to .\logit.log
    ASSERT_NE(nullptr, f);
    std::fclose(f);
    LOGIT::Close();

    SetModifiers(true, true, false);
    EXPECT_EQ(1, ORVAKAPP::HandleDebugHotKeys(WM_KEYDOWN, VK_F5, 0));
    EXPECT_TRUE(LOGIT::IsLogging());
    EXPECT_EQ(0, ORVAKAPP::HandleDebugHotKeys(WM_KEYUP, VK_F8, 0));
    EXPECT_TRUE(LOGIT::IsLogging());
    EXPECT_EQ(1, ORVAKAPP::HandleDebugHotKeys(WM_KEYDOWN, VK_F8, 0));
    EXPECT_FALSE(LOGIT::IsLogging());
    SetModifiers(false, false, false);
    EXPECT_EQ(0, ORVAKAPP::HandleDebugHotKeys(WM_KEYDOWN, VK_F5, 0));
    EXPECT_FALSE(LOGIT::IsLogging());
    LOGIT::Close();
    ChangeFolderForTest(cwd);
}
