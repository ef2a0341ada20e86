// The recording window of the dispatch tests (see recordingwindow_support.h).
#include "tests/support/recordingwindow_support.h"

#include "kestar/base/keyboard.h"
#include "kestar/base/stringarray.h"
#include "kestar/windowing/control.h"

#include <cstdio>

namespace {

std::string Format(const char *format, long long a, long long b = 0, long long c = 0, long long d = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

} // namespace

RECORDINGWINDOW::RECORDINGWINDOW(DWORD style, HWND parent, int id, int menuId, int x, int y, int width, int height)
    : WINDOW(style, "Recording", x, y, width, height, parent, id, menuId)
{
    Constructed = true;
}

RECORDINGWINDOW::~RECORDINGWINDOW()
{
}

std::string RECORDINGWINDOW::Take()
{
    std::string all;
    for (const std::string &line : Calls) {
        if (!all.empty())
            all += " ";
        all += line;
    }
    Calls.clear();
    return all;
}

LRESULT RECORDINGWINDOW::Record(const std::string &slot, const std::string &line)
{
    Calls.push_back(line);
    auto it = Results.find(slot);
    return it == Results.end() ? 0 : it->second;
}

LRESULT RECORDINGWINDOW::OnCreate()
{
    ConstructedBeforeCreate = Constructed;
    return Record("OnCreate", "OnCreate");
}

LRESULT RECORDINGWINDOW::OnCommand(int command)
{
    return Record("OnCommand", Format("OnCommand(%lld)", command));
}

LRESULT RECORDINGWINDOW::OnPushbutton(int button)
{
    return Record("OnPushbutton", Format("OnPushbutton(%lld)", button));
}

LRESULT RECORDINGWINDOW::OnNotify(int code, CONTROL *control, LPARAM data)
{
    LastControl = control ? control->hWnd : nullptr;
    return Record("OnNotify", Format("OnNotify(%lld,%lld)", code, static_cast<long long>(data)));
}

LRESULT RECORDINGWINDOW::OnScroll(int code, CONTROL *control, int position)
{
    LastControl = control ? control->hWnd : nullptr;
    return Record("OnScroll", Format("OnScroll(%lld,%lld)", code, position));
}

LRESULT RECORDINGWINDOW::OnKey(KEYEVENT *key)
{
    return Record("OnKey", Format("OnKey(%04llx)", key ? key->Message : 0));
}

LRESULT RECORDINGWINDOW::OnMenuLoop(UINT message, WPARAM wParam)
{
    return Record("OnMenuLoop", Format("OnMenuLoop(%04llx,%lld)", message, static_cast<long long>(wParam)));
}

LRESULT RECORDINGWINDOW::OnImeMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    return Record("OnImeMessage", Format("OnImeMessage(%04llx)", message));
}

LRESULT RECORDINGWINDOW::OnTimer(UINT_PTR timer)
{
    return Record("OnTimer", Format("OnTimer(%lld)", static_cast<long long>(timer)));
}

LRESULT RECORDINGWINDOW::OnSizing(RECT *rect, int edges)
{
    if (rect)
        LastRect = *rect;
    ScaleSeenBySizing = GetDpiScaleForRect(rect);
    return Record("OnSizing", Format("OnSizing(%lld)", edges));
}

LRESULT RECORDINGWINDOW::OnDpiChanged(int scale, RECT *suggested)
{
    if (suggested)
        LastRect = *suggested;
    return Record("OnDpiChanged", Format("OnDpiChanged(%lld)", scale));
}

LRESULT RECORDINGWINDOW::OnMouse(UINT message, int x, int y, int keys)
{
    return Record("OnMouse", Format("OnMouse(%04llx,%lld,%lld,%lld)", message, x, y, keys));
}

LRESULT RECORDINGWINDOW::OnDropFiles(int count, STRINGARRAY &paths)
{
    std::string line = Format("OnDropFiles(%lld", count);
    for (STRING_SIZE_T i = 0; i < paths.NumItems(); ++i) {
        line += ",";
        line += static_cast<const char *>(*paths[i]);
    }
    return Record("OnDropFiles", line + ")");
}

LRESULT RECORDINGWINDOW::OnCtlColor(UINT message, CONTROL *control, DRAWCONTEXT *context)
{
    (void)context;
    LastControl = control ? control->hWnd : nullptr;
    return Record("OnCtlColor", Format("OnCtlColor(%04llx)", message));
}

LRESULT RECORDINGWINDOW::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Record("OnUserMessage", Format("OnUserMessage(%04llx,%lld,%lld)", message, static_cast<long long>(wParam),
                                          static_cast<long long>(lParam)));
}
