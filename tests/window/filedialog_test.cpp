// The portable pieces of the file dialogs: the filter text turned into Win32 pairs (the added
// "All Files" line, the default extension, skipped lines, the buffer limit), the start path split
// into folder and name, and a multiple selection's buffer turned into full paths.
#include "kestar/windowing/filedialog.h"

#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The pairs of a Win32 filter as "description=pattern" entries; checks the closing double zero.
std::vector<std::string> Pairs(const BINARY &filter)
{
    std::vector<std::string> pairs;
    const char *p = filter.GetBuffer();
    const size_t n = static_cast<size_t>(filter.Length());
    EXPECT_GE(n, 2u);
    EXPECT_EQ(p[n - 1], '\0');
    EXPECT_EQ(p[n - 2], '\0');
    size_t at = 0;
    while (at < n && p[at] != '\0') {
        std::string description(p + at);
        at += description.size() + 1;
        std::string pattern(p + at);
        at += pattern.size() + 1;
        pairs.push_back(description + "=" + pattern);
    }
    EXPECT_EQ(at + 1, n) << "one zero after the last pair";
    return pairs;
}

std::vector<std::string> Paths(STRINGARRAY paths)
{
    std::vector<std::string> out;
    for (STRING_SIZE_T i = 0; i < paths.NumItems(); ++i)
        out.push_back(paths[i]->GetBuffer());
    return out;
}

} // namespace

TEST(FILEDIALOG, FilterTable)
{
    typedef std::vector<std::string> LIST;
    struct CASE {
        const char *filetypes;
        bool german;
        LIST pairs;
        const char *extension;
    } cases[] = {
        {nullptr, false, {"All Files (*.*)=*.*"}, ""},
        {nullptr, true, {"Alle Dateien (*.*)=*.*"}, ""},
        {"Faxes|*.sff\nTIFF|*.tif", false, {"Faxes (*.sff)=*.sff", "TIFF (*.tif)=*.tif", "All Files (*.*)=*.*"}, ""},
        {"Faxes|*.sff\n\n\n", true, {"Faxes (*.sff)=*.sff", "Alle Dateien (*.*)=*.*"}, ""}, // trailing breaks go
        {"Sounds|*.wav\nEverything|*.*", false, {"Sounds (*.wav)=*.wav", "Everything (*.*)=*.*"}, ""}, // own line
        {".txt\nText|*.txt", false, {"Text (*.txt)=*.txt", "All Files (*.*)=*.*"}, "txt"},
        {".wav", false, {"All Files (*.*)=*.*"}, "wav"},
        {"|*.sff\nTIFF|*.tif\nno bar\n", false, {"TIFF (*.tif)=*.tif", "All Files (*.*)=*.*"}, ""},
        {"Text|*.txt\n.wav", false, {"Text (*.txt)=*.txt", "All Files (*.*)=*.*"}, ""}, // only a first line
    };
    for (const CASE &c : cases) {
        STRING extension("unchanged?");
        BINARY filter = FILEDIALOG::BuildFilter(c.filetypes, c.german, &extension);
        EXPECT_EQ(Pairs(filter), c.pairs) << (c.filetypes ? c.filetypes : "(null)");
        EXPECT_STREQ(extension.GetBuffer(), c.extension);
    }
}

TEST(FILEDIALOG, FilterStopsBeforeTheBufferLimit)
{
    // Each line makes a pair of 24 characters: 85 pairs and the closing zero fit in 2048.
    std::string text;
    for (int i = 0; i < 100; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Desc%03d|*.e%03d\n", i, i);
        text += line;
    }
    LOGCAPTURE log;
    BINARY filter = FILEDIALOG::BuildFilter(text.c_str(), false, nullptr);
    std::vector<std::string> pairs = Pairs(filter);
    ASSERT_EQ(pairs.size(), 85u);
    EXPECT_EQ(pairs.front(), "Desc000 (*.e000)=*.e000");
    EXPECT_EQ(pairs.back(), "Desc084 (*.e084)=*.e084");
    EXPECT_LE(static_cast<size_t>(filter.Length()), FILEDIALOG::FILTER_LIMIT);
    EXPECT_EQ(log.Conditions(), std::vector<std::string>{"_tcslen(filetypes)<2048"});

    // Just below the limit nothing is refused.
    LOGCAPTURE quiet;
    std::string fits = text.substr(0, 15 * 84); // 84 pairs, "All Files" and the zero: 2037 characters
    EXPECT_EQ(Pairs(FILEDIALOG::BuildFilter(fits.c_str(), false, nullptr)).size(), 85u);
    EXPECT_EQ(quiet.Failures(), 0);
}

