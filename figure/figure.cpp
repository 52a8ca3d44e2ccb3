#include "figure.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

bool isPointIndex(const Figure& figure, int32_t index) {
    return index >= 0 && index % 2 == 0 && static_cast<size_t>(index) < pointElements(figure);
}

// The coordinates of the points inside one pick square. Every such point
// lies within the 11 x 11 cells around the pick position, so membership is
// a lookup instead of a search.
class PickedCells {
public:
    PickedCells(int32_t x, int32_t y) : x_(x), y_(y) {}

    void mark(int32_t px, int32_t py) { cells_[cellOf(px, py)] = true; }

    bool contains(int32_t px, int32_t py) const {
        return pointIsUnder(px, py, x_, y_) && cells_[cellOf(px, py)];
    }

private:
    static constexpr int side = 2 * hitBoxReach - 1;

    size_t cellOf(int32_t px, int32_t py) const {
        const int64_t column = int64_t{px} - x_ + (hitBoxReach - 1);
        const int64_t row = int64_t{py} - y_ + (hitBoxReach - 1);
        return static_cast<size_t>(row * side + column);
    }

    int32_t x_;
    int32_t y_;
    std::array<bool, side * side> cells_{};
};

}  // namespace

size_t pointElements(const Figure& figure) {
    const size_t whole = figure.points.size() - figure.points.size() % 2;
    return std::min(static_cast<size_t>(std::max(figure.pointCount, 0)) * 2, whole);
}

size_t lineElements(const Figure& figure) {
    const size_t whole = figure.lines.size() - figure.lines.size() % 4;
    return std::min(static_cast<size_t>(std::max(figure.lineCount, 0)) * 4, whole);
}

bool pointIsUnder(int32_t px, int32_t py, int32_t x, int32_t y) {
    // 64-bit differences: any two 32-bit coordinates may be compared.
    const int64_t dx = int64_t{px} - x;
    const int64_t dy = int64_t{py} - y;
    return dx > -hitBoxReach && dx < hitBoxReach && dy > -hitBoxReach && dy < hitBoxReach;
}

void addPoint(Figure& figure, int32_t x, int32_t y) {
    // Both values in one insertion, counted after it: a failed allocation
    // leaves no half point behind.
    const int32_t point[2] = {x, y};
    figure.points.insert(figure.points.end(), point, point + 2);
    figure.pointCount += 1;
}

int deletePointsAt(Figure& figure, int32_t x, int32_t y) {
    // A removed point takes every line with an end at its coordinates, so the
    // result depends only on which coordinates are removed: one pass over the
    // points, one over the lines, each keeping the survivors in order.
    PickedCells picked(x, y);
    const size_t pointEnd = pointElements(figure);
    size_t keptPoints = 0;
    for (size_t i = 0; i < pointEnd; i += 2) {
        const int32_t px = figure.points[i];
        const int32_t py = figure.points[i + 1];
        if (pointIsUnder(px, py, x, y)) {
            picked.mark(px, py);
            continue;
        }
        figure.points[keptPoints] = px;
        figure.points[keptPoints + 1] = py;
        keptPoints += 2;
    }
    if (keptPoints == pointEnd) {
        return 0;
    }
    figure.points.erase(figure.points.begin() + static_cast<std::ptrdiff_t>(keptPoints),
                        figure.points.begin() + static_cast<std::ptrdiff_t>(pointEnd));
    figure.pointCount -= static_cast<int32_t>((pointEnd - keptPoints) / 2);

    const size_t lineEnd = lineElements(figure);
    size_t keptLines = 0;
    for (size_t j = 0; j < lineEnd; j += 4) {
        const int32_t* line = &figure.lines[j];
        if (picked.contains(line[0], line[1]) || picked.contains(line[2], line[3])) {
            continue;
        }
        std::copy(line, line + 4, figure.lines.begin() + static_cast<std::ptrdiff_t>(keptLines));
        keptLines += 4;
    }
    figure.lines.erase(figure.lines.begin() + static_cast<std::ptrdiff_t>(keptLines),
                       figure.lines.begin() + static_cast<std::ptrdiff_t>(lineEnd));
    figure.lineCount -= static_cast<int32_t>((lineEnd - keptLines) / 4);
    return 1;
}

int selectPointAt(const Figure& figure, int32_t x, int32_t y, int32_t& selectionIndex) {
    int found = 0;
    const size_t end = pointElements(figure);
    for (size_t i = 0; i < end; i += 2) {
        if (pointIsUnder(figure.points[i], figure.points[i + 1], x, y)) {
            selectionIndex = static_cast<int32_t>(i);  // the last one found wins
            found = 1;
        }
    }
    return found;
}

int moveSelectedPointTo(Figure& figure, int32_t selectionIndex, int32_t x, int32_t y) {
    if (!isPointIndex(figure, selectionIndex)) {
        return 0;
    }
    const auto s = static_cast<size_t>(selectionIndex);
    const int32_t oldX = figure.points[s];
    const int32_t oldY = figure.points[s + 1];
    // Points are compared with the selected point as it is at that moment:
    // those stored up to and including it share its old place and move with
    // it; those after it are compared with the new place and so stay.
    for (size_t i = 0; i <= s; i += 2) {
        if (figure.points[i] == oldX && figure.points[i + 1] == oldY) {
            figure.points[i] = x;
            figure.points[i + 1] = y;
        }
    }
    const size_t lineEnd = lineElements(figure);
    for (size_t j = 0; j < lineEnd; j += 2) {
        if (figure.lines[j] == oldX && figure.lines[j + 1] == oldY) {
            figure.lines[j] = x;
            figure.lines[j + 1] = y;
        }
    }
    return 1;
}

int insertLineTo(Figure& figure, int32_t selectionIndex, int32_t x, int32_t y) {
    if (!isPointIndex(figure, selectionIndex)) {
        return 0;
    }
    const size_t end = pointElements(figure);
    for (size_t i = 0; i < end; i += 2) {
        if (pointIsUnder(figure.points[i], figure.points[i + 1], x, y)) {
            const auto s = static_cast<size_t>(selectionIndex);
            const int32_t line[4] = {figure.points[s], figure.points[s + 1], figure.points[i],
                                     figure.points[i + 1]};
            figure.lines.insert(figure.lines.end(), line, line + 4);
            figure.lineCount += 1;
            return 1;
        }
    }
    return 0;
}

int deleteSelectedLine(Figure& figure, int32_t selectionIndex) {
    if (selectionIndex < 0 || selectionIndex % 4 != 0 ||
        static_cast<size_t>(selectionIndex) >= lineElements(figure)) {
        return 0;
    }
    const auto begin = figure.lines.begin() + selectionIndex;
    figure.lines.erase(begin, begin + 4);
    figure.lineCount -= 1;
    return 1;
}

void clear(Figure& figure) {
    figure.points.clear();
    figure.lines.clear();
}
