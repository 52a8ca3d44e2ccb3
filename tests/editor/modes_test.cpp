#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "editor/commands.h"
#include "editor/modes.h"
#include "editor/win32/mouse_position.h"
#include "support/figures.h"
#include "support/user_texts.h"

namespace figury {

namespace {

using testing_support::figureOf;
using testing_support::pathFigure;

// The prompts and messages as the status text must hold them.
const std::string deletePrompt = user_texts::windows1250(user_texts::promptDeletePoint);
const std::string pointAdded = user_texts::windows1250(user_texts::pointAdded);
const std::string pointDeleted = user_texts::windows1250(user_texts::pointDeleted);
const std::string destinationPrompt = user_texts::windows1250(user_texts::promptMoveDestination);
const std::string pointMoved = user_texts::windows1250(user_texts::pointMoved);
const std::string secondPointPrompt = user_texts::windows1250(user_texts::promptLineSecond);
const std::string lineInserted = user_texts::windows1250(user_texts::lineInserted);
const std::string lineDeleted = user_texts::windows1250(user_texts::lineDeleted);
const std::string nothingToUndo = user_texts::windows1250(user_texts::nothingToUndo);
const std::string nothingToRedo = user_texts::windows1250(user_texts::nothingToRedo);
const std::string cancelled = user_texts::windows1250(user_texts::cancelled);

constexpr int undo = static_cast<int>(Command::undo);
constexpr int redo = static_cast<int>(Command::redo);
constexpr int cancel = static_cast<int>(Command::cancel);

// What undo and redo say after the edit a press made in each mode.
struct HistoryTexts {
    int mode;
    std::string_view undone;
    std::string_view redone;
};
const HistoryTexts historyTexts[] = {
    {1, user_texts::undonePointAdded, user_texts::redonePointAdded},
    {2, user_texts::undonePointDeleted, user_texts::redonePointDeleted},
    {5, user_texts::undonePointMoved, user_texts::redonePointMoved},
    {8, user_texts::undoneLineInserted, user_texts::redoneLineInserted},
    {10, user_texts::undoneLineDeleted, user_texts::redoneLineDeleted},
};

const std::vector<int> allModes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10};

int modeOf(const EditorState& state) {
    return static_cast<int>(state.editMode);
}

// The state in a mode, with a point picked.
EditorState stateIn(int mode, Figure figure = pathFigure(), size_t selection = 0) {
    EditorState state;
    state.editMode = static_cast<EditMode>(mode);
    state.document.replace(std::move(figure));
    state.selectedPoint = selection;
    state.statusText = "earlier text";
    return state;
}

// The one place a new command is written down for the tests: the window's
// buttons and every other test take the commands from the table.
TEST(EditModes, TheCommandTableHoldsEachCommandsButtonPromptAndMode) {
    struct Row {
        int id;
        std::string_view label;
        int x;
        std::string_view prompt;
        int mode;
    };
    const Row rows[] = {
        {100, user_texts::buttonAddPoint, 150, user_texts::promptAddPoint, 1},
        {101, user_texts::buttonDeletePoint, 250, user_texts::promptDeletePoint, 2},
        {102, user_texts::buttonMovePoint, 350, user_texts::promptMovePoint, 3},
        {103, user_texts::buttonInsertLine, 450, user_texts::promptInsertLine, 6},
        {104, user_texts::buttonDeleteLine, 550, user_texts::promptDeleteLine, 10},
    };
    ASSERT_EQ(std::size(rows), commandButtons.size());
    for (size_t k = 0; k < commandButtons.size(); ++k) {
        SCOPED_TRACE(rows[k].id);
        const CommandButton& button = commandButtons[k];
        EXPECT_EQ(rows[k].id, static_cast<int>(button.id));
        EXPECT_EQ(user_texts::windows1250(rows[k].label), button.label);
        EXPECT_EQ(rows[k].x, button.x);
        EXPECT_EQ(user_texts::windows1250(rows[k].prompt), button.prompt);
        EXPECT_EQ(rows[k].mode, static_cast<int>(button.mode));
    }
}

TEST(EditModes, EveryCommandSetsItsModeAndPromptFromEveryMode) {
    for (const CommandButton& command : commandButtons) {
        for (int from : allModes) {
            SCOPED_TRACE("command " + std::to_string(static_cast<int>(command.id)) + " in mode " +
                         std::to_string(from));
            EditorState state = stateIn(from, pathFigure(), 1);
            state.recordedLine = 1;
            EXPECT_TRUE(onCommand(state, static_cast<int>(command.id)));
            EXPECT_EQ(command.mode, state.editMode);
            EXPECT_STREQ(command.prompt, state.statusText);
            EXPECT_EQ(1u, state.selectedPoint);
            EXPECT_FALSE(state.recordedLine) << "only a line shown in the new mode may be deleted";
            EXPECT_EQ(pathFigure(), state.document.figure());
        }
    }
}

TEST(EditModes, OtherIdentifiersAreIgnored) {
    // 0 is what the two blank end buttons carry.
    for (int id : {0, 1, 99, 105, 109, 113, 0xFFFF, -1}) {
        SCOPED_TRACE(id);
        EditorState state = stateIn(5);
        EXPECT_FALSE(onCommand(state, id));
        EXPECT_EQ(5, modeOf(state));
        EXPECT_STREQ("earlier text", state.statusText);
    }
}

TEST(EditModes, PressInEachModeFollowsTheTable) {
    const std::string unchanged = "earlier text";
    struct Row {
        const char* name;
        int mode;
        size_t selection;
        int32_t x, y;
        bool repaint;
        int expectedMode;
        const std::string& expectedStatus;
        Figure expectedFigure;
        size_t expectedSelection;
        std::optional<size_t> recordedLine = std::nullopt;  // as a delete-line highlight recorded it
        std::optional<size_t> expectedRecordedLine = std::nullopt;
    };
    const Row rows[] = {
        {"idle press does nothing", 0, 0, 100, 100, false, 0, unchanged, pathFigure(), 0},
        {"add point", 1, 0, 300, 310, true, 0, pointAdded,
         figureOf({100, 100, 200, 100, 150, 200, 300, 310}, {100, 100, 200, 100, 200, 100, 150, 200}), 0},
        {"add point on a point adds a second one", 1, 0, 100, 100, true, 0, pointAdded,
         figureOf({100, 100, 200, 100, 150, 200, 100, 100}, {100, 100, 200, 100, 200, 100, 150, 200}), 0},
        {"delete point 5 px away", 2, 0, 105, 95, true, 0, pointDeleted,
         figureOf({200, 100, 150, 200}, {200, 100, 150, 200}), 0},
        {"delete point missed at 6 px", 2, 0, 106, 100, true, 2, unchanged, pathFigure(), 0},
        {"pick the point to move", 3, 0, 201, 99, true, 4, destinationPrompt, pathFigure(), 1},
        {"pick to move missed", 3, 0, 10, 40, true, 3, unchanged, pathFigure(), 0},
        {"press while waiting for the release of a move", 4, 1, 300, 300, false, 4, unchanged, pathFigure(),
         1},
        // The second picks take the point of their first, never a recorded line.
        {"move the picked point with its line ends", 5, 1, 50, 60, true, 0, pointMoved,
         figureOf({100, 100, 50, 60, 150, 200}, {100, 100, 50, 60, 50, 60, 150, 200}), 1, 0, 0},
        {"pick the first point of a line", 6, 0, 150, 200, true, 7, secondPointPrompt, pathFigure(), 2},
        {"first point missed", 6, 0, 400, 400, true, 6, unchanged, pathFigure(), 0},
        {"press while waiting for the release of a line", 7, 2, 100, 100, false, 7, unchanged, pathFigure(),
         2},
        {"insert a line to the second point", 8, 2, 100, 100, true, 0, lineInserted,
         figureOf({100, 100, 200, 100, 150, 200},
                  {100, 100, 200, 100, 200, 100, 150, 200, 150, 200, 100, 100}),
         2, 0, 0},
        {"a line to the first point itself has zero length", 8, 2, 150, 200, true, 0, lineInserted,
         figureOf({100, 100, 200, 100, 150, 200},
                  {100, 100, 200, 100, 200, 100, 150, 200, 150, 200, 150, 200}),
         2},
        {"second point missed", 8, 2, 400, 400, true, 8, unchanged, pathFigure(), 2},
        {"delete the recorded line wherever the pointer is", 10, 0, 700, 500, true, 0, lineDeleted,
         figureOf({100, 100, 200, 100, 150, 200}, {100, 100, 200, 100}), 0, 1, std::nullopt},
        {"nothing recorded: a point pick's index is no line to delete", 10, 2, 150, 100, true, 10, unchanged,
         pathFigure(), 2},
        {"the first row below the button bar is a pick", 1, 0, 100, 30, true, 0, pointAdded,
         figureOf({100, 100, 200, 100, 150, 200, 100, 30}, {100, 100, 200, 100, 200, 100, 150, 200}), 0},
        // A blank end button passes its presses on to the window.
        {"a press over the button bar adds no point", 1, 0, 100, 29, false, 1, unchanged, pathFigure(), 0},
        {"a press over the button bar deletes no line", 10, 0, 700, 0, false, 10, unchanged, pathFigure(), 0,
         1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EditorState state = stateIn(row.mode, pathFigure(), row.selection);
        state.recordedLine = row.recordedLine;
        EXPECT_EQ(row.repaint, onLeftButtonDown(state, row.x, row.y));
        EXPECT_EQ(row.expectedMode, modeOf(state));
        EXPECT_EQ(row.expectedStatus, state.statusText);
        EXPECT_EQ(row.expectedFigure, state.document.figure());
        EXPECT_EQ(row.expectedSelection, state.selectedPoint);
        EXPECT_EQ(row.expectedRecordedLine, state.recordedLine);

        // Undone, the figure is as before the press, storage order included;
        // redone, as after it. Both end in the idle mode and say what they did.
        const bool edited = row.expectedFigure != pathFigure();
        const auto texts = std::find_if(std::begin(historyTexts), std::end(historyTexts),
                                        [&row](const HistoryTexts& t) { return t.mode == row.mode; });
        EXPECT_TRUE(onCommand(state, undo));
        EXPECT_EQ(pathFigure(), state.document.figure());
        EXPECT_EQ(0, modeOf(state));
        EXPECT_EQ(edited ? user_texts::windows1250(texts->undone) : nothingToUndo, state.statusText);
        EXPECT_FALSE(state.document.edited());
        EXPECT_TRUE(onCommand(state, redo));
        EXPECT_EQ(row.expectedFigure, state.document.figure());
        EXPECT_EQ(edited ? user_texts::windows1250(texts->redone) : nothingToRedo, state.statusText);
        EXPECT_EQ(edited, state.document.edited());
    }
}

// Esc calls off what waits in every mode but the idle one, where it does
// nothing at all: no text, no repaint, the recorded line left as it was.
TEST(EditModes, UndoRedoAndEscAbandonAHalfDoneOperationAndForgetTheRecordedLine) {
    for (int mode : allModes) {
        for (int id : {undo, redo, cancel}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", command " + std::to_string(id));
            EditorState state = stateIn(mode, pathFigure(), 1);
            state.recordedLine = 1;
            state.hoverX = 150;
            state.hoverY = 200;
            const bool nothingToCallOff = id == cancel && mode == 0;
            EXPECT_EQ(!nothingToCallOff, onCommand(state, id));
            EXPECT_EQ(0, modeOf(state));
            EXPECT_EQ(id == undo   ? nothingToUndo
                      : id == redo ? nothingToRedo
                      : mode == 0  ? "earlier text"
                                   : cancelled,
                      state.statusText);
            EXPECT_EQ(nothingToCallOff, state.recordedLine.has_value());
            EXPECT_EQ(1u, state.selectedPoint);
            EXPECT_EQ(150, state.hoverX);
            EXPECT_FALSE(state.document.edited());
            // The release of a press held through the key does not arm a
            // second pick, and a press that follows is an idle one: the move
            // or line is gone.
            onLeftButtonUp(state, 150, 200);
            EXPECT_EQ(0, modeOf(state));
            EXPECT_FALSE(onLeftButtonDown(state, 150, 200));
            EXPECT_EQ(pathFigure(), state.document.figure());
        }
    }
}

TEST(EditModes, ANewEditClearsWhatCouldBeRedone) {
    EditorState state = stateIn(0);
    onCommand(state, 100);
    onLeftButtonDown(state, 300, 300);
    onCommand(state, 100);
    onLeftButtonDown(state, 310, 300);
    onCommand(state, undo);
    onCommand(state, 100);
    onLeftButtonDown(state, 320, 300);
    onCommand(state, redo);
    EXPECT_EQ(nothingToRedo, state.statusText);
    EXPECT_EQ(figureOf({100, 100, 200, 100, 150, 200, 300, 300, 320, 300},
                       {100, 100, 200, 100, 200, 100, 150, 200}),
              state.document.figure());
    onCommand(state, undo);
    onCommand(state, undo);
    onCommand(state, undo);
    EXPECT_EQ(pathFigure(), state.document.figure());
    EXPECT_EQ(nothingToUndo, state.statusText);
}

TEST(EditModes, ReleaseArmsOnlyTheSecondPick) {
    for (int from : allModes) {
        for (int32_t y : {30, 29}) {
            SCOPED_TRACE("mode " + std::to_string(from) + ", y " + std::to_string(y));
            EditorState state = stateIn(from);
            onLeftButtonUp(state, 400, y);
            // Over the button bar, as over any button, the release still awaits.
            const int expected = y < 30 ? from : from == 4 ? 5 : from == 7 ? 8 : from;
            EXPECT_EQ(expected, modeOf(state));
            EXPECT_STREQ("earlier text", state.statusText);
            EXPECT_EQ(pathFigure(), state.document.figure());
        }
    }
}

TEST(EditModes, HoverIsRecordedAndRepaintedOnlyWhileAPickIsAwaited) {
    for (int mode : allModes) {
        SCOPED_TRACE(mode);
        EditorState state = stateIn(mode);
        state.hoverX = 7;
        state.hoverY = 8;
        const bool awaited = mode == 2 || mode == 3 || mode == 6 || mode == 8 || mode == 10;
        // Over the button bar the pointer is not over the figure.
        EXPECT_FALSE(onMouseMove(state, 400, 29));
        EXPECT_EQ(7, state.hoverX);
        EXPECT_EQ(awaited, onMouseMove(state, -20, 30000));
        EXPECT_EQ(awaited ? -20 : 7, state.hoverX);
        EXPECT_EQ(awaited ? 30000 : 8, state.hoverY);
        EXPECT_EQ(awaited, onMouseMove(state, 400, 30));
        EXPECT_EQ(mode, modeOf(state));
    }
}

TEST(EditModes, MoveTakesTwoPressesWithAReleaseBetween) {
    EditorState state = stateIn(0);
    onCommand(state, 102);
    ASSERT_TRUE(onLeftButtonDown(state, 100, 100));
    EXPECT_EQ(4, modeOf(state));
    // Released over a button: the window never sees it, and a press before the
    // next release does nothing.
    EXPECT_FALSE(onLeftButtonDown(state, 300, 300));
    EXPECT_EQ(pathFigure(), state.document.figure());
    onLeftButtonUp(state, 300, 300);
    EXPECT_EQ(5, modeOf(state));
    onLeftButtonDown(state, 120, 130);
    EXPECT_EQ(0, modeOf(state));
    EXPECT_EQ(figureOf({120, 130, 200, 100, 150, 200}, {120, 130, 200, 100, 200, 100, 150, 200}),
              state.document.figure());
}

TEST(EditModes, ACommandAbandonsAHalfDoneMove) {
    EditorState state = stateIn(0);
    onCommand(state, 102);
    onLeftButtonDown(state, 200, 100);
    onLeftButtonUp(state, 200, 100);
    ASSERT_EQ(5, modeOf(state));
    onCommand(state, 101);
    EXPECT_EQ(2, modeOf(state));
    EXPECT_EQ(deletePrompt, state.statusText);
    // The press now deletes instead of moving; the picked point never moved.
    onLeftButtonDown(state, 400, 400);
    EXPECT_EQ(pathFigure(), state.document.figure());
    EXPECT_EQ(2, modeOf(state));
}

TEST(EditModes, OnlyCompletedEditsCountAsChanges) {
    EditorState state = stateIn(0);
    onCommand(state, 101);
    onLeftButtonDown(state, 400, 400);  // missed
    onCommand(state, 102);
    onLeftButtonDown(state, 100, 100);  // a pick alone changes nothing
    onLeftButtonUp(state, 100, 100);
    onCommand(state, 104);
    onLeftButtonDown(state, 150, 100);  // no line highlighted yet
    EXPECT_FALSE(state.document.edited());

    const auto editedAfter = [](int mode, size_t selection, int32_t x, int32_t y) {
        EditorState edited = stateIn(mode, pathFigure(), selection);
        edited.recordedLine = 0;
        onLeftButtonDown(edited, x, y);
        return edited.document.edited();
    };
    EXPECT_TRUE(editedAfter(1, 0, 1, 31));
    EXPECT_TRUE(editedAfter(2, 0, 100, 100));
    EXPECT_TRUE(editedAfter(5, 0, 1, 31));
    EXPECT_TRUE(editedAfter(8, 0, 200, 100));
    EXPECT_TRUE(editedAfter(10, 0, 1, 31));
    EXPECT_FALSE(editedAfter(5, 1, 200, 100)) << "a point moved onto its own place";
}

TEST(MousePosition, HalvesAreSignExtended) {
    struct Row {
        uint64_t lParam;
        int32_t x, y;
    };
    const Row rows[] = {
        {0x00000000u, 0, 0},
        {0x00C80064u, 100, 200},
        {0xFFFFFFFFu, -1, -1},
        {0x80007FFFu, 32767, -32768},
        {0x7FFF8000u, -32768, 32767},
        {0xFFFFFFFF00050003ull, 3, 5},  // bits above the two halves are not part of them
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lParam);
        const auto lParam = static_cast<intptr_t>(static_cast<uintptr_t>(row.lParam));
        EXPECT_EQ(row.x, mouseX(lParam));
        EXPECT_EQ(row.y, mouseY(lParam));
    }
}

}  // namespace

}  // namespace figury
