#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "figure/figure.h"

namespace figury {

// Whether the pointer (x, y) is close enough to the line to pick it: within
// 10 pixels of the infinite line through the ends and inside the lens where
// both ends are nearer than the line is long.
bool lineIsNear(const Line& line, int32_t x, int32_t y);

// Within 20 bits of the origin the quick first look below is exact to under
// a pixel: single precision moves the distance it tests by under 0.2 pixel
// and its truncation by under 1. Farther out it lets every line through to
// the full test.
constexpr int32_t proximityQuickTestLimit = int32_t{1} << 20;

// False only where lineIsNear is false, and far cheaper: whether the pointer
// lies within 12 pixels of the line through the ends. Within
// proximityQuickTestLimit of the origin a near pointer lies within 11.2 of it.
// Farther out it is always true. Inline, as a scan over all lines calls it
// for each.
inline bool lineMayBeNear(const Line& line, int32_t x, int32_t y) {
    constexpr double margin = 12;
    const int within = int{withinLimit(line.first, proximityQuickTestLimit)} &
                       int{withinLimit(line.second, proximityQuickTestLimit)} &
                       int{withinLimit(Point{x, y}, proximityQuickTestLimit)};
    const double ax = line.first.x, ay = line.first.y;
    const double dx = static_cast<double>(line.second.x) - ax;
    const double dy = static_cast<double>(line.second.y) - ay;
    // The distance times the length, exact within the limit.
    const double cross = dx * (y - ay) - dy * (x - ax);
    const bool nearTheLine = cross * cross <= margin * margin * (dx * dx + dy * dy);
    return (int{nearTheLine} | (within ^ 1)) != 0;
}

// Appends to near the indices, ascending, of the lines in [begin, end) near (x, y).
void appendNearLines(const std::vector<Line>& lines, size_t begin, size_t end, int32_t x, int32_t y,
                     std::vector<size_t>& near);

}  // namespace figury
