// The client program's entry and its main: the start values, one instance per desktop, the
// application object and the message loop.
#include <windows.h>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/startvalues.h"
#include "kestar/base/helpfile.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/osysresource.h"
#include "kestar/windowing/window.h"
#include "lang/resource_ids.h"

namespace {

const int kAcceleratorTable = 2000;

// Shows the window of the instance that runs already and brings it to the front.
void ShowOtherInstance(HWND other)
{
    WINDOW first(other);
    if (IsIconic(other))
        ShowWindow(other, SW_RESTORE);
    else if (IsZoomed(other))
        ShowWindow(other, SW_SHOWMAXIMIZED);
    else
        ShowWindow(other, SW_SHOWNORMAL);
    first.BringToForeground();
    LOGIT::Printf("main: another instance runs: brought it to the front\n");
}

int ClientMain(int count, char **arguments, void *runtime)
{
    (void)count;
    (void)runtime;
    const STRING version = ClientVersionText();
    ORVAKAPP::LoadLanguageDll(arguments[0], "parlomatix", version, nullptr);
    ORVAKAPP::LogStartBanner(OSYS::GetStringFromResource(IDS_APPNAME), version, gCompiled);
    gCommandLine = ORVAKAPP::GetCommandLineWithoutLog();
    CLIENTTIMING::ReadSwitches();

    const int minimised = STARTVALUES::Settle("Software\\Orvak\\");

    // One client per desktop; a development folder ("main.cpp" beside it) may run a second.
    HWND other = FindWindowA(gMainWindowClass, nullptr);
    if (other && !FileExists("main.cpp")) {
        ShowOtherInstance(other);
    } else {
        // The help file lies beside the program, whatever the current folder; without one the
        // program runs without help instead of reporting a missing topic list at every start.
        HELPFILE *help = HELPFILE::GetHelpFile();
        STRING helpFile = ORVAKAPP::GetProgramFolder();
        helpFile += "\\";
        helpFile += OSYS::GetStringFromResource(IDS_HELPFILE);
        if (FileExists(helpFile))
            help->SetFilename(helpFile, true);
        else
            LOGIT::Printf("main: no help file %s\n", static_cast<const char *>(helpFile));
        help->AddMapping(2091, 2085);
        help->AddMapping(2044, 2035);

        APP *app = new APP(minimised);
        help->SetOwner(app->hWnd);
        ORVAKAPP::MainDispatchLoop(app->hWnd, kAcceleratorTable);
        delete app;
    }
    LOGIT::Printf("main::~main\n");
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    return ORVAKAPP::ProgramEntry(instance, ClientMain);
}