TEST(FILEDIALOG, StartPathSplit)
{
    struct CASE {
        const char *path;
        bool isFolder;
        const char *folder;
        const char *name;
    } cases[] = {
        {"C:\\Faxes", true, "C:\\Faxes", ""},
        {"C:\\Faxes\\page.sff", false, "C:\\Faxes", "page.sff"},
        {"C:\\Faxes\\*.sff", false, "C:\\Faxes", "*.sff"},
        {"page.sff", false, ".", "page.sff"},
        {"C:\\", false, "C:", ""},
        {"", false, ".", ""},
        {nullptr, false, ".", ""},
    };
    for (const CASE &c : cases) {
        STRING folder, name;
        EXPECT_TRUE(FILEDIALOG::SplitStartPath(c.path, c.isFolder, FILEDIALOG::SINGLE_BUFFER, &folder, &name));
        EXPECT_STREQ(folder.GetBuffer(), c.folder) << (c.path ? c.path : "(null)");
        EXPECT_STREQ(name.GetBuffer(), c.name) << (c.path ? c.path : "(null)");
    }
    // A name must fit the dialog's buffer with its terminator; otherwise it stays empty.
    STRING folder, name;
    std::string fits = "C:\\x\\" + std::string(259, 'n');
    EXPECT_TRUE(FILEDIALOG::SplitStartPath(fits.c_str(), false, FILEDIALOG::SINGLE_BUFFER, &folder, &name));
    EXPECT_EQ(name.Length(), 259);
    LOGCAPTURE log;
    std::string tooLong = "C:\\x\\" + std::string(260, 'n');
    EXPECT_FALSE(FILEDIALOG::SplitStartPath(tooLong.c_str(), false, FILEDIALOG::SINGLE_BUFFER, &folder, &name));
    EXPECT_STREQ(folder.GetBuffer(), "C:\\x");
    EXPECT_STREQ(name.GetBuffer(), "");
    EXPECT_EQ(log.CountLines("start name too long"), 1);
    EXPECT_TRUE(FILEDIALOG::SplitStartPath(tooLong.c_str(), false, FILEDIALOG::MULTI_BUFFER, &folder, &name));
    EXPECT_EQ(name.Length(), 260);
}

TEST(FILEDIALOG, MultiSelectionResult)
{
    typedef std::vector<std::string> LIST;
    const std::string longName(400, 'x');
    struct CASE {
        std::string buffer;
        LIST paths;
    } cases[] = {
        {std::string("C:\\Faxes\0a.sff\0b.sff\0\0", 23), {"C:\\Faxes\\a.sff", "C:\\Faxes\\b.sff"}},
        {std::string("C:\\Faxes\\one.sff\0\0", 18), {"C:\\Faxes\\one.sff"}},
        {std::string("C:\\\0a.sff\0\0", 11), {"C:\\a.sff"}},          // a drive root keeps one backslash
        {std::string("C:\\dir\0name.\0\0", 14), {"C:\\dir\\name"}},    // one trailing dot goes
        {std::string("C:\\dir\0", 7) + longName + std::string("\0\0", 2), {"C:\\dir\\" + longName}},
        {std::string("\0\0", 2), {}},
        {std::string("C:\\dir\0a", 8), {"C:\\dir\\a"}},                // no closing zeros
    };
    for (const CASE &c : cases)
        EXPECT_EQ(Paths(FILEDIALOG::ParseMultiSelection(c.buffer.data(), c.buffer.size())), c.paths);
    EXPECT_TRUE(Paths(FILEDIALOG::ParseMultiSelection(nullptr, 10)).empty());
}

TEST(FILEDIALOG, ListOfPathsEndsWithNull)
{
    STRINGARRAY paths;
    paths.AddItem(STRING("C:\\a.sff"));
    paths.AddItem(STRING("C:\\b.sff"));
    char **list = FILEDIALOG::MakeList(paths);
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(list[0], "C:\\a.sff");
    EXPECT_STREQ(list[1], "C:\\b.sff");
    EXPECT_EQ(list[2], nullptr);
    FILEDIALOG::FreeList(list);
    FILEDIALOG::FreeList(nullptr);
    EXPECT_STREQ(FILEDIALOG::StripTrailingDot("name.").GetBuffer(), "name");
    EXPECT_STREQ(FILEDIALOG::StripTrailingDot("name..").GetBuffer(), "name.");
    EXPECT_STREQ(FILEDIALOG::StripTrailingDot(nullptr).GetBuffer(), "");
    EXPECT_STREQ(FILEDIALOG::StripFolderBackslash("C:\\Data\\").GetBuffer(), "C:\\Data");
    EXPECT_STREQ(FILEDIALOG::StripFolderBackslash("C:\\Data").GetBuffer(), "C:\\Data");
    EXPECT_STREQ(FILEDIALOG::StripFolderBackslash("C:\\").GetBuffer(), "C:\\"); // a root keeps it
    EXPECT_STREQ(FILEDIALOG::StripFolderBackslash("\\\\server\\share\\").GetBuffer(), "\\\\server\\share");
}
