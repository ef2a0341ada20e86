// The wizard under Wine on the language library's frame 10702 with the tests' two pages: the
// frame's layout and brushes, going forwards and back with what was typed kept, the finish label
// in both languages, the cancel question, a step that passes itself over, and the step table's
// limit.  The step functions post their button to the frame before they run the step; the
// watcher answers the cancel question.
#include "kestar/windowing/wizard.h"

#include "kestar/base/orvakapp.h"
#include "kestar/base/osysresource.h"
#include "kestar/windowing/datadialogcheck.h"
#include "kestar/windowing/datadialogentry.h"
#include "lang/resource_ids.h"
#include "tests/support/childprogram_support.h"
#include "tests/support/dialog_watcher_support.h"
#include "tests/support/logcapture_support.h"
#include "tests/window/window_test_ids.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace {

HMODULE LanguageLibrary()
{
    static HMODULE library = LoadLibraryA((TestProgramFolder() + "\\parlomatixenglish.dll").c_str());
    return library;
}

HMODULE Program()
{
    return GetModuleHandleA(nullptr);
}

std::string Text(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string Str(const STRING &s)
{
    const char *t = s;
    return t != nullptr ? t : "(null)";
}

RECT ChildRect(HWND dialog, int id)
{
    RECT rect = {};
    HWND child = GetDlgItem(dialog, id);
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

bool HasStyle(HWND window, LONG_PTR bits)
{
    return (GetWindowLongPtrA(window, GWL_STYLE) & bits) == bits;
}

LOGFONTA FontOf(HWND window)
{
    LOGFONTA font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    GetObjectA(handle, sizeof font, &font);
    return font;
}

// What a step function does on one pass.
enum ACTION {
    BACK,        // posts Back
    NEXT,        // posts Next
    ENTER,       // posts IDOK, as Enter does
    CANCEL,      // posts Cancel
    CLOSE,       // posts WM_CLOSE, as the close box does
    TYPE_ENTER,  // types "Anna" into the page's edit, then posts IDOK
    RETURN_KEY,  // presses Enter in the page's edit
    SKIP,        // returns -1 without running the step
};

// What a step function saw on one pass.
struct PASS {
    int idstep = 0;
    bool backShown = false;
    std::string next;
    bool nextDefault = false;
    std::string title, subtitle;
    int runStep = -2;
    std::string edit; // the page's edit after it was loaded (page 1 only)
};

struct SCRIPT {
    std::vector<ACTION> actions;
    // Per pass: the button that answers the cancel question after it (0: none is expected).  The
    // step arms a watcher of its own, so that each answer goes to its own box.
    std::vector<int> answers;
    std::unique_ptr<DIALOGWATCHER> watcher;
    std::vector<std::string> questionTitles;
    std::vector<PASS> passes;
    STRING name{""};
    STRING start{"0"};
};

void Post(HWND frame, int id)
{
    PostMessageA(frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(frame, id)));
}

int Step(WIZARD *wizard, DATADIALOG *page, int idstep, void *data)
{
    SCRIPT *script = static_cast<SCRIPT *>(data);
    HWND frame = wizard->hWnd;
    PASS pass;
    pass.idstep = idstep;
    HWND back = GetDlgItem(frame, IDC_WIZARD_BACK), next = GetDlgItem(frame, IDC_WIZARD_NEXT);
    pass.backShown = HasStyle(back, WS_VISIBLE);
    pass.next = Text(next);
    pass.nextDefault = (GetWindowLongPtrA(next, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON &&
                       LOWORD(SendMessageA(frame, DM_GETDEFID, 0, 0)) == IDC_WIZARD_NEXT;
    pass.title = Text(GetDlgItem(frame, IDC_WIZARD_TITLE));
    pass.subtitle = Text(GetDlgItem(frame, IDC_WIZARD_SUBTITLE));
    HWND edit = GetDlgItem(page->hWnd, IDC_WIZPAGE_EDIT);
    if (edit != nullptr)
        page->AddItem(new DATADIALOGENTRY(IDC_WIZPAGE_EDIT, script->name, 40));
    if (GetDlgItem(page->hWnd, IDC_WIZPAGE_CHECK) != nullptr)
        page->AddItem(new DATADIALOGCHECK(IDC_WIZPAGE_CHECK, script->start));

    size_t n = script->passes.size();
    if (n >= script->actions.size()) {
        // Out of script: pass every step over forwards, so that the wizard ends.
        ADD_FAILURE() << "step " << idstep << " shown once more than the script has passes";
        script->passes.push_back(pass);
        return 149;
    }
    if (n < script->answers.size() && script->answers[n] != 0) {
        if (script->watcher)
            script->questionTitles.push_back(script->watcher->Title());
        script->watcher.reset(new DIALOGWATCHER(script->answers[n], 30000, GetCurrentThreadId()));
    }
    switch (script->actions[n]) {
    case BACK:
        Post(frame, IDC_WIZARD_BACK);
        break;
    case NEXT:
        Post(frame, IDC_WIZARD_NEXT);
        break;
    case ENTER:
        PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        break;
    case CANCEL:
        Post(frame, IDCANCEL);
        break;
    case CLOSE:
        PostMessageA(frame, WM_CLOSE, 0, 0);
        break;
    case TYPE_ENTER:
        // Handled after the page is loaded, which selects the whole text: typing replaces it.
        for (char c : std::string("Anna"))
            PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
        PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        break;
    case RETURN_KEY:
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
        break;
    case SKIP:
        script->passes.push_back(pass);
        return -1;
    }
    pass.runStep = wizard->RunStep();
    if (edit != nullptr)
        pass.edit = Text(edit);
    script->passes.push_back(pass);
    return pass.runStep;
}

class WIZARDTEST : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, LanguageLibrary());
        previousModule = OSYS::GetLanguageModule();
        previousLocale = ORVAKAPP::GetLocale();
        OSYS::SetLanguageModule(LanguageLibrary());
    }
    void TearDown() override
    {
        OSYS::SetLanguageModule(previousModule);
        ORVAKAPP::SetLocale(previousLocale);
    }

    // The two test pages as steps 1 and 9 (and a middle step when asked).
    static void AddSteps(WIZARD &wizard, SCRIPT &script, bool middle)
    {
        wizard.AddStep(1, IDD_TEST_WIZPAGE1, Program(), Step, &script);
        if (middle)
            wizard.AddStep(2, IDD_TEST_WIZPAGE1, Program(), Step, &script);
        wizard.AddStep(9, IDD_TEST_WIZPAGE2, Program(), Step, &script);
    }

    void *previousModule = nullptr;
    int previousLocale = 0;
};

} // namespace

