// APP: the list updates from the server, the archive thread, the Scroll Lock signal, the fax
// sending report and the least handling of their window messages (see app.h, listupdate.h).
#include <windows.h>

#include "client/app.h"

#include <memory>

#include "client/appmessages.h"
#include "client/faxreport.h"
#include "client/listupdate.h"
#include "client/popuprequest.h"
#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/base/osysfile.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysresource.h"
#include "kestar/base/osysthread.h"
#include "kestar/base/winwait.h"
#include "kestar/media/printer.h"
#include "kestar/windowing/semitooltip.h"
#include "lang/resource_ids.h"

namespace {

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

const int kTimerPopup = 1;
const int kTimerScrollLock = 2;

// The archive thread's start block: the APP and a copy of the query.
struct ARCHIVEJOB {
    APP *App;
    STRING Query;
};

unsigned ArchiveThread(void *argument)
{
    OSYS::InitThreadCrashHandler();
    std::unique_ptr<ARCHIVEJOB> job(static_cast<ARCHIVEJOB *>(argument));
    job->App->FillArchiveListview(job->Query);
    return 0;
}

} // namespace

APP::SCROLLLOCKFUNCTION APP::SetScrollLockLight = OSYS::SetScrollLock;

int APP::UpdateListviewCreate(ITEMVIEW &view, HASH &item, uint32_t id, const char *sender, int quiet)
{
    return ListUpdate ? ListUpdate->Create(view, item, id, sender, quiet) : -1;
}

int APP::UpdateListviewChange(HASH &item, uint32_t id, int quiet)
{
    return ListUpdate ? ListUpdate->Change(item, id, quiet) : 0;
}

void APP::UpdateListviewDelete(const char *ids)
{
    if (ListUpdate)
        ListUpdate->Delete(ids);
}

void APP::UpdateListviewArchive(const char *state, const char *ids)
{
    if (ListUpdate)
        ListUpdate->Archive(state, ids);
}

void APP::RemoveListviewItem(ITEMVIEW &view, int index)
{
    if (ListUpdate)
        ListUpdate->RemoveItem(view, index);
}

bool APP::StartFillArchiveListview(const char *query)
{
    CRITSECTHOLD hold(ArchiveLock);
    if (FillArchiveRunning || !ListUpdate) {
        LOGIT::Printf("APP::StartFillArchiveListview an archive fill runs already\n");
        return false;
    }
    if (hFillArchiveLvThread) {
        CloseHandle(hFillArchiveLvThread);
        hFillArchiveLvThread = nullptr;
    }
    FillArchiveRunning = 1;
    hFillArchiveLvThread = OSYS::CreateThread(ArchiveThread, new ARCHIVEJOB{this, STRING(query ? query : "")});
    if (!hFillArchiveLvThread) {
        // The start block is the thread's: without a thread it is lost, a few bytes, never used.
        FillArchiveRunning = 0;
        LOGIT::Printf("APP::StartFillArchiveListview no thread\n");
        return false;
    }
    return true;
}

void APP::StopFillArchiveListview()
{
    void *thread = nullptr;
    {
        CRITSECTHOLD hold(ArchiveLock);
        thread = hFillArchiveLvThread;
        hFillArchiveLvThread = nullptr;
    }
    if (!thread)
        return;
    if (ListUpdate && FillArchiveRunning)
        ListUpdate->ArchiveStop = 1;
    // The thread sends to the window: this thread keeps dispatching while it waits.
    WINWAIT::WaitForHandle(thread, -1);
    CloseHandle(thread);
}

void APP::FillArchiveListview(const char *query)
{
    if (ListUpdate)
        ListUpdate->FillArchive(query);
    FillArchiveRunning = 0;
}

void APP::DoScrollLockBlinking(int on)
{
    if (on) {
        if (static_cast<int>(GetSetting("ScrollLockBlinking")) == 0 || ScrollLockBlinks.exchange(1))
            return;
        LOGIT::Printf("APP::DoScrollLockBlinking: blinking starts...\n");
        ArmTimer(kTimerScrollLock, 1000);
        return;
    }
    if (!ScrollLockBlinks.exchange(0))
        return;
    LOGIT::Printf("APP::DoScrollLockBlinking: blinking stops...\n");
    // A tick already queued finds the flag cleared and leaves the light alone.
    ArmTimer(kTimerScrollLock, 0);
    Sleep(static_cast<DWORD>(LISTUPDATE::ScrollLockOffMs.load()));
    SetScrollLockLight(0);
}

void APP::ArmTimer(UINT_PTR timer, UINT ms)
{
    if (GetWindowThreadProcessId(hWnd, nullptr) != GetCurrentThreadId()) {
        PostMessageA(hWnd, APPMSG::SETTIMER, timer, static_cast<LPARAM>(ms));
        return;
    }
    if (ms)
        SetTimer(timer, ms);
    else
        KillTimer(timer);
}

