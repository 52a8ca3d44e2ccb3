#pragma once

#include <cstdint>
#include <vector>

#include "figure/figure.h"
#include "render/box.h"

namespace figury {

// Whether a shape has a coordinate so far out that GDI may set pixels
// anywhere for it (gdi_limits.h): such shapes touch every box.
bool isFar(Point point);
bool isFar(const Line& line);

// Whether a mark, or a line that is not far, may set a pixel in box. Each
// pixel of a line lies within a pixel of the segment between its ends, and
// each of a mark within a pixel of its ellipse's square.
bool markTouches(Point point, const Box& box);
bool lineTouches(const Line& line, const Box& box);

// Puts into touching the marks and lines of figure, in storage order, that
// may set a pixel in one of the boxes (there must be one at least), and every
// far one: one scan of all shapes, a line or two points at a time with SSE2.
void findShapesTouching(const Figure& figure, const std::vector<Box>& boxes, Figure& touching);

// The same for marks alone.
void findMarksTouching(const std::vector<Point>& points, const std::vector<Box>& boxes,
                       std::vector<Point>& touching);

// The same, one shape at a time, as a build without SSE2 scans.
void findShapesTouchingScalar(const Figure& figure, const std::vector<Box>& boxes, Figure& touching);

}  // namespace figury
