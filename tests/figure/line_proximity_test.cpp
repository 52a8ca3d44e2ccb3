#include "figure/line_proximity.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace figury {

namespace {

struct ProximityCase {
    const char* name;
    int32_t x1, y1, x2, y2;
    int32_t x, y;
    bool near;
};

TEST(LineIsNear, Cases) {
    const ProximityCase cases[] = {
        // A vertical line's substitute width makes its two sides differ.
        {"vertical, 10 to the right", 100, 100, 100, 300, 110, 200, true},
        {"vertical, 11 to the right", 100, 100, 100, 300, 111, 200, false},
        {"vertical, 9 to the left", 100, 100, 100, 300, 91, 200, true},
        {"vertical, 10 to the left", 100, 100, 100, 300, 90, 200, false},
        {"vertical drawn upward", 100, 300, 100, 100, 105, 200, true},
        {"short vertical, 10 to the side", 100, 100, 100, 111, 110, 105, false},
        {"horizontal, 10 below", 100, 200, 300, 200, 200, 210, true},
        {"horizontal, 11 below", 100, 200, 300, 200, 200, 211, false},
        {"horizontal, 10 above", 100, 200, 300, 200, 200, 190, true},
        {"horizontal, 11 above", 100, 200, 300, 200, 200, 189, false},
        {"on the line", 100, 200, 300, 200, 200, 200, true},
        {"first end", 100, 200, 300, 200, 100, 200, false},
        {"second end", 100, 200, 300, 200, 300, 200, false},
        {"just inside the first end", 100, 200, 300, 200, 101, 200, true},
        {"extension past the second end", 100, 200, 300, 200, 301, 200, false},
        {"extension before the first end", 100, 200, 300, 200, 40, 200, false},
        {"zero length, on it", 50, 50, 50, 50, 50, 50, false},
        {"zero length, beside it", 50, 50, 50, 50, 51, 50, false},
        {"diagonal, 9.9 away", 0, 0, 100, 100, 57, 43, true},
        {"diagonal, 11.3 away", 0, 0, 100, 100, 58, 42, false},
        // a and c are kept in single precision, c computed from the unrounded
        // slope, and s is truncated: in exact arithmetic s is 11 at the first
        // four and 10 2/3 at the fifth.
        {"slope 1/3, a rounded: s just below 11", 0, 0, 300, 100, 150, 61, true},
        {"slope 1/3, c rounded: s just below 11", 100, 100, 400, 200, 106, 91, true},
        {"slope 1/3, c rounded: s just above 11", 100, 100, 400, 200, 100, 111, false},
        {"slope 1/3, c from the unrounded slope", 100, 0, 400, 100, 100, 11, true},
        {"slope 1/3, s truncated to 10", 0, 0, 300, 100, 151, 61, true},
        // Past 2^24 the ends are rounded: this line lies at x = 2^24.
        {"vertical beyond single precision, 10 to the left", 16777217, 0, 16777217, 200, 16777207, 100, true},
        // The length and the end distances are rounded alike, so on an end
        // the other end is exactly as far as the line is long.
        {"diagonal, on the first end", 0, 0, 100, 100, 0, 0, false},
        {"diagonal, on the second end", 0, 0, 100, 100, 100, 100, false},
        {"shallow, on the first end", 100, 100, 200, 110, 100, 100, false},
        {"shallow, on the second end", 100, 100, 200, 110, 200, 110, false},
        {"across the whole 32-bit plane", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, true},
        {"across the whole 32-bit plane, 141 away", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 100, -100,
         false},
    };
    for (const ProximityCase& c : cases) {
        EXPECT_EQ(c.near, lineIsNear({{c.x1, c.y1}, {c.x2, c.y2}}, c.x, c.y)) << c.name;
    }
}

TEST(LineIsNear, FarFromASteepLineIsNeverNear) {
    // Such a line's numerator passes the 32-bit range a few pixels away; a
    // wrapped numerator would call most of its lens near.
    for (int32_t x = 11; x < 400000; x += 997) {
        for (int32_t y : {-500000, 0, 1, 700000}) {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            EXPECT_FALSE(lineIsNear({{0, -1000000}, {0, 1000000}}, x, y));
            EXPECT_FALSE(lineIsNear({{0, -1000000}, {0, 1000000}}, -x, y));
            EXPECT_FALSE(lineIsNear({{0, -1000000}, {1, 1000000}}, x, y));
        }
    }
    for (int32_t x = -9; x <= 9; ++x) {
        EXPECT_TRUE(lineIsNear({{0, -1000000}, {0, 1000000}}, x, 12345)) << x;
    }
}

// Within 2^20 of the origin the quick look is exact, so it turns away a
// pointer 500 pixels from the line; an end or the pointer from 2^20 out on
// either axis and side lets the line through to the full test.
TEST(LineMayBeNear, IsExactWithinItsReachAndTrueBeyondIt) {
    struct Row {
        int32_t coordinate;
        bool mayBeNear;
    };
    const Row rows[] = {
        {1048575, false}, {1048576, true},  {1048577, true},   {-1048575, false},
        {-1048576, true}, {-1048577, true}, {INT32_MAX, true}, {INT32_MIN, true},
    };
    const char* const places[] = {"x1", "y1", "x2", "y2", "x", "y"};
    for (const Row& row : rows) {
        for (int place = 0; place < 6; ++place) {
            SCOPED_TRACE(std::string(places[place]) + " = " + std::to_string(row.coordinate));
            // A vertical line at x = 0 and a pointer 500 pixels to its right.
            int32_t values[] = {0, 0, 0, 100, 500, 50};
            values[place] = row.coordinate;
            const Line line{{values[0], values[1]}, {values[2], values[3]}};
            EXPECT_EQ(row.mayBeNear, lineMayBeNear(line, values[4], values[5]));
        }
    }
}

}  // namespace

}  // namespace figury
