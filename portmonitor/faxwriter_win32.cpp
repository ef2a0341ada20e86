// FAXWRITER: from a finished job to the fax file in the drop folder (see faxwriter.h).
#include "portmonitor/faxwriter.h"

// windows.h first: osysinfo.h takes back its GetUserName macro.
#include "portmonitor/portmonitor.h"

#include <new>
#include <vector>

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osyspath.h"
#include "kestar/base/osystime.h"
#include "kestar/media/sffcodec.h"
#include "portmonitor/faxdrop.h"
#include "portmonitor/faxport.h"
#include "portmonitor/jobscan.h"

namespace {

#if defined(PLX_PORTMONITOR_ANSI)
#define PM_MessageBox MessageBoxA
// Code page 1252, as the 9x spooler's ANSI boxes show it.
const PMCHAR kInvalidGerman[] = "Keine g\xFCltigen ParlomatixFax Druckerdaten!";
#else
#define PM_MessageBox MessageBoxW
const PMCHAR kInvalidGerman[] = L"Keine g\u00FCltigen ParlomatixFax Druckerdaten!";
#endif

const PMCHAR kCaption[] = PMTEXT("ParlomatixFax Port Monitor");
const PMCHAR kInvalidEnglish[] = PMTEXT("No valid ParlomatixFax printer data!");
const PMCHAR kWriteError[] = PMTEXT("File Write Error");

void ShowError(const PMCHAR *text)
{
    PM_MessageBox(nullptr, text, kCaption, MB_OK | MB_SYSTEMMODAL | MB_ICONERROR);
}

} // namespace

bool FAXWRITER::WriteJob(const FAXPORT &port)
{
    LOGIT::Printf("[>>]FAXWRITER::WriteJob job %lu\n", static_cast<unsigned long>(port.JobId));
    bool written = false;
    if (port.IsRefused()) {
        LOGIT::Printf("FAXWRITER job %lu was refused while it was written: no file\n",
                      static_cast<unsigned long>(port.JobId));
        ShowWriteError();
    } else {
        const STRING &job = port.GetJobBuffer();
        JOBSCAN scan;
        scan.Run(reinterpret_cast<const unsigned char *>(job.GetBuffer()), job.IsNull() ? 0 : job.Length());
        STRING sff;
        if (!scan.IsValid()) {
            ShowInvalidData();
        } else if (!scan.IsConverted() || !CodePages(scan, &sff)) {
            ShowWriteError();
        } else {
            STRING folder = DropFolder();
            STRING user = UserName();
            int32_t now = static_cast<int32_t>(OSYS::GetTime());
            written = FAXDROP::Drop(folder, user, now, scan.GetPageCount(), sff.GetBuffer(),
                                    static_cast<size_t>(sff.Length()), nullptr);
            if (!written)
                ShowWriteError();
        }
    }
    LOGIT::Printf("[<<]FAXWRITER::WriteJob written= %d\n", written ? 1 : 0);
    return written;
}

STRING FAXWRITER::DropFolder()
{
    STRING common = OSYS::GetSystemPath(OSYS::SYSPATH_COMMONAPPDATA);
    if (common.NotEmpty()) {
        // The client's shared folder; a folder that exists already is no error.
        STRING folder = common;
        folder += "Orvak";
        FILENAME(folder).MakeDirectory();
        folder += "\\Parlomatix";
        FILENAME(folder).MakeDirectory();
        return folder;
    }
    char expanded[MAX_PATH];
    DWORD n = ExpandEnvironmentStringsA("%windir%\\temp", expanded, sizeof(expanded));
    STRING folder(n > 0 && n <= sizeof(expanded) ? expanded : "C:\\Windows\\temp");
    while (folder.Length() > 0 && folder[folder.Length() - 1] == '\\')
        folder.Truncate(folder.Length() - 1);
    LOGIT::Printf("FAXWRITER no common application-data folder: %s\n", folder.GetBuffer());
    return folder;
}

STRING FAXWRITER::UserName()
{
    STRING user = OSYS::GetUserName();
    if (user.NotEmpty())
        return user;
    LOGIT::Printf("FAXWRITER no user name: the job counts as SYSTEM's\n");
    return STRING("SYSTEM");
}

bool FAXWRITER::CodePages(const JOBSCAN &scan, STRING *sff)
{
    const BASEIMAGE &pages = scan.GetPages();
    // The coder works on standard containers: memory running out inside the spooler must end
    // this job, never the spooler.
    try {
        std::vector<unsigned char> bytes;
        SFFCODEC::Bmp2Sff(reinterpret_cast<const unsigned char *>(pages.Data.GetBuffer()),
                          pages.Data.IsNull() ? 0 : static_cast<size_t>(pages.Data.Length()), bytes);
        *sff = STRING();
        sff->BlockSize = 20000;
        if (!sff->TryAppend(bytes.data(), static_cast<STRING_SIZE_T>(bytes.size())))
            return false;
    } catch (const std::bad_alloc &) {
        LOGIT::Printf("FAXWRITER no memory for the SFF file\n");
        return false;
    }
    return true;
}

void FAXWRITER::ShowWriteError()
{
    ShowError(kWriteError);
}

void FAXWRITER::ShowInvalidData()
{
    bool german = PRIMARYLANGID(LANGIDFROMLCID(GetThreadLocale())) == LANG_GERMAN;
    ShowError(german ? kInvalidGerman : kInvalidEnglish);
}
