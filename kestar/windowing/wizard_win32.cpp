// The wizard's frame, its steps and their pages (see wizard.h).
#include "kestar/windowing/wizard.h"

#include <cstdio>

#include "kestar/base/helpfile.h"
#include "kestar/base/logit.h"
#include "kestar/base/orvakapp.h"
#include "kestar/base/winorvak.h"
#include "kestar/windowing/control.h"
#include "kestar/windowing/controlfont.h"
#include "kestar/windowing/drawcontext.h"
#include "kestar/windowing/wizardline.h"
#include "kestar/windowing/wizardmath.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

} // namespace

WIZARD::WIZARD(int templateId, const char *title, const char *cancelQuestion, int subtitleSize)
    : DATADIALOGBOX(templateId, static_cast<HWND>(nullptr), nullptr), CancelQuestion(cancelQuestion ? cancelQuestion : "")
{
    // Without a frame (the dialog asserted already) there is nothing to lay out; Run refuses.
    if (hWnd == nullptr)
        return;
    TitleFont.reset(new CONTROLFONT(GetDlgItem(hWnd, ID_TITLE), "8B.MS Shell Dlg"));
    SubtitleFont.reset(new CONTROLFONT(GetDlgItem(hWnd, ID_SUBTITLE)));
    if (subtitleSize != -1) {
        char spec[32];
        std::snprintf(spec, sizeof spec, "%dB.MS Shell Dlg", subtitleSize);
        SubtitleFont->SetFont(spec);
    }
    LineTop.reset(new WIZARDLINE(*this, ID_LINE_TOP));
    LineBottom.reset(new WIZARDLINE(*this, ID_LINE_BOTTOM));
    if (title != nullptr)
        SetText(title);

    CONTROL area(hWnd, ID_PAGEAREA);
    CONTROL banner(hWnd, ID_BANNER);
    area.Show(false);
    // The title statics lie on the banner: it must not paint over them.
    banner.AddStyle(WS_CLIPSIBLINGS);
    WhiteBrush = CreateSolidBrush(kWhite);

    RECT bannerRect = banner.GetRect();
    RECT areaRect = area.GetRect();
    RECT backRect = CONTROL(hWnd, ID_BACK).GetRect();
    LineTop->Move(0, bannerRect.bottom, bannerRect.right, 2);
    LineBottom->Move(0, areaRect.bottom + (backRect.top - areaRect.bottom) / 3, bannerRect.right, 2);
    LineTop->Show(true);
    LineBottom->Show(true);
}

WIZARD::~WIZARD()
{
    if (pSubDlg != nullptr) {
        LOGIT::Assert(0, "!this->pSubDlg", __FILE__, __LINE__, nullptr, 0);
        delete pSubDlg;
        pSubDlg = nullptr;
    }
    // The fonts go back onto their statics while these still exist.
    TitleFont.reset();
    SubtitleFont.reset();
    LineTop.reset();
    LineBottom.reset();
    if (WhiteBrush)
        DeleteObject(WhiteBrush);
}

bool WIZARD::AddStep(int idstep, int templateId, HMODULE module, STEPFUNCTION function, void *userData)
{
    if (Count >= MaxSteps) {
        LOGIT::Assert(0, "this->Howmany < this->Max", __FILE__, __LINE__, nullptr, 0);
        return false;
    }
    STEP &step = Steps[Count++];
    step.IdStep = idstep;
    step.TemplateId = templateId;
    step.Module = module;
    step.Function = function;
    step.UserData = userData;
    return true;
}

