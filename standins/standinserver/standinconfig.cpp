// The stand-in server's command line.
#include "standins/standinserver/standinconfig.h"

#include <cstdlib>

namespace {

// value of "/NAME:value" when arg is that switch (ignoring case); false otherwise.
bool ValueOf(const STRING &arg, const char *name, STRING &value)
{
    STRING prefix("/");
    prefix += name;
    prefix += ":";
    if (arg.Length() < prefix.Length() || arg.Left(prefix.Length()) != prefix)
        return false;
    value = arg.Mid(prefix.Length());
    value.SetNotNull();
    return true;
}

bool Number(const STRING &text, int minimum, int *out)
{
    if (text.IsEmpty())
        return false;
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || v < minimum || v > 100000000L)
        return false;
    *out = static_cast<int>(v);
    return true;
}

} // namespace

bool STANDINCONFIG::Parse(int argc, const char *const *argv, STRING &reason)
{
    for (int i = 1; i < argc; ++i) {
        STRING arg(argv[i]);
        STRING v;
        struct NUMBER {
            const char *Name;
            int *Target;
            int Minimum;
        } numbers[] = {{"CALLS", &GeneratedCalls, 0},     {"TIMEOUT", &TimeoutMs, 1},
                       {"PUSHTIMEOUT", &PushTimeoutMs, 1}, {"CONNECTTIMEOUT", &ConnectTimeoutMs, 1},
                       {"JOBSTEP", &JobStepMs, 0},         {"RUNFOR", &RunForMs, 0}};
        bool done = false;
        for (NUMBER &n : numbers) {
            if (ValueOf(arg, n.Name, v)) {
                if (!Number(v, n.Minimum, n.Target)) {
                    reason.Format("bad number in %s", static_cast<const char *>(arg));
                    return false;
                }
                done = true;
                break;
            }
        }
        if (done)
            continue;
        int port = 0;
        if (ValueOf(arg, "PORT", v)) {
            if (!Number(v, 0, &port) || port > 65535) {
                reason.Format("bad port in %s", static_cast<const char *>(arg));
                return false;
            }
            Port = v;
        } else if (ValueOf(arg, "HOST", v)) {
            Host = v;
        } else if (ValueOf(arg, "DATA", v)) {
            DataFolder = v;
        } else if (ValueOf(arg, "STATE", v)) {
            StateFolder = v;
        } else if (ValueOf(arg, "SCRIPT", v)) {
            ScriptFile = v;
        } else if (ValueOf(arg, "CALLLOG", v)) {
            CallLogFile = v;
        } else if (arg == "/START") {
            BroadcastStart = true;
        } else if (arg == "/STOP") {
            BroadcastStop = true;
        } else if (arg.Left(4) == "/LOG" || arg == "/NOASSERT") {
            continue;
        } else {
            reason.Format("unknown argument %s", static_cast<const char *>(arg));
            return false;
        }
    }
    return true;
}
