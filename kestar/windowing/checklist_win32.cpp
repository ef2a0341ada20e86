// Check lists (see checklist.h).
#include "kestar/windowing/checklist.h"

#include "kestar/base/logit.h"
#include "kestar/base/string.h"

#include <vector>

CHECKLIST::CHECKLIST(HWND parent, int id, int placeholderId)
    : WINDOW(WS_CHILD, "", 0, 0, 40, 40, parent, id, 0, "WinClassOrvakCheckList"),
      List(LVS_SINGLESEL, 0, 0, 40, 40, hWnd, LIST_ID, 0)
{
    LOGIT::Printf("CHECKLIST::CHECKLIST\n");
    int size = GetIconSizeForDpi(16, hWnd);
    const int icons[] = {ICON_UNCHECKED, ICON_CHECKED};
    List.SetImages(size, size, icons, 2, true);
    List.ShowHeader(false);
    List.SetClientEdge(true);
    List.SetFullRowSelect(true);
    List.InsertColumnText(0, "", 20);
    if (placeholderId != -1) {
        CONTROL placeholder(parent, placeholderId);
        if (placeholder.hWnd != nullptr) {
            RECT rect = placeholder.GetRect();
            Move(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
            placeholder.Show(false);
            STRING text = placeholder.GetText();
            int lines = text.NumTokens("\n");
            for (int i = 0; i < lines; ++i) {
                STRING line = text.GetLine(i);
                line.Trim('R', " \r");
                if (line.NotEmpty())
                    AddItem(i, line, false);
            }
        }
    }
    SetZOrder(0, nullptr);
    Show(true);
    List.Show(true);
    LOGIT::Printf("CHECKLIST::CHECKLIST done\n");
}

CHECKLIST::~CHECKLIST()
{
    LOGIT::Printf("CHECKLIST::~CHECKLIST\n");
    if (List.hWnd != nullptr) {
        DestroyWindow(List.hWnd);
        List.hWnd = nullptr;
        List.AutoDestroy = 0;
    }
    if (hWnd != nullptr && AutoDestroy)
        DestroyWindow(hWnd);
    LOGIT::Printf("CHECKLIST::~CHECKLIST done\n");
}

bool CHECKLIST::AddItem(int id, const char *text, bool checked)
{
    int row = List.InsertRecordText(id, checked ? 1 : 0, text);
    List.AutoSizeColumns(-1, true);
    return row != -1;
}

int CHECKLIST::IsChecked(int id)
{
    return List.GetRecordImage(id) == 1 ? 1 : 0;
}

bool CHECKLIST::SetChecked(int id, bool checked)
{
    return List.SetRecordImage(id, checked ? 1 : 0);
}

LRESULT CHECKLIST::WinProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (List.hWnd != nullptr) {
            RECT client = GetClientRect();
            List.Move(0, 0, client.right - client.left, client.bottom - client.top);
            List.SetColumnWidth(0, client.right - client.left - 4);
        }
        return 0;
    case WM_ENABLE:
        if (List.hWnd != nullptr)
            List.Enable(wParam != 0);
        return 0;
    case WM_PAINT: {
        // The list covers the whole window; only what shows before it is laid out is painted.
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(&paint);
        if (dc)
            FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_WINDOW));
        EndPaint(&paint);
        return 0;
    }
    case WM_NOTIFY: {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header != nullptr && header->hwndFrom == List.hWnd && header->code == static_cast<UINT>(NM_CLICK)) {
            int id = List.GetSelectedHandle(0);
            if (id != -1)
                SetChecked(id, IsChecked(id) == 0);
            return 1;
        }
        break;
    }
    default:
        break;
    }
    return WINDOW::WinProc(message, wParam, lParam);
}
