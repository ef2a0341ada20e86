// The open-file, save-file and folder dialogs of the system, and the portable pieces around them:
// the filter text of the library's own form turned into Win32 filter pairs, the start path split
// into folder and name, and the result of a multiple selection turned into full paths.
//
// Filter text (8-bit, lines separated by "\n"): an optional first line ".ext" gives the default
// extension of typed names; every other line is a description, "|" and a pattern (a line with an
// empty description is skipped).  Unless the text contains "|*.*", a line "All Files|*.*" ("Alle
// Dateien|*.*" in German) is added at the end.  A null filter text is that line alone.
#ifndef KESTAR_WINDOWING_FILEDIALOG_H
#define KESTAR_WINDOWING_FILEDIALOG_H

#include "kestar/base/binary.h"
#include "kestar/base/string.h"
#include "kestar/base/stringarray.h"

#include <cstddef>

namespace FILEDIALOG {

// The size of the filter buffer in characters, the closing zero of the pairs included.
constexpr size_t FILTER_LIMIT = 2048;
// The file-name buffers of the dialog: single and multiple selection.
constexpr size_t SINGLE_BUFFER = 260;
constexpr size_t MULTI_BUFFER = 0x4000;

// The Win32 filter of filetypes: for each used line "description (pattern)", a zero, the pattern,
// a zero; after the last pair one more zero.  A pair that would not fit in FILTER_LIMIT characters
// is the assertion failure "_tcslen(filetypes)<2048" and ends the list (the earlier pairs stay).
// *defaultExtension (may be null): the extension of a first line ".ext" without its dot, else
// empty.
BINARY BuildFilter(const char *filetypes, bool german, STRING *defaultExtension);

// The dialog's start folder and name from path: an existing folder (pathIsFolder) is the folder
// with an empty name; else the part before the last backslash is the folder and the rest the
// name; without a backslash the folder is "." and the name the whole path.  A name that does not
// fit a buffer of bufferSize bytes with its terminator is left empty and logged; then false.
bool SplitStartPath(const char *path, bool pathIsFolder, size_t bufferSize, STRING *folder, STRING *name);

// text without one trailing ".".
STRING StripTrailingDot(const char *text);
// A chosen folder without its trailing backslash; a drive's root ("C:\") keeps it, since "C:"
// alone names the drive's current folder.
STRING StripFolderBackslash(const char *folder);

// The full paths of a multiple selection's buffer of size bytes: a folder followed by names
// (each "folder\name"), or one full path alone; every path without a trailing ".".  A buffer
// without its closing zeros ends at size.  Empty for an empty buffer.
STRINGARRAY ParseMultiSelection(const char *buffer, size_t size);

// The caller's copy of paths as a list of texts ending with a null entry; free it with FreeList.
char **MakeList(STRINGARRAY &paths);
void FreeList(char **list);

} // namespace FILEDIALOG

#if defined(_WIN32)
#include <windows.h>

// The open-file (open non-zero) or save-file dialog over the top-level window of parent, with
// title, the start path (see FILEDIALOG::SplitStartPath) and a filter text.  Single selection
// (multi null): the chosen path in a buffer of the library that the next call overwrites (copy it
// at once).  Multiple selection: the same first text, and *multi receives the list of full paths
// ending with a null entry (owned by the caller: FILEDIALOG::FreeList), *count their number.  Null
// when cancelled or failed (then *multi is null and *count 0).  Window thread only.
const char *AskFilenameDlg(HWND parent, const char *title, const char *path, int open, char ***multi, int *count,
                           const char *filetypes);
const char *AskOpenFilenameDlg(HWND parent, const char *title, const char *path, const char *filetypes);
const char *AskSaveFilenameDlg(HWND parent, const char *title, const char *path, const char *filetypes);
// The shell's folder browser with title, opened on start (null: the browser's default).  result:
// the chosen folder without a trailing backslash (a drive's root keeps it), or the empty text
// when cancelled.
void AskFolderDlg(STRING &result, HWND parent, const char *title, const char *start);

namespace FILEDIALOG {
// The size of the dialog record for a system version id: the short record before Windows XP.
DWORD RecordSize(int osVersionId);
} // namespace FILEDIALOG
#endif

#endif
