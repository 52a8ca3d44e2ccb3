#include "render/canvas.h"

#include <algorithm>
#include <limits>

namespace figury {

MarkBox markBox(Point point, int32_t radius) {
    auto shifted = [](int32_t value, int32_t by) {
        const int64_t result = int64_t{value} + by;
        return static_cast<int32_t>(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    };
    return {shifted(point.x, -radius), shifted(point.y, -radius), shifted(point.x, radius),
            shifted(point.y, radius)};
}

void drawMark(Canvas& canvas, Point point, int32_t radius) {
    const MarkBox box = markBox(point, radius);
    canvas.ellipse(box.left, box.top, box.right, box.bottom);
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
