// The log facility and the assertions: the line writer with its time column, nesting and channel
// tags, the log switches, and the assertion report.  Portable: the OS is reached only through
// LOGITOS (logitos.h).
//
// Threads: any thread may log.  Every member of the log state below is read and written under the
// log lock, except fileLogging, debugOut, logitLevel and noAssert, which are atomics so that the
// fast path of Printf/PrintfLevel (logging off) takes no lock.
#include "kestar/base/logit.h"

#include "kestar/base/logitos.h"
#include "kestar/base/osysenv.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/fsys.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

const char kMaker[] = "Orvak";
const char kIndent[] = "| | | | | | | | | | | | | | | | | | | ";
const int kMaxDepth = 30;
// One line of the log, with its prefix and its CR LF, is built here and written at once.
const size_t kLineBuffer = 8192;
const char kCutMarker[] = " [...line cut]";

enum OPENMODE { OPEN_PLAIN, OPEN_HARD, OPEN_APPEND, OPEN_TEMP };

struct LOGSTATE {
    // Read without the lock by the fast path; written under the lock.
    std::atomic<bool> fileLogging{false};
    std::atomic<bool> debugOut{false};
    std::atomic<int> logitLevel{0};
    std::atomic<bool> noAssert{false};
    std::atomic<int> crashDumpLevel{0};

    // Under the log lock.
    void *output = nullptr;          // owned when outputOwned
    bool outputOwned = false;        // a file we opened (closed by Close)
    bool outputConsole = false;      // a console we allocated (freed by Close)
    char fileName[260] = {0};        // the open log file, empty for none / stderr / console
    bool writeThrough = false, append = false, temporary = false;

    bool started = false;            // the first line was written
    unsigned long long startTime = 0;
    unsigned long firstThread = 0;
    int depth = 0;                   // 0..30 in steps of 2
    bool hasOwner = false;
    unsigned long nestOwner = 0;
    char channel = 0;                // 0, '1' or '2'
    bool atLineStart = true;

    // Set by the application frame.
    char appName[128] = {0};
    char appVersion[64] = {0};
    bool german = false;
    void (*crashWriter)() = nullptr;
};

LOGSTATE g;

// Scoped hold of the process-wide log lock.
class LOGLOCK {
public:
    LOGLOCK() { LOGITOS::LockLog(); }
    ~LOGLOCK() { LOGITOS::UnlockLog(); }
    LOGLOCK(const LOGLOCK &) = delete;
    LOGLOCK &operator=(const LOGLOCK &) = delete;
};

