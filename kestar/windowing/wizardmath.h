// WIZARDMATH: the wizard's rules that need no window: where a step's end code leads (the next step,
// the end with 1 or 0, or the cancel question first) and how the buttons look on a step.
// Portable, so that the native build tests the navigation under the sanitizers.
#ifndef KESTAR_WINDOWING_WIZARDMATH_H
#define KESTAR_WINDOWING_WIZARDMATH_H

namespace WIZARDMATH {

// The end codes of a step: the buttons' ids, 0 for Cancel, -1 for "go on in the direction of the
// last move".  Any other code shows the same step again.
enum { CODE_CANCEL = 0, CODE_AGAIN = -1, CODE_BACK = 148, CODE_NEXT = 149 };

// What one pass of the wizard leads to.
struct MOVE {
    int Index;  // the step shown next; -1 when the wizard ends
    int Result; // when it ends: 1 completed, 0 cancelled
    int Code;   // what the pass counts as (-1 resolved); the next pass's previous code
};

// The code a pass counts as.  -1 counts as 0 on the last step, else as the previous pass's code
// (0 before any move); when that would lead back from the first step (no move is left in that
// direction) it counts as 0 too, so that the user is asked instead of the step coming back
// without end.
int Resolve(int count, int index, int previous, int code);
// Whether the pass asks the cancel question: its code counts as 0 on a step that is not the last.
bool AsksCancelQuestion(int count, int index, int previous, int code);
// The pass of step index (of count steps) that ended with code after a pass that counted as
// previous (0 for the first pass).  yes: the answer to the cancel question, read only when
// AsksCancelQuestion.  Back on the first step is an assertion failure and shows it again; an index
// outside the table is an assertion failure and ends the wizard with 0.
MOVE Navigate(int count, int index, int previous, int code, bool yes);

// The buttons on a step.  Back is never the default button, Next always is.
struct BUTTONS {
    bool BackShown;   // hidden on the first step
    bool NextFinish;  // Next shows the finish label (the last step, unless it is also the first)
    bool NextFocused; // Next takes the focus (with the finish label)
};
BUTTONS ButtonState(int count, int index);
// The label of Next on the last step.
const char *FinishLabel(bool german);

} // namespace WIZARDMATH

#endif
