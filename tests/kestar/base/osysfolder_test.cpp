// The folder services of OSYS on a scratch tree: wildcard matching, listing, creating paths,
// copying and removing trees, and FILESEARCH under them.
#include <gtest/gtest.h>

#include "kestar/base/filename.h"
#include "kestar/base/filesearch.h"
#include "kestar/base/osysfolder.h"
#include "kestar/base/stringarray.h"
#include "tests/support/tempfolder_support.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Str(const STRING &s)
{
    return s.Buffer ? std::string(s.Buffer, static_cast<size_t>(s.StrLen)) : std::string();
}

// root\a.txt, root\b.log, root\sub\c.txt, root\sub\deep\d.txt, root\.hidden\e.txt
class FOLDERTREE : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(temp.Path().empty());
        FILENAME r;
        r.SetText(temp.File("root").c_str());
        root = r.Text();
        Write("a.txt", "A");
        Write("b.log", "BB");
        Write("sub/c.txt", "CCC");
        Write("sub/deep/d.txt", "DDDD");
        Write(".hidden/e.txt", "E");
    }
    void Write(const std::string &name, const std::string &data)
    {
        fs::path p = fs::path(temp.File("root")) / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << data;
    }
    std::string In(const std::string &folder, const std::string &name) const
    {
        std::string s = folder + "\\" + name;
        for (char &c : s)
            if (c == '/')
                c = '\\';
        return s;
    }
    static std::vector<std::string> Items(STRINGARRAY &list)
    {
        std::vector<std::string> r;
        for (int i = 0; i < list.NumItems(); i++)
            r.push_back(Str(*list[i]));
        return r;
    }
    static size_t IndexOf(const std::vector<std::string> &v, const std::string &s)
    {
        for (size_t i = 0; i < v.size(); i++)
            if (v[i] == s)
                return i;
        return std::string::npos;
    }

    TEMPFOLDER temp;
    std::string root; // in FILENAME form
};

} // namespace

TEST_F(FOLDERTREE, ListFilesByPatternAndDepth)
{
    STRINGARRAY flat(0);
    EXPECT_EQ(OSYS::ListFiles(root.c_str(), "*.txt", &flat, false), 1);
    EXPECT_EQ(Items(flat), (std::vector<std::string>{In(root, "a.txt")}));

    STRINGARRAY deep(0);
    EXPECT_EQ(OSYS::ListFiles(root.c_str(), "*.txt", &deep, true), 3);
    std::vector<std::string> items = Items(deep);
    EXPECT_EQ(std::set<std::string>(items.begin(), items.end()),
              (std::set<std::string>{In(root, "a.txt"), In(root, "sub\\c.txt"), In(root, "sub\\deep\\d.txt")}));

    STRINGARRAY all(0);
    EXPECT_EQ(OSYS::ListFiles(root.c_str(), "*.*", &all, true), 6);
    items = Items(all);
    ASSERT_EQ(items.size(), 6u);
    // A folder follows its contents; folders starting with "." are not entered.
    EXPECT_LT(IndexOf(items, In(root, "sub\\deep\\d.txt")), IndexOf(items, In(root, "sub\\deep")));
    EXPECT_LT(IndexOf(items, In(root, "sub\\deep")), IndexOf(items, In(root, "sub")));
    EXPECT_LT(IndexOf(items, In(root, "sub\\c.txt")), IndexOf(items, In(root, "sub")));
    EXPECT_EQ(IndexOf(items, In(root, ".hidden\\e.txt")), std::string::npos);

    EXPECT_EQ(OSYS::ListFiles(root.c_str(), "*", nullptr, true), 4); // folders only count in a list
    EXPECT_EQ(OSYS::ListFiles(root.c_str(), "*", nullptr, false), 2);
    EXPECT_EQ(OSYS::ListFiles(In(root, "missing").c_str(), "*", nullptr, true), 0);
}

TEST_F(FOLDERTREE, FileSearchWalksOneFolder)
{
    std::set<std::string> seen;
    STRING name;
    for (FILESEARCH fs(In(root, "*.t?t").c_str(), &name); fs.Found(); fs.Next()) {
        seen.insert(fs.GetName().Text());
        EXPECT_EQ(Str(name), fs.GetName().Text());
        EXPECT_EQ(std::string(fs.GetPath().Text()), In(root, fs.GetName().Text()));
        EXPECT_FALSE(fs.IsDirectory());
        EXPECT_EQ(fs.GetSize(), 1);
    }
    EXPECT_EQ(seen, (std::set<std::string>{"a.txt"}));
    FILESEARCH none(In(root, "*.none").c_str());
    EXPECT_FALSE(none.Found());
    EXPECT_FALSE(none.Next());
    FILESEARCH folder(In(root, "su*").c_str());
    ASSERT_TRUE(folder.Found());
    EXPECT_TRUE(folder.IsDirectory());
}

