// FILENAME: path normalisation, placeholder expansion, path queries and the file operations on
// one name.  Portable: the file system is reached only through FSYS, the placeholder values only
// through the active SHELLLOOKUP.
//
// The placeholder table is filled once, on first use, from the lookup.  Several threads may build
// names at start-up at the same time, so the table is read and written only under its lock; the
// lookup itself is called outside the lock (it may log, and the log builds names too), and a
// thread-local flag stops the filling from recursing into itself.
#include "kestar/base/filename.h"

#include "kestar/base/critsect.h"
#include "kestar/base/fsys.h"
#include "kestar/base/logit.h"
#include "kestar/base/unixport.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Std(const STRING &s)
{
    return s.Buffer ? std::string(reinterpret_cast<const char *>(s.Buffer), static_cast<size_t>(s.StrLen))
                    : std::string();
}

char Fold(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IStartsWith(const std::string &s, const std::string &prefix, size_t at = 0)
{
    if (s.size() < at + prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); i++)
        if (Fold(s[at + i]) != Fold(prefix[i]))
            return false;
    return true;
}

bool IEquals(const std::string &a, const char *b)
{
    return a.size() == std::strlen(b) && IStartsWith(a, b);
}

size_t IFind(const std::string &s, const std::string &what, size_t from)
{
    for (size_t i = from; i + what.size() <= s.size(); i++)
        if (IStartsWith(s, what, i))
            return i;
    return std::string::npos;
}

