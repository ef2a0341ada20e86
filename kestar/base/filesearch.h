// FILESEARCH: one walk over the entries of a folder that match a wildcard pattern, in the order
// the file system gives them ("." and ".." included, as the system reports them).
//
//     for (FILESEARCH fs("C:\\spool\\*.sff"); fs.Found(); fs.Next()) ... fs.GetPath() ...
#ifndef KESTAR_FILESEARCH_H
#define KESTAR_FILESEARCH_H

#include "kestar/base/filename.h"
#include "kestar/base/fsys.h"

class FILESEARCH {
public:
    // Starts the walk at the first entry matching pattern (a path whose last component may hold
    // "*" and "?").  nameOut, when given, receives each current entry's name; borrowed, it must
    // outlive the walk.
    explicit FILESEARCH(const char *pattern, STRING *nameOut = nullptr);
    ~FILESEARCH();
    FILESEARCH(const FILESEARCH &) = delete;
    FILESEARCH &operator=(const FILESEARCH &) = delete;

    // Whether there is a current entry.
    bool Found() const { return bFound; }
    // Moves to the next entry; false (and Found() false) at the end.
    bool Next();
    // Whether the current entry has any of the attribute bits (FSYS::ATTR_...).
    bool HasAttribute(long bits) const;
    bool IsDirectory() const { return HasAttribute(FSYS::ATTR_DIRECTORY); }
    const FILENAME &GetName() const { return Name; } // the current entry's name
    const FILENAME &GetPath() const { return Path; } // folder "\" name
    const FILENAME &GetFolder() const { return Folder; }
    int64_t GetSize() const { return bFound ? Entry.Size : -1; }

private:
    void Take();

    FSYS::FINDENTRY Entry; // find data of the current entry
    void *hWalk;           // owned: the layer's walk; null when none
    FILENAME Folder;       // the folder searched
    FILENAME PatternPath;  // the pattern as given
    FILENAME Name;         // the current entry's name
    FILENAME Path;         // the current entry's full path
    bool bFound;
    STRING *pNameOut;      // borrowed, may be null
};

#endif
