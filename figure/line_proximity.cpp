#include "figure/line_proximity.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace figury {

namespace {

constexpr double substituteWidth = 0.0001;  // stands in for a zero x extent
constexpr float distanceLimit = 10.0f;
constexpr double yCoefficient = 1.0;

// |s| truncated toward zero. Past the 64-bit range the pointer is hundreds of
// thousands of pixels from the line however steep it is, so the clamp only
// keeps such a pointer far away.
double truncatedMagnitude(double s) {
    constexpr double limit = 9.2e18;
    if (!(std::fabs(s) < limit)) {
        return limit;
    }
    const auto n = static_cast<int64_t>(s);
    return static_cast<double>(n < 0 ? -n : n);
}

}  // namespace

bool lineIsNear(const Line& line, int32_t x, int32_t y) {
    // The ends are taken in single precision; a, c, the distance and the three
    // lengths are each rounded to single precision once computed, and
    // everything between is double precision. These roundings are on purpose,
    // not an inaccuracy to mend: the editor has always decided nearness with
    // exactly them, so a line turns red, and a press deletes it, at the same
    // pointer positions as ever; exact arithmetic would pick other lines at
    // the edges of the 10-pixel band and inside the lens.
    const double fx1 = static_cast<float>(line.first.x);
    const double fy1 = static_cast<float>(line.first.y);
    const double fx2 = static_cast<float>(line.second.x);
    const double fy2 = static_cast<float>(line.second.y);
    const double px = x;
    const double py = y;

    const double dx = fx2 - fx1;
    const double dy = fy2 - fy1;
    const double m = dx != 0.0 ? dy / dx : dy / substituteWidth;
    const float a = static_cast<float>(m * -1.0);
    const float c = static_cast<float>(m * fx1 - fy1);

    const double s = a * px + yCoefficient * py + c;
    const double numerator = truncatedMagnitude(s);
    const double aSquared = static_cast<double>(a) * a;
    const float d = static_cast<float>(numerator / std::sqrt(aSquared + 1.0));
    if (d > distanceLimit) {
        return false;
    }

    const float length = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    const float toSecond = static_cast<float>(std::sqrt((fx2 - px) * (fx2 - px) + (fy2 - py) * (fy2 - py)));
    const float toFirst = static_cast<float>(std::sqrt((px - fx1) * (px - fx1) + (py - fy1) * (py - fy1)));
    return length > toSecond && length > toFirst;
}

void appendNearLines(const std::vector<Line>& lines, size_t begin, size_t end, int32_t x, int32_t y,
                     std::vector<size_t>& near) {
    // The cheap test runs a block at a time without a branch; only the few
    // lines it keeps take the full test.
    constexpr size_t blockSize = 64;
    size_t kept[blockSize];
    for (size_t first = begin; first < end; first += blockSize) {
        const size_t blockEnd = std::min(end, first + blockSize);
        size_t count = 0;
        for (size_t k = first; k < blockEnd; ++k) {
            kept[count] = k;
            count += static_cast<size_t>(lineMayBeNear(lines[k], x, y));
        }
        for (size_t i = 0; i < count; ++i) {
            if (lineIsNear(lines[kept[i]], x, y)) {
                near.push_back(kept[i]);
            }
        }
    }
}

}  // namespace figury
