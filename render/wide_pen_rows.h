#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "figure/figure.h"

namespace figury {

namespace wide_pen_detail {

// The footprint found row by row, as runs of pixels along rows, into one of
// three kinds of rows: counts of pixels, the ends of runs, or bits. Each
// holds a row-major width x height area and covers a run [left, right) of a
// row, 0 <= left <= width and right <= width, through cover, which leaves an
// empty run (right <= left) as it found it, or, only where left <= right,
// through coverOrdered, the faster way of the rows that have one.

// A count for each pixel: covering a run adds delta (wrapping) to each of its
// pixels' counts.
struct PixelCounts {
    uint32_t* counts;
    int width;
    int height;
    uint32_t delta;

    size_t stride() const { return static_cast<size_t>(width); }
    uint32_t* rowAt(int64_t y) const { return counts + static_cast<size_t>(y) * stride(); }

    void cover(uint32_t* row, int64_t left, int64_t right) const {
        for (int64_t x = left; x < right; ++x) {
            row[x] += delta;
        }
    }
};

// The ends of runs along rows, width + 1 a row: covering a run adds delta at
// its first pixel and takes it away one past its last, so that a pixel's
// count is the sum of its row's ends up to it.
struct RowRunEnds {
    uint32_t* ends;
    int width;
    int height;
    uint32_t delta;

    size_t stride() const { return static_cast<size_t>(width) + 1; }
    uint32_t* rowAt(int64_t y) const { return ends + static_cast<size_t>(y) * stride(); }

    // Two writes a run whatever its length, and no branch: an empty run's
    // two cancel out.
    void cover(uint32_t* row, int64_t left, int64_t right) const {
        coverOrdered(row, left, std::max(right, left));
    }
    void coverOrdered(uint32_t* row, int64_t left, int64_t right) const {
        row[left] += delta;
        row[right] -= delta;
    }
};

// A bit for each pixel, 64 to a word, words at least width / 64 + 2 a row:
// covering a run sets its pixels' bits; a short one writes the word after its
// first pixel's too.
struct PixelBits {
    uint64_t* bits;
    size_t words;  // a row's
    int width;
    int height;

    size_t stride() const { return words; }
    uint64_t* rowAt(int64_t y) const { return bits + static_cast<size_t>(y) * words; }

    void cover(uint64_t* row, int64_t left, int64_t right) const {
        if (right <= left) {
            return;
        }
        const auto first = static_cast<size_t>(left) >> 6;
        const auto last = static_cast<size_t>(right - 1) >> 6;
        const uint64_t head = ~uint64_t{0} << (left & 63);
        const uint64_t tail = ~uint64_t{0} >> (63 - ((right - 1) & 63));
        if (first == last) {
            row[first] |= head & tail;
            return;
        }
        row[first] |= head;
        std::fill(row + first + 1, row + last, ~uint64_t{0});
        row[last] |= tail;
    }
    void coverOrdered(uint64_t* row, int64_t left, int64_t right) const {
        const int64_t length = right - left;
        if (length > 64) {
            cover(row, left, right);
            return;
        }
        // Most runs are a few pixels long: two words, without a branch.
        const int64_t empty = static_cast<int64_t>(length == 0);
        const uint64_t run = (uint64_t{2} << (length - 1 + empty)) - 1 - static_cast<uint64_t>(empty);
        const auto at = static_cast<size_t>(left) >> 6;
        const auto shift = static_cast<unsigned>(left & 63);
        row[at] |= run << shift;
        row[at + 1] |= (run >> (63 - shift)) >> 1;
    }
};

// The whole footprint, clipped to the area.
void coverFootprint(const Line& line, const PixelCounts& counts);
void coverFootprint(const Line& line, const PixelBits& bits);

// The footprint's share of runs along rows (runsAlongColumns tells the
// rest), clipped to the area: the ends' crosses and, for a line crossing at
// most as many rows as columns, the rest.
void coverRowShare(const Line& line, const RowRunEnds& ends);

}  // namespace wide_pen_detail

}  // namespace figury
