// Helpers of the port monitor's Windows tests: a scratch drop folder that the monitor finds
// through the machine's "Common AppData" value (set for the test's life, then restored), the
// spool files in it, and their pages.  Windows only.
#ifndef TESTS_PORTMONITOR_DROPFOLDER_SUPPORT_H
#define TESTS_PORTMONITOR_DROPFOLDER_SUPPORT_H

#include <string>
#include <vector>

#include "tests/support/faxpages_support.h"
#include "tests/support/tempfolder_support.h"

class DROPFOLDER {
public:
    // Points "Common AppData" at a new scratch folder; with remove, deletes the value instead
    // (the shell's folder counts then).
    explicit DROPFOLDER(bool remove = false);
    // Restores the value as it was.
    ~DROPFOLDER();
    DROPFOLDER(const DROPFOLDER &) = delete;
    DROPFOLDER &operator=(const DROPFOLDER &) = delete;

    // The scratch folder the value names.
    const std::string &Root() const { return scratch.Path(); }
    // Where the monitor drops its files: <value>\Orvak\Parlomatix, or for a removed value the
    // shell's common application-data folder with the same two folders.
    std::string Folder() const;
    // Full paths of the files matching pattern in Folder(), sorted.
    std::vector<std::string> Files(const char *pattern = "plxfax_*.sff") const;
    // Deletes every file in Folder().
    void Clear() const;

private:
    TEMPFOLDER scratch;
    bool removed;
    bool hadValue;
    std::string oldValue;
};

// The pages of an SFF file, decoded by the class library's SFF reader and read back by the
// tests' own base-form reader.
std::vector<faxtest::Page> SffPages(const std::string &path);
// The account of the calling thread.
std::string ThisUser();

#endif