void IReplaceAll(std::string &s, const std::string &from, const std::string &to)
{
    size_t pos = 0;
    while ((pos = IFind(s, from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
}

void Slashes(std::string &s)
{
    std::replace(s.begin(), s.end(), '/', '\\');
}

bool IsDriveRoot(const std::string &s)
{
    return s.size() == 3 && s[1] == ':' && s[2] == '\\';
}

// The invariants of a stored path: "\" separators, no trailing "\" except a drive root; a lone
// "/" stays as it is, and a lone "\" (the root of the current drive) too.
std::string Normalise(const char *text)
{
    std::string s = text ? text : "";
    if (s == "/")
        return s;
    Slashes(s);
    while (s.size() > 1 && s.back() == '\\' && !IsDriveRoot(s))
        s.pop_back();
    return s;
}

// ---- the placeholder table -------------------------------------------------------------------

struct SLOT {
    std::string Name;   // "%NAME%"
    std::string Dollar; // "$(NAME)"
    std::string Value;  // the folder
};

constexpr size_t kSlots = 32;

struct TABLE {
    std::vector<SLOT> Slots; // at most kSlots, longest value first
    bool Filled = false;
    unsigned Generation = 0; // grows with every SetLookup
};

// The lock and the table live in functions so that global FILENAMEs of other files can be built
// during static initialisation.
CRITSECT &TableLock()
{
    static CRITSECT lock;
    return lock;
}

TABLE &Table() // guarded by TableLock()
{
    static TABLE table;
    return table;
}

std::atomic<SHELLLOOKUP *> gLookup{nullptr}; // null = the platform's
std::atomic<bool> gFilled{false};            // mirrors Table().Filled for the quick test
thread_local bool tFilling = false;          // this thread is filling the table

SHELLLOOKUP *Lookup()
{
    SHELLLOOKUP *l = gLookup.load();
    return l ? l : DefaultShellLookup();
}

struct DEFAULTENTRY {
    const char *Name;
    int Type;
};

// Placeholders and their system-path types, in the order they are set.
const DEFAULTENTRY kDefaults[] = {
    {"%USERDOCUMENTS%", 14}, {"%USERDESKTOP%", 8},     {"%APPDATA%", 5},      {"%ALLUSERAPPDATA%", 13},
    {"%USERHOME%", 6},       {"%USERPROFILE%", 6},     {"%ALLUSERPROFILE%", 12}, {"%USERLIBRARY%", 5},
    {"%USERLOGS%", 18},      {"%USERDOWNLOAD%", 19},   {"%USERPICTURES%", 7},
};

// Sets one slot; the caller holds TableLock().  false when the table is full.
bool SetLocked(const std::string &name, const std::string &value)
{
    std::vector<SLOT> &slots = Table().Slots;
    auto it = std::find_if(slots.begin(), slots.end(), [&](const SLOT &s) { return s.Name == name; });
    if (it == slots.end()) {
        if (slots.size() >= kSlots)
            return false;
        slots.push_back(SLOT());
        it = slots.end() - 1;
    }
    it->Name = name;
    std::string bare = name;
    if (!bare.empty() && bare.front() == '%')
        bare.erase(0, 1);
    if (!bare.empty() && bare.back() == '%')
        bare.pop_back();
    it->Dollar = "$(" + bare + ")";
    it->Value = value;
    std::stable_sort(slots.begin(), slots.end(),
                     [](const SLOT &a, const SLOT &b) { return a.Value.size() > b.Value.size(); });
    return true;
}

std::vector<SLOT> Snapshot()
{
    TableLock().Enter();
    std::vector<SLOT> copy = Table().Slots;
    TableLock().Leave();
    return copy;
}

// The expansion of a path text (see FILENAME::ExpandShellString).
void Expand(std::string &p)
{
    bool user = IFind(p, "%USERNAME%", 0) != std::string::npos;
    bool computer = IFind(p, "%COMPUTERNAME%", 0) != std::string::npos;
    if (!p.empty() && (p[0] == '$' || p[0] == '%' || p[0] == '~' || user || computer)) {
        std::string before = p;
        bool table = FILENAME::ShellStringsInit();
        Slashes(p);
        if (p.size() >= 2 && p[0] == '~' && p[1] == '\\')
            p = "%USERHOME%" + p.substr(1);
        if (user)
            IReplaceAll(p, "%USERNAME%", Std(Lookup()->UserName()));
        if (computer)
            IReplaceAll(p, "%COMPUTERNAME%", Std(Lookup()->ComputerName()));
        if (table) {
            for (const SLOT &s : Snapshot()) {
                if (s.Name.empty() || s.Value.empty())
                    continue;
                std::string value = s.Value;
                while (!value.empty() && (value.back() == '\\' || value.back() == '/'))
                    value.pop_back();
                if (IStartsWith(p, s.Name))
                    p = value + p.substr(s.Name.size());
                if (IStartsWith(p, s.Dollar))
                    p = value + p.substr(s.Dollar.size());
            }
        }
        LOGIT::Printf("FILENAME::ExpandShellString %s -> %s\n", before.c_str(), p.c_str());
    }
    if (!p.empty()) {
        Slashes(p);
        while (p.size() > 1 && p.back() == '\\')
            p.pop_back();
        if (p.size() == 2 && p[1] == ':')
            p += '\\';
    }
}

// A new unique name in the temporary folder for "<tmp>" and "<temp>"; no file is created.
std::string TempPath()
{
    std::string folder = Std(Lookup()->TempFolder());
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    char fname[260];
    int n = std::snprintf(fname, sizeof(fname), "%s/Z-XXXXXX", folder.c_str());
    bool ok = n > 0 && n < static_cast<int>(sizeof(fname)) && UNIXPORT::MakeTempName(fname);
    LOGIT::Assert(ok ? 1 : 0, "fname", __FILE__, __LINE__, folder.c_str(), 0);
    return ok ? std::string(fname) : std::string();
}

} // namespace

// ---- construction and assignment ----------------------------------------------------------------

FILENAME::FILENAME() : Path("") {}

FILENAME::FILENAME(const char *text)
{
    SetExpanded(text);
}

FILENAME::FILENAME(const STRING &text)
{
    std::string t = Std(text);
    SetExpanded(text.Buffer ? t.c_str() : nullptr);
}

FILENAME::FILENAME(const char *folder, const char *name)
{
    FILENAME n(name);
    if (n.IsAbsolute()) {
        Path = n.Path;
    } else {
        std::string f = (folder && *folder) ? folder : ".";
        while (!f.empty() && (f.back() == '\\' || f.back() == '/'))
            f.pop_back();
        std::string joined = f + "\\" + n.Text();
        Expand(joined);
        SetText(joined.c_str());
    }
    LOGIT::Printf("FILENAME::FILENAME returns '%s'\n", Text());
}

FILENAME FILENAME::FromFolderAndName(const STRING &folder, const char *name)
{
    std::string f = Std(folder);
    return FILENAME(f.c_str(), name);
}

FILENAME::FILENAME(const FILENAME &other) : Path(other.Path)
{
    LOGIT::Printf("FILENAME::FILENAME returns %s\n", Text());
}

FILENAME &FILENAME::operator=(const FILENAME &other)
{
    if (this != &other)
        Path = other.Path;
    return *this;
}

void FILENAME::SetText(const char *text)
{
    Path = STRING(Normalise(text).c_str());
}

void FILENAME::SetString(const STRING &text)
{
    SetText(Std(text).c_str());
}

void FILENAME::SetFilename(const FILENAME &other)
{
    Path = other.Path;
}

void FILENAME::SetExpanded(const char *text)
{
    if (!text) {
        Path = STRING("");
        return;
    }
    std::string t = text;
    if (IEquals(t, "<self>"))
        t = Std(Lookup()->ProgramFile());
    else if (IEquals(t, "<tmp>") || IEquals(t, "<temp>"))
        t = TempPath();
    Expand(t);
    Slashes(t);
    Path = STRING(t.c_str());
}

const char *FILENAME::Text() const
{
    return Path.Buffer ? reinterpret_cast<const char *>(Path.Buffer) : "";
}

// ---- placeholders -------------------------------------------------------------------------------

void FILENAME::ExpandShellString(STRING &path)
{
    std::string p = Std(path);
    Expand(p);
    path = STRING(p.c_str());
}

bool FILENAME::ShellStringsInit()
{
    if (gFilled.load())
        return true;
    if (tFilling)
        return false; // called from inside the filling (e.g. by the log): go on without the table
    tFilling = true;
    for (int round = 0; round < 3 && !gFilled.load(); round++) {
        TableLock().Enter();
        unsigned generation = Table().Generation;
        TableLock().Leave();
        SHELLLOOKUP *lookup = Lookup();
        std::vector<std::string> values;
        for (const DEFAULTENTRY &d : kDefaults)
            values.push_back(Std(lookup->SystemPath(d.Type)));
        TableLock().Enter();
        bool publish = !Table().Filled && Table().Generation == generation;
        if (publish) {
            for (size_t i = 0; i < values.size(); i++)
                SetLocked(kDefaults[i].Name, values[i]);
            Table().Filled = true;
            gFilled.store(true);
        }
        TableLock().Leave();
        if (publish)
            for (size_t i = 0; i < values.size(); i++)
                LOGIT::Printf("FILENAME::ShellStringSet %s %s\n", kDefaults[i].Name, values[i].c_str());
    }
    tFilling = false;
    return true;
}

void FILENAME::ShellStringSet(const char *name, const char *value)
{
    if (!name || !*name)
        return;
    ShellStringsInit();
    TableLock().Enter();
    bool ok = SetLocked(name, value ? value : "");
    TableLock().Leave();
    LOGIT::Printf("FILENAME::ShellStringSet %s %s\n", name, value ? value : "");
    LOGIT::Assert(ok ? 1 : 0, "slot", __FILE__, __LINE__, name, 1);
}

SHELLLOOKUP *FILENAME::SetLookup(SHELLLOOKUP *lookup)
{
    TableLock().Enter();
    SHELLLOOKUP *old = gLookup.exchange(lookup);
    Table().Slots.clear();
    Table().Filled = false;
    Table().Generation++;
    gFilled.store(false);
    TableLock().Leave();
    return old ? old : DefaultShellLookup();
}

// ---- queries ------------------------------------------------------------------------------------

namespace {

// Index of the last separator: "\", "/", the ":" at index 1 or a "~" at index 0; npos if none.
size_t LastSeparator(const std::string &s)
{
    size_t i = s.find_last_of("\\/");
    if (s.size() > 1 && s[1] == ':' && (i == std::string::npos || i < 1))
        i = 1;
    if (!s.empty() && s[0] == '~' && i == std::string::npos)
        i = 0;
    return i;
}

} // namespace

bool FILENAME::IsAbsolute() const
{
    std::string s = Text();
    if (s.empty())
        return false;
    if (s[0] == '\\' || s[0] == '/')
        return true;
    if (s.size() > 1 && s[1] == ':')
        return true;
    return s.size() > 1 && s[0] == '~' && (s[1] == '/' || s[1] == '\\');
}

FILENAME FILENAME::GetName() const
{
    std::string s = Text();
    size_t i = LastSeparator(s);
    FILENAME r;
    if (i == std::string::npos) {
        r.Path = Path;
        return r;
    }
    std::string name = s.substr(i + 1);
    while (!name.empty() && name[0] == '\\')
        name.erase(0, 1);
    r.SetText(name.c_str());
    return r;
}

FILENAME FILENAME::GetFolder() const
{
    std::string s = Text();
    size_t i = LastSeparator(s);
    FILENAME r;
    if (i == std::string::npos) {
        r.SetText(".");
        return r;
    }
    std::string folder;
    if (s[i] == ':')
        folder = s.substr(0, 2);
    else if (s[i] == '~')
        folder = "~";
    else
        folder = s.substr(0, i);
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    if (folder.empty())
        folder = "\\"; // a file in the root of the current drive
    r.SetText(folder.c_str());
    return r;
}

FILENAME FILENAME::RelativeTo(const char *folder) const
{
    std::string s = Text();
    std::string f = Normalise(folder);
    FILENAME r;
    r.Path = Path;
    if (f.empty() || !IStartsWith(s, f))
        return r;
    bool boundary = f.back() == '\\' || (s.size() > f.size() && s[f.size()] == '\\');
    if (!boundary)
        return r;
    std::string rest = s.substr(f.size());
    while (!rest.empty() && rest[0] == '\\')
        rest.erase(0, 1);
    r.SetText(rest.c_str());
    return r;
}

FILENAME FILENAME::GetFullName() const
{
    FILENAME r;
    r.Path = Path;
    std::string full, longname;
    if (IsEmpty() || !FSYS::FullPath(Text(), full))
        return r;
    // A file that does not exist (yet) has no long name; its full path is still the answer.
    if (FSYS::LongPath(full.c_str(), longname))
        full = longname;
    r.SetText(full.c_str());
    return r;
}

bool FILENAME::IsOnNetwork() const
{
    LOGIT::Printf("FILENAME::IsOnNetwork file= %s\n", Text());
    FILENAME fullname = GetFullName();
    if (fullname.IsEmpty()) {
        LOGIT::Assert(0, "fullname.NotEmpty()", __FILE__, __LINE__, nullptr, 1);
        return false;
    }
    std::string f = fullname.Text();
    bool network = false;
    if (IStartsWith(f, "\\\\?\\UNC\\")) {
        network = true;
    } else if (IStartsWith(f, "\\\\?\\") || IStartsWith(f, "\\\\.\\")) {
        // Win32 device namespace; a drive path behind "\\?\" is judged by its drive below.
        f = f.substr(4);
    } else if (IStartsWith(f, "\\\\")) {
        network = true; // \\server\share\...
    }
    if (!network && f.size() >= 3 && std::isalpha(static_cast<unsigned char>(f[0])) && f[1] == ':' &&
        f[2] == '\\') {
        std::string root = f.substr(0, 3);
        int rc = FSYS::DriveType(root.c_str());
        LOGIT::Assert((rc != 0 && rc != 1) ? 1 : 0, "rc!=0 && rc!=1", __FILE__, __LINE__, root.c_str(), 1);
        network = rc == FSYS::DRIVE_KIND_REMOTE;
    }
    LOGIT::Printf("FILENAME::IsOnNetwork fullname %s returns %d\n", fullname.Text(), network ? 1 : 0);
    return network;
}

bool FILENAME::Exists() const
{
    if (IsEmpty()) {
        LOGIT::Printf("FILENAME::Exists without name returns FALSE\n");
        return false;
    }
    if (FSYS::Attributes(Text()) != -1)
        return true;
    LOGIT::Printf("FILENAME::Exists '%s' returns %s\n", Text(), FSYS::LastErrorText().c_str());
    return false;
}

bool FILENAME::IsDirectory() const
{
    long a = GetAttributes();
    return a != -1 && (a & FSYS::ATTR_DIRECTORY) != 0;
}

bool FILENAME::IsFile() const
{
    return Exists() && !IsDirectory();
}

long FILENAME::GetAttributes() const
{
    return IsEmpty() ? -1 : FSYS::Attributes(Text());
}

int64_t FILENAME::GetSize() const
{
    return IsEmpty() ? -1 : FSYS::Size(Text());
}

// ---- operations ---------------------------------------------------------------------------------

bool FILENAME::Delete() const
{
    bool ok = NotEmpty() && FSYS::Remove(Text());
    if (!ok)
        LOGIT::Printf("FILENAME::Delete %s failed: %s\n", Text(), FSYS::LastErrorText().c_str());
    return ok;
}

bool FILENAME::MakeDirectory() const
{
    bool ok = NotEmpty() && FSYS::MakeDir(Text());
    if (!ok)
        LOGIT::Printf("FILENAME::MakeDirectory %s failed: %s\n", Text(), FSYS::LastErrorText().c_str());
    return ok;
}

bool FILENAME::RemoveDirectory() const
{
    bool ok = NotEmpty() && FSYS::RemoveDir(Text());
    if (!ok)
        LOGIT::Printf("FILENAME::RemoveDirectory %s failed: %s\n", Text(), FSYS::LastErrorText().c_str());
    return ok;
}

bool FILENAME::CopyBlocks(FILE *from, FILE *to)
{
    if (!from || !to)
        return false;
    char block[4096];
    for (;;) {
        size_t n = std::fread(block, 1, sizeof(block), from);
        if (n > 0 && std::fwrite(block, 1, n, to) != n)
            return false;
        if (n < sizeof(block))
            break;
    }
    return !std::ferror(from) && !std::ferror(to);
}

FILENAME FILENAME::TempNameBeside() const
{
    FILENAME r;
    std::string templ = std::string(GetFolder().Text()) + "\\Z-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (UNIXPORT::MakeTempName(buf.data()))
        r.SetText(buf.data());
    else
        LOGIT::Printf("FILENAME::TempNameBeside %s failed\n", Text());
    return r;
}

bool FILENAME::MoveTo(const FILENAME &target, bool replace) const
{
    bool ok = NotEmpty() && target.NotEmpty() && FSYS::Rename(Text(), target.Text(), replace);
    if (!ok)
        LOGIT::Printf("FILENAME::MoveTo %s -> %s failed: %s\n", Text(), target.Text(), FSYS::LastErrorText().c_str());
    return ok;
}

bool FILENAME::CopyTo(const FILENAME &target, bool overwrite) const
{
    LOGIT::Printf("FILENAME::CopyTo %s -> %s (overwrite= %d)\n", Text(), target.Text(), overwrite ? 1 : 0);
    if (!IsFile() || target.IsEmpty()) {
        LOGIT::Printf("FILENAME::CopyTo source is not a file\n");
        return false;
    }
    if (!overwrite && target.Exists()) {
        LOGIT::Printf("FILENAME::CopyTo target exists\n");
        return false;
    }
    FILE *in = fsopen(Text(), "rb", -1);
    if (!in)
        return false;
    FILENAME temp = target.TempNameBeside();
    FILE *out = temp.NotEmpty() ? fsopen(temp.Text(), "wb", -1) : nullptr;
    if (!out) {
        std::fclose(in);
        LOGIT::Printf("FILENAME::CopyTo cannot write beside %s: %s\n", target.Text(), FSYS::LastErrorText().c_str());
        return false;
    }
    bool ok = CopyBlocks(in, out);
    std::fclose(in);
    ok = FSYS::Commit(out) && ok;
    ok = std::fclose(out) == 0 && ok;
    if (ok)
        ok = temp.MoveTo(target, overwrite);
    if (!ok)
        FSYS::Remove(temp.Text());
    LOGIT::Printf("FILENAME::CopyTo returns %d\n", ok ? 1 : 0);
    return ok;
}

FILE *FILENAME::fsopen(const char *path, const char *mode, int share)
{
    if (!path || !mode)
        return nullptr;
    if (share == -1) {
        bool writes = std::strchr(mode, 'w') || std::strchr(mode, 'a') || std::strchr(mode, '+');
        share = writes ? SH_DENYRW : SH_DENYWR;
    }
    LOGIT::PrintfLevel(2, "FILENAME::fsopen(%s, %s, %d)\n", path, mode, share);
    FILE *f = FSYS::OpenShared(path, mode, share);
    if (f && std::strchr(mode, 'a'))
        std::fseek(f, 0, SEEK_END);
    LOGIT::PrintfLevel(2, "FILENAME::fsopen(%s, %s, %d) returns f= %p, fd= %d\n", path, mode, share,
                       static_cast<void *>(f), FSYS::Descriptor(f));
    return f;
}
