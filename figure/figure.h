#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The one figure the editor works on. Lines keep copies of their end
// coordinates; a line end is attached to every point with the same
// coordinates, and the operations below keep those copies in step.
struct Figure {
    int32_t pointCount = 0;
    int32_t lineCount = 0;
    std::vector<int32_t> points;  // x0, y0, x1, y1, ...; point k at 2k
    std::vector<int32_t> lines;   // x1, y1, x2, y2 per line; line k at offset 4k
};

// The elements of points and of lines that the counts name, never past the
// whole points and lines the sequences hold: every scan is bounded by these.
size_t pointElements(const Figure& figure);
size_t lineElements(const Figure& figure);

// Half-width of the pick square: a point is under a position when both
// coordinate differences are smaller than this.
constexpr int32_t hitBoxReach = 6;

// True when the point (px, py) lies in the pick square around (x, y).
bool pointIsUnder(int32_t px, int32_t py, int32_t x, int32_t y);

// The selection index is the coordinate index 2k of the picked point or the
// offset 4k of the highlighted line; the editor owns it and passes it in.

void addPoint(Figure& figure, int32_t x, int32_t y);

// Removes every point under (x, y) with every line attached to it.
// Returns 1 when a point was removed, else 0.
int deletePointsAt(Figure& figure, int32_t x, int32_t y);

// Sets selectionIndex to the last point under (x, y) in storage order.
// Returns 1 when there was one, else 0 (selectionIndex unchanged).
int selectPointAt(const Figure& figure, int32_t x, int32_t y, int32_t& selectionIndex);

// Moves the selected point, and every line end attached to it, to (x, y).
// Returns 1; an index that names no point changes nothing and returns 0.
int moveSelectedPointTo(Figure& figure, int32_t selectionIndex, int32_t x, int32_t y);

// Adds a line from the selected point to the first point under (x, y).
// Returns 1 when a line was added, else 0.
int insertLineTo(Figure& figure, int32_t selectionIndex, int32_t x, int32_t y);

// Removes the line at offset selectionIndex. Returns 1, or 0 and changes
// nothing when the index is not the offset of a stored line.
int deleteSelectedLine(Figure& figure, int32_t selectionIndex);

// Empties both sequences; the caller sets the counts.
void clear(Figure& figure);
