#include "figure/figure.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "figure/bytes_hash.h"
#include "figure/figure_edit.h"

namespace figury {

namespace {

// The coordinates of the points inside one pick square. Every such point
// lies within the 11 x 11 cells around the pick position, so membership is
// a lookup instead of a search.
class PickedCells {
public:
    PickedCells(int32_t x, int32_t y) : x_(x), y_(y) {}

    void mark(Point point) { cells_[cellOf(point)] = true; }

    bool contains(Point point) const { return pointIsUnder(point, x_, y_) && cells_[cellOf(point)]; }

private:
    static constexpr int side = 2 * hitBoxHalfWidth - 1;

    size_t cellOf(Point point) const {
        const int64_t column = int64_t{point.x} - x_ + (hitBoxHalfWidth - 1);
        const int64_t row = int64_t{point.y} - y_ + (hitBoxHalfWidth - 1);
        return static_cast<size_t>(row * side + column);
    }

    int32_t x_;
    int32_t y_;
    std::array<bool, side * side> cells_{};
};

}  // namespace

bool pointIsUnder(Point point, int32_t x, int32_t y) {
    // 64-bit differences: any two 32-bit coordinates may be compared.
    const int64_t dx = int64_t{point.x} - x;
    const int64_t dy = int64_t{point.y} - y;
    return dx > -hitBoxHalfWidth && dx < hitBoxHalfWidth && dy > -hitBoxHalfWidth && dy < hitBoxHalfWidth;
}

void addPoint(Figure& figure, int32_t x, int32_t y, FigureEdit* edit) {
    figure.points.push_back({x, y});
    if (edit != nullptr) {
        edit->pointsAdded.push_back({figure.points.size() - 1, {x, y}});
    }
}

bool deletePointsAt(Figure& figure, int32_t x, int32_t y, FigureEdit* edit) {
    // A removed point takes every line with an end at its coordinates, so the
    // result depends only on which coordinates are removed: one pass over the
    // points, one over the lines, each keeping the survivors in order.
    PickedCells picked(x, y);
    std::vector<Point>& points = figure.points;
    size_t kept = 0;
    for (size_t k = 0; k < points.size(); ++k) {
        const Point point = points[k];
        if (!pointIsUnder(point, x, y)) {
            points[kept++] = point;
            continue;
        }
        picked.mark(point);
        if (edit != nullptr) {
            edit->pointsRemoved.push_back({k, point});
        }
    }
    if (kept == points.size()) {
        return false;
    }
    points.resize(kept);
    std::vector<Line>& lines = figure.lines;
    kept = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        const Line line = lines[k];
        if (!picked.contains(line.first) && !picked.contains(line.second)) {
            lines[kept++] = line;
        } else if (edit != nullptr) {
            edit->linesRemoved.push_back({k, line});
        }
    }
    lines.resize(kept);
    return true;
}

bool selectPointAt(const Figure& figure, int32_t x, int32_t y, size_t& selectedPoint) {
    bool found = false;
    for (size_t k = 0; k < figure.points.size(); ++k) {
        if (pointIsUnder(figure.points[k], x, y)) {
            selectedPoint = k;  // the last one found wins
            found = true;
        }
    }
    return found;
}

bool moveSelectedPointTo(Figure& figure, size_t selectedPoint, int32_t x, int32_t y, FigureEdit* edit) {
    if (selectedPoint >= figure.points.size()) {
        return false;
    }
    const Point old = figure.points[selectedPoint];
    const Point destination{x, y};
    if (old == destination) {
        return true;  // everything at old is at the destination already
    }
    // Points are compared with the selected point as it is at that moment:
    // those stored up to and including it share its old place and move with
    // it; those after it are compared with the new place and so stay.
    for (size_t k = 0; k <= selectedPoint; ++k) {
        if (figure.points[k] == old) {
            figure.points[k] = destination;
            if (edit != nullptr) {
                edit->pointsChanged.push_back({k, old, destination});
            }
        }
    }
    for (size_t k = 0; k < figure.lines.size(); ++k) {
        Line& line = figure.lines[k];
        if (line.first != old && line.second != old) {
            continue;
        }
        const Line before = line;
        for (Point* end : {&line.first, &line.second}) {
            if (*end == old) {
                *end = destination;
            }
        }
        if (edit != nullptr) {
            edit->linesChanged.push_back({k, before, line});
        }
    }
    return true;
}

bool insertLineTo(Figure& figure, size_t selectedPoint, int32_t x, int32_t y, FigureEdit* edit) {
    if (selectedPoint >= figure.points.size()) {
        return false;
    }
    const auto second = std::find_if(figure.points.begin(), figure.points.end(),
                                     [x, y](Point point) { return pointIsUnder(point, x, y); });
    if (second == figure.points.end()) {
        return false;
    }
    figure.lines.push_back({figure.points[selectedPoint], *second});
    if (edit != nullptr) {
        edit->linesAdded.push_back({figure.lines.size() - 1, figure.lines.back()});
    }
    return true;
}

bool deleteSelectedLine(Figure& figure, size_t selectedLine, FigureEdit* edit) {
    if (selectedLine >= figure.lines.size()) {
        return false;
    }
    if (edit != nullptr) {
        edit->linesRemoved.push_back({selectedLine, figure.lines[selectedLine]});
    }
    figure.lines.erase(figure.lines.begin() + static_cast<std::ptrdiff_t>(selectedLine));
    return true;
}

void clear(Figure& figure) {
    figure.points.clear();
    figure.lines.clear();
}

uint64_t figureHash(const Figure& figure) {
    static_assert(sizeof(Point) == 8 && sizeof(Line) == 16, "shapes without padding");
    // The shapes' own bytes: the hash need not outlive the process.
    const uint64_t points =
        bytesHash(reinterpret_cast<const char*>(figure.points.data()), figure.points.size() * sizeof(Point));
    const uint64_t lines =
        bytesHash(reinterpret_cast<const char*>(figure.lines.data()), figure.lines.size() * sizeof(Line));
    return mixBits(points * 0x9E3779B97F4A7C15u + lines);
}

}  // namespace figury
