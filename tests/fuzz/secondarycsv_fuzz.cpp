// Fuzz target: arbitrary bytes as the secondary caller file, read in its CSV form and in its
// record-list form, then searched for the number on the input's first line.  No crash; every
// record is a prepared caller; the CSV form's numbers hold none of " /-()"; a match is a record
// of the list.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "client/callhelpers.h"

namespace {

std::string gFolder;
std::string gFile;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void RemoveFolder()
{
    unlink((gFolder + "/assert.log").c_str());
    unlink(gFile.c_str());
    rmdir(gFolder.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // No assertion box; the assertion file of the current folder goes nowhere.  The folder is
    // changed only when every path on the command line is absolute (tools/fuzz.sh passes them so).
    setenv("ORVAKNOASSERT", "1", 1);
    char templ[] = "/tmp/secondarycsv_fuzz_XXXXXX";
    if (!mkdtemp(templ))
        return 0;
    gFolder = templ;
    gFile = gFolder + "/secondary.csv";
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
    if (gFile.empty())
        return 0;
    std::FILE *f = std::fopen(gFile.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::string number = input.substr(0, input.find('\n')).substr(0, 40);

    for (int csv = 0; csv < 2; ++csv) {
        HASHLIST list;
        CALLHELPERS::LoadSecondaryCallers(list, gFile.c_str(), csv);
        for (int i = 0; i < list.NumItems(); ++i) {
            HASH &record = *list[i];
            Check(record.NumKeys() >= CALLERS::NUMKEYS);
            for (int k = 0; k < CALLERS::NUMKEYS; ++k)
                Check(record.FindKey(CALLERS::KEYS[k]) >= 0);
            if (csv) {
                Check(record.NumKeys() == CALLERS::NUMKEYS);
                const STRING &stored = record.Get("Number");
                for (STRING_SIZE_T c = 0; c < stored.Length(); ++c)
                    Check(std::strchr(" /-()", stored.GetBuffer()[c]) == nullptr || stored.GetBuffer()[c] == 0);
            }
        }
        HASH caller;
        MUTEXSEM lock;
        const int found = CALLHELPERS::FindSecondaryCaller(number.c_str(), number.c_str(), caller, list, lock,
                                                           gFile.c_str(), csv, "", nullptr, "", 0);
        Check(found == 0 || caller.NumKeys() >= CALLERS::NUMKEYS);
    }
    return 0;
}
