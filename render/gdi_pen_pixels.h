#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/gdi_limits.h"
#include "figure/figure.h"

namespace figury {

// The pixels that GDI's solid pens set for a line, worked out here rather
// than asked of the graphics system, so that the window can count lines in
// and out of its pictures one at a time. The window compares them with
// GDI's own drawing before it relies on them (counted_lines_check.h).

// The 1-pixel pen: one pixel for each column from the first end to the
// second, the second left out, where the line is wider than it is high (one
// for each row where it is higher), on the row (column) nearest to the exact
// line; a tie goes to the smaller row (column). Measured against Wine's GDI:
// no pixel differed over 16 000 random lines of every direction and length
// with ends up to 2^27 out; beyond that GDI itself strays (gdi_limits.h),
// and these stay the exact line's pixels.
//
// Calls visit(offset) for each pixel of the line inside a row-major width x
// height area whose top left pixel is (left, top), offset being (y - top) *
// width + (x - left), from the first end on.
template <class Visit>
void forEachThinPenPixel(const Line& line, int64_t left, int64_t top, int width, int height, Visit&& visit);
template <class Visit>
void forEachThinPenPixel(const Line& line, int width, int height, Visit&& visit) {
    forEachThinPenPixel(line, 0, 0, width, height, visit);
}

// Adds delta (wrapping, so the negated count takes a line out) to each pixel
// of counts, a row-major width x height area, that the 1-pixel pen sets.
void countThinPenPixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height);

// The 3-pixel pen of the red lines: a five-pixel cross at each end and,
// between the ends, the polygon with corners half the pen's width to either
// side of them, filled by the polygon rule (a pixel is in when its top left
// corner is, counting the top and left edges in). Measured against Wine's
// GDI: no pixel differed over 20 000 random lines of every length.

// Both ends must lie within GDI's reach for a wide pen; GDI is told to draw
// any other line itself.
bool widePenCountable(const Line& line);

// Counts are added a group of pixels at a time: every caller's counts must
// run on for this many more after the area's last pixel, where only 0 is
// ever added.
constexpr int countGroup = 8;

// Adds delta (wrapping) to each of counts' pixels that the 3-pixel pen sets:
// a row-major width x height area, with every pixel of the line outside it
// left out. A pixel may be counted twice for one line, the same way every
// time. A line that is not countable is left out.
void countWidePenPixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height);

// The same as runs of pixels, along rows where a line crosses fewer rows than
// columns and along columns elsewhere, two writes a run however long it is: a
// run from left to right (exclusive) on row y adds delta at rowEnds[y *
// (width + 1) + left] and takes it away at rowEnds[y * (width + 1) + right];
// a run from top to bottom (exclusive) in column x does the same at
// columnEnds[top * width + x] and columnEnds[bottom * width + x]. A pixel's
// count is the sum of its row's row ends up to it and of its column's
// column ends down to it. rowEnds has (width + 1) x height elements and
// columnEnds width x (height + 1).
//
// runs picks the runs counted: along rows (the ends, and the rest of a line
// crossing at most as many rows as columns), along columns (the rest of a
// line crossing more rows), or both. The first two write to different
// arrays, so two threads can count them at once, and add up to the third.
enum class PenRuns { alongRows, alongColumns, both };
void countWidePenRuns(const Line& line, uint32_t delta, uint32_t* rowEnds, uint32_t* columnEnds, int width,
                      int height, PenRuns runs = PenRuns::both);

// Sets the bits of the pixels that the 3-pixel pen sets on rows [firstRow,
// firstRow + rows) of an area width pixels wide: bits holds those rows one
// after another, rowWords words a row, pixel x of a row being bit x % 64 of
// its word x / 64, and rowWords at least width / 64 + 2.
// A line that is not countable is left out.
void markWidePenPixels(const Line& line, uint64_t* bits, size_t rowWords, int width, int32_t firstRow,
                       int rows);

namespace gdi_pen_detail {

// The steps i of a 1-pixel line, 0 <= i < steps, that lie inside the area,
// with where the first of them is. A step moves one along the major axis and,
// on a carry, one along the minor axis.
struct ThinSteps {
    int64_t first = 0;      // the first step inside
    int64_t end = 0;        // one past the last, or first when none is inside
    int64_t offset = 0;     // the pixel of step first
    int64_t majorStep = 0;  // offset change of a step
    int64_t minorStep = 0;  // offset change of a carry
    int64_t error = 0;      // the carry comes when error reaches twice the steps
    int64_t errorStep = 0;
    int64_t steps = 0;
};

ThinSteps thinSteps(const Line& line, int64_t left, int64_t top, int width, int height);

}  // namespace gdi_pen_detail

template <class Visit>
void forEachThinPenPixel(const Line& line, int64_t left, int64_t top, int width, int height, Visit&& visit) {
    const gdi_pen_detail::ThinSteps s = gdi_pen_detail::thinSteps(line, left, top, width, height);
    const int64_t twice = 2 * s.steps;
    int64_t offset = s.offset;
    int64_t error = s.error;
    // Without a branch: whether a step carries is as good as random.
    for (int64_t i = s.first; i < s.end; ++i) {
        visit(static_cast<size_t>(offset));
        error += s.errorStep;
        const int64_t carry = (twice - 1 - error) >> 63;  // -1 when the error reached twice the steps
        error -= twice & carry;
        offset += s.majorStep + (s.minorStep & carry);
    }
}

}  // namespace figury
