// The Win32 half of the application frame: the program entry, the process set-up around main,
// the language library, the banners, the message loop, DPI awareness and the crash handler.
#include "kestar/base/orvakapp.h"

// Before the class library's headers: they undo windows.h's A/W names of their own functions.
#include <windows.h>
#include <commctrl.h>
#include <dbghelp.h>

#include "kestar/base/binary.h"
#include "kestar/base/critsect.h"
#include "kestar/base/dllinterface.h"
#include "kestar/base/helpfile.h"
#include "kestar/base/keyboard.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakappos.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osyspath.h"
#include "kestar/base/osysprogram.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/osystime.h"
#include "kestar/base/unicode.h"
#include "kestar/base/winorvak.h"
#include "kestar/base/wstring.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <vector>

namespace {

// The maker's crash-report page; the path and the query keys are what its server expects.
const char kCrashReportPage[] = "https://www.orvak.example/common/crashreport.php";

void *gInstance = nullptr;         // the program module (HINSTANCE) handed to the program entry
HMODULE gLanguageLibrary = nullptr; // owned: the loaded language library, null when none
STRING gLanguageLibraryName;

typedef BOOL(WINAPI *MINIDUMPWRITEDUMP)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                        PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// The crash handler's state.  Armed from any thread (every thread body re-arms it), so it is
// changed under gCrashLock; the handler itself reads it on the crashing thread.
CRITSECT gCrashLock;
bool gDbghelpTried = false;
HMODULE gDbghelp = nullptr;              // owned for the whole process
MINIDUMPWRITEDUMP gMiniDumpWriteDump = nullptr;
bool gFirstArming = true;
bool gDebuggerTested = false;
bool gUnderDebugger = false;
STRING gCrashUser;                       // the user name with "_" for blanks
STRING gDesktopFolder;                   // without a trailing separator; empty when unknown
STRING gDumpFolderOverride;              // SetCrashDumpFolder
STRING gCrashUserData;                   // SetCrashUserData
void *gCrashReserve = nullptr;           // owned: freed first when a crash is handled
std::atomic<bool> gInHandler{false};

bool DebuggerPresent()
{
    return IsDebuggerPresent() != 0;
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS *pointers)
{
    return ORVAKAPP::WriteDumpToFileHandler(pointers);
}

void ArmAgainForThread()
{
    ORVAKAPP::InitCrashHandler(0);
}

void DumpForAssertion()
{
    ORVAKAPP::WriteDumpToFileHandler(nullptr);
}

void FreeCrashReserve()
{
    gCrashLock.Enter();
    std::free(gCrashReserve);
    gCrashReserve = nullptr;
    gCrashLock.Leave();
}

STRING WithoutTrailingSeparator(STRING folder)
{
    while (folder.StrLen > 3 && (folder[folder.StrLen - 1] == '\\' || folder[folder.StrLen - 1] == '/'))
        folder.Truncate(folder.StrLen - 1);
    return folder;
}

STRING FileNameOf(const STRING &path)
{
    const char *text = path;
    const char *name = text ? text : "";
    for (const char *p = name; *p; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    return STRING(name);
}

// Percent-encoding of a query value.
STRING UrlEncode(const char *text)
{
    STRING out;
    out.SetNotNull();
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text ? text : ""); *p; ++p) {
        if ((*p >= '0' && *p <= '9') || (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || *p == '.' ||
            *p == '-' || *p == '_')
            out.Append(reinterpret_cast<const char *>(p), 1);
        else
            out.AppendFormat("%%%02X", *p);
    }
    return out;
}

HMODULE LoadByName(const STRING &name)
{
    WSTRING wide(name, 1252);
    return wide.NotEmpty() ? LoadLibraryW(wide.GetWide()) : nullptr;
}

const char kCrashTextEnglish[] =
    "The program %s has encountered an error and will be terminated.\n\nYou can now choose to create a file with "
    "crash-debugging information \nfor upload to Orvak (a developer at Orvak will then look at the file and such "
    "files often helps us fix the problem in future versions).\n\n Filename: %s\n (in folder '%s')\n\nPlease "
    "consider to send the file, especially if you encounter the problem multiple times.\n\nDo you now want to "
    "create and send the crash-information?  (If you coosse 'Yes', a web browser will open with an upload form to "
    "send the file, otherwise the program will simply terminate)?";
// Code page 1252; the escapes are split so that no letter after them is read as a hex digit.
const char kCrashTextGerman[] =
    "Das Programm %s hat einen Fehler verursacht und muss beendet werden.\n\nSie k\xF6"
    "nnen eine Datei mit Crash-Informationen per Web-Upload oder Email an Orvak senden. Dies kann helfen, das "
    "Problem in zuk\xFC"
    "nftigen Versionen zu beheben (speziell dann, wenn der Fehler h\xE4"
    "ufiger auftritt).\n\n Filename: %s\n (im Ordner '%s')\n\nWollen Sie die Crash-Informationen erzeugen und an "
    "Orvak senden? (Wenn Sie mit 'Ja' antworten, \xF6"
    "ffnet sich ein Web-Formular zum Upload der Crash-Datei, andernfalls wird das Programm direkt beendet)?";

[[noreturn]] void EndAfterCrash()
{
    LOGIT::Printf("ORVAKAPP::WriteDumpToFileHandler finished\n");
    LOGIT::Close();
    ExitProcess(42);
}

} // namespace

