// The limits of what GDI draws right, each tested at its edge against the
// measured number written out here, not against the code that applies it.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "render/figure_damage.h"
#include "render/thin_pen_pixels.h"
#include "render/wide_pen_pixels.h"
#include "render/picture_repair.h"
#include "render/shapes_touching.h"
#include "support/figures.h"

namespace figury {

namespace {

struct LimitRow {
    int32_t coordinate;
    bool beyond;
};

// GDI draws a 1-pixel line right while its ends lie within 2^27 of the origin.
constexpr LimitRow gdiReachRows[] = {
    {0, false},         {134217727, false}, {134217728, true}, {134217729, true}, {-134217727, false},
    {-134217728, true}, {-134217729, true}, {INT32_MAX, true}, {INT32_MIN, true},
};

// A wide pen draws every line right while its ends lie within 2^22.
constexpr LimitRow wideGdiReachRows[] = {
    {0, false},       {4194303, false}, {4194304, true},   {4194305, true},   {-4194303, false},
    {-4194304, true}, {-4194305, true}, {INT32_MAX, true}, {INT32_MIN, true},
};

// The coordinate on each axis of a point, the other one 5; and on each
// axis of each end of a line whose other coordinates are 5 or 7. None of them
// comes near the boxes below.
std::vector<Point> pointsAt(int32_t c) {
    return {{c, 5}, {5, c}};
}
std::vector<Line> linesAt(int32_t c) {
    return {{{c, 5}, {7, 5}}, {{7, 5}, {c, 5}}, {{5, c}, {5, 7}}, {{5, 7}, {5, c}}};
}

TEST(GdiReach, AShapeIsFarFromACoordinate2To27OutOnEitherAxisAndSide) {
    for (const LimitRow& row : gdiReachRows) {
        SCOPED_TRACE(row.coordinate);
        for (const Point point : pointsAt(row.coordinate)) {
            EXPECT_EQ(row.beyond, isFar(point)) << testing::PrintToString(point);
        }
        for (const Line& line : linesAt(row.coordinate)) {
            EXPECT_EQ(row.beyond, isFar(line)) << testing::PrintToString(line);
        }
    }
}

// A far shape may set pixels anywhere, so every scan finds it, with SSE2 and
// without, a point in either half of a pair or alone at the end.
TEST(GdiReach, TheScanFindsEveryFarShapeAndNoNearOneAwayFromTheBoxes) {
    Figure figure;
    Figure expected;
    for (const LimitRow& row : gdiReachRows) {
        for (const Point point : pointsAt(row.coordinate)) {
            figure.points.push_back(point);
            if (row.beyond) {
                expected.points.push_back(point);
            }
        }
        for (const Line& line : linesAt(row.coordinate)) {
            figure.lines.push_back(line);
            if (row.beyond) {
                expected.lines.push_back(line);
            }
        }
    }
    // Once more, one place along, and with one more at the end.
    figure.points.push_back({5, 5});
    const size_t count = figure.points.size();
    for (size_t k = 0; k + 1 < count; ++k) {
        figure.points.push_back(figure.points[k]);
    }
    const std::vector<Point> once = expected.points;
    expected.points.insert(expected.points.end(), once.begin(), once.end());

    const std::vector<Box> boxes = {{1000, 1000, 1090, 1070}, {2000, 1500, 2001, 1501}};
    Figure found;
    findShapesTouching(figure, boxes, found);
    EXPECT_EQ(expected, found);
    findShapesTouchingScalar(figure, boxes, found);
    EXPECT_EQ(expected, found);
    std::vector<Point> marks;
    findMarksTouching(figure.points, boxes, marks);
    EXPECT_EQ(expected.points, marks);
}

// A repair redraws the boxes of the damage, unless one has a side 2^27 out:
// then the whole picture. A mark or line end that far always asks for it.
TEST(GdiReach, ADamageReachingFarRedrawsTheWholePicture) {
    for (const LimitRow& row : gdiReachRows) {
        for (int side = 0; side < 4; ++side) {
            SCOPED_TRACE(std::to_string(row.coordinate) + " on side " + std::to_string(side));
            Box box{10, 10, 20, 20};
            int64_t* const sides[] = {&box.left, &box.top, &box.right, &box.bottom};
            *sides[side] = row.coordinate;
            FigureDamage damage;
            damage.clear();
            damage.boxes.push_back(box);
            std::vector<Box> inside;
            EXPECT_EQ(!row.beyond, boxesInside(damage, 90, 70, inside));
        }
        if (!row.beyond) {
            continue;
        }
        SCOPED_TRACE(row.coordinate);
        for (const Point point : pointsAt(row.coordinate)) {
            FigureDamage damage;
            damage.clear();
            damage.addMark({30, 30});
            damage.addMark(point);
            std::vector<Box> inside;
            EXPECT_FALSE(boxesInside(damage, 90, 70, inside)) << testing::PrintToString(point);
        }
        for (const Line& line : linesAt(row.coordinate)) {
            FigureDamage damage;
            damage.clear();
            damage.addLine(line);
            std::vector<Box> inside;
            EXPECT_FALSE(boxesInside(damage, 90, 70, inside)) << testing::PrintToString(line);
        }
    }
}

TEST(WideGdiReach, TheWidePenCountsALineOnlyWithBothEndsWithin2To22) {
    for (const LimitRow& row : wideGdiReachRows) {
        SCOPED_TRACE(row.coordinate);
        for (const Line& line : linesAt(row.coordinate)) {
            EXPECT_EQ(!row.beyond, widePenCountable(line)) << testing::PrintToString(line);
        }
    }
}

}  // namespace

}  // namespace figury