bool EqualNoCase(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b) {
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

bool StartsWith(const char *text, const char *prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Copies src into dst (size bytes), always terminated.
void CopyText(char *dst, size_t size, const char *src)
{
    if (size == 0)
        return;
    size_t n = src ? std::strlen(src) : 0;
    if (n >= size)
        n = size - 1;
    if (n)
        std::memcpy(dst, src, n);
    dst[n] = 0;
}

// Appends src to the text in dst (size bytes), always terminated.
void AppendText(char *dst, size_t size, const char *src)
{
    size_t used = std::strlen(dst);
    if (used < size)
        CopyText(dst + used, size - used, src);
}

void FormatDate(char *buffer, size_t size, const LOGITOS::DATETIME &t)
{
    std::snprintf(buffer, size, "%04d-%02d-%02d", t.year, t.month, t.day);
}

void FormatTime(char *buffer, size_t size, const LOGITOS::DATETIME &t)
{
    std::snprintf(buffer, size, "%02d:%02d:%02d", t.hour, t.minute, t.second);
}

// The program's file name without folders.
void ProgramFileName(char *buffer, size_t size)
{
    char path[1024];
    if (!LOGITOS::ProgramPath(path, sizeof(path))) {
        CopyText(buffer, size, "program");
        return;
    }
    const char *base = path;
    for (const char *p = path; *p; ++p) {
        if (*p == '/' || *p == '\\' || *p == ':')
            base = p + 1;
    }
    CopyText(buffer, size, base);
}

// The application name: the one the frame set, else the program's file name without extension.
void ApplicationName(char *buffer, size_t size)
{
    if (g.appName[0]) {
        CopyText(buffer, size, g.appName);
        return;
    }
    ProgramFileName(buffer, size);
    char *dot = std::strrchr(buffer, '.');
    if (dot && dot != buffer)
        *dot = 0;
}

// "Orvak_" + the program file name with ".exe" and ".app" replaced by "_", upper-cased, +
// "logit.log".
void DefaultLogName(char *buffer, size_t size)
{
    char prog[260];
    ProgramFileName(prog, sizeof(prog));
    char replaced[260];
    size_t o = 0;
    for (const char *p = prog; *p && o + 1 < sizeof(replaced);) {
        if (std::strncmp(p, ".exe", 4) == 0 || std::strncmp(p, ".app", 4) == 0) {
            replaced[o++] = '_';
            p += 4;
        } else {
            replaced[o++] = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
            ++p;
        }
    }
    replaced[o] = 0;
    std::snprintf(buffer, size, "%s_%slogit.log", kMaker, replaced);
}

void JoinFolder(char *buffer, size_t size, const char *folder, const char *name)
{
    const char separator[2] = {LOGITOS::PathSeparator(), 0};
    CopyText(buffer, size, folder);
    if (folder && folder[0])
        AppendText(buffer, size, separator);
    AppendText(buffer, size, name);
}

bool LevelPasses(int level)
{
    int mask = g.logitLevel.load(std::memory_order_relaxed);
    if ((level & 0xF) > (mask & 0xF))
        return false;
    if ((level & ~0xF) != 0 && (level & ~0xF & mask) == 0)
        return false;
    return true;
}

bool LoggingOn()
{
    return g.fileLogging.load(std::memory_order_relaxed) || g.debugOut.load(std::memory_order_relaxed);
}

int WriteLineInternal(const char *format, va_list arguments);

int PrintfInternal(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int rc = WriteLineInternal(format, args);
    va_end(args);
    return rc;
}

void CloseLocked()
{
    if (g.output && g.outputOwned)
        LOGITOS::CloseOutput(g.output, g.outputConsole);
    if (g.temporary && g.fileName[0])
        LOGITOS::RemoveFile(g.fileName);
    g.output = nullptr;
    g.outputOwned = false;
    g.outputConsole = false;
    g.fileName[0] = 0;
    g.writeThrough = g.append = g.temporary = false;
    g.fileLogging.store(false);
}

// Opens the log for one of the four "/LOGIT" forms; target null or empty for none.  Failure
// leaves logging off and reports nothing.
void OpenLog(OPENMODE mode, const char *target)
{
    LOGLOCK lock;
    CloseLocked();

    char defaultName[300];
    DefaultLogName(defaultName, sizeof(defaultName));
    char name[1400] = {0};
    void *output = nullptr;
    bool owned = true, console = false;

    if (target && target[0]) {
        // Every system we run on has the OS id 5 or higher, so the named targets always count.
        if (EqualNoCase(target, "UNIQUE")) {
            LOGITOS::DATETIME now;
            LOGITOS::LocalNow(now);
            char stamp[64];
            std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d_%02d-%02d-%02d", now.year, now.month,
                          now.day, now.hour, now.minute, now.second);
            unsigned long long freq = LOGITOS::CounterFrequency();
            int ms = freq ? static_cast<int>((LOGITOS::Counter() * 1000ULL / freq) % 1000ULL) : 0;
            char unique[360];
            size_t keep = std::strlen(defaultName) - std::strlen("logit.log");
            std::snprintf(unique, sizeof(unique), "%.*sLogit_%s-%d_%lX.log", static_cast<int>(keep), defaultName,
                          stamp, ms, FSYS::ProcessId());
            char folder[1024];
            LOGITOS::DocumentsFolder(folder, sizeof(folder), false);
            JoinFolder(name, sizeof(name), folder, unique);
        } else if (EqualNoCase(target, "DESKTOP")) {
            char folder[1024];
            LOGITOS::DesktopFolder(folder, sizeof(folder));
            JoinFolder(name, sizeof(name), folder, defaultName);
        } else if (EqualNoCase(target, "STDERR")) {
            output = LOGITOS::StdErrOutput();
            owned = false;
        } else if (EqualNoCase(target, "CONSOLE")) {
            output = LOGITOS::OpenConsole(console);
        } else if (LOGITOS::IsAbsolutePath(target)) {
            CopyText(name, sizeof(name), target);
        } else {
            char folder[1024];
            LOGITOS::DocumentsFolder(folder, sizeof(folder), false);
            JoinFolder(name, sizeof(name), folder, target);
        }
    } else {
        char up[8];
        std::snprintf(up, sizeof(up), "..%c", LOGITOS::PathSeparator());
        char probe[32];
        std::snprintf(probe, sizeof(probe), "%sqel.cpp", up);
        if (LOGITOS::FileExists(probe)) {
            std::snprintf(name, sizeof(name), "%slogit.log", up);
        } else if (LOGITOS::FileExists("main.cpp") || LOGITOS::FileExists("qel.pdb")) {
            CopyText(name, sizeof(name), "logit.log");
        } else {
            char folder[1024];
            LOGITOS::DocumentsFolder(folder, sizeof(folder), LOGITOS::RunsAsSystemUser());
            JoinFolder(name, sizeof(name), folder, defaultName);
        }
    }

    if (!output && name[0]) {
        output = LOGITOS::OpenLogFile(name, mode == OPEN_APPEND, mode == OPEN_HARD);
        if (output && mode == OPEN_APPEND)
            LOGITOS::WriteOutput(output, "\r\n", 2);
    } else {
        name[0] = 0;
    }
    if (!output)
        return;

    g.output = output;
    g.outputOwned = owned;
    g.outputConsole = console;
    CopyText(g.fileName, sizeof(g.fileName), name);
    g.writeThrough = mode == OPEN_HARD;
    g.append = mode == OPEN_APPEND;
    g.temporary = mode == OPEN_TEMP && name[0];
    g.fileLogging.store(true);

    LOGITOS::DATETIME now;
    LOGITOS::LocalNow(now);
    char date[32], time[32];
    FormatDate(date, sizeof(date), now);
    FormatTime(time, sizeof(time), now);
    PrintfInternal("Logging starts at %s %s\n", date, time);

    char prog[1024];
    if (!LOGITOS::ProgramPath(prog, sizeof(prog)))
        CopyText(prog, sizeof(prog), "<unknown>");
    unsigned long size = 0;
    LOGITOS::DATETIME modified = {};
    char stamp[64] = "<unknown>";
    if (LOGITOS::FileSizeAndTime(prog, size, modified)) {
        char mdate[32], mtime[32];
        FormatDate(mdate, sizeof(mdate), modified);
        FormatTime(mtime, sizeof(mtime), modified);
        std::snprintf(stamp, sizeof(stamp), "%s %s", mdate, mtime);
    }
    PrintfInternal("Running as %s (%lu bytes, %s)\n", prog, size, stamp);

    if (mode == OPEN_HARD && g.crashDumpLevel.load() < 2)
        g.crashDumpLevel.store(2);
}

int WriteLineInternal(const char *format, va_list arguments)
{
    if (!format)
        format = "<null>";
    LOGLOCK lock;
    if (!LoggingOn())
        return 0;

    unsigned long long now = LOGITOS::Counter();
    unsigned long tid = OSYS::GetCurrentThreadId();
    if (!g.started) {
        g.started = true;
        g.startTime = now;
        g.firstThread = tid;
    }

    char line[kLineBuffer];
    size_t len = 0;
    const char *text = format;

    if (g.atLineStart) {
        bool mayAct = !g.hasOwner || g.nestOwner == tid;
        int lineDepth = g.depth;
        char tagChannel = 0;
        while (mayAct) {
            if (StartsWith(text, "[>>]") && g.depth <= kMaxDepth - 1) {
                if (g.depth == 0) {
                    g.hasOwner = true;
                    g.nestOwner = tid;
                }
                g.depth += 2; // this line still shows the old depth
            } else if (StartsWith(text, "[<<]") && g.depth >= 2) {
                g.depth -= 2;
                lineDepth = g.depth;
                if (g.depth == 0)
                    g.hasOwner = false;
            } else if (StartsWith(text, "[!1]") || StartsWith(text, "[!2]")) {
                tagChannel = text[2];
            } else {
                break;
            }
            text += 4;
        }
        // Entering another channel, or leaving one, is set off by an empty line.
        if (g.channel != 0 && g.channel != tagChannel) {
            line[len++] = '\r';
            line[len++] = '\n';
        }
        g.channel = tagChannel;

        const char *prefix = "";
        char indent[kMaxDepth + 1] = {0};
        if (g.hasOwner && g.nestOwner == tid) {
            std::memcpy(indent, kIndent, static_cast<size_t>(lineDepth));
            indent[lineDepth] = 0;
            prefix = indent;
        } else if (g.depth > 0) {
            prefix = "@ ";
        }
        unsigned long long freq = LOGITOS::CounterFrequency();
        double seconds = freq ? static_cast<double>(now - g.startTime) / static_cast<double>(freq) : 0.0;
        int n = std::snprintf(line + len, kLineBuffer - len, "[%07.3lf%c%04lx] %s", seconds,
                              tid == g.firstThread ? ':' : '#', tid & 0xFFFFFUL, prefix);
        if (n > 0)
            len += static_cast<size_t>(n);
    }

    // The text, leaving room for the CR of a final line feed and the terminating NUL.
    size_t room = kLineBuffer - 2 - len;
    size_t textLen;
    bool endsWithLf;
    if (std::strchr(text, '%')) {
        va_list again;
        va_copy(again, arguments);
        int n = std::vsnprintf(line + len, room + 1, text, arguments);
        if (n < 0)
            n = 0;
        textLen = static_cast<size_t>(n);
        endsWithLf = textLen > 0 && textLen <= room && line[len + textLen - 1] == '\n';
        if (textLen > room) {
            // Too long for one line: learn whether it ended with a line feed, then cut it.
            std::unique_ptr<char[]> full(new (std::nothrow) char[textLen + 1]);
            endsWithLf = false;
            if (full) {
                std::vsnprintf(full.get(), textLen + 1, text, again);
                endsWithLf = full[textLen - 1] == '\n';
            }
        }
        va_end(again);
    } else {
        textLen = std::strlen(text);
        endsWithLf = textLen > 0 && text[textLen - 1] == '\n';
        std::memcpy(line + len, text, textLen <= room ? textLen : room);
    }
    if (textLen > room) {
        size_t keep = room - (sizeof(kCutMarker) - 1) - 1;
        std::memcpy(line + len + keep, kCutMarker, sizeof(kCutMarker) - 1);
        textLen = keep + sizeof(kCutMarker) - 1;
        if (endsWithLf)
            line[len + textLen++] = '\n';
    }
    len += textLen;

    if (endsWithLf) {
        if (len < 2 || line[len - 2] != '\r') {
            line[len - 1] = '\r';
            line[len++] = '\n';
        }
        g.atLineStart = true;
    } else if (textLen > 0) {
        g.atLineStart = false;
    }
    line[len] = 0;

    if (g.output && g.fileLogging.load())
        LOGITOS::WriteOutput(g.output, line, len);
    if (g.debugOut.load())
        LOGITOS::DebuggerOutput(line);
    return 1;
}

} // namespace

