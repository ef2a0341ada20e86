// APP: sending and polling faxes through the server, and the fax commands written on a printed
// page that preset the next send ("faxpreset.ini" in the work folder).
#include <windows.h>

#include "client/app.h"

#include "client/faxcommandreader.h"
#include "client/faxcommands.h"
#include "client/faxdialogs.h"
#include "client/faxjobfields.h"
#include "client/ocrchie.h"
#include "common/commandnames.h"
#include "kestar/base/atomicfile.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/winorvak.h"
#include "kestar/media/sffimage.h"
#include "kestar/media/tifimage.h"
#include "lang/resource_ids.h"

namespace {

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

STRING Value(HASH &record, const char *name)
{
    STRING *value = nullptr;
    return record.Exists(name, &value) && value && !value->IsNull() ? *value : STRING("");
}

bool IsSet(const STRING &value)
{
    return value.NotEmpty() && static_cast<int>(value) != 0;
}

FAXCOMMANDREADER *RecogniseFaxCommands(const char *tiffFile)
{
    return new OCRCHIE(tiffFile);
}

// The main window is asked to come up before the send dialog opens (lParam: the tray's restore).
const UINT kRestoreMessage = 1264;
const LPARAM kRestoreFromTray = 515;

} // namespace

APP::FAXCOMMANDREADERFACTORY APP::ReadFaxCommands = RecogniseFaxCommands;

// The fax options of one send or poll: the settings, open for new keys, with the server's fax
// send options merged in (a failed call is reported and the settings serve alone).
static HASH FaxOptions(APP &app)
{
    HASH options;
    {
        CRITSECTHOLD hold(app.SettingsLock);
        options = app.Settings;
    }
    options.AllowNewKeys(1);
    options["FaxSendComment"] = "";
    HASH params;
    STRING result;
    if (app.DispatchFunction(PLXPEER::SERVER, PLXCMD::GETFAXSENDOPTIONS, params, result, 1, -1)) {
        HASH server(result);
        options.Merge(server);
    } else {
        app.ReportCommError("DispatchFunction GETFAXSENDOPTIONS failed", "COMM", "NETWORK");
    }
    return options;
}

int APP::AddFaxJob(int poll, const char *dest, const STRING &fileData, int pages, HASH &options)
{
    const STRING comment = Value(options, "FaxSendComment");
    return JobsAddFax(poll, dest, fileData, pages, Value(options, "FaxSendOriginMsn"),
                      FAXJOBFIELDS::Headline(Value(options, "FaxSendHeadline")), Value(options, "FaxSendStationId"),
                      static_cast<int>(Value(options, "FaxSendAttempts")),
                      static_cast<int>(Value(options, "FaxSendPauseBetween")),
                      static_cast<int>(Value(options, "FaxSendIsdnService")), comment, nullptr, 0);
}

void APP::SendFaxFile(const char *file, int pages)
{
    LOGIT::Printf("APP::SendFaxFile\n");
    if (!CheckPermission("PermFax") || !CanFax) {
        WINORVAK::ErrorMsgBox(hWnd, OSYS::GetStringFromResource(IDS_APPNAME), OSYS::GetStringFromResource(IDS_NOFAXRIGHT));
        return;
    }
    HASH options = FaxOptions(*this);

    // The presets of the page's fax commands are used once.
    bool showDialog = true;
    STRING presetsFile(gWorkDir);
    presetsFile += "\\faxpreset.ini";
    if (FileExists(presetsFile)) {
        HASH presets;
        presets.Load(presetsFile);
        options.Merge(presets);
        const int deleted = DeleteFileA(presetsFile) ? 1 : 0;
        LOGIT::Assert(deleted, "success", "miscclient", 441, presetsFile, 0);
        showDialog = IsSet(Value(options, "FaxSendShowDialog"));
    }

    bool confirmed = true;
    if (showDialog) {
        PostMessageA(hWnd, kRestoreMessage, 0, kRestoreFromTray);
        CALLERS phoneBook;
        GetFilteredCallers(phoneBook, "NumberFax", 1, 1, 1);
        if (FaxDialogs) {
            confirmed = FaxDialogs->SendFaxDialog(hWnd, options, Targets, phoneBook, file) == 1;
        } else {
            LOGIT::Printf("APP::SendFaxFile no send dialog\n");
            confirmed = false;
        }
    }

    if (confirmed) {
        const STRING dest = FAXJOBFIELDS::Destination(Value(options, "FaxSendDestination"));
        if (dest.NotEmpty()) {
            STRING bytes("");
            if (!bytes.Load(file ? file : "") || bytes.IsEmpty()) {
                // Nothing is sent of a fax that cannot be read.
                LOGIT::Printf("APP::SendFaxFile cannot read %s\n", file ? file : "<NULL>");
                LOGIT::Assert(0, "ok", "miscclient", 472, file, 0);
            } else {
                LOGIT::Printf("APP::SendFaxFile source=%s\n", file);
                AddFaxJob(0, dest, bytes, pages, options);
                SetSetting("FaxSendDestinationHistory", Value(options, "FaxSendDestinationHistory"));
            }
        }
    }

    SetSetting("FaxSendMoreOptions", Value(options, "FaxSendMoreOptions"));
    SaveLocalFiles(1, 1, 1, 1, 1);
    LOGIT::Printf("APP::SendFaxFile finished\n");
}

