// Speed of the logon with a long list of calls, under Wine: APP::LogonToServer against the
// stand-in phone server holding the demo data and n generated calls (the fetches, preparing the
// calls, identifying their callers, the merge into the list and one save of the list), beside a
// bare NETPROC client that makes the same calls with the same parameters in the same run and
// gets the same answers.  The user holds "PermLocalRecentcalls" and the client asks for up to n
// calls ("NumberOfEntries"); every round starts from an empty list and the last id 0.
//
// Prints figures and fails only when a logon fails or the two get different numbers of calls,
// never on time.
//
//   logon_bench [calls [rounds]]   (default 10000 calls, 3 rounds; the best round counts)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "client/dispatchroute.h"
#include "common/commandnames.h"
#include "common/listresult.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/devices/netproc.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The stand-in's users: anybody ("*") keeps a local list of calls.
const char kUsers[] = "[#0]\r\n#Handle=16534\r\nDescription=Bench\r\nHasPassword=0\r\nName=*\r\nOwnMSN=*\r\n"
                      "Password=\r\nPermAddCaller=1\r\nPermAdministrateServer=0\r\nPermEditServerRecentcalls=1\r\n"
                      "PermFax=1\r\nPermLocalCallers=0\r\nPermLocalRecentcalls=1\r\nPermLocalTargets=0\r\nPermSMS=1\r\n";

// The reference: the logon's calls, in order, with the same parameters, through a client made
// before (as the program's is); the number of calls received, or -1 when a call failed.  Its
// LOGOUT is the next round's business, as the program's is: *logout does it, untimed.
int BareLogon(NETPROC &client, const std::string &server, int maxNumber, std::function<void()> *logout)
{
    const STRING who = OSYS::GetUserName() + "@" + OSYS::GetStationName();
    auto call = [&client, server, who](const char *command, HASH params, int waitMs, STRING &result) {
        HASH out = DISPATCHROUTE::WithSenderKeys(params, who, gOwnPort, ClientVersionText(), true);
        return client.CallNetProcedure(server.c_str(), command, out, result, 1, nullptr,
                                       waitMs < 0 ? CLIENTTIMING::Get(CLIENTTIMING::RPC) : waitMs) != 0;
    };
    STRING result;
    HASH login;
    login["From"] = who;
    login["Port"] = gOwnPort;
    login["Version"] = gVersion;
    login["SubVersion"] = gSubVersion;
    login["CommVersion"] = gCommVersion;
    login["Compiled"] = gCompiled;
    HASH file;
    file["Filename"] = ".\\smsprovider.ini";
    HASH targets;
    targets["Number"] = "*";
    HASH items;
    items["MaxNumber"] = STRING(maxNumber);
    items["FirstId"] = "1";
    HASH none;
    if (!call(PLXCMD::LOGIN, login, -1, result) || !call(PLXCMD::GETSRVHARDWARE, none, -1, result) ||
        !call(PLXCMD::GETSERVERFILE, file, -1, result) || !call(PLXCMD::GETSMSSENDOPTIONS, none, -1, result) ||
        !call(PLXCMD::GETTARGETS, targets, -1, result) || !call(PLXCMD::GETACTIVECLIENTS, none, -1, result) ||
        !call(PLXCMD::GETITEMS, items, CLIENTTIMING::Get(CLIENTTIMING::ITEMS), result))
        return -1;
    // The calls received are counted by their section headers: the reference is the transport,
    // reading them into records is the logon's work.
    int received = 0;
    if (result.GetLine(1) != PLXRESULT::NONE) {
        const char *text = result.Buffer;
        for (STRING_SIZE_T i = 0; i + 1 < result.StrLen; ++i)
            if (text[i] == '[' && text[i + 1] == '#' && (i == 0 || text[i - 1] == '\n'))
                ++received;
    }
    *logout = [call, who] {
        HASH params;
        params["From"] = who;
        STRING answer;
        call(PLXCMD::LOGOUT, params, -1, answer);
    };
    return received;
}

