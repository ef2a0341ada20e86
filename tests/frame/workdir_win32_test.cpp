// The work folder on a scratch registry key: the switch, a stored value, the old value name, the
// default, and the pending change with and without moving the data, including the refusals that
// must keep the old folder and its files.
#include "kestar/base/workdir.h"

#include <windows.h>

#include "kestar/base/filename.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfolder.h"
#include "kestar/base/osyspath.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/registry.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void WriteText(const std::string &name, const std::string &text)
{
    FILE *f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr) << name;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

bool IsFolder(const std::string &path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A scratch maker key and language library for each test; the arguments of the frame are set by
// each test.
class WORKDIRTEST : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        library = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
        ASSERT_NE(library, nullptr);
        OSYS::SetLanguageModule(library);
        maker = "PlxTest" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
        oldFolder = CurrentFolderForTest();
        ASSERT_TRUE(ChangeFolderForTest(scratch.Path()));
        Arguments({});
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + maker).c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + maker).c_str());
        STRING defaults = OSYS::GetSystemPath(OSYS::SYSPATH_APPDATA);
        std::string makerFolder = std::string(defaults) + maker;
        if (IsFolder(makerFolder))
            OSYS::RemoveDirectoryTree(makerFolder.c_str(), "*", true);
        ChangeFolderForTest(oldFolder);
        ORVAKAPP::ResetForTests();
        OSYS::SetLanguageModule(nullptr);
        FreeLibrary(library);
    }
    // The frame's arguments: a program path, then these.
    void Arguments(std::vector<std::string> args)
    {
        args.insert(args.begin(), scratch.File("parlomatix.exe"));
        std::vector<char *> entries;
        for (auto &a : args)
            entries.push_back(&a[0]);
        entries.push_back(nullptr);
        ORVAKAPP::ProcessArguments(static_cast<int>(args.size()), entries.data(), 9);
    }
    void Store(const char *value, const std::string &text)
    {
        REGISTRY key("Parlomatix", ("Software\\" + maker).c_str(), REGISTRY::USER_CURRENT);
        ASSERT_TRUE(key.WriteString(value, text.c_str()));
    }
    // The value's text, or "<none>".
    std::string Stored(const char *value)
    {
        REGISTRY key("Parlomatix", ("Software\\" + maker).c_str(), REGISTRY::USER_CURRENT);
        STRING text;
        return key.ReadString(value, text) ? std::string(text.NotEmpty() ? static_cast<const char *>(text) : "")
                                           : std::string("<none>");
    }
    std::string Default()
    {
        return std::string(OSYS::GetSystemPath(OSYS::SYSPATH_APPDATA)) + maker + "\\Parlomatix";
    }

    TEMPFOLDER scratch;
    HMODULE library = nullptr;
    std::string maker;
    std::string oldFolder;
};

} // namespace

TEST_F(WORKDIRTEST, SwitchFolderIsMadeAndRegistryLeftAlone)
{
    std::string stored = scratch.File("stored");
    ASSERT_TRUE(CreateDirectoryA(stored.c_str(), nullptr));
    Store("ApplicationDataDir", stored);
    Store("ApplicationDataDir.New", "*" + scratch.File("elsewhere"));
    std::string wanted = scratch.File("by\\switch\\deep");
    Arguments({"/WORKDIR:" + wanted});

    WORKDIR w(nullptr, maker.c_str(), nullptr);
    STRING pending;
    EXPECT_EQ(std::string(w.WorkDirInit(pending, OSYS::SYSPATH_APPDATA)), wanted);
    EXPECT_TRUE(IsFolder(wanted)); // made with its missing parents
    EXPECT_TRUE(pending.IsEmpty());
    EXPECT_EQ(Stored("ApplicationDataDir"), stored);
    EXPECT_EQ(Stored("ApplicationDataDir.New"), "*" + scratch.File("elsewhere"));
}

