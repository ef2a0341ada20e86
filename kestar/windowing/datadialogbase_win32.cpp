// The item and rule tables of a data-bound dialog; the rule conditions read the source controls
// here and are weighed by DATADIALOGRULES.
#include "kestar/windowing/datadialogbase.h"

#include "kestar/base/filename.h"
#include "kestar/base/logit.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/datadialogitem.h"
#include "kestar/windowing/datadialogrules.h"
#include "kestar/windowing/datadialogspin.h"

#include <vector>

namespace {

// The conditions of the rules of one pass, read from the source controls.
class WINDOWSOURCES : public DATADIALOGRULES::RULESOURCES {
public:
    explicit WINDOWSOURCES(const DISABLEITEM *rules) : Rules(rules) {}

    bool Holds(int i) override
    {
        const DISABLEITEM &r = Rules[i];
        CONTROL cdepend(r.SourceParent, r.SourceId);
        if (!DATADIALOGRULES::Require(cdepend.IsValid(), "cdepend.IsValid()", __FILE__, __LINE__,
                           static_cast<const char *>(STRING(r.SourceId))))
            return false;
        return DATADIALOGRULES::Condition(r.Flags & DATADIALOGRULES::KIND_MASK, State(cdepend.hWnd), r.Compare);
    }

    bool SourceIsRadio(int i) override
    {
        HWND source = GetDlgItem(Rules[i].SourceParent, Rules[i].SourceId);
        return IsRadio(source);
    }

    static bool IsRadio(HWND control)
    {
        if (control == nullptr)
            return false;
        CONTROL c(control);
        return c.IsClass("Button") && DATADIALOGRULES::ButtonKind(GetWindowLongA(control, GWL_STYLE)) == 2;
    }

private:
    static STRING ListText(HWND control, bool combo, int index)
    {
        if (index < 0)
            return STRING("");
        LRESULT n = SendMessageW(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        if (n < 0)
            return STRING("");
        std::vector<wchar_t> text(static_cast<size_t>(n) + 1, L'\0');
        SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.data()));
        return STRING(text.data());
    }

    static DATADIALOGRULES::SOURCESTATE State(HWND control)
    {
        DATADIALOGRULES::SOURCESTATE s;
        CONTROL c(control);
        DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
        if (c.IsClass("Button")) {
            if (DATADIALOGRULES::ButtonKind(style) != 0) {
                s.sourceClass = DATADIALOGRULES::SOURCE_BUTTON;
                s.checked = SendMessageA(control, BM_GETCHECK, 0, 0) != BST_UNCHECKED;
            }
        } else if (c.IsClass("ListBox")) {
            s.sourceClass = DATADIALOGRULES::SOURCE_LIST;
            s.index = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
            s.text = ListText(control, false, s.index);
        } else if (c.IsClass("ComboBox")) {
            if ((style & 3) == CBS_DROPDOWN || (style & 3) == CBS_DROPDOWNLIST) {
                s.sourceClass = DATADIALOGRULES::SOURCE_LIST;
                s.index = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
                s.text = ListText(control, true, s.index);
            }
        } else if (c.IsClass("Edit")) {
            s.sourceClass = DATADIALOGRULES::SOURCE_EDIT;
            s.text = c.GetText();
            s.text.SetNotNull();
            if (s.text.NotEmpty()) {
                FILENAME name(s.text);
                s.folderExists = name.IsDirectory();
                s.fileExists = name.Exists() && !s.folderExists;
            }
        }
        return s;
    }

    const DISABLEITEM *Rules;
};

} // namespace

DATADIALOGBASE::DATADIALOGBASE() : DisableItems(OwnRules), DisableItemCount(&OwnRuleCount) {}

DATADIALOGBASE::DATADIALOGBASE(DISABLEITEM *sharedRules, int *sharedCount)
    : DisableItems(sharedRules != nullptr ? sharedRules : OwnRules),
      DisableItemCount(sharedRules != nullptr && sharedCount != nullptr ? sharedCount : &OwnRuleCount)
{
}

DATADIALOGBASE::~DATADIALOGBASE()
{
    DeleteItems();
}

void DATADIALOGBASE::DeleteItems()
{
    while (Howmany > 0) {
        Howmany--;
        delete Items[Howmany];
        Items[Howmany] = nullptr;
    }
}

