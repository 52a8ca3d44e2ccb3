#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "figure/figure.h"

namespace figury {

namespace wide_pen_detail {

// The ends of runs along columns of a width x height area: height + 1 rows of
// width, row-major. Covering a run from top to bottom (exclusive) in column
// x, 0 <= x < width, clipped to the area's rows, adds delta (wrapping) at (x,
// top) and takes it away at (x, bottom), so that a pixel's count is the sum
// of its column's ends down to it.
struct ColumnRunEnds {
    uint32_t* ends;
    int width;
    int height;
    uint32_t delta;

    void cover(int64_t x, int64_t top, int64_t bottom) const {
        top = std::clamp<int64_t>(top, 0, height);
        bottom = std::max(std::min<int64_t>(bottom, height), top);
        ends[static_cast<size_t>(top) * static_cast<size_t>(width) + static_cast<size_t>(x)] += delta;
        ends[static_cast<size_t>(bottom) * static_cast<size_t>(width) + static_cast<size_t>(x)] -= delta;
    }
};

// The footprint's share of runs along columns, clipped to the area: all but
// the ends' crosses of a line crossing more rows than columns
// (runsAlongColumns), none of any other line.
void coverColumnShare(const Line& line, const ColumnRunEnds& ends);

}  // namespace wide_pen_detail

}  // namespace figury
