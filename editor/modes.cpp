#include "editor/modes.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <optional>
#include <utility>

#include "editor/commands.h"
#include "editor/texts.h"
#include "figure/figure_file.h"
#include "figure/save_lock.h"

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

// Whether the file at the path changed since the load or the last save, as
// its stamp now and its bytes tell. A file in which another copy of the
// editor only wrote the same figure anew, in the editor's own layout, holds
// nothing that a save would lose.
bool fileChanged(const EditorState& state, const FileStamp& now, const std::vector<char>& inFile) {
    // A file that is gone goes the way it would have gone otherwise.
    if (!now.present || now == state.knownFile) {
        return false;
    }
    Figure inside;
    try {
        return !(now.read && loadFigureFromBytes(inside, inFile.data(), inFile.size()) &&
                 figureHash(inside) == state.document.savedHash() && figureFileText(inside) == inFile);
    } catch (const std::exception&) {  // out of memory
        return true;
    }
}

// What a save must do before writing, by what it found at the path and
// whether the figure was edited; written when nothing stands in its way.
SaveOutcome saveAllowed(const EditorState& state, bool present, bool changed, bool edited, bool replace) {
    if (!edited) {
        return changed            ? SaveOutcome::changedFileKept
               : state.fileUnread ? SaveOutcome::unreadFileKept
                                  : SaveOutcome::written;
    }
    if (!replace && changed) {
        return SaveOutcome::changedFileAtStake;
    }
    if (!replace && state.fileUnread && present) {
        return SaveOutcome::unreadFileAtStake;
    }
    return SaveOutcome::written;
}

// Looks at the file and writes the figure's text over it when nothing stands
// in the way, or when the file holds those very bytes already does nothing.
// The text is left in written whenever it was made.
SaveOutcome lookAndWrite(EditorState& state, ChangedFile changedFile, bool edited, const char* path,
                         std::vector<char>& written) {
    std::vector<char> inFile;
    const FileStamp now = readStampedFile(path, inFile);
    const bool replace = changedFile == ChangedFile::replace && now == state.askedAbout;
    SaveOutcome outcome = saveAllowed(state, now.present, fileChanged(state, now, inFile), edited, replace);
    const bool atStake =
        outcome == SaveOutcome::changedFileAtStake || outcome == SaveOutcome::unreadFileAtStake;
    if (atStake) {
        state.askedAbout = now;
    }
    if (outcome != SaveOutcome::written && !(atStake && now.read)) {
        return outcome;
    }
    try {
        written = figureFileText(state.document.figure());
    } catch (const std::exception&) {  // out of memory
        return atStake ? outcome : SaveOutcome::failed;
    }
    if (now.read && written == inFile) {
        return SaveOutcome::written;  // nothing at stake after all
    }
    if (atStake) {
        return outcome;
    }
    return saveFigureText(written, path) ? SaveOutcome::written : SaveOutcome::failed;
}

// The save shared by the close and Ctrl+S; a success leaves the figure saved
// and the text written in written.
SaveOutcome saveFigureFile(EditorState& state, ChangedFile changedFile, const char* path,
                           std::vector<char>& written) {
    const bool edited = state.document.edited();
    SaveOutcome outcome = SaveOutcome::failed;
    {
        const SaveLock lock(path);
        if (!lock.waitedInVain()) {
            outcome = lookAndWrite(state, changedFile, edited, path, written);
        }
    }
    if (outcome != SaveOutcome::written) {
        std::vector<char>().swap(written);
    }
    if (outcome == SaveOutcome::failed && !edited) {
        outcome = SaveOutcome::nothingLost;
    }
    if (outcome == SaveOutcome::written) {
        state.document.markSaved();
        state.knownFile = stampOfBytes(written);
        state.fileUnread = false;
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
    // The stamp is of the very bytes loaded: a write by another program
    // during the read shows as a change at close.
    std::vector<char> bytes;
    state.knownFile = readStampedFile(path, bytes);
    const bool read = state.knownFile.read;
    Figure figure;
    const bool loadedFigure = read && loadFigureFromBytes(figure, bytes.data(), bytes.size());
    if (loaded != nullptr) {
        loaded->bytes = std::move(bytes);
    }
    if (loadedFigure) {
        state.document.replace(std::move(figure));
        state.fileUnread = false;
        return false;
    }
    state.document.replace(Figure{});
    state.fileUnread = state.knownFile.present;
    return true;
}

bool saveSettles(SaveOutcome outcome) {
    return outcome != SaveOutcome::failed && outcome != SaveOutcome::changedFileAtStake &&
           outcome != SaveOutcome::unreadFileAtStake;
}

SaveOutcome saveAtClose(EditorState& state, ChangedFile changedFile, const char* path) {
    std::vector<char> written;
    const SaveOutcome outcome = saveFigureFile(state, changedFile, path, written);
    state.saveSettled = saveSettles(outcome);
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
