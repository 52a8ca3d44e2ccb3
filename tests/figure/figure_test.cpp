#include "figure/figure.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/figures.h"

namespace figury {

using testing_support::makeFigure;

namespace {

TEST(FigureStore, EmptyFigureHitsNothing) {
    Figure figure;
    size_t selection = 42;
    EXPECT_FALSE(deletePointsAt(figure, 0, 0));
    EXPECT_FALSE(selectPointAt(figure, 0, 0, selection));
    EXPECT_FALSE(insertLineTo(figure, 0, 0, 0));
    EXPECT_FALSE(deleteSelectedLine(figure, 0));
    EXPECT_EQ(42u, selection);
    EXPECT_EQ(Figure{}, figure);
}

TEST(FigureStore, HitBoxIsASquareReachingFivePixels) {
    struct Offset {
        int32_t dx;
        int32_t dy;
        bool hit;
    };
    const Offset offsets[] = {
        {0, 0, true},   {5, 0, true},   {-5, 0, true},  {0, 5, true},   {0, -5, true},
        {5, 5, true},   {-5, -5, true}, {6, 0, false},  {-6, 0, false}, {0, 6, false},
        {0, -6, false}, {5, 6, false},  {-6, 5, false},
    };
    for (const Offset& o : offsets) {
        SCOPED_TRACE(std::to_string(o.dx) + ", " + std::to_string(o.dy));
        const int32_t x = 100 + o.dx;
        const int32_t y = 200 + o.dy;
        Figure figure = makeFigure({{7, 7}, {100, 200}});
        EXPECT_EQ(o.hit, pointIsUnder({100, 200}, x, y));
        size_t selection = 9;
        EXPECT_EQ(o.hit, selectPointAt(figure, x, y, selection));
        EXPECT_EQ(o.hit ? 1u : 9u, selection);
        EXPECT_EQ(o.hit, insertLineTo(figure, 0, x, y));
        EXPECT_EQ(o.hit, deletePointsAt(figure, x, y));
        EXPECT_EQ(o.hit ? 1u : 2u, figure.points.size());
    }
}

TEST(FigureStore, ExtremeCoordinatesDoNotOverflow) {
    EXPECT_FALSE(pointIsUnder({INT32_MAX, 0}, INT32_MIN, 0));
    EXPECT_FALSE(pointIsUnder({0, INT32_MIN}, 0, INT32_MAX));
    EXPECT_TRUE(pointIsUnder({INT32_MIN, INT32_MAX}, INT32_MIN + 5, INT32_MAX - 5));

    Figure figure = makeFigure({{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MAX - 5, INT32_MAX}},
                               {{1, 2}, {2, 3}, {1, 1}});
    EXPECT_TRUE(deletePointsAt(figure, INT32_MAX, INT32_MAX));
    EXPECT_EQ(makeFigure({{INT32_MIN, INT32_MIN}}, {{1, 1}}), figure);
    EXPECT_FALSE(deletePointsAt(figure, INT32_MAX, INT32_MAX));
}

// Strictly inside on both sides, in both widths, whatever the value: the
// unsigned trick must not let a wrapped value through.
TEST(CoordinateLimit, WithinLimitIsStrictOnBothSides) {
    struct Row {
        int64_t value;
        int64_t limit;
        bool within;
    };
    const Row rows[] = {
        {0, 1, true},
        {1, 1, false},
        {-1, 1, false},
        {5, 6, true},
        {-5, 6, true},
        {6, 6, false},
        {-6, 6, false},
        {134217727, 134217728, true},
        {134217728, 134217728, false},
        {-134217727, 134217728, true},
        {-134217728, 134217728, false},
        {INT32_MAX, 134217728, false},
        {INT32_MIN, 134217728, false},
        {INT32_MAX - 1, INT32_MAX, true},
        {INT32_MAX, INT32_MAX, false},
        {INT32_MIN + 2, INT32_MAX, true},
        {INT32_MIN + 1, INT32_MAX, false},
        {INT32_MIN, INT32_MAX, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.value) + " within " + std::to_string(row.limit));
        const auto value = static_cast<int32_t>(row.value);
        const auto limit = static_cast<int32_t>(row.limit);
        EXPECT_EQ(row.within, withinLimit(value, limit));
        EXPECT_EQ(row.within, withinLimit(row.value, row.limit));
        EXPECT_EQ(row.within, withinLimit(Point{value, 0}, limit));
        EXPECT_EQ(row.within, withinLimit(Point{0, value}, limit));
    }
    // Boxes reach past 32 bits.
    const Row wide[] = {
        {int64_t{INT32_MIN} - 9, 6, false},
        {int64_t{INT32_MAX} + 1, 134217728, false},
        {(int64_t{1} << 40) - 1, int64_t{1} << 40, true},
        {int64_t{1} << 40, int64_t{1} << 40, false},
        {-(int64_t{1} << 40), int64_t{1} << 40, false},
        {INT64_MAX, 134217728, false},
        {INT64_MIN, 134217728, false},
    };
    for (const Row& row : wide) {
        SCOPED_TRACE(std::to_string(row.value) + " within " + std::to_string(row.limit));
        EXPECT_EQ(row.within, withinLimit(row.value, row.limit));
    }
}

TEST(FigureStore, TwoPointsUnderOnePosition) {
    // Points 2 and 3 are both under (52, 50); point 1 is not.
    const Figure start = makeFigure({{0, 0}, {50, 50}, {54, 50}}, {{1, 2}, {1, 3}, {2, 3}});
    Figure figure = start;
    size_t selection = 9;
    EXPECT_TRUE(selectPointAt(figure, 52, 50, selection));
    EXPECT_EQ(2u, selection) << "the later point is picked";

    EXPECT_TRUE(insertLineTo(figure, 0, 52, 50));
    EXPECT_EQ((Line{{0, 0}, {50, 50}}), figure.lines.back()) << "the earlier point is the second end";

    figure = start;
    EXPECT_TRUE(deletePointsAt(figure, 52, 50));
    EXPECT_EQ(makeFigure({{0, 0}}), figure);
}

TEST(FigureStore, DeletingAPointTakesItsLinesAndKeepsTheOrderOfTheRest) {
    Figure figure = makeFigure({{0, 0}, {100, 0}, {0, 100}, {100, 100}, {300, 300}},
                               {{2, 3}, {1, 2}, {3, 4}, {1, 3}, {4, 5}, {1, 4}, {5, 2}});
    EXPECT_TRUE(deletePointsAt(figure, 1, -1));
    const Figure expected =
        makeFigure({{100, 0}, {0, 100}, {100, 100}, {300, 300}}, {{1, 2}, {2, 3}, {3, 4}, {4, 1}});
    EXPECT_EQ(expected, figure);
}

TEST(FigureStore, DeletingAPointTakesTheLinesOfItsTwinElsewhereInTheOrder) {
    // Points 1 and 4 share (10, 10); deleting at point 4's place takes both.
    Figure figure = makeFigure({{10, 10}, {20, 20}, {30, 30}, {10, 10}}, {{1, 2}, {2, 3}, {3, 4}});
    EXPECT_TRUE(deletePointsAt(figure, 12, 8));
    EXPECT_EQ(makeFigure({{20, 20}, {30, 30}}, {{1, 2}}), figure);
}

TEST(FigureStore, MovingAPointDragsItsLineEnds) {
    Figure figure = makeFigure({{0, 0}, {100, 0}, {0, 100}}, {{1, 2}, {2, 3}, {3, 1}, {2, 2}});
    EXPECT_TRUE(moveSelectedPointTo(figure, 1, 150, 20));
    EXPECT_EQ(makeFigure({{0, 0}, {150, 20}, {0, 100}}, {{1, 2}, {2, 3}, {3, 1}, {2, 2}}), figure);
}

TEST(FigureStore, MovingWithTwinsMovesTheEarlierOnesOnly) {
    // Three points at (10, 10); the middle one is moved. The one before it
    // moves with it, the one after it stays, and every line end there moves.
    Figure figure = makeFigure({{10, 10}, {10, 10}, {10, 10}, {90, 90}}, {{4, 1}, {3, 4}});
    EXPECT_TRUE(moveSelectedPointTo(figure, 1, 50, 60));
    Figure expected = makeFigure({{50, 60}, {50, 60}, {10, 10}, {90, 90}}, {{4, 1}, {1, 4}});
    EXPECT_EQ(expected, figure);
}

TEST(FigureStore, MovingOntoAnotherPointJoinsTheirLines) {
    Figure figure = makeFigure({{0, 0}, {100, 0}, {200, 0}, {300, 0}}, {{1, 2}, {3, 4}});
    size_t selection = 9;
    ASSERT_TRUE(selectPointAt(figure, 200, 0, selection));
    EXPECT_TRUE(moveSelectedPointTo(figure, selection, 100, 0));
    EXPECT_EQ(makeFigure({{0, 0}, {100, 0}, {100, 0}, {300, 0}}, {{1, 2}, {2, 4}}), figure);
    EXPECT_TRUE(deletePointsAt(figure, 100, 0));
    EXPECT_EQ(makeFigure({{0, 0}, {300, 0}}), figure);
}

TEST(FigureStore, InsertingLines) {
    Figure figure = makeFigure({{10, 10}, {80, 40}});
    EXPECT_TRUE(insertLineTo(figure, 0, 12, 9));
    EXPECT_TRUE(insertLineTo(figure, 1, 14, 14));
    EXPECT_FALSE(insertLineTo(figure, 0, 40, 40)) << "nothing under the position";
    EXPECT_EQ(makeFigure({{10, 10}, {80, 40}}, {{1, 1}, {2, 1}}), figure);
}

TEST(FigureStore, AddingAPointOnAPointAddsASecondOne) {
    Figure figure = makeFigure({{5, 5}});
    addPoint(figure, 5, 5);
    addPoint(figure, -3, 7);
    EXPECT_EQ(makeFigure({{5, 5}, {5, 5}, {-3, 7}}), figure);
}

TEST(FigureStore, SelectionIndexThatNamesNothingChangesNothing) {
    const Figure start = makeFigure({{0, 0}, {10, 0}, {20, 0}}, {{1, 2}, {2, 3}, {3, 1}});
    for (size_t index : {size_t{3}, size_t{4}, SIZE_MAX}) {
        SCOPED_TRACE(index);
        Figure figure = start;
        EXPECT_FALSE(deleteSelectedLine(figure, index));
        EXPECT_FALSE(moveSelectedPointTo(figure, index, 5, 5));
        EXPECT_FALSE(insertLineTo(figure, index, 0, 0));
        EXPECT_EQ(start, figure);
    }
}

TEST(FigureStore, DeletingTheSelectedLine) {
    Figure figure = makeFigure({{0, 0}, {10, 0}, {20, 0}}, {{1, 2}, {2, 3}, {3, 1}});
    EXPECT_TRUE(deleteSelectedLine(figure, 1));
    EXPECT_EQ(makeFigure({{0, 0}, {10, 0}, {20, 0}}, {{1, 2}, {3, 1}}), figure);
    EXPECT_FALSE(deleteSelectedLine(figure, 2)) << "the list shrank below the recorded line";
    EXPECT_TRUE(deleteSelectedLine(figure, 1));
    EXPECT_TRUE(deleteSelectedLine(figure, 0));
    EXPECT_EQ(makeFigure({{0, 0}, {10, 0}, {20, 0}}), figure);
}

// Deleting and moving as the operations are described step by step (a
// restarting scan for deletion, a compare against the selected point as it is
// at each step for moving), to check the one-pass versions against.
bool referenceDeletePointsAt(Figure& figure, int32_t x, int32_t y) {
    bool removed = false;
    for (size_t i = 0; i < figure.points.size();) {
        const Point point = figure.points[i];
        if (!pointIsUnder(point, x, y)) {
            ++i;
            continue;
        }
        for (size_t j = 0; j < 2 * figure.lines.size();) {
            const Line& line = figure.lines[j / 2];
            if ((j % 2 ? line.second : line.first) == point) {
                figure.lines.erase(figure.lines.begin() + static_cast<std::ptrdiff_t>(j / 2));
                j = 0;
            } else {
                ++j;
            }
        }
        figure.points.erase(figure.points.begin() + static_cast<std::ptrdiff_t>(i));
        removed = true;
    }
    return removed;
}

void referenceMoveSelectedPointTo(Figure& figure, size_t s, int32_t x, int32_t y) {
    for (Point& point : figure.points) {
        const Point selected = figure.points[s];
        if (point == selected) {
            for (Line& line : figure.lines) {
                for (Point* end : {&line.first, &line.second}) {
                    if (*end == selected) {
                        *end = {x, y};
                    }
                }
            }
            point = {x, y};
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
            const size_t selection = random() % static_cast<unsigned>(points);
            insertLineTo(figure, selection, figure.points[random() % static_cast<unsigned>(points)].x,
                         coordinate());
        }
        SCOPED_TRACE(testing::PrintToString(figure));

        Figure moved = figure;
        Figure expectedMove = figure;
        const size_t selection = random() % static_cast<unsigned>(points);
        const int32_t toX = coordinate();
        const int32_t toY = coordinate();
        EXPECT_TRUE(moveSelectedPointTo(moved, selection, toX, toY));
        referenceMoveSelectedPointTo(expectedMove, selection, toX, toY);
        EXPECT_EQ(expectedMove, moved);

        Figure deleted = figure;
        Figure expectedDelete = figure;
        const int32_t atX = coordinate();
        const int32_t atY = coordinate();
        EXPECT_EQ(referenceDeletePointsAt(expectedDelete, atX, atY), deletePointsAt(deleted, atX, atY));
        EXPECT_EQ(expectedDelete, deleted);
    }
}

}  // namespace

}  // namespace figury
