#include "render/counted_picture.h"

#include <algorithm>

#include "render/thin_pen_pixels.h"

namespace figury {

void CountedPicture::reset(int width, int height, uint32_t* marks, uint32_t* shown, uint32_t lineColour) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    marks_ = marks;
    shown_ = shown;
    lineColour_ = lineColour;
    revision_.reset();
    counts_.clear();
}

void CountedPicture::countIn(const Line& line) {
    forEachThinPenPixel(line, width_, height_, [this](size_t at) {
        if (counts_[at]++ == 0) {
            shown_[at] = lineColour_;
        }
    });
}

void CountedPicture::countOut(const Line& line) {
    forEachThinPenPixel(line, width_, height_, [this](size_t at) {
        if (--counts_[at] == 0) {
            shown_[at] = marks_[at];
        }
    });
}

void CountedPicture::compose(const Box& box) {
    for (int64_t y = box.top; y < box.bottom; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (size_t at = row + static_cast<size_t>(box.left); at < row + static_cast<size_t>(box.right);
             ++at) {
            shown_[at] = counts_[at] != 0 ? lineColour_ : marks_[at];
        }
    }
}

void CountedPicture::update(const Figure& figure, const FigureChanges& changes, PictureCanvas& marksCanvas) {
    if (width_ == 0 || height_ == 0) {
        return;
    }
    // Lines are counted out and in as each change took them away and put them
    // in, undone ones the other way round; the marks that came or went are
    // repaired afterwards, and their boxes composed again.
    FigureDamage markDamage;
    markDamage.clear();
    const auto lines = [this](const std::vector<ShapeAt<Line>>& shapes, bool in) {
        for (const ShapeAt<Line>& line : shapes) {
            in ? countIn(line.shape) : countOut(line.shape);
        }
    };
    const bool followed =
        revision_ && changes.forEachSince(*revision_, [&](const FigureEdit& edit, bool undone) {
            lines(edit.linesRemoved, undone);
            lines(edit.linesAdded, !undone);
            for (const ShapeChange<Line>& line : edit.linesChanged) {
                countOut(undone ? line.after : line.before);
                countIn(undone ? line.before : line.after);
            }
            markDamage.addEdit(edit, false);
        });
    revision_ = changes.revision();
    if (!followed) {
        counts_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
        for (const Line& line : figure.lines) {
            countThinPenPixels(line, 1, counts_.data(), width_, height_);
        }
    }
    std::vector<Box> boxes;
    const bool wholeMarks =
        !followed || !boxesInside(markDamage, width_, height_, boxes) ||
        (!boxes.empty() && !repairMarks(marksCanvas, figure.points, boxes, touchingMarks_));
    if (wholeMarks) {
        redrawMarks(marksCanvas, figure.points, width_, height_);
        marksCanvas.finish();
        compose({0, 0, width_, height_});
    } else {
        marksCanvas.finish();
        for (const Box& box : boxes) {
            compose(box);
        }
    }
}

}  // namespace figury