void WIZARD::CreatePage(int index)
{
    const STEP &step = Steps[index];
    RECT area = CONTROL(hWnd, ID_PAGEAREA).GetRect();
    pSubDlg = new DATADIALOG(step.TemplateId, hWnd, step.Module);
    if (pSubDlg->hWnd == nullptr) {
        // The step still runs: its items find no controls and do nothing.
        LOGIT::Assert(0, "this->pSubDlg", __FILE__, __LINE__, nullptr, 0);
        return;
    }
    pSubDlg->RemoveStyle(WS_BORDER);
    pSubDlg->AddExStyle(WS_EX_CONTROLPARENT);
    // SWP_FRAMECHANGED: the border goes with the style.
    SetWindowPos(pSubDlg->hWnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    pSubDlg->Show(true);
    CONTROL(hWnd, ID_TITLE).SetText(CONTROL(pSubDlg->hWnd, ID_TITLE).GetText());
    CONTROL(hWnd, ID_SUBTITLE).SetText(CONTROL(pSubDlg->hWnd, ID_SUBTITLE).GetText());
}

void WIZARD::SetButtons(int index)
{
    WIZARDMATH::BUTTONS state = WIZARDMATH::ButtonState(Count, index);
    CONTROL back(hWnd, ID_BACK);
    CONTROL next(hWnd, ID_NEXT);
    ::SendMessageA(back.hWnd, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (state.BackShown)
        back.SetText(BackLabel);
    back.Show(state.BackShown);
    next.SetText(state.NextFinish ? WIZARDMATH::FinishLabel(ORVAKAPP::IsGerman()) : static_cast<const char *>(NextLabel));
    next.Show(true);
    ::SendMessageA(hWnd, DM_SETDEFID, ID_NEXT, 0);
    ::SendMessageA(next.hWnd, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    if (state.NextFocused)
        ::SendMessageA(hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next.hWnd), TRUE);
}

int WIZARD::Run()
{
    BackLabel = CONTROL(hWnd, ID_BACK).GetText();
    NextLabel = CONTROL(hWnd, ID_NEXT).GetText();
    if (Count == 0 || hWnd == nullptr) {
        // Without a frame no step could ever end.
        LOGIT::Printf("WIZARD::Run without %s\n", hWnd ? "steps" : "a frame");
        return 0;
    }
    int index = 0;
    int previous = WIZARDMATH::CODE_CANCEL;
    int result = 0;
    while (index >= 0) {
        STEP &step = Steps[index];
        if (step.IdStep == 0)
            LOGIT::Assert(0, "steps[step].idstep!=0", __FILE__, __LINE__, nullptr, 0);
        CreatePage(index);
        SetButtons(index);
        int code = step.Function ? step.Function(this, pSubDlg, step.IdStep, step.UserData) : WIZARDMATH::CODE_AGAIN;
        delete pSubDlg;
        pSubDlg = nullptr;
        LOGIT::Printf("WIZARD::Run step %d (id %d) returns %d\n", index, step.IdStep, code);
        bool yes = false;
        if (WIZARDMATH::AsksCancelQuestion(Count, index, previous, code))
            yes = WINORVAK::YesNoMsgBox(hWnd, GetText(), CancelQuestion) == 1;
        WIZARDMATH::MOVE move = WIZARDMATH::Navigate(Count, index, previous, code, yes);
        previous = move.Code;
        index = move.Index;
        result = move.Result;
    }
    Show(false);
    LOGIT::Printf("WIZARD::Run returns %d\n", result);
    return result;
}

int WIZARD::RunStep()
{
    if (pSubDlg == nullptr || hWnd == nullptr) {
        LOGIT::Assert(0, "this->pSubDlg", __FILE__, __LINE__, nullptr, 0);
        return 0;
    }
    pSubDlg->InitItems();
    // Shown here, not by DoModal, so that the frame stays up between the steps and under the
    // cancel question; Run hides it at the end.
    Show(true);
    BringToForeground();
    pSubDlg->FocusFirstControl();
    int code = DoModal(true);
    pSubDlg->ExitItems();
    return code;
}

LRESULT WIZARD::DlgProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        HWND next = GetDlgItem(hWnd, ID_NEXT);
        return DATADIALOGBOX::DlgProc(message, MAKEWPARAM(ID_NEXT, BN_CLICKED), reinterpret_cast<LPARAM>(next));
    }
    return DATADIALOGBOX::DlgProc(message, wParam, lParam);
}

LRESULT WIZARD::OnCtlColor(UINT message, CONTROL *control, DRAWCONTEXT *context)
{
    (void)message;
    int id = control && control->hWnd ? GetDlgCtrlID(control->hWnd) : 0;
    if ((id == ID_TITLE || id == ID_SUBTITLE || id == ID_BANNER3) && WhiteBrush) {
        SetBkColor(context->GetHdc(), kWhite);
        return reinterpret_cast<LRESULT>(WhiteBrush);
    }
    return DATADIALOGBOX::OnCtlColor(message, control, context);
}

LRESULT WIZARD::OnHelp()
{
    HELPFILE *help = HELPFILE::GetHelpFile();
    if (pSubDlg != nullptr && pSubDlg->hWnd != nullptr && help != nullptr && help->ShowHelpForWindow(pSubDlg->hWnd))
        return 1;
    return DATADIALOGBOX::OnHelp();
}
