// The folder services of OSYS: listing with a wildcard, creating a whole folder path, copying and
// removing folder trees.  Portable; they reach the file system through FILENAME and FILESEARCH.
#ifndef KESTAR_OSYSFOLDER_H
#define KESTAR_OSYSFOLDER_H

#include "kestar/base/osyswildcard.h"

class STRINGARRAY;

namespace OSYS {

// Counts the files of folder that match pattern ("*.*" counts as "*") and, when list is given,
// appends their full paths.  recursive descends into sub-folders whose names do not begin with
// "."; with the pattern "*" and a list, each such folder is appended (and counted) after its
// contents.  Entries already in list stay.
int ListFiles(const char *folder, const char *pattern, STRINGARRAY *list, bool recursive);

// Creates every missing folder of path ("\\server\share\..." starts at the share); true when the
// whole path is a folder at the end.
bool CreateDirectoryPath(const char *path);

// Copies the entries of list (full paths below from, as ListFiles gives them) to the same places
// below to, last entry first: folders are created, files copied (existing ones kept when
// keepExisting is set, which is not a failure).  Every entry is tried; false when any failed.
bool CopyFileList(const char *from, const char *to, STRINGARRAY &list, bool keepExisting);
// Lists from with pattern (recursively when asked) and copies it to to.
bool CopyFolder(const char *from, const char *to, const char *pattern, bool recursive, bool keepExisting);

// Deletes the files of folder that match pattern (recursively when asked), then removes the
// folders that became empty, contents before their folder and folder itself last.  Folders that
// cannot be removed are skipped.  Returns the number of folders tried.
int RemoveDirectoryTree(const char *folder, const char *pattern, bool recursive);

} // namespace OSYS

#endif
