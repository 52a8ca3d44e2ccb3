#include "modes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "texts.h"

namespace {

// Every message fits (texts.cpp checks it); the bound only keeps the buffer terminated.
void setStatus(EditorState& state, const char* text) {
    const size_t length = std::min(std::strlen(text), sizeof state.statusText - 1);
    std::memcpy(state.statusText, text, length);
    state.statusText[length] = '\0';
}

void enter(EditorState& state, int mode, const char* message) {
    state.editMode = mode;
    setStatus(state, message);
}

// An operation that changed the figure ends in the idle mode with its message.
void finishEdit(EditorState& state, const char* message) {
    state.figureEdited = true;
    enter(state, modeIdle, message);
}

bool overButtonBar(int32_t y) { return y < buttonBarHeight; }

bool waitsForHover(int mode) {
    return mode == modeDeletePoint || mode == modeMovePick || mode == modeLineFirst ||
           mode == modeLineSecond || mode == modeDeleteLine;
}

// Anything but a clear "no such file" counts as present, so that a file the
// program could not even inspect is never replaced by mistake.
bool fileIsPresent(const char* path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return status.type() != std::filesystem::file_type::not_found;
}

}  // namespace

bool onCommand(EditorState& state, int controlId) {
    switch (controlId) {
        case commandAddPoint:
            enter(state, modeAddPoint, promptAddPoint);
            return true;
        case commandDeletePoint:
            enter(state, modeDeletePoint, promptDeletePoint);
            return true;
        case commandMovePoint:
            enter(state, modeMovePick, promptMovePoint);
            return true;
        case commandInsertLine:
            enter(state, modeLineFirst, promptInsertLine);
            return true;
        case commandDeleteLine:
            // Only a line highlighted from now on may be removed.
            state.lineToDelete.reset();
            enter(state, modeDeleteLine, promptDeleteLine);
            return true;
        default:
            return false;
    }
}

bool onMouseMove(EditorState& state, int32_t x, int32_t y) {
    if (!waitsForHover(state.editMode) || overButtonBar(y)) {
        return false;
    }
    state.hoverX = x;
    state.hoverY = y;
    return true;
}

bool pressTakesTheHighlight(const EditorState& state) { return state.editMode == modeDeleteLine; }

bool onLeftButtonDown(EditorState& state, int32_t x, int32_t y) {
    if (overButtonBar(y)) {
        return false;
    }
    // A pick that hits nothing keeps mode and prompt, so the user can try again.
    switch (state.editMode) {
        case modeAddPoint:
            addPoint(state.figure, x, y);
            finishEdit(state, donePointAdded);
            return true;
        case modeDeletePoint:
            if (deletePointsAt(state.figure, x, y)) {
                finishEdit(state, donePointDeleted);
            }
            return true;
        case modeMovePick:
            if (selectPointAt(state.figure, x, y, state.selectionIndex)) {
                enter(state, modeMoveRelease, promptMoveDestination);
            }
            return true;
        case modeMoveDestination:
            if (moveSelectedPointTo(state.figure, state.selectionIndex, x, y)) {
                state.figureEdited = true;
            }
            enter(state, modeIdle, donePointMoved);
            return true;
        case modeLineFirst:
            if (selectPointAt(state.figure, x, y, state.selectionIndex)) {
                enter(state, modeLineRelease, promptLineSecond);
            }
            return true;
        case modeLineSecond:
            if (insertLineTo(state.figure, state.selectionIndex, x, y)) {
                finishEdit(state, doneLineInserted);
            }
            return true;
        case modeDeleteLine:
            // The line is the one the last highlight recorded, wherever the pointer is now.
            if (state.lineToDelete && deleteSelectedLine(state.figure, *state.lineToDelete)) {
                state.lineToDelete.reset();
                finishEdit(state, doneLineDeleted);
            }
            return true;
        default:
            return false;
    }
}

void onLeftButtonUp(EditorState& state, int32_t, int32_t y) {
    if (overButtonBar(y)) {
        return;
    }
    if (state.editMode == modeMoveRelease) {
        state.editMode = modeMoveDestination;
    } else if (state.editMode == modeLineRelease) {
        state.editMode = modeLineSecond;
    }
}

bool loadAtStart(EditorState& state, const char* path) {
    if (loadFigure(state.figure, path)) {
        state.unreadFileKept = false;
        return false;
    }
    state.unreadFileKept = fileIsPresent(path);
    return true;
}

SaveOutcome saveAtClose(EditorState& state, const char* path) {
    SaveOutcome outcome = SaveOutcome::unreadFileKept;
    if (!state.unreadFileKept || state.figureEdited) {
        outcome = saveFigure(state.figure, path)   ? SaveOutcome::written
                  : state.figureEdited             ? SaveOutcome::failed
                                                   : SaveOutcome::nothingLost;
    }
    state.saveSettled = outcome != SaveOutcome::failed;
    return outcome;
}

void closeWithoutSaving(EditorState& state) {
    state.saveSettled = true;
}
