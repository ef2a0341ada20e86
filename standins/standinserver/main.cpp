// standinserver.exe: the stand-in phone server as a console program.  Prints "PORT n" (the port
// it listens on), "STATE folder" and, with a call log, "CALLLOG file" once it serves, and runs
// until "STANDINCONTROL" tells it to stop (or /RUNFOR passed).  Exit code 0 after a clean stop,
// 2 on a bad command line, 3 when it cannot start.
#include <cstdio>

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/osystime.h"
#include "standins/standinserver/standinconfig.h"
#include "standins/standinserver/standinserver.h"

int main(int argc, char **argv)
{
    STANDINCONFIG config;
    STRING reason;
    if (!config.Parse(argc, argv, reason)) {
        std::fprintf(stderr, "standinserver: %s\n", static_cast<const char *>(reason));
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        STRING arg(argv[i]);
        if (arg.Left(4) == "/LOG" || arg == "/NOASSERT")
            LOGIT::HandleSwitch(argv[i]);
    }
    // A server without a desktop user: assertions are logged, never shown in a box.
    if (!LOGIT::IsNoAssert())
        LOGIT::HandleSwitch("/NOASSERT");

    const FILENAME program(OSYS::GetProgramFile());
    if (config.DataFolder.IsEmpty())
        config.DataFolder = FILENAME(program.GetFolder().Text(), "standindemo").GetString();
    if (config.StateFolder.IsEmpty()) {
        FILENAME temp;
        temp.SetExpanded("<tmp>");
        STRING name;
        name.Format("standinserver.%lld.%lu", static_cast<long long>(OSYS::GetTime()), OSYS::GetCurrentThreadId());
        config.StateFolder = FILENAME(temp.Text(), name).GetString();
    }

    STANDINSERVER server(config);
    if (!server.Start(reason)) {
        std::fprintf(stderr, "standinserver: %s\n", static_cast<const char *>(reason));
        std::fflush(stderr);
        server.Stop();
        return 3;
    }
    std::printf("PORT %s\n", static_cast<const char *>(server.GetOurPort()));
    std::printf("STATE %s\n", static_cast<const char *>(server.StateFolder()));
    if (config.CallLogFile.NotEmpty())
        std::printf("CALLLOG %s\n", static_cast<const char *>(FILENAME(config.CallLogFile).GetFullName().GetString()));
    std::fflush(stdout);

    server.WaitForStop(config.RunForMs > 0 ? config.RunForMs : -1);
    // Let the answer to the stop request leave before the listeners go.
    OSYS::Sleep(100);
    server.Stop();
    std::printf("STOPPED\n");
    std::fflush(stdout);
    return 0;
}
