#pragma once

#include <cstddef>
#include <cstdint>

#include "figure/figure.h"

namespace figury {

// The pixels that GDI's 3-pixel solid pen of the red lines sets for a line,
// the line's footprint, worked out here rather than asked of the graphics
// system, so that the window can count red lines in and out one at a time.
// The window compares them with GDI's own drawing before it relies on them
// (counted_lines_check.h).
//
// The footprint: a five-pixel cross at each end and, between the ends, the
// line's body, the polygon with corners half the pen's width to either side
// of them, filled by the polygon rule (a pixel is in when its top left
// corner is, counting the top and left edges in). Measured against Wine's
// GDI: no pixel differed over 20 000 random lines of every length.

// Both ends must lie where GDI draws a wide pen right (gdi_limits.h); GDI is
// told to draw any other line itself.
bool widePenCountable(const Line& line);

// Adds delta (wrapping, so the negated count takes a line out) to each pixel
// of counts, a row-major width x height area, in the footprint, with every
// pixel of the footprint outside the area left out. A pixel may be counted
// twice for one line, the same way every time. A line that is not countable
// is left out.
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
// arrays, so two threads can count them at once, and add up to the third;
// the array of the runs not counted may be null.
enum class PenRuns { alongRows, alongColumns, both };
void countWidePenRuns(const Line& line, uint32_t delta, uint32_t* rowEnds, uint32_t* columnEnds, int width,
                      int height, PenRuns runs = PenRuns::both);

// Sets the bits of the footprint's pixels on rows [firstRow, firstRow + rows)
// of an area width pixels wide: bits holds those rows one after another,
// rowWords words a row, pixel x of a row being bit x % 64 of its word x / 64,
// and rowWords at least width / 64 + 2. A line that is not countable is left
// out.
void markWidePenPixels(const Line& line, uint64_t* bits, size_t rowWords, int width, int32_t firstRow,
                       int rows);

}  // namespace figury
