// The client's process-wide start values and their initial state.
#include "client/clientglobals.h"

#include "common/commandnames.h"

STRING gOwnPort("6667");
STRING gVersion("4.23");
STRING gSubVersion("");
STRING gCommVersion(PLXLOGIN::COMMVERSION);
STRING gCompiled(__DATE__ " " __TIME__);
int gSilentRelogin = 0;
int gKeepWindowWhileMinimized = 0;
int gITunesControl = 0;
int gITunesLevel = 40;
STRING gCommandLine("");
STRING gMainWindowClass("OrvakParlomatixWinClass");
std::atomic<int> gNetworkFlags{0};

STRING ClientVersionText()
{
    STRING text(gVersion);
    text += gSubVersion;
    return text;
}