namespace ORVAKAPP {

int ProgramEntry(void *instance, APPMAIN pfnAppMain)
{
    gInstance = instance;
    // The command line as the system has it (wide), in code page 1252 like every text here.
    STRING line(GetCommandLineW(), -1, 1252);
    std::vector<char> text(line.NotEmpty() ? static_cast<const char *>(line) : "",
                           (line.NotEmpty() ? static_cast<const char *>(line) : "") + line.StrLen);
    text.push_back(0);
    STRING pathBuffer;
    char *entries[MAX_COMMANDLINE_ENTRIES];
    int count = SplitCommandLine(text.data(), ORVAKAPPOS::ProgramFile(), pathBuffer, entries, MAX_COMMANDLINE_ENTRIES);
    return Run(count, entries, pfnAppMain);
}

int Run(int count, char **entries, APPMAIN pfnAppMain)
{
    if (gInstance == nullptr)
        gInstance = GetModuleHandleA(nullptr);
    // The low-fragmentation heap; not under a debugger, whose debug heap it would replace.
    HMODULE kernel = LoadLibraryA("kernel32");
    typedef BOOL(WINAPI * ISDEBUGGERPRESENT)();
    ISDEBUGGERPRESENT isDebugger =
        kernel ? reinterpret_cast<ISDEBUGGERPRESENT>(reinterpret_cast<void *>(GetProcAddress(kernel, "IsDebuggerPresent")))
               : nullptr;
    if (isDebugger == nullptr || !isDebugger()) {
        ULONG lowFragmentation = 2;
        HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &lowFragmentation, sizeof(lowFragmentation));
    } else {
        LOGIT::PrintfLevel(14, "Not using LowFragmentation Heap in debugger\n");
    }

    LOGIT::SetCrashDumpWriter(DumpForAssertion);
    OSYS::SetCrashHandlerArm(ArmAgainForThread);
    InitCrashHandler(0);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0x7FF};
    InitCommonControlsEx(&controls);
    InitDpiAwareness();
    // Local time as the system's time zone has it, never a TZ inherited from a Unix-style shell.
    _putenv("TZ=");
    SetEnvironmentVariableA("TZ", nullptr);
    _tzset();
    // The millisecond clock of all device time-outs and the keyboard counts from here.
    OSYS::GetClockMs(1);

    LOGIT::Printf("ORVAKAPP instance= %p gMainThreadId= %08lx\n", gInstance, OSYS::GetCurrentThreadId());
    ProcessArguments(count, entries, GetUserDefaultUILanguage() & 0x3FF);
    // "/CRASHDUMP" and "/LOGITHARD" among the arguments have raised the level by now.
    InitCrashHandler(0);

    // main gets copies: it may change its arguments without touching the frame's list.
    int n = NumArguments();
    std::vector<std::vector<char>> copies(static_cast<size_t>(n));
    std::vector<char *> arguments;
    for (int i = 0; i < n; ++i) {
        const char *a = GetArgument(i);
        copies[static_cast<size_t>(i)].assign(a, a + std::strlen(a) + 1);
        arguments.push_back(copies[static_cast<size_t>(i)].data());
    }
    arguments.push_back(nullptr);
    int result = 0;
    if (pfnAppMain == nullptr) {
        ORVAK_ASSERT(pfnAppMain);
        LOGIT::OrderlyStop();
    }
    result = pfnAppMain(n, arguments.data(), _environ);

    LogExitBanner(result);
    if (kernel)
        FreeLibrary(kernel);
    FreeLanguageDll();
    FreeCrashReserve();
    return result;
}

