// WIZARD: a sequence of steps in one modal frame: a white banner with a bold title and a subtitle,
// the page of the running step below it, two separator lines and the buttons Back (148), Next (149)
// and Cancel (2).  Each step's page is a data-bound dialog made from its own template on the
// frame's placeholder 914; a step function of the owner fills it with items, runs it with RunStep
// and says where to go next (the rules are WIZARDMATH).  Use: construct, AddStep for each step,
// Run once, destroy.  Window thread only.  Windows only.
#ifndef KESTAR_WINDOWING_WIZARD_H
#define KESTAR_WINDOWING_WIZARD_H

#include "kestar/windowing/datadialogbox.h"

#include <memory>

class CONTROLFONT;
class WIZARDLINE;

class WIZARD : public DATADIALOGBOX {
public:
    static constexpr int MaxSteps = 32;
    // Frame items the wizard uses.
    enum { ID_TITLE = 666, ID_SUBTITLE = 667, ID_PAGEAREA = 914, ID_BANNER = 915, ID_BANNER3 = 916,
           ID_BACK = 148, ID_NEXT = 149, ID_LINE_TOP = 100, ID_LINE_BOTTOM = 101 };

    // Adds the page's items, calls RunStep and returns 148 (back), 149 (next), 0 (cancel), -1 (go
    // on in the direction of the last move) or another code (the same step again).  page and
    // wizard are borrowed for the call.
    typedef int (*STEPFUNCTION)(WIZARD *wizard, DATADIALOG *page, int idstep, void *userData);

    // The frame of templateId in the language module, without a parent.  title: the window title
    // (null keeps the template's); cancelQuestion: asked when a step but the last is cancelled;
    // subtitleSize: the subtitle's bold font in points, -1 keeps the template's font.
    WIZARD(int templateId, const char *title, const char *cancelQuestion, int subtitleSize);
    // A page still open is an assertion failure (and deleted).
    ~WIZARD() override;

    // Appends a step: idstep (not 0), the page template in module (null: the language module),
    // the step function and its data (borrowed).  The 33rd step is an assertion failure and not
    // added; false.
    bool AddStep(int idstep, int templateId, HMODULE module, STEPFUNCTION function, void *userData);
    int GetStepCount() const { return Count; }

    // Runs the steps from the first: 1 when the wizard was completed, 0 when it was cancelled (and
    // 0 without steps).
    int Run();
    // Inside a step function: loads the page's items, shows the frame, focuses the page's first
    // control, runs the frame modally and stores the page (as its save flag says).  148, 149, or 0
    // for Cancel and the close box; 0 outside a step (an assertion failure).
    int RunStep();
    // The page of the running step; null between steps.  Borrowed.
    DATADIALOG *GetPage() const { return pSubDlg; }

    // IDOK (Enter) becomes Next, sent by the Next button.
    LRESULT DlgProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The white brush for the banner's statics 666, 667 and 916.
    LRESULT OnCtlColor(UINT message, CONTROL *control, DRAWCONTEXT *context) override;
    // The help of the current page, else the default.
    LRESULT OnHelp() override;

private:
    struct STEP {
        int IdStep = 0;
        int TemplateId = 0;
        HMODULE Module = nullptr;    // borrowed
        STEPFUNCTION Function = nullptr;
        void *UserData = nullptr;    // borrowed
    };

    // Makes the page of step index on the page area; the banner takes its title and subtitle.
    void CreatePage(int index);
    void SetButtons(int index);

    std::unique_ptr<CONTROLFONT> TitleFont;    // owned
    std::unique_ptr<CONTROLFONT> SubtitleFont; // owned
    std::unique_ptr<WIZARDLINE> LineTop;       // owned
    std::unique_ptr<WIZARDLINE> LineBottom;    // owned
    HBRUSH WhiteBrush = nullptr;               // owned
    DATADIALOG *pSubDlg = nullptr;             // owned while a step runs
    STRING CancelQuestion;
    STRING BackLabel;
    STRING NextLabel;
    STEP Steps[MaxSteps];
    int Count = 0;
};

#endif
