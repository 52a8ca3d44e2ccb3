#include "render/thin_pen_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace figury {

namespace thin_pen_detail {

namespace {

// A 1-pixel line's step i (0 <= i <= n) lies carries(i) = floor((2 i m + n -
// bias) / 2n) from its start along the minor axis, n and m the major and
// minor lengths (m <= n < 2^33), bias 1 where a tie goes back towards the
// start. The products come to 2^67: a double finds the quotient to within
// one, and arithmetic modulo 2^64 tells which is exact, as only the exact one
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
        remainder = 0;  // never comes here: one of them is exact
        return guess;
    }
    int64_t at(int64_t i) const {
        int64_t ignored = 0;
        return at(i, ignored);
    }

    // The first step in [from, to] whose carries come to count or more, or
    // to when none does.
    int64_t firstCarrying(int64_t count, int64_t from, int64_t to) const {
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
            first = carries.firstCarrying(low, first, end);
            end = carries.firstCarrying(high, first, end);
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

}  // namespace thin_pen_detail

void countThinPenPixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height) {
    forEachThinPenPixel(line, width, height, [counts, delta](size_t at) { counts[at] += delta; });
}

}  // namespace figury
