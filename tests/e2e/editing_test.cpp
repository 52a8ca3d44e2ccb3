// Every editing operation done with the mouse on the square, checked on
// screen after each step and in the file after closing.

#include "e2e_fixture.h"

namespace figury {

namespace e2e {
namespace {

using EditingTest = EditorTest;

TEST_F(EditingTest, InsertPointAddsOnePointPerCommandEvenOnTopOfAnother) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(600, 250));
    Image shown;
    ASSERT_TRUE(session_.statusIs(kPointAdded, &shown));
    EXPECT_TRUE(pointMarked(shown, 600, 250));

    // Back in the idle mode a press adds nothing.
    ASSERT_TRUE(session_.click(650, 450));

    // A new point on an existing one is a second point, not a pick.
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(kAx, kAy));
    ASSERT_TRUE(session_.statusIs(kPointAdded, &shown));
    EXPECT_FALSE(pointMarked(shown, 650, 450));

    closeNormally();
    Points points = kSquarePoints;
    points.push_back({600, 250});
    points.push_back({kAx, kAy});
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

TEST_F(EditingTest, DeletePointKeepsItsPromptAfterAMissAndTakesTheLinesAlong) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kDeletePoint));
    ASSERT_TRUE(session_.statusIs(kPromptDeletePoint));
    // 6 pixels off is beside the point.
    ASSERT_TRUE(session_.click(kBx + 6, kBy));
    ASSERT_TRUE(session_.click(kBx, kBy - 6));
    Image shown = session_.shown();
    EXPECT_TRUE(statusShows(shown, kPromptDeletePoint));
    EXPECT_TRUE(pointMarked(shown, kBx, kBy));

    // 5 pixels off is on it: B goes, and with it AB and BC.
    ASSERT_TRUE(session_.click(kBx - 5, kBy + 5));
    ASSERT_TRUE(session_.statusIs(kPointDeleted, &shown));
    EXPECT_FALSE(pointMarked(shown, kBx, kBy));
    EXPECT_EQ(shown.pixel((kAx + kBx) / 2, kAy), kWhite);
    EXPECT_EQ(shown.pixel(kBx, (kBy + kCy) / 2), kWhite);
    EXPECT_EQ(shown.pixel((kCx + kDx) / 2, kCy), kBlack);

    closeNormally();
    EXPECT_EQ(readData(), savedFile({{kAx, kAy}, {kCx, kCy}, {kDx, kDy}}, {{2, 3}}));
}

// A press on the wrong point takes it and its lines; Ctrl+Z, with the focus
// still on the button, brings them back where they were, and what is saved
// is the figure the user meant.
TEST_F(EditingTest, AMisclickIsUndoneWithCtrlZAndTheIntendedEditIsSaved) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kDeletePoint));
    ASSERT_TRUE(session_.click(kAx, kAy));  // meant B
    Image shown;
    ASSERT_TRUE(session_.statusIs(kPointDeleted, &shown));
    EXPECT_FALSE(pointMarked(shown, kAx, kAy));
    ASSERT_TRUE(session_.pressKeys({VK_CONTROL, 'Z'}));
    ASSERT_TRUE(session_.statusIs(kUndonePointDeleted, &shown));
    EXPECT_TRUE(pointMarked(shown, kAx, kAy));
    EXPECT_EQ(shown.pixel((kAx + kBx) / 2, kAy), kBlack) << "AB is back";

    ASSERT_TRUE(session_.clickButton(kDeletePoint));
    ASSERT_TRUE(session_.click(kBx, kBy));
    ASSERT_TRUE(session_.statusIs(kPointDeleted));
    closeNormally();
    EXPECT_EQ(readData(), savedFile({{kAx, kAy}, {kCx, kCy}, {kDx, kDy}}, {{2, 3}}));
}

