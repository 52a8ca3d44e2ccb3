#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor_state.h"

// A figure from its coordinates: points as x, y pairs, lines as x1, y1, x2, y2.
inline Figure figureOf(std::vector<int32_t> points, std::vector<int32_t> lines = {}) {
    Figure figure;
    figure.pointCount = static_cast<int32_t>(points.size() / 2);
    figure.lineCount = static_cast<int32_t>(lines.size() / 4);
    figure.points = std::move(points);
    figure.lines = std::move(lines);
    return figure;
}

inline std::string describe(const Figure& figure) {
    std::string text = "points " + std::to_string(figure.pointCount) + ":";
    for (int32_t v : figure.points) text += " " + std::to_string(v);
    text += " | lines " + std::to_string(figure.lineCount) + ":";
    for (int32_t v : figure.lines) text += " " + std::to_string(v);
    return text;
}

inline ::testing::AssertionResult sameFigure(const Figure& expected, const Figure& actual) {
    if (expected.pointCount == actual.pointCount && expected.lineCount == actual.lineCount &&
        expected.points == actual.points && expected.lines == actual.lines) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\n  expected " << describe(expected) << "\n  actual   "
                                         << describe(actual);
}

// The three points and two lines most tests start from: a bent path.
inline Figure pathFigure() {
    return figureOf({100, 100, 200, 100, 150, 200}, {100, 100, 200, 100, 200, 100, 150, 200});
}
