// The common open-file and save-file dialogs and the shell's folder browser (see filedialog.h).
#include "kestar/windowing/filedialog.h"

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/window.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

namespace {

// The single-selection result: the next call overwrites it.  Window thread only.
STRING gResult;

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data)
{
    (void)lParam;
    const WSTRING *start = reinterpret_cast<const WSTRING *>(data);
    switch (message) {
    case BFFM_INITIALIZED:
        if (start && start->NotEmpty())
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->GetWide()));
        return 0;
    case BFFM_VALIDATEFAILEDA:
    case BFFM_VALIDATEFAILEDW:
        return 1; // keep the browser open
    default:
        return 0;
    }
}

} // namespace

namespace FILEDIALOG {

// The size of the dialog record: the short record before Windows XP (version id below 3).
DWORD RecordSize(int osVersionId)
{
    return osVersionId < 3 ? OPENFILENAME_SIZE_VERSION_400A : sizeof(OPENFILENAMEA);
}

} // namespace FILEDIALOG

const char *AskFilenameDlg(HWND parent, const char *title, const char *path, int open, char ***multi, int *count,
                           const char *filetypes)
{
    LOGIT::Printf("AskFilenameDlg %s / %s\n", title ? title : "<NULL>", path ? path : "<NULL>");
    if (multi)
        *multi = nullptr;
    if (count)
        *count = 0;
    STRING extension;
    BINARY filter = FILEDIALOG::BuildFilter(filetypes, ORVAKAPP::IsGerman(), &extension);

    const size_t bufferSize = multi ? FILEDIALOG::MULTI_BUFFER : FILEDIALOG::SINGLE_BUFFER;
    std::vector<char> file(bufferSize + 2, '\0'); // two more zeros: a full buffer still ends in two
    const bool isFolder = path && *path && FILENAME(path).IsDirectory();
    STRING folder, name;
    FILEDIALOG::SplitStartPath(path, isFolder, bufferSize, &folder, &name);
    if (name.NotEmpty())
        std::memcpy(file.data(), name.GetBuffer(), static_cast<size_t>(name.Length()));

    OPENFILENAMEA record;
    std::memset(&record, 0, sizeof record);
    record.lStructSize = FILEDIALOG::RecordSize(OSYS::GetOsVersionId());
    record.hwndOwner = parent ? WINDOW(parent).GetTopLevel().hWnd : nullptr;
    record.lpstrFilter = filter.GetBuffer();
    record.nFilterIndex = 1;
    record.lpstrFile = file.data();
    record.nMaxFile = static_cast<DWORD>(bufferSize);
    record.lpstrInitialDir = folder.NotEmpty() ? folder.GetBuffer() : nullptr;
    record.lpstrTitle = title;
    record.lpstrDefExt = extension.NotEmpty() ? extension.GetBuffer() : nullptr;
    record.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES | (multi ? OFN_ALLOWMULTISELECT : 0);

    BOOL ok = open ? GetOpenFileNameA(&record) : GetSaveFileNameA(&record);
    if (!ok) {
        LOGIT::Printf("AskFilenameDlg returns err %lu\n", static_cast<unsigned long>(CommDlgExtendedError()));
        return nullptr;
    }
    gResult = FILEDIALOG::StripTrailingDot(file.data());
    if (multi) {
        STRINGARRAY paths = FILEDIALOG::ParseMultiSelection(file.data(), file.size());
        *multi = FILEDIALOG::MakeList(paths);
        if (count)
            *count = static_cast<int>(paths.NumItems());
    }
    return gResult.GetBuffer();
}

const char *AskOpenFilenameDlg(HWND parent, const char *title, const char *path, const char *filetypes)
{
    return AskFilenameDlg(parent, title, path, 1, nullptr, nullptr, filetypes);
}

const char *AskSaveFilenameDlg(HWND parent, const char *title, const char *path, const char *filetypes)
{
    return AskFilenameDlg(parent, title, path, 0, nullptr, nullptr, filetypes);
}

void AskFolderDlg(STRING &result, HWND parent, const char *title, const char *start)
{
    result = "";
    HRESULT com = CoInitialize(nullptr);
    WSTRING wideStart(start ? start : "", 1252);
    char display[MAX_PATH] = "";
    BROWSEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.hwndOwner = parent ? WINDOW(parent).GetTopLevel().hWnd : nullptr;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&wideStart);
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item) {
        char path[MAX_PATH] = "";
        if (SHGetPathFromIDListA(item, path))
            result = FILEDIALOG::StripFolderBackslash(path);
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}
