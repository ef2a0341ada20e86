// The process-wide log facility and the assertions that stay in shipped programs.
//
// Logging is off until a switch (/LOGIT and friends) opens it; while it is off, Printf and
// PrintfLevel return after two flag tests, so trace calls stay in all code.  A failed assertion is
// logged, appended to "assert.log" and put before the user in a Yes/No box (unless /NOASSERT);
// No, or an orderly stop, closes the log and ends the process with exit code 42.
#ifndef KESTAR_LOGIT_H
#define KESTAR_LOGIT_H

#include <cstdarg>

#if defined(__clang__)
#define LOGIT_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#elif defined(__GNUC__)
#define LOGIT_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define LOGIT_PRINTF_FORMAT(fmt, args)
#endif

namespace LOGIT {

// Formats are checked by the compiler; the C99 formatter is used on every platform (the MinGW
// C++ runtime's, not msvcrt's), so "%zu", "%lld" and "%lf" work everywhere.
// Writes one text when file logging or debugger output is on; 1 when written, 0 when off.
int Printf(const char *format, ...) LOGIT_PRINTF_FORMAT(1, 2);
// The same, filtered by the level and category mask LogitLevel.
int PrintfLevel(int level, const char *format, ...) LOGIT_PRINTF_FORMAT(2, 3);
// The common writer of both.
int WriteLine(const char *format, va_list arguments);
// Acts on one log switch ("/LOGIT", "/LOG:n", "/NOASSERT", ...); 1 when the text was one.
int HandleSwitch(const char *text);
// 1 at once when condition is non-zero; otherwise reports the failure and returns 1 when the
// program may go on (always, when no box is shown), so callers test the condition themselves to
// decide what to return.  info may be null ("<null>" in the report).  The box is kept away by
// "/NOASSERT", by quiet, and by an environment value ORVAKNOASSERT other than empty or "0" (test
// programs set it).
int Assert(int condition, const char *text, const char *file, int line, const char *info, int quiet);
// The orderly stop after an assertion about an index or an entry that must exist: closes the log
// and ends the process with exit code 42.  Never returns.
[[noreturn]] void OrderlyStop();

// The debug hot keys: function key 5 acts as "/LOGIT", 6 as "/LOGITHARD", 7 as
// "/LOGIT:CONSOLE", 8 as "/LOGITCLOSE", each acknowledged by three beeps (rising, falling for 8).
// 1 when the key was one of them.  The caller has checked that Ctrl and Shift are down, Alt not.
int HandleDebugKey(int functionKey);
#if defined(_WIN32)
// Reads the hot keys from a window message (WM_KEYDOWN, or a list view's LVN_KEYDOWN inside
// WM_NOTIFY) while Ctrl and Shift are held and Alt is not; 1 when one was acted on.  The class
// library's window procedures call it after every message.
int HandleDebugHotKeys(unsigned message, unsigned long long wparam, long long lparam);
#endif

// Closes the log as "/LOGITCLOSE" does (also at the end of the program).
void Close();
// True while file logging or debugger output is on.
bool IsLogging();
// Copies the name of the open log file (empty for none, standard error or a console).
void GetFileName(char *buffer, int size);
// The level and category mask of PrintfLevel ("/LOG:n", "/D:n" OR into it).
int GetLogitLevel();
void SetLogitLevel(int level);
// The no-assert state that each "/NOASSERT" flips; set outright by code that must never put a
// box up (a library inside the print spooler).
bool IsNoAssert();
void SetNoAssert(bool on);
// The crash-dump level of "/CRASHDUMP[:n]" (0 = off) and "/LOGITHARD" (at least 2); the
// application frame reads it when it arms its crash handler.
int GetCrashDumpLevel();
void SetCrashDumpLevel(int level);
// Set by the application frame: the application name and version for the assertion title and the
// fallback assertion file, and whether the user interface is German.  Until then the program's
// file name stands for the name.
void SetApplication(const char *name, const char *version, bool german);
// Set by the application frame: writes a crash dump when crash dumps are on; called before the
// process ends after the user answered No to an assertion.
void SetCrashDumpWriter(void (*writer)());
// For tests: forgets the start time, the first thread, nesting and channel, as at process start.
void ResetForTests();

} // namespace LOGIT

// Assertion helpers; each evaluates to the result of LOGIT::Assert (1 = go on).
#define ORVAK_ASSERT(cond) LOGIT::Assert((cond) ? 1 : 0, #cond, __FILE__, __LINE__, nullptr, 0)
#define ORVAK_ASSERT_INFO(cond, info) LOGIT::Assert((cond) ? 1 : 0, #cond, __FILE__, __LINE__, (info), 0)
#define ORVAK_ASSERT_QUIET(cond, info) LOGIT::Assert((cond) ? 1 : 0, #cond, __FILE__, __LINE__, (info), 1)
// Reports a failed condition and then stops the program in order (exit code 42).
#define ORVAK_ASSERT_FATAL(cond, info)                                                  \
    do {                                                                                \
        if (!(cond)) {                                                                  \
            LOGIT::Assert(0, #cond, __FILE__, __LINE__, (info), 0);                     \
            LOGIT::OrderlyStop();                                                       \
        }                                                                               \
    } while (0)

#endif
