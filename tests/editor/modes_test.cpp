#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor_test_support.h"
#include "modes.h"

namespace {

// The prompts and messages as the user must see them, in Windows-1250.
const std::string addPrompt = "Dodawanie punktu - Wskaz miejsce gdzie ma sie znajdowa\xE6 nowy punkt";
const std::string deletePrompt = "Usuwanie punktu - Wskaz punkt do usuniecia";
const std::string movePrompt = "Przesuwanie punktu - Wskaz punkt do przesuni\xEA" "cia";
const std::string linePrompt = "Wstawianie linii - Wskaz pierwszy punk linii";
const std::string deleteLinePrompt = "Usuwanie linii - Wskaz lini\xEA do usuni\xEA" "cia";
const std::string pointAdded = "Dodano nowy punkt";
const std::string pointDeleted = "Punkt zosta\xB3 usuni\xEAty";
const std::string destinationPrompt = "Przesuwanie punktu - Wskaz miejsce docelowe dla punku";
const std::string pointMoved = "Punkt zosta\xB3 przesuni\xEAty";
const std::string secondPointPrompt = "Wstawianie linii - Wskaz drugi punk linii";
const std::string lineInserted = "Wstawiono lini\xEA";
const std::string lineDeleted = "Usuni\xEAto lini\xEA";

const std::vector<int> allModes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10};

EditorState stateIn(int mode, Figure figure = pathFigure(), int32_t selection = 0) {
    EditorState state;
    state.editMode = mode;
    state.figure = std::move(figure);
    state.selectionIndex = selection;
    std::snprintf(state.statusText, sizeof state.statusText, "%s", "earlier text");
    return state;
}

TEST(EditModes, EveryCommandSetsItsModeAndPromptFromEveryMode) {
    struct Row {
        int command;
        int mode;
        const std::string& prompt;
    };
    const Row rows[] = {
        {100, 1, addPrompt},  {101, 2, deletePrompt},      {102, 3, movePrompt},
        {103, 6, linePrompt}, {104, 10, deleteLinePrompt},
    };
    for (const Row& row : rows) {
        for (int from : allModes) {
            SCOPED_TRACE("command " + std::to_string(row.command) + " in mode " + std::to_string(from));
            EditorState state = stateIn(from, pathFigure(), 2);
            state.lineToDelete = 4;
            EXPECT_TRUE(onCommand(state, row.command));
            EXPECT_EQ(row.mode, state.editMode);
            EXPECT_EQ(row.prompt, state.statusText);
            EXPECT_EQ(2, state.selectionIndex);
            if (row.command == commandDeleteLine) {
                EXPECT_EQ(std::nullopt, state.lineToDelete) << "only a line highlighted from now on";
            }
            EXPECT_TRUE(sameFigure(pathFigure(), state.figure));
        }
    }
}

TEST(EditModes, OtherIdentifiersAreIgnored) {
    // 0 is what the two blank end buttons carry.
    for (int id : {0, 1, 99, 105, 109, 0xFFFF, -1}) {
        SCOPED_TRACE(id);
        EditorState state = stateIn(modeMoveDestination);
        EXPECT_FALSE(onCommand(state, id));
        EXPECT_EQ(modeMoveDestination, state.editMode);
        EXPECT_STREQ("earlier text", state.statusText);
    }
}

