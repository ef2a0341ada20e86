// The wizard's navigation and button state (see wizardmath.h).
#include "kestar/windowing/wizardmath.h"

#include "kestar/base/logit.h"

namespace WIZARDMATH {

int Resolve(int count, int index, int previous, int code)
{
    if (code != CODE_AGAIN)
        return code;
    if (index >= count - 1)
        return CODE_CANCEL;
    // Remembered codes are resolved already, so -1 never comes back here.
    if (previous == CODE_AGAIN || (previous == CODE_BACK && index == 0))
        return CODE_CANCEL;
    return previous;
}

bool AsksCancelQuestion(int count, int index, int previous, int code)
{
    return index < count - 1 && Resolve(count, index, previous, code) == CODE_CANCEL;
}

MOVE Navigate(int count, int index, int previous, int code, bool yes)
{
    if (index < 0 || index >= count) {
        LOGIT::Assert(0, "step>=0 && step<this->Howmany", __FILE__, __LINE__, nullptr, 0);
        return MOVE{-1, 0, CODE_CANCEL};
    }
    bool last = index == count - 1;
    int counted = Resolve(count, index, previous, code);
    switch (counted) {
    case CODE_BACK:
        if (index == 0) {
            LOGIT::Assert(0, "FALSE", __FILE__, __LINE__, nullptr, 0);
            return MOVE{index, 0, counted};
        }
        return MOVE{index - 1, 0, counted};
    case CODE_NEXT:
        return last ? MOVE{-1, 1, counted} : MOVE{index + 1, 0, counted};
    case CODE_CANCEL:
        if (last)
            return MOVE{-1, 1, counted};
        return yes ? MOVE{index, 0, counted} : MOVE{-1, 0, counted};
    default:
        return MOVE{index, 0, counted};
    }
}

BUTTONS ButtonState(int count, int index)
{
    BUTTONS buttons = {true, false, false};
    if (index == 0) {
        buttons.BackShown = false;
        return buttons;
    }
    if (index == count - 1) {
        buttons.NextFinish = true;
        buttons.NextFocused = true;
    }
    return buttons;
}

const char *FinishLabel(bool german)
{
    return german ? "Fertig" : "Done";
}

} // namespace WIZARDMATH