void *GetInstance()
{
    return gInstance;
}

int HandleDebugHotKeys(unsigned message, unsigned long long wparam, long long lparam)
{
    return LOGIT::HandleDebugHotKeys(message, wparam, lparam);
}

bool LoadLanguageDllEx(const char *programPath, const char *product, const char *version, const char *applicationName,
                       bool quiet)
{
    SetApplication(applicationName && applicationName[0] ? applicationName : product, version);
    STRING folder = ProgramFolderOf(programPath);
    STRING name = LanguageLibraryName(folder, product, gLocale);
    HMODULE library = LoadByName(name);
    if (library == nullptr && (gLocale == LANG_ID_GERMAN || gLocale == LANG_ID_FRENCH || gLocale == LANG_ID_HUNGARIAN)) {
        LOGIT::Printf("ORVAKAPP::LoadLanguageDll %s not loaded (%lu), taking English\n", static_cast<const char *>(name),
                      GetLastError());
        gLocale = LANG_ID_ENGLISH;
        name = LanguageLibraryName(folder, product, gLocale);
        library = LoadByName(name);
    }
    if (library == nullptr) {
        LOGIT::Printf("ORVAKAPP::LoadLanguageDll %s not loaded (%lu)\n", static_cast<const char *>(name), GetLastError());
        if (quiet)
            return false;
        STRING text("DLL not found:\r");
        text += name;
        WINORVAK::ErrorMsgBox(nullptr, "Orvak Application", text);
        LOGIT::Close();
        ExitProcess(99);
    }
    HMODULE previous = gLanguageLibrary;
    gLanguageLibrary = library;
    gLanguageLibraryName = name;
    OSYS::SetLanguageModule(library);
    if (previous)
        FreeLibrary(previous);
    // The log's assertion texts follow the language that was really loaded.
    SetApplication(nullptr, nullptr);
    LOGIT::Printf("ORVAKAPP::LoadLanguageDll %s loaded, gLocale= %d\n", static_cast<const char *>(name), gLocale);
    return true;
}

bool LoadLanguageDll(const char *programPath, const char *product, const char *version, const char *applicationName)
{
    return LoadLanguageDllEx(programPath, product, version, applicationName, false);
}

void *GetLanguageLibrary()
{
    return gLanguageLibrary;
}

const STRING &GetLanguageLibraryName()
{
    return gLanguageLibraryName;
}

void FreeLanguageDll()
{
    if (gLanguageLibrary == nullptr)
        return;
    OSYS::SetLanguageModule(nullptr);
    FreeLibrary(gLanguageLibrary);
    gLanguageLibrary = nullptr;
    gLanguageLibraryName = "";
}

void LogStartBanner(const char *title, const char *version, const char *compiled)
{
    const char *app = GetApplicationName();
    LOGIT::Printf("\n");
    LOGIT::Printf("ORVAKAPP --- %s, you have clearance to enter your runway.\n", app);
    LOGIT::Printf("Roger ORVAKAPP, %s Version %s %s (compiled %s) is at\n", title ? title : "<NULL>",
                  version ? version : "<NULL>", sizeof(void *) == 8 ? "64-bit" : "32-bit", compiled ? compiled : "<NULL>");
    LOGIT::Printf("current directory %s (exe directory) coming from\n", static_cast<const char *>(GetProgramFolder()));
    LOGIT::Printf("working directory %s (gWorkDir).\n", static_cast<const char *>(gWorkDir));
    LOGIT::Printf("Engines are running and we ready to fly over the beautiful %s (OS-ID %d)\n",
                  static_cast<const char *>(OSYS::GetOsVersionName()), OSYS::GetOsVersionId());
    LOGIT::Printf("ORVAKAPP --- Roger %s, you have clearance to take off.  Good luck and have a safe flight...\n", app);
    LOGIT::Printf("\n");
}

void LogExitBanner(int code)
{
    LOGIT::Printf("\n");
    LOGIT::Printf("Welcome back %s, you have safely returned to ORVAKAPP with exit code %d\n",
                  static_cast<const char *>(GetApplicationName()), code);
    LOGIT::Printf("Taxi to your hangar and have a pleasant stay.\n");
    LOGIT::Printf("Over and out.\n");
    LOGIT::HandleSwitch("/LOGITCLOSE");
    BINARY::CloseBufferPool();
    UNICODE::FreeInstance();
    KEYBOARD::FreeInstance();
    HELPFILE::FreeHelpFile();
}