TEST_F(WIZARDTEST, FrameLayoutFontsAndBrushes)
{
    WIZARD wizard(IDD_WIZARD, "Welcome", "Stop the set-up?", 10);
    HWND frame = wizard.hWnd;
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("Welcome", Text(frame));
    EXPECT_FALSE(HasStyle(GetDlgItem(frame, IDC_WIZARD_PAGEAREA), WS_VISIBLE));
    EXPECT_TRUE(HasStyle(GetDlgItem(frame, IDC_WIZARD_BANNER), WS_CLIPSIBLINGS));

    // The lines: right below the banner, and a third of the way from the page area to the buttons.
    RECT banner = ChildRect(frame, IDC_WIZARD_BANNER);
    RECT area = ChildRect(frame, IDC_WIZARD_PAGEAREA);
    RECT back = ChildRect(frame, IDC_WIZARD_BACK);
    RECT top = ChildRect(frame, WIZARD::ID_LINE_TOP);
    RECT bottom = ChildRect(frame, WIZARD::ID_LINE_BOTTOM);
    EXPECT_TRUE(HasStyle(GetDlgItem(frame, WIZARD::ID_LINE_TOP), WS_VISIBLE));
    EXPECT_TRUE(HasStyle(GetDlgItem(frame, WIZARD::ID_LINE_BOTTOM), WS_VISIBLE));
    EXPECT_EQ(0, top.left);
    EXPECT_EQ(banner.bottom, top.top);
    EXPECT_EQ(2, top.bottom - top.top);
    EXPECT_EQ(banner.right, top.right);
    EXPECT_EQ(0, bottom.left);
    EXPECT_EQ(area.bottom + (back.top - area.bottom) / 3, bottom.top);
    EXPECT_GT(bottom.top, area.bottom);
    EXPECT_LT(bottom.bottom, back.top);
    EXPECT_EQ(banner.right, bottom.right);

    // Bold title; the subtitle bold in 10 points, larger than the 8-point title.
    LOGFONTA title = FontOf(GetDlgItem(frame, IDC_WIZARD_TITLE));
    LOGFONTA subtitle = FontOf(GetDlgItem(frame, IDC_WIZARD_SUBTITLE));
    EXPECT_EQ(700, title.lfWeight);
    EXPECT_STREQ("MS Shell Dlg", title.lfFaceName);
    EXPECT_EQ(700, subtitle.lfWeight);
    EXPECT_GT(-subtitle.lfHeight, -title.lfHeight);

    // The banner statics are painted on white; other statics keep the dialog's colour.
    HDC dc = GetDC(frame);
    for (int id : {IDC_WIZARD_TITLE, IDC_WIZARD_SUBTITLE, IDC_WIZARD_BANNER3}) {
        HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageA(frame, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(GetDlgItem(frame, id))));
        LOGBRUSH colour = {};
        ASSERT_NE(nullptr, brush) << id;
        ASSERT_NE(0, GetObjectA(brush, sizeof colour, &colour)) << id;
        EXPECT_EQ(RGB(255, 255, 255), colour.lbColor) << id;
    }
    HBRUSH other = reinterpret_cast<HBRUSH>(SendMessageA(frame, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(GetDlgItem(frame, IDC_WIZARD_PAGEAREA))));
    LOGBRUSH colour = {};
    GetObjectA(other, sizeof colour, &colour);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), colour.lbColor);
    ReleaseDC(frame, dc);
}

