// The file and folder dialogs under Wine, driven by the dialog watcher: a typed path and OK
// (single and multiple selection), the default extension, a folder as the start path, Cancel,
// and the folder browser opened on a start folder.
#include "kestar/windowing/filedialog.h"

#include "kestar/base/orvakapp.h"

#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The file name field of the explorer-style dialog.
const int kFileName = cmb13;

void Touch(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
}

// Reads the entries of the file-type list (cmb1) of the first file dialog of a thread.
struct TYPELIST {
    DWORD thread;
    std::vector<std::string> entries;
};

BOOL CALLBACK FindFileDialog(HWND window, LPARAM param)
{
    HWND *found = reinterpret_cast<HWND *>(param);
    if (IsWindowVisible(window) && GetDlgItem(window, cmb1)) {
        *found = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI ReadTypeList(void *param)
{
    TYPELIST *list = static_cast<TYPELIST *>(param);
    for (int i = 0; i < 300; ++i) {
        HWND dialog = nullptr;
        EnumThreadWindows(list->thread, FindFileDialog, reinterpret_cast<LPARAM>(&dialog));
        HWND combo = dialog ? GetDlgItem(dialog, cmb1) : nullptr;
        LRESULT n = combo ? SendMessageA(combo, CB_GETCOUNT, 0, 0) : 0;
        if (n > 0) {
            for (LRESULT k = 0; k < n; ++k) {
                char text[256] = "";
                SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(text));
                list->entries.push_back(text);
            }
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

// The file types a dialog shows for filetypes in a language.
std::vector<std::string> ShownTypes(const char *filetypes, int locale)
{
    const int before = ORVAKAPP::GetLocale();
    ORVAKAPP::SetLocale(locale);
    TYPELIST list = {GetCurrentThreadId(), {}};
    HANDLE reader = CreateThread(nullptr, 0, ReadTypeList, &list, 0, nullptr);
    EXPECT_EQ(AskOpenFilenameDlg(nullptr, "Types", nullptr, filetypes), nullptr);
    WaitForSingleObject(reader, 30000);
    CloseHandle(reader);
    ORVAKAPP::SetLocale(before);
    return list.entries;
}

bool SamePath(const std::string &a, const std::string &b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

BOOL CALLBACK FindTreeView(HWND child, LPARAM data)
{
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, WC_TREEVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(data) = child;
    return FALSE;
}

// True when the tree view inside the dialog has an item selected whose text is name (ignoring case).
bool TreeSelectionIs(HWND dialog, const std::string &name)
{
    HWND tree = nullptr;
    EnumChildWindows(dialog, FindTreeView, reinterpret_cast<LPARAM>(&tree));
    if (!tree)
        return false;
    HTREEITEM selected = TreeView_GetSelection(tree);
    if (!selected)
        return false;
    char text[MAX_PATH] = "";
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) && lstrcmpiA(text, name.c_str()) == 0;
}

} // namespace

TEST(FILEDIALOG, TypedPathAndOk)
{
    TEMPFOLDER folder;
    const std::string typed = folder.File("fax.sff");
    {
        DIALOGWATCHER watcher({DIALOGSTEP::SetText(kFileName, typed.c_str(), "Open fax"), DIALOGSTEP::Press(IDOK, "Open fax")},
                              30000, GetCurrentThreadId());
        const char *result = AskOpenFilenameDlg(nullptr, "Open fax", nullptr, "Faxes|*.sff");
        ASSERT_TRUE(watcher.Pressed());
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(SamePath(result, typed)) << result;
    }
    {
        // A folder as the start path: the dialog opens in it with an empty name; a ".txt" first
        // line ends typed names without extension in ".txt".
        DIALOGWATCHER watcher({DIALOGSTEP::SetText(kFileName, "report", "Save report"), DIALOGSTEP::Press(IDOK, "Save report")},
                              30000, GetCurrentThreadId());
        const char *result = AskSaveFilenameDlg(nullptr, "Save report", folder.Path().c_str(), ".txt\nText|*.txt");
        ASSERT_TRUE(watcher.Pressed());
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(SamePath(result, folder.File("report.txt"))) << result;
    }
}

TEST(FILEDIALOG, MultipleSelection)
{
    TEMPFOLDER folder;
    Touch(folder.File("a.sff"));
    Touch(folder.File("b.sff"));
    {
        DIALOGWATCHER watcher({DIALOGSTEP::SetText(kFileName, "\"a.sff\" \"b.sff\"", "Faxes"), DIALOGSTEP::Press(IDOK, "Faxes")},
                              30000, GetCurrentThreadId());
        char **list = nullptr;
        int count = -1;
        const char *result = AskFilenameDlg(nullptr, "Faxes", folder.Path().c_str(), 1, &list, &count, nullptr);
        ASSERT_TRUE(watcher.Pressed());
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(SamePath(result, folder.Path())) << result; // the first text: the folder
        ASSERT_EQ(count, 2);
        ASSERT_NE(list, nullptr);
        std::vector<std::string> paths(list, list + count);
        EXPECT_EQ(list[2], nullptr);
        std::sort(paths.begin(), paths.end());
        EXPECT_TRUE(SamePath(paths[0], folder.File("a.sff"))) << paths[0];
        EXPECT_TRUE(SamePath(paths[1], folder.File("b.sff"))) << paths[1];
        FILEDIALOG::FreeList(list);
    }
    {
        // One full path typed: a list of that one path.
        const std::string typed = folder.File("a.sff");
        DIALOGWATCHER watcher({DIALOGSTEP::SetText(kFileName, typed.c_str(), "Faxes"), DIALOGSTEP::Press(IDOK, "Faxes")},
                              30000, GetCurrentThreadId());
        char **list = nullptr;
        int count = -1;
        const char *result = AskFilenameDlg(nullptr, "Faxes", nullptr, 1, &list, &count, nullptr);
        ASSERT_TRUE(watcher.Pressed());
        ASSERT_NE(result, nullptr);
        ASSERT_EQ(count, 1);
        EXPECT_TRUE(SamePath(list[0], typed)) << list[0];
        EXPECT_EQ(list[1], nullptr);
        FILEDIALOG::FreeList(list);
    }
}

TEST(FILEDIALOG, CancelReturnsNullAndLogsErrorZero)
{
    LOGCAPTURE log;
    DIALOGWATCHER watcher({DIALOGSTEP::Press(IDCANCEL, "Cancel me")}, 30000, GetCurrentThreadId());
    char **list = reinterpret_cast<char **>(1);
    int count = 5;
    EXPECT_EQ(AskFilenameDlg(nullptr, "Cancel me", "C:\\nowhere\\name.txt", 1, &list, &count, "Text|*.txt"), nullptr);
    EXPECT_TRUE(watcher.Pressed());
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(log.CountLines("AskFilenameDlg Cancel me / C:\\nowhere\\name.txt"), 1) << log.Text();
    EXPECT_EQ(log.CountLines("AskFilenameDlg returns err 0"), 1) << log.Text();
}

// A folder right under the system drive's root, removed again at the end of the test.  The
// browser walks its tree down to the start folder level by level; in a freshly made Wine prefix it
// does not always find the profile's Temp folder among the profile's children, so the test's
// folder stays out of the profile.
class ROOTFOLDER {
public:
    ROOTFOLDER()
    {
        char windows[MAX_PATH] = "C:\\";
        GetWindowsDirectoryA(windows, sizeof windows);
        char name[MAX_PATH];
        for (int i = 0; i < 100 && path.empty(); i++) {
            std::snprintf(name, sizeof name, "%.3splxbrowse_%lu_%d", windows, GetCurrentProcessId(), i);
            if (CreateDirectoryA(name, nullptr))
                path = name;
        }
    }
    ~ROOTFOLDER()
    {
        if (!path.empty())
            RemoveDirectoryA(path.c_str());
    }
    const std::string &Path() const { return path; }

private:
    std::string path;
};

TEST(FILEDIALOG, FolderBrowserOnStartFolder)
{
    ROOTFOLDER folder;
    ASSERT_FALSE(folder.Path().empty());
    STRING chosen("unchanged");
    {
        // The browser expands its tree to the start folder after it appears, sooner or later
        // depending on the machine's load: OK is pressed once that folder is selected.
        const std::string leaf = folder.Path().substr(folder.Path().find_last_of('\\') + 1);
        DIALOGWATCHER watcher({DIALOGSTEP::Press(IDOK).When([leaf](void *dialog) {
                                  return TreeSelectionIs(static_cast<HWND>(dialog), leaf);
                              })},
                              30000, GetCurrentThreadId());
        AskFolderDlg(chosen, nullptr, "Choose the data folder", (folder.Path() + "\\").c_str());
        EXPECT_TRUE(watcher.Pressed());
    }
    EXPECT_TRUE(SamePath(chosen.GetBuffer(), folder.Path())) << chosen.GetBuffer();
    {
        DIALOGWATCHER watcher(IDCANCEL, 30000, GetCurrentThreadId());
        AskFolderDlg(chosen, nullptr, "Choose the data folder", folder.Path().c_str());
        EXPECT_TRUE(watcher.Pressed());
    }
    EXPECT_STREQ(chosen.GetBuffer(), "");
}

TEST(FILEDIALOG, FileTypesByLanguage)
{
    typedef std::vector<std::string> LIST;
    EXPECT_EQ(ShownTypes(nullptr, ORVAKAPP::LANG_ID_ENGLISH), LIST{"All Files (*.*)"});
    EXPECT_EQ(ShownTypes(nullptr, ORVAKAPP::LANG_ID_GERMAN), LIST{"Alle Dateien (*.*)"});
    EXPECT_EQ(ShownTypes(".sff\nFaxes|*.sff\nTIFF|*.tif;*.tiff", ORVAKAPP::LANG_ID_GERMAN),
              (LIST{"Faxes (*.sff)", "TIFF (*.tif;*.tiff)", "Alle Dateien (*.*)"}));
}

TEST(FILEDIALOG, RecordSizeByVersion)
{
    // The short record before Windows XP; in 32-bit programs the sizes are 76 and 88 bytes.
    const bool bits32 = sizeof(void *) == 4;
    EXPECT_EQ(FILEDIALOG::RecordSize(2), bits32 ? 76u : static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A));
    EXPECT_EQ(FILEDIALOG::RecordSize(3), bits32 ? 88u : static_cast<DWORD>(sizeof(OPENFILENAMEA)));
    EXPECT_EQ(FILEDIALOG::RecordSize(9), FILEDIALOG::RecordSize(3));
}
