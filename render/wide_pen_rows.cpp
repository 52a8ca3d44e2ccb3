#include "render/wide_pen_rows.h"

#include <type_traits>

#include "render/wide_pen_shape.h"

namespace figury {

namespace wide_pen_detail {

namespace {

// Covers the pixels [left, right) of row y that lie in the area.
template <class Rows>
void coverClipped(const Rows& rows, int64_t y, int64_t left, int64_t right) {
    if (y >= 0 && y < rows.height) {
        rows.cover(rows.rowAt(y), std::clamp<int64_t>(left, 0, rows.width),
                   std::clamp<int64_t>(right, 0, rows.width));
    }
}

// The five-pixel cross at an end.
template <class Rows>
void coverEnd(const Rows& rows, Point end) {
    coverClipped(rows, int64_t{end.y} - 1, end.x, int64_t{end.x} + 1);
    coverClipped(rows, end.y, int64_t{end.x} - 1, int64_t{end.x} + 2);
    coverClipped(rows, int64_t{end.y} + 1, end.x, int64_t{end.x} + 1);
}

// A level line's three rows.
template <class Rows>
void coverLevel(const Rows& rows, Point first, Point second) {
    const int64_t left = std::min(first.x, second.x);
    const int64_t right = int64_t{std::max(first.x, second.x)} + 1;
    for (int32_t k = 0; k < penWidth; ++k) {
        coverClipped(rows, int64_t{first.y} - halfPen + k, left, right);
    }
}

// An upright line's rows, three pixels each, from end to end.
template <class Rows>
void coverUpright(const Rows& rows, Point first, Point second) {
    const int64_t top = std::min(first.y, second.y);
    const int64_t bottom = std::max(first.y, second.y);
    const int64_t left = int64_t{first.x} - halfPen;
    for (int64_t y = std::max<int64_t>(top, 0); y <= std::min<int64_t>(bottom, rows.height - 1); ++y) {
        coverClipped(rows, y, left, left + penWidth);
    }
}

// Where an edge of the body crosses row after row: the first column at or
// right of the crossing, stepped exactly in whole numbers.
class EdgeWalk {
public:
    EdgeWalk() = default;
    EdgeWalk(Point top, Point bottom, int64_t firstRow) : height_(int64_t{bottom.y} - top.y), x_(top.x) {
        const int64_t run = int64_t{bottom.x} - top.x;
        whole_ = floorDivide(run, height_);
        part_ = run - whole_ * height_;
        // x = top.x + ceil(run * rows / height), kept as x and the shortfall
        // x * height - (top.x * height + run * rows), in [0, height).
        if (firstRow > top.y) {
            const int64_t across = run * (firstRow - top.y);
            const int64_t steps = -floorDivide(-across, height_);
            x_ += steps;
            shortfall_ = steps * height_ - across;
        }
    }
    int64_t x() const { return x_; }
    // The x of a walk from top to row, with one division.
    static int64_t crossing(Point top, Point bottom, int64_t row) {
        if (row <= top.y) {
            return top.x;
        }
        const int64_t run = int64_t{bottom.x} - top.x;
        return top.x - floorDivide(-run * (row - top.y), int64_t{bottom.y} - top.y);
    }
    void next() {
        // Without a branch: which way it goes is as good as random.
        x_ += whole_;
        shortfall_ -= part_;
        const int64_t carry = shortfall_ >> 63;  // -1 when short of a column
        x_ -= carry;
        shortfall_ += height_ & carry;
    }

    // Whether both edges have one slope, as the two long sides of a line's
    // body do, and so do its two ends.
    bool parallelTo(const EdgeWalk& other) const {
        return whole_ == other.whole_ && part_ == other.part_ && height_ == other.height_;
    }

