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
};

template <class Shape>
struct ShapeChange {
    size_t index;
    Shape before;
    Shape after;
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
};

// Makes the figure before the edit into the figure after it: the removals,
// then the additions, then the changes.
void redoEdit(Figure& figure, const FigureEdit& edit);

// Makes the figure after the edit into the figure before it.
void undoEdit(Figure& figure, const FigureEdit& edit);

// The memory the edit holds, for bounding a history of edits.
size_t editBytes(const FigureEdit& edit);

}  // namespace figury
