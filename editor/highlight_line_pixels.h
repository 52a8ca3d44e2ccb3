#pragma once

#include <cstdint>

#include "figure/figure.h"

// The pixels of a line highlighted in delete-line mode, worked out here
// rather than asked of the graphics system, so that a hover can count lines
// in and out of the red drawing one at a time. They are the pixels that
// GDI's solid 3-pixel pen sets: a five-pixel cross at each end and, between
// the ends, the polygon with corners half the pen's width to either side of
// them, filled by the polygon rule (a pixel is in when its top left corner
// is, counting the top and left edges in). The window compares them with
// GDI's own drawing before it relies on them.

// Both ends must lie within this far of the origin; GDI is told to draw any
// other line itself.
constexpr int32_t highlightLineReach = int32_t{1} << 22;

bool highlightLineCountable(const Line& line);

// Counts are added a group of pixels at a time: every caller's counts must
// run on for this many more after the area's last pixel, where only 0 is
// ever added.
constexpr int countGroup = 8;

// Adds delta (wrapping, so the negated count takes a line out) to each of
// counts' pixels that the line sets: a row-major width x height area, with
// every pixel of the line outside it left out. A pixel may be counted twice
// for one line, the same way every time. A line that is not countable is
// left out.
void countHighlightLinePixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height);
