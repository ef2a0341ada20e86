// The notification pop-up's inlay: fonts, measuring, double-buffered drawing of the marked-up text
// and the clicks (see semitooltipinlay.h).
#include "kestar/windowing/semitooltipinlay.h"

#include "kestar/base/logit.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/drawcontext.h"
#include "kestar/windowing/memorybitmap.h"
#include "kestar/windowing/semitooltip.h"
#include "kestar/windowing/windraw.h"

#include <algorithm>
#include <string>

namespace {

typedef BOOL(WINAPI *GRADIENTFILL)(HDC, TRIVERTEX *, ULONG, void *, ULONG, ULONG);

COLOR16 Channel16(COLORREF colour, int shift)
{
    return static_cast<COLOR16>(((colour >> shift) & 0xFF) << 8);
}

// Colours from the caller are colour references; a top byte would ask the drawing context for
// alpha, which the pop-up never uses.
COLORREF Opaque(uint32_t colour)
{
    return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

std::u16string ToU16(const WSTRING &text)
{
    const char16_t *chars = text.GetBuffer();
    return chars ? std::u16string(chars, static_cast<size_t>(text.Length())) : std::u16string();
}

} // namespace

// The DC the measuring selects fonts into.
struct SEMITOOLTIPINLAY::MEASURING {
    SEMITOOLTIPINLAY *Self;
    HDC Dc;
};

SEMITOOLTIPINLAY::SEMITOOLTIPINLAY(SEMITOOLTIP &popup, const char *text, COLORREF textColour, COLORREF background,
                                   const char *fontText, int marginX, int marginY)
    : CHILDWINDOW(popup, ID, 0, 0, 10, 10, WS_VISIBLE, "OrvakWinClassSemitooltipInlay"),
      Popup(&popup),
      TextColour(Opaque(textColour)),
      Background(Opaque(background)),
      MarginX(marginX),
      MarginY(marginY),
      FontNormal(hWnd),
      FontBold(hWnd),
      FontSmall(hWnd),
      FontSmallBold(hWnd),
      Msimg32("Msimg32.dll", "GradientFill")
{
    // A pop-up without a text shows an empty box instead of reading a null text.
    if (LOGIT::Assert(text != nullptr, "this->TextWide.NotNull()", "semitooltip", __LINE__, nullptr, 0) &&
        text != nullptr) {
        WSTRING raw(text, 1252);
        std::u16string expanded = POPUPMARKUP::ExpandControls(ToU16(raw));
        TextWide = WSTRING(expanded.c_str(), static_cast<STRING_SIZE_T>(expanded.size()));
        TextWide.SetNotNull();
        Lines = POPUPMARKUP::Parse(expanded);
    }
    FontText = (fontText && *fontText) ? STRING(fontText) : WINDRAW::GetIconTitleFontSpec();
    if (FontText.IsEmpty())
        FontText = "8.MS Shell Dlg";
    std::string spec(static_cast<const char *>(FontText));
    if (!FontNormal.Create(spec.c_str()))
        FontNormal.Create("8.MS Shell Dlg");
    FontBold.Create(POPUPMARKUP::FontVariant(spec, true, false).c_str());
    FontSmall.Create(POPUPMARKUP::FontVariant(spec, false, true).c_str());
    FontSmallBold.Create(POPUPMARKUP::FontVariant(spec, true, true).c_str());
    MeasureText();
}

SEMITOOLTIPINLAY::~SEMITOOLTIPINLAY()
{
    Closing = true;
}

HFONT SEMITOOLTIPINLAY::FontFor(const POPUPMARKUP::SEGMENT &segment)
{
    HFONT font = nullptr;
    if (segment.Small)
        font = segment.Bold ? FontSmallBold.Get() : FontSmall.Get();
    else if (segment.Bold)
        font = FontBold.Get();
    if (font == nullptr)
        font = FontNormal.Get();
    if (font == nullptr)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return font;
}

POPUPMARKUP::EXTENT SEMITOOLTIPINLAY::Measure(void *context, const POPUPMARKUP::SEGMENT &segment)
{
    MEASURING *m = static_cast<MEASURING *>(context);
    HGDIOBJ old = SelectObject(m->Dc, m->Self->FontFor(segment));
    POPUPMARKUP::EXTENT e;
    TEXTMETRICW metrics = {};
    GetTextMetricsW(m->Dc, &metrics);
    e.Height = metrics.tmHeight;
    if (!segment.Text.empty()) {
        SIZE size = {};
        GetTextExtentPoint32W(m->Dc, reinterpret_cast<const wchar_t *>(segment.Text.data()),
                              static_cast<int>(segment.Text.size()), &size);
        e.Width = size.cx;
        e.Height = std::max<int>(e.Height, size.cy);
    }
    SelectObject(m->Dc, old);
    return e;
}

void SEMITOOLTIPINLAY::MeasureText()
{
    HDC dc = ::GetDC(hWnd);
    if (!ORVAK_ASSERT(dc != nullptr) || dc == nullptr)
        return;
    MEASURING m = {this, dc};
    POPUPMARKUP::SEGMENT normal;
    normal.Text = u"o";
    POPUPMARKUP::EXTENT o = Measure(&m, normal);
    POPUPMARKUP::DefaultMargins(o.Width, o.Height, &MarginX, &MarginY);
    if (TextWide.IsNull()) {
        TextWidth = TextHeight = 0;
    } else if (!POPUPMARKUP::IsMultiLine(ToU16(TextWide))) {
        // One line is shown as it stands, in the normal font.
        normal.Text = ToU16(TextWide);
        POPUPMARKUP::EXTENT e = Measure(&m, normal);
        TextWidth = e.Width;
        TextHeight = e.Height;
    } else {
        POPUPMARKUP::EXTENT e = POPUPMARKUP::MeasureLines(Lines, Measure, &m);
        TextWidth = e.Width;
        TextHeight = e.Height;
    }
    ::ReleaseDC(hWnd, dc);
}

bool SEMITOOLTIPINLAY::GetClickRect(int index, RECT *rect, int *id) const
{
    if (index < 0 || index >= NumClickRects)
        return false;
    if (rect)
        *rect = ClickRects[index].Rect;
    if (id)
        *id = ClickRects[index].Id;
    return true;
}

LRESULT SEMITOOLTIPINLAY::WinProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PRINTCLIENT) {
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return CHILDWINDOW::WinProc(message, wParam, lParam);
}

