#pragma once

// Figures for tests: built from literals, compared with EXPECT_EQ, printed
// readably when they differ.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <vector>

#include "figure/figure.h"

namespace figury {

inline void PrintTo(Point point, std::ostream* out) {
    *out << "(" << point.x << ", " << point.y << ")";
}

inline void PrintTo(const Line& line, std::ostream* out) {
    PrintTo(line.first, out);
    *out << "-";
    PrintTo(line.second, out);
}

inline void PrintTo(const Figure& figure, std::ostream* out) {
    *out << figure.points.size() << " points {";
    for (size_t k = 0; k < figure.points.size(); ++k) {
        *out << (k ? ", " : "");
        PrintTo(figure.points[k], out);
    }
    *out << "}, " << figure.lines.size() << " lines {";
    for (size_t k = 0; k < figure.lines.size(); ++k) {
        *out << (k ? ", " : "");
        PrintTo(figure.lines[k], out);
    }
    *out << "}";
}

namespace testing_support {

// A figure from flat coordinates: points as x, y pairs, lines as x1, y1, x2, y2.
inline Figure figureOf(const std::vector<int32_t>& points, const std::vector<int32_t>& lines = {}) {
    Figure figure;
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
        figure.points.push_back({points[i], points[i + 1]});
    }
    for (size_t j = 0; j + 3 < lines.size(); j += 4) {
        figure.lines.push_back({{lines[j], lines[j + 1]}, {lines[j + 2], lines[j + 3]}});
    }
    return figure;
}

// A line by the numbers (from 1) of its end points, as the file names them.
struct LineLiteral {
    int32_t first;
    int32_t second;
};

// A figure with the given points, whose lines copy the coordinates of the
// points they name, so the figure keeps its invariant.
inline Figure makeFigure(std::initializer_list<Point> points, std::initializer_list<LineLiteral> lines = {}) {
    Figure figure;
    figure.points.assign(points.begin(), points.end());
    for (const LineLiteral& line : lines) {
        figure.lines.push_back({figure.points.at(static_cast<size_t>(line.first - 1)),
                                figure.points.at(static_cast<size_t>(line.second - 1))});
    }
    return figure;
}

// The three points and two lines many tests start from: a bent path.
inline Figure pathFigure() {
    return makeFigure({{100, 100}, {200, 100}, {150, 200}}, {{1, 2}, {2, 3}});
}

}  // namespace testing_support

}  // namespace figury
