// APPLISTHOST: APP as the host of the list updates (see applisthost.h).
#include <windows.h>

#include "client/applisthost.h"

#include <memory>

#include "client/app.h"
#include "client/appmessages.h"
#include "client/clientglobals.h"
#include "client/popuprequest.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/osysinfo.h"
#include "kestar/base/osysprogram.h"
#include "kestar/base/osysresource.h"
#include "kestar/windowing/statusbar.h"
#include "kestar/windowing/taskbaricon.h"
#include "lang/resource_ids.h"

namespace {

const char *Text(const STRING &s)
{
    return s.IsNull() ? "<NULL>" : static_cast<const char *>(s);
}

bool Flag(const STRING &text)
{
    return static_cast<int>(text) != 0;
}

} // namespace

STRING APPLISTHOST::GetSetting(const char *name)
{
    return App.GetSetting(name);
}

STRING APPLISTHOST::GetText(int id)
{
    return OSYS::GetStringFromResource(id);
}

STRING APPLISTHOST::GetOwnClientName()
{
    STRING name = OSYS::GetUserName();
    name += "@";
    name += OSYS::GetStationName();
    return name;
}

void APPLISTHOST::PrepareCallItem(HASH &item)
{
    APP::PrepareCallItem(item);
}

void APPLISTHOST::SetPeerLastId(const char *peer, const char *id)
{
    App.SetPeerLastId(peer, id);
}

void APPLISTHOST::SaveRecentCalls()
{
    App.SaveLocalFiles(1, 0, 0, 0, 0);
}

void APPLISTHOST::QueueJob(const char *name)
{
    App.AddQueuedFunction(name);
}

int APPLISTHOST::DispatchFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                                  int waitMs)
{
    return App.DispatchFunction(peer, command, params, result, sync, waitMs);
}

void APPLISTHOST::ReportCommError(const char *text)
{
    App.ReportCommError(text, "COMM", "NETWORK");
}

int APPLISTHOST::IdentifyCaller(HASH &item, HASH &caller, STRING *keyPosition)
{
    return App.IdentifyCaller(item, caller, keyPosition);
}

STRING APPLISTHOST::GetCallerFrontend(HASH &item)
{
    return App.GetCallerFrontend(item);
}

STRING APPLISTHOST::GetTargetFrontend(HASH &item)
{
    return App.GetTargetFrontend(item);
}

void APPLISTHOST::FillPopupString(POPUPREQUEST &request, HASH &item, HASH *target, DYNARRAY<HASH> &items)
{
    const POPUPTEXT text = App.FillPopupString(item, request.HasCaller ? &request.Caller : nullptr, target, items);
    request.Text = text.Text;
    request.TextColor = static_cast<unsigned long>(text.TextColor);
    request.BackgroundColor = static_cast<unsigned long>(text.BackColor);
    request.Position = text.Position;
    request.Blink = text.Blink;
}

STRING APPLISTHOST::BuildProgramCommandLine(int targetIndex, HASH *caller, const char *canonical, const char *number,
                                            const char *type)
{
    return App.BuildProgramCommandLine(targetIndex, caller, canonical, number, type);
}

void APPLISTHOST::WakeupHarddisk()
{
    OSYS::WakeupHarddisk(gWorkDir);
}

void APPLISTHOST::WakeupScreensaver()
{
    OSYS::WakeupScreensaver();
}

void APPLISTHOST::StartSound(const STRING &sounds)
{
    APP::StartPlaySound(sounds);
}

void APPLISTHOST::StartProgram(const STRING &commandLine)
{
    LOGIT::Printf("APP::UpdateListviewCreate starts %s\n", Text(commandLine));
    // The whole text is the command line: the program and its parameters as the target sets them.
    OSYS::RunProgram(commandLine, OSYS::GetStringFromResource(IDS_APPTITLE), false);
}

void APPLISTHOST::SetClickProgram(const STRING &commandLine)
{
    CRITSECTHOLD hold(App.PopupLock);
    App.ClickProgram = commandLine;
}

void APPLISTHOST::SetTrayTooltip(const STRING &text)
{
    CRITSECTHOLD hold(App.TrayLock);
    App.TrayTooltip = text;
    if (App.TrayIcon)
        App.TrayIcon->SetTooltip(text);
}

int APPLISTHOST::GetTrayIcon()
{
    CRITSECTHOLD hold(App.TrayLock);
    return App.TrayIconId;
}

void APPLISTHOST::SetTrayIcon(int iconId)
{
    CRITSECTHOLD hold(App.TrayLock);
    App.SetTrayIcon(iconId);
}

int APPLISTHOST::IsWindowOnScreen()
{
    return IsWindowVisible(App.hWnd) && !IsIconic(App.hWnd) ? 1 : 0;
}

void APPLISTHOST::PostPopupRequest(POPUPREQUEST *request)
{
    std::unique_ptr<POPUPREQUEST> owned(request);
    if (PostMessageA(App.hWnd, APPMSG::OPENPOPUPWINDOW, 0, reinterpret_cast<LPARAM>(request)))
        owned.release(); // the window deletes it
    else
        LOGIT::Printf("APP::UpdateListviewCreate PostMessage(1025) failed: %lu\n", GetLastError());
}

void APPLISTHOST::PostWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    PostMessageA(App.hWnd, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void APPLISTHOST::SendWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    SendMessageA(App.hWnd, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void APPLISTHOST::UpdatePopup(HASH &item, int seconds)
{
    (void)item;
    CRITSECTHOLD hold(App.PopupLock);
    if (App.Popup && seconds != -1)
        App.ArmTimer(1, static_cast<UINT>(seconds) * 1000 + 100);
}

void APPLISTHOST::DoScrollLockBlinking(int on)
{
    App.DoScrollLockBlinking(on);
}

int APPLISTHOST::PrintFaxSendingReport(HASH &item, int withDialog)
{
    return App.PrintFaxSendingReport(item, withDialog);
}

int APPLISTHOST::AppendCallLog(const char *file, int csv, HASH &item)
{
    return App.AppendCallLog(file, csv, item);
}

void APPLISTHOST::SetStatusText(const STRING &text)
{
    if (App.StatusBar)
        App.StatusBar->SetText(0, text);
}

void APPLISTHOST::ResetSearchBar()
{
    // The search bar comes with the main window's controls; nothing to reset before.
    LOGIT::Printf("APP::FillArchiveListview resets the search bar\n");
}

void APPLISTHOST::ItemToListview(ITEMVIEW &view, int index, int insert, int queueTreeRefresh, int postSort,
                                 int showAfterSort)
{
    view.ItemToListview(index, insert, queueTreeRefresh, postSort, showAfterSort, ITEMVIEW::FILTER_SETTING,
                        ITEMVIEW::FILTER_SETTING);
}

void APPLISTHOST::RemoveRow(ITEMVIEW &view, uint32_t handle)
{
    // The rows come with the list control; an item that left the list has no row to remove yet.
    (void)view;
    (void)handle;
}

void APPLISTHOST::ClearListview(ITEMVIEW &view)
{
    view.ClearListview();
}

void APPLISTHOST::FillListview(ITEMVIEW &view)
{
    view.FillListview(ITEMVIEW::FILTER_SETTING, ITEMVIEW::FILTER_SETTING);
}

void APPLISTHOST::AutoWidthListview(ITEMVIEW &view)
{
    view.AutoWidthListview(Flag(App.GetSetting("AutoWidthListview")) ? 1 : 0,
                           Flag(App.GetSetting("HideStatusColumn")) ? 1 : 0);
}
