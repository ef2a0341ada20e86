// Feeds arbitrary bytes to the record and list readers, as a peer or a damaged file could.  Besides
// memory errors and any end of the program (an orderly stop counts as a finding), it checks that
// what the writer makes of a parsed record or list reads back to the same text, and that reading
// the bytes from a file gives what reading the text with CR LF turned into LF gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"

namespace {

std::string gFolder; // a scratch folder: the current folder while fuzzing
std::string gFile;   // the list file that HASHLIST::Load reads

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
    unlink(gFile.c_str());
    unlink((gFolder + "/assert.log").c_str());
    rmdir(gFolder.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // No assertion box, and the assertion file of the current folder goes nowhere: malformed input
    // reports assertions all the time.  The folder change is only made when every path on the
    // command line is absolute (tools/fuzz.sh passes absolute paths).
    setenv("ORVAKNOASSERT", "1", 1);
    char templ[] = "/tmp/hashtext_fuzz_XXXXXX";
    if (!mkdtemp(templ))
        return 0;
    gFolder = templ;
    gFile = gFolder + "/list.ini";
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
    STRING text = STRING::FromBytes(data, static_cast<STRING_SIZE_T>(size));

    // One record: parse, write, parse again, write again: the two texts are the same.
    HASH record(text);
    STRING once = record.ToString();
    HASH again(once);
    Check(Same(again.ToString(), once));

    // The bytes as one value ("v=" and the bytes without their line feeds and trailing CRs): the
    // record reads the value that the general readers make of it (base64 or strict unescaping).
    std::string raw;
    for (size_t i = 0; i < size; i++)
        if (data[i] != '\n')
            raw += static_cast<char>(data[i]);
    while (!raw.empty() && raw.back() == '\r')
        raw.pop_back();
    STRING rawText = STRING::FromBytes(raw.data(), static_cast<STRING_SIZE_T>(raw.size()));
    STRING expected;
    if (raw.size() >= 5 && raw.compare(0, 3, "={{") == 0 && raw.compare(raw.size() - 2, 2, "}}") == 0)
        expected = STRING::FromBytes(raw.data() + 3, static_cast<STRING_SIZE_T>(raw.size() - 5)).DecodeBase64();
    else
        expected = rawText.Unescape(false);
    std::string line = "v=" + raw;
    HASH one(STRING::FromBytes(line.data(), static_cast<STRING_SIZE_T>(line.size())));
    Check(one.NumKeys() == 1 && Same(one.GetValueAt(0), expected));
    Check(Same(HASH(one).GetValueAt(0), expected));

    // A list: the same fixed point, and the record count survives the round trip.
    HASHLIST list;
    int n = list.FromString(text);
    Check(n == list.NumItems());
    STRING listText = list.ToString();
    HASHLIST listAgain;
    Check(listAgain.FromString(listText) == n);
    Check(Same(listAgain.ToString(), listText));

    // The file reader reads CR LF as LF and otherwise what the text reader reads.
    if (!gFile.empty()) {
        std::FILE *f = std::fopen(gFile.c_str(), "wb");
        if (f) {
            std::fwrite(data, 1, size, f);
            std::fclose(f);
            std::string lf;
            lf.reserve(size);
            for (size_t i = 0; i < size; i++)
                if (!(data[i] == '\r' && i + 1 < size && data[i + 1] == '\n'))
                    lf += static_cast<char>(data[i]);
            HASHLIST fromText;
            fromText.FromString(STRING::FromBytes(lf.data(), static_cast<STRING_SIZE_T>(lf.size())));
            HASHLIST fromFile;
            Check(fromFile.Load(gFile.c_str()) == fromText.NumItems());
            Check(Same(fromFile.ToString(), fromText.ToString()));
        }
    }
    return 0;
}
