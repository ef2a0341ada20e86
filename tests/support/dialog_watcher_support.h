// DIALOGWATCHER drives the modal dialogs and message boxes of the process under test, so that
// tests that put one up never wait for a person: a watcher thread looks for a dialog window
// (class "#32770") that a thread of this process owns, keeps its title and texts, and presses a
// chosen button by its control id (IDYES, IDNO, IDOK, IDCANCEL or a dialog's own id).  Where a
// test needs more than one press it gives a script: steps that each wait for a matching dialog
// and set a check box, set an edit text, choose a list entry or press a button.
// Windows only.
#ifndef TESTS_SUPPORT_DIALOG_WATCHER_SUPPORT_H
#define TESTS_SUPPORT_DIALOG_WATCHER_SUPPORT_H

#if defined(_WIN32)

#include <functional>
#include <string>
#include <vector>

// The texts of a dialog's static controls, joined by line feeds.  dialog is the HWND.
std::string DialogStaticText(void *dialog);

// One step of a script.  Each step waits for a visible dialog of the watched thread that has the
// control id and whose title or static texts contain match (empty: any dialog), then acts.
struct DIALOGSTEP {
    enum ACTION { PRESS, CHECK, SETTEXT, CHOOSE, KEY };
    // Posts a click of the button id (WM_COMMAND/BN_CLICKED); waits for the button to be enabled.
    static DIALOGSTEP Press(int id, const char *match = nullptr);
    // Sets the check box id (BM_SETCHECK) and tells the dialog as a click does.
    static DIALOGSTEP Check(int id, bool on, const char *match = nullptr);
    // Sets the text of the edit (or combo box) id.
    static DIALOGSTEP SetText(int id, const char *text, const char *match = nullptr);
    // Selects entry index of the list or drop-down list id and tells the dialog of the change.
    static DIALOGSTEP Choose(int id, int index, const char *match = nullptr);
    // Types the virtual key (down and up) into the focused control of a dialog that has id.
    static DIALOGSTEP Key(int id, int virtualKey, const char *match = nullptr);

    ACTION action;
    int id;
    int value;        // CHECK: 1 or 0; CHOOSE: the index; KEY: the virtual key
    std::string text; // SETTEXT: the text
    std::string match;
    bool titleOnly;   // match the title only (the one-press constructor)
    int settleMs;     // how long the dialog must have been found before the step acts
    std::function<bool(void *dialog)> ready; // null, or true once the dialog may be acted on

    // The same step, acting only settleMs after the dialog was found (for dialogs that go on
    // filling themselves after they appear, such as the shell's folder browser).
    DIALOGSTEP After(int ms) const
    {
        DIALOGSTEP step(*this);
        step.settleMs = ms;
        return step;
    }
    // The same step, acting only once test(dialog) holds (asked every 50 ms within the script's
    // time-out): for dialogs that go on filling themselves after they appear, however slowly.
    DIALOGSTEP When(std::function<bool(void *dialog)> test) const
    {
        DIALOGSTEP step(*this);
        step.ready = std::move(test);
        return step;
    }
};

class DIALOGWATCHER {
public:
    // Starts watching at once.  Presses buttonId in the first matching dialog that appears within
    // timeoutMs.  ownerThreadId: only dialogs of that thread (0: any thread of this process).
    // titlePart: only dialogs whose title contains it (null: any title).
    explicit DIALOGWATCHER(int buttonId, int timeoutMs = 30000, unsigned long ownerThreadId = 0,
                           const char *titlePart = nullptr);
    // Starts watching at once and runs the steps in order, all within timeoutMs.
    explicit DIALOGWATCHER(const std::vector<DIALOGSTEP> &script, int timeoutMs = 30000,
                           unsigned long ownerThreadId = 0);
    // Stops watching and waits for the watcher thread.
    ~DIALOGWATCHER();
    DIALOGWATCHER(const DIALOGWATCHER &) = delete;
    DIALOGWATCHER &operator=(const DIALOGWATCHER &) = delete;

    // Waits at most timeoutMs for the press (for a script: the last step); true when done.
    bool WaitPressed(int timeoutMs = 30000);
    bool Pressed() const;
    // The number of steps done so far.
    int StepsDone() const;
    // The dialog's title and the texts of its static controls (joined by line feeds), as they
    // were when the button was pressed (for a script: at its last step).
    std::string Title() const;
    std::string Text() const;
    // The same at step n of a script (empty when it was not done).
    std::string TitleAt(int n) const;
    std::string TextAt(int n) const;
    // The ids of the dialog's visible child controls at step n of a script, in Z order.
    std::vector<int> VisibleIdsAt(int n) const;
    // The dialog's owner window (HWND) when the button was pressed; null for none.
    void *Owner() const;

private:
    static unsigned long __stdcall Run(void *self);
    void Watch();

    void Start();

    std::vector<DIALOGSTEP> script;
    int timeoutMs;
    unsigned long ownerThreadId;
    void *thread;     // owned: the watcher thread
    void *owner;      // borrowed: the pressed dialog's owner window, written like title
    void *stopEvent;  // owned: set by the destructor
    void *doneEvent;  // owned: set by the watcher after the press
    // Written by the watcher thread before it sets doneEvent; read after (stepsDone at any time:
    // each step's texts are written before it counts).
    volatile bool pressed;
    volatile long stepsDone;
    std::vector<std::string> titles;
    std::vector<std::string> texts;
    std::vector<std::vector<int>> visibleIds;
};

#endif

#endif