TEST_F(WORKDIRTEST, StoredValuesAndDefault)
{
    struct CASE {
        const char *workDir;  // stored "ApplicationDataDir" below the scratch folder (null: none)
        const char *filesDir; // stored "FilesDir" (null: none)
        bool makeIt;          // the stored folder exists beforehand
        const char *expect;   // below the scratch folder; null: the default
    } cases[] = {
        {"keep", nullptr, true, "keep"},
        {"new\\deep\\folder", nullptr, false, "new\\deep\\folder"}, // made with its parents
        {nullptr, "older", true, "older"},                         // the old name migrates
        {nullptr, nullptr, false, nullptr},                        // nothing stored: the default
        {"file.txt\\sub", nullptr, false, nullptr},                // cannot be made: the default
    };
    WriteText(scratch.File("file.txt"), "x");
    for (const auto &c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + maker).c_str());
        if (c.workDir)
            Store("ApplicationDataDir", scratch.File(c.workDir));
        if (c.filesDir)
            Store("FilesDir", scratch.File(c.filesDir));
        if (c.makeIt)
            CreateDirectoryA(scratch.File(c.workDir ? c.workDir : c.filesDir).c_str(), nullptr);

        WORKDIR w(nullptr, maker.c_str(), nullptr);
        STRING pending;
        std::string got = std::string(w.WorkDirInit(pending, OSYS::SYSPATH_APPDATA));
        std::string want = c.expect ? scratch.File(c.expect) : Default();
        EXPECT_EQ(got, want) << (c.workDir ? c.workDir : c.filesDir ? c.filesDir : "nothing");
        EXPECT_TRUE(IsFolder(want));
        EXPECT_EQ(Stored("ApplicationDataDir"), want);
        EXPECT_EQ(Stored("FilesDir"), "<none>");
        EXPECT_TRUE(pending.IsEmpty());
    }
}

TEST_F(WORKDIRTEST, DocumentsDefaultUsesApplicationName)
{
    std::string name = maker + "App";
    WORKDIR w(nullptr, maker.c_str(), name.c_str());
    STRING pending;
    std::string got = std::string(w.WorkDirInit(pending, OSYS::SYSPATH_DOCUMENTS));
    std::string want = std::string(OSYS::GetSystemPath(OSYS::SYSPATH_DOCUMENTS)) + name;
    EXPECT_EQ(got, want);
    EXPECT_TRUE(IsFolder(want));
    RemoveDirectoryA(want.c_str());
}

