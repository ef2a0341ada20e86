// Sending and polling faxes under Wine against the stand-in phone server, with the fax dialogs
// and the fax-command recognition replaced by doubles: the job the server gets ("ADDJOB" in its
// call log), the presets of a page's fax commands with their boxes blanked in the sent page, and
// the refusals that send nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/app.h"
#include "client/clientglobals.h"
#include "client/clienttiming.h"
#include "kestar/base/hash.h"
#include "kestar/base/hashlist.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/osysresource.h"
#include "kestar/media/sffimage.h"
#include "lang/resource_ids.h"
#include "tests/client/clientprogram_support.h"
#include "tests/client/tooldoubles_support.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/faxpages_support.h"
#include "tests/support/standinprocess_support.h"
#include "tests/support/tempfolder_support.h"

namespace {

std::string Get(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) ? S(*value) : std::string("<absent>");
}

OCRBOX Box(int left, int top, int right, int bottom)
{
    OCRBOX box;
    box.Left = left;
    box.Top = top;
    box.Right = right;
    box.Bottom = bottom;
    return box;
}

// An SFF fax file of one black fine page 1728 pixels wide.
bool WriteBlackFax(const std::string &path, int rows = 120)
{
    faxtest::Page page(1728, rows, true);
    for (int y = 0; y < rows; ++y)
        page.Fill(0, 1728, y);
    const std::vector<uint8_t> base = faxtest::ToBase({page});
    BASEIMAGE image(base.data(), static_cast<STRING_SIZE_T>(base.size()), "IMAGE BASE:", 4096);
    SFFIMAGE sff("IMAGE SFF:", 20000);
    return sff.FromBase(image) && sff.Save(path.c_str());
}

// The pages of an SFF file's bytes.
std::vector<faxtest::Page> SffPages(const STRING &bytes)
{
    SFFIMAGE sff("IMAGE SFF:", 20000);
    sff.Data.Append(bytes.GetBuffer(), bytes.Length());
    std::unique_ptr<BASEIMAGE> base(sff.ToBase());
    const unsigned char *data = reinterpret_cast<const unsigned char *>(base->Data.GetBuffer());
    return faxtest::FromBase(std::vector<uint8_t>(data, data + base->Data.Length()));
}

class SENDFAXAPP : public CLIENTPROGRAMTEST {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        HASH settings;
        ASSERT_NO_FATAL_FAILURE(MakeClientFolder(&settings));
        CLIENTTIMING::Set(CLIENTTIMING::RPC, 10000);
        CLIENTTIMING::Set(CLIENTTIMING::CONNECT, 5000);
        gOwnPort = "0";
        APP::LogonAtStart = 0;
        App.reset(new APP(0));
        ASSERT_NE(App->hWnd, nullptr);
        App->SetRights(HASH("PermFax=1\n"));
        App->CanFax = 1;
        App->CanFaxPoll = 1;
        App->FaxDialogs = &Dialogs;
        FAXCOMMANDREADERDOUBLE::Script.clear();
        FAXCOMMANDREADERDOUBLE::ReadFiles.clear();
        FAXCOMMANDREADERDOUBLE::FileWasThere.clear();
        APP::ReadFaxCommands = FAXCOMMANDREADERDOUBLE::Make;
        Fax = Work.File("plxfax_tester_1_1.sff");
        ASSERT_TRUE(WriteBlackFax(Fax));
    }
    void TearDown() override
    {
        APP::ReadFaxCommands = Recognition;
        EndClient();
    }
    // The parameters of every "ADDJOB" the server got.
    std::vector<HASH> Jobs()
    {
        HASHLIST log;
        log.FromString(STRING(ReadWholeFile(CallLog).c_str()));
        std::vector<HASH> jobs;
        for (int i = 0; i < log.NumItems(); ++i)
            if (log[i]->Get("Command") == "ADDJOB")
                jobs.emplace_back(log[i]->Get("Params"));
        return jobs;
    }
    std::string Presets() const { return ClientFolder + "\\faxpreset.ini"; }

    std::string Fax;
    FAXDIALOGSDOUBLE Dialogs;
    const APP::FAXCOMMANDREADERFACTORY Recognition = APP::ReadFaxCommands;
};

} // namespace

