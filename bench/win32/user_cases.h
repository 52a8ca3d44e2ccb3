#pragma once

// The window's interactions as users make them, each timed event by event:
// hovers that jump across the window, a line deleted under the pointer in the
// middle of the figure, and a long line through the densest part inserted,
// moved by one end and deleted.

#include <windows.h>

#include <vector>

#include "editor/editor_state.h"
#include "figure/figure.h"

namespace figury {

enum UserCase {
    lineJump50,
    lineJump120,
    lineJump300,
    pointJump120,
    unlinePress,
    unlineUndo,
    longInsert,
    longMove,
    longUnline,
    longUndo,
    longRedo,
    userCaseCount
};
extern const char* const userCaseNames[userCaseCount];

struct UserCaseTimes {
    std::vector<double> ms[userCaseCount];
};

// Runs each case events times on window, which shows state with figure, and
// leaves the figure as it was. The places are chosen at random, the same on
// every run for the same figure. False, saying why on stderr, when the
// window did not do what a case intends.
bool runUserCases(HWND window, EditorState& state, const Figure& figure, int events, UserCaseTimes& times);

}  // namespace figury