TEST_F(WORKDIRTEST, PendingChangeMovesOrTakesTheFolder)
{
    struct CASE {
        bool move;
    } cases[] = {{true}, {false}};
    for (const auto &c : cases) {
        TEMPFOLDER space;
        std::string old = space.File("old");
        std::string next = space.File("new\\place");
        ASSERT_TRUE(CreateDirectoryA(old.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((old + "\\sub").c_str(), nullptr));
        WriteText(old + "\\callers.ini", "callers");
        WriteText(old + "\\sub\\msg.wav", std::string(10000, 'w'));
        Store("ApplicationDataDir", old);
        Store("ApplicationDataDir.New", (c.move ? "*" : "") + next);

        WORKDIR w(nullptr, maker.c_str(), nullptr);
        STRING workDir, previous;
        EXPECT_TRUE(w.GetWorkDir(nullptr, 0, workDir, previous, OSYS::SYSPATH_APPDATA)) << c.move;
        EXPECT_EQ(std::string(workDir), next);
        EXPECT_EQ(std::string(previous), old);
        EXPECT_EQ(Stored("ApplicationDataDir"), next);
        EXPECT_EQ(Stored("ApplicationDataDir.New"), "<none>");
        EXPECT_TRUE(IsFolder(next));
        if (c.move) {
            EXPECT_EQ(ReadWholeFile(next + "\\callers.ini"), "callers");
            EXPECT_EQ(ReadWholeFile(next + "\\sub\\msg.wav"), std::string(10000, 'w'));
            EXPECT_FALSE(IsFolder(old)); // moved, not copied
        } else {
            EXPECT_FALSE(FileExistsForTest(next + "\\callers.ini")); // nothing moved
            EXPECT_EQ(ReadWholeFile(old + "\\callers.ini"), "callers");
        }
    }
}

TEST_F(WORKDIRTEST, RefusedOrFailedMoveKeepsOldFolder)
{
    struct CASE {
        const char *target; // below the old folder when it starts with "old"
        bool lockFile;      // a file of the old folder cannot be read
    } cases[] = {
        {"old\\inside", false},   // into itself
        {"OLD", false},           // the same folder, other case
        {"target", true},         // one file cannot be copied: nothing is removed
    };
    for (const auto &c : cases) {
        TEMPFOLDER space;
        std::string old = space.File("old");
        std::string target = space.File(c.target);
        ASSERT_TRUE(CreateDirectoryA(old.c_str(), nullptr));
        WriteText(old + "\\a.ini", "a");
        WriteText(old + "\\b.ini", "b");
        Store("ApplicationDataDir", old);
        Store("ApplicationDataDir.New", "*" + target);
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (c.lockFile)
            lock = CreateFileA((old + "\\b.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);

        DIALOGWATCHER watcher(IDOK, 30000, 0, "Parlomatix");
        WORKDIR w(nullptr, maker.c_str(), nullptr);
        STRING workDir, previous;
        EXPECT_FALSE(w.GetWorkDir(nullptr, 0, workDir, previous, OSYS::SYSPATH_APPDATA)) << c.target;
        EXPECT_TRUE(watcher.WaitPressed(1000));
        EXPECT_EQ(watcher.Title(), "Parlomatix");
        EXPECT_NE(watcher.Text().find("some copy failed!"), std::string::npos) << watcher.Text();
        EXPECT_NE(watcher.Text().find(old + " -> "), std::string::npos) << watcher.Text();
        if (lock != INVALID_HANDLE_VALUE)
            CloseHandle(lock);

        EXPECT_EQ(std::string(workDir), old);
        EXPECT_TRUE(previous.IsEmpty());
        EXPECT_EQ(ReadWholeFile(old + "\\a.ini"), "a");
        EXPECT_EQ(ReadWholeFile(old + "\\b.ini"), "b");
        EXPECT_EQ(Stored("ApplicationDataDir"), old);
        EXPECT_EQ(Stored("ApplicationDataDir.New"), "<none>"); // not tried again at the next start
    }
}

TEST_F(WORKDIRTEST, SwitchDisablesTheMenuItem)
{
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 2186, "Data folder");
    HWND window = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, menu, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Arguments({"/WORKDIR:" + scratch.File("w")});
    WORKDIR w(nullptr, maker.c_str(), nullptr);
    STRING workDir, previous;
    EXPECT_FALSE(w.GetWorkDir(window, 2186, workDir, previous, OSYS::SYSPATH_APPDATA));
    EXPECT_EQ(std::string(workDir), scratch.File("w"));
    EXPECT_TRUE(GetMenuState(menu, 2186, MF_BYCOMMAND) & MF_GRAYED);
    DestroyWindow(window);
}

// The work-folder dialog: a changed folder is kept for the next start (with "*" when the data
// move), another spelling of the same folder and Cancel write nothing.
TEST_F(WORKDIRTEST, ChooseWorkDirKeepsAChangedFolderForTheNextStart)
{
    std::string old = scratch.File("old");
    std::string next = scratch.File("next");
    std::string upper = old;
    for (char &c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::string moveText = std::string(OSYS::GetStringFromResource(10120)).substr(0, 20);
    const std::string nextText = std::string(OSYS::GetStringFromResource(10121)).substr(0, 20);
    struct CASE {
        const char *what;
        std::string typed;
        int button;
        int answer; // 0: no question expected
        int result;
        std::string pending;
    } cases[] = {
        {"move", next, IDOK, IDYES, 1, "*" + next},
        {"keep data", next, IDOK, IDNO, 1, next},
        {"cancel", next, IDCANCEL, 0, 0, "<none>"},
        {"same folder", upper, IDOK, 0, 1, "<none>"},
    };
    for (const CASE &c : cases) {
        Store("ApplicationDataDir", old);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, ("Software\\" + maker + "\\Parlomatix").c_str(), "ApplicationDataDir.New");
        WORKDIR workdir(nullptr, maker.c_str(), nullptr);
        std::vector<DIALOGSTEP> script = {DIALOGSTEP::SetText(667, c.typed.c_str(), "Data folder"),
                                          DIALOGSTEP::Press(c.button, "Data folder")};
        if (c.answer != 0) {
            script.push_back(DIALOGSTEP::Press(c.answer, moveText.c_str()));
            script.push_back(DIALOGSTEP::Press(IDOK, nextText.c_str()));
        }
        DIALOGWATCHER watcher(script);
        EXPECT_EQ(c.result, workdir.ChooseWorkDir(nullptr)) << c.what;
        EXPECT_TRUE(watcher.WaitPressed(10000)) << c.what;
        EXPECT_EQ(c.pending, Stored("ApplicationDataDir.New")) << c.what;
        EXPECT_EQ(old, Stored("ApplicationDataDir")) << c.what;
        if (c.answer != 0) {
            EXPECT_NE(std::string::npos, watcher.TextAt(3).find(nextText)) << c.what;
        }
    }
}

// The browse button opens the folder browser with the dialog's own title text.
TEST_F(WORKDIRTEST, ChooseWorkDirBrowsesWithItsTitle)
{
    Store("ApplicationDataDir", scratch.File("old"));
    WORKDIR workdir(nullptr, maker.c_str(), nullptr);
    const std::string title = std::string(OSYS::GetStringFromResource(10122));
    DIALOGWATCHER watcher({DIALOGSTEP::Press(147, "Data folder"), DIALOGSTEP::Press(IDCANCEL, title.c_str()).After(1500),
                           DIALOGSTEP::Press(IDCANCEL, "Data folder")});
    EXPECT_EQ(0, workdir.ChooseWorkDir(nullptr));
    EXPECT_TRUE(watcher.WaitPressed(20000));
    EXPECT_EQ("<none>", Stored("ApplicationDataDir.New"));
}
