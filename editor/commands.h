#pragma once

#include <array>

#include "editor/editor_state.h"

namespace figury {

// Control identifiers of the command buttons, and of the commands that only
// keys give, carried by WM_COMMAND.
enum class Command : int {
    addPoint = 100,
    deletePoint = 101,
    movePoint = 102,
    insertLine = 103,
    deleteLine = 104,
    undo = 110,    // Ctrl+Z
    redo = 111,    // Ctrl+Y, Ctrl+Shift+Z
    cancel = 112,  // Esc
    save = 113,    // Ctrl+S
};

// A button of the bar, and what pressing it does: the mode it enters with its prompt.
struct CommandButton {
    Command id;
    const char* label;
    int x;
    const char* prompt;
    EditMode mode;
};

constexpr int buttonBarHeight = 30;
constexpr int commandButtonWidth = 100;
constexpr int blankButtonWidth = 150;  // the disabled ends of the bar

extern const std::array<CommandButton, 5> commandButtons;

// The button with this control identifier, or null.
const CommandButton* findCommand(int controlId);

}  // namespace figury
