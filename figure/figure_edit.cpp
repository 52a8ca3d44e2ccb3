#include "figure/figure_edit.h"

namespace figury {

namespace {

// Each of these is one pass over the elements from the first index on, so
// that an edit at a million elements costs what the edit itself cost.

template <class Shape>
void removeAt(std::vector<Shape>& shapes, const std::vector<ShapeAt<Shape>>& removed) {
    if (removed.empty()) {
        return;
    }
    size_t out = removed.front().index;
    size_t next = 0;
    for (size_t in = out; in < shapes.size(); ++in) {
        if (next < removed.size() && removed[next].index == in) {
            ++next;
        } else {
            shapes[out++] = shapes[in];
        }
    }
    shapes.resize(out);
}

template <class Shape>
void insertAt(std::vector<Shape>& shapes, const std::vector<ShapeAt<Shape>>& added) {
    size_t in = shapes.size();
    shapes.resize(shapes.size() + added.size());
    // From the back, so that every element moves once; those before the
    // first index stay where they are.
    for (size_t k = added.size(), out = shapes.size(); k > 0;) {
        --out;
        if (added[k - 1].index == out) {
            shapes[out] = added[--k].shape;
        } else {
            shapes[out] = shapes[--in];
        }
    }
}

// Sets each changed shape to its side of the change: before or after.
template <class Shape>
void setTo(std::vector<Shape>& shapes, const std::vector<ShapeChange<Shape>>& changes,
           Shape ShapeChange<Shape>::*side) {
    for (const ShapeChange<Shape>& change : changes) {
        shapes[change.index] = change.*side;
    }
}

template <class Item>
size_t bytesOf(const std::vector<Item>& items) {
    return items.capacity() * sizeof(Item);
}

}  // namespace

void redoEdit(Figure& figure, const FigureEdit& edit) {
    removeAt(figure.points, edit.pointsRemoved);
    removeAt(figure.lines, edit.linesRemoved);
    insertAt(figure.points, edit.pointsAdded);
    insertAt(figure.lines, edit.linesAdded);
    setTo(figure.points, edit.pointsChanged, &ShapeChange<Point>::after);
    setTo(figure.lines, edit.linesChanged, &ShapeChange<Line>::after);
}

void undoEdit(Figure& figure, const FigureEdit& edit) {
    setTo(figure.points, edit.pointsChanged, &ShapeChange<Point>::before);
    setTo(figure.lines, edit.linesChanged, &ShapeChange<Line>::before);
    removeAt(figure.points, edit.pointsAdded);
    removeAt(figure.lines, edit.linesAdded);
    insertAt(figure.points, edit.pointsRemoved);
    insertAt(figure.lines, edit.linesRemoved);
}

size_t editBytes(const FigureEdit& edit) {
    return sizeof edit + bytesOf(edit.pointsRemoved) + bytesOf(edit.linesRemoved) +
           bytesOf(edit.pointsAdded) + bytesOf(edit.linesAdded) + bytesOf(edit.pointsChanged) +
           bytesOf(edit.linesChanged);
}

}  // namespace figury
