// APP: the main window's support operations: the list filter, the settings upgrade, MAPI loading,
// folders, opening message files, the tip of the day, the layout and recording a sound file.
#include <windows.h>

#include "client/app.h"

#include <cstring>

#include "client/faxviewerwindow.h"
#include "client/languagetexts.h"
#include "client/listfilter.h"
#include "client/smssenddialog.h"
#include "client/soundplayerdialog.h"
#include "client/soundrecording.h"
#include "client/clientglobals.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/osysprogram.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/winorvak.h"
#include "kestar/devices/mapiclass.h"
#include "kestar/media/sffimage.h"
#include "kestar/media/tifimage.h"
#include "kestar/windowing/filedialog.h"
#include "kestar/windowing/statusbar.h"
#include "kestar/windowing/tipofday.h"
#include "kestar/windowing/windraw.h"
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

// A filter argument: "-1" stands for the stored option.
STRING FilterArgument(APP &app, const char *filter, const char *option)
{
    if (filter && std::strcmp(filter, "-1") == 0)
        return app.GetSetting(option);
    return STRING(filter ? filter : "");
}

// The size of a LOGFONTA, the font record of old settings.
const STRING_SIZE_T kFontRecordSize = 60;
static_assert(sizeof(LOGFONTA) == kFontRecordSize, "the font record of old settings is a LOGFONTA");

// path with its last three characters replaced by extension.
STRING WithExtension(const STRING &path, const char *extension)
{
    return path.Left(path.Length() >= 3 ? path.Length() - 3 : 0) + extension;
}

// path when no file or folder has it, else the first free "name_n.ext" beside it; a file made
// for the user never replaces another.
STRING FreeName(const STRING &path)
{
    if (!OSYSFILE::Exists(path))
        return path;
    STRING_SIZE_T dot = -1;
    for (STRING_SIZE_T i = path.Length() - 1; i >= 0; --i) {
        if (path[i] == '.') {
            dot = i;
            break;
        }
        if (path[i] == '\\' || path[i] == '/')
            break;
    }
    const STRING stem = dot >= 0 ? path.Left(dot) : path;
    const STRING extension = dot >= 0 ? path.Mid(dot, path.Length() - dot) : STRING("");
    for (int n = 1; n < 10000; ++n) {
        STRING candidate;
        candidate.Format("%s_%d%s", Text(stem), n, Text(extension));
        if (!OSYSFILE::Exists(candidate))
            return candidate;
    }
    return STRING("");
}

// A file name as one parameter of a command line.
STRING Quoted(const STRING &name)
{
    if (name.NotEmpty() && name[0] == '"')
        return name;
    return "\"" + name + "\"";
}

// The SFF fax file as a TIFF file; false when either side fails.
bool SffToTiff(const char *sffFile, const char *tiffFile)
{
    SFFIMAGE sff("IMAGE SFF:", 20000);
    if (!sff.Load(sffFile))
        return false;
    BASEIMAGE *base = sff.ToBase();
    TIFIMAGE tif("IMAGE TIF:", BASEIMAGE::kBlockSize);
    const bool ok = base->GetPageCount() > 0 && tif.FromBase(*base) && tif.Save(tiffFile);
    delete base;
    return ok;
}

bool TiffToSff(const char *tiffFile, const char *sffFile)
{
    TIFIMAGE tif("IMAGE TIF:", BASEIMAGE::kBlockSize);
    if (!tif.Load(tiffFile))
        return false;
    BASEIMAGE *base = tif.ToBase();
    SFFIMAGE sff("IMAGE SFF:", 20000);
    const bool ok = sff.FromBase(*base) && sff.Save(sffFile);
    delete base;
    return ok;
}

} // namespace

void APP::SetListFilter(const char *typeFilter, const char *targetFilter)
{
    SetSetting("FilterType", typeFilter && *typeFilter ? typeFilter : "*");
    SetSetting("FilterTarget", targetFilter && *targetFilter ? targetFilter : "*");
    if (hWnd)
        InvalidateRect(hWnd, nullptr, TRUE);
}

