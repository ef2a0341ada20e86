// RECORDINGWINDOW: a window whose every slot writes one line of what it was called with, so that
// tests can hold the dispatcher against a table of messages and the slots they must reach.  Each
// slot returns the value set for it in Results (0 unless set), so a test can also see what a
// non-zero slot result does.  Windows only.
#ifndef TESTS_SUPPORT_RECORDINGWINDOW_SUPPORT_H
#define TESTS_SUPPORT_RECORDINGWINDOW_SUPPORT_H

#if defined(_WIN32)

#include "kestar/windowing/window.h"

#include <map>
#include <string>
#include <vector>

class RECORDINGWINDOW : public WINDOW {
public:
    // A window of a class of its own; id is its Id (a top-level window's icon and query answer).
    explicit RECORDINGWINDOW(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr, int id = 0, int menuId = 0,
                             int x = 40, int y = 40, int width = 320, int height = 240);
    ~RECORDINGWINDOW() override;

    // The calls since the last Take or Clear, joined by blanks; then forgets them.
    std::string Take();
    void Clear() { Calls.clear(); }

    std::vector<std::string> Calls;        // one line per slot call, e.g. "OnNotify(-2,0)"
    std::map<std::string, LRESULT> Results; // slot name -> what it returns
    HWND LastControl = nullptr;            // the control of the last OnNotify / OnScroll
    RECT LastRect = {};                    // the rectangle of the last OnSizing / OnDpiChanged
    int ScaleSeenBySizing = 0;             // GetDpiScaleForRect inside the last OnSizing
    bool ConstructedBeforeCreate = false;  // OnCreate saw the constructor finished
    bool Constructed = false;

    LRESULT OnCreate() override;
    LRESULT OnActivate() override { return Record("OnActivate", "OnActivate"); }
    LRESULT OnDeactivate() override { return Record("OnDeactivate", "OnDeactivate"); }
    LRESULT OnCommand(int command) override;
    LRESULT OnPushbutton(int button) override;
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override;
    LRESULT OnScroll(int code, CONTROL *control, int position) override;
    LRESULT OnKey(KEYEVENT *key) override;
    LRESULT OnMenuLoop(UINT message, WPARAM wParam) override;
    LRESULT OnImeMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTimer(UINT_PTR timer) override;
    LRESULT OnMoved() override { return Record("OnMoved", "OnMoved"); }
    LRESULT OnSized() override { return Record("OnSized", "OnSized"); }
    LRESULT OnSizing(RECT *rect, int edges) override;
    LRESULT OnDpiChanged(int scale, RECT *suggested) override;
    LRESULT OnShow() override { return Record("OnShow", "OnShow"); }
    LRESULT OnHide() override { return Record("OnHide", "OnHide"); }
    LRESULT OnSetFocus() override { return Record("OnSetFocus", "OnSetFocus"); }
    LRESULT OnKillFocus() override { return Record("OnKillFocus", "OnKillFocus"); }
    LRESULT OnMinimized() override { return Record("OnMinimized", "OnMinimized"); }
    LRESULT OnRestored() override { return Record("OnRestored", "OnRestored"); }
    LRESULT OnMouse(UINT message, int x, int y, int keys) override;
    LRESULT OnDropFiles(int count, STRINGARRAY &paths) override;
    LRESULT OnCtlColor(UINT message, CONTROL *control, DRAWCONTEXT *context) override;
    LRESULT OnClose() override { return Record("OnClose", "OnClose"); }
    LRESULT OnDestroy() override { return Record("OnDestroy", "OnDestroy"); }
    LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnHelp() override { return Record("OnHelp", "OnHelp"); }
    LRESULT OnEndSession() override { return Record("OnEndSession", "OnEndSession"); }

private:
    LRESULT Record(const std::string &slot, const std::string &line);
};

#endif

#endif
