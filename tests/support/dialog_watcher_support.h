// DIALOGWATCHER drives the modal dialogs and message boxes of the process under test, so that
// tests that put one up never wait for a person: a watcher thread looks for a dialog window
// (class "#32770") that a thread of this process owns, keeps its title and texts, and presses a
// chosen button by its control id (IDYES, IDNO, IDOK, IDCANCEL or a dialog's own id).
// Windows only.
#ifndef TESTS_SUPPORT_DIALOG_WATCHER_SUPPORT_H
#define TESTS_SUPPORT_DIALOG_WATCHER_SUPPORT_H

#if defined(_WIN32)

#include <string>

// The texts of a dialog's static controls, joined by line feeds.  dialog is the HWND.
std::string DialogStaticText(void *dialog);

class DIALOGWATCHER {
public:
    // Starts watching at once.  Presses buttonId in the first matching dialog that appears within
    // timeoutMs.  ownerThreadId: only dialogs of that thread (0: any thread of this process).
    // titlePart: only dialogs whose title contains it (null: any title).
    explicit DIALOGWATCHER(int buttonId, int timeoutMs = 30000, unsigned long ownerThreadId = 0,
                           const char *titlePart = nullptr);
    // Stops watching and waits for the watcher thread.
    ~DIALOGWATCHER();
    DIALOGWATCHER(const DIALOGWATCHER &) = delete;
    DIALOGWATCHER &operator=(const DIALOGWATCHER &) = delete;

    // Waits at most timeoutMs for the press; true when the button was pressed.
    bool WaitPressed(int timeoutMs = 30000);
    bool Pressed() const;
    // The dialog's title and the texts of its static controls (joined by line feeds), as they
    // were when the button was pressed.
    std::string Title() const;
    std::string Text() const;
    // The dialog's owner window (HWND) when the button was pressed; null for none.
    void *Owner() const;

private:
    static unsigned long __stdcall Run(void *self);
    void Watch();

    int buttonId;
    int timeoutMs;
    unsigned long ownerThreadId;
    std::string titlePart;
    void *thread;     // owned: the watcher thread
    void *owner;      // borrowed: the pressed dialog's owner window, written like title
    void *stopEvent;  // owned: set by the destructor
    void *doneEvent;  // owned: set by the watcher after the press
    // Written by the watcher thread before it sets doneEvent; read after.
    volatile bool pressed;
    std::string title;
    std::string text;
};

#endif

#endif