int APP::IsItemFilteredOut(HASH &item, const char *typeFilter, const char *targetFilter)
{
    return LISTFILTER::IsItemFilteredOut(item, FilterArgument(*this, typeFilter, "FilterType"),
                                         FilterArgument(*this, targetFilter, "FilterTarget"));
}

STRING APP::GetListFilterText(const char *typeFilter, const char *targetFilter)
{
    return LISTFILTER::Text(FilterArgument(*this, typeFilter, "FilterType"),
                            FilterArgument(*this, targetFilter, "FilterTarget"), Targets, LANGUAGETEXTS::Instance(),
                            ArchiveViewActive != 0);
}

STRINGARRAY APP::GetItemHandles(const char *type, const char *targetNumber)
{
    STRINGARRAY handles;
    const STRING wanted(type ? type : "");
    const STRING target(targetNumber ? targetNumber : "*");
    const bool anyTarget = target == "*";
    HASHLIST &items = ItemView.LockItems();
    for (int i = 0; i < items.NumItems(); ++i) {
        HASH &item = *items[i];
        if (Value(item, "Type") == wanted && (anyTarget || Value(item, "TargetNumber") == target))
            handles.AddItem(STRING(static_cast<unsigned long>(item.Handle)));
    }
    ItemView.UnlockItems();
    return handles;
}

void APP::UpgradeSettings()
{
    LOGIT::Printf("APP::UpgradeSettings\n");
    int changed = 0;
    {
        CRITSECTHOLD hold(SettingsLock);
        const char *const fonts[][2] = {{"PopupFont", "PopupFontnamesize"}, {"ListFont", "ListFontnamesize"}};
        for (const auto &font : fonts) {
            STRING *record = nullptr;
            if (!Settings.Exists(font[0], &record) || !record || record->Length() != kFontRecordSize ||
                Value(Settings, font[1]).NotEmpty())
                continue;
            LOGFONTA logFont;
            std::memcpy(&logFont, record->GetBuffer(), sizeof(logFont));
            logFont.lfFaceName[LF_FACESIZE - 1] = 0;
            char spec[LF_FACESIZE + 16];
            if (WINDRAW::FormatFontSpec(&logFont, spec, sizeof(spec))) {
                Settings[font[1]] = spec;
                LOGIT::Printf("APP::UpgradeSettings %s becomes %s\n", font[1], spec);
                changed = 1;
            }
        }
        const STRING version = ClientVersionText();
        if (Value(Settings, "Version") != version || Value(Settings, "Version").IsEmpty()) {
            Settings["Version"] = version;
            changed = 1;
        }
    }
    if (changed)
        SaveLocalFiles(0, 0, 0, 0, 1);
}

void APP::LoadMapiStuff(int load)
{
    if (load) {
        MapiLock.Obtain();
        if (!Mapi)
            Mapi = new MAPICLASS(1);
        const bool running = Mapi->IsUpAndRunning();
        MapiLock.Release();
        if (running) {
            STRING books = GetSetting("MapiAddressBooks");
            UpdateMapiAdrBooklist(1, books);
            SetSetting("MapiAddressBooks", books);
            LOGIT::Printf("APP::LoadMapiStuff (re)loaded\n");
        }
        return;
    }
    SetSetting("MapiAddressBooks", "");
    MapiLock.Obtain();
    delete Mapi;
    Mapi = nullptr;
    MapiLock.Release();
    LOGIT::Printf("APP::LoadMapiStuff unloaded\n");
}

bool APP::EnsureDirectory(const char *path)
{
    FILENAME folder(path ? path : "");
    if (folder.NotEmpty() && !folder.IsDirectory()) {
        // The missing parents first, so that a nested folder can be made in one call.
        const FILENAME parent = folder.GetFolder();
        if (parent.NotEmpty() && std::strcmp(parent.Text(), folder.Text()) != 0 && std::strcmp(parent.Text(), ".") &&
            !parent.IsDirectory())
            EnsureDirectory(parent.Text());
        folder.MakeDirectory();
    }
    const bool ok = folder.NotEmpty() && folder.IsDirectory();
    if (!ok)
        LOGIT::Assert(0, "ddir.IsDirectory()", "..\\common\\misccommon", 912, path, 0);
    return ok;
}