TEST(EditModes, PressInEachModeFollowsTheTable) {
    const std::string unchanged = "earlier text";
    struct Row {
        const char* name;
        int mode;
        int32_t selection;
        int32_t x, y;
        bool repaint;
        int expectedMode;
        const std::string& expectedStatus;
        Figure expectedFigure;
        int32_t expectedSelection;
        std::optional<int32_t> lineToDelete = std::nullopt;  // as a delete-line highlight recorded it
        std::optional<int32_t> expectedLineToDelete = std::nullopt;
    };
    const Row rows[] = {
        {"idle press does nothing", 0, 0, 100, 100, false, 0, unchanged, pathFigure(), 0},
        {"add point", 1, 0, 300, 310, true, 0, pointAdded,
         figureOf({100, 100, 200, 100, 150, 200, 300, 310}, pathFigure().lines), 0},
        {"add point on a point adds a second one", 1, 0, 100, 100, true, 0, pointAdded,
         figureOf({100, 100, 200, 100, 150, 200, 100, 100}, pathFigure().lines), 0},
        {"delete point 5 px away", 2, 0, 105, 95, true, 0, pointDeleted,
         figureOf({200, 100, 150, 200}, {200, 100, 150, 200}), 0},
        {"delete point missed at 6 px", 2, 0, 106, 100, true, 2, unchanged, pathFigure(), 0},
        {"pick the point to move", 3, 0, 201, 99, true, 4, destinationPrompt, pathFigure(), 2},
        {"pick to move missed", 3, 0, 10, 40, true, 3, unchanged, pathFigure(), 0},
        {"press while waiting for the release of a move", 4, 2, 300, 300, false, 4, unchanged,
         pathFigure(), 2},
        // The second picks take the point of their first, never a recorded line.
        {"move the picked point with its line ends", 5, 2, 50, 60, true, 0, pointMoved,
         figureOf({100, 100, 50, 60, 150, 200}, {100, 100, 50, 60, 50, 60, 150, 200}), 2, 0, 0},
        {"pick the first point of a line", 6, 0, 150, 200, true, 7, secondPointPrompt,
         pathFigure(), 4},
        {"first point missed", 6, 0, 400, 400, true, 6, unchanged, pathFigure(), 0},
        {"press while waiting for the release of a line", 7, 4, 100, 100, false, 7, unchanged,
         pathFigure(), 4},
        {"insert a line to the second point", 8, 4, 100, 100, true, 0, lineInserted,
         figureOf(pathFigure().points, {100, 100, 200, 100, 200, 100, 150, 200, 150, 200, 100, 100}),
         4, 0, 0},
        {"a line to the first point itself has zero length", 8, 4, 150, 200, true, 0, lineInserted,
         figureOf(pathFigure().points, {100, 100, 200, 100, 200, 100, 150, 200, 150, 200, 150, 200}),
         4},
        {"second point missed", 8, 4, 400, 400, true, 8, unchanged, pathFigure(), 4},
        {"delete the recorded line wherever the pointer is", 10, 0, 700, 500, true, 0, lineDeleted,
         figureOf(pathFigure().points, {100, 100, 200, 100}), 0, 4, std::nullopt},
        {"nothing recorded: a point pick's index is no line to delete", 10, 4, 150, 100, true, 10,
         unchanged, pathFigure(), 4},
        {"the first row below the button bar is a pick", 1, 0, 100, 30, true, 0, pointAdded,
         figureOf({100, 100, 200, 100, 150, 200, 100, 30}, pathFigure().lines), 0},
        // A blank end button passes its presses on to the window.
        {"a press over the button bar adds no point", 1, 0, 100, 29, false, 1, unchanged,
         pathFigure(), 0},
        {"a press over the button bar deletes no line", 10, 0, 700, 0, false, 10, unchanged,
         pathFigure(), 0, 4, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EditorState state = stateIn(row.mode, pathFigure(), row.selection);
        state.lineToDelete = row.lineToDelete;
        EXPECT_EQ(row.repaint, onLeftButtonDown(state, row.x, row.y));
        EXPECT_EQ(row.expectedMode, state.editMode);
        EXPECT_EQ(row.expectedStatus, state.statusText);
        EXPECT_TRUE(sameFigure(row.expectedFigure, state.figure));
        EXPECT_EQ(row.expectedSelection, state.selectionIndex);
        EXPECT_EQ(row.expectedLineToDelete, state.lineToDelete);
    }
}

TEST(EditModes, ReleaseArmsOnlyTheSecondPick) {
    for (int from : allModes) {
        for (int32_t y : {30, 29}) {
            SCOPED_TRACE("mode " + std::to_string(from) + ", y " + std::to_string(y));
            EditorState state = stateIn(from);
            onLeftButtonUp(state, 400, y);
            // Over the button bar, as over any button, the release still awaits.
            const int expected = y < 30 ? from : from == 4 ? 5 : from == 7 ? 8 : from;
            EXPECT_EQ(expected, state.editMode);
            EXPECT_STREQ("earlier text", state.statusText);
            EXPECT_TRUE(sameFigure(pathFigure(), state.figure));
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
        EXPECT_EQ(mode, state.editMode);
    }
}

TEST(EditModes, MoveTakesTwoPressesWithAReleaseBetween) {
    EditorState state = stateIn(modeIdle);
    onCommand(state, commandMovePoint);
    ASSERT_TRUE(onLeftButtonDown(state, 100, 100));
    EXPECT_EQ(4, state.editMode);
    // Released over a button: the window never sees it, and a press before the
    // next release does nothing.
    EXPECT_FALSE(onLeftButtonDown(state, 300, 300));
    EXPECT_TRUE(sameFigure(pathFigure(), state.figure));
    onLeftButtonUp(state, 300, 300);
    EXPECT_EQ(5, state.editMode);
    onLeftButtonDown(state, 120, 130);
    EXPECT_EQ(0, state.editMode);
    EXPECT_TRUE(sameFigure(figureOf({120, 130, 200, 100, 150, 200}, {120, 130, 200, 100, 200, 100, 150, 200}),
                           state.figure));
}

TEST(EditModes, ACommandAbandonsAHalfDoneMove) {
    EditorState state = stateIn(modeIdle);
    onCommand(state, commandMovePoint);
    onLeftButtonDown(state, 200, 100);
    onLeftButtonUp(state, 200, 100);
    ASSERT_EQ(5, state.editMode);
    onCommand(state, commandDeletePoint);
    EXPECT_EQ(2, state.editMode);
    EXPECT_EQ(deletePrompt, state.statusText);
    // The press now deletes instead of moving; the picked point never moved.
    onLeftButtonDown(state, 400, 400);
    EXPECT_TRUE(sameFigure(pathFigure(), state.figure));
    EXPECT_EQ(2, state.editMode);
}

TEST(EditModes, OnlyCompletedEditsCountAsChanges) {
    EditorState state = stateIn(modeIdle);
    onCommand(state, commandDeletePoint);
    onLeftButtonDown(state, 400, 400);  // missed
    onCommand(state, commandMovePoint);
    onLeftButtonDown(state, 100, 100);  // a pick alone changes nothing
    onLeftButtonUp(state, 100, 100);
    onCommand(state, commandDeleteLine);
    onLeftButtonDown(state, 150, 100);  // no line highlighted yet
    EXPECT_FALSE(state.figureEdited);

    const auto editedAfter = [](int mode, int32_t selection, int32_t x, int32_t y) {
        EditorState edited = stateIn(mode, pathFigure(), selection);
        edited.lineToDelete = 0;
        onLeftButtonDown(edited, x, y);
        return edited.figureEdited;
    };
    EXPECT_TRUE(editedAfter(modeAddPoint, 0, 1, 31));
    EXPECT_TRUE(editedAfter(modeDeletePoint, 0, 100, 100));
    EXPECT_TRUE(editedAfter(modeMoveDestination, 0, 1, 31));
    EXPECT_TRUE(editedAfter(modeLineSecond, 0, 200, 100));
    EXPECT_TRUE(editedAfter(modeDeleteLine, 0, 1, 31));
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