namespace LOGIT {

int Printf(const char *format, ...)
{
    if (!LoggingOn())
        return 0;
    va_list args;
    va_start(args, format);
    int rc = WriteLineInternal(format, args);
    va_end(args);
    return rc;
}

int PrintfLevel(int level, const char *format, ...)
{
    if (!LoggingOn() || !LevelPasses(level))
        return 0;
    va_list args;
    va_start(args, format);
    int rc = WriteLineInternal(format, args);
    va_end(args);
    return rc;
}

int WriteLine(const char *format, va_list arguments)
{
    return WriteLineInternal(format, arguments);
}

int HandleSwitch(const char *text)
{
    if (!text || (text[0] != '/' && text[0] != '-'))
        return 0;
    char name[32];
    const char *colon = std::strchr(text + 1, ':');
    size_t nameLen = colon ? static_cast<size_t>(colon - (text + 1)) : std::strlen(text + 1);
    if (nameLen == 0 || nameLen >= sizeof(name))
        return 0;
    std::memcpy(name, text + 1, nameLen);
    name[nameLen] = 0;
    const char *value = colon ? colon + 1 : nullptr;

    static const struct {
        const char *name;
        OPENMODE mode;
    } opens[] = {{"LOGIT", OPEN_PLAIN}, {"LOGITHARD", OPEN_HARD}, {"LOGITAPPEND", OPEN_APPEND}, {"LOGITTEMP", OPEN_TEMP}};
    for (const auto &o : opens) {
        if (EqualNoCase(name, o.name)) {
            OpenLog(o.mode, value);
            return 1;
        }
    }
    if (!value && (EqualNoCase(name, "LOGDEBUG") || EqualNoCase(name, "LOGDBG"))) {
        g.debugOut.store(true);
        return 1;
    }
    if (value && (EqualNoCase(name, "LOG") || EqualNoCase(name, "D"))) {
        int n = static_cast<int>(std::strtol(value, nullptr, 10));
        g.logitLevel.fetch_or(n);
        if (EqualNoCase(name, "LOG") && !g.fileLogging.load())
            OpenLog(OPEN_PLAIN, nullptr);
        Printf("LogitLevel %08x\n", static_cast<unsigned>(g.logitLevel.load()));
        return 1;
    }
    if (!value && EqualNoCase(name, "LOGITCLOSE")) {
        Close();
        return 1;
    }
    if (!value && EqualNoCase(name, "NOASSERT")) {
        bool was = g.noAssert.load();
        g.noAssert.store(!was);
        return 1;
    }
    if (EqualNoCase(name, "CRASHDUMP")) {
        int level = 2;
        if (value && value[0])
            level = static_cast<int>(std::strtol(value, nullptr, 10));
        // The switch only raises: "/LOGITHARD" or an earlier switch may have asked for more.
        int was = g.crashDumpLevel.load();
        while (level > was && !g.crashDumpLevel.compare_exchange_weak(was, level)) {
        }
        return 1;
    }
    return 0;
}

int Assert(int condition, const char *text, const char *file, int line, const char *info, int quiet)
{
    if (condition)
        return 1;
    // The last error first, before anything here can change it.
    int err = LOGITOS::LastErrorCode();
    char errText[512] = {0};
    if (err != 0)
        LOGITOS::ErrorText(err, errText, sizeof(errText));

    char app[128];
    ApplicationName(app, sizeof(app));
    char title[256];
    std::snprintf(title, sizeof(title), "%s %s (%s)", kMaker, app, g.appVersion[0] ? g.appVersion : "?");

    const char *base = file ? file : "<null>";
    for (const char *p = base; *p; ++p) {
        if (*p == '/' || *p == '\\' || *p == ':')
            base = p + 1;
    }
    const char *cond = text ? text : "<null>";
    const char *addInfo = info ? info : "<null>";

    char block[2048];
    if (g.german)
        std::snprintf(block, sizeof(block), "    Bedingung: %s\n    Datei: %s Zeile %d\n    Code : %dL (%s)\n    Info : %s\n",
                      cond, base, line, err, errText, addInfo);
    else
        std::snprintf(block, sizeof(block),
                      "    Condition: %s\n    Location : %s line %d\n    Last Err.: %dL (%s)\n    Add. Info: %s\n", cond,
                      base, line, err, errText, addInfo);

    Printf("*** ASSERTION FAILED: \n%s\n", block);

    LOGITOS::DATETIME now;
    LOGITOS::LocalNow(now);
    char date[32], time[32];
    FormatDate(date, sizeof(date), now);
    FormatTime(time, sizeof(time), now);
    std::unique_ptr<char[]> entry(new (std::nothrow) char[4096]);
    char assertLog[1100] = "assert.log";
    if (entry) {
        std::snprintf(entry.get(), 4096, "--- %s --- %s %s ---\n\n%s\n\n", title, date, time, block);
        if (!LOGITOS::AppendToFile(assertLog, entry.get())) {
            char upper[128];
            CopyText(upper, sizeof(upper), app);
            for (char *p = upper; *p; ++p)
                *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
            char fallback[300];
            std::snprintf(fallback, sizeof(fallback), "%s_%s_Assert.log", kMaker, upper);
            char folder[1024];
            LOGITOS::DocumentsFolder(folder, sizeof(folder), false);
            JoinFolder(assertLog, sizeof(assertLog), folder, fallback);
            LOGITOS::AppendToFile(assertLog, entry.get());
        }
    }

    char env[16];
    bool envNoAssert = OSYSENV::Get("ORVAKNOASSERT", env, sizeof(env)) && env[0] && std::strcmp(env, "0") != 0;
    if (g.noAssert.load() || quiet || envNoAssert)
        return 1;

    char caption[300];
    std::snprintf(caption, sizeof(caption), "%s / %s", title, time);
    std::unique_ptr<char[]> message(new (std::nothrow) char[2500]);
    if (!message)
        return 1;
    if (g.german)
        std::snprintf(message.get(), 2500,
                      "Es ist eine unerwartete Situation aufgetreten.\n\nBitte melden Sie die Umstaende des Fehlers und die "
                      "folgenden\nInformationen an uns (Datei %s):\n\n%s\nWollen Sie jetzt versuchen mit dem Programm "
                      "fortzufahren?",
                      assertLog, block);
    else
        std::snprintf(message.get(), 2500,
                      "An unexpected condition has been encountered.\n\nPlease contact us via our web site and provide the "
                      "following information (logged in the %s file):\n\n%s\nDo you want to try to continue with the "
                      "program?",
                      assertLog, block);
    if (LOGITOS::AskYesNo(caption, message.get()))
        return 1;

    void (*writer)() = nullptr;
    {
        LOGLOCK lock;
        writer = g.crashWriter;
    }
    if (writer && g.crashDumpLevel.load() > 0)
        writer();
    OrderlyStop();
}

int HandleDebugKey(int functionKey)
{
    static const char *const switches[] = {"/LOGIT", "/LOGITHARD", "/LOGIT:CONSOLE", "/LOGITCLOSE"};
    if (functionKey < 5 || functionKey > 8)
        return 0;
    HandleSwitch(switches[functionKey - 5]);
    static const unsigned rising[] = {440, 660, 880};
    for (int i = 0; i < 3; ++i)
        LOGITOS::Beep(functionKey == 8 ? rising[2 - i] : rising[i], 60);
    return 1;
}

void OrderlyStop()
{
    Close();
    LOGITOS::ExitProcess(42);
}

void Close()
{
    LOGLOCK lock;
    CloseLocked();
}

bool IsLogging()
{
    return LoggingOn();
}

void GetFileName(char *buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    LOGLOCK lock;
    CopyText(buffer, static_cast<size_t>(size), g.fileName);
}

int GetLogitLevel()
{
    return g.logitLevel.load();
}

void SetLogitLevel(int level)
{
    g.logitLevel.store(level);
}

bool IsNoAssert()
{
    return g.noAssert.load();
}

void SetNoAssert(bool on)
{
    g.noAssert.store(on);
}

int GetCrashDumpLevel()
{
    return g.crashDumpLevel.load();
}

void SetCrashDumpLevel(int level)
{
    g.crashDumpLevel.store(level);
}

void SetApplication(const char *name, const char *version, bool german)
{
    LOGLOCK lock;
    CopyText(g.appName, sizeof(g.appName), name);
    CopyText(g.appVersion, sizeof(g.appVersion), version);
    g.german = german;
}

void SetCrashDumpWriter(void (*writer)())
{
    LOGLOCK lock;
    g.crashWriter = writer;
}

void ResetForTests()
{
    LOGLOCK lock;
    g.started = false;
    g.startTime = 0;
    g.firstThread = 0;
    g.depth = 0;
    g.hasOwner = false;
    g.nestOwner = 0;
    g.channel = 0;
    g.atLineStart = true;
}

} // namespace LOGIT
