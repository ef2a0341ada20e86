// The main window's support operations under Wine: message files opened in the tools (doubles),
// in a program (argprobe.exe records what it was started with) or, for "FaxviewDoSpecial",
// converted first; the settings upgrade; recording a sound file; the list filter through the
// client object.  No phone server: the client is built without one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/osysresource.h"
#include "kestar/devices/mapiclass.h"
#include "kestar/media/sffimage.h"
#include "kestar/media/tifimage.h"
#include "lang/resource_ids.h"
#include "tests/client/tooldoubles_support.h"
#include "tests/client/clientprogram_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/faxpages_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string Get(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) ? S(*value) : std::string("<absent>");
}

bool Exists(const std::string &path)
{
    return OSYSFILE::Exists(path.c_str());
}

// A fax of one page with a black bar, as SFF or (tiff) TIFF.
bool WriteFax(const std::string &path, bool tiff)
{
    faxtest::Page page(1728, 40, true);
    for (int y = 10; y < 20; ++y)
        page.Fill(100, 900, y);
    const std::vector<uint8_t> base = faxtest::ToBase({page});
    BASEIMAGE image(base.data(), static_cast<STRING_SIZE_T>(base.size()), "IMAGE BASE:", 4096);
    if (tiff) {
        TIFIMAGE tif("IMAGE TIF:", 4096);
        return tif.FromBase(image) && tif.Save(path.c_str());
    }
    SFFIMAGE sff("IMAGE SFF:", 20000);
    return sff.FromBase(image) && sff.Save(path.c_str());
}

// The first bytes of a file.
std::string Head(const std::string &path, size_t n)
{
    return ReadWholeFile(path).substr(0, n);
}

// Makes Windows open files of extension with argprobe.exe for as long as it lives, then puts the
// classes of the prefix back as they were.  (Wine reads the file types from the machine's
// classes only, so they are changed there.)
class ASSOCIATION {
public:
    ASSOCIATION(const char *extension, const std::string &program) : extension(extension)
    {
        progId = std::string("PlxTest") + (extension + 1);
        char value[256] = "";
        LONG size = sizeof(value);
        hadDefault = RegQueryValueA(HKEY_CLASSES_ROOT, extension, value, &size) == ERROR_SUCCESS;
        previous = hadDefault ? value : "";
        Set(extension, progId);
        Set(progId + "\\shell\\open\\command", "\"" + program + "\" \"%1\"");
    }
    ~ASSOCIATION()
    {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, progId.c_str());
        if (hadDefault)
            Set(extension, previous);
        else
            RegDeleteTreeA(HKEY_CLASSES_ROOT, extension.c_str());
    }

private:
    static void Set(const std::string &key, const std::string &value)
    {
        HKEY h = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
            RegCloseKey(h);
        }
    }
    std::string extension;
    std::string progId;
    std::string previous;
    bool hadDefault = false;
};

class MAINSUPPORTAPP : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadLanguage());
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(nullptr));
        gOwnPort = "0";
        APP::LogonAtStart = 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        App->SoundPlayer = &Player;
        App->FaxViewer = &Viewer;
        App->SmsDialog = &Sms;
        Probe = TestProgramFolder() + "\\argprobe.exe";
        ProbeOut = Work.File("probe.out");
        SetEnvironmentVariableA("PLX_ARGPROBE_OUT", ProbeOut.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("PLX_ARGPROBE_OUT", nullptr);
        EndClient();
    }
    // The arguments argprobe.exe was started with (waits for it), then forgets them.
    std::vector<std::string> Launched(int ms = 15000)
    {
        const DWORD end = GetTickCount() + ms;
        while (!Exists(ProbeOut) && GetTickCount() < end)
            Sleep(50);
        Sleep(100);
        std::vector<std::string> lines;
        const std::string text = ReadWholeFile(ProbeOut);
        size_t at = 0;
        while (at < text.size()) {
            const size_t end = text.find('\n', at);
            lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
            at = end == std::string::npos ? text.size() : end + 1;
        }
        DeleteFileA(ProbeOut.c_str());
        if (!lines.empty())
            lines.erase(lines.begin()); // the command line
        return lines;
    }
    int Open(const std::string &file)
    {
        return App->OpenMessage(file.c_str(), "Anna", "Office", "10:15", 7);
    }

    std::string Probe;
    std::string ProbeOut;
    SOUNDPLAYERDOUBLE Player;
    FAXVIEWERDOUBLE Viewer;
    SMSDIALOGDOUBLE Sms;
};

} // namespace

