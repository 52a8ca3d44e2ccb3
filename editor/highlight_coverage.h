#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "figure/figure.h"

// The red lines of delete-line mode, kept from paint to paint as the number
// of highlighted lines covering each pixel of the client area. A hover move
// of a few pixels brings a few lines near and takes a few away, so only those
// are counted in or out, instead of drawing the thousands that stay near in a
// large figure. Lines that are not countable (see gdi_pen_pixels.h)
// are left for the caller to draw.
class HighlightCoverage {
public:
    // A width x height area with nothing in it.
    void reset(int width, int height);

    // Makes the coverage that of the figure's lines at the given storage
    // indices, in ascending order. A line is counted out by the value it was
    // counted in with, so the figure may have changed in between.
    void cover(const Figure& figure, const std::vector<size_t>& lines);

    // Sets to value each pixel of a row-major image of the area's size that a
    // counted line covers.
    void paint(uint32_t* pixels, uint32_t value) const;

    // The count of each pixel, row by row, and a few zeros after; empty until
    // the first cover.
    const std::vector<uint32_t>& counts() const { return counts_; }

private:
    void count(const Line& line, uint32_t delta);

    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> counts_;
    // What the counts hold, by index and value, in ascending index order.
    std::vector<size_t> indices_;
    std::vector<Line> lines_;
};