// Lets the window thread handle what the logon posted.
void Dispatch()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

} // namespace

int main(int argc, char **argv)
{
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    LOGIT::SetNoAssert(true);

    TEMPFOLDER work;
    const std::string state = work.File("state");
    CreateDirectoryA(state.c_str(), nullptr);
    if (!STRING(kUsers).Save((state + "\\clients.ini").c_str())) {
        std::printf("cannot write the users\n");
        return 1;
    }
    SERVERPROCESS server;
    if (!server.Start("/PORT:0 /HOST:benchhost /CALLS:" + std::to_string(calls) + " \"/STATE:" + state + "\"", 120000)) {
        std::printf("the stand-in did not start: %s\n", server.Printed().c_str());
        return 1;
    }

    HMODULE language = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
    OSYS::SetLanguageModule(language);
    const std::string client = work.File("client");
    CreateDirectoryA(client.c_str(), nullptr);
    HASH settings;
    settings["NetworkPrimaryServer"] = server.Address().c_str();
    settings["NumberOfEntries"] = STRING(calls);
    settings["RememberMsglist"] = "0";
    settings.Save((client + "\\parlomatix.ini").c_str());
    std::string program = TestProgramFolder() + "\\parlomatix.exe";
    std::string workdir = "/WORKDIR:" + client;
    char *entries[] = {&program[0], &workdir[0], nullptr};
    ORVAKAPP::ProcessArguments(2, entries, 9);
    CLIENTTIMING::Set(CLIENTTIMING::RPC, 120000);
    CLIENTTIMING::Set(CLIENTTIMING::ITEMS, 300000);
    gOwnPort = "0";
    APP::LogonAtStart = 0;
    APP *app = new APP(1);

    NETPROC bare("6666", "0", CLIENTTIMING::Get(CLIENTTIMING::RPC));
    double ours = 1e300, reference = 1e300;
    int oursItems = -1, referenceItems = -1;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        // The same start every round: logged out, an empty list, the last id 0.
        if (app->LoggedOn)
            app->LogoutFromServer(0);
        Dispatch();
        DeleteFileA((client + "\\recentcalls.ini").c_str());
        app->SetPeerLastId("benchhost", "0");
        const double t0 = NowMs();
        const int loggedOn = app->LogonToServer(0);
        const double t1 = NowMs();
        Dispatch();
        HASHLIST &items = app->ItemView.LockItems();
        oursItems = static_cast<int>(items.NumItems());
        app->ItemView.UnlockItems();
        if (!loggedOn) {
            std::printf("round %d: the logon failed\n", round + 1);
            ok = false;
            break;
        }
        ours = std::min(ours, t1 - t0);

        std::function<void()> bareLogout = [] {};
        const double r0 = NowMs();
        referenceItems = BareLogon(bare, server.Address(), calls, &bareLogout);
        const double r1 = NowMs();
        bareLogout();
        if (referenceItems < 0) {
            std::printf("round %d: a call of the bare client failed\n", round + 1);
            ok = false;
            break;
        }
        reference = std::min(reference, r1 - r0);
        std::printf("round %d: LogonToServer %.1f ms (%d calls in the list), bare client %.1f ms (%d calls)\n",
                    round + 1, t1 - t0, oursItems, r1 - r0, referenceItems);
    }
    if (ok && oursItems != referenceItems) {
        std::printf("the client holds %d calls, the bare client received %d\n", oursItems, referenceItems);
        ok = false;
    }
    if (app->LoggedOn)
        app->LogoutFromServer(0);
    delete app;
    server.Stop();
    OSYS::SetLanguageModule(nullptr);
    if (language)
        FreeLibrary(language);
    if (!ok)
        return 1;
    std::printf("BENCH LogonToServer %d calls | %.3f s | %.3f s | %.2f | -\n", calls, ours / 1000.0, reference / 1000.0,
                ours / reference);
    std::printf("logons ok\n");
    return 0;
}
