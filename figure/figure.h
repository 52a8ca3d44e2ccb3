#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace figury {

struct FigureEdit;

// Client-area pixels: x to the right, y downward.
struct Point {
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(Point a, Point b) { return !(a == b); }
};

// A line keeps copies of its end coordinates; it is attached to every point
// that has the same coordinates as one of its ends.
struct Line {
    Point first;
    Point second;

    friend bool operator==(const Line& a, const Line& b) {
        return a.first == b.first && a.second == b.second;
    }
    friend bool operator!=(const Line& a, const Line& b) { return !(a == b); }
};

// The one figure the editor works on, in storage order (the order of
// creation). The operations below keep every line end on some point.
struct Figure {
    std::vector<Point> points;
    std::vector<Line> lines;

    friend bool operator==(const Figure& a, const Figure& b) {
        return a.points == b.points && a.lines == b.lines;
    }
    friend bool operator!=(const Figure& a, const Figure& b) { return !(a == b); }
};

// Whether -limit < value < limit: the test of every coordinate limit. Without
// a branch, as the scans over every shape make it; the 32-bit form for
// coordinates, the 64-bit one for boxes around them (within 62 bits).
constexpr bool withinLimit(int32_t value, int32_t limit) {
    return static_cast<uint32_t>(value) + static_cast<uint32_t>(limit - 1) <
           2 * static_cast<uint32_t>(limit) - 1;
}
constexpr bool withinLimit(int64_t value, int64_t limit) {
    return static_cast<uint64_t>(value) + static_cast<uint64_t>(limit - 1) <
           2 * static_cast<uint64_t>(limit) - 1;
}
constexpr bool withinLimit(Point point, int32_t limit) {
    // Both tested, without a branch.
    return (int{withinLimit(point.x, limit)} & int{withinLimit(point.y, limit)}) != 0;
}
static_assert(withinLimit(int32_t{-5}, 6) && !withinLimit(int32_t{-6}, 6) && !withinLimit(int32_t{6}, 6));
static_assert(!withinLimit(int32_t{INT32_MIN}, 6) && !withinLimit(int64_t{INT32_MIN} - 9, int64_t{6}));

// Half-width of the pick square: a point is under a position when both
// coordinate differences are smaller than this.
constexpr int32_t hitBoxHalfWidth = 6;

// True when the point lies in the pick square around (x, y).
bool pointIsUnder(Point point, int32_t x, int32_t y);

// Each operation that changes the figure writes what it changed into edit,
// when given, so that it can be undone (figure_edit.h).

void addPoint(Figure& figure, int32_t x, int32_t y, FigureEdit* edit = nullptr);

// Removes every point under (x, y) with every line attached to it. True when a
// point was removed.
bool deletePointsAt(Figure& figure, int32_t x, int32_t y, FigureEdit* edit = nullptr);

// The last point under (x, y) in storage order goes to selectedPoint. False
// when there is none (selectedPoint unchanged).
bool selectPointAt(const Figure& figure, int32_t x, int32_t y, size_t& selectedPoint);

// Moves the selected point, and every line end attached to it, to (x, y).
// False, changing nothing, when the index names no point. Points and lines
// that stay where they were are not written into edit.
bool moveSelectedPointTo(Figure& figure, size_t selectedPoint, int32_t x, int32_t y,
                         FigureEdit* edit = nullptr);

// Adds a line from the selected point to the first point under (x, y). False
// when there is none, or the index names no point.
bool insertLineTo(Figure& figure, size_t selectedPoint, int32_t x, int32_t y, FigureEdit* edit = nullptr);

// Removes the line at index selectedLine. False, changing nothing, when there
// is no such line.
bool deleteSelectedLine(Figure& figure, size_t selectedLine, FigureEdit* edit = nullptr);

void clear(Figure& figure);

// A 64-bit hash of the figure's points and lines in their storage order:
// two figures of one hash are, but for a chance of one in 2^64, the same.
uint64_t figureHash(const Figure& figure);

}  // namespace figury
