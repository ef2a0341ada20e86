// Watching the log facility from a test: a LOGCAPTURE logs into a file of its own scratch folder
// (which is also the current folder meanwhile, so that "assert.log" lands there) and tells which
// assertion failures were reported, with their additional information.
#ifndef TESTS_SUPPORT_LOGCAPTURE_SUPPORT_H
#define TESTS_SUPPORT_LOGCAPTURE_SUPPORT_H

#include <string>
#include <vector>

#include "tests/support/tempfolder_support.h"

class LOGCAPTURE {
public:
    // level: the PrintfLevel mask for the capture (restored afterwards).
    explicit LOGCAPTURE(int level = 0);
    ~LOGCAPTURE();
    LOGCAPTURE(const LOGCAPTURE &) = delete;
    LOGCAPTURE &operator=(const LOGCAPTURE &) = delete;

    // Everything logged so far (closes the log at the first call; later logging is not seen).
    const std::string &Text();
    // The conditions of the reported assertion failures, in order.
    std::vector<std::string> Conditions();
    // How many assertion failures were reported.
    int Failures() { return static_cast<int>(Conditions().size()); }
    // The "Add. Info" of the first failure with that condition; "<none>" when there was none.
    std::string InfoOf(const std::string &condition);
    // How many logged lines contain text.
    int CountLines(const std::string &text);

private:
    TEMPFOLDER folder;
    std::string logName;
    std::string oldFolder;
    int oldLevel;
    bool closed = false;
    std::string text;
};

#endif