TEST_F(EditingTest, MovePointTakesAPressAReleaseAndASecondPressAndDragsItsLines) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kMovePoint));
    ASSERT_TRUE(session_.statusIs(kPromptMovePoint));
    ASSERT_TRUE(session_.click(kAx + 20, kAy + 20));  // a miss keeps the prompt
    ASSERT_TRUE(session_.press(kAx + 3, kAy - 2));
    ASSERT_TRUE(session_.statusIs(kPromptDestination));
    ASSERT_TRUE(session_.release(kAx + 3, kAy - 2));
    ASSERT_TRUE(session_.click(250, 100));
    Image shown;
    ASSERT_TRUE(session_.statusIs(kPointMoved, &shown));
    EXPECT_TRUE(pointMarked(shown, 250, 100));
    EXPECT_FALSE(pointMarked(shown, kAx, kAy));
    // AB now runs from (250, 100) to (400, 150): its middle is at (325, 125).
    EXPECT_EQ(shown.pixel(325, 125), kBlack);
    EXPECT_EQ(shown.pixel((kAx + kBx) / 2, kAy), kWhite);

    closeNormally();
    Points points = kSquarePoints;
    points[0] = {250, 100};
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

TEST_F(EditingTest, CommandAbandonsAHalfDoneMove) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kMovePoint));
    ASSERT_TRUE(session_.statusIs(kPromptMovePoint));
    ASSERT_TRUE(session_.click(kCx, kCy));
    ASSERT_TRUE(session_.statusIs(kPromptDestination));
    ASSERT_TRUE(session_.clickButton(kDeletePoint));
    ASSERT_TRUE(session_.statusIs(kPromptDeletePoint));
    ASSERT_TRUE(session_.click(600, 300));  // where the move would have gone
    Image shown = session_.shown();
    EXPECT_TRUE(statusShows(shown, kPromptDeletePoint));
    EXPECT_TRUE(pointMarked(shown, kCx, kCy));
    EXPECT_FALSE(pointMarked(shown, 600, 300));

    closeNormally();
    EXPECT_EQ(readData(), savedFile(kSquarePoints, kSquareLines));
}

// Esc, with the focus still on the button that started the move, calls it
// off after the point was picked: the click meant for its new place moves
// nothing, and the figure is saved as it was loaded.
TEST_F(EditingTest, EscCallsOffAMoveAfterThePointWasPicked) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kMovePoint));
    ASSERT_TRUE(session_.statusIs(kPromptMovePoint));
    ASSERT_TRUE(session_.click(kCx + 3, kCy - 2));
    ASSERT_TRUE(session_.statusIs(kPromptDestination));
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(session_.window(), nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, session_.button(kMovePoint));
    ASSERT_TRUE(session_.pressKeys({VK_ESCAPE}));
    Image shown;
    ASSERT_TRUE(session_.statusIs(kCancelled, &shown));
    EXPECT_TRUE(pointMarked(shown, kCx, kCy));
    ASSERT_TRUE(session_.click(600, 300));  // where the move would have gone
    shown = session_.shown();
    EXPECT_TRUE(statusShows(shown, kCancelled));
    EXPECT_TRUE(pointMarked(shown, kCx, kCy));
    EXPECT_FALSE(pointMarked(shown, 600, 300));
    EXPECT_EQ(shown.pixel(kCx, (kBy + kCy) / 2), kBlack) << "BC where it was";

    closeNormally();
    EXPECT_EQ(readData(), savedFile(kSquarePoints, kSquareLines));
}

TEST_F(EditingTest, ReleaseOverAButtonLeavesTheMoveWaitingForARelease) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kMovePoint));
    ASSERT_TRUE(session_.statusIs(kPromptMovePoint));
    ASSERT_TRUE(session_.press(kDx, kDy));
    ASSERT_TRUE(session_.statusIs(kPromptDestination));
    ASSERT_TRUE(session_.release(500, 15));  // over "wstaw linie"
    // The window never saw that release: this press does nothing, its release arms the move.
    ASSERT_TRUE(session_.click(600, 200));
    ASSERT_TRUE(session_.click(120, 420));
    Image shown;
    ASSERT_TRUE(session_.statusIs(kPointMoved, &shown));
    EXPECT_TRUE(pointMarked(shown, 120, 420));
    EXPECT_FALSE(pointMarked(shown, 600, 200));

    closeNormally();
    Points points = kSquarePoints;
    points[3] = {120, 420};
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

