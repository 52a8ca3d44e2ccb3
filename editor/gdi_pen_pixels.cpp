#include "editor/gdi_pen_pixels.h"

#include <algorithm>
#include <cmath>

#include "editor/view.h"

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

struct Area {
    uint32_t* counts;
    int width;
    int height;
    uint32_t delta;

    // Counts the pixels [left, right) of row y that lie in the area.
    void run(int64_t y, int64_t left, int64_t right) const {
        if (y >= 0 && y < height) {
            add(counts + static_cast<size_t>(y) * static_cast<size_t>(width),
                std::clamp<int64_t>(left, 0, width), std::min<int64_t>(right, width));
        }
    }

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

void countEnd(const Area& area, Point end) {
    area.run(int64_t{end.y} - 1, end.x, int64_t{end.x} + 1);
    area.run(end.y, int64_t{end.x} - 1, int64_t{end.x} + 2);
    area.run(int64_t{end.y} + 1, end.x, int64_t{end.x} + 1);
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
    void next() {
        // Without a branch: which way it goes is as good as random.
        x_ += whole_;
        shortfall_ -= part_;
        const int64_t carry = shortfall_ >> 63;  // -1 when short of a column
        x_ -= carry;
        shortfall_ += height_ & carry;
    }

private:
    int64_t height_ = 1, whole_ = 0, part_ = 0, x_ = 0, shortfall_ = 0;
};

// Fills the convex polygon of four corners row by row: a row is in from the
// top corner's row to the one before the bottom corner's, as the polygon rule
// has it, and runs from one edge's crossing to the other's.
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
            uint32_t* counts = area.counts + static_cast<size_t>(row) * static_cast<size_t>(area.width);
            for (; row < bandEnd; ++row, counts += area.width) {
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

void countWidePenPixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height) {
    if (!widePenCountable(line)) {
        return;
    }
    const Area area = {counts, width, height, delta};
    const Point first = line.first;
    const Point second = line.second;
    countEnd(area, first);
    countEnd(area, second);
    const int64_t dx = int64_t{second.x} - first.x;
    const int64_t dy = int64_t{second.y} - first.y;
    constexpr int32_t above = penWidth / 2;  // rows above the line; the rest lie on and below it
    if (dy == 0) {
        const int64_t left = std::min(first.x, second.x);
        const int64_t right = int64_t{std::max(first.x, second.x)} + 1;
        for (int32_t k = 0; k < penWidth; ++k) {
            area.run(int64_t{first.y} - above + k, left, right);
        }
        return;
    }
    if (dx == 0) {
        const int64_t top = std::min(first.y, second.y);
        const int64_t bottom = std::max(first.y, second.y);
        const int64_t left = int64_t{first.x} - above;
        for (int64_t y = std::max<int64_t>(top, 0); y <= std::min<int64_t>(bottom, height - 1); ++y) {
            area.run(y, left, left + penWidth);
        }
        return;
    }
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
    const Point corners[4] = {{first.x - narrowX, first.y - downward * narrowY},
                              {first.x + wideX, first.y + downward * wideY},
                              {second.x + wideX, second.y + downward * wideY},
                              {second.x - narrowX, second.y - downward * narrowY}};
    countBody(area, corners);
}
