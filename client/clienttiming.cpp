// The client's waits with their defaults and the "/TIMING" switch.
#include "client/clienttiming.h"

#include <atomic>
#include <cstdlib>

#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"

namespace {

struct ENTRY {
    const char *name;
    int defaultMs;
};
const ENTRY kWaits[CLIENTTIMING::COUNT] = {
    {"RPC", 40000},       {"CONNECT", 60000},     {"EOT", 500},           {"DTMFHINT", 500},
    {"CALLERS", 80000},   {"LOOKUPPROGRAM", 60000}, {"ITUNESSTEP", 150},  {"ITUNESPLAY", 4000},
    {"WORKERPASS", 100},  {"PINGEVERY", 20000},   {"RELOGONPAUSE", 5000}, {"STATUSBARSHOW", 20000},
    {"ITEMS", 80000},     {"CONNECTIVITY", 20000}, {"STARTING", 2000},    {"STATUSCLEAR", 10000},
    {"RELOGONTRIES", 12}};
std::atomic<int> gWaits[CLIENTTIMING::COUNT] = {{40000}, {60000}, {500},   {500},  {80000}, {60000},
                                                {150},   {4000},  {100},   {20000}, {5000}, {20000},
                                                {80000}, {20000}, {2000},  {10000}, {12}};

} // namespace

int CLIENTTIMING::Get(WAIT wait)
{
    return wait >= 0 && wait < COUNT ? gWaits[wait].load() : -1;
}

void CLIENTTIMING::Set(WAIT wait, int ms)
{
    if (wait >= 0 && wait < COUNT)
        gWaits[wait] = ms;
}

CLIENTTIMING::WAIT CLIENTTIMING::Find(const char *name)
{
    STRING wanted(name ? name : "");
    for (int i = 0; i < COUNT; ++i)
        if (wanted == kWaits[i].name)
            return static_cast<WAIT>(i);
    return static_cast<WAIT>(-1);
}

int CLIENTTIMING::ReadSwitches()
{
    int taken = 0;
    for (int n = 0;; ++n) {
        const char *value = GetArgValue("TIMING", n);
        if (!value)
            break;
        STRING text(value);
        STRING name = text.Token(0, "=", STRING_TOKEN_NOTNULL);
        STRING number = text.Token(1, "=", STRING_TOKEN_NOTNULL);
        const WAIT wait = Find(name);
        char *end = nullptr;
        const long ms = number.NotEmpty() ? std::strtol(number, &end, 10) : -1;
        if (wait < 0 || number.IsEmpty() || !end || *end != '\0' || ms < 0 || ms > 0x7fffffffL) {
            LOGIT::Printf("CLIENTTIMING::ReadSwitches /TIMING:%s ignored\n", value);
            continue;
        }
        Set(wait, static_cast<int>(ms));
        LOGIT::Printf("CLIENTTIMING %s=%ld ms\n", kWaits[wait].name, ms);
        ++taken;
    }
    return taken;
}

void CLIENTTIMING::Reset()
{
    for (int i = 0; i < COUNT; ++i)
        gWaits[i] = kWaits[i].defaultMs;
}