int APP::HandleListTimer(UINT_PTR timer)
{
    if (timer == kTimerPopup) {
        KillTimer(kTimerPopup);
        CRITSECTHOLD hold(PopupLock);
        delete Popup;
        Popup = nullptr;
        return 1;
    }
    if (timer == kTimerScrollLock) {
        if (ScrollLockBlinks)
            SetScrollLockLight(2);
        return 1;
    }
    return 0;
}

int APP::HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case APPMSG::OPENPOPUPWINDOW: {
        // The pop-up itself is the main window's; the request is ours to free.
        std::unique_ptr<POPUPREQUEST> request(reinterpret_cast<POPUPREQUEST *>(lParam));
        if (request)
            LOGIT::Printf("APP::WinProc WM__OPENPOPUPWINDOW item=%d, target=%d, caller=%d, text=%s\n", request->ItemIndex,
                          request->TargetIndex, request->HasCaller, Text(request->Text));
        return 1;
    }
    case APPMSG::SETTIMER:
        ArmTimer(static_cast<UINT_PTR>(wParam), static_cast<UINT>(lParam));
        return 1;
    case APPMSG::LASTRECORDFOCUS:
        LOGIT::Printf("APP::WinProc WM__LASTRECORDFOCUS handle=%lu\n", static_cast<unsigned long>(wParam));
        return 1;
    case APPMSG::TASKBARNOTIFY:
        LOGIT::Printf("APP::WinProc WM__TASKBARNOTIFY mouse=%ld\n", static_cast<long>(lParam));
        return 1;
    case APPMSG::PLEASEWAITDLGOPEN:
        LOGIT::Printf("APP::WinProc WM__PLEASEWAITDLGOPEN delay=%lu, stopflag=%d\n", static_cast<unsigned long>(wParam),
                      lParam != 0 ? 1 : 0);
        return 1;
    case APPMSG::PLEASEWAITDLGCLOSE:
        LOGIT::Printf("APP::WinProc WM__PLEASEWAITDLGCLOSE\n");
        return 1;
    case APPMSG::PLEASEWAITDLGSETTEXT:
        LOGIT::Printf("APP::WinProc WM__PLEASEWAITDLGSETTEXT text=%s\n",
                      wParam ? reinterpret_cast<const char *>(wParam) : "<NULL>");
        return 1;
    default:
        return 0;
    }
}

int APP::PrintFaxSendingReport(HASH &item, int withDialog)
{
    LOGIT::Printf("APP::PrintFaxSendingReport entered\n");
    STRING *info = nullptr;
    STRING *msgFile = nullptr;
    if (!item.Exists("TransmissionInfo", &info) || !info || info->IsEmpty()) {
        LOGIT::Assert(0, "item[\"TransmissionInfo\"].NotEmpty()", "miscclient", 688, nullptr, 0);
        return 1;
    }
    if (!item.Exists("MsgFile", &msgFile) || !msgFile || msgFile->IsEmpty() || (*msgFile)[0] != '.') {
        LOGIT::Assert(0, "msgfile[0]=='.'", "miscclient", 689, msgFile ? static_cast<const char *>(*msgFile) : nullptr,
                      0);
        return 1;
    }
    const STRING local = PeerMsgFile(item, *msgFile);
    int rc = 0;
    if (local.NotEmpty() && FileExists(local)) {
        PRINTER printer;
        if (withDialog) {
            rc = printer.PrinterDialog(hWnd, nullptr, nullptr, -1, nullptr, 0, 0, nullptr) ? 1 : 0;
            LOGIT::Printf("APP::PrintFaxSendingReport opened print selection dialog, rc=%d\n", rc);
        } else {
            const STRING special = GetSetting("FaxSendSpecialPrinter");
            if (special.NotEmpty()) {
                rc = printer.PrinterOpen(nullptr, &special) ? 1 : 0;
                LOGIT::Printf("APP::PrintFaxSendingReport opened preselected printer, rc=%d\n", rc);
            } else {
                rc = printer.PrinterDialog(hWnd, nullptr, nullptr, -1, nullptr, 1, 0, nullptr) ? 1 : 0;
                LOGIT::Printf("APP::PrintFaxSendingReport no preselected printer data, opened default printer, rc=%d\n",
                              rc);
            }
        }
        if (rc) {
            const STRING text =
                GetTransmissionInfoText(item, OSYS::GetStringFromResource(IDS_FAXREPORT));
            if (!FAXREPORT::Print(printer, "Parlomatix Fax Report", text, local,
                                  OSYS::GetStringFromResource(IDS_FAXREPORTWORDS)))
                rc = 0;
        }
    }
    // The fetched copy is ours on every path.
    if (local.NotEmpty()) {
        FILENAME copy;
        copy.SetText(local);
        if (copy.Exists() && !copy.Delete())
            LOGIT::Printf("APP::PrintFaxSendingReport cannot delete %s\n", Text(local));
    }
    LOGIT::Printf("APP::PrintFaxSendingReport finished, rc=%d\n", rc);
    return rc;
}
