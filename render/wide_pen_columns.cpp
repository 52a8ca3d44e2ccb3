#include "render/wide_pen_columns.h"

#include "render/wide_pen_shape.h"

namespace figury {

namespace wide_pen_detail {

namespace {

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
        const int64_t carry = (divisor_ - 1 - rest_) >> 63;  // -1 when rest came to the divisor
        value_ -= carry;
        rest_ -= divisor_ & carry;
    }

    // Whether both walks step alike, as along the two long sides of a line's
    // body, or its two ends.
    bool parallelTo(const FloorWalk& other) const {
        return divisor_ == other.divisor_ && whole_ == other.whole_ && part_ == other.part_;
    }

    // Covers runs in columns from..to, each from the row lowerOffset + sign *
    // lower to upperOffset + sign * upper, inclusive, where that is not empty,
    // for parallel walks and runs all inside the area: every value in a
    // register, as in the rows' EdgeWalk. Only the lower walk is stepped; its
    // rest tells the upper value.
    static void coverParallel(const ColumnRunEnds& columns, int64_t from, int64_t to, FloorWalk lower,
                              int64_t sign, int64_t lowerOffset, FloorWalk upper, int64_t upperOffset) {
        // The upper walk's t is the lower's plus apart * divisor + part: its
        // value is the lower's plus apart, one more where the lower's rest
        // comes to divisor - part.
        int64_t apart = upper.value_ - lower.value_;
        int64_t part = upper.rest_ - lower.rest_;
        if (part < 0) {
            --apart;
            part += lower.divisor_;
        }
        const int64_t carriedFrom = lower.divisor_ - part;
        int64_t value = lower.value_, rest = lower.rest_;
        const int64_t whole = lower.whole_, step = lower.part_, divisor = lower.divisor_;
        uint32_t* const ends = columns.ends;
        const auto width = static_cast<size_t>(columns.width);
        const uint32_t delta = columns.delta;
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

// An edge of the body that is not level. It keeps the rows of a column whose
// pixels' top left corners lie on one side of it: on it too when, for the
// rows, it is a left edge, not when it is a right edge.
struct ColumnEdge {
    int64_t ax, ay;       // its upper end
    int64_t height, run;  // height > 0; run is its x extent, signed as it goes down
    bool left;            // a left edge, for the rows
    int64_t from, to;     // its columns
};

// The body as its columns meet it: its edges that are not level, its rows
// (from top to the one before bottom) and its corners' columns, ascending.
struct ColumnBody {
    ColumnEdge edges[4] = {};
    int edgeCount = 0;
    int64_t top = 0, bottom = 0;
    int64_t columns[4] = {};
};

ColumnBody columnBody(const Point (&corners)[4]) {
    ColumnBody body;
    body.top = body.bottom = corners[0].y;
    int64_t sumX = 0, sumY = 0;
    for (int k = 0; k < 4; ++k) {
        body.top = std::min<int64_t>(body.top, corners[k].y);
        body.bottom = std::max<int64_t>(body.bottom, corners[k].y);
        sumX += corners[k].x;
        sumY += corners[k].y;
        body.columns[k] = corners[k].x;
    }
    std::sort(body.columns, body.columns + 4);
    for (int k = 0; k < 4; ++k) {
        const Point a = corners[k];
        const Point b = corners[(k + 1) % 4];
        if (a.y == b.y) {
            continue;  // a level edge is the top or bottom row
        }
        const Point upper = a.y < b.y ? a : b;
        const Point lower = a.y < b.y ? b : a;
        ColumnEdge& edge = body.edges[body.edgeCount++];
        edge.ax = upper.x;
        edge.ay = upper.y;
        edge.height = int64_t{lower.y} - upper.y;
        edge.run = int64_t{lower.x} - upper.x;
        // Which side the inside lies on, from four times the centre.
        edge.left = (sumX - 4 * edge.ax) * edge.height - (sumY - 4 * edge.ay) * edge.run > 0;
        edge.from = std::min(upper.x, lower.x);
        edge.to = std::max(upper.x, lower.x);
    }
    return body;
}

// Tightens the rows [low, high] (inclusive) of column x to those the edge
// keeps: (x - ax) height - (y - ay) run >= 0 for a left edge, < 0 for a right
// one. Inline, as it is asked for each edge in many columns: a call each time
// costs the runs along columns a tenth more instructions.
inline void tighten(const ColumnEdge& edge, int64_t x, int64_t& low, int64_t& high) {
    const int64_t across = (x - edge.ax) * edge.height;
    if (edge.run == 0) {
        if (edge.left ? across < 0 : across >= 0) {
            high = low - 1;
        }
    } else if (edge.run > 0) {
        const int64_t q = floorDivide(across, edge.run);
        edge.left ? high = std::min(high, edge.ay + q) : low = std::max(low, edge.ay + q + 1);
    } else {
        const int64_t c = -floorDivide(across, -edge.run);  // ceil(across / run)
        edge.left ? low = std::max(low, edge.ay + c) : high = std::min(high, edge.ay + c - 1);
    }
}

// Covers the columns [from, to], each edge asked in each.
void coverColumns(const ColumnRunEnds& columns, const ColumnBody& body, int64_t from, int64_t to) {
    for (int64_t x = from; x <= to; ++x) {
        int64_t low = body.top;
        int64_t high = body.bottom - 1;
        for (int k = 0; k < body.edgeCount; ++k) {
            tighten(body.edges[k], x, low, high);
        }
        columns.cover(x, low, high + 1);
    }
}

// An edge across a band of columns, bounding each column's rows by offset +
// sign * floor(t / divisor), the floor stepped by walk from the band's first
// column; upper when it bounds the last row, else the first.
struct BandEdge {
    const ColumnEdge* edge;
    FloorWalk walk;
    int64_t sign;
    int64_t offset;
    bool upper;
};

BandEdge bandEdge(const ColumnEdge& edge, int64_t from) {
    const int64_t t = (from - edge.ax) * edge.height;
    if (edge.run > 0) {
        return {&edge, FloorWalk(t, edge.run, edge.height), 1, edge.left ? edge.ay : edge.ay + 1, edge.left};
    }
    return {&edge, FloorWalk(t, -edge.run, edge.height), -1, edge.left ? edge.ay : edge.ay - 1, !edge.left};
}

// The two edges, not upright, across the whole band of columns between
// corner columns k and k + 1; false when there are not exactly two.
bool edgesAcross(const ColumnBody& body, int k, const ColumnEdge* (&across)[2]) {
    int found = 0;
    for (int e = 0; e < body.edgeCount && found <= 2; ++e) {
        const ColumnEdge& edge = body.edges[e];
        if (edge.from <= body.columns[k] && edge.to >= body.columns[k + 1] && edge.run != 0) {
            if (found < 2) {
                across[found] = &edge;
            }
            ++found;
        }
    }
    return found == 2;
}

// Covers the columns [from, to] between parallel edges, which move one way
// across the band: where they lie inside the area at both its ends, no
// column needs a clamp. Only the few columns beside a line's ends lie between
// edges that are not parallel. False, with nothing covered, elsewhere.
bool coverBetweenParallels(const ColumnRunEnds& columns, const ColumnBody& body, int64_t from, int64_t to,
                           const BandEdge& lower, const BandEdge& upper) {
    if (lower.sign != upper.sign || !lower.walk.parallelTo(upper.walk)) {
        return false;
    }
    const auto rowsAt = [&](int64_t x, int64_t& low, int64_t& high) {
        low = body.top;
        high = body.bottom - 1;
        tighten(*lower.edge, x, low, high);
        tighten(*upper.edge, x, low, high);
    };
    int64_t lowFrom, highFrom, lowTo, highTo;
    rowsAt(from, lowFrom, highFrom);
    rowsAt(to, lowTo, highTo);
    if (std::min(lowFrom, lowTo) < 0 || std::max(highFrom, highTo) >= columns.height) {
        return false;
    }
    FloorWalk::coverParallel(columns, from, to, lower.walk, lower.sign, lower.offset, upper.walk,
                             upper.offset);
    return true;
}

// Covers the columns [from, to] between two edges, each run clipped to the
// area.
void coverBetween(const ColumnRunEnds& columns, const ColumnBody& body, int64_t from, int64_t to,
                  BandEdge lower, BandEdge upper) {
    for (int64_t x = from; x <= to; ++x) {
        const int64_t low = std::max(body.top, lower.offset + lower.sign * lower.walk.value());
        const int64_t high = std::min(body.bottom - 1, upper.offset + upper.sign * upper.walk.value());
        columns.cover(x, low, high + 1);
        upper.walk.next();
        lower.walk.next();
    }
}

// Covers the columns [from, to] between corner columns k and k + 1, where
// the same two edges cross every column: one keeps the rows below it, the
// other those above.
void coverBand(const ColumnRunEnds& columns, const ColumnBody& body, int k, int64_t from, int64_t to) {
    const ColumnEdge* across[2];
    if (!edgesAcross(body, k, across)) {
        coverColumns(columns, body, from, to);
        return;
    }
    const BandEdge first = bandEdge(*across[0], from);
    const BandEdge second = bandEdge(*across[1], from);
    if (first.upper == second.upper) {
        coverColumns(columns, body, from, to);
        return;
    }
    const BandEdge& upper = first.upper ? first : second;
    const BandEdge& lower = first.upper ? second : first;
    if (!coverBetweenParallels(columns, body, from, to, lower, upper)) {
        coverBetween(columns, body, from, to, lower, upper);
    }
}

// The same pixels as the rows' fill of the body, found column by column, for
// a line higher than it is wide, which crosses fewer columns than rows: at a
// corner's column every edge is asked, between the corners' columns the two
// edges that bound every column.
void coverBodyByColumns(const ColumnRunEnds& columns, const Point (&corners)[4]) {
    const ColumnBody body = columnBody(corners);
    const int64_t* corner = body.columns;
    const int64_t firstColumn = std::max<int64_t>(corner[0], 0);
    const int64_t lastColumn = std::min<int64_t>(corner[3], columns.width - 1);
    for (int k = 0; k < 4; ++k) {
        if ((k == 0 || corner[k] != corner[k - 1]) && corner[k] >= firstColumn && corner[k] <= lastColumn) {
            coverColumns(columns, body, corner[k], corner[k]);
        }
    }
    for (int k = 0; k + 1 < 4; ++k) {
        const int64_t from = std::max(corner[k] + 1, firstColumn);
        const int64_t to = std::min(corner[k + 1] - 1, lastColumn);
        if (from <= to) {
            coverBand(columns, body, k, from, to);
        }
    }
}

// An upright line's three columns, from end to end.
void coverUpright(const ColumnRunEnds& columns, Point first, Point second) {
    const int64_t top = std::min(first.y, second.y);
    const int64_t bottom = int64_t{std::max(first.y, second.y)} + 1;
    for (int64_t x = int64_t{first.x} - halfPen; x < int64_t{first.x} - halfPen + penWidth; ++x) {
        if (x >= 0 && x < columns.width) {
            columns.cover(x, top, bottom);
        }
    }
}

}  // namespace

void coverColumnShare(const Line& line, const ColumnRunEnds& ends) {
    if (!runsAlongColumns(line)) {
        return;
    }
    if (line.first.x == line.second.x) {
        coverUpright(ends, line.first, line.second);
        return;
    }
    Point corners[4];
    bodyCorners(line.first, line.second, corners);
    coverBodyByColumns(ends, corners);
}

}  // namespace wide_pen_detail

}  // namespace figury