bool DATADIALOGBASE::AddItem(DATADIALOGITEM *item)
{
    if (item == nullptr)
        return false;
    if (!DATADIALOG_REQUIRE(this->Howmany < this->Max, nullptr)) {
        delete item;
        return false;
    }
    Items[Howmany++] = item;
    return true;
}

bool DATADIALOGBASE::AddDisableItem(HWND targetParent, int targetId, HWND sourceParent, int sourceId, int flags,
                                    const char *compare)
{
    HWND own = GetHwnd();
    if (!DATADIALOG_REQUIRE(own != nullptr, nullptr))
        return false;
    if (!DATADIALOGRULES::Require(*this->DisableItemCount < MaxRules, "this->DisableItemCount<ARRAYMAX(this->DisableItems)",
                       __FILE__, __LINE__, nullptr))
        return false;
    DISABLEITEM &r = DisableItems[(*DisableItemCount)++];
    r.TargetParent = targetParent != nullptr ? targetParent : own;
    r.TargetId = targetId;
    if ((flags & DATADIALOGRULES::KIND_MASK) == DATADIALOGRULES::KIND_ONCE) {
        r.SourceParent = nullptr;
        r.SourceId = 0;
    } else {
        r.SourceParent = sourceParent != nullptr ? sourceParent : own;
        r.SourceId = sourceId;
    }
    r.Flags = flags;
    r.Compare = STRING(compare != nullptr ? compare : "");
    r.Mark = 0;
    return true;
}

bool DATADIALOGBASE::AddDisableItem(int targetId, int sourceId, int flags, const char *compare)
{
    return AddDisableItem(nullptr, targetId, nullptr, sourceId, flags, compare);
}

void DATADIALOGBASE::SetCallback(CHANGECALLBACK function, void *userData)
{
    Callback = function;
    CallbackData = userData;
}

int DATADIALOGBASE::OnControlNotify(int code, CONTROL &source, int data)
{
    (void)data;
    HWND w = GetHwnd();
    int s = source.hWnd != nullptr ? GetDlgCtrlID(source.hWnd) : 0;
    if (Callback != nullptr)
        Callback(CallbackData, w, code, source);
    if (code != 0 && code != 1 && code != 0x300)
        return 0;
    int count = *DisableItemCount;
    std::vector<DATADIALOGRULES::RULE> rules(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        DisableItems[i].Mark = 0;
        rules[i] = {DisableItems[i].TargetParent, DisableItems[i].TargetId, DisableItems[i].SourceParent,
                    DisableItems[i].SourceId, DisableItems[i].Flags};
    }
    WINDOWSOURCES sources(DisableItems);
    std::vector<DATADIALOGRULES::ACTION> actions =
        DATADIALOGRULES::Evaluate(rules.data(), count, w, s, WINDOWSOURCES::IsRadio(source.hWnd), sources);
    for (const DATADIALOGRULES::ACTION &a : actions) {
        HWND parent = static_cast<HWND>(const_cast<void *>(a.targetParent));
        HWND target = GetDlgItem(parent, a.targetId);
        if (target == nullptr)
            continue;
        bool container = (GetWindowLongA(target, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0;
        if (a.hide || container) {
            ShowWindow(target, a.disable ? SW_HIDE : SW_SHOW);
            if (CONTROL(target).IsClass("Edit")) {
                HWND spin = GetDlgItem(w, a.targetId + DATADIALOGSPIN::SPINOFFSET);
                if (spin != nullptr)
                    ShowWindow(spin, a.disable ? SW_HIDE : SW_SHOW);
            }
        } else {
            EnableWindow(target, a.disable ? FALSE : TRUE);
        }
    }
    return 0;
}

int DATADIALOGBASE::OnPush(int idc)
{
    if (!DATADIALOGRULES::Require(idc != IDHELP, "idc!=IDHELP", __FILE__, __LINE__, nullptr))
        return 0;
    for (int i = 0; i < Howmany; i++) {
        if (Items[i]->GetId() == idc) {
            Items[i]->Push(GetHwnd());
            return 1;
        }
    }
    return 0;
}

void DATADIALOGBASE::InitItems()
{
    HWND w = GetHwnd();
    for (int i = 0; i < Howmany; i++)
        Items[i]->Init(w);
    CONTROL none;
    OnControlNotify(0, none, 0);
}

void DATADIALOGBASE::ExitItems()
{
    if (SaveFlag == 0)
        return;
    HWND w = GetHwnd();
    for (int i = 0; i < Howmany; i++)
        Items[i]->Exit(w);
}