TEST_F(MAINSUPPORTAPP, MessagesOpenInTheTools)
{
    const std::string wav = Work.File("msg.wav");
    const std::string fax = Work.File("fax.sff");
    const std::string sms = Work.File("note.SMS");
    ASSERT_TRUE(faxtest::WriteFile(wav, {'R', 'I', 'F', 'F'}));
    ASSERT_TRUE(WriteFax(fax, false));
    HASH message;
    message["SmsDestination"] = "01715554443";
    message["SmsLog"] = "sent";
    ASSERT_TRUE(message.Save(sms.c_str()));
    App->SetSetting("SmsSendOriginMsn", "4711");

    EXPECT_EQ(Open(wav), 1);
    ASSERT_EQ(Player.Calls.size(), 1u);
    EXPECT_EQ(Player.Calls[0].first, wav);
    EXPECT_EQ(Player.Calls[0].second, "Anna -> Office");
    EXPECT_EQ(Open(fax), 1);
    ASSERT_EQ(Viewer.Calls.size(), 1u);
    EXPECT_EQ(Viewer.Calls[0].first, fax);
    EXPECT_NE(Viewer.Calls[0].second.find("Anna -> Office"), std::string::npos);
    EXPECT_EQ(Open(sms), 1);
    ASSERT_EQ(Sms.Runs, 1);
    EXPECT_EQ(Sms.Focus, 0);
    EXPECT_EQ(Get(Sms.Options, "SmsDestination"), "01715554443");
    EXPECT_EQ(Get(Sms.Options, "SmsSendOriginMsn"), "4711");
    // The settings themselves did not take the message's keys.
    EXPECT_EQ(S(App->GetSetting("SmsDestination")), "");

    // Without the tools nothing opens; an unknown kind neither.
    App->SoundPlayer = nullptr;
    EXPECT_EQ(Open(wav), 0);
    EXPECT_EQ(Open(Work.File("readme.txt")), 0);
}

TEST_F(MAINSUPPORTAPP, PlaybackDoSpecialStartsTheProgramWithTheFile)
{
    const std::string wav = Work.File("message 1.wav");
    ASSERT_TRUE(faxtest::WriteFile(wav, {'R', 'I', 'F', 'F'}));
    App->SetSetting("PlaybackDoSpecial", "1");
    App->SetSetting("PlaybackSpecialCmdline", Probe.c_str());
    EXPECT_EQ(Open(wav), 1);
    EXPECT_EQ(Launched(), std::vector<std::string>{wav});
    EXPECT_TRUE(Player.Calls.empty());

    // Without a program of its own: the program Windows associates with the file.
    ASSOCIATION association(".wav", Probe);
    App->SetSetting("PlaybackSpecialCmdline", "");
    LOGCAPTURE log;
    EXPECT_EQ(Open(wav), 1) << log.Text();
    EXPECT_EQ(Launched(), std::vector<std::string>{wav});
}

TEST_F(MAINSUPPORTAPP, FaxviewDoSpecialConvertsAndLaunches)
{
    ASSOCIATION tif(".tif", Probe);
    ASSOCIATION pdf(".pdf", Probe);
    App->SetSetting("FaxviewSpecialCmdline", Probe.c_str());
    const std::string sff = Work.File("fax.sff");
    const std::string tiff = Work.File("scan.tif");
    ASSERT_TRUE(WriteFax(sff, false));
    ASSERT_TRUE(WriteFax(tiff, true));
    const std::string sffBytes = ReadWholeFile(sff);

    struct CASE {
        int special;
        std::string file;
        std::string launched; // the file the program got
        std::string head;     // its first bytes
    } const cases[] = {
        {1, sff, Work.File("fax.tif"), "II*"},
        {4, sff, Work.File("fax_1.tif"), "II*"}, // the name is taken: a free one
        {3, sff, Work.File("fax_2.pdf"), "%PDF"}, // from the TIFF made first, "fax_2.tif"
        {2, tiff, Work.File("scan.sff"), "Sfff"},
        {5, tiff, Work.File("scan_1.sff"), "Sfff"},
        {3, tiff, Work.File("scan.pdf"), "%PDF"},
        {1, tiff, tiff, "II*"},  // nothing to convert
        {2, sff, sff, "Sfff"},
    };
    for (const CASE &c : cases) {
        App->SetSetting("FaxviewDoSpecial", STRING(c.special));
        LOGCAPTURE log;
        EXPECT_EQ(Open(c.file), 1) << c.special << " " << c.file << "\n" << log.Text();
        const std::vector<std::string> args = Launched();
        ASSERT_EQ(args.size(), 1u) << c.special << " " << c.file;
        EXPECT_EQ(lstrcmpiA(args[0].c_str(), c.launched.c_str()), 0) << args[0] << " for " << c.special;
        EXPECT_EQ(Head(c.launched, c.head.size()), c.head) << c.launched;
    }
    EXPECT_TRUE(Viewer.Calls.empty());
    EXPECT_TRUE(Exists(Work.File("fax_2.tif")));
    // The files made go at the end; the messages stay.
    App.reset();
    for (const char *made : {"fax.tif", "fax_1.tif", "fax_2.tif", "fax_2.pdf", "scan.sff", "scan_1.sff", "scan.pdf"})
        EXPECT_FALSE(Exists(Work.File(made))) << made;
    EXPECT_EQ(ReadWholeFile(sff), sffBytes);
    EXPECT_TRUE(Exists(tiff));
}

