#include "render/picture_repair.h"

#include <algorithm>
#include <cstdint>

#include "render/gdi_limits.h"

namespace figury {

namespace {

// A shape with a coordinate beyond GDI's coordinate limit may set pixels anywhere: a
// change that goes that far redraws the whole picture.
bool isFar(const Box& box) {
    const int64_t limit = gdiCoordinateLimit;
    return !withinLimit(box.left, limit) || !withinLimit(box.top, limit) || !withinLimit(box.right, limit) ||
           !withinLimit(box.bottom, limit);
}

// Erases the boxes and draws again, clipped to them, what draw draws; false,
// with nothing done, when the canvas cannot clip.
template <class Draw>
bool redrawBoxes(PictureCanvas& canvas, const std::vector<Box>& boxes, Draw draw) {
    if (!canvas.clipTo(boxes)) {
        return false;
    }
    for (const Box& box : boxes) {
        canvas.fillWhite(box);
    }
    draw();
    canvas.unclip();
    return true;
}

}  // namespace

bool boxesInside(const FigureDamage& damage, int width, int height, std::vector<Box>& boxes) {
    boxes.clear();
    if (damage.everything ||
        std::any_of(damage.boxes.begin(), damage.boxes.end(), [](const Box& box) { return isFar(box); })) {
        return false;
    }
    for (const Box& box : damage.boxes) {
        const Box inside = clippedTo(box, width, height);
        if (!isEmpty(inside)) {
            boxes.push_back(inside);
        }
    }
    return true;
}

void redrawPicture(PictureCanvas& canvas, const Figure& figure, int width, int height) {
    canvas.fillWhite({0, 0, width, height});
    paintFigure(canvas, figure);
}

void repairPicture(PictureCanvas& canvas, const Figure& figure, const FigureDamage& damage, int width,
                   int height, Figure& touching) {
    std::vector<Box> boxes;
    if (!boxesInside(damage, width, height, boxes)) {
        redrawPicture(canvas, figure, width, height);
        return;
    }
    const auto drawReaching = [&] {
        findShapesTouching(figure, boxes, touching);
        paintFigure(canvas, touching);
    };
    if (!boxes.empty() && !redrawBoxes(canvas, boxes, drawReaching)) {
        redrawPicture(canvas, figure, width, height);
    }
}

void redrawMarks(PictureCanvas& canvas, const std::vector<Point>& points, int width, int height) {
    canvas.fillWhite({0, 0, width, height});
    canvas.pointMarks(points.data(), points.size(), pointMarkRadius);
}

bool repairMarks(PictureCanvas& canvas, const std::vector<Point>& points, const std::vector<Box>& boxes,
                 std::vector<Point>& touching) {
    return redrawBoxes(canvas, boxes, [&] {
        findMarksTouching(points, boxes, touching);
        canvas.pointMarks(touching.data(), touching.size(), pointMarkRadius);
    });
}

}  // namespace figury
