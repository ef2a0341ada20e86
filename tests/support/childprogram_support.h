// Running a program of ours as a child process from a test: started in a chosen folder, watched for
// a dialog or message box that it puts up (whose button is pressed and whose texts are kept), and
// ended by force when it does not finish in time, so that no test can hang on it.  Windows only.
#ifndef TESTS_SUPPORT_CHILDPROGRAM_SUPPORT_H
#define TESTS_SUPPORT_CHILDPROGRAM_SUPPORT_H

#if defined(_WIN32)

#include <string>

struct CHILDRESULT {
    bool started = false;
    bool finished = false;         // ended by itself within the time
    unsigned long exitCode = 0;    // valid when finished
    bool pressed = false;          // a dialog of the child was found and its button pressed
    std::string title;             // that dialog's title
    std::string text;              // the texts of its static controls, joined by line feeds
};

// Runs commandLine (the program in double quotes, then its arguments) with folder as its current
// folder.  buttonId: pressed in the first dialog (class "#32770") that the child shows; 0 leaves
// dialogs alone.  After timeoutMs the child is ended and finished stays false.
CHILDRESULT RunChildProgram(const std::string &commandLine, const std::string &folder, int buttonId,
                            int timeoutMs = 60000);

// The folder of the running test program (where the build puts every program and library),
// without a trailing backslash.
std::string TestProgramFolder();
// Copies a file; true on success.
bool CopyFileForTest(const std::string &from, const std::string &to);

#endif

#endif