TEST_F(MAINSUPPORTAPP, UpgradeSettingsWritesFontTexts)
{
    LOGFONTA font = {};
    font.lfHeight = -13; // 10 points at 96 dpi
    font.lfWeight = FW_BOLD;
    std::strcpy(font.lfFaceName, "Arial");
    {
        CRITSECTHOLD hold(App->SettingsLock);
        App->Settings["PopupFont"] = STRING::FromBytes(&font, sizeof(font));
        App->Settings["PopupFontnamesize"] = "";
        App->Settings["ListFont"] = STRING::FromBytes(&font, sizeof(font));
        App->Settings["ListFontnamesize"] = "8.Tahoma";
        App->Settings["Version"] = "4.01";
    }
    App->UpgradeSettings();
    HASH saved;
    ASSERT_TRUE(saved.Load((ClientFolder + "\\parlomatix.ini").c_str()));
    EXPECT_EQ(Get(saved, "PopupFontnamesize"), "10B.Arial");
    EXPECT_EQ(Get(saved, "ListFontnamesize"), "8.Tahoma"); // a font text already there stays
    EXPECT_EQ(Get(saved, "Version"), S(ClientVersionText()));

    // Nothing to upgrade: nothing written.
    ASSERT_TRUE(DeleteFileA((ClientFolder + "\\parlomatix.ini").c_str()));
    App->UpgradeSettings();
    EXPECT_FALSE(Exists(ClientFolder + "\\parlomatix.ini"));
}

TEST_F(MAINSUPPORTAPP, RecordSoundFileAsksBeforeReplacing)
{
    SOUNDRECORDERDOUBLE recorder;
    const std::string old = Work.File("greeting.wav");
    ASSERT_TRUE(faxtest::WriteFile(old, {'O', 'L', 'D'}));
    const std::string question = S(OSYS::GetStringFromResource(IDS_OVERWRITESOUND)).substr(0, 20);
    {
        // Declined: the name comes back, nothing is saved.
        DIALOGWATCHER box(IDNO, 10000);
        EXPECT_EQ(S(RecordSoundFile(App->hWnd, old.c_str(), 0, nullptr, &recorder)), old);
        ASSERT_TRUE(box.Pressed());
        EXPECT_NE(box.Text().find(question), std::string::npos) << box.Text();
        EXPECT_TRUE(recorder.Saved.empty());
        EXPECT_EQ(ReadWholeFile(old), "OLD");
    }
    {
        DIALOGWATCHER box(IDYES, 10000);
        EXPECT_EQ(S(RecordSoundFile(App->hWnd, old.c_str(), 0, nullptr, &recorder)), old);
        ASSERT_TRUE(box.Pressed());
        EXPECT_EQ(ReadWholeFile(old), "RIFF");
    }
    // A new file is saved without a question.
    const std::string fresh = Work.File("fresh.wav");
    EXPECT_EQ(S(RecordSoundFile(App->hWnd, fresh.c_str(), 0, nullptr, &recorder)), fresh);
    EXPECT_EQ(ReadWholeFile(fresh), "RIFF");
    // Chosen in the file dialog.
    const std::string chosen = Work.File("chosen.wav");
    {
        DIALOGWATCHER dialog({DIALOGSTEP::SetText(cmb13, chosen.c_str()), DIALOGSTEP::Press(IDOK)}, 30000,
                             GetCurrentThreadId());
        EXPECT_EQ(lstrcmpiA(RecordSoundFile(App->hWnd, fresh.c_str(), 1, "Sounds|*.wav", &recorder), chosen.c_str()),
                  0);
        EXPECT_TRUE(dialog.Pressed());
    }
    EXPECT_EQ(ReadWholeFile(chosen), "RIFF");
    // The recorder cancelled: nothing.
    recorder.Recorded = 0;
    EXPECT_EQ(S(RecordSoundFile(App->hWnd, fresh.c_str(), 0, nullptr, &recorder)), "");
    EXPECT_EQ(S(RecordSoundFile(App->hWnd, fresh.c_str(), 0, nullptr, nullptr)), "");
}

