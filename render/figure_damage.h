#pragma once

#include <cstdint>
#include <vector>

#include "figure/figure.h"
#include "figure/figure_changes.h"
#include "figure/figure_edit.h"
#include "render/box.h"

namespace figury {

// Where the picture of the figure (its marks and lines, not the status text
// or the highlight) no longer shows the figure, for the next paint to redraw.
// Every pixel that a changed mark or line set before the change, or sets
// after it, lies in one of the boxes.
struct FigureDamage {
    bool everything = true;  // nothing drawn yet, or a change of unknown extent
    std::vector<Box> boxes;

    void addMark(Point point);
    void addLine(const Line& line);
    // The marks and lines an edit took away, put in or changed, as they were
    // and as they are: the same whichever way the edit went. Without lines,
    // the marks alone.
    void addEdit(const FigureEdit& edit, bool withLines = true);
    void addEverything();
    void clear();
};

// Where a picture that shows the figure as it was at revision since no longer
// shows it: the marks and lines of every change after it, or everything when
// those changes are no longer kept.
FigureDamage damageSince(const FigureChanges& changes, uint64_t since);

}  // namespace figury
