#include "render/canvas.h"

#include <algorithm>
#include <limits>

namespace figury {

Box markBox(Point point, int32_t radius) {
    auto shifted = [](int32_t value, int32_t by) {
        return std::clamp<int64_t>(int64_t{value} + by, std::numeric_limits<int32_t>::min(),
                                   std::numeric_limits<int32_t>::max());
    };
    return {shifted(point.x, -radius), shifted(point.y, -radius), shifted(point.x, radius),
            shifted(point.y, radius)};
}

void drawMark(Canvas& canvas, Point point, int32_t radius) {
    const Box box = markBox(point, radius);
    // The corners are within 32 bits, as markBox clamps them.
    canvas.ellipse(static_cast<int32_t>(box.left), static_cast<int32_t>(box.top),
                   static_cast<int32_t>(box.right), static_cast<int32_t>(box.bottom));
}

void drawSegment(Canvas& canvas, const Line& line) {
    canvas.moveTo(line.first.x, line.first.y);
    canvas.lineTo(line.second.x, line.second.y);
}

void Canvas::pointMarks(const Point* points, size_t count, int32_t radius) {
    for (size_t k = 0; k < count; ++k) {
        drawMark(*this, points[k], radius);
    }
}

void Canvas::lines(const Line* lines, size_t count) {
    for (size_t k = 0; k < count; ++k) {
        drawSegment(*this, lines[k]);
    }
}

void paintFigure(Canvas& canvas, const Figure& figure) {
    canvas.pointMarks(figure.points.data(), figure.points.size(), pointMarkRadius);
    canvas.lines(figure.lines.data(), figure.lines.size());
}

}  // namespace figury