TEST_F(MAINSUPPORTAPP, ListFilterThroughTheSettings)
{
    HASH target("Number=4711\nName=Office\n");
    App->Targets.AddItem(target);
    App->SetListFilter("FAX", "4711");
    EXPECT_EQ(S(App->GetSetting("FilterType")), "FAX");
    EXPECT_EQ(S(App->GetListFilterText("-1", "-1")), "Office (Faxes)");
    HASH fax("Type=FAX\nTargetNumber=4711\n");
    HASH call("Type=SOUND\nTargetNumber=4711\n");
    EXPECT_EQ(App->IsItemFilteredOut(fax, "-1", "-1"), 0);
    EXPECT_EQ(App->IsItemFilteredOut(call, "-1", "-1"), 1);
    EXPECT_EQ(App->IsItemFilteredOut(call, "*", "-1"), 0);
    App->SetListFilter(nullptr, nullptr);
    EXPECT_EQ(S(App->GetSetting("FilterTarget")), "*");
    EXPECT_EQ(S(App->GetListFilterText("-1", "-1")), "All entries");
    App->ArchiveViewActive = 1;
    EXPECT_EQ(S(App->GetListFilterText("-1", "-1")), S(OSYS::GetStringFromResource(IDS_ARCHIVEFILTER)));
}

TEST_F(MAINSUPPORTAPP, ItemHandlesByTypeAndTarget)
{
    {
        HASHLIST &items = App->ItemView.LockItems();
        const char *const records[] = {"#Handle=11\nType=MESSAGE\nTargetNumber=4711\n",
                                       "#Handle=12\nType=message\nTargetNumber=SIP-Home\n",
                                       "#Handle=13\nType=FAX\nTargetNumber=4711\n",
                                       "#Handle=14\nType=MESSAGE\n"};
        for (const char *text : records) {
            HASH record(text);
            items.AddItem(record);
        }
        App->ItemView.UnlockItems();
    }
    auto handles = [&](const char *type, const char *target) {
        STRINGARRAY found = App->GetItemHandles(type, target);
        std::string joined;
        for (int i = 0; i < found.NumItems(); ++i)
            joined += S(*found[i]) + " ";
        return joined;
    };
    EXPECT_EQ(handles("MESSAGE", "*"), "11 12 14 ");
    EXPECT_EQ(handles("MESSAGE", "sip-home"), "12 ");
    EXPECT_EQ(handles("FAX", "4711"), "13 ");
    EXPECT_EQ(handles("SOUND", "*"), "");
}

TEST_F(MAINSUPPORTAPP, MapiLoadedWithEveryBookActiveAndUnloaded)
{
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
    App->SetSetting("MapiAddressBooks", "");
    App->LoadMapiStuff(1);
    ASSERT_NE(App->Mapi, nullptr);
    HASHLIST books(App->GetSetting("MapiAddressBooks"));
    ASSERT_GE(books.NumItems(), 2);
    for (int i = 0; i < books.NumItems(); ++i)
        EXPECT_EQ(Get(*books[i], "Active"), "1");
    // Loading again keeps the session.
    MAPICLASS *session = App->Mapi;
    App->LoadMapiStuff(1);
    EXPECT_EQ(App->Mapi, session);

    App->LoadMapiStuff(0);
    EXPECT_EQ(App->Mapi, nullptr);
    EXPECT_EQ(S(App->GetSetting("MapiAddressBooks")), "");
    App.reset();
    FreeLibrary(mapi);
}

TEST_F(MAINSUPPORTAPP, MessageFileNamesBeginWithADot)
{
    // A name that could leave the server's folders is never asked for.
    HASH item("#Handle=5\nType=MESSAGE\n");
    EXPECT_EQ(App->OpenMessage("C:\\msg.wav", item), 0);
    EXPECT_TRUE(Player.Calls.empty());
}

TEST_F(MAINSUPPORTAPP, EnsureDirectoryMakesNestedFolders)
{
    const std::string nested = Work.File("a\\b\\c");
    EXPECT_TRUE(App->EnsureDirectory(nested.c_str()));
    EXPECT_TRUE(Exists(nested));
    EXPECT_TRUE(App->EnsureDirectory(nested.c_str()));
    // A file in the way: the folder cannot be made.
    const std::string file = Work.File("plain");
    ASSERT_TRUE(faxtest::WriteFile(file, {'x'}));
    EXPECT_FALSE(App->EnsureDirectory(file.c_str()));
}
