// The few operating-system services that the log facility and the assertions need, kept private
// to them: the log must work before (and underneath) every other OS-layer class, which all log
// through it.  Plain char buffers only: no STRING, so nothing here can log or assert.
// Implemented by logitos_win32.cpp and logitos_posix.cpp.
// The thread and process ids and the environment come from OSYS::GetCurrentThreadId,
// FSYS::ProcessId and OSYSENV::Get, which make plain system calls and neither log nor assert.
// The folders, paths and file calls here stay private on purpose: OSYS::GetSystemPath and FILENAME
// work in STRINGs and assert, and must not be entered while the log lock is held.
#ifndef KESTAR_LOGITOS_H
#define KESTAR_LOGITOS_H

#include <cstddef>

namespace LOGITOS {

// The process-wide log lock: re-entrant, created race-free on first use, never destroyed, so a
// thread that writes while the log is closed or reopened, or during static destruction, never
// touches a freed lock.
void LockLog();
void UnlockLog();

// High-resolution counter and its ticks per second.
unsigned long long Counter();
unsigned long long CounterFrequency();

// Output handles: a file we opened, the standard error handle or a console's output.  Only
// CloseOutput on a handle from OpenLogFile or OpenConsole releases anything.
void *OpenLogFile(const char *name, bool append, bool writeThrough); // null on failure
void *StdErrOutput();
// The console's output; allocated says whether a console was allocated for it (a program that has
// one already writes to that).  Null on failure.
void *OpenConsole(bool &allocated);
// Closes a handle from OpenLogFile or OpenConsole; freeConsole frees an allocated console.
void CloseOutput(void *handle, bool freeConsole);
bool WriteOutput(void *handle, const char *data, size_t length);
void DebuggerOutput(const char *text);
// Appends text to a file (created when missing); false when it cannot be opened or written.
bool AppendToFile(const char *name, const char *text);
bool RemoveFile(const char *name);
bool FileExists(const char *name);
bool IsAbsolutePath(const char *name);
char PathSeparator();

// The last system error code of the calling thread, and its text without trailing line breaks
// (empty for 0).
int LastErrorCode();
void ErrorText(int code, char *buffer, size_t size);

struct DATETIME {
    int year, month, day, hour, minute, second, millisecond;
};
void LocalNow(DATETIME &now);

// Folders without a trailing separator; false (buffer empty) when unknown.
bool DocumentsFolder(char *buffer, size_t size, bool allUsers);
bool DesktopFolder(char *buffer, size_t size);
bool RunsAsSystemUser();
// The program's full path; its size and modification time (false when unknown).
bool ProgramPath(char *buffer, size_t size);
bool FileSizeAndTime(const char *name, unsigned long &size, DATETIME &modified);

// Puts the Yes/No question of a failed assertion before the user; true for Yes.  Where there is
// no user interface the answer is Yes (the program goes on).
bool AskYesNo(const char *caption, const char *text);
void Beep(unsigned frequency, unsigned milliseconds);
// Ends the process at once with the exit code, after flushing the C library's streams.
[[noreturn]] void ExitProcess(int code);

} // namespace LOGITOS

#endif
