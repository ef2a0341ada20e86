// ORVAKAPP: the frame around a program's own main.  The program entry splits the command line, the
// frame prepares the process (heap, crash handler, common controls, DPI awareness, time zone),
// collects the arguments from the command line and from the "commandline.ini" files, hands each to
// the log switches, picks the user-interface language and calls main; afterwards it logs the exit
// banner and frees what it loaded.  It also answers the switch queries (TestArg, TestArgValue,
// GetArgValue), loads the language library, runs the message loop and writes crash dumps.
//
// The argument handling, the language choice and the naming of dumps are portable (orvakapp.cpp);
// the process set-up, the language library, the message loop and the crash handler are Win32
// (orvakapp_win32.cpp).
//
// Threads: the frame runs on the main thread.  The argument list is filled before main starts and
// only read afterwards, so the queries take no lock.
#ifndef KESTAR_ORVAKAPP_H
#define KESTAR_ORVAKAPP_H

#include "kestar/base/string.h"

// The work folder: "." until the frame sets the current folder at start; the work-folder rules
// (WORKDIR) and the program's main may change it later.  Written on the main thread only.
extern STRING gWorkDir;
// The user-interface language as a Windows primary language id: 7 German, 9 English, 12 French,
// 14 Hungarian, else the user's UI language.  0 until the arguments were processed.
extern int gLocale;
// The thread that runs the frame; 0 until the arguments were processed.
extern unsigned long gMainThreadId;

// Switch queries over the program's arguments (case ignored), each logged.
// 1 when an argument is "/" or "-" followed by exactly name.
int TestArg(const char *name);
// 1 when at least n+1 arguments are "-" followed by exactly name, or begin with "/", name and ":".
int TestArgValue(const char *name, int n);
// The value of the n-th (from 0) argument that is "/" or "-" followed by a text that begins with
// name: for "/" the rest after name without one ":" right behind it, for "-" the whole next
// argument.  Null when there is no such argument, or when a "-" form is the last argument.
// Borrowed: valid until the arguments are processed again.
const char *GetArgValue(const char *name, int n);

