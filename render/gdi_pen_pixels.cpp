#include "render/gdi_pen_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>

#include "render/canvas.h"

namespace figury {

namespace {

static_assert(lineHighlightWidth == 3, "the pixels below are those of a 3-pixel pen");
constexpr int penWidth = lineHighlightWidth;

// Row n keeps the first n pixels of a group: a mask the compiler applies in
// vector steps.
constexpr uint32_t groupMasks[countGroup + 1][countGroup] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {~0u, 0, 0, 0, 0, 0, 0, 0},
    {~0u, ~0u, 0, 0, 0, 0, 0, 0},
    {~0u, ~0u, ~0u, 0, 0, 0, 0, 0},
    {~0u, ~0u, ~0u, ~0u, 0, 0, 0, 0},
    {~0u, ~0u, ~0u, ~0u, ~0u, 0, 0, 0},
    {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, 0, 0},
    {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, 0},
    {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u},
};

// Where a line's pixels go: counts a pixel at a time, the ends of its runs
// along each row (RunArea), or bits (BitArea).
struct PixelArea {
    uint32_t* counts;
    int width;
    int height;
    uint32_t delta;

    size_t stride() const { return static_cast<size_t>(width); }
    uint32_t* rowAt(int64_t y) const { return counts + static_cast<size_t>(y) * stride(); }

    // Counts the pixels [left, right) of a row, 0 <= left <= width and
    // right <= width, eight at a time: adding 0 to the rest of the last eight
    // takes no branch on the run's length, which varies from row to row.
    void add(uint32_t* row, int64_t left, int64_t right) const {
        uint32_t* at = row + left;
        int64_t length = right - left;
        for (; length > countGroup; length -= countGroup, at += countGroup) {
            for (int64_t k = 0; k < countGroup; ++k) {
                at[k] += delta;
            }
        }
        const uint32_t* kept = groupMasks[std::max<int64_t>(length, 0)];
        for (int k = 0; k < countGroup; ++k) {
            at[k] += delta & kept[k];
        }
    }
};

struct RunArea {
    uint32_t* ends;
    int width;
    int height;
    uint32_t delta;

    size_t stride() const { return static_cast<size_t>(width) + 1; }
    uint32_t* rowAt(int64_t y) const { return ends + static_cast<size_t>(y) * stride(); }

    // Two writes a run whatever its length, and no branch: an empty run's
    // two cancel out.
    void add(uint32_t* row, int64_t left, int64_t right) const {
        addInside(row, left, std::max(right, left));
    }
    void addInside(uint32_t* row, int64_t left, int64_t right) const {
        row[left] += delta;
        row[right] -= delta;
    }
};

// Pixels as bits, 64 to a word, words at least width / 64 + 2 a row: a run
// writes the word after its first pixel's.
struct BitArea {
    uint64_t* bits;
    size_t words;  // a row's
    int width;
    int height;

    size_t stride() const { return words; }
    uint64_t* rowAt(int64_t y) const { return bits + static_cast<size_t>(y) * words; }

