#include "editor/modes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "editor/commands.h"
#include "editor/texts.h"
#include "figure/figure_file.h"

namespace {

// Every message fits (texts.cpp checks it); the bound only keeps the buffer terminated.
void setStatus(EditorState& state, const char* text) {
    const size_t length = std::min(std::strlen(text), sizeof state.statusText - 1);
    std::memcpy(state.statusText, text, length);
    state.statusText[length] = '\0';
}

void enter(EditorState& state, EditMode mode, const char* message) {
    state.editMode = mode;
    setStatus(state, message);
}

// An operation that changed the figure ends in the idle mode with its message.
void finishEdit(EditorState& state, const char* message) {
    state.figureEdited = true;
    enter(state, EditMode::idle, message);
}

bool overButtonBar(int32_t y) {
    return y < buttonBarHeight;
}

bool waitsForHover(EditMode mode) {
    return mode == EditMode::deletePoint || mode == EditMode::movePick || mode == EditMode::lineFirst ||
           mode == EditMode::lineSecond || mode == EditMode::deleteLine;
}

// The marks and lines of a move, where they were and where they went.
void addMoveDamage(FigureDamage& damage, const Figure& moved, Point destination) {
    damage.addShapes(moved);
    damage.addMark(destination);
    const Point old = moved.points.front();
    for (Line line : moved.lines) {
        for (Point* end : {&line.first, &line.second}) {
            if (*end == old) {
                *end = destination;
            }
        }
        damage.addLine(line);
    }
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
    const CommandButton* command = findCommand(controlId);
    if (command == nullptr) {
        return false;
    }
    enter(state, command->mode, command->prompt);
    // Only a line shown highlighted in this mode may be deleted.
    state.recordedLine.reset();
    return true;
}

bool onMouseMove(EditorState& state, int32_t x, int32_t y) {
    if (!waitsForHover(state.editMode) || overButtonBar(y)) {
        return false;
    }
    state.hoverX = x;
    state.hoverY = y;
    return true;
}

bool onLeftButtonDown(EditorState& state, int32_t x, int32_t y) {
    if (overButtonBar(y)) {
        return false;
    }
    // A pick that hits nothing keeps mode and prompt, so the user can try again.
    switch (state.editMode) {
        case EditMode::addPoint:
            addPoint(state.figure, x, y);
            state.damage.addMark({x, y});
            finishEdit(state, donePointAdded);
            return true;
        case EditMode::deletePoint: {
            Figure removed;
            if (deletePointsAt(state.figure, x, y, &removed)) {
                state.damage.addShapes(removed);
                finishEdit(state, donePointDeleted);
            }
            return true;
        }
        case EditMode::movePick:
            if (selectPointAt(state.figure, x, y, state.selectedPoint)) {
                enter(state, EditMode::moveRelease, promptMoveDestination);
            }
            return true;
        case EditMode::moveDestination: {
            Figure moved;
            if (moveSelectedPointTo(state.figure, state.selectedPoint, x, y, &moved)) {
                addMoveDamage(state.damage, moved, {x, y});
                state.figureEdited = true;
            }
            enter(state, EditMode::idle, donePointMoved);
            return true;
        }
        case EditMode::lineFirst:
            if (selectPointAt(state.figure, x, y, state.selectedPoint)) {
                enter(state, EditMode::lineRelease, promptLineSecond);
            }
            return true;
        case EditMode::lineSecond:
            if (insertLineTo(state.figure, state.selectedPoint, x, y)) {
                state.damage.addLine(state.figure.lines.back());
                finishEdit(state, doneLineInserted);
            }
            return true;
        case EditMode::deleteLine:
            // The line is the one the last highlight recorded, wherever the pointer is now.
            if (state.recordedLine && *state.recordedLine < state.figure.lines.size()) {
                state.damage.addLine(state.figure.lines[*state.recordedLine]);
            }
            if (state.recordedLine && deleteSelectedLine(state.figure, *state.recordedLine)) {
                state.recordedLine.reset();
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
    if (state.editMode == EditMode::moveRelease) {
        state.editMode = EditMode::moveDestination;
    } else if (state.editMode == EditMode::lineRelease) {
        state.editMode = EditMode::lineSecond;
    }
}

bool pressTakesTheHighlight(const EditorState& state) {
    return state.editMode == EditMode::deleteLine;
}

void recordHighlightedLine(EditorState& state, const Highlight& highlight) {
    if (state.editMode == EditMode::deleteLine && !highlight.lines.empty()) {
        state.recordedLine = highlight.lines.back();
    }
}

bool loadAtStart(EditorState& state, const char* path) {
    state.damage.addEverything();
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
        outcome = saveFigure(state.figure, path) ? SaveOutcome::written
                  : state.figureEdited           ? SaveOutcome::failed
                                                 : SaveOutcome::nothingLost;
    }
    state.saveSettled = outcome != SaveOutcome::failed;
    return outcome;
}

void closeWithoutSaving(EditorState& state) {
    state.saveSettled = true;
}
