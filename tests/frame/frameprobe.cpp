// A small program on the application frame, started by the frame's tests in scratch folders.  It
// does what its switches ask and writes what it saw into "probe.txt" in its current folder:
//   /PRODUCT:name   load the language library of that product (version 4.23)
//   /CRASH          crash by writing through a null pointer (dumps go to the current folder)
//   /ASSERTNO       fail an assertion whose box the test answers with No
//   /TIMEMS         wait 100 ms, then report the millisecond clock
// Its main returns 7, so the tests see main's result as the exit code.
#include "kestar/base/orvakapp.h"

#include <windows.h>

#include "kestar/base/logit.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/osystime.h"
#include "lang/resource_ids.h"

#include <cstdio>

namespace {

int AppMain(int count, char **arguments, void *runtime)
{
    (void)runtime;
    if (const char *product = GetArgValue("PRODUCT", 0))
        ORVAKAPP::LoadLanguageDll(arguments[0], product, "4.23", nullptr);
    if (TestArg("CRASH") || TestArg("ASSERTNO"))
        ORVAKAPP::SetCrashDumpFolder(gWorkDir);
    if (TestArg("CRASH")) {
        volatile int *nowhere = nullptr;
        *nowhere = 1;
    }
    if (TestArg("ASSERTNO")) {
        SetEnvironmentVariableA("ORVAKNOASSERT", nullptr);
        ORVAK_ASSERT(count < 0);
    }
    long long timeMs = -1;
    if (TestArg("TIMEMS")) {
        Sleep(100);
        timeMs = static_cast<long long>(OSYS::GetClockMs());
    }
    FILE *f = std::fopen("probe.txt", "w");
    if (f) {
        std::fprintf(f, "timems=%lld\n", timeMs);
        std::fprintf(f, "locale=%d\n", gLocale);
        std::fprintf(f, "library=%s\n", static_cast<const char *>(ORVAKAPP::GetLanguageLibraryName()));
        std::fprintf(f, "appname=%s\n", static_cast<const char *>(ORVAKAPP::GetApplicationName()));
        std::fprintf(f, "text10120=%s\n", static_cast<const char *>(OSYS::GetStringFromResource(IDS_WORKDIR_MOVE)));
        std::fprintf(f, "count=%d\n", count);
        for (int i = 0; i < count; ++i)
            std::fprintf(f, "arg%d=%s\n", i, arguments[i]);
        std::fclose(f);
    }
    return 7;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    return ORVAKAPP::ProgramEntry(instance, AppMain);
}
