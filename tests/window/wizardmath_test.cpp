// The wizard's navigation and the buttons of a step, without a window.
#include "kestar/windowing/wizardmath.h"

#include "tests/support/logcapture_support.h"

#include <gtest/gtest.h>

#include <string>

using WIZARDMATH::CODE_AGAIN;
using WIZARDMATH::CODE_BACK;
using WIZARDMATH::CODE_CANCEL;
using WIZARDMATH::CODE_NEXT;

TEST(WIZARDMATH, Navigation)
{
    struct CASE {
        const char *what;
        int count, index, previous, code;
        bool yes;
        bool asks;       // the cancel question is asked
        int next;        // -1: the end
        int result;      // at the end
        int counted;     // remembered as the previous code
        bool asserts;
    } cases[] = {
        {"Back on the second step", 3, 1, CODE_NEXT, CODE_BACK, false, false, 0, 0, CODE_BACK, false},
        {"Back on the first step", 3, 0, CODE_NEXT, CODE_BACK, false, false, 0, 0, CODE_BACK, true},
        {"Next on the first step", 3, 0, CODE_CANCEL, CODE_NEXT, false, false, 1, 0, CODE_NEXT, false},
        {"Next on the last step", 3, 2, CODE_NEXT, CODE_NEXT, false, false, -1, 1, CODE_NEXT, false},
        {"Cancel on the last step", 3, 2, CODE_NEXT, CODE_CANCEL, false, false, -1, 1, CODE_CANCEL, false},
        {"Cancel on a middle step, Yes", 3, 1, CODE_NEXT, CODE_CANCEL, true, true, 1, 0, CODE_CANCEL, false},
        {"Cancel on a middle step, No", 3, 1, CODE_NEXT, CODE_CANCEL, false, true, -1, 0, CODE_CANCEL, false},
        {"Cancel on the first step, Yes", 3, 0, CODE_CANCEL, CODE_CANCEL, true, true, 0, 0, CODE_CANCEL, false},
        {"Cancel on the first step, No", 3, 0, CODE_CANCEL, CODE_CANCEL, false, true, -1, 0, CODE_CANCEL, false},
        {"-1 after Next", 4, 2, CODE_NEXT, CODE_AGAIN, false, false, 3, 0, CODE_NEXT, false},
        {"-1 after Back", 4, 1, CODE_BACK, CODE_AGAIN, false, false, 0, 0, CODE_BACK, false},
        {"-1 on the last step", 3, 2, CODE_BACK, CODE_AGAIN, false, false, -1, 1, CODE_CANCEL, false},
        {"-1 before any move, Yes", 3, 0, CODE_CANCEL, CODE_AGAIN, true, true, 0, 0, CODE_CANCEL, false},
        {"-1 before any move, No", 3, 0, CODE_CANCEL, CODE_AGAIN, false, true, -1, 0, CODE_CANCEL, false},
        {"-1 after Cancel answered Yes", 3, 1, CODE_CANCEL, CODE_AGAIN, false, true, -1, 0, CODE_CANCEL, false},
        // Back onto the first step, which passes itself over: there is no step further back, so
        // the question comes instead of the same step without end.
        {"-1 on the first step after Back", 3, 0, CODE_BACK, CODE_AGAIN, false, true, -1, 0, CODE_CANCEL, false},
        {"another code", 3, 1, CODE_NEXT, 7, false, false, 1, 0, 7, false},
        {"another code on the last step", 3, 2, CODE_NEXT, 1, false, false, 2, 0, 1, false},
        {"-1 after another code", 3, 1, 7, CODE_AGAIN, false, false, 1, 0, 7, false},
        {"one step: Next finishes", 1, 0, CODE_CANCEL, CODE_NEXT, false, false, -1, 1, CODE_NEXT, false},
        {"one step: Cancel finishes", 1, 0, CODE_CANCEL, CODE_CANCEL, false, false, -1, 1, CODE_CANCEL, false},
        {"one step: -1 finishes", 1, 0, CODE_CANCEL, CODE_AGAIN, false, false, -1, 1, CODE_CANCEL, false},
    };
    for (const CASE &c : cases) {
        LOGCAPTURE log;
        EXPECT_EQ(c.asks, WIZARDMATH::AsksCancelQuestion(c.count, c.index, c.previous, c.code)) << c.what;
        WIZARDMATH::MOVE move = WIZARDMATH::Navigate(c.count, c.index, c.previous, c.code, c.yes);
        EXPECT_EQ(c.next, move.Index) << c.what;
        if (c.next == -1) {
            EXPECT_EQ(c.result, move.Result) << c.what;
        }
        EXPECT_EQ(c.counted, move.Code) << c.what;
        if (c.asserts) {
            ASSERT_EQ(1, log.Failures()) << c.what;
            EXPECT_EQ("FALSE", log.Conditions().at(0));
        } else {
            EXPECT_EQ(0, log.Failures()) << c.what;
        }
    }
}

TEST(WIZARDMATH, SkippingStepsKeepTheirDirection)
{
    // Steps 1 and 2 of five pass themselves over: forwards from step 0 the wizard reaches step 3,
    // backwards from step 3 it reaches step 0.
    int index = 1, previous = CODE_NEXT;
    for (int i = 0; i < 2; i++) {
        WIZARDMATH::MOVE move = WIZARDMATH::Navigate(5, index, previous, CODE_AGAIN, false);
        index = move.Index;
        previous = move.Code;
    }
    EXPECT_EQ(3, index);
    index = 2;
    previous = CODE_BACK;
    for (int i = 0; i < 2; i++) {
        WIZARDMATH::MOVE move = WIZARDMATH::Navigate(5, index, previous, CODE_AGAIN, false);
        index = move.Index;
        previous = move.Code;
    }
    EXPECT_EQ(0, index);
}

TEST(WIZARDMATH, IndexOutsideTheTableEnds)
{
    LOGCAPTURE log;
    WIZARDMATH::MOVE move = WIZARDMATH::Navigate(0, 0, CODE_CANCEL, CODE_NEXT, false);
    EXPECT_EQ(-1, move.Index);
    EXPECT_EQ(0, move.Result);
    EXPECT_EQ(1, log.Failures());
}

TEST(WIZARDMATH, Buttons)
{
    struct CASE {
        int count, index;
        bool backShown, nextFinish, nextFocused;
    } cases[] = {
        {3, 0, false, false, false},
        {3, 1, true, false, false},
        {3, 2, true, true, true},
        // One step: the first-step rule holds, so Next keeps its label.
        {1, 0, false, false, false},
        {2, 1, true, true, true},
    };
    for (const CASE &c : cases) {
        WIZARDMATH::BUTTONS b = WIZARDMATH::ButtonState(c.count, c.index);
        EXPECT_EQ(c.backShown, b.BackShown) << c.count << "/" << c.index;
        EXPECT_EQ(c.nextFinish, b.NextFinish) << c.count << "/" << c.index;
        EXPECT_EQ(c.nextFocused, b.NextFocused) << c.count << "/" << c.index;
    }
    EXPECT_EQ(std::string("Done"), WIZARDMATH::FinishLabel(false));
    EXPECT_EQ(std::string("Fertig"), WIZARDMATH::FinishLabel(true));
}