TEST_F(WIZARDTEST, TemplateTitleAndSubtitleFontKept)
{
    WIZARD wizard(IDD_WIZARD, nullptr, "Stop?", -1);
    HWND frame = wizard.hWnd;
    EXPECT_EQ("Parlomatix set-up", Text(frame));
    LOGFONTA dialog = FontOf(frame);
    LOGFONTA subtitle = FontOf(GetDlgItem(frame, IDC_WIZARD_SUBTITLE));
    EXPECT_EQ(dialog.lfHeight, subtitle.lfHeight);
    EXPECT_EQ(dialog.lfWeight, subtitle.lfWeight);
}

TEST_F(WIZARDTEST, ForwardBackAndFinish)
{
    struct CASE {
        int locale;
        const char *finish;
    } cases[] = {{ORVAKAPP::LANG_ID_ENGLISH, "Done"}, {ORVAKAPP::LANG_ID_GERMAN, "Fertig"}};
    for (const CASE &c : cases) {
        ORVAKAPP::SetLocale(c.locale);
        SCRIPT script;
        // Type and IDOK; Back; Enter with the name still there; Next on the last page finishes.
        script.actions = {TYPE_ENTER, BACK, RETURN_KEY, NEXT};
        WIZARD wizard(IDD_WIZARD, "Welcome", "Stop the set-up?", -1);
        AddSteps(wizard, script, false);
        EXPECT_EQ(1, wizard.Run()) << c.finish;
        ASSERT_EQ(4u, script.passes.size()) << c.finish;
        const PASS &first = script.passes[0], &last = script.passes[1], &again = script.passes[2];
        EXPECT_EQ(1, first.idstep);
        EXPECT_FALSE(first.backShown);
        EXPECT_EQ("&Next >", first.next);
        EXPECT_TRUE(first.nextDefault);
        EXPECT_EQ("Your name", first.title);
        EXPECT_EQ("Type the name that the others see.", first.subtitle);
        EXPECT_EQ(149, first.runStep); // Enter acted as Next
        EXPECT_EQ(9, last.idstep);
        EXPECT_TRUE(last.backShown);
        EXPECT_EQ(c.finish, last.next);
        EXPECT_TRUE(last.nextDefault);
        EXPECT_EQ("Ready", last.title);
        EXPECT_EQ("The set-up is complete.", last.subtitle);
        EXPECT_EQ(148, last.runStep);
        EXPECT_EQ(1, again.idstep);
        EXPECT_EQ("Anna", again.edit);
        EXPECT_FALSE(again.backShown);
        EXPECT_EQ("&Next >", again.next);
        EXPECT_EQ(149, again.runStep); // the Enter key
        EXPECT_EQ(149, script.passes[3].runStep);
        EXPECT_EQ("Anna", Str(script.name));
        EXPECT_EQ(nullptr, wizard.GetPage());
        EXPECT_FALSE(IsWindowVisible(wizard.hWnd));
    }
}