int APP::OpenMessage(const char *msgFile, HASH &item)
{
    LOGIT::Printf("APP::OpenMessage filename=%s\n", msgFile ? msgFile : "<NULL>");
    if (!msgFile || msgFile[0] != '.') {
        LOGIT::Assert(0, "msgfile[0]=='.'", "miscclient", 320, msgFile, 0);
        return 0;
    }
    const STRING local = PeerMsgFile(item, msgFile);
    if (local.IsEmpty())
        return 0;
    AddTempFile(local);
    return OpenMessage(local, GetCallerFullFrontend(item), GetTargetFrontend(item), GetItemTimeText(item),
                       item.Handle);
}

int APP::OpenMessage(const char *path, const char *callerText, const char *targetText, const char *timeText,
                     uint32_t itemHandle)
{
    const STRING file(path ? path : "");
    LOGIT::Printf("APP::OpenMessage filename=%s\n", Text(file));
    STRING kind = file.Right(3);
    kind.ToUpper();
    STRING title(callerText ? callerText : "");
    title += " -> ";
    title += targetText ? targetText : "";
    int rc = 0;

    if (kind == "WAV" || kind == "MP3") {
        if (static_cast<int>(GetSetting("PlaybackDoSpecial")) != 0) {
            STRING program = GetSetting("PlaybackSpecialCmdline");
            if (program.IsEmpty()) {
                const int found = OSYS::FindAssociatedProgram(file, program);
                if (found > 32) {
                    LOGIT::Printf("APP::OpenMessage FindExecutate succeeded, using StartProgram\n");
                } else {
                    LOGIT::Printf("APP::OpenMessage FindExecutable failed rc=%d, fallback to ShellExecute\n", found);
                    program = "";
                }
            }
            if (program.NotEmpty())
                rc = OSYS::StartProgram(program, Quoted(file), nullptr, OSYS::GetStringFromResource(IDS_APPTITLE), 0,
                                        nullptr, nullptr) ? 1 : 0;
            else
                rc = OSYS::ShellExecuteRun(hWnd, file, nullptr, nullptr) ? 1 : 0;
        } else if (SoundPlayer) {
            rc = SoundPlayer->Play(hWnd, file, title);
        } else {
            LOGIT::Printf("APP::OpenMessage no sound player\n");
        }
    } else if (kind == "TIF" || kind == "SFF") {
        const int special = static_cast<int>(GetSetting("FaxviewDoSpecial"));
        if (special == 0) {
            STRING viewerTitle(title);
            if (timeText && *timeText) {
                viewerTitle += "  ";
                viewerTitle += timeText;
            }
            if (FaxViewer)
                rc = FaxViewer->Show(file, viewerTitle, itemHandle);
            else
                LOGIT::Printf("APP::OpenMessage no fax viewer\n");
        } else {
            rc = OpenFaxSpecial(file, kind, special);
        }
    } else if (kind == "SMS") {
        HASH options;
        {
            CRITSECTHOLD hold(SettingsLock);
            options = Settings;
        }
        options.AllowNewKeys(1);
        HASH message;
        if (!message.Load(file))
            LOGIT::Printf("APP::OpenMessage cannot read %s\n", Text(file));
        options.Merge(message);
        if (SmsDialog) {
            CALLERS phoneBook;
            GetFilteredCallers(phoneBook, "NumberMobile", 1, 1, 1);
            SmsDialog->Run(hWnd, options, Targets, phoneBook, 0);
            rc = 1;
        } else {
            LOGIT::Printf("APP::OpenMessage no SMS dialog\n");
        }
    } else {
        LOGIT::Printf("APP::OpenMessage unknown kind of file\n");
    }
    LOGIT::Printf("APP::OpenMessage finished, rc=%d\n", rc);
    return rc;
}