TEST_F(SENDFAXAPP, DestinationAndHeadlineOfTheJob)
{
    Dialogs.Set = {{"FaxSendDestination", "+49 (89) 123-45"},
                   {"FaxSendHeadline", "From the office of Anna Example, Munich"},
                   {"FaxSendOriginMsn", "4711"},
                   {"FaxSendAttempts", "3"},
                   {"FaxSendDestinationHistory", "+49 (89) 123-45"},
                   {"FaxSendMoreOptions", "1"}};
    App->SendFaxFile(Fax.c_str(), 1);
    EXPECT_EQ(Dialogs.Sends, 1);
    EXPECT_EQ(Dialogs.File, Fax);
    // The dialog starts from an empty comment.
    EXPECT_EQ(Get(Dialogs.Seen, "FaxSendComment"), "");

    Dialogs.Set = {{"FaxSendDestination", "0815"}, {"FaxSendHeadline", ""}};
    App->SendFaxFile(Fax.c_str(), 2);

    std::vector<HASH> jobs = Jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(Get(jobs[0], "Type"), "FAXCALL");
    EXPECT_EQ(Get(jobs[0], "Dest"), "00498912345");
    EXPECT_EQ(Get(jobs[0], "Headline"), "[From the office of Anna Exam]");
    EXPECT_EQ(Get(jobs[0], "OriginMSN"), "4711");
    EXPECT_EQ(Get(jobs[0], "Attempts"), "3");
    EXPECT_EQ(Get(jobs[0], "Pages"), "1");
    EXPECT_EQ(S(jobs[0]["Filedata"].DecodeBase64()), ReadWholeFile(Fax));
    EXPECT_EQ(Get(jobs[1], "Dest"), "0815");
    EXPECT_EQ(Get(jobs[1], "Headline"), "[]");
    EXPECT_EQ(Get(jobs[1], "Pages"), "2");

    // The dialog's state goes back into the settings, and they are saved.
    EXPECT_EQ(S(App->GetSetting("FaxSendDestinationHistory")), "+49 (89) 123-45");
    HASH saved;
    ASSERT_TRUE(saved.Load((ClientFolder + "\\parlomatix.ini").c_str()));
    EXPECT_EQ(Get(saved, "FaxSendMoreOptions"), "1");
}

TEST_F(SENDFAXAPP, ToCommandSendsWithoutDialogAndBlanksItsBox)
{
    FAXCOMMANDREADERDOUBLE::Script = {{"TO:+49 89 7654", Box(16, 10, 200, 30)},
                                      {"PRINT", Box(400, 60, 500, 70)}};
    EXPECT_EQ(App->OCRFaxFile(Fax.c_str()), 1);
    // The recognition read a TIFF of the page in the work folder, which is gone again.
    ASSERT_EQ(FAXCOMMANDREADERDOUBLE::ReadFiles.size(), 1u);
    EXPECT_EQ(FAXCOMMANDREADERDOUBLE::ReadFiles[0], ClientFolder + "\\plxfax_tester_1_1.tmp");
    EXPECT_TRUE(FAXCOMMANDREADERDOUBLE::FileWasThere[0]);
    EXPECT_FALSE(OSYSFILE::Exists(FAXCOMMANDREADERDOUBLE::ReadFiles[0].c_str()));
    HASH presets;
    ASSERT_TRUE(presets.Load(Presets().c_str()));
    EXPECT_EQ(Get(presets, "FaxSendDestination"), "+49 89 7654");
    EXPECT_EQ(presets.NumKeys(), 1);

    App->SendFaxFile(Fax.c_str(), 1);
    EXPECT_EQ(Dialogs.Sends, 0);
    EXPECT_FALSE(OSYSFILE::Exists(Presets().c_str()));
    std::vector<HASH> jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(Get(jobs[0], "Dest"), "0049897654");

    const std::vector<faxtest::Page> pages = SffPages(jobs[0]["Filedata"].DecodeBase64());
    ASSERT_EQ(pages.size(), 1u);
    // The TO box is white (its bytes and the two after them), the rest of the page and the box of
    // the unknown command stay black.
    EXPECT_FALSE(pages[0].Get(16, 10));
    EXPECT_FALSE(pages[0].Get(100, 20));
    EXPECT_FALSE(pages[0].Get(215, 30));
    EXPECT_TRUE(pages[0].Get(216, 20));
    EXPECT_TRUE(pages[0].Get(100, 31));
    EXPECT_TRUE(pages[0].Get(450, 65));
    EXPECT_TRUE(pages[0].Get(15, 9));

    // The presets were used once: the next fax of the page shows the dialog.
    Dialogs.Set = {{"FaxSendDestination", "0815"}};
    App->SendFaxFile(Fax.c_str(), 1);
    EXPECT_EQ(Dialogs.Sends, 1);
}

