// The client object's caller lookups under Wine: the secondary caller file written by a real
// lookup program (lookupprobe.exe, which records its arguments), a program that hangs, the order
// of the three lookups, and the MAPI lookup against the stand-in MAPI library.  No phone server
// is needed: the client is built without one.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/devices/mapiclass.h"
#include "tests/client/clientprogram_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string Get(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) ? S(*value) : std::string("<absent>");
}

int Lines(const std::string &text)
{
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

class CALLHELPERSAPP : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadLanguage());
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(nullptr));
        gOwnPort = "0";
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        Csv = Work.File("secondary.csv");
        Args = Csv + ".args";
        Probe = "\"" + TestProgramFolder() + "\\lookupprobe.exe\" \"" + Csv + "\" ";
    }
    int Secondary(const char *number, HASH &caller, const std::string &program)
    {
        return App->FindSecondaryCaller(number, number, caller, App->SecondaryCallers, App->SecondaryCallersLock,
                                        Csv.c_str(), 1, program.c_str());
    }

    std::string Csv;
    std::string Args;
    std::string Probe;
};

} // namespace

TEST_F(CALLHELPERSAPP, LookupProgramRunsOnlyForANewNumber)
{
    HASH caller;
    ASSERT_EQ(Secondary("0301234", caller, Probe + "$number"), 1);
    EXPECT_EQ(Get(caller, "Name"), "Looked up 0301234");
    std::string args = ReadWholeFile(Args);
    EXPECT_EQ(Lines(args), 1);
    EXPECT_NE(args.find("secondary.csv\" 0301234"), std::string::npos) << args;

    HASH again;
    ASSERT_EQ(Secondary("0301234", again, Probe + "$number"), 1);
    EXPECT_EQ(Lines(ReadWholeFile(Args)), 1);

    // A new number: the list is emptied, the program runs, the file is read again.
    HASH other;
    ASSERT_EQ(Secondary("0405555", other, Probe + "$nummer"), 1);
    EXPECT_EQ(Get(other, "Name"), "Looked up 0405555");
    EXPECT_EQ(Lines(ReadWholeFile(Args)), 2);
    ASSERT_EQ(App->SecondaryCallers.NumItems(), 1);
    EXPECT_EQ(Get(*App->SecondaryCallers[0], "Number"), "0405555");
}

TEST_F(CALLHELPERSAPP, HungLookupProgramEndsTheLookupAfterTheTimeSet)
{
    HASH first;
    ASSERT_EQ(Secondary("0301234", first, Probe + "$number"), 1);
    CLIENTTIMING::Set(CLIENTTIMING::LOOKUPPROGRAM, 500);
    HASH caller;
    LOGCAPTURE log;
    const DWORD start = GetTickCount();
    // The program hangs without writing: the file holds the earlier number only.
    EXPECT_EQ(Secondary("0899999", caller, Probe + "$number hang"), 0);
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 400u);
    EXPECT_LT(took, 4000u);
    EXPECT_EQ(log.CountLines("still running after 500 ms"), 1);
    EXPECT_EQ(Lines(ReadWholeFile(Args)), 2);
    // The lookup's lock is free again.
    EXPECT_TRUE(App->SecondaryCallersLock.Obtain(0));
    App->SecondaryCallersLock.Release();
}

TEST_F(CALLHELPERSAPP, IdentificationOrderAndTheEmptiedList)
{
    {
        std::ofstream out(Csv, std::ios::binary);
        out << "0301234;\"File caller\"\n";
    }
    HASH book("Name=Phone book\nNumber=0405555\n");
    App->Callers.AddItem(book);
    App->SetSetting("SecondaryCallerFile", Csv.c_str());
    App->SetSetting("SecondaryCallerFileCsv", "1");

    HASH primaryItem("Type=SOUND\nCallerNumber=0405555\nCallerCanonical=+49405555\n");
    HASH caller;
    EXPECT_EQ(App->IdentifyCaller(primaryItem, caller, nullptr), APP::CALLER_PRIMARY);
    EXPECT_EQ(Get(caller, "Name"), "Phone book");

    // A job found nowhere in the phone book is not looked up further.
    HASH job("Type=FAXCALL\nCallerNumber=0301234\nCallerCanonical=+49301234\n");
    HASH none;
    EXPECT_EQ(App->IdentifyCaller(job, none, nullptr), APP::CALLER_NONE);
    EXPECT_EQ(none.NumKeys(), 0);
    EXPECT_EQ(App->SecondaryCallers.NumItems(), 0);

    // The secondary file is read, and emptied afterwards so the next call reads it again.
    HASH call("Type=SOUND\nCallerNumber=0301234\nCallerCanonical=+49301234\n");
    HASH fromFile;
    EXPECT_EQ(App->IdentifyCaller(call, fromFile, nullptr), APP::CALLER_SECONDARY);
    EXPECT_EQ(Get(fromFile, "Name"), "File caller");
    EXPECT_EQ(App->SecondaryCallers.NumItems(), 0);

    App->SetSetting("SecondaryCallerFileKeep", "1");
    HASH kept;
    EXPECT_EQ(App->IdentifyCaller(call, kept, nullptr), APP::CALLER_SECONDARY);
    EXPECT_EQ(App->SecondaryCallers.NumItems(), 1);
}

