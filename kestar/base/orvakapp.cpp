// The portable half of the application frame: splitting the command line, collecting the
// arguments from the command line and the argument files, the switch queries, the choice of the
// user-interface language and the names of the language libraries.
#include "kestar/base/orvakapp.h"

#include "kestar/base/logit.h"
#include "kestar/base/orvakappos.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/stringarray.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

STRING gWorkDir(".");
int gLocale = 0;
unsigned long gMainThreadId = 0;

namespace {

// Written by ProcessArguments on the main thread before main runs; read afterwards.
STRINGARRAY gArguments(64);
STRING gCommandLine;
STRING gProgramPath;
STRING gProgramFolder(".");
STRING gApplicationName("Application");
STRING gApplicationVersion("0.00");
bool gService = false;

// An argument as a C text ("" for an empty one).
const char *Arg(STRING_SIZE_T i)
{
    const char *a = *gArguments[i];
    return a ? a : "";
}

void AddArgument(const char *text)
{
    STRING a(text);
    a.SetNotNull();
    gArguments.AddItem(a);
}

bool StartsNoCase(const char *text, const char *prefix, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = static_cast<unsigned char>(text[i]);
        unsigned char b = static_cast<unsigned char>(prefix[i]);
        if (a == 0 || std::toupper(a) != std::toupper(b))
            return false;
    }
    return true;
}

bool EqualNoCase(const char *a, const char *b)
{
    return STR::stricmp(a, b, 1) == 0;
}

bool EndsNoCase(const char *text, const char *suffix)
{
    size_t n = std::strlen(text), m = std::strlen(suffix);
    return n >= m && EqualNoCase(text + n - m, suffix);
}

// The program itself as the first token of a command line.
bool IsProgramToken(const char *token)
{
    return std::strlen(token) >= 5 && EndsNoCase(token, ".exe");
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Index just behind the last separator of path (0 when there is none).
STRING_SIZE_T NameStart(const STRING &path)
{
    const char *text = path;
    if (text == nullptr)
        return 0;
    STRING_SIZE_T start = 0;
    for (STRING_SIZE_T i = 0; text[i]; ++i) {
        if (IsSeparator(text[i]))
            start = i + 1;
    }
    return start;
}

STRING FolderOf(const STRING &path)
{
    STRING_SIZE_T start = NameStart(path);
    if (start == 0)
        return STRING(".");
    STRING folder = path.Left(start - 1);
    // "C:\prog.exe" lies in "C:"; the separator is added again when a name is joined.
    if (folder.IsEmpty())
        folder = STRING(path.Left(1));
    return folder;
}

STRING Join(const STRING &folder, const char *name)
{
    STRING out = folder;
    const char *text = folder;
    size_t n = text ? std::strlen(text) : 0;
    if (n == 0 || !IsSeparator(text[n - 1])) {
        char sep[2] = {ORVAKAPPOS::Separator(), 0};
        out += sep;
    }
    out += name;
    return out;
}

void AppendArgumentFile(STRINGARRAY &files, const STRING &name)
{
    for (STRING_SIZE_T i = 0; i < files.NumItems(); ++i) {
        if (EqualNoCase(*files[i], name))
            return;
    }
    files.AddItem(name);
}

void ReadArgumentFile(const STRING &file)
{
    if (!OSYSFILE::Exists(file))
        return;
    STRINGARRAY lines;
    lines.Load(file, 0);
    for (STRING_SIZE_T i = 0; i < lines.NumItems(); ++i) {
        STRING line = *lines[i];
        if (line.IsEmpty())
            continue;
        line.Trim('B', " \t\r");
        // Only the service program, which has no command line of its own to speak of, takes its
        // log switches from the files.
        if (gService)
            LOGIT::HandleSwitch(line);
        AddArgument(line);
    }
    LOGIT::Printf("ORVAKAPP processing of %s done\n", static_cast<const char *>(file));
}

} // namespace

int TestArg(const char *name)
{
    int found = 0;
    if (name != nullptr) {
        for (STRING_SIZE_T i = 0; i < gArguments.NumItems() && !found; ++i) {
            const char *a = Arg(i);
            if ((a[0] == '/' || a[0] == '-') && EqualNoCase(a + 1, name))
                found = 1;
        }
    }
    LOGIT::Printf("TestArg(\"%s\") returned %d\n", name ? name : "<NULL>", found);
    return found;
}

int TestArgValue(const char *name, int n)
{
    int howmany = 0;
    if (name != nullptr) {
        size_t len = std::strlen(name);
        for (STRING_SIZE_T i = 0; i < gArguments.NumItems(); ++i) {
            const char *a = Arg(i);
            if ((a[0] == '-' && EqualNoCase(a + 1, name)) ||
                (a[0] == '/' && StartsNoCase(a + 1, name, len) && a[1 + len] == ':'))
                howmany++;
        }
    }
    int result = howmany >= n + 1 ? 1 : 0;
    LOGIT::Printf("TestArgValue(\"%s\", %d) returned %d\n", name ? name : "<NULL>", n, result);
    return result;
}

