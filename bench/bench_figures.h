#pragma once

#include <cstdint>
#include <random>

#include "figure/figure.h"

namespace figury {

// The rectangle that a benchmark figure's points are spread over.
struct FigureArea {
    int32_t left, top, right, bottom;  // right and bottom exclusive
};

// The client area of the editor's 800 x 600 window.
constexpr FigureArea clientArea = {0, 0, 794, 575};
// Ten times the client area's width and height around it: about one point in
// a hundred is visible, as in a large figure of which the window shows a corner.
constexpr FigureArea spreadArea = {-3573, -2587, 4367, 3163};

// n points at random positions in area and n lines between random points, the
// same figure for the same arguments on every run and every platform.
inline Figure benchFigure(int32_t n, const FigureArea& area) {
    std::mt19937 random(20240501u + static_cast<unsigned>(n));
    // Drawn by hand from the engine's raw output: the standard distributions
    // may differ between library implementations.
    auto below = [&random](uint32_t limit) { return static_cast<int32_t>(random() % limit); };
    const auto width = static_cast<uint32_t>(area.right - area.left);
    const auto height = static_cast<uint32_t>(area.bottom - area.top);
    Figure figure;
    figure.points.reserve(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        const int32_t x = area.left + below(width);
        figure.points.push_back({x, area.top + below(height)});
    }
    figure.lines.reserve(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        const Point first = figure.points[static_cast<size_t>(below(static_cast<uint32_t>(n)))];
        figure.lines.push_back({first, figure.points[static_cast<size_t>(below(static_cast<uint32_t>(n)))]});
    }
    return figure;
}

}  // namespace figury
