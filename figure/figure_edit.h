#pragma once

#include <cstddef>
#include <vector>

#include "figure/figure.h"

namespace figury {

// What one edit changed in a figure, element by element with their storage
// indices, so that it can be undone and done again exactly, storage order
// included. It holds only what changed, never a copy of the figure.
template <class Shape>
struct ShapeAt {
    size_t index;
    Shape shape;

    friend bool operator==(const ShapeAt& a, const ShapeAt& b) {
        return a.index == b.index && a.shape == b.shape;
    }
};

template <class Shape>
struct ShapeChange {
    size_t index;
    Shape before;
    Shape after;

    friend bool operator==(const ShapeChange& a, const ShapeChange& b) {
        return a.index == b.index && a.before == b.before && a.after == b.after;
    }
};

struct FigureEdit {
    // Taken out, by their indices in the figure before the edit, ascending.
    std::vector<ShapeAt<Point>> pointsRemoved;
    std::vector<ShapeAt<Line>> linesRemoved;
    // Put in, by their indices in the figure after it, ascending.
    std::vector<ShapeAt<Point>> pointsAdded;
    std::vector<ShapeAt<Line>> linesAdded;
    // Changed where they stand, by their indices after it.
    std::vector<ShapeChange<Point>> pointsChanged;
    std::vector<ShapeChange<Line>> linesChanged;

    bool empty() const {
        return pointsRemoved.empty() && linesRemoved.empty() && pointsAdded.empty() && linesAdded.empty() &&
               pointsChanged.empty() && linesChanged.empty();
    }

    friend bool operator==(const FigureEdit& a, const FigureEdit& b) {
        return a.pointsRemoved == b.pointsRemoved && a.linesRemoved == b.linesRemoved &&
               a.pointsAdded == b.pointsAdded && a.linesAdded == b.linesAdded &&
               a.pointsChanged == b.pointsChanged && a.linesChanged == b.linesChanged;
    }
    friend bool operator!=(const FigureEdit& a, const FigureEdit& b) { return !(a == b); }
};

// Makes the figure before the edit into the figure after it: the removals,
// then the additions, then the changes.
void redoEdit(Figure& figure, const FigureEdit& edit);

// Makes the figure after the edit into the figure before it.
void undoEdit(Figure& figure, const FigureEdit& edit);

// The memory the edit holds, for bounding a history of edits.
size_t editBytes(const FigureEdit& edit);

}  // namespace figury