namespace ORVAKAPP {

// The program's own main: the argument count, the arguments (ended by a null entry; entry 0 is
// the program's full path) and a runtime pointer that the frame passes through unchanged.
typedef int (*APPMAIN)(int count, char **arguments, void *runtime);

// Entries of the command line the program entry splits.
const int MAX_COMMANDLINE_ENTRIES = 256;

// Primary language ids of gLocale.
enum { LANG_ID_GERMAN = 7, LANG_ID_ENGLISH = 9, LANG_ID_FRENCH = 12, LANG_ID_HUNGARIAN = 14 };

// Splits text in place into entries: entry 0 is programPath (the program's full path, copied into
// pathBuffer, which must outlive the entries), then the tokens of text.  A token that begins with
// a double quote runs to the next one (quotes dropped), any other to the next blank.  The first
// token is dropped when it is the program itself (at least 5 characters, ending in ".exe").  A
// token without a closing quote or blank ends the split, and the text left becomes the last entry.
// At most maxEntries - 1 entries; a null entry follows the last.  The text without its leading and
// trailing blanks is kept as the process's command line (GetProcessCommandLine).  Returns the count.
int SplitCommandLine(char *text, const char *programPath, STRING &pathBuffer, char **entries, int maxEntries);
// The command line as SplitCommandLine kept it (empty before).
const char *GetProcessCommandLine();

// Collects the arguments: the command-line entries (each also handed to the log switches), then
// the lines of the argument files "commandline.ini" and "<program>_commandline.ini" in the program
// folder and then in the work folder; sets gMainThreadId, gWorkDir (the current folder), the
// program folder (from entries[0]) and gLocale ("/LANG:GER", "ENGL", "FRENCH", "HUNGARIAN", else
// defaultLanguage); sleeps for "/STARTUPDELAY:seconds".
void ProcessArguments(int count, char **entries, int defaultLanguage);
// The arguments in order (entry 0 is the program path).
int NumArguments();
// Argument i; null outside.  Borrowed: valid until the arguments are processed again.
const char *GetArgument(int i);
// All arguments except those beginning with "/LOG" or "-LOG", each followed by a blank, without
// the trailing blank.
STRING GetCommandLineWithoutLog();

// gLocale for a "LANG" value (case ignored); defaultLanguage for null or anything unknown.
int LocaleFromLanguageName(const char *value, int defaultLanguage);
bool IsGerman();
int GetLocale();
void SetLocale(int locale);
unsigned long GetMainThreadId();
bool IsMainThread();

// The program folder (the running program's folder, adjusted for a development tree), "." before
// the arguments were processed.
const STRING &GetProgramFolder();
// The program's full path (entry 0).
const STRING &GetProgramPath();
// True when the program's file name is "service.exe".
bool IsServiceProgram();
// The application name: "Application", then the program's file name up to its first ".", then the
// name given to LoadLanguageDll with its first letter upper-cased.
const STRING &GetApplicationName();
// The application version: "0.00" until LoadLanguageDll sets it.
const STRING &GetApplicationVersion();
// Sets both (what LoadLanguageDll does) and tells the log facility.
void SetApplication(const char *name, const char *version);

// A folder adjusted for a development tree: when "..\main.cpp" or "..\approot.cpp" exists relative
// to it, a trailing "\Release" (or "\Release2") is removed, case ignored.
STRING AdjustDevelopmentFolder(const STRING &folder);
// The folder of a program path, adjusted for a development tree ("." for a bare name).
STRING ProgramFolderOf(const char *programPath);
// The language library's full name: folder, separator, product and "german.dll", "french.dll",
// "hungarian.dll" or (any other locale) "english.dll".
STRING LanguageLibraryName(const STRING &folder, const char *product, int locale);

// Crash dumps.  The kind for a crash-dump level (level modulo 5): 0 "TINY", 1 "MINI", 2 "ORVAK",
// 3 "MIDI", 4 "MAXI", with the type flags for MiniDumpWriteDump.
const char *DumpKindName(int level);
unsigned DumpKindFlags(int level);
// The tag of a dump: application name and version without ".", upper-cased, at most 127
// characters ("PARLOMATIX423").
STRING CrashTag(const char *appName, const char *version);
// The dump's file name: folder, separator, "Orvak.CrashInfo.", tag, ".", user, ".", kind, then
// "_2" ... "_99" while that name or the name with ".gz" exists (at 99 the file is overwritten),
// then ".dmp".
STRING DumpFileName(const char *folder, const char *tag, const char *user, const char *kind);
// Compresses a written dump to the same name with ".gz" and deletes the dump only when the whole
// gzip file was written and closed; true when compressed.  A failed compression keeps the dump.
bool CompressDump(const char *dumpFile);

// For tests: the argument list empty, the program values and the language back to their initial
// state.
void ResetForTests();

#if defined(_WIN32)
// The program entry: converts the command line to code page 1252, splits it and runs the frame.
// A program's WinMain is: return ORVAKAPP::ProgramEntry(instance, AppMain);
int ProgramEntry(void *instance, APPMAIN pfnAppMain);
// Prepares the process, processes the arguments, calls main and cleans up; main's result.
int Run(int count, char **entries, APPMAIN pfnAppMain);
// The program module handed to the program entry (HINSTANCE), null before.
void *GetInstance();
// The log's debug hot keys (LOGIT::HandleDebugHotKeys) for the class library's window
// procedures, which call it after every message; 1 when a hot key was acted on.
int HandleDebugHotKeys(unsigned message, unsigned long long wparam, long long lparam);

// Loads the language library of the product beside the program (see LanguageLibraryName) and
// makes it the language module; sets the application name (applicationName, else product with its
// first letter upper-cased) and version.  A German, French or Hungarian library that cannot be
// loaded falls back to English (gLocale becomes 9).  Without the English library: with quiet,
// false; otherwise the box "DLL not found:\r%s" and the process ends with exit code 99.
bool LoadLanguageDllEx(const char *programPath, const char *product, const char *version,
                       const char *applicationName, bool quiet);
bool LoadLanguageDll(const char *programPath, const char *product, const char *version,
                     const char *applicationName);
// The loaded language library (HMODULE), null when none; and its full name.
void *GetLanguageLibrary();
const STRING &GetLanguageLibraryName();
// Frees the language library; texts then come from the program module again.
void FreeLanguageDll();

void LogStartBanner(const char *title, const char *version, const char *compiled);
// Logs the exit banner, closes the log and the buffer pool and frees the process-wide code-page,
// keyboard and help-file objects.
void LogExitBanner(int code);

// Runs the message loop until WM_QUIT (or a failing GetMessage).  With tableId, that accelerator
// table of the language module applies to keyboard messages while the active window has the class
// of window (HWND).
void MainDispatchLoop(void *window, int tableId);

// Asks for per-monitor DPI awareness, else the system-wide one.
void InitDpiAwareness();
// Raises the crash-dump level to level; when it is above 0, arms the crash handler for the process
// (dbghelp loaded once, the 4 MiB reserve held, the unhandled-exception filter set).
void InitCrashHandler(int level);
// The unhandled-exception filter (exceptionPointers: EXCEPTION_POINTERS, may be null): writes the
// dump, asks (unless logging is on) whether to keep and send it, compresses it and ends the process
// with exit code 42.  Never returns.
long __stdcall WriteDumpToFileHandler(void *exceptionPointers);
// Where dumps go instead of the desktop (null: the desktop again).  No upload page is offered for
// a dump outside the desktop.
void SetCrashDumpFolder(const char *folder);
// A text sent with the crash report ("&userdata="); null for none.
void SetCrashUserData(const char *text);
#endif

} // namespace ORVAKAPP

#endif
