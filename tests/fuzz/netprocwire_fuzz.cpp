// Feeds arbitrary bytes to the server side of the remote-procedure wire as a peer could send them:
// the request header up to the first STX, then parameter packets ended by STX and the last by ETX,
// the first of them read as the parameter record.  Besides memory errors and any end of the
// program it checks that a header that was accepted tells the same command and form after it is
// made again, that the parameter record writes a text that reads back to itself, and that a file
// announcement in a packet never yields a file name extension that leaves the temporary folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "kestar/base/hash.h"
#include "kestar/devices/netproc.h"

namespace {

std::string gFolder; // a scratch folder: the current folder while fuzzing

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool Same(const STRING &a, const STRING &b)
{
    return a.StrLen == b.StrLen && (a.StrLen == 0 || std::memcmp(a.Buffer, b.Buffer, static_cast<size_t>(a.StrLen)) == 0);
}

void RemoveFolder()
{
    unlink((gFolder + "/assert.log").c_str());
    rmdir(gFolder.c_str());
}

// A command that a header can carry unchanged: one word of printable bytes.
bool PlainCommand(const STRING &command)
{
    if (command.Length() == 0 || command.Find("::Call["))
        return false;
    for (STRING_SIZE_T i = 0; i < command.Length(); i++) {
        unsigned char c = static_cast<unsigned char>(command[i]);
        if (c <= 0x20 || c >= 0x7F)
            return false;
    }
    return true;
}

void CheckFileAnnouncement(const STRING &text)
{
    STRING inner, name;
    uint64_t size = 0;
    if (!NETPROCWIRE::IsFileResult(text, inner) || !NETPROCWIRE::ParseFileAnnouncement(inner, name, &size))
        return;
    STRING ext = NETPROCWIRE::SafeExtension(name.Buffer);
    Check(ext.Length() == 0 || (ext[0] == '.' && ext.Length() <= 17));
    for (STRING_SIZE_T i = 1; i < ext.Length(); i++) {
        char c = ext[i];
        Check((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-');
    }
    STRING base = NETPROCWIRE::NameOfPath(name.Buffer);
    for (STRING_SIZE_T i = 0; i < base.Length(); i++)
        Check(base[i] != '\\' && base[i] != '/' && base[i] != ':');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Malformed parameter lines report assertions: no box, and assert.log goes nowhere.  The
    // folder change is only made when every path on the command line is absolute.
    setenv("ORVAKNOASSERT", "1", 1);
    char templ[] = "/tmp/netprocwire_fuzz_XXXXXX";
    if (!mkdtemp(templ))
        return 0;
    gFolder = templ;
    bool absolute = true;
    for (int i = 1; i < *argc; i++) {
        const char *a = (*argv)[i];
        const char *eq = a[0] == '-' ? std::strchr(a, '=') : nullptr;
        const char *path = a[0] == '-' ? (eq ? eq + 1 : nullptr) : a;
        if (path && *path && std::strncmp(a, "-max", 4) != 0 && std::strncmp(a, "-runs", 5) != 0 && path[0] != '/')
            absolute = false;
    }
    if (absolute && symlink("/dev/null", (gFolder + "/assert.log").c_str()) == 0 && chdir(gFolder.c_str()) == 0)
        std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The server reads the header up to the first STX, which the header keeps.
    const uint8_t *stx = static_cast<const uint8_t *>(std::memchr(data, NETPROC_STX, size));
    size_t headerLen = stx ? static_cast<size_t>(stx - data) + 1 : size;
    STRING header = STRING::FromBytes(data, static_cast<STRING_SIZE_T>(headerLen));
    bool sync = false;
    STRING command;
    if (NETPROCWIRE::ParseRequestHeader(header, &sync, command)) {
        Check(!command.IsNull());
        if (PlainCommand(command)) {
            for (bool form : {true, false}) {
                STRING made = NETPROCWIRE::RequestHeader(0x2a, command.Buffer, form);
                bool madeSync = !form;
                STRING madeCommand;
                Check(NETPROCWIRE::ParseRequestHeader(made, &madeSync, madeCommand));
                Check(madeSync == form && Same(madeCommand, command));
            }
        }
    }

    // Packets up to the one that ends in ETX; the first is the parameter record.
    size_t pos = headerLen;
    for (int packet = 0; pos < size; packet++) {
        size_t end = pos;
        while (end < size && data[end] != NETPROC_STX && data[end] != NETPROC_ETX)
            end++;
        STRING text = STRING::FromBytes(data + pos, static_cast<STRING_SIZE_T>(end - pos));
        if (packet == 0) {
            HASH params(text);
            STRING once = params.ToString();
            HASH again(once);
            Check(Same(again.ToString(), once));
        }
        CheckFileAnnouncement(text);
        if (end >= size || data[end] == NETPROC_ETX)
            break;
        pos = end + 1;
    }
    return 0;
}