int APP::OpenFaxSpecial(const STRING &file, const STRING &kind, int special)
{
    STRING current = file;
    STRING currentKind = kind;
    const bool toTiff = special == 1 || special == 3 || special == 4;
    if (currentKind == "SFF" && toTiff) {
        const STRING made = FreeName(WithExtension(current, "tif"));
        if (made.IsEmpty() || !SffToTiff(current, made)) {
            LOGIT::Printf("APP::OpenMessage cannot convert %s to TIFF\n", Text(current));
            return 0;
        }
        AddTempFile(made);
        current = made;
        currentKind = "TIF";
    } else if (currentKind == "TIF" && (special == 2 || special == 5)) {
        const STRING made = FreeName(WithExtension(current, "sff"));
        if (made.IsEmpty() || !TiffToSff(current, made)) {
            LOGIT::Printf("APP::OpenMessage cannot convert %s to SFF\n", Text(current));
            return 0;
        }
        AddTempFile(made);
        current = made;
        currentKind = "SFF";
    }
    if (special == 3) {
        if (!LOGIT::Assert(currentKind == "TIF" ? 1 : 0, "filename.Right(3)==\"TIF\"", "miscclient", 351, current, 0) ||
            currentKind != "TIF")
            return 0;
        const STRING made = FreeName(WithExtension(current, "pdf"));
        if (made.IsEmpty() || !TIFIMAGE::Convert(current, made)) {
            LOGIT::Printf("APP::OpenMessage cannot convert %s to PDF\n", Text(current));
            return 0;
        }
        AddTempFile(made);
        current = made;
    }
    if (toTiff)
        return OSYS::ShellExecuteRun(hWnd, current, nullptr, nullptr) ? 1 : 0;
    const STRING program = GetSetting("FaxviewSpecialCmdline");
    if (program.IsEmpty()) {
        LOGIT::Printf("APP::OpenMessage no FaxviewSpecialCmdline\n");
        return 0;
    }
    return OSYS::StartProgram(program, Quoted(current), nullptr, OSYS::GetStringFromResource(IDS_APPTITLE), 0, nullptr,
                              nullptr) ? 1 : 0;
}

void APP::ShowTipOfDay(int force)
{
    STRING tips = ORVAKAPP::GetProgramFolder();
    tips += "\\";
    tips += OSYS::GetStringFromResource(IDS_TIPSFILE);
    ::ShowTipOfDay(hWnd, tips, OSYS::GetStringFromResource(IDS_APPREGKEY), force);
}

void APP::ArrangeControls()
{
    if (StatusBar)
        StatusBar->Resize();
}

void APP::AddTempFile(const char *path)
{
    if (!path || !*path)
        return;
    CRITSECTHOLD hold(TempFilesLock);
    TempFiles.AddItem(STRING(path));
}

void APP::DeleteTempFiles()
{
    CRITSECTHOLD hold(TempFilesLock);
    for (int i = 0; i < TempFiles.NumItems(); ++i) {
        const char *name = *TempFiles[i];
        if (FileExists(name) && !DeleteFileA(name))
            LOGIT::Printf("APP::DeleteTempFiles %s failed: %lu\n", name, GetLastError());
    }
    TempFiles.DeleteAll();
}

STRING RecordSoundFile(HWND owner, const char *file, int choose, const char *filter, SOUNDRECORDING *recorder)
{
    LOGIT::Printf("RecordSoundFile %s\n", file ? file : "<NULL>");
    if (!recorder || !recorder->Record(owner)) {
        LOGIT::Printf("RecordSoundFile cancelled\n");
        return STRING("");
    }
    STRING name(file ? file : "");
    if (choose) {
        const char *picked = AskSaveFilenameDlg(owner, nullptr, name, filter);
        if (!picked) {
            LOGIT::Printf("RecordSoundFile no file chosen\n");
            return STRING("");
        }
        name = picked;
    }
    if (name.IsEmpty())
        return name;
    bool save = true;
    if (FileExists(name))
        save = WINORVAK::YesNoMsgBox(owner, OSYS::GetStringFromResource(IDS_APPTITLE),
                                     OSYS::GetStringFromResource(IDS_OVERWRITESOUND)) == 1;
    if (save && !recorder->Save(name))
        LOGIT::Printf("RecordSoundFile cannot save %s\n", Text(name));
    LOGIT::Printf("RecordSoundFile returns %s (saved=%d)\n", Text(name), save ? 1 : 0);
    return name;
}
