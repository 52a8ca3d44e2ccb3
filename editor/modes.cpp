#include "editor/modes.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iterator>
#include <optional>
#include <utility>

#include "editor/commands.h"
#include "editor/texts.h"
#include "figure/figure_file.h"

namespace figury {

namespace {

void enter(EditorState& state, EditMode mode, const char* message) {
    state.editMode = mode;
    state.statusText = message;
}

// The status after an undo and a redo of each kind of edit.
struct HistoryMessages {
    EditKind kind;
    const char* undone;
    const char* redone;
};
constexpr HistoryMessages historyMessages[] = {
    {EditKind::pointAdded, undonePointAdded, redonePointAdded},
    {EditKind::pointsDeleted, undonePointDeleted, redonePointDeleted},
    {EditKind::pointMoved, undonePointMoved, redonePointMoved},
    {EditKind::lineInserted, undoneLineInserted, redoneLineInserted},
    {EditKind::lineDeleted, undoneLineDeleted, redoneLineDeleted},
};

const HistoryMessages& messagesFor(EditKind kind) {
    return *std::find_if(std::begin(historyMessages), std::end(historyMessages),
                         [kind](const HistoryMessages& messages) { return messages.kind == kind; });
}

// Undo and redo, done or not, leave the idle mode; a line recorded before
// may now be another one or none.
void stepThroughHistory(EditorState& state, bool back) {
    const std::optional<EditKind> kind = back ? state.document.undo() : state.document.redo();
    const char* message = back ? nothingToUndo : nothingToRedo;
    if (kind) {
        message = back ? messagesFor(*kind).undone : messagesFor(*kind).redone;
    }
    enter(state, EditMode::idle, message);
    state.recordedLine.reset();
}

// The figure stays as it was, and a line recorded in delete-line mode is
// forgotten with the mode.
bool cancelOperation(EditorState& state) {
    if (state.editMode == EditMode::idle) {
        return false;
    }
    enter(state, EditMode::idle, operationCancelled);
    state.recordedLine.reset();
    return true;
}

bool overButtonBar(int32_t y) {
    return y < buttonBarHeight;
}

// The whole file, binary; false when it cannot be read. Read in one go into
// memory of the file's size: grown chunk by chunk, a 25 MB file took twice
// its size in fresh pages and copies, 0.23 s under Wine.
bool readWholeFile(const char* path, std::vector<char>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    bool read = true;
    try {
        const long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
        std::rewind(file);
        if (size > 0) {
            bytes.resize(static_cast<size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
        // What the size did not tell: a file that grew while it was read.
        char chunk[1 << 16];
        size_t count = 0;
        while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            bytes.insert(bytes.end(), chunk, chunk + count);
        }
        read = std::ferror(file) == 0;
    } catch (const std::exception&) {  // out of memory
        read = false;
    }
    std::fclose(file);
    return read;
}

// The save shared by the close and Ctrl+S; a success leaves the figure saved
// and the text written in written.
SaveOutcome saveFigureFile(EditorState& state, ChangedFile changedFile, const char* path,
                           std::vector<char>& written) {
    const bool edited = state.document.edited();
    SaveOutcome outcome = SaveOutcome::unreadFileKept;
    const FileStamp now = fileStampOf(path);
    // Only a file written, created or replaced since the load counts as
    // changed; one that is gone goes the way it would have gone otherwise.
    if (now.present && now != state.loadedFile) {
        outcome = !edited                           ? SaveOutcome::changedFileKept
                  : changedFile == ChangedFile::ask ? SaveOutcome::changedFileAtStake
                                                    : SaveOutcome::written;
    } else if (!state.unreadFileKept || edited) {
        outcome = SaveOutcome::written;
    }
    if (outcome == SaveOutcome::written) {
        try {
            written = figureFileText(state.document.figure());
        } catch (const std::exception&) {  // out of memory
            written.clear();
            outcome = SaveOutcome::failed;
        }
    }
    if (outcome == SaveOutcome::written && !saveFigureText(written, path)) {
        outcome = SaveOutcome::failed;
    }
    if (outcome == SaveOutcome::failed) {
        std::vector<char>().swap(written);
        if (!edited) {
            outcome = SaveOutcome::nothingLost;
        }
    }
    if (outcome == SaveOutcome::written) {
        state.document.markSaved();
        state.loadedFile = fileStampOf(path);
        state.unreadFileKept = false;
    }
    return outcome;
}

bool waitsForHover(EditMode mode) {
    return mode == EditMode::deletePoint || mode == EditMode::movePick || mode == EditMode::lineFirst ||
           mode == EditMode::lineSecond || mode == EditMode::deleteLine;
}

}  // namespace

bool onCommand(EditorState& state, int controlId) {
    if (controlId == static_cast<int>(Command::cancel)) {
        return cancelOperation(state);
    }
    if (controlId == static_cast<int>(Command::undo) || controlId == static_cast<int>(Command::redo)) {
        stepThroughHistory(state, controlId == static_cast<int>(Command::undo));
        return true;
    }
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
    FigureDocument& document = state.document;
    switch (state.editMode) {
        case EditMode::addPoint:
            document.edit(EditKind::pointAdded, [x, y](Figure& figure, FigureEdit& edit) {
                addPoint(figure, x, y, &edit);
                return true;
            });
            enter(state, EditMode::idle, donePointAdded);
            return true;
        case EditMode::deletePoint:
            if (document.edit(EditKind::pointsDeleted, [x, y](Figure& figure, FigureEdit& edit) {
                    return deletePointsAt(figure, x, y, &edit);
                })) {
                enter(state, EditMode::idle, donePointDeleted);
            }
            return true;
        case EditMode::movePick:
            if (selectPointAt(document.figure(), x, y, state.selectedPoint)) {
                enter(state, EditMode::moveRelease, promptMoveDestination);
            }
            return true;
        case EditMode::moveDestination:
            document.edit(EditKind::pointMoved, [&state, x, y](Figure& figure, FigureEdit& edit) {
                return moveSelectedPointTo(figure, state.selectedPoint, x, y, &edit);
            });
            enter(state, EditMode::idle, donePointMoved);
            return true;
        case EditMode::lineFirst:
            if (selectPointAt(document.figure(), x, y, state.selectedPoint)) {
                enter(state, EditMode::lineRelease, promptLineSecond);
            }
            return true;
        case EditMode::lineSecond:
            if (document.edit(EditKind::lineInserted, [&state, x, y](Figure& figure, FigureEdit& edit) {
                    return insertLineTo(figure, state.selectedPoint, x, y, &edit);
                })) {
                enter(state, EditMode::idle, doneLineInserted);
            }
            return true;
        case EditMode::deleteLine:
            // The line is the one the last highlight recorded, wherever the pointer is now.
            if (state.recordedLine &&
                document.edit(EditKind::lineDeleted, [&state](Figure& figure, FigureEdit& edit) {
                    return deleteSelectedLine(figure, *state.recordedLine, &edit);
                })) {
                state.recordedLine.reset();
                enter(state, EditMode::idle, doneLineDeleted);
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

bool loadAtStart(EditorState& state, const char* path, LoadedFile* loaded) {
    // Taken before the read: a write by another program while it reads shows
    // as a change at close.
    state.loadedFile = fileStampOf(path);
    std::vector<char> bytes;
    const bool read = readWholeFile(path, bytes);
    Figure figure;
    const bool loadedFigure = read && loadFigureFromBytes(figure, bytes.data(), bytes.size());
    if (loaded != nullptr) {
        loaded->read = read;
        loaded->bytes = std::move(bytes);
    }
    if (loadedFigure) {
        state.document.replace(std::move(figure));
        state.unreadFileKept = false;
        return false;
    }
    state.document.replace(Figure{});
    state.unreadFileKept = state.loadedFile.present;
    return true;
}

SaveOutcome saveAtClose(EditorState& state, ChangedFile changedFile, const char* path) {
    std::vector<char> written;
    const SaveOutcome outcome = saveFigureFile(state, changedFile, path, written);
    state.saveSettled = outcome != SaveOutcome::failed && outcome != SaveOutcome::changedFileAtStake;
    return outcome;
}

SaveOutcome saveNow(EditorState& state, ChangedFile changedFile, std::vector<char>& written,
                    const char* path) {
    state.recordedLine.reset();
    if (!state.document.edited()) {
        enter(state, EditMode::idle, nothingToSaveText);
        return SaveOutcome::notEdited;
    }
    // What stays when the save fails or waits for the user's answer.
    enter(state, EditMode::idle, operationCancelled);
    const SaveOutcome outcome = saveFigureFile(state, changedFile, path, written);
    if (outcome == SaveOutcome::written) {
        enter(state, EditMode::idle, figureSavedText);
    }
    return outcome;
}

void closeWithoutSaving(EditorState& state) {
    state.saveSettled = true;
}

}  // namespace figury
