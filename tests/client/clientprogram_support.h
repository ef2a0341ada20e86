// Shared by the tests that run the client object under Wine, against the stand-in phone server or
// without a server: the English language library, the stand-in with its state and call log in a
// temporary folder, the client's own folder given to the program as /WORKDIR, and the globals put
// back afterwards.
// Windows only.
#ifndef TESTS_CLIENT_CLIENTPROGRAM_SUPPORT_H
#define TESTS_CLIENT_CLIENTPROGRAM_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "kestar/base/hash.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/string.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

// A text as the tests compare it: "<NULL>" for a NULL string.
inline std::string S(const STRING &s)
{
    return s.IsNull() ? std::string("<NULL>") : std::string(s.GetBuffer(), static_cast<size_t>(s.Length()));
}

// Waits up to ms for done(), dispatching the test thread's messages (the client's window lives there).
template <class F> bool WaitUntil(F done, int ms = 10000)
{
    const DWORD end = GetTickCount() + ms;
    while (!done()) {
        if (GetTickCount() >= end)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    return true;
}

class CLIENTPROGRAMTEST : public ::testing::Test {
protected:
    // The English library as the language module.
    void LoadLanguage()
    {
        library = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
        ASSERT_NE(library, nullptr);
        OSYS::SetLanguageModule(library);
    }
    // The language, and the stand-in started with its state and call log in Work.
    void StartServer()
    {
        ASSERT_NO_FATAL_FAILURE(LoadLanguage());
        CallLog = Work.File("calls.log");
        ASSERT_TRUE(Server.Start("/PORT:0 /HOST:standinhost /CONNECTTIMEOUT:3000 /PUSHTIMEOUT:5000 \"/STATE:" +
                                 Work.File("state") + "\" \"/CALLLOG:" + CallLog + "\""))
            << Server.Printed();
    }
    // The client's folder "client" in Work, made and named by /WORKDIR as the program's argument.
    // With settings, its "parlomatix.ini" holds them and the stand-in as "NetworkPrimaryServer".
    void MakeClientFolder(HASH *settings)
    {
        ClientFolder = Work.File("client");
        ASSERT_TRUE(CreateDirectoryA(ClientFolder.c_str(), nullptr));
        if (settings) {
            (*settings)["NetworkPrimaryServer"] = Server.Address().c_str();
            ASSERT_TRUE(settings->Save((ClientFolder + "\\parlomatix.ini").c_str()));
        }
        std::string program = TestProgramFolder() + "\\parlomatix.exe";
        std::string workdir = "/WORKDIR:" + ClientFolder;
        char *entries[] = {&program[0], &workdir[0], nullptr};
        ORVAKAPP::ProcessArguments(2, entries, 9);
    }
    // Ends the client and the stand-in (when one was started) and puts the globals back.
    void EndClient()
    {
        App.reset();
        APP::LogonAtStart = 1;
        Server.Stop();
        ORVAKAPP::ResetForTests();
        CLIENTTIMING::Reset();
        gOwnPort = "6667";
        gWorkDir = ".";
        OSYS::SetLanguageModule(nullptr);
        if (library)
            FreeLibrary(library);
        library = nullptr;
    }
    void TearDown() override { EndClient(); }

    TEMPFOLDER Work;
    std::string CallLog;
    std::string ClientFolder;
    SERVERPROCESS Server;
    HMODULE library = nullptr;
    std::unique_ptr<APP> App;
};

#endif
