// FILESEARCH: a folder walk on top of the file-system layer.
#include "kestar/base/filesearch.h"

#include <string>

FILESEARCH::FILESEARCH(const char *pattern, STRING *nameOut)
    : hWalk(nullptr), bFound(false), pNameOut(nameOut)
{
    PatternPath.SetText(pattern);
    Folder = PatternPath.GetFolder();
    if (PatternPath.NotEmpty())
        hWalk = FSYS::FindFirst(PatternPath.Text(), Entry);
    bFound = hWalk != nullptr;
    if (bFound)
        Take();
}

FILESEARCH::~FILESEARCH()
{
    FSYS::FindClose(hWalk);
}

bool FILESEARCH::Next()
{
    bFound = bFound && FSYS::FindNext(hWalk, Entry);
    if (bFound)
        Take();
    return bFound;
}

bool FILESEARCH::HasAttribute(long bits) const
{
    return bFound && (Entry.Attributes & bits) != 0;
}

void FILESEARCH::Take()
{
    Name.SetText(Entry.Name.c_str());
    std::string folder = Folder.Text();
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    Path.SetText((folder + Entry.Name).c_str());
    if (pNameOut)
        *pNameOut = STRING(Entry.Name.c_str());
}
