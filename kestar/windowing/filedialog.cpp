// The portable pieces of the file dialogs (see filedialog.h).
#include "kestar/windowing/filedialog.h"

#include "kestar/base/logit.h"

#include <cstring>

namespace FILEDIALOG {

BINARY BuildFilter(const char *filetypes, bool german, STRING *defaultExtension)
{
    if (defaultExtension)
        *defaultExtension = "";
    const char *allFiles = german ? "Alle Dateien|*.*" : "All Files|*.*";
    STRING text;
    if (filetypes == nullptr) {
        text = allFiles;
    } else {
        text = filetypes;
        if (text.Pos("|*.*") < 0) {
            while (text.NotEmpty() && (text[text.Length() - 1] == '\n'))
                text.Truncate(text.Length() - 1);
            text += "\n";
            text += allFiles;
        }
    }

    BINARY filter;
    filter.Make(0);
    STRINGARRAY lines(text, "\n");
    for (STRING_SIZE_T i = 0; i < lines.NumItems(); ++i) {
        const STRING &line = *lines[i];
        if (i == 0 && line.Length() > 0 && line[0] == '.') {
            if (defaultExtension)
                *defaultExtension = line.Mid(1);
            continue;
        }
        STRING_SIZE_T bar = line.PosChar('|');
        if (bar <= 0)
            continue; // no description (or no "|" at all): nothing to show
        STRING description = line.Left(bar);
        STRING pattern = line.Mid(bar + 1);
        STRING shown;
        shown.Format("%s (%s)", description.GetBuffer(), pattern.GetBuffer() ? pattern.GetBuffer() : "");
        const size_t pairLength = static_cast<size_t>(shown.Length()) + 1 + static_cast<size_t>(pattern.Length()) + 1;
        // The pairs and the closing zero must stay inside the buffer of FILTER_LIMIT characters.
        if (static_cast<size_t>(filter.Length()) + pairLength + 1 > FILTER_LIMIT) {
            LOGIT::Assert(0, "_tcslen(filetypes)<2048", __FILE__, __LINE__, shown, 0);
            break;
        }
        filter.Append(shown.GetBuffer(), shown.Length() + 1);
        filter.Append(pattern.GetBuffer() ? pattern.GetBuffer() : "", pattern.Length() + 1);
    }
    filter.Append("", 1);
    if (filter.Length() == 1)
        filter.Append("", 1); // no pair at all: still two zeros
    return filter;
}

bool SplitStartPath(const char *path, bool pathIsFolder, size_t bufferSize, STRING *folder, STRING *name)
{
    STRING whole(path ? path : "");
    if (pathIsFolder) {
        *folder = whole;
        *name = "";
        return true;
    }
    STRING_SIZE_T slash = -1;
    for (STRING_SIZE_T i = 0; i < whole.Length(); ++i)
        if (whole[i] == '\\')
            slash = i;
    if (slash < 0) {
        *folder = ".";
        *name = whole;
    } else {
        *folder = whole.Left(slash);
        *name = whole.Mid(slash + 1);
    }
    if (static_cast<size_t>(name->Length()) + 1 > bufferSize) {
        LOGIT::Printf("AskFilenameDlg start name too long (%d characters), left empty\n", name->Length());
        *name = "";
        return false;
    }
    return true;
}

STRING StripTrailingDot(const char *text)
{
    STRING result(text ? text : "");
    if (result.Length() > 0 && result[result.Length() - 1] == '.')
        result.Truncate(result.Length() - 1);
    return result;
}

STRING StripFolderBackslash(const char *folder)
{
    STRING result(folder ? folder : "");
    const STRING_SIZE_T n = result.Length();
    if (n > 0 && result[n - 1] == '\\' && !(n == 3 && result[1] == ':'))
        result.Truncate(n - 1);
    return result;
}

STRINGARRAY ParseMultiSelection(const char *buffer, size_t size)
{
    STRINGARRAY texts;
    size_t at = 0;
    while (buffer && at < size && buffer[at] != '\0') {
        size_t end = at;
        while (end < size && buffer[end] != '\0')
            ++end;
        texts.AddItem(STRING::FromBytes(buffer + at, static_cast<STRING_SIZE_T>(end - at)));
        at = end + 1;
    }
    STRINGARRAY paths;
    if (texts.NumItems() == 1) {
        paths.AddItem(StripTrailingDot(*texts[0]));
        return paths;
    }
    for (STRING_SIZE_T i = 1; i < texts.NumItems(); ++i) {
        STRING path(*texts[0]);
        // A drive's root comes with its backslash ("C:\").
        if (path.Length() == 0 || path[path.Length() - 1] != '\\')
            path += "\\";
        path += *texts[i];
        paths.AddItem(StripTrailingDot(path));
    }
    return paths;
}

char **MakeList(STRINGARRAY &paths)
{
    const STRING_SIZE_T n = paths.NumItems();
    char **list = new char *[static_cast<size_t>(n) + 1];
    for (STRING_SIZE_T i = 0; i < n; ++i) {
        const STRING &path = *paths[i];
        list[i] = new char[static_cast<size_t>(path.Length()) + 1];
        std::memcpy(list[i], path.GetBuffer() ? path.GetBuffer() : "", static_cast<size_t>(path.Length()) + 1);
    }
    list[n] = nullptr;
    return list;
}

void FreeList(char **list)
{
    if (list == nullptr)
        return;
    for (char **p = list; *p; ++p)
        delete[] *p;
    delete[] list;
}

} // namespace FILEDIALOG