const char *GetArgValue(const char *name, int n)
{
    const char *value = nullptr;
    if (name != nullptr) {
        size_t len = std::strlen(name);
        int index = 0;
        const STRING_SIZE_T count = gArguments.NumItems();
        for (STRING_SIZE_T i = 0; i < count; ++i) {
            const char *a = Arg(i);
            if ((a[0] != '/' && a[0] != '-') || !StartsNoCase(a + 1, name, len))
                continue;
            if (index++ != n)
                continue;
            if (a[0] == '/') {
                value = a + 1 + len;
                if (*value == ':')
                    value++;
            } else if (i + 1 < count) {
                value = Arg(i + 1);
            }
            break;
        }
    }
    LOGIT::Printf("GetArgValue(\"%s\", %d) returned %s\n", name ? name : "<NULL>", n, value ? value : "<NULL>");
    return value;
}

namespace ORVAKAPP {

int SplitCommandLine(char *text, const char *programPath, STRING &pathBuffer, char **entries, int maxEntries)
{
    if (entries == nullptr || maxEntries < 2) {
        ORVAK_ASSERT(entries != nullptr && maxEntries >= 2);
        return 0;
    }
    pathBuffer = programPath;
    pathBuffer.SetNotNull();
    entries[0] = const_cast<char *>(static_cast<const char *>(pathBuffer));
    int count = 1;
    gCommandLine = "";
    if (text == nullptr) {
        entries[count] = nullptr;
        return count;
    }

    char *p = text;
    while (*p == ' ')
        p++;
    size_t len = std::strlen(p);
    while (len > 0 && p[len - 1] == ' ')
        p[--len] = 0;
    gCommandLine = p;

    bool first = true;
    while (*p && count < maxEntries - 2) {
        char *token = *p == '"' ? p + 1 : p;
        char *end = std::strchr(token, *p == '"' ? '"' : ' ');
        if (end == nullptr)
            break;
        *end = 0;
        p = end + 1;
        while (*p == ' ')
            p++;
        bool program = first && IsProgramToken(token);
        first = false;
        if (!program)
            entries[count++] = token;
    }
    // A token without its closing quote or blank: the rest of the text is the last entry (without
    // the opening quote).  When it is the program itself alone, it is dropped like a first token.
    if (*p) {
        char *rest = *p == '"' ? p + 1 : p;
        if (!(first && IsProgramToken(rest)))
            entries[count++] = rest;
    }
    entries[count] = nullptr;
    return count;
}

const char *GetProcessCommandLine()
{
    return gCommandLine.NotEmpty() ? static_cast<const char *>(gCommandLine) : "";
}

void ProcessArguments(int count, char **entries, int defaultLanguage)
{
    std::srand(static_cast<unsigned>(ORVAKAPPOS::ProcessId()));
    gMainThreadId = OSYS::GetCurrentThreadId();
    STRING current = ORVAKAPPOS::CurrentDirectory();
    gWorkDir = current.NotEmpty() ? current : STRING(".");

    gProgramPath = count > 0 && entries != nullptr && entries[0] != nullptr ? STRING(entries[0])
                                                                            : ORVAKAPPOS::ProgramFile();
    gProgramFolder = ProgramFolderOf(gProgramPath);
    STRING fileName = gProgramPath.Mid(NameStart(gProgramPath));
    fileName.SetNotNull();
    gService = EqualNoCase(fileName, "service.exe");
    STRING_SIZE_T dot = fileName.PosChar('.');
    gApplicationName = dot >= 0 ? fileName.Left(dot) : fileName;
    STRING baseName = fileName;
    if (EndsNoCase(baseName, ".exe") || EndsNoCase(baseName, ".app"))
        baseName = baseName.Left(baseName.StrLen - 4);

    STRINGARRAY files;
    STRING ownFile = baseName + "_commandline.ini";
    AppendArgumentFile(files, Join(gProgramFolder, "commandline.ini"));
    AppendArgumentFile(files, Join(gProgramFolder, ownFile));
    AppendArgumentFile(files, Join(gWorkDir, "commandline.ini"));
    AppendArgumentFile(files, Join(gWorkDir, ownFile));

    gArguments.DeleteAll();
    for (int i = 0; i < count && entries != nullptr && entries[i] != nullptr; ++i) {
        LOGIT::HandleSwitch(entries[i]);
        AddArgument(entries[i]);
    }
    for (STRING_SIZE_T i = 0; i < files.NumItems(); ++i)
        ReadArgumentFile(*files[i]);

    LOGIT::Printf("ORVAKAPP arguments acquired\n");
    for (STRING_SIZE_T i = 0; i < gArguments.NumItems(); ++i)
        LOGIT::Printf("ORVAKAPP program argument %d= '%s'\n", static_cast<int>(i), Arg(i));

    if (TestArgValue("STARTUPDELAY", 0)) {
        LOGIT::Printf("ORVAKAPP sleeping for startupdelay\n");
        const char *value = GetArgValue("STARTUPDELAY", 0);
        long seconds = value ? std::strtol(value, nullptr, 10) : 0;
        if (seconds > 0)
            OSYS::Sleep(static_cast<int>(seconds > 86400 ? 86400 : seconds) * 1000);
    }

    gLocale = LocaleFromLanguageName(GetArgValue("LANG", 0), defaultLanguage);
    unsigned long thread = 0, user = 0, system = 0;
    ORVAKAPPOS::LocaleIds(thread, user, system);
    LOGIT::Printf("ORVAKAPP gLocale= %d, locale= %lx/%lx/%lx, primarylang= %lx\n", gLocale, thread, user, system,
                  thread & 0x3FF);
}

int NumArguments()
{
    return static_cast<int>(gArguments.NumItems());
}

const char *GetArgument(int i)
{
    if (i < 0 || i >= static_cast<int>(gArguments.NumItems()))
        return nullptr;
    return Arg(i);
}

STRING GetCommandLineWithoutLog()
{
    STRING out;
    out.SetNotNull();
    for (STRING_SIZE_T i = 0; i < gArguments.NumItems(); ++i) {
        const char *a = Arg(i);
        if (StartsNoCase(a, "/LOG", 4) || StartsNoCase(a, "-LOG", 4))
            continue;
        out += a;
        out += " ";
    }
    out.Trim('R', " ");
    return out;
}

int LocaleFromLanguageName(const char *value, int defaultLanguage)
{
    static const struct {
        const char *name;
        int id;
    } languages[] = {{"GER", LANG_ID_GERMAN}, {"ENGL", LANG_ID_ENGLISH}, {"FRENCH", LANG_ID_FRENCH},
                     {"HUNGARIAN", LANG_ID_HUNGARIAN}};
    if (value != nullptr) {
        for (const auto &l : languages) {
            if (EqualNoCase(value, l.name))
                return l.id;
        }
    }
    return defaultLanguage;
}

bool IsGerman()
{
    return gLocale == LANG_ID_GERMAN;
}

int GetLocale()
{
    return gLocale;
}

void SetLocale(int locale)
{
    gLocale = locale;
}

unsigned long GetMainThreadId()
{
    return gMainThreadId;
}

bool IsMainThread()
{
    return gMainThreadId != 0 && OSYS::GetCurrentThreadId() == gMainThreadId;
}

const STRING &GetProgramFolder()
{
    return gProgramFolder;
}

const STRING &GetProgramPath()
{
    return gProgramPath;
}

bool IsServiceProgram()
{
    return gService;
}

const STRING &GetApplicationName()
{
    return gApplicationName;
}

const STRING &GetApplicationVersion()
{
    return gApplicationVersion;
}

void SetApplication(const char *name, const char *version)
{
    if (name != nullptr && name[0]) {
        gApplicationName = name;
        gApplicationName[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(gApplicationName[0])));
    }
    if (version != nullptr)
        gApplicationVersion = version;
    LOGIT::SetApplication(gApplicationName, gApplicationVersion, IsGerman());
}

