// The toolbar's rules (see toolbarmath.h).
#include "kestar/windowing/toolbarmath.h"

#include "kestar/base/logit.h"

namespace TOOLBARMATH {

unsigned InitialState(unsigned style)
{
    if (style & (0x200 | 0x2000 | STYLE_MENUONLY))
        return STATE_ENABLED | STATE_HIDDEN;
    return STATE_ENABLED;
}

int ArrowWidth(int s)
{
    return s / 2 < 14 ? s / 2 - 1 : 12;
}

bool HasDropDown(const BUTTON &button)
{
    return (button.Style & (STYLE_DROPDOWN | STYLE_ARROW)) != 0;
}

bool DoArrange(BUTTON *buttons, int count, int s, int width)
{
    LOGIT::PrintfLevel(7, "NEWTOOLBAR::DoArrange, width= %d\n", width);
    int x = 0;
    int a = ArrowWidth(s);
    int top = s / 2 < 12 ? s / 2 + 1 : 12;
    bool tooWide = false;
    for (int i = 0; i < count; ++i) {
        BUTTON &b = buttons[i];
        bool dropDown = HasDropDown(b);
        int w;
        if ((b.TextFlags & TEXT_HAS) && !(b.TextFlags & TEXT_DROPPED))
            w = s + (dropDown ? a : 5) + b.TextWidth + s / 4;
        else
            w = dropDown ? s + a : s + 1;
        b.Width = w;
        if (x + w + 12 < width)
            b.State &= ~STATE_NOFIT;
        else
            b.State |= STATE_NOFIT;
        bool hidden = (b.State & STATE_HIDDEN) != 0;
        if (!hidden && (b.Style & STYLE_GAP))
            x += 8;
        b.X = x;
        b.Y = hidden ? -100 : top;
        if (!hidden)
            x += w + (dropDown ? 9 : 8);
        if (x > width)
            tooWide = true;
    }
    LOGIT::PrintfLevel(7, "NEWTOOLBAR::DoArrange done\n");
    return tooWide;
}

int ArrangeButtons(BUTTON *buttons, int count, int s, int width)
{
    for (int i = 0; i < count; ++i) {
        if (buttons[i].HasText)
            buttons[i].TextFlags |= TEXT_HAS;
        else
            buttons[i].TextFlags &= ~TEXT_HAS;
        buttons[i].TextFlags &= ~TEXT_DROPPED;
    }
    int dropped = 0;
    while (DoArrange(buttons, count, s, width)) {
        int i = count - 1;
        while (i >= 0 && !((buttons[i].TextFlags & TEXT_HAS) && !(buttons[i].TextFlags & TEXT_DROPPED)))
            --i;
        if (i < 0)
            break;
        buttons[i].TextFlags |= TEXT_DROPPED;
        ++dropped;
    }
    return dropped;
}

namespace {

bool IsGroupButton(const BUTTON &b)
{
    return (b.Style & (STYLE_CHECK | STYLE_GROUP)) == (STYLE_CHECK | STYLE_GROUP);
}

} // namespace

bool CheckButton(BUTTON *buttons, int count, int index, bool on)
{
    if (index < 0 || index >= count)
        return false;
    BUTTON &b = buttons[index];
    if (b.State & STATE_HIDDEN)
        return false;
    if (!ORVAK_ASSERT(b.Style & STYLE_CHECK))
        return false;
    if (!(b.Style & STYLE_CHECK))
        return false;
    if (on) {
        b.State |= STATE_CHECKED;
        if (IsGroupButton(b)) {
            for (int i = index - 1; i >= 0 && IsGroupButton(buttons[i]); --i)
                buttons[i].State &= ~(STATE_CHECKED | STATE_HOT);
            for (int i = index + 1; i < count && IsGroupButton(buttons[i]); ++i)
                buttons[i].State &= ~(STATE_CHECKED | STATE_HOT);
        }
    } else if (!IsGroupButton(b)) {
        b.State &= ~(STATE_CHECKED | STATE_HOT);
    }
    return true;
}

std::u16string ButtonText(const std::u16string &menuText)
{
    if (menuText.empty())
        return menuText;
    std::u16string text;
    for (size_t i = 0; i < menuText.size(); ++i) {
        char16_t c = menuText[i];
        if (c == u'\t')
            break;
        if (c == u'&')
            continue;
        if (c == u'.' && menuText.compare(i, 3, u"...") == 0) {
            i += 2;
            continue;
        }
        text += c;
    }
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.pop_back();
    text += u' ';
    return text;
}

std::string TooltipText(const std::string &menuText)
{
    std::string text = menuText;
    size_t tab = text.find('\t');
    if (tab != std::string::npos)
        text = text.substr(0, tab) + "  (" + text.substr(tab + 1) + ")";
    if (text.size() > static_cast<size_t>(TOOLTIP_BYTES))
        text.resize(TOOLTIP_BYTES);
    return text;
}

int GreyOf(int r, int g, int b)
{
    return (r * 76 / 255 + g * 150 / 255 + b * 28 / 255) / 32 * 3104 / 223 + 128;
}

bool MenuItemData(int menuId, bool menuBar, int id, uint32_t *data)
{
    // The low 15 bits carry the id; bit 15 marks the menu bar.
    if (!ORVAK_ASSERT_INFO(id >= 0 && id < 0x8000, "menu item id beyond 15 bits") || id < 0 || id >= 0x8000)
        return false;
    *data = (static_cast<uint32_t>(menuId) << 16) | (menuBar ? 0x8000u : 0u) | static_cast<uint32_t>(id);
    return true;
}

void SplitMenuText(const std::u16string &text, std::u16string *label, std::u16string *shortcut)
{
    std::u16string clean;
    for (char16_t c : text)
        if (c != u'&')
            clean += c;
    size_t tab = clean.find(u'\t');
    if (tab == std::u16string::npos) {
        *label = clean;
        shortcut->clear();
    } else {
        *label = clean.substr(0, tab);
        *shortcut = clean.substr(tab + 1);
    }
}

void MenuItemSize(int labelWidth, int shortcutWidth, bool hasShortcut, int textHeight, int s, bool menuBar,
                  int *width, int *height)
{
    *width = labelWidth + (hasShortcut ? shortcutWidth + 16 : 0) + (menuBar ? 4 : s + 30);
    *height = (textHeight > s ? textHeight : s) + 3;
}

LOOK LookFor(int v, bool manifest)
{
    LOOK look;
    look.Themed = v > 2;
    look.MenuHilight = v >= 3;
    look.MenuBarImages = v >= 6;
    look.Bar = v >= 7 ? BAR_MENUBAR : ((v == 5 || v == 6) && manifest) ? BAR_REBARTHEME : BAR_BTNFACE;
    look.HighlightPercent = v >= 7 ? 33 : 50;
    look.ShadowLine = v < 9;
    look.HighlightLine = v < 7;
    return look;
}

uint32_t Towards255(uint32_t colour, int percent)
{
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        uint32_t v = (colour >> (i * 8)) & 0xFF;
        v += (255 - v) * static_cast<uint32_t>(percent) / 100;
        out |= v << (i * 8);
    }
    return out;
}

} // namespace TOOLBARMATH