TEST_F(EditingTest, InsertLineJoinsTheFirstPickToTheSecondAndAllowsZeroLength) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kInsertLine));
    ASSERT_TRUE(session_.statusIs(kPromptInsertLine));
    ASSERT_TRUE(session_.press(kDx, kDy));
    ASSERT_TRUE(session_.statusIs(kPromptSecondPoint));
    ASSERT_TRUE(session_.release(kDx, kDy));
    ASSERT_TRUE(session_.click(300, 250));  // no point there: still waiting
    Image shown = session_.shown();
    EXPECT_TRUE(statusShows(shown, kPromptSecondPoint));
    ASSERT_TRUE(session_.click(kAx, kAy + 4));
    ASSERT_TRUE(session_.statusIs(kLineInserted, &shown));
    EXPECT_EQ(shown.pixel(kAx, (kAy + kDy) / 2), kBlack) << "the new line DA";

    ASSERT_TRUE(session_.clickButton(kInsertLine));
    ASSERT_TRUE(session_.statusIs(kPromptInsertLine));
    ASSERT_TRUE(session_.click(kCx, kCy));
    ASSERT_TRUE(session_.statusIs(kPromptSecondPoint));
    ASSERT_TRUE(session_.click(kCx, kCy));
    ASSERT_TRUE(session_.statusIs(kLineInserted));

    closeNormally();
    Lines lines = kSquareLines;
    lines.push_back({4, 1});
    lines.push_back({3, 3});
    EXPECT_EQ(readData(), savedFile(kSquarePoints, lines));
}

TEST_F(EditingTest, DeleteLineRemovesTheLineLastHighlightedEvenAfterThePointerLeftIt) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    ASSERT_TRUE(session_.statusIs(kPromptDeleteLine));
    ASSERT_TRUE(session_.hover(kBx + 4, 250));
    Image shown;
    ASSERT_TRUE(session_.shows([](const Image& i) { return redAcross(i, kBx, 250, false) >= 3; }, &shown))
        << "line BC highlighted";
    ASSERT_TRUE(session_.hover(600, 450));
    ASSERT_TRUE(session_.shows([](const Image& i) { return redPixels(i) == 0; }, &shown));
    ASSERT_TRUE(session_.press(600, 450));
    ASSERT_TRUE(session_.statusIs(kLineDeleted, &shown));
    ASSERT_TRUE(session_.release(600, 450));
    EXPECT_EQ(shown.pixel(kBx, 250), kWhite);
    EXPECT_EQ(shown.pixel((kAx + kBx) / 2, kAy), kBlack);
    EXPECT_EQ(shown.pixel((kCx + kDx) / 2, kCy), kBlack);

    closeNormally();
    EXPECT_EQ(readData(), savedFile(kSquarePoints, {{1, 2}, {3, 4}}));
}

TEST_F(EditingTest, DeleteLineRemovesOnlyALineShownRedSinceItsButtonWasPressed) {
    startOnSquare();
    const auto pressOnEmptyCanvasRemovesNothing = [this](const char* when) {
        SCOPED_TRACE(when);
        ASSERT_TRUE(session_.clickButton(kDeleteLine));
        ASSERT_TRUE(session_.statusIs(kPromptDeleteLine));
        ASSERT_TRUE(session_.hover(600, 450));
        ASSERT_TRUE(session_.click(600, 450));
        const Image shown = session_.shown();
        EXPECT_TRUE(statusShows(shown, kPromptDeleteLine));
        EXPECT_EQ(redPixels(shown), 0);
    };
    pressOnEmptyCanvasRemovesNothing("right after start");

    ASSERT_TRUE(session_.hover(kBx + 4, 250));
    ASSERT_TRUE(session_.shows([](const Image& i) { return redAcross(i, kBx, 250, false) >= 3; }));
    ASSERT_TRUE(session_.click(kBx + 4, 250));
    ASSERT_TRUE(session_.statusIs(kLineDeleted));
    // CD now stands where BC stood in the list of lines.
    pressOnEmptyCanvasRemovesNothing("after a line was deleted");

    // Picking C for a move leaves the place of CD in the list behind.
    ASSERT_TRUE(session_.clickButton(kMovePoint));
    ASSERT_TRUE(session_.statusIs(kPromptMovePoint));
    ASSERT_TRUE(session_.click(kCx, kCy));
    ASSERT_TRUE(session_.statusIs(kPromptDestination));
    ASSERT_TRUE(session_.click(500, 400));
    ASSERT_TRUE(session_.statusIs(kPointMoved));
    pressOnEmptyCanvasRemovesNothing("after a point was moved");

    closeNormally();
    Points points = kSquarePoints;
    points[2] = {500, 400};
    EXPECT_EQ(readData(), savedFile(points, {{1, 2}, {3, 4}}));
}

