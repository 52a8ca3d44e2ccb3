#include "figure.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "figure_testing.h"

using figure_testing::makeFigure;
using figure_testing::sameFigure;

namespace {

TEST(FigureStore, EmptyFigureHitsNothing) {
    Figure figure;
    int32_t selection = 42;
    EXPECT_EQ(0, deletePointsAt(figure, 0, 0));
    EXPECT_EQ(0, selectPointAt(figure, 0, 0, selection));
    EXPECT_EQ(0, insertLineTo(figure, 0, 0, 0));
    EXPECT_EQ(0, deleteSelectedLine(figure, 0));
    EXPECT_EQ(42, selection);
    EXPECT_TRUE(sameFigure(Figure{}, figure));
}

TEST(FigureStore, HitBoxIsASquareReachingFivePixels) {
    struct Offset {
        int32_t dx;
        int32_t dy;
        bool hit;
    };
    const Offset offsets[] = {
        {0, 0, true},   {5, 0, true},   {-5, 0, true},  {0, 5, true},   {0, -5, true},  {5, 5, true},
        {-5, -5, true}, {6, 0, false},  {-6, 0, false}, {0, 6, false},  {0, -6, false}, {5, 6, false},
        {-6, 5, false},
    };
    for (const Offset& o : offsets) {
        SCOPED_TRACE(std::to_string(o.dx) + ", " + std::to_string(o.dy));
        const int32_t x = 100 + o.dx;
        const int32_t y = 200 + o.dy;
        Figure figure = makeFigure({{7, 7}, {100, 200}});
        EXPECT_EQ(o.hit, pointIsUnder(100, 200, x, y));
        int32_t selection = -1;
        EXPECT_EQ(o.hit ? 1 : 0, selectPointAt(figure, x, y, selection));
        EXPECT_EQ(o.hit ? 2 : -1, selection);
        EXPECT_EQ(o.hit ? 1 : 0, insertLineTo(figure, 0, x, y));
        EXPECT_EQ(o.hit ? 1 : 0, deletePointsAt(figure, x, y));
        EXPECT_EQ(o.hit ? 1 : 2, figure.pointCount);
    }
}

TEST(FigureStore, ExtremeCoordinatesDoNotOverflow) {
    EXPECT_FALSE(pointIsUnder(INT32_MAX, 0, INT32_MIN, 0));
    EXPECT_FALSE(pointIsUnder(0, INT32_MIN, 0, INT32_MAX));
    EXPECT_TRUE(pointIsUnder(INT32_MIN, INT32_MAX, INT32_MIN + 5, INT32_MAX - 5));

    Figure figure = makeFigure({{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MAX - 5, INT32_MAX}},
                               {{1, 2}, {2, 3}, {1, 1}});
    EXPECT_EQ(1, deletePointsAt(figure, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(sameFigure(makeFigure({{INT32_MIN, INT32_MIN}}, {{1, 1}}), figure));
    EXPECT_EQ(0, deletePointsAt(figure, INT32_MAX, INT32_MAX));
}

TEST(FigureStore, TwoPointsUnderOnePosition) {
    // Points 2 and 3 are both under (52, 50); point 1 is not.
    const Figure start = makeFigure({{0, 0}, {50, 50}, {54, 50}}, {{1, 2}, {1, 3}, {2, 3}});
    Figure figure = start;
    int32_t selection = -1;
    EXPECT_EQ(1, selectPointAt(figure, 52, 50, selection));
    EXPECT_EQ(4, selection) << "the later point is picked";

    EXPECT_EQ(1, insertLineTo(figure, 0, 52, 50));
    EXPECT_EQ((std::vector<int32_t>{0, 0, 50, 50}), std::vector<int32_t>(figure.lines.end() - 4, figure.lines.end()))
        << "the earlier point is the second end";

    figure = start;
    EXPECT_EQ(1, deletePointsAt(figure, 52, 50));
    EXPECT_TRUE(sameFigure(makeFigure({{0, 0}}), figure));
}

TEST(FigureStore, DeletingAPointTakesItsLinesAndKeepsTheOrderOfTheRest) {
    Figure figure = makeFigure({{0, 0}, {100, 0}, {0, 100}, {100, 100}, {300, 300}},
                               {{2, 3}, {1, 2}, {3, 4}, {1, 3}, {4, 5}, {1, 4}, {5, 2}});
    EXPECT_EQ(1, deletePointsAt(figure, 1, -1));
    const Figure expected = makeFigure({{100, 0}, {0, 100}, {100, 100}, {300, 300}},
                                       {{1, 2}, {2, 3}, {3, 4}, {4, 1}});
    EXPECT_TRUE(sameFigure(expected, figure));
}

TEST(FigureStore, DeletingAPointTakesTheLinesOfItsTwinElsewhereInTheOrder) {
    // Points 1 and 4 share (10, 10); deleting at point 4's place takes both.
    Figure figure = makeFigure({{10, 10}, {20, 20}, {30, 30}, {10, 10}}, {{1, 2}, {2, 3}, {3, 4}});
    EXPECT_EQ(1, deletePointsAt(figure, 12, 8));
    EXPECT_TRUE(sameFigure(makeFigure({{20, 20}, {30, 30}}, {{1, 2}}), figure));
}

TEST(FigureStore, MovingAPointDragsItsLineEnds) {
    Figure figure = makeFigure({{0, 0}, {100, 0}, {0, 100}}, {{1, 2}, {2, 3}, {3, 1}, {2, 2}});
    EXPECT_EQ(1, moveSelectedPointTo(figure, 2, 150, 20));
    EXPECT_TRUE(sameFigure(makeFigure({{0, 0}, {150, 20}, {0, 100}}, {{1, 2}, {2, 3}, {3, 1}, {2, 2}}), figure));
}

TEST(FigureStore, MovingWithTwinsMovesTheEarlierOnesOnly) {
    // Three points at (10, 10); the middle one is moved. The one before it
    // moves with it, the one after it stays, and every line end there moves.
    Figure figure = makeFigure({{10, 10}, {10, 10}, {10, 10}, {90, 90}}, {{4, 1}, {3, 4}});
    EXPECT_EQ(1, moveSelectedPointTo(figure, 2, 50, 60));
    Figure expected = makeFigure({{50, 60}, {50, 60}, {10, 10}, {90, 90}}, {{4, 1}, {1, 4}});
    EXPECT_TRUE(sameFigure(expected, figure));
}

TEST(FigureStore, MovingOntoAnotherPointJoinsTheirLines) {
    Figure figure = makeFigure({{0, 0}, {100, 0}, {200, 0}, {300, 0}}, {{1, 2}, {3, 4}});
    int32_t selection = -1;
    ASSERT_EQ(1, selectPointAt(figure, 200, 0, selection));
    EXPECT_EQ(1, moveSelectedPointTo(figure, selection, 100, 0));
    EXPECT_TRUE(sameFigure(makeFigure({{0, 0}, {100, 0}, {100, 0}, {300, 0}}, {{1, 2}, {2, 4}}), figure));
    EXPECT_EQ(1, deletePointsAt(figure, 100, 0));
    EXPECT_TRUE(sameFigure(makeFigure({{0, 0}, {300, 0}}), figure));
}

TEST(FigureStore, InsertingLines) {
    Figure figure = makeFigure({{10, 10}, {80, 40}});
    EXPECT_EQ(1, insertLineTo(figure, 0, 12, 9));
    EXPECT_EQ(1, insertLineTo(figure, 2, 14, 14));
    EXPECT_EQ(0, insertLineTo(figure, 0, 40, 40)) << "nothing under the position";
    EXPECT_TRUE(sameFigure(makeFigure({{10, 10}, {80, 40}}, {{1, 1}, {2, 1}}), figure));
}

TEST(FigureStore, AddingAPointOnAPointAddsASecondOne) {
    Figure figure = makeFigure({{5, 5}});
    addPoint(figure, 5, 5);
    addPoint(figure, -3, 7);
    EXPECT_TRUE(sameFigure(makeFigure({{5, 5}, {5, 5}, {-3, 7}}), figure));
}

TEST(FigureStore, SelectionIndexThatNamesNothingChangesNothing) {
    const Figure start = makeFigure({{0, 0}, {10, 0}, {20, 0}}, {{1, 2}, {2, 3}, {3, 1}});
    for (int32_t index : {-4, -1, 2, 5, 12, 16, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(index);
        Figure figure = start;
        EXPECT_EQ(0, deleteSelectedLine(figure, index));
        EXPECT_TRUE(sameFigure(start, figure));
    }
    for (int32_t index : {-2, -1, 1, 6, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(index);
        Figure figure = start;
        EXPECT_EQ(0, moveSelectedPointTo(figure, index, 5, 5));
        EXPECT_EQ(0, insertLineTo(figure, index, 0, 0));
        EXPECT_TRUE(sameFigure(start, figure));
    }
}

TEST(FigureStore, DeletingTheSelectedLine) {
    Figure figure = makeFigure({{0, 0}, {10, 0}, {20, 0}}, {{1, 2}, {2, 3}, {3, 1}});
    EXPECT_EQ(1, deleteSelectedLine(figure, 4));
    EXPECT_TRUE(sameFigure(makeFigure({{0, 0}, {10, 0}, {20, 0}}, {{1, 2}, {3, 1}}), figure));
    EXPECT_EQ(0, deleteSelectedLine(figure, 8)) << "the list shrank below the recorded line";
    EXPECT_EQ(1, deleteSelectedLine(figure, 4));
    EXPECT_EQ(1, deleteSelectedLine(figure, 0));
    EXPECT_TRUE(sameFigure(makeFigure({{0, 0}, {10, 0}, {20, 0}}), figure));
}

TEST(FigureStore, ScansStopAtTheWholePointsAndLinesTheSequencesHold) {
    // Counts larger than the sequences, and sequences cut inside a point or a
    // line: only the whole ones stored are ever read.
    Figure figure;
    figure.pointCount = 3;
    figure.points = {10, 10, 20};
    figure.lineCount = 2;
    figure.lines = {10, 10, 10, 10, 20, 20};
    EXPECT_EQ(2u, pointElements(figure));
    EXPECT_EQ(4u, lineElements(figure));
    int32_t selection = -1;
    EXPECT_EQ(0, selectPointAt(figure, 20, 0, selection));
    EXPECT_EQ(-1, selection);
    EXPECT_EQ(0, deleteSelectedLine(figure, 4));
    EXPECT_EQ(1, deletePointsAt(figure, 10, 10));
    EXPECT_EQ(std::vector<int32_t>{20}, figure.points);
    EXPECT_EQ((std::vector<int32_t>{20, 20}), figure.lines);
}

// Deleting and moving as the operations are described step by step (a
// restarting scan for deletion, a compare against the selected point as it is
// at each step for moving), to check the one-pass versions against.
int referenceDeletePointsAt(Figure& figure, int32_t x, int32_t y) {
    int removed = 0;
    for (int32_t i = 0; i < 2 * figure.pointCount;) {
        const int32_t px = figure.points[i];
        const int32_t py = figure.points[i + 1];
        if (!pointIsUnder(px, py, x, y)) {
            i += 2;
            continue;
        }
        for (int32_t j = 0; j < 4 * figure.lineCount;) {
            if (figure.lines[j] == px && figure.lines[j + 1] == py) {
                const auto line = figure.lines.begin() + j / 4 * 4;
                figure.lines.erase(line, line + 4);
                figure.lineCount -= 1;
                j = 0;
            } else {
                j += 2;
            }
        }
        figure.points.erase(figure.points.begin() + i, figure.points.begin() + i + 2);
        figure.pointCount -= 1;
        removed = 1;
    }
    return removed;
}

void referenceMoveSelectedPointTo(Figure& figure, int32_t s, int32_t x, int32_t y) {
    for (int32_t k = 0; k < figure.pointCount; ++k) {
        const int32_t sx = figure.points[s];
        const int32_t sy = figure.points[s + 1];
        if (figure.points[2 * k] == sx && figure.points[2 * k + 1] == sy) {
            for (int32_t j = 0; j < 4 * figure.lineCount; j += 2) {
                if (figure.lines[j] == sx && figure.lines[j + 1] == sy) {
                    figure.lines[j] = x;
                    figure.lines[j + 1] = y;
                }
            }
            figure.points[2 * k] = x;
            figure.points[2 * k + 1] = y;
        }
    }
}

TEST(FigureStore, OnePassOperationsMatchTheStepByStepOnes) {
    std::mt19937 random(3);
    auto coordinate = [&] { return static_cast<int32_t>(random() % 30); };
    for (int round = 0; round < 300; ++round) {
        Figure figure;
        const int points = 1 + static_cast<int>(random() % 40);
        for (int k = 0; k < points; ++k) {
            addPoint(figure, coordinate(), coordinate());
        }
        for (int k = 0; k < 60; ++k) {
            int32_t selection = 2 * static_cast<int32_t>(random() % static_cast<unsigned>(points));
            insertLineTo(figure, selection, figure.points[2 * (random() % static_cast<unsigned>(points))],
                         coordinate());
        }
        SCOPED_TRACE(figure_testing::describe(figure));

        Figure moved = figure;
        Figure expectedMove = figure;
        const int32_t selection = 2 * static_cast<int32_t>(random() % static_cast<unsigned>(points));
        const int32_t toX = coordinate();
        const int32_t toY = coordinate();
        EXPECT_EQ(1, moveSelectedPointTo(moved, selection, toX, toY));
        referenceMoveSelectedPointTo(expectedMove, selection, toX, toY);
        EXPECT_TRUE(sameFigure(expectedMove, moved));

        Figure deleted = figure;
        Figure expectedDelete = figure;
        const int32_t atX = coordinate();
        const int32_t atY = coordinate();
        EXPECT_EQ(referenceDeletePointsAt(expectedDelete, atX, atY), deletePointsAt(deleted, atX, atY));
        EXPECT_TRUE(sameFigure(expectedDelete, deleted));
    }
}

}  // namespace
