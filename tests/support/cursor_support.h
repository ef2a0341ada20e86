// The mouse pointer is one for every program on the test display: a test running beside this one
// may move it between the moment a test puts it somewhere and the moment it asks what lies there.
#pragma once

#include <windows.h>

// Puts the pointer at point (screen coordinates) and returns ask()'s answer, asked again (up to five
// times) while the pointer did not stay there throughout.
template <typename ASK>
auto AskWithCursorAt(POINT point, ASK ask) -> decltype(ask())
{
    for (int attempt = 0;; ++attempt) {
        SetCursorPos(point.x, point.y);
        auto answer = ask();
        POINT now = {};
        GetCursorPos(&now);
        if ((now.x == point.x && now.y == point.y) || attempt == 4)
            return answer;
        Sleep(20);
    }
}