TEST_F(EditingTest, DeleteLineTakesTheLineUnderThePointerWhenThePressOvertakesItsRepaint) {
    startOnSquare();
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    ASSERT_TRUE(session_.statusIs(kPromptDeleteLine));
    ASSERT_TRUE(session_.hover(300, kAy + 4));
    ASSERT_TRUE(session_.shows([](const Image& i) { return redAcross(i, 300, kAy, true) == 3; }))
        << "AB highlighted";
    // Straight from AB onto CD and down at once.
    ASSERT_TRUE(session_.pressBeforeRepaint(300, kCy - 4));
    Image shown;
    ASSERT_TRUE(session_.statusIs(kLineDeleted, &shown));
    ASSERT_TRUE(session_.release(300, kCy - 4));
    EXPECT_EQ(shown.pixel(300, kAy), kBlack);
    EXPECT_EQ(shown.pixel(300, kCy), kWhite);

    closeNormally();
    EXPECT_EQ(readData(), savedFile(kSquarePoints, {{1, 2}, {2, 3}}));
}

TEST_F(EditingTest, TheBlankEndButtonsDoNothing) {
    startOnSquare();
    const POINT blankLeft{75, 15}, blankRight{725, 15};
    ASSERT_TRUE(session_.clickButton(kInsertPoint));
    ASSERT_TRUE(session_.statusIs(kPromptInsertPoint));
    ASSERT_TRUE(session_.click(blankLeft.x, blankLeft.y));
    EXPECT_TRUE(statusShows(session_.shown(), kPromptInsertPoint)) << "no point under the bar";

    // BC stays red while the pointer is over a blank button: that is not over the figure.
    ASSERT_TRUE(session_.clickButton(kDeleteLine));
    ASSERT_TRUE(session_.statusIs(kPromptDeleteLine));
    ASSERT_TRUE(session_.hover(kBx + 4, 250));
    ASSERT_TRUE(session_.shows([](const Image& i) { return redAcross(i, kBx, 250, false) >= 3; }));
    ASSERT_TRUE(session_.hover(blankRight.x, blankRight.y));
    ASSERT_TRUE(session_.click(blankRight.x, blankRight.y));
    Image shown = session_.shown();
    EXPECT_TRUE(statusShows(shown, kPromptDeleteLine));
    EXPECT_EQ(redAcross(shown, kBx, 250, false), 3);

    // A release over a blank button leaves the move waiting for a release.
    ASSERT_TRUE(session_.clickButton(kMovePoint));
    ASSERT_TRUE(session_.statusIs(kPromptMovePoint));
    ASSERT_TRUE(session_.press(kDx, kDy));
    ASSERT_TRUE(session_.statusIs(kPromptDestination));
    ASSERT_TRUE(session_.release(blankLeft.x, blankLeft.y));
    ASSERT_TRUE(session_.click(600, 200));
    ASSERT_TRUE(session_.click(120, 420));
    ASSERT_TRUE(session_.statusIs(kPointMoved, &shown));
    EXPECT_FALSE(pointMarked(shown, 600, 200));

    closeNormally();
    Points points = kSquarePoints;
    points[3] = {120, 420};
    EXPECT_EQ(readData(), savedFile(points, kSquareLines));
}

}  // namespace
}  // namespace e2e

}  // namespace figury