STRING AdjustDevelopmentFolder(const STRING &folder)
{
    char sep[2] = {ORVAKAPPOS::Separator(), 0};
    STRING up = Join(folder, "..");
    if (!OSYSFILE::Exists(up + sep + "main.cpp") && !OSYSFILE::Exists(up + sep + "approot.cpp"))
        return folder;
    STRING release = STRING(sep) + "Release";
    STRING release2 = release + "2";
    if (EndsNoCase(folder, release))
        return folder.Left(folder.StrLen - 8);
    if (EndsNoCase(folder, release2))
        return folder.Left(folder.StrLen - 9);
    return folder;
}

STRING ProgramFolderOf(const char *programPath)
{
    return AdjustDevelopmentFolder(FolderOf(STRING(programPath ? programPath : "")));
}

STRING LanguageLibraryName(const STRING &folder, const char *product, int locale)
{
    const char *language = "english.dll";
    if (locale == LANG_ID_GERMAN)
        language = "german.dll";
    else if (locale == LANG_ID_FRENCH)
        language = "french.dll";
    else if (locale == LANG_ID_HUNGARIAN)
        language = "hungarian.dll";
    STRING name = product ? STRING(product) : STRING("");
    name.SetNotNull();
    name += language;
    return Join(folder, name);
}

void ResetForTests()
{
    gArguments.DeleteAll();
    gCommandLine = "";
    gProgramPath = "";
    gProgramFolder = ".";
    gApplicationName = "Application";
    gApplicationVersion = "0.00";
    gService = false;
    gWorkDir = ".";
    gLocale = 0;
    gMainThreadId = 0;
}

} // namespace ORVAKAPP
