// A scratch folder for one test, removed with everything in it when the object goes; and small
// file helpers for reading back what the code under test wrote.
#ifndef TESTS_SUPPORT_TEMPFOLDER_SUPPORT_H
#define TESTS_SUPPORT_TEMPFOLDER_SUPPORT_H

#include <string>

class TEMPFOLDER {
public:
    TEMPFOLDER();
    ~TEMPFOLDER();
    TEMPFOLDER(const TEMPFOLDER &) = delete;
    TEMPFOLDER &operator=(const TEMPFOLDER &) = delete;

    const std::string &Path() const { return path; }
    // Path() joined with name by the platform's separator.
    std::string File(const std::string &name) const;

private:
    std::string path;
};

// The whole file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string &name);
// Writes bytes as the whole file, binary; false when it cannot be written.
bool WriteWholeFile(const std::string &name, const std::string &bytes);
// The names in folder, sorted, each followed by ";": what a test left there.
std::string FolderListing(const std::string &folder);
bool FileExistsForTest(const std::string &name);
// The current folder, and changing it (true on success).
std::string CurrentFolderForTest();
bool ChangeFolderForTest(const std::string &folder);

#endif
