#include "render/wide_pen_shape.h"

#include <cmath>
#include <cstdlib>

namespace figury {

namespace wide_pen_detail {

namespace {

int32_t roundHalfUp(double value) {
    return static_cast<int32_t>(std::floor(value + 0.5));
}

}  // namespace

void bodyCorners(Point first, Point second, Point (&corners)[4]) {
    const int64_t dx = int64_t{second.x} - first.x;
    const int64_t dy = int64_t{second.y} - first.y;
    // The pen's width across the line, split into x and y parts; each part
    // goes half to one side rounded down-ish and half to the other rounded
    // up-ish, the larger half on the side of greater x.
    // Exact squares: the root is the length correctly rounded.
    const double length = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    const double acrossX = penWidth * static_cast<double>(std::abs(dy)) / length;
    const double acrossY = penWidth * static_cast<double>(std::abs(dx)) / length;
    const int32_t narrowX = roundHalfUp(acrossX / 2);
    const int32_t narrowY = roundHalfUp(acrossY / 2);
    const int32_t wideX = roundHalfUp((acrossX + 1) / 2);
    const int32_t wideY = roundHalfUp((acrossY + 1) / 2);
    // Across the line, going right goes down when the line falls to the right.
    const int32_t downward = (dx < 0) != (dy < 0) ? 1 : -1;
    corners[0] = {first.x - narrowX, first.y - downward * narrowY};
    corners[1] = {first.x + wideX, first.y + downward * wideY};
    corners[2] = {second.x + wideX, second.y + downward * wideY};
    corners[3] = {second.x - narrowX, second.y - downward * narrowY};
}

}  // namespace wide_pen_detail

}  // namespace figury