    // Covers rows of runs from left's column to right's, parallel edges, in
    // the rows from row on, all inside the area: one step a row, every value
    // in a register (through the walks' members the compiler must reload
    // them after each write). Only the left edge is stepped; its shortfall
    // tells where the right one crosses.
    template <class Rows, class Row>
    static void coverParallel(const Rows& rows, Row* row, int64_t count, EdgeWalk& left, EdgeWalk& right) {
        // The right edge lies (apart * height + part) / height to the right:
        // it crosses a row at left.x + apart, one more where the left's
        // shortfall is below part.
        int64_t apart = right.x_ - left.x_;
        int64_t part = left.shortfall_ - right.shortfall_;
        if (part < 0) {
            --apart;
            part += left.height_;
        }
        int64_t x = left.x_, shortfall = left.shortfall_;
        const int64_t whole = left.whole_, step = left.part_, height = left.height_;
        const Rows into = rows;  // a copy, which the writes through row cannot change
        const size_t stride = into.stride();
        for (; count > 0; --count, row += stride) {
            into.coverOrdered(row, x, x + apart + static_cast<int64_t>(shortfall < part));
            x += whole;
            shortfall -= step;
            const int64_t carry = shortfall >> 63;
            x -= carry;
            shortfall += height & carry;
        }
        left.x_ = x;
        left.shortfall_ = shortfall;
        right.x_ = x + apart + static_cast<int64_t>(shortfall < part);
        right.shortfall_ = shortfall - part + (shortfall < part ? height : 0);
    }

private:
    int64_t height_ = 1, whole_ = 0, part_ = 0, x_ = 0, shortfall_ = 0;
};

// An edge of the body, its upper end first, and its walk once the rows have
// come to it.
struct BodyEdge {
    Point top, bottom;
    EdgeWalk walk;
    bool walking = false;
};

// Rows from one corner's row to the next one's, between which the same two
// edges bound every row.
struct Band {
    BodyEdge* bounds[2] = {};
    int found = 0;  // edges across the band's rows
    int64_t end = 0;
};

// The band from row on, ending by endRow at the latest; its two edges walk on
// from where the rows before left them.
Band bandFrom(BodyEdge (&edges)[4], int64_t row, int64_t endRow) {
    Band band;
    band.end = endRow;
    for (BodyEdge& edge : edges) {
        if (edge.top.y <= row && row < edge.bottom.y) {
            if (band.found < 2) {
                if (!edge.walking) {
                    edge.walk = EdgeWalk(edge.top, edge.bottom, row);
                    edge.walking = true;
                }
                band.bounds[band.found++] = &edge;
            }
            band.end = std::min<int64_t>(band.end, edge.bottom.y);
        } else if (edge.top.y > row) {
            band.end = std::min<int64_t>(band.end, edge.top.y);
        }
    }
    return band;
}

// Covers the band's rows from row on between parallel edges inside the area,
// with one left of the other all the way down the band (so at its first and
// last rows): then no row needs a clamp or a comparison. Only the few rows
// beside a line's ends lie between edges that are not parallel. False, with
// nothing covered, elsewhere.
template <class Rows>
bool coverBetweenParallels(const Rows& rows, const Band& band, int64_t row, EdgeWalk& first,
                           EdgeWalk& second) {
    const int64_t lastOfFirst = EdgeWalk::crossing(band.bounds[0]->top, band.bounds[0]->bottom, band.end - 1);
    const int64_t lastOfSecond =
        EdgeWalk::crossing(band.bounds[1]->top, band.bounds[1]->bottom, band.end - 1);
    const auto inside = [&rows](int64_t x) { return x >= 0 && x <= rows.width; };
    const bool firstLeft = first.x() <= second.x() && lastOfFirst <= lastOfSecond;
    const bool secondLeft = first.x() >= second.x() && lastOfFirst >= lastOfSecond;
    if (!first.parallelTo(second) || !(firstLeft || secondLeft) || !inside(first.x()) ||
        !inside(second.x()) || !inside(lastOfFirst) || !inside(lastOfSecond)) {
        return false;
    }
    EdgeWalk::coverParallel(rows, rows.rowAt(row), band.end - row, firstLeft ? first : second,
                            firstLeft ? second : first);
    return true;
}

// Covers the rows [row, end) between two walks, each run clipped to the area.
template <class Rows>
void coverBetween(const Rows& rows, int64_t row, int64_t end, EdgeWalk& first, EdgeWalk& second) {
    for (auto* at = rows.rowAt(row); row < end; ++row, at += rows.stride()) {
        const int64_t left = std::clamp<int64_t>(std::min(first.x(), second.x()), 0, rows.width);
        const int64_t right = std::min<int64_t>(std::max(first.x(), second.x()), rows.width);
        rows.cover(at, left, right);
        first.next();
        second.next();
    }
}

// Fills the body, a convex polygon of four corners, row by row: a row is in
// from the top corner's row to the one before the bottom corner's, as the
// polygon rule has it, and runs from one edge's crossing to the other's.
template <class Rows>
void coverBody(const Rows& rows, const Point (&corners)[4]) {
    BodyEdge edges[4];
    int64_t top = corners[0].y, bottom = corners[0].y;
    for (int k = 0; k < 4; ++k) {
        const Point from = corners[k];
        const Point to = corners[(k + 1) % 4];
        edges[k].top = from.y <= to.y ? from : to;
        edges[k].bottom = from.y <= to.y ? to : from;
        top = std::min<int64_t>(top, from.y);
        bottom = std::max<int64_t>(bottom, from.y);
    }
    const int64_t endRow = std::min<int64_t>(bottom, rows.height);
    for (int64_t row = std::max<int64_t>(top, 0); row < endRow;) {
        const Band band = bandFrom(edges, row, endRow);
        if (band.found == 2) {
            EdgeWalk first = band.bounds[0]->walk;
            EdgeWalk second = band.bounds[1]->walk;
            // The pixel counts, which the tests hold the runs and bits up
            // against, take every row the plain way, so that a fault in the
            // parallels' way shows.
            bool covered = false;
            if constexpr (!std::is_same_v<Rows, PixelCounts>) {
                covered = coverBetweenParallels(rows, band, row, first, second);
            }
            if (!covered) {
                coverBetween(rows, row, band.end, first, second);
            }
            band.bounds[0]->walk = first;
            band.bounds[1]->walk = second;
        }
        row = band.end;
    }
}

template <class Rows>
void coverWhole(const Line& line, const Rows& rows) {
    const Point first = line.first;
    const Point second = line.second;
    coverEnd(rows, first);
    coverEnd(rows, second);
    if (first.y == second.y) {
        coverLevel(rows, first, second);
    } else if (first.x == second.x) {
        coverUpright(rows, first, second);
    } else {
        Point corners[4];
        bodyCorners(first, second, corners);
        coverBody(rows, corners);
    }
}

}  // namespace

void coverFootprint(const Line& line, const PixelCounts& counts) {
    coverWhole(line, counts);
}

void coverFootprint(const Line& line, const PixelBits& bits) {
    coverWhole(line, bits);
}

void coverRowShare(const Line& line, const RowRunEnds& ends) {
    coverEnd(ends, line.first);
    coverEnd(ends, line.second);
    if (runsAlongColumns(line)) {
        return;
    }
    if (line.first.y == line.second.y) {
        coverLevel(ends, line.first, line.second);
        return;
    }
    Point corners[4];
    bodyCorners(line.first, line.second, corners);
    coverBody(ends, corners);
}

}  // namespace wide_pen_detail

}  // namespace figury
