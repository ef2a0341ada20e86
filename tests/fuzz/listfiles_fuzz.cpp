// Reads arbitrary bytes as the client's list files would arrive from disk: as "callers.ini",
// "targets.ini", "recentcalls.ini" and "smsprovider.ini", each prepared as its list is after
// loading, the targets also merged as the server's; and as a server options record completed by
// the defaults with a fixed telephony location.  Besides memory errors and any end of the program
// (an orderly stop counts as a finding), every prepared record must hold its keys.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "common/callers.h"
#include "common/callitem.h"
#include "common/serveroptions.h"
#include "common/sms.h"
#include "common/targets.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"

namespace {

std::string gFolder; // a scratch folder: the current folder while fuzzing

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

const char *const kFiles[] = {"callers.ini", "targets.ini", "recentcalls.ini", "smsprovider.ini"};

void RemoveFolder()
{
    for (const char *name : kFiles)
        unlink((gFolder + "/" + name).c_str());
    unlink((gFolder + "/assert.log").c_str());
    rmdir(gFolder.c_str());
}

bool WriteFile(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

long FixedLocation(STRING &country, STRING &city)
{
    country = "+49";
    city = "089";
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // No assertion box, and the assertion file of the current folder goes nowhere.  The folder
    // change is only made when every path on the command line is absolute (tools/fuzz.sh passes
    // absolute paths).
    setenv("ORVAKNOASSERT", "1", 1);
    char templ[] = "/tmp/listfiles_fuzz_XXXXXX";
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
    if (size > 1 << 16 || gFolder.empty())
        return 0;
    for (const char *name : kFiles)
        if (!WriteFile(gFolder + "/" + name, data, size))
            return 0;

    CALLERS callers;
    callers.Load((gFolder + "/callers.ini").c_str());
    for (int i = 0; i < callers.NumItems(); ++i) {
        CALLERS::Prepare(*callers[i]);
        Check(callers[i]->NumKeys() >= CALLERS::NUMKEYS);
    }

    TARGETS targets;
    targets.Load((gFolder + "/targets.ini").c_str());
    for (int i = 0; i < targets.NumItems(); ++i) {
        targets[i]->Handle = 0;
        TARGETS::Prepare(*targets[i], targets.NewHandle());
        Check(targets[i]->Handle != 0);
    }
    // The same text as the server's answer: merged one number at a time, then in full.
    HASHLIST received;
    received.FromString(STRING::FromBytes(data, static_cast<STRING_SIZE_T>(size)));
    const int before = targets.NumItems();
    Check(targets.MergeFromServer(received, 0) >= before);
    Check(targets.MergeFromServer(received, 1) <= received.NumItems() + before);
    for (int i = 0; i < targets.NumItems(); ++i)
        Check(targets[i]->NumKeys() >= TARGETS::NUMRULES + 1);

    HASHLIST recent;
    recent.Load((gFolder + "/recentcalls.ini").c_str());
    for (int i = 0; i < recent.NumItems(); ++i) {
        CALLITEM::Prepare(*recent[i]);
        (*recent[i])["InProgress"] = "0";
        Check(recent[i]->NumKeys() >= CALLITEM::NUMDEFAULTS);
        Check(recent[i]->Handle != 0);
    }

    SMS::LoadProviders(gFolder.c_str(), 1);
    HASHLIST providers = SMS::GetProviders(nullptr);
    const STRING gateway = providers.NumItems() > 0 ? providers[0]->Get("ServiceNumber") : STRING("x");
    const int found = SMS::SelectGateway(5, 10, 1, gateway, nullptr);
    Check(found >= -1 && found < providers.NumItems());
    Check(SMS::GetSelectedIndex() == (providers.NumItems() > 0 ? 0 : -1) || found > 0);
    if (SMS::GetSelectedIndex() != -1) {
        const STRING number = STRING::FromBytes(data + size / 2, static_cast<STRING_SIZE_T>(size - size / 2));
        SMS::IsProviderPrefix(number, nullptr);
        SMS::GetServiceProtocol();
    }

    HASH options(STRING::FromBytes(data, static_cast<STRING_SIZE_T>(size)));
    SERVEROPTIONS::Prepare(options, size % 2 == 0, FixedLocation, gFolder.c_str());
    Check(options.NumKeys() >= SERVEROPTIONS::NUMDEFAULTS);
    // A gateway the table does not know was replaced by one it does.
    if (providers.NumItems() > 0) {
        const STRING chosen = options.Get("SmsSendGatewayNumber");
        bool known = false;
        for (int i = 0; i < providers.NumItems() && !known; ++i)
            known = providers[i]->Get("ServiceNumber") == chosen;
        Check(known);
    }
    return 0;
}