TEST_F(WIZARDTEST, CancelAsksTheQuestion)
{
    SCRIPT script;
    // The close box on the first step, answered Yes: the step again; Cancel, answered No: the end.
    script.actions = {CLOSE, CANCEL};
    script.answers = {IDYES, IDNO};
    WIZARD wizard(IDD_WIZARD, "Welcome", "Stop the set-up?", -1);
    AddSteps(wizard, script, false);
    EXPECT_EQ(0, wizard.Run());
    ASSERT_TRUE(script.watcher);
    EXPECT_TRUE(script.watcher->Pressed());
    // The question comes in a box titled with the frame's title.
    script.questionTitles.push_back(script.watcher->Title());
    EXPECT_EQ((std::vector<std::string>{"Welcome", "Welcome"}), script.questionTitles);
    EXPECT_NE(std::string::npos, script.watcher->Text().find("Stop the set-up?"));
    ASSERT_EQ(2u, script.passes.size());
    EXPECT_EQ(1, script.passes[0].idstep);
    EXPECT_EQ(0, script.passes[0].runStep);
    EXPECT_EQ(1, script.passes[1].idstep);
    EXPECT_EQ(0, script.passes[1].runStep);
}

TEST_F(WIZARDTEST, CancelOnTheLastStepFinishes)
{
    SCRIPT script;
    script.actions = {NEXT, CANCEL};
    WIZARD wizard(IDD_WIZARD, "Welcome", "Stop the set-up?", -1);
    AddSteps(wizard, script, false);
    EXPECT_EQ(1, wizard.Run());
    EXPECT_EQ(2u, script.passes.size());
}

TEST_F(WIZARDTEST, SkippingStepKeepsTheDirection)
{
    SCRIPT script;
    // The middle step passes itself over forwards and backwards.
    script.actions = {NEXT, SKIP, BACK, SKIP, NEXT, SKIP, NEXT};
    WIZARD wizard(IDD_WIZARD, "Welcome", "Stop the set-up?", -1);
    AddSteps(wizard, script, true);
    EXPECT_EQ(1, wizard.Run());
    std::vector<int> ids;
    for (const PASS &p : script.passes)
        ids.push_back(p.idstep);
    EXPECT_EQ((std::vector<int>{1, 2, 9, 2, 1, 2, 9}), ids);
}

TEST_F(WIZARDTEST, RefusesThe33rdStep)
{
    WIZARD wizard(IDD_WIZARD, nullptr, "Stop?", -1);
    SCRIPT script;
    LOGCAPTURE log;
    for (int i = 0; i < WIZARD::MaxSteps; i++)
        EXPECT_TRUE(wizard.AddStep(i + 1, IDD_TEST_WIZPAGE1, Program(), Step, &script));
    EXPECT_FALSE(wizard.AddStep(33, IDD_TEST_WIZPAGE1, Program(), Step, &script));
    EXPECT_EQ(WIZARD::MaxSteps, wizard.GetStepCount());
    ASSERT_EQ(1, log.Failures());
    EXPECT_EQ("this->Howmany < this->Max", log.Conditions().at(0));
}

TEST_F(WIZARDTEST, MissingFrameRunsNothing)
{
    LOGCAPTURE log;
    WIZARD wizard(4321, nullptr, "Stop?", -1);
    EXPECT_EQ(nullptr, wizard.hWnd);
    SCRIPT script;
    script.actions = {NEXT};
    wizard.AddStep(1, IDD_TEST_WIZPAGE1, Program(), Step, &script);
    EXPECT_EQ(0, wizard.Run());
    EXPECT_TRUE(script.passes.empty());
    EXPECT_EQ(std::vector<std::string>{"this->hWnd"}, log.Conditions());
}