void APP::PollFaxFile()
{
    LOGIT::Printf("APP::PollFaxFile\n");
    if (!CheckPermission("PermFax") || !CanFaxPoll) {
        WINORVAK::ErrorMsgBox(hWnd, OSYS::GetStringFromResource(IDS_APPNAME), OSYS::GetStringFromResource(IDS_NOFAXRIGHT));
        return;
    }
    HASH options = FaxOptions(*this);
    CALLERS phoneBook;
    GetFilteredCallers(phoneBook, "NumberFax", 1, 1, 1);
    int confirmed = 0;
    if (FaxDialogs)
        confirmed = FaxDialogs->PollFaxDialog(hWnd, options, Targets, phoneBook);
    else
        LOGIT::Printf("APP::PollFaxFile no poll dialog\n");
    if (confirmed == 1) {
        const STRING dest = FAXJOBFIELDS::Destination(Value(options, "FaxPollDestination"));
        if (dest.NotEmpty())
            AddFaxJob(1, dest, STRING(""), 0, options);
        SetSetting("FaxPollDestination", Value(options, "FaxPollDestination"));
    }
    SaveLocalFiles(1, 1, 1, 1, 1);
    LOGIT::Printf("APP::PollFaxFile finished\n");
}

int APP::OCRFaxFile(const char *file)
{
    LOGIT::Printf("APP::OCRFaxFile entered\n");
    int rc = 0;
    const STRING faxFile(file ? file : "");
    SFFIMAGE sff("IMAGE SFF:", 20000);
    BASEIMAGE *base = nullptr;
    if (faxFile.Length() > 3 && sff.Load(faxFile))
        base = sff.ToBase();
    if (!base || base->GetPageCount() < 1) {
        LOGIT::Printf("APP::OCRFaxFile cannot read %s\n", Text(faxFile));
        delete base;
        LOGIT::Printf("APP::OCRFaxFile finished, rc=%d\n", rc);
        return rc;
    }

    // The page as TIFF in the work folder, under the fax file's name ending in "tmp".
    STRING name = faxFile;
    for (STRING_SIZE_T i = faxFile.Length() - 1; i >= 0; --i) {
        if (faxFile[i] == '\\' || faxFile[i] == '/') {
            name = faxFile.Mid(i + 1, faxFile.Length() - i - 1);
            break;
        }
    }
    STRING tiffFile(gWorkDir);
    tiffFile += "\\";
    tiffFile += name.Left(name.Length() >= 3 ? name.Length() - 3 : 0);
    tiffFile += "tmp";
    TIFIMAGE tif("IMAGE TIF:", BASEIMAGE::kBlockSize);
    tif.FromBase(*base);
    tif.PageCount = 1; // the recognition reads the first page
    FAXCOMMANDREADER *reader = nullptr;
    if (tif.Save(tiffFile))
        reader = ReadFaxCommands(tiffFile);
    else
        LOGIT::Printf("APP::OCRFaxFile cannot write %s\n", Text(tiffFile));
    LOGIT::Printf("APP::OCRFaxFile entered, number of packets=%d\n", reader ? reader->Count() : 0);

    HASH presets;
    int applied = 0;
    STRING command;
    OCRBOX box;
    while (reader && reader->GetNextCommand(command, box)) {
        LOGIT::Printf("APP::OCRFaxFile, processing command=%s\n", Text(command));
        if (!FAXCOMMANDS::Apply(command, presets))
            continue;
        ++applied;
        FAXCOMMANDS::BlankBoxOnBasePage(reinterpret_cast<unsigned char *>(base->Data.GetBuffer()),
                                        static_cast<size_t>(base->Data.Length()), 0, box);
    }
    delete reader;
    DeleteFileA(tiffFile);

    if (applied) {
        SFFIMAGE page("IMAGE SFF:", 20000);
        page.FromBase(*base);
        // Over the spool file under a temporary name, so that no reader takes half a page.
        int error = 0;
        if (ATOMICFILE::WriteReplace(faxFile, page.Data.GetBuffer(), static_cast<size_t>(page.Data.Length()), &error)) {
            STRING presetsFile(gWorkDir);
            presetsFile += "\\faxpreset.ini";
            rc = presets.Save(presetsFile);
        } else {
            LOGIT::Printf("APP::OCRFaxFile cannot write %s: %d\n", Text(faxFile), error);
        }
    }
    delete base;
    LOGIT::Printf("APP::OCRFaxFile finished, rc=%d\n", rc);
    return rc;
}