    // Sets the bits [left, right) of a row, 0 <= left <= right <= width.
    void addInside(uint64_t* row, int64_t left, int64_t right) const {
        const int64_t length = right - left;
        if (length > 64) {
            add(row, left, right);
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
    void add(uint64_t* row, int64_t left, int64_t right) const {
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
};

// Counts the pixels [left, right) of row y that lie in the area.
template <class Area>
void countRun(const Area& area, int64_t y, int64_t left, int64_t right) {
    if (y >= 0 && y < area.height) {
        area.add(area.rowAt(y), std::clamp<int64_t>(left, 0, area.width),
                 std::clamp<int64_t>(right, 0, area.width));
    }
}

template <class Area>
void countEnd(const Area& area, Point end) {
    countRun(area, int64_t{end.y} - 1, end.x, int64_t{end.x} + 1);
    countRun(area, end.y, int64_t{end.x} - 1, int64_t{end.x} + 2);
    countRun(area, int64_t{end.y} + 1, end.x, int64_t{end.x} + 1);
}

int64_t floorDivide(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return q - static_cast<int64_t>((a % b != 0) & (a < 0));
}

// Where an edge of the polygon crosses row after row: the first column at or
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
            const int64_t reach = run * (firstRow - top.y);
            const int64_t steps = -floorDivide(-reach, height_);
            x_ += steps;
            shortfall_ = steps * height_ - reach;
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

    // Adds rows of runs from left's column to right's, parallel edges, into
    // the area's rows from row on: one step a row, every value in a register
    // (through the walks' members the compiler must reload them after each
    // write). Only the left edge is stepped; its shortfall tells where the
    // right one crosses.
    template <class Area, class Row>
    static void countRuns(const Area& area, Row* row, int64_t rows, EdgeWalk& left, EdgeWalk& right) {
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
        const size_t stride = area.stride();
        for (int64_t k = 0; k < rows; ++k, row += stride) {
            area.addInside(row, x, x + apart + static_cast<int64_t>(shortfall < part));
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

// Fills the convex polygon of four corners row by row: a row is in from the
// top corner's row to the one before the bottom corner's, as the polygon rule
// has it, and runs from one edge's crossing to the other's.
template <class Area>
void countBody(const Area& area, const Point (&corners)[4]) {
    struct Edge {
        Point top, bottom;
        EdgeWalk walk;
        bool walking = false;
    };
    Edge edges[4];
    int64_t top = corners[0].y, bottom = corners[0].y;
    for (int k = 0; k < 4; ++k) {
        const Point from = corners[k];
        const Point to = corners[(k + 1) % 4];
        edges[k].top = from.y <= to.y ? from : to;
        edges[k].bottom = from.y <= to.y ? to : from;
        top = std::min<int64_t>(top, from.y);
        bottom = std::max<int64_t>(bottom, from.y);
    }
    const int64_t endRow = std::min<int64_t>(bottom, area.height);
    int64_t row = std::max<int64_t>(top, 0);
    while (row < endRow) {
        // Between consecutive corner rows the same two edges bound every row;
        // an edge goes on from where the rows before it left it.
        int64_t bandEnd = endRow;
        Edge* bounds[2];
        int found = 0;
        for (Edge& edge : edges) {
            if (edge.top.y <= row && row < edge.bottom.y) {
                if (found < 2) {
                    if (!edge.walking) {
                        edge.walk = EdgeWalk(edge.top, edge.bottom, row);
                        edge.walking = true;
                    }
                    bounds[found++] = &edge;
                }
                bandEnd = std::min<int64_t>(bandEnd, edge.bottom.y);
            } else if (edge.top.y > row) {
                bandEnd = std::min<int64_t>(bandEnd, edge.top.y);
            }
        }
        if (found == 2) {
            EdgeWalk first = bounds[0]->walk;
            EdgeWalk second = bounds[1]->walk;
            auto* counts = area.rowAt(row);
            if constexpr (!std::is_same_v<Area, PixelArea>) {
                // Between parallel edges inside the area, with one left of the
                // other all the way down the band (so at its first and last
                // rows), no row needs a clamp or a comparison. Only the few
                // rows beside a line's ends lie between edges that are not
                // parallel.
                const int64_t lastOfFirst =
                    EdgeWalk::crossing(bounds[0]->top, bounds[0]->bottom, bandEnd - 1);
                const int64_t lastOfSecond =
                    EdgeWalk::crossing(bounds[1]->top, bounds[1]->bottom, bandEnd - 1);
                const auto inside = [&area](int64_t x) { return x >= 0 && x <= area.width; };
                const bool firstLeft = first.x() <= second.x() && lastOfFirst <= lastOfSecond;
                const bool secondLeft = first.x() >= second.x() && lastOfFirst >= lastOfSecond;
                if (first.parallelTo(second) && (firstLeft || secondLeft) && inside(first.x()) &&
                    inside(second.x()) && inside(lastOfFirst) && inside(lastOfSecond)) {
                    EdgeWalk::countRuns(area, counts, bandEnd - row, firstLeft ? first : second,
                                        firstLeft ? second : first);
                    counts += static_cast<size_t>(bandEnd - row) * area.stride();
                    row = bandEnd;
                }
            }
            for (; row < bandEnd; ++row, counts += area.stride()) {
                const int64_t left = std::clamp<int64_t>(std::min(first.x(), second.x()), 0, area.width);
                const int64_t right = std::min<int64_t>(std::max(first.x(), second.x()), area.width);
                area.add(counts, left, right);
                first.next();
                second.next();
            }
            bounds[0]->walk = first;
            bounds[1]->walk = second;
        }
        row = bandEnd;
    }
}

// Runs along columns: ends holds height + 1 rows of width, row-major, and a
// run from top to bottom (exclusive) in column x adds delta at (x, top) and
// takes it away at (x, bottom).
struct ColumnRunArea {
    uint32_t* ends;
    int width;
    int height;
    uint32_t delta;

    void add(int64_t x, int64_t top, int64_t bottom) const {
        top = std::clamp<int64_t>(top, 0, height);
        bottom = std::max(std::min<int64_t>(bottom, height), top);
        ends[static_cast<size_t>(top) * static_cast<size_t>(width) + static_cast<size_t>(x)] += delta;
        ends[static_cast<size_t>(bottom) * static_cast<size_t>(width) + static_cast<size_t>(x)] -= delta;
    }
};

// floor(t / divisor) as t grows by step each time, stepped exactly in whole
// numbers without a division or a branch.
class FloorWalk {
public:
    FloorWalk() = default;
    FloorWalk(int64_t t, int64_t divisor, int64_t step) : divisor_(divisor) {
        value_ = floorDivide(t, divisor);
        rest_ = t - value_ * divisor;
        whole_ = step / divisor;
        part_ = step % divisor;
    }
    int64_t value() const { return value_; }
    void next() {
        value_ += whole_;
        rest_ += part_;
        const int64_t carry = (divisor_ - 1 - rest_) >> 63;  // -1 when rest reached the divisor
        value_ -= carry;
        rest_ -= divisor_ & carry;
    }

    // Whether both walks step alike, as along the two long sides of a line's
    // body, or its two ends.
    bool parallelTo(const FloorWalk& other) const {
        return divisor_ == other.divisor_ && whole_ == other.whole_ && part_ == other.part_;
    }

    // Runs in columns from..to, each from the row lowerOffset + sign * lower
    // to upperOffset + sign * upper, inclusive, where that is not empty, for
    // parallel walks: every value in a register, as in EdgeWalk::countRuns.
    // Only the lower walk is stepped; its rest tells the upper value.
    static void countRuns(uint32_t* ends, size_t width, uint32_t delta, int64_t from, int64_t to,
                          FloorWalk lower, int64_t sign, int64_t lowerOffset, FloorWalk upper,
                          int64_t upperOffset) {
        // The upper walk's t is the lower's plus apart * divisor + part: its
        // value is the lower's plus apart, one more where the lower's rest
        // reaches divisor - part.
        int64_t apart = upper.value_ - lower.value_;
        int64_t part = upper.rest_ - lower.rest_;
        if (part < 0) {
            --apart;
            part += lower.divisor_;
        }
        const int64_t carriedFrom = lower.divisor_ - part;
        int64_t value = lower.value_, rest = lower.rest_;
        const int64_t whole = lower.whole_, step = lower.part_, divisor = lower.divisor_;
        for (int64_t x = from; x <= to; ++x) {
            const int64_t low = lowerOffset + sign * value;
            const int64_t upperValue = value + apart + static_cast<int64_t>(rest >= carriedFrom);
            const int64_t end = std::max(upperOffset + sign * upperValue + 1, low);
            ends[static_cast<size_t>(low) * width + static_cast<size_t>(x)] += delta;
            ends[static_cast<size_t>(end) * width + static_cast<size_t>(x)] -= delta;
            value += whole;
            rest += step;
            const int64_t carry = (divisor - 1 - rest) >> 63;
            value -= carry;
            rest -= divisor & carry;
        }
    }

private:
    int64_t divisor_ = 1, value_ = 0, rest_ = 0, whole_ = 0, part_ = 0;
};

// The same pixels as countBody, found column by column, for a line higher
// than it is wide, which crosses fewer columns than rows. Each edge that is
// not level keeps a pixel whose top left corner lies on one side of it: on
// it too when, for the rows, it is a left edge, not when it is a right edge;
// the rows from the top corner's to the one before the bottom corner's.
// Between the corners' columns two edges bound every column; at a corner's
// column every edge is asked.
void countBodyByColumns(const ColumnRunArea& area, const Point (&corners)[4]) {
    struct Bound {
        int64_t ax, ay, height, run;  // height > 0; run is the edge's x extent, signed as it goes down
        bool left;                    // a left edge, for the rows
        int64_t from, to;             // its columns
    };
    Bound bounds[4];
    int count = 0;
    int64_t top = corners[0].y, bottom = corners[0].y;
    int64_t sumX = 0, sumY = 0;
    int64_t columns[4];
    for (int k = 0; k < 4; ++k) {
        top = std::min<int64_t>(top, corners[k].y);
        bottom = std::max<int64_t>(bottom, corners[k].y);
        sumX += corners[k].x;
        sumY += corners[k].y;
        columns[k] = corners[k].x;
    }
    for (int k = 0; k < 4; ++k) {
        const Point a = corners[k];
        const Point b = corners[(k + 1) % 4];
        if (a.y == b.y) {
            continue;  // a level edge is the top or bottom row
        }
        const Point upper = a.y < b.y ? a : b;
        const Point lower = a.y < b.y ? b : a;
        Bound& bound = bounds[count++];
        bound.ax = upper.x;
        bound.ay = upper.y;
        bound.height = int64_t{lower.y} - upper.y;
        bound.run = int64_t{lower.x} - upper.x;
        // Which side the inside lies on, from four times the centre.
        bound.left = (sumX - 4 * bound.ax) * bound.height - (sumY - 4 * bound.ay) * bound.run > 0;
        bound.from = std::min(upper.x, lower.x);
        bound.to = std::max(upper.x, lower.x);
    }
    // The rows of column x that an edge keeps, as [low, high] (inclusive)
    // tightened: (x - ax) height - (y - ay) run >= 0 for a left edge, < 0 for
    // a right one.
    auto tighten = [](const Bound& bound, int64_t x, int64_t& low, int64_t& high) {
        const int64_t across = (x - bound.ax) * bound.height;
        if (bound.run == 0) {
            if (bound.left ? across < 0 : across >= 0) {
                high = low - 1;
            }
        } else if (bound.run > 0) {
            const int64_t q = floorDivide(across, bound.run);
            bound.left ? high = std::min(high, bound.ay + q) : low = std::max(low, bound.ay + q + 1);
        } else {
            const int64_t c = -floorDivide(across, -bound.run);  // ceil(across / run)
            bound.left ? low = std::max(low, bound.ay + c) : high = std::min(high, bound.ay + c - 1);
        }
    };
    auto countColumn = [&](int64_t x) {
        int64_t low = top;
        int64_t high = bottom - 1;
        for (int k = 0; k < count; ++k) {
            tighten(bounds[k], x, low, high);
        }
        area.add(x, low, high + 1);
    };
    std::sort(columns, columns + 4);
    const int64_t firstColumn = std::max<int64_t>(columns[0], 0);
    const int64_t lastColumn = std::min<int64_t>(columns[3], area.width - 1);
    for (int k = 0; k < 4; ++k) {
        const int64_t corner = columns[k];
        if ((k > 0 && corner == columns[k - 1]) || corner < firstColumn || corner > lastColumn) {
            continue;
        }
        countColumn(corner);
    }
    for (int k = 0; k + 1 < 4; ++k) {
        const int64_t from = std::max(columns[k] + 1, firstColumn);
        const int64_t to = std::min(columns[k + 1] - 1, lastColumn);
        if (from > to) {
            continue;
        }
        // The two edges across this band: one keeps the rows below it, the
        // other those above.
        const Bound* across[2];
        int found = 0;
        for (int b = 0; b < count && found <= 2; ++b) {
            if (bounds[b].from <= columns[k] && bounds[b].to >= columns[k + 1] && bounds[b].run != 0) {
                if (found < 2) {
                    across[found] = &bounds[b];
                }
                ++found;
            }
        }
        if (found != 2) {
            for (int64_t x = from; x <= to; ++x) {
                countColumn(x);
            }
            continue;
        }
        // Each as value + offset, value = sign * floor(t / divisor).
        FloorWalk walks[2];
        int64_t signs[2], offsets[2];
        bool upperBounds[2];
        for (int b = 0; b < 2; ++b) {
            const Bound& bound = *across[b];
            const int64_t t = (from - bound.ax) * bound.height;
            if (bound.run > 0) {
                walks[b] = FloorWalk(t, bound.run, bound.height);
                signs[b] = 1;
                offsets[b] = bound.left ? bound.ay : bound.ay + 1;
                upperBounds[b] = bound.left;
            } else {
                walks[b] = FloorWalk(t, -bound.run, bound.height);
                signs[b] = -1;
                offsets[b] = bound.left ? bound.ay : bound.ay - 1;
                upperBounds[b] = !bound.left;
            }
        }
        if (upperBounds[0] == upperBounds[1]) {
            for (int64_t x = from; x <= to; ++x) {
                countColumn(x);
            }
            continue;
        }
        const int upperOne = upperBounds[0] ? 0 : 1;
        FloorWalk upper = walks[upperOne];
        FloorWalk lower = walks[1 - upperOne];
        const int64_t upperSign = signs[upperOne], upperOffset = offsets[upperOne];
        const int64_t lowerSign = signs[1 - upperOne], lowerOffset = offsets[1 - upperOne];
        // The bounds move one way across the band: where they lie inside the
        // area at both its ends, no column needs a clamp.
        const auto boundsAt = [&](int64_t x, int64_t& low, int64_t& high) {
            const Bound& lowerBound = *across[1 - upperOne];
            const Bound& upperBound = *across[upperOne];
            low = top;
            high = bottom - 1;
            tighten(lowerBound, x, low, high);
            tighten(upperBound, x, low, high);
        };
        // Only the few columns beside a line's ends lie between bounds that
        // are not parallel.
        if (lowerSign == upperSign && lower.parallelTo(upper)) {
            int64_t lowFrom, highFrom, lowTo, highTo;
            boundsAt(from, lowFrom, highFrom);
            boundsAt(to, lowTo, highTo);
            if (std::min(lowFrom, lowTo) >= 0 && std::max(highFrom, highTo) < area.height) {
                FloorWalk::countRuns(area.ends, static_cast<size_t>(area.width), area.delta, from, to, lower,
                                     lowerSign, lowerOffset, upper, upperOffset);
                continue;
            }
        }
        for (int64_t x = from; x <= to; ++x) {
            const int64_t low = std::max(top, lowerOffset + lowerSign * lower.value());
            const int64_t high = std::min(bottom - 1, upperOffset + upperSign * upper.value());
            area.add(x, low, high + 1);
            upper.next();
            lower.next();
        }
    }
}

int32_t roundHalfUp(double value) {
    return static_cast<int32_t>(std::floor(value + 0.5));
}

}  // namespace

namespace gdi_pen_detail {

namespace {

// A 1-pixel line's step i (0 <= i <= n) lies carries(i) = floor((2 i m + n -
// bias) / 2n) from its start along the minor axis, n and m the major and
// minor lengths (m <= n < 2^33), bias 1 where a tie goes back towards the
// start. The products reach 2^67: a double finds the quotient to within one,
// and arithmetic modulo 2^64 tells which is exact, as only the exact one
// leaves a remainder in [0, 2n).
struct Carries {
    int64_t n, m, bias;

    int64_t at(int64_t i, int64_t& remainder) const {
        const double estimate = std::floor(
            (2.0 * static_cast<double>(i) * static_cast<double>(m) + static_cast<double>(n - bias)) /
            (2.0 * static_cast<double>(n)));
        const auto guess = static_cast<int64_t>(estimate);
        for (const int64_t c : {guess, guess - 1, guess + 1}) {
            const uint64_t rest = 2 * static_cast<uint64_t>(i) * static_cast<uint64_t>(m) +
                                  static_cast<uint64_t>(n - bias) -
                                  2 * static_cast<uint64_t>(n) * static_cast<uint64_t>(c);
            if (rest < 2 * static_cast<uint64_t>(n)) {
                remainder = static_cast<int64_t>(rest);
                return c;
            }
        }
        remainder = 0;  // not reached: one of them is exact
        return guess;
    }
    int64_t at(int64_t i) const {
        int64_t ignored = 0;
        return at(i, ignored);
    }

    // The first step in [from, to] whose carries reach count, or to when none does.
    int64_t firstReaching(int64_t count, int64_t from, int64_t to) const {
        const double estimate =
            (2.0 * static_cast<double>(n) * static_cast<double>(count) - static_cast<double>(n - bias)) /
            (2.0 * static_cast<double>(m));
        int64_t i = static_cast<int64_t>(
            std::clamp(std::ceil(estimate), static_cast<double>(from), static_cast<double>(to)));
        while (i > from && at(i - 1) >= count) {
            --i;
        }
        while (i < to && at(i) < count) {
            ++i;
        }
        return i;
    }
};

}  // namespace

ThinSteps thinSteps(const Line& line, int64_t left, int64_t top, int width, int height) {
    ThinSteps s;
    const int64_t dx = int64_t{line.second.x} - line.first.x;
    const int64_t dy = int64_t{line.second.y} - line.first.y;
    const bool wide = std::llabs(dx) > std::llabs(dy);
    const int64_t n = std::llabs(wide ? dx : dy);
    const int64_t m = std::llabs(wide ? dy : dx);
    const int64_t majorSign = (wide ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorSign = (wide ? dy : dx) < 0 ? -1 : 1;
    const int64_t majorStart = wide ? line.first.x - left : line.first.y - top;
    const int64_t minorStart = wide ? line.first.y - top : line.first.x - left;
    const int64_t majorSize = wide ? width : height;
    const int64_t minorSize = wide ? height : width;
    s.steps = n;
    if (n == 0) {
        return s;  // a line of no length sets no pixel
    }
    // The smaller coordinate takes a tie.
    const Carries carries{n, m, minorSign > 0 ? 1 : 0};
    // Steps whose major coordinate lies in [0, majorSize).
    int64_t first = majorSign > 0 ? -majorStart : majorStart - (majorSize - 1);
    int64_t end = majorSign > 0 ? majorSize - majorStart : majorStart + 1;
    first = std::max<int64_t>(first, 0);
    end = std::min(end, n);
    // Steps whose carries lie in [low, high), so that the minor coordinate is inside.
    const int64_t low = minorSign > 0 ? -minorStart : minorStart - (minorSize - 1);
    const int64_t high = minorSign > 0 ? minorSize - minorStart : minorStart + 1;
    if (first < end) {
        if (m == 0) {
            end = low <= 0 && high > 0 ? end : first;
        } else {
            first = carries.firstReaching(low, first, end);
            end = carries.firstReaching(high, first, end);
        }
    }
    if (first >= end) {
        return s;
    }
    int64_t remainder = 0;
    const int64_t carried = carries.at(first, remainder);
    const int64_t major = majorStart + majorSign * first;
    const int64_t minor = minorStart + minorSign * carried;
    const int64_t x = wide ? major : minor;
    const int64_t y = wide ? minor : major;
    s.first = first;
    s.end = end;
    s.offset = y * width + x;
    s.majorStep = wide ? majorSign : majorSign * width;
    s.minorStep = wide ? minorSign * width : minorSign;
    s.error = remainder;
    s.errorStep = 2 * m;
    return s;
}

}  // namespace gdi_pen_detail

void countThinPenPixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height) {
    forEachThinPenPixel(line, width, height, [counts, delta](size_t at) { counts[at] += delta; });
}

bool widePenCountable(const Line& line) {
    auto within = [](Point end) {
        return end.x > -wideGdiReach && end.x < wideGdiReach && end.y > -wideGdiReach && end.y < wideGdiReach;
    };
    return within(line.first) && within(line.second);
}

namespace {

constexpr int32_t above = penWidth / 2;  // rows above the line; the rest lie on and below it

// The corners of the polygon between the ends of a line neither level nor
// upright.
void bodyCorners(Point first, Point second, Point (&corners)[4]) {
    const int64_t dx = int64_t{second.x} - first.x;
    const int64_t dy = int64_t{second.y} - first.y;
    // The pen's width across the line, split into x and y parts; each part
    // goes half to one side rounded down-ish and half to the other rounded
    // up-ish, the larger half on the side of greater x.
    // Exact squares: the root is the length correctly rounded.
    const double length = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    const double acrossX = penWidth * static_cast<double>(std::abs(dy)) / length;
    const double acrossY = penWidth * static_cast<double>(std::abs(dx)) / length;
    const int32_t narrowX = roundHalfUp(acrossX / 2);
    const int32_t narrowY = roundHalfUp(acrossY / 2);
    const int32_t wideX = roundHalfUp((acrossX + 1) / 2);
    const int32_t wideY = roundHalfUp((acrossY + 1) / 2);
    // Across the line, going right goes down when the line falls to the right.
    const int32_t downward = (dx < 0) != (dy < 0) ? 1 : -1;
    corners[0] = {first.x - narrowX, first.y - downward * narrowY};
    corners[1] = {first.x + wideX, first.y + downward * wideY};
    corners[2] = {second.x + wideX, second.y + downward * wideY};
    corners[3] = {second.x - narrowX, second.y - downward * narrowY};
}

// The level line's three rows.
template <class Area>
void countLevel(const Area& area, Point first, Point second) {
    const int64_t left = std::min(first.x, second.x);
    const int64_t right = int64_t{std::max(first.x, second.x)} + 1;
    for (int32_t k = 0; k < penWidth; ++k) {
        countRun(area, int64_t{first.y} - above + k, left, right);
    }
}

template <class Area>
void countWide(const Line& line, const Area& area) {
    const Point first = line.first;
    const Point second = line.second;
    countEnd(area, first);
    countEnd(area, second);
    if (first.y == second.y) {
        countLevel(area, first, second);
        return;
    }
    if (first.x == second.x) {
        const int64_t top = std::min(first.y, second.y);
        const int64_t bottom = std::max(first.y, second.y);
        const int64_t left = int64_t{first.x} - above;
        for (int64_t y = std::max<int64_t>(top, 0); y <= std::min<int64_t>(bottom, area.height - 1); ++y) {
            countRun(area, y, left, left + penWidth);
        }
        return;
    }
    Point corners[4];
    bodyCorners(first, second, corners);
    countBody(area, corners);
}

// The same as runs: along rows for the ends and for a line wider than high,
// along columns for one higher than wide, whichever crosses fewer.
void countWideRuns(const Line& line, const RunArea& rows, const ColumnRunArea& columns, PenRuns runs) {
    const bool alongRows = runs != PenRuns::alongColumns;
    const bool alongColumns = runs != PenRuns::alongRows;
    const Point first = line.first;
    const Point second = line.second;
    if (alongRows) {
        countEnd(rows, first);
        countEnd(rows, second);
    }
    const int64_t dx = int64_t{second.x} - first.x;
    const int64_t dy = int64_t{second.y} - first.y;
    if (dy == 0) {
        if (alongRows) {
            countLevel(rows, first, second);
        }
        return;
    }
    if (dx == 0) {
        if (!alongColumns) {
            return;
        }
        const int64_t top = std::min(first.y, second.y);
        const int64_t bottom = int64_t{std::max(first.y, second.y)} + 1;
        for (int64_t x = int64_t{first.x} - above; x < int64_t{first.x} - above + penWidth; ++x) {
            if (x >= 0 && x < columns.width) {
                columns.add(x, top, bottom);
            }
        }
        return;
    }
    const bool steep = std::llabs(dy) > std::llabs(dx);
    if (steep ? !alongColumns : !alongRows) {
        return;
    }
    Point corners[4];
    bodyCorners(first, second, corners);
    if (steep) {
        countBodyByColumns(columns, corners);
    } else {
        countBody(rows, corners);
    }
}

}  // namespace

void countWidePenPixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height) {
    if (widePenCountable(line)) {
        countWide(line, PixelArea{counts, width, height, delta});
    }
}

void markWidePenPixels(const Line& line, uint64_t* bits, size_t rowWords, int width, int32_t firstRow,
                       int rows) {
    if (widePenCountable(line)) {
        // The pen's pixels move with the line, row for row.
        const Line moved = {{line.first.x, line.first.y - firstRow},
                            {line.second.x, line.second.y - firstRow}};
        countWide(moved, BitArea{bits, rowWords, width, rows});
    }
}

void countWidePenRuns(const Line& line, uint32_t delta, uint32_t* rowEnds, uint32_t* columnEnds, int width,
                      int height, PenRuns runs) {
    if (widePenCountable(line)) {
        countWideRuns(line, RunArea{rowEnds, width, height, delta},
                      ColumnRunArea{columnEnds, width, height, delta}, runs);
    }
}

}  // namespace figury
