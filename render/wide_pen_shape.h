#pragma once

#include <cstdint>
#include <cstdlib>

#include "figure/figure.h"
#include "render/canvas.h"

namespace figury {

namespace wide_pen_detail {

// What the footprint's rows (wide_pen_rows.h) and columns (wide_pen_columns.h)
// share: the pen's width, how it lies about a line, and a line's body.

static_assert(lineHighlightWidth == 3, "the footprint is that of a 3-pixel pen");
constexpr int penWidth = lineHighlightWidth;
// The pen's pixels above a level line and left of an upright one; the rest
// lie on the line and below or right of it.
constexpr int32_t halfPen = penWidth / 2;

// floor(a / b), for b > 0.
inline int64_t floorDivide(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return q - static_cast<int64_t>((a % b != 0) & (a < 0));
}

// Whether the footprint's runs go along columns, apart from its ends' crosses:
// for a line crossing more rows than columns, whose runs along rows would be
// short and many.
inline bool runsAlongColumns(const Line& line) {
    return std::llabs(int64_t{line.second.y} - line.first.y) >
           std::llabs(int64_t{line.second.x} - line.first.x);
}

// The corners of the body of a line neither level nor upright, in order
// round it: two beside the first end, then two beside the second.
void bodyCorners(Point first, Point second, Point (&corners)[4]);

}  // namespace wide_pen_detail

}  // namespace figury
