// APPLISTHOST: the list updates' host in the program: APP's settings, language texts, caller
// lookups and item texts, and its window (pop-up, tray, rows, messages).  Windows only.
//
// Threads: the list code calls it on remote-call threads and the archive thread; what the window
// must do is posted or sent to it, or taken under APP's locks.
#ifndef CLIENT_APPLISTHOST_H
#define CLIENT_APPLISTHOST_H

#include "client/listupdatehost.h"

class APP;

class APPLISTHOST : public LISTUPDATEHOST {
public:
    // app is borrowed and must outlive the host.
    explicit APPLISTHOST(APP &app) : App(app) {}

    STRING GetSetting(const char *name) override;
    STRING GetText(int id) override;
    STRING GetOwnClientName() override;
    void PrepareCallItem(HASH &item) override;
    void SetPeerLastId(const char *peer, const char *id) override;
    void SaveRecentCalls() override;
    void QueueJob(const char *name) override;
    int DispatchFunction(const char *peer, const char *command, HASH &params, STRING &result, int sync,
                         int waitMs) override;
    void ReportCommError(const char *text) override;
    int IdentifyCaller(HASH &item, HASH &caller, STRING *keyPosition) override;
    STRING GetCallerFrontend(HASH &item) override;
    STRING GetTargetFrontend(HASH &item) override;
    void FillPopupString(POPUPREQUEST &request, HASH &item, HASH *target, DYNARRAY<HASH> &items) override;
    STRING BuildProgramCommandLine(int targetIndex, HASH *caller, const char *canonical, const char *number,
                                   const char *type) override;
    void WakeupHarddisk() override;
    void WakeupScreensaver() override;
    void StartSound(const STRING &sounds) override;
    void StartProgram(const STRING &commandLine) override;
    void SetClickProgram(const STRING &commandLine) override;
    void SetTrayTooltip(const STRING &text) override;
    int GetTrayIcon() override;
    void SetTrayIcon(int iconId) override;
    int IsWindowOnScreen() override;
    void PostPopupRequest(POPUPREQUEST *request) override;
    void PostWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void SendWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void UpdatePopup(HASH &item, int seconds) override;
    void DoScrollLockBlinking(int on) override;
    int PrintFaxSendingReport(HASH &item, int withDialog) override;
    int AppendCallLog(const char *file, int csv, HASH &item) override;
    void SetStatusText(const STRING &text) override;
    void ResetSearchBar() override;
    void ItemToListview(ITEMVIEW &view, int index, int insert, int queueTreeRefresh, int postSort,
                        int showAfterSort) override;
    void RemoveRow(ITEMVIEW &view, uint32_t handle) override;
    void ClearListview(ITEMVIEW &view) override;
    void FillListview(ITEMVIEW &view) override;
    void AutoWidthListview(ITEMVIEW &view) override;

private:
    APP &App; // borrowed
};

#endif
