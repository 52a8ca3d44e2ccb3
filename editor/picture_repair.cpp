#include "editor/picture_repair.h"

#include <algorithm>
#include <cstdint>

#include "editor/gdi_limits.h"

namespace {

// A shape with a coordinate beyond GDI's reach may set pixels anywhere: a
// change that reaches that far redraws the whole picture.
bool isFar(const PixelBox& box) {
    auto far = [](int64_t value) { return value <= -gdiReach || value >= gdiReach; };
    return far(box.left) || far(box.top) || far(box.right) || far(box.bottom);
}

}  // namespace

void redrawPicture(PictureCanvas& canvas, const Figure& figure, int width, int height) {
    canvas.fillWhite({0, 0, width, height});
    paintFigure(canvas, figure);
}

void repairPicture(PictureCanvas& canvas, const Figure& figure, const FigureDamage& damage, int width,
                   int height, Figure& reaching) {
    if (damage.everything || std::any_of(damage.boxes.begin(), damage.boxes.end(),
                                         [](const PixelBox& box) { return isFar(box); })) {
        redrawPicture(canvas, figure, width, height);
        return;
    }
    std::vector<PictureBox> boxes;
    for (const PixelBox& box : damage.boxes) {
        const PictureBox inside = {static_cast<int32_t>(std::max<int64_t>(box.left, 0)),
                                   static_cast<int32_t>(std::max<int64_t>(box.top, 0)),
                                   static_cast<int32_t>(std::min<int64_t>(box.right, width)),
                                   static_cast<int32_t>(std::min<int64_t>(box.bottom, height))};
        if (inside.left < inside.right && inside.top < inside.bottom) {
            boxes.push_back(inside);
        }
    }
    if (boxes.empty()) {
        return;
    }
    if (!canvas.clipTo(boxes)) {
        redrawPicture(canvas, figure, width, height);
        return;
    }
    for (const PictureBox& box : boxes) {
        canvas.fillWhite(box);
    }
    findShapesReaching(figure, boxes, reaching);
    paintFigure(canvas, reaching);
    canvas.unclip();
}