void MainDispatchLoop(void *window, int tableId)
{
    LOGIT::Printf("ORVAKAPP::MainDispatchLoop\n");
    HWND hwnd = static_cast<HWND>(window);
    HACCEL haccel = nullptr;
    wchar_t mainClass[129] = {0};
    if (tableId != 0) {
        HMODULE module = static_cast<HMODULE>(OSYS::GetLanguageModule());
        if (module == nullptr)
            module = static_cast<HMODULE>(gInstance ? gInstance : GetModuleHandleA(nullptr));
        haccel = LoadAcceleratorsA(module, MAKEINTRESOURCEA(tableId));
        ORVAK_ASSERT(haccel);
        if (hwnd)
            GetClassNameW(hwnd, mainClass, 129);
    }
    MSG msg;
    for (;;) {
        BOOL rc = GetMessageA(&msg, nullptr, 0, 0);
        if (rc == 0)
            break;
        if (rc == -1) {
            // No message will come any more: looping on would spin for ever.
            LOGIT::Printf("ORVAKAPP::MainDispatchLoop GetMessage failed: %lu\n", GetLastError());
            break;
        }
        if (haccel && msg.message >= WM_KEYFIRST && msg.message <= 0x109) {
            wchar_t activeClass[129] = L"{no window}";
            HWND active = GetActiveWindow();
            if (active)
                GetClassNameW(active, activeClass, 129);
            if (std::wcscmp(activeClass, mainClass) == 0 && TranslateAcceleratorA(hwnd, haccel, &msg))
                continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (haccel)
        DestroyAcceleratorTable(haccel);
    LOGIT::Printf("ORVAKAPP::MainDispatchLoop done\n");
}

void InitDpiAwareness()
{
    if (OSYS::GetOsVersionId() > 7) {
        typedef HRESULT(WINAPI * SETAWARENESS)(int);
        typedef HRESULT(WINAPI * GETAWARENESS)(HANDLE, int *);
        DLLINTERFACE shcore("Shcore.dll", "SetProcessDpiAwareness");
        if (auto set = reinterpret_cast<SETAWARENESS>(shcore.GetFunction(nullptr))) {
            HRESULT hr = set(1);
            LOGIT::Printf("ORVAKAPP::InitDpiAwareness SetProcessDPIAwareness(Process_Per_Monitor_DPI_Aware) returned %08lx\n",
                          static_cast<unsigned long>(hr));
        }
        if (auto get = reinterpret_cast<GETAWARENESS>(shcore.GetFunction("GetProcessDpiAwareness"))) {
            int awareness = -1;
            HRESULT hr = get(nullptr, &awareness);
            LOGIT::Printf("ORVAKAPP::InitDpiAwareness GetProcessDPIAwareness returned %08lx/%d\n",
                          static_cast<unsigned long>(hr), awareness);
            if (SUCCEEDED(hr) && awareness == 1)
                return;
        }
    }
    typedef BOOL(WINAPI * SETDPIAWARE)();
    DLLINTERFACE user32("user32.dll", "SetProcessDPIAware");
    if (auto set = reinterpret_cast<SETDPIAWARE>(user32.GetFunction(nullptr)))
        LOGIT::Printf("ORVAKAPP::InitDpiAwareness SetProcessDPIAware() returned %d\n", set());
}

void InitCrashHandler(int level)
{
    if (level > LOGIT::GetCrashDumpLevel())
        LOGIT::SetCrashDumpLevel(level);
    if (LOGIT::GetCrashDumpLevel() <= 0)
        return;
    gCrashLock.Enter();
    if (!gDbghelpTried) {
        gDbghelpTried = true;
        gDbghelp = LoadLibraryA("dbghelp.dll");
        if (gDbghelp)
            gMiniDumpWriteDump = reinterpret_cast<MINIDUMPWRITEDUMP>(
                reinterpret_cast<void *>(GetProcAddress(gDbghelp, "MiniDumpWriteDump")));
    }
    bool first = gFirstArming;
    gFirstArming = false;
    if (gCrashReserve == nullptr)
        gCrashReserve = std::malloc(0x400000);
    if (!gDebuggerTested) {
        gDebuggerTested = true;
        gUnderDebugger = DebuggerPresent();
    }
    gCrashLock.Leave();

    if (first) {
        // Outside the lock: both log and may take a while.
        STRING user = OSYS::GetUserName();
        user.Replace(" ", "_");
        if (user.StrLen > 95)
            user = user.Left(95);
        STRING desktop = WithoutTrailingSeparator(OSYS::GetSystemPath(OSYS::SYSPATH_DESKTOP));
        gCrashLock.Enter();
        gCrashUser = user;
        gDesktopFolder = desktop;
        gCrashLock.Leave();
    }
    if (gUnderDebugger) {
        LOGIT::PrintfLevel(14, "Not setting crash logger ExceptionHandler when debugging\n");
        return;
    }
    SetUnhandledExceptionFilter(CrashFilter);
}

long __stdcall WriteDumpToFileHandler(void *exceptionPointers)
{
    // A second crash (another thread, or inside this handler) waits: the first one ends the process.
    if (gInHandler.exchange(true)) {
        for (;;)
            Sleep(INFINITE);
    }
    LOGIT::Printf("ORVAKAPP::WriteDumpToFileHandler entered\n");
    if (gDbghelp == nullptr || gMiniDumpWriteDump == nullptr) {
        LOGIT::Printf("ORVAKAPP::WriteDumpToFileHandler failed to load dll or proc address (%p/%p)\n",
                      static_cast<void *>(gDbghelp), reinterpret_cast<void *>(gMiniDumpWriteDump));
        EndAfterCrash();
    }
    FreeCrashReserve();

    int level = LOGIT::GetCrashDumpLevel();
    STRING tag = CrashTag(GetApplicationName(), GetApplicationVersion());
    bool onDesktop = gDumpFolderOverride.IsEmpty() && gDesktopFolder.NotEmpty();
    STRING folder = gDumpFolderOverride.NotEmpty() ? gDumpFolderOverride
                                                   : (gDesktopFolder.NotEmpty() ? gDesktopFolder : GetProgramFolder());
    STRING dump = DumpFileName(folder, tag, gCrashUser.NotEmpty() ? static_cast<const char *>(gCrashUser) : "",
                               DumpKindName(level));

    WSTRING wideDump(dump, 1252);
    HANDLE file = CreateFileW(wideDump.GetWide(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    BOOL written = FALSE;
    DWORD error = 0;
    if (file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION info;
        info.ThreadId = GetCurrentThreadId();
        info.ExceptionPointers = static_cast<EXCEPTION_POINTERS *>(exceptionPointers);
        info.ClientPointers = FALSE;
        written = gMiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file,
                                     static_cast<MINIDUMP_TYPE>(DumpKindFlags(level)),
                                     exceptionPointers ? &info : nullptr, nullptr, nullptr);
        error = GetLastError();
        CloseHandle(file);
    } else {
        error = GetLastError();
    }
    if (!written) {
        // Nothing worth keeping or sending: no half-written file is left behind.
        LOGIT::Printf("ORVAKAPP::WriteDumpToFileHandler could not write %s: %lu\n", static_cast<const char *>(dump), error);
        DeleteFileW(wideDump.GetWide());
        EndAfterCrash();
    }

    STRING name = FileNameOf(dump);
    STRING folderShown = WithoutTrailingSeparator(folder);
    bool yes = true;
    if (!LOGIT::IsLogging()) {
        STRING title = GetApplicationName();
        title += " Crash";
        STRING text;
        text.Format(IsGerman() ? kCrashTextGerman : kCrashTextEnglish, static_cast<const char *>(tag),
                    static_cast<const char *>(name), static_cast<const char *>(folderShown));
        yes = WINORVAK::YesNoMsgBox(nullptr, title, text) != 0;
    }
    if (yes) {
        STRING sent = dump;
        if (CompressDump(dump)) {
            sent += ".gz";
            LOGIT::Printf("ORVAKAPP::WriteDumpToFileHandler dump file written (%s)\n", static_cast<const char *>(sent));
        }
        if (onDesktop) {
            STRING url(kCrashReportPage);
            url += "?filename=";
            url += UrlEncode(FileNameOf(sent));
            if (IsGerman())
                url += "&html=htm";
            if (gCrashUserData.NotEmpty()) {
                url += "&userdata=";
                url += UrlEncode(gCrashUserData);
            }
            OSYS::ShellExecuteRun(nullptr, url, "", nullptr);
        }
    }
    EndAfterCrash();
}

void SetCrashDumpFolder(const char *folder)
{
    gCrashLock.Enter();
    gDumpFolderOverride = folder ? WithoutTrailingSeparator(STRING(folder)) : STRING();
    gCrashLock.Leave();
}

void SetCrashUserData(const char *text)
{
    gCrashLock.Enter();
    gCrashUserData = text;
    gCrashLock.Leave();
}

} // namespace ORVAKAPP
