// Starting other programs: OSYS::StartProgram with and without waiting, its two wrappers, and the
// shell's "open" verb.  Windows only.
#ifndef KESTAR_OSYSPROGRAM_H
#define KESTAR_OSYSPROGRAM_H

#include "kestar/base/string.h"

struct _PROCESS_INFORMATION;

namespace OSYS {

// Flags of StartProgram.
enum {
    START_WAIT = 0x01,      // wait until the program ends
    START_HIDDEN = 0x02,    // show mode 0
    START_MINIMIZED = 0x04, // show mode 2, only without START_HIDDEN
    START_MAXIMIZED = 0x08, // show mode 3, only without START_HIDDEN and START_MINIMIZED
    START_DISPATCH = 0x10,  // with START_WAIT: wait in 10 ms steps, dispatching up to 42 window
                            // messages between steps; without it the wait dispatches nothing
};

// The exit code StartProgram reports when it has none.
const int NO_EXIT_CODE = -8;

// Starts program with parameters (either may be empty) in workFolder (null or empty: the caller's
// current folder); windowTitle (may be null) is the title of a new console window.  A program text
// beginning with "*" starts minimised and one beginning with "#" hidden, whatever the flags say.
// processInfo (may be null) receives the process and thread handles and ids; the caller then owns
// both handles.  exitCode (may be null) is NO_EXIT_CODE until a waited-for program has ended.
// true when the program was started (and, with START_WAIT, has ended).
bool StartProgram(const char *program, const char *parameters, const char *workFolder, const char *windowTitle,
                  int flags, _PROCESS_INFORMATION *processInfo, int *exitCode);
// StartProgram(command, "", null, windowTitle, wait ? START_WAIT : 0, null, null).
bool RunProgram(const char *command, const char *windowTitle, bool wait);
bool RunProgramWithParms(const char *command, const char *parameters, const char *windowTitle, bool wait);
// Starts command (as RunProgram) and waits for its end at most timeoutMs (-1: without limit).
// 1 when it ended, 0 when it still runs after the time (it is left running), -1 when it could not
// be started.
int RunProgramTimed(const char *command, const char *windowTitle, int timeoutMs);

// The command line StartProgram builds: "\"program\" parameters" (the program as it stands when it
// is already quoted), or the program alone without parameters.
STRING MakeProgramCommandLine(const char *program, const char *parameters);

// The shell's "open" verb, shown normally; true when the shell's result is above 32.  owner is a
// window handle (HWND) or null.
bool ShellExecuteRun(void *owner, const char *program, const char *parameters, const char *workFolder);
// Opens a file with its program, the current folder as work folder.
bool ShellOpen(const char *file, void *owner);
// The program that Windows associates with file (FindExecutable): the shell's result code,
// above 32 with program set to the program's path; otherwise program is unchanged.
int FindAssociatedProgram(const char *file, STRING &program);

} // namespace OSYS

#endif