TEST_F(FOLDERTREE, CreateDirectoryPathMakesEveryLevel)
{
    std::string deep = In(root, "x\\y\\z");
    EXPECT_TRUE(OSYS::CreateDirectoryPath(deep.c_str()));
    EXPECT_TRUE(fs::is_directory(temp.File("root/x/y/z")));
    EXPECT_TRUE(OSYS::CreateDirectoryPath((deep + "\\").c_str())); // exists already
    EXPECT_FALSE(OSYS::CreateDirectoryPath(In(root, "a.txt\\q").c_str())); // a file in the way
    EXPECT_FALSE(OSYS::CreateDirectoryPath(""));
}

TEST_F(FOLDERTREE, CopyFolderCopiesTheTree)
{
    std::string to = In(temp.Path(), "copy");
    EXPECT_TRUE(OSYS::CopyFolder(root.c_str(), to.c_str(), "*", true, false));
    EXPECT_EQ(ReadWholeFile(temp.File("copy/a.txt")), "A");
    EXPECT_EQ(ReadWholeFile(temp.File("copy/b.log")), "BB");
    EXPECT_EQ(ReadWholeFile(temp.File("copy/sub/c.txt")), "CCC");
    EXPECT_EQ(ReadWholeFile(temp.File("copy/sub/deep/d.txt")), "DDDD");
    EXPECT_FALSE(fs::exists(temp.File("copy/.hidden")));

    // Only matching files, with the folders they need.
    std::string txt = In(temp.Path(), "txt");
    EXPECT_TRUE(OSYS::CopyFolder(root.c_str(), txt.c_str(), "*.txt", true, false));
    EXPECT_EQ(ReadWholeFile(temp.File("txt/sub/deep/d.txt")), "DDDD");
    EXPECT_FALSE(fs::exists(temp.File("txt/b.log")));

    // Keeping existing files is no failure; overwriting replaces them.
    std::ofstream(temp.File("copy/a.txt"), std::ios::binary) << "mine";
    EXPECT_TRUE(OSYS::CopyFolder(root.c_str(), to.c_str(), "*", true, true));
    EXPECT_EQ(ReadWholeFile(temp.File("copy/a.txt")), "mine");
    EXPECT_TRUE(OSYS::CopyFolder(root.c_str(), to.c_str(), "*", true, false));
    EXPECT_EQ(ReadWholeFile(temp.File("copy/a.txt")), "A");
}

TEST_F(FOLDERTREE, CopyFileListReportsAFailedEntryAndGoesOn)
{
    STRINGARRAY list(0);
    list.AddItem(STRING(In(root, "a.txt").c_str()));
    list.AddItem(STRING(In(root, "vanished.txt").c_str()));
    list.AddItem(STRING(In(root, "b.log").c_str()));
    std::string to = In(temp.Path(), "out");
    EXPECT_FALSE(OSYS::CopyFileList(root.c_str(), to.c_str(), list, false));
    EXPECT_EQ(ReadWholeFile(temp.File("out/a.txt")), "A");
    EXPECT_EQ(ReadWholeFile(temp.File("out/b.log")), "BB");
}

TEST_F(FOLDERTREE, RemoveDirectoryTreeRemovesContentsAndFolders)
{
    std::string to = In(temp.Path(), "copy");
    ASSERT_TRUE(OSYS::CopyFolder(root.c_str(), to.c_str(), "*", true, false));
    // By pattern and not recursive: only matching files go, the folder stays (not empty).
    EXPECT_EQ(OSYS::RemoveDirectoryTree(to.c_str(), "*.log", false), 1);
    EXPECT_FALSE(fs::exists(temp.File("copy/b.log")));
    EXPECT_TRUE(fs::exists(temp.File("copy/a.txt")));
    // The whole tree: sub\deep, sub and the folder itself.
    EXPECT_EQ(OSYS::RemoveDirectoryTree(to.c_str(), "*", true), 3);
    EXPECT_FALSE(fs::exists(temp.File("copy")));
    EXPECT_TRUE(fs::exists(temp.File("root/sub/deep/d.txt")));
}
