// NEWTOOLBAR: the program's own toolbar, a child window that draws a row of image buttons (with
// optional texts, drop-down arrows, check buttons and check groups), drops button texts from the
// right while the row is too narrow, keeps the user's choice of small or large symbols in the
// registry ("SmallSymbols" under "Software\Orvak\<application key>\Toolbar<id>"), takes tooltips
// from the owner's menu and turns that menu into owner-drawn items with the button images.
// Buttons post WM_COMMAND (command id, 0) to the owner; a drop-down button sends it WM_NOTIFY
// TBN_DROPDOWN (an NMTOOLBARA whose iItem is the command id), which reaches the owner's window
// procedure (slot 0).  The rules without a window are in toolbarmath.h.  Window thread only.
// Windows only.
#ifndef KESTAR_WINDOWING_NEWTOOLBAR_H
#define KESTAR_WINDOWING_NEWTOOLBAR_H

#include "kestar/base/hash.h"
#include "kestar/base/string.h"
#include "kestar/base/wstring.h"
#include "kestar/windowing/memorybitmap.h"
#include "kestar/windowing/toolbarmath.h"
#include "kestar/windowing/window.h"

#include <commctrl.h>

#include <vector>

class NEWTOOLBAR : public WINDOW {
public:
    enum {
        CMD_SMALLSYMBOLS = 10651,
        CMD_LARGESYMBOLS = 10652,
        TIMER_DROPDOWN = 2,
        DROPDOWN_GUARD_MS = 250,
    };

    // A hidden child of parent with control id, symbols of smallSize or largeSize pixels (the
    // stored choice, else smallByDefault, which is then stored).
    NEWTOOLBAR(HWND parent, int id, int smallSize, int largeSize, bool smallByDefault = true);
    // Puts the owner's window procedure back and frees the image list, font and tooltips.
    ~NEWTOOLBAR() override;

    // Appends a button with the icon iconId (the image module, else the program).  With
    // STYLE_TEXT the button shows the text of the menu item command of menu (null: the attached
    // menu).  False when the icon is missing (the button is still added, without an image).
    bool AddButton(int command, unsigned style, int iconId, HMENU menu = nullptr);
    // The same with an explicit text (8-bit, code page 1252, or wide), shown with STYLE_TEXT.
    bool AddButton(int command, unsigned style, const char *text, int iconId);
    bool AddButton(int command, unsigned style, const WSTRING &text, int iconId);
    // Enabled or not; a disabled button that is not checked also loses hot.  False for an unknown id.
    bool EnableButton(int command, bool on);
    // 0 for an unknown id.
    bool IsChecked(int command);
    // See TOOLBARMATH::CheckButton; then arranges.  False for an unknown id or a refused change.
    bool CheckButton(int command, bool on);
    // A new button text (see TOOLBARMATH::ButtonText); null: the attached menu's text of the id.
    bool SetButtonText(int command, const char *text);
    // The symbol size, the bar's height and the images; the stored choice follows.
    void SetSymbolSize(int size);
    int GetSymbolSize() const { return SymbolSize; }
    // The parent's client width at y; arranges.  Returns the bar's height.
    int Resize(int y);

    // Binds the owner's menu: subclasses the owner unless noSubclass, then MenuImages(menu, menuId,
    // true).
    bool AttachMenu(HMENU menu, int menuId, bool noSubclass);
    // on: installs the owner procedure (once); off: puts the previous one back.
    bool SubclassOwner(bool on);
    // Makes the text items of menu (and of its submenus) owner-drawn with the button images.
    bool MenuImages(HMENU menu, int menuId, bool menuBar);

    // For tests and the painting: the button of a command, or null.
    const TOOLBARMATH::BUTTON *GetButton(int command) const;
    WSTRING GetButtonText(int command) const;
    HWND GetTooltipWindow() const { return hTooltip; }
    bool IsDropDownOpen() const { return DropDownOpen; }
    // The owner procedure of every toolbar.
    static LRESULT CALLBACK OwnerWinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Slot 0: adds WM_PRINTCLIENT (the bar drawn into another DC).
    LRESULT WinProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint() override;
    LRESULT OnSized() override;
    LRESULT OnMouse(UINT message, int x, int y, int keys) override;
    LRESULT OnTimer(UINT_PTR timer) override;
    LRESULT OnCommand(int command) override;
    LRESULT OnNotify(int code, CONTROL *control, LPARAM data) override;

private:
    struct EXTRA {
        int IconId;
        int Image;     // index in the image list; -1 without an image
        WSTRING Text;
    };

    int Find(int command) const;
    bool Add(int command, unsigned style, int iconId, const WSTRING *text, HMENU menu);
    int LoadButtonImage(int iconId);
    void RebuildImageList();
    void ArrangeButtons();
    void ApplyHeight();
    STRING RegistryKey() const;
    void ReadColours();
    int ButtonAt(int x, int y) const;
    void Paint(HDC dc, const RECT &client);
    void PaintButton(HDC dc, int index);
    void PaintDisabledImage(HDC dc, int image, int x, int y);
    STRING MenuText(HMENU menu, int command) const;
    void MenuImagesOf(HMENU menu, int menuId, bool menuBar, int depth);
    LRESULT MeasureMenuItem(MEASUREITEMSTRUCT *item);
    LRESULT DrawMenuItem(const DRAWITEMSTRUCT *item);
    HFONT MenuFont();

    HMODULE ImageModule;        // borrowed: the language module (icons tried first)
    HIMAGELIST hImageList;      // owned
    HWND hTooltip;              // owned: "tooltips_class32"
    HFONT hFont;                // owned: the icon-title font
    HFONT hMenuFont;            // owned: the menu font, made on first use
    STRING Key;                 // the registry key below "Software\Orvak"
    HMENU Menu;                 // borrowed: the owner's menu, or null
    WNDPROC OwnerPrevWinProc;   // the owner's procedure before ours; null while not subclassed
    bool NoSubclass;
    HWND Owner;                 // borrowed: the parent window
    MEMORYBITMAP Bitmap;        // the whole bar, drawn off-screen
    std::vector<TOOLBARMATH::BUTTON> Buttons;
    std::vector<EXTRA> Extras;  // beside Buttons, same index
    int NumButtons, MaxButtons;
    HASH MenuTexts;             // menu item texts by "%s%d" (prefix "MB" on the menu bar)
    int SymbolSize, SmallSize, LargeSize;
    UINT MenuLoop;              // WM_ENTERMENULOOP or WM_EXITMENULOOP, last seen at the owner
    bool DropDownOpen;
    bool Themed = false;
    TOOLBARMATH::LOOK Look = {};
    COLORREF Background = 0, HighlightBackground = 0, MenuHighlight = 0;
    HBRUSH hMenuBrush;          // owned: the menu-bar background from version id 6
};

#endif