TEST_F(CALLHELPERSAPP, MapiLookupByTheEndOfTheCanonicalNumber)
{
    HASH caller;
    // MAPI not loaded: nothing found.
    EXPECT_EQ(App->FindMapiCaller("01715554443", "+491715554443", caller, nullptr), 0);

    // The stand-in MAPI library of the program folder, which Wine takes over its own for as long
    // as the override is set.
    HKEY overrides = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &overrides, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(overrides, "mapi32", 0, REG_SZ, reinterpret_cast<const BYTE *>("native"), 7);
    HMODULE mapi = LoadLibraryA("mapi32.dll");
    RegDeleteValueA(overrides, "mapi32");
    RegCloseKey(overrides);
    ASSERT_NE(mapi, nullptr);
    if (!GetProcAddress(mapi, "StandinMapiCounters")) {
        FreeLibrary(mapi);
        GTEST_SKIP() << "the stand-in MAPI library was not the one loaded";
    }
    App->Mapi = new MAPICLASS(1);
    ASSERT_TRUE(App->Mapi->IsUpAndRunning());
    STRING books("");
    App->UpdateMapiAdrBooklist(1, books);
    HASHLIST list(books);
    ASSERT_GE(list.NumItems(), 2);
    EXPECT_EQ(Get(*list[0], "Active"), "1");
    App->SetSetting("MapiAddressBooks", books);

    // Six characters or more: the contacts holding the last four ("4443") are candidates.
    HASH carl;
    STRING key("");
    EXPECT_EQ(App->FindMapiCaller("01715554443", "994443", carl, &key), 1);
    EXPECT_EQ(Get(carl, "Name"), "Carl Dorn");
    EXPECT_EQ(S(key), "2");
    // Five characters are searched as they stand: "94443" is in no contact.
    HASH nobody;
    EXPECT_EQ(App->FindMapiCaller("01715554443", "94443", nobody, nullptr), 0);
    HASH five;
    EXPECT_EQ(App->FindMapiCaller("01715554443", "54443", five, nullptr), 1);
    EXPECT_EQ(Get(five, "Name"), "Carl Dorn");

    // An inactive book is not searched.
    HASHLIST inactive(books);
    for (int i = 0; i < inactive.NumItems(); ++i)
        (*inactive[i])["Active"] = "0";
    App->SetSetting("MapiAddressBooks", inactive.ToString());
    HASH off;
    EXPECT_EQ(App->FindMapiCaller("01715554443", "994443", off, nullptr), 0);
    App.reset();
    FreeLibrary(mapi);
}

TEST_F(CALLHELPERSAPP, TextsAndCallLogThroughTheClient)
{
    HASH item("CallerName=Anna\nCallerSubtype=2\nCallerBeautified=030 1234\nTargetNameSrv=Office\n"
              "TargetNumber=555\nStatus=RINGING\nComment=back\nLTime=1773309600\nType=SOUND\n");
    item.AllowNewKeys(0);
    EXPECT_EQ(S(App->GetItemStatusText(item)), "Ringing  [back]");
    EXPECT_EQ(S(App->GetTargetFrontend(item)), "Office");
    EXPECT_EQ(S(App->GetCallerFullFrontend(item)), "Anna (Mobile)");
    App->SetSetting("ShowNumberForKnownCallers", "1");
    EXPECT_EQ(S(App->GetCallerFullFrontend(item)), "Anna (Mobile) [030 1234]");

    HASHLIST items;
    items.AddItem(item);
    App->SetSetting("PopupText", "$from -> $to\r\n");
    App->SetSetting("PopupBlink", "1");
    const POPUPTEXT popup = App->FillPopupString(item, nullptr, nullptr, items);
    EXPECT_EQ(S(popup.Text), "Anna (Mobile) [030 1234] -> Office");
    EXPECT_EQ(popup.Blink, 1);

    // The CSV form joins the quoted texts by the user's list separator.
    const std::string log = Work.File("calls.csv");
    ASSERT_EQ(App->AppendCallLog(log.c_str(), 1, item), 1);
    const std::string separator = S(OSYS::GetListSeparator());
    EXPECT_EQ(ReadWholeFile(log), "\"Anna\"" + separator + "\"Office\"" + separator + "\"" +
                                      S(App->GetItemTimeText(item)) + "\"" + separator + "\"Ringing  [back]\"\r\n");
    EXPECT_EQ(App->AppendCallLog("", 1, item), 0);

    // The target's program line from the target list.
    HASH target("Name=Office\nNumber=555\nProgram=notify.exe\nProgParm=$vonname $anname $anruftyp\n");
    App->Targets.AddItem(target);
    EXPECT_EQ(S(App->BuildProgramCommandLine(0, nullptr, "+49301234", "0301234", "SOUND")),
              "notify.exe <unknown> Office SOUND");
    LOGCAPTURE capture;
    EXPECT_EQ(S(App->BuildProgramCommandLine(1, nullptr, "", "", "")), "");
    EXPECT_EQ(capture.Failures(), 1);
}