LRESULT SEMITOOLTIPINLAY::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(&paint);
    if (dc)
        PaintTo(dc);
    EndPaint(&paint);
    return 1;
}

void SEMITOOLTIPINLAY::FillGradient(HDC dc, const RECT &rect, COLORREF from, COLORREF to, bool vertical)
{
    GRADIENTFILL fill = reinterpret_cast<GRADIENTFILL>(Msimg32.GetFunction());
    if (fill == nullptr) {
        // Without GradientFill: a flat fill of the first colour.
        HBRUSH brush = CreateSolidBrush(from);
        ::FillRect(dc, &rect, brush);
        DeleteObject(brush);
        return;
    }
    TRIVERTEX v[2] = {};
    v[0].x = rect.left;
    v[0].y = rect.top;
    v[0].Red = Channel16(from, 0);
    v[0].Green = Channel16(from, 8);
    v[0].Blue = Channel16(from, 16);
    v[1].x = rect.right;
    v[1].y = rect.bottom;
    v[1].Red = Channel16(to, 0);
    v[1].Green = Channel16(to, 8);
    v[1].Blue = Channel16(to, 16);
    GRADIENT_RECT g = {0, 1};
    fill(dc, v, 2, &g, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

void SEMITOOLTIPINLAY::DrawBackground(HDC dc, const RECT &client)
{
    HBRUSH brush = CreateSolidBrush(Background);
    ::FillRect(dc, &client, brush);
    DeleteObject(brush);
    if (Msimg32.GetFunction())
        FillGradient(dc, client, POPUPMARKUP::Lighten(Background, 50), Background, true);
}

void SEMITOOLTIPINLAY::DrawSeparator(HDC dc, int left, int right, int y)
{
    if (right <= left)
        return;
    const int steps = POPUPMARKUP::SEPARATOR_STEPS;
    int width = right - left;
    for (int i = 0; i < steps; ++i) {
        RECT step = {left + width * i / steps, y, left + width * (i + 1) / steps, y + 2};
        COLORREF from = POPUPMARKUP::SeparatorColour(Background, i);
        COLORREF to = POPUPMARKUP::SeparatorColour(Background, i + 1);
        if (Msimg32.GetFunction() == nullptr)
            from = POPUPMARKUP::Darken(Background, 20);
        FillGradient(dc, step, from, to, false);
    }
}

void SEMITOOLTIPINLAY::DrawLines(HDC dc, const RECT &client)
{
    // The table is recorded by the first drawing only: later ones see the same layout.
    bool record = NumClickRects == 0;
    MEASURING m = {this, dc};
    int y = MarginY - 2;
    for (const POPUPMARKUP::LINE &line : Lines) {
        POPUPMARKUP::LINELAYOUT layout = POPUPMARKUP::LayoutLine(line, MarginX, y, Measure, &m);
        for (const POPUPMARKUP::PLACED &placed : layout.Items) {
            const POPUPMARKUP::SEGMENT &segment = line[placed.Segment];
            RECT box = {placed.Left, placed.Top, placed.Right, placed.Bottom};
            if (segment.Separator) {
                DrawSeparator(dc, placed.Left - MarginX / 2, client.right - MarginX / 2, y + layout.Height * 2 / 3);
                continue;
            }
            if (segment.Clickable) {
                int id = segment.Id;
                if (record && NumClickRects < POPUPMARKUP::MAX_CLICKRECTS) {
                    ClickRects[NumClickRects].Rect = box;
                    ClickRects[NumClickRects].Id = id;
                    ++NumClickRects;
                }
                COLORREF fill = segment.HasBackground ? Opaque(segment.Background) : POPUPMARKUP::Lighten(Background, 60);
                HBRUSH brush = CreateSolidBrush(fill);
                ::FillRect(dc, &box, brush);
                DeleteObject(brush);
                HBRUSH edge = CreateSolidBrush(POPUPMARKUP::Darken(Background, 35));
                FrameRect(dc, &box, edge);
                DeleteObject(edge);
                POINT mouse = {MouseX, MouseY};
                // Edges count as inside, as for the click.
                bool hover = mouse.x >= box.left && mouse.x <= box.right && mouse.y >= box.top && mouse.y <= box.bottom;
                if (hover && !Closing) {
                    RECT inner = {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
                    bool pressed = MouseButton == WM_LBUTTONDOWN;
                    HBRUSH frame = CreateSolidBrush(pressed ? POPUPMARKUP::Darken(Background, 60) : TextColour);
                    FrameRect(dc, &inner, frame);
                    if (pressed) {
                        RECT second = {inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1};
                        FrameRect(dc, &second, frame);
                    }
                    DeleteObject(frame);
                }
            } else if (segment.HasBackground) {
                HBRUSH brush = CreateSolidBrush(Opaque(segment.Background));
                ::FillRect(dc, &box, brush);
                DeleteObject(brush);
            }
            if (segment.Text.empty())
                continue;
            HGDIOBJ old = SelectObject(dc, FontFor(segment));
            SetTextColor(dc, segment.HasColour ? Opaque(segment.Colour) : TextColour);
            ::TextOutW(dc, placed.TextX, placed.TextY, reinterpret_cast<const wchar_t *>(segment.Text.data()),
                       static_cast<int>(segment.Text.size()));
            SelectObject(dc, old);
        }
        y += layout.Height;
    }
}

void SEMITOOLTIPINLAY::PaintTo(HDC target)
{
    RECT client = GetClientRect();
    if (client.right <= 0 || client.bottom <= 0)
        return;
    MEMORYBITMAP bitmap(hWnd, client.right, client.bottom);
    HDC dc = bitmap.GetDC();
    if (dc == nullptr)
        return;
    DrawBackground(dc, client);
    SetBkMode(dc, TRANSPARENT);
    if (TextWide.NotEmpty()) {
        if (!POPUPMARKUP::IsMultiLine(ToU16(TextWide))) {
            HGDIOBJ old = SelectObject(dc, FontNormal.Get() ? FontNormal.Get() : GetStockObject(DEFAULT_GUI_FONT));
            SetTextColor(dc, TextColour);
            RECT all = client;
            DrawTextW(dc, TextWide.GetWide(), static_cast<int>(TextWide.Length()), &all,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, old);
        } else {
            DrawLines(dc, client);
        }
    }
    bitmap.BitBlt(0, 0, target);
}

LRESULT SEMITOOLTIPINLAY::OnMouse(UINT message, int x, int y, int keys)
{
    (void)keys;
    switch (message) {
    case WM_MOUSEMOVE:
        if (Closing || (x == MouseX && y == MouseY))
            return 1;
        MouseX = x;
        MouseY = y;
        MouseButton = 0;
        Invalidate(nullptr, false);
        return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        MouseX = x;
        MouseY = y;
        MouseButton = message;
        int id = -1;
        if (message == WM_LBUTTONDOWN) {
            for (int i = 0; i < NumClickRects; ++i) {
                const RECT &r = ClickRects[i].Rect;
                if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) {
                    id = ClickRects[i].Id;
                    // The pressed look, seen for a moment before the pop-up acts.
                    Invalidate(nullptr, false);
                    UpdateWindow(hWnd);
                    Sleep(100);
                    break;
                }
            }
        }
        CONTROL popup(Popup->hWnd);
        popup.PostUserMessage(WM__POPUPCLICK, message, id);
        return 1;
    }
    default:
        return 0;
    }
}
