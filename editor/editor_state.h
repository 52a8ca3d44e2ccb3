#pragma once

#include <cstdint>
#include <optional>

#include "figure.h"
#include "texts.h"

// Edit modes: what the next left-button press means.
constexpr int modeIdle = 0;
constexpr int modeAddPoint = 1;
constexpr int modeDeletePoint = 2;
constexpr int modeMovePick = 3;         // the point to move
constexpr int modeMoveRelease = 4;      // release after the point to move was picked
constexpr int modeMoveDestination = 5;  // where the picked point goes
constexpr int modeLineFirst = 6;        // the first point of a new line
constexpr int modeLineRelease = 7;      // release after the first point was picked
constexpr int modeLineSecond = 8;       // the second point of the line
constexpr int modeDeleteLine = 10;      // 9 is never used

// Control identifiers of the five command buttons.
constexpr int commandAddPoint = 100;
constexpr int commandDeletePoint = 101;
constexpr int commandMovePoint = 102;
constexpr int commandInsertLine = 103;
constexpr int commandDeleteLine = 104;

// The command buttons fill this many pixels across the top of the client area.
constexpr int32_t buttonBarHeight = 30;

// Everything the editor window keeps between messages. The program has one
// of these for its whole life; tests make their own.
struct EditorState {
    int editMode = modeIdle;
    char statusText[statusTextCapacity] = {};  // always terminated
    int32_t hoverX = 0;
    int32_t hoverY = 0;
    int32_t selectionIndex = 0;  // coordinate index 2k of the point a move or a new line picked
    // The offset 4k of the line that the last highlight in delete-line mode
    // drew and recorded: the one line a press there may remove.
    std::optional<int32_t> lineToDelete;
    Figure figure;

    // For the save when the window closes: an existing file that could not be
    // read is only replaced once the user has actually changed the figure.
    bool figureEdited = false;
    bool unreadFileKept = false;
    bool saveSettled = false;  // saved at close, or closing without it: no save follows
};
