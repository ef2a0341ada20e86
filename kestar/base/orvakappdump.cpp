// The portable half of the frame's crash dumps: the dump kinds, the tag and the file name of a
// dump, and its compression.  The writing itself is Win32 (orvakapp_win32.cpp).
#include "kestar/base/orvakapp.h"

#include "kestar/base/logit.h"
#include "kestar/base/orvakappos.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/zstream.h"

#include <cctype>
#include <cstdio>

namespace {

struct DUMPKIND {
    const char *name;
    unsigned flags; // MINIDUMP_TYPE bits
};

const DUMPKIND kKinds[5] = {
    {"TINY", 0x000},  // normal
    {"MINI", 0x150},  // scan memory, indirectly referenced memory, process and thread data
    {"ORVAK", 0x155}, // those of MINI, data segments and handle data
    {"MIDI", 0x325},  // data segments, handle data, unloaded modules, process and thread data, private memory
    {"MAXI", 0x126},  // full memory, handle data, unloaded modules, process and thread data
};

const DUMPKIND &KindOf(int level)
{
    int i = level % 5;
    if (i < 0)
        i += 5;
    return kKinds[i];
}

bool Taken(const STRING &name)
{
    return OSYSFILE::Exists(name) || OSYSFILE::Exists(name + ".gz");
}

} // namespace

namespace ORVAKAPP {

const char *DumpKindName(int level)
{
    return KindOf(level).name;
}

unsigned DumpKindFlags(int level)
{
    return KindOf(level).flags;
}

STRING CrashTag(const char *appName, const char *version)
{
    STRING tag(appName ? appName : "");
    tag.SetNotNull();
    tag += version ? version : "";
    tag.RemoveChars(".");
    tag.ToUpper();
    if (tag.StrLen > 127)
        tag = tag.Left(127);
    return tag;
}

STRING DumpFileName(const char *folder, const char *tag, const char *user, const char *kind)
{
    STRING base(folder ? folder : ".");
    base.SetNotNull();
    char sep[2] = {ORVAKAPPOS::Separator(), 0};
    if (base.IsEmpty() || (base[base.StrLen - 1] != '\\' && base[base.StrLen - 1] != '/'))
        base += sep;
    base += "Orvak.CrashInfo.";
    base += tag ? tag : "";
    base += ".";
    base += user ? user : "";
    base += ".";
    base += kind ? kind : "";
    STRING name = base + ".dmp";
    for (int n = 2; Taken(name) && n <= 99; ++n) {
        name = base;
        name.AppendFormat("_%d.dmp", n);
    }
    return name;
}

bool CompressDump(const char *dumpFile)
{
    if (dumpFile == nullptr || !dumpFile[0])
        return false;
    STRING packed(dumpFile);
    packed += ".gz";
    // The dump goes only once its compressed copy is whole: a full disk or a failing write must
    // not leave the user with neither file.
    if (!GzipFile(dumpFile, packed)) {
        LOGIT::Printf("ORVAKAPP::CompressDump %s could not be compressed, kept as it is\n", dumpFile);
        return false;
    }
    if (std::remove(dumpFile) != 0)
        LOGIT::Printf("ORVAKAPP::CompressDump could not delete %s\n", dumpFile);
    return true;
}

} // namespace ORVAKAPP
