// FILENAME: the system's path type.  Always "\" as separator, never a trailing separator (except
// a drive root), and, when built from a text, placeholders expanded: the user's and the machine's
// standard folders ("%APPDATA%", "$(APPDATA)", "~\"), "%USERNAME%", "%COMPUTERNAME%", and the whole
// names "<self>", "<tmp>" and "<temp>".  The path logic is portable; the file system is reached
// through kestar/fsys.h, and the placeholder values through a SHELLLOOKUP that tests can replace.
#ifndef KESTAR_FILENAME_H
#define KESTAR_FILENAME_H

#include "kestar/base/string.h"

#include <cstdint>
#include <cstdio>

// windows.h maps these names to their A/W functions; our members keep the plain names, so a file
// that sees both must call the Win32 functions by their explicit A or W names.
#ifdef RemoveDirectory
#undef RemoveDirectory
#endif

// Where the placeholders get their values.  One process-wide lookup is active (the platform's by
// default); FILENAME::SetLookup replaces it, e.g. in tests.
class SHELLLOOKUP {
public:
    virtual ~SHELLLOOKUP() = default;
    // A folder by system-path type (OSYS::GetSystemPath); empty when unknown.
    virtual STRING SystemPath(int type) = 0;
    virtual STRING UserName() = 0;
    virtual STRING ComputerName() = 0;
    // The program's own executable file.
    virtual STRING ProgramFile() = 0;
    // The environment variable "TEMP", else "TMP", else the system's temporary folder.
    virtual STRING TempFolder() = 0;
};

// The platform's lookup (kestar/shelllookup_win32.cpp, shelllookup_posix.cpp); never null.
SHELLLOOKUP *DefaultShellLookup();

class FILENAME {
public:
    // Sharing values of fsopen (the runtime library's _SH_ numbers); -1 chooses by the mode.
    enum { SH_DENYRW = 0x10, SH_DENYWR = 0x20, SH_DENYRD = 0x30, SH_DENYNO = 0x40 };

    FILENAME(); // empty
    // Built from a text: special names, placeholders and separators are expanded (SetExpanded).
    explicit FILENAME(const char *text);
    explicit FILENAME(const STRING &text);
    // The name expanded; an absolute name is the result, otherwise folder (empty = ".") "\" name.
    FILENAME(const char *folder, const char *name);
    FILENAME(const FILENAME &other);
    FILENAME &operator=(const FILENAME &other);

    static FILENAME FromText(const char *text) { return FILENAME(text); }
    static FILENAME FromString(const STRING &text) { return FILENAME(text); }
    static FILENAME FromFolderAndName(const char *folder, const char *name) { return FILENAME(folder, name); }
    static FILENAME FromFolderAndName(const STRING &folder, const char *name);
    static FILENAME FromFilename(const FILENAME &other) { return FILENAME(other); }

    // Assign and normalise separators and the trailing "\", without expansion.
    void SetText(const char *text);
    void SetString(const STRING &text);
    void SetFilename(const FILENAME &other);
    // Assign with expansion of "<self>", "<tmp>", "<temp>" and the placeholders.
    void SetExpanded(const char *text);

    // The path; never null ("" when empty).  Borrowed: valid until the next change of this name.
    const char *Text() const;
    const STRING &GetString() const { return Path; }
    operator const STRING &() const { return Path; }
    bool NotEmpty() const { return Path.NotEmpty(); }
    bool IsEmpty() const { return !Path.NotEmpty(); }

    bool IsAbsolute() const;
    FILENAME GetName() const;                     // last component
    FILENAME GetFolder() const;                   // "." when there is no separator
    FILENAME RelativeTo(const char *folder) const; // unchanged when not below folder
    FILENAME GetFullName() const;                 // absolute, long names; see filename.cpp
    // True for a path on a network drive or a UNC path ("\\server\share\...").
    bool IsOnNetwork() const;
    bool Exists() const;
    bool IsDirectory() const;
    bool IsFile() const;
    long GetAttributes() const; // -1 when unreadable
    int64_t GetSize() const;    // -1 when the file cannot be examined

    bool Delete() const;
    bool MakeDirectory() const;
    bool RemoveDirectory() const;
    // Copies this file to target.  The data goes to a free name beside the target first and is
    // renamed into place only when every block was read and written whole and the file closed
    // cleanly, so a failed copy leaves an existing target as it was and no reader sees half a file.
    // overwrite=false fails when the target exists.
    bool CopyTo(const FILENAME &target, bool overwrite) const;
    // Copies a stream to the end in 4096-byte blocks; true only when no read failed and every block
    // was written whole.  The streams stay open and belong to the caller.
    static bool CopyBlocks(FILE *from, FILE *to);
    // A name in this file's folder that is free now ("Z-" and six letters); empty on failure.
    // For writing a file under a temporary name and renaming it into place with MoveTo.
    FILENAME TempNameBeside() const;
    // Renames this file to target (same volume); replace=false never replaces an existing target.
    bool MoveTo(const FILENAME &target, bool replace) const;

    // Opens a stream with a runtime-library mode ("r", "w", "a", with "+" and "b") and a sharing
    // value; -1 chooses: "w"/"a" or "r+" deny others reading and writing, "r" denies writing.
    // "a" positions at the end.  The caller owns the stream (fclose).  Null on failure.
    static FILE *fsopen(const char *path, const char *mode, int share = -1);

    // Placeholder expansion on a path text in place (see filename.cpp).
    static void ExpandShellString(STRING &path);
    // Fills the placeholder table unless it is filled; false while the filling runs on this thread.
    static bool ShellStringsInit();
    // Sets or adds a "%NAME%" placeholder with its folder value.
    static void ShellStringSet(const char *name, const char *value);
    // Replaces the active lookup (null = the platform's) and empties the table, which is filled
    // again from the new lookup on next use.  Returns the lookup that was active.  The lookup is
    // borrowed and must outlive its use.
    static SHELLLOOKUP *SetLookup(SHELLLOOKUP *lookup);

private:
    STRING Path; // the normalised path, code page 1252
};

#endif
