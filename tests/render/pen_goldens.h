#pragma once

// What the pens' tests share: the pixels GDI's pens set under Wine for lines
// of every kind, drawn once with MoveToEx and LineTo on a 24 x 14 bitmap and
// written down in each test, so that a fault in a pen's model shows natively,
// without Wine; and random lines of every direction and length.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "figure/figure.h"

namespace figury {

constexpr int goldenWidth = 24;
constexpr int goldenHeight = 14;

struct Golden {
    const char* name;
    Line line;
    std::vector<std::string> rows;  // '#' for a pixel the pen sets
};

// The golden area's counts as rows of '#' where a count is not 0.
inline std::vector<std::string> drawn(const std::vector<uint32_t>& counts) {
    std::vector<std::string> rows(goldenHeight, std::string(goldenWidth, '.'));
    for (size_t at = 0; at < size_t{goldenWidth} * goldenHeight; ++at) {
        if (counts[at] != 0) {
            rows[at / goldenWidth][at % goldenWidth] = '#';
        }
    }
    return rows;
}

// The k-th of a run of random lines in, across and far out of a small area
// whose middle is about (18, 18).
inline Line randomLine(std::mt19937& random, int k) {
    const int32_t spread = k % 3 == 0 ? 8 : k % 3 == 1 ? 60 : 5000;
    auto coordinate = [&] { return int32_t(random() % uint32_t(2 * spread + 1)) - spread + 18; };
    return Line{{coordinate(), coordinate()}, {coordinate(), coordinate()}};  // in order, left to right
}

inline std::string named(const Line& line) {
    return std::to_string(line.first.x) + "," + std::to_string(line.first.y) + " to " +
           std::to_string(line.second.x) + "," + std::to_string(line.second.y);
}

}  // namespace figury