TEST_F(SENDFAXAPP, DialogCommandShowsTheDialogWithThePresets)
{
    FAXCOMMANDREADERDOUBLE::Script = {{"DIALOG", Box(0, 0, 50, 10)}, {"FROM:4711", Box(0, 20, 80, 30)}};
    EXPECT_EQ(App->OCRFaxFile(Fax.c_str()), 1);
    Dialogs.Confirm = 0;
    App->SendFaxFile(Fax.c_str(), 1);
    EXPECT_EQ(Dialogs.Sends, 1);
    EXPECT_EQ(Get(Dialogs.Seen, "FaxSendOriginMsn"), "4711");
    EXPECT_EQ(Get(Dialogs.Seen, "FaxSendShowDialog"), "1");
    EXPECT_TRUE(Jobs().empty());
}

TEST_F(SENDFAXAPP, UnknownCommandsLeaveThePageAndStoreNoPresets)
{
    const std::string before = ReadWholeFile(Fax);
    FAXCOMMANDREADERDOUBLE::Script = {{"PRINT", Box(0, 0, 50, 10)}};
    EXPECT_EQ(App->OCRFaxFile(Fax.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(Fax), before);
    EXPECT_FALSE(OSYSFILE::Exists(Presets().c_str()));
    // A file that is no fax: nothing read, nothing stored.
    const std::string text = Work.File("plxfax_tester_2_1.sff");
    ASSERT_TRUE(faxtest::WriteFile(text, {'n', 'o'}));
    EXPECT_EQ(App->OCRFaxFile(text.c_str()), 0);
    EXPECT_FALSE(OSYSFILE::Exists(Presets().c_str()));
}

TEST_F(SENDFAXAPP, RefusalsSendNothing)
{
    Dialogs.Set = {{"FaxSendDestination", "0815"}, {"FaxPollDestination", "0816"}};
    const std::string refusal = S(OSYS::GetStringFromResource(IDS_NOFAXRIGHT)).substr(0, 20);

    // Without the right, and without the server's fax: box 3039, no dialog, no job.
    struct CASE {
        const char *right;
        int canFax;
        bool poll;
    } const cases[] = {{"0", 1, false}, {"1", 0, false}, {"0", 1, true}, {"1", 0, true}};
    for (const CASE &c : cases) {
        App->SetRights(HASH((std::string("PermFax=") + c.right + "\n").c_str()));
        App->CanFax = c.poll ? 1 : c.canFax;
        App->CanFaxPoll = c.poll ? c.canFax : 1;
        DIALOGWATCHER box(IDOK, 10000);
        if (c.poll)
            App->PollFaxFile();
        else
            App->SendFaxFile(Fax.c_str(), 1);
        ASSERT_TRUE(box.WaitPressed(5000));
        EXPECT_NE(box.Text().find(refusal), std::string::npos) << box.Text();
    }
    EXPECT_EQ(Dialogs.Sends + Dialogs.Polls, 0);
    EXPECT_TRUE(Jobs().empty());

    // A fax file that cannot be read sends nothing.
    App->SetRights(HASH("PermFax=1\n"));
    App->CanFax = 1;
    App->CanFaxPoll = 1;
    App->SendFaxFile(Work.File("gone.sff").c_str(), 1);
    EXPECT_EQ(Dialogs.Sends, 1);
    EXPECT_TRUE(Jobs().empty());
    // Cancelled: nothing either.
    Dialogs.Confirm = 0;
    App->SendFaxFile(Fax.c_str(), 1);
    App->PollFaxFile();
    EXPECT_TRUE(Jobs().empty());

    // A poll job has no file.
    Dialogs.Confirm = 1;
    App->PollFaxFile();
    std::vector<HASH> jobs = Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(Get(jobs[0], "Type"), "FAXPOLL");
    EXPECT_EQ(Get(jobs[0], "Dest"), "0816");
    EXPECT_EQ(Get(jobs[0], "Filedata"), "");
    EXPECT_EQ(Get(jobs[0], "Pages"), "0");
    EXPECT_EQ(S(App->GetSetting("FaxPollDestination")), "0816");
}
