#include "render/near_lines.h"

#include "figure/line_proximity.h"
#include "render/run_together.h"

namespace figury {

std::vector<size_t> nearLines(const std::vector<Line>& lines, int32_t x, int32_t y) {
    std::vector<size_t> near;
    if (!worthTwoThreads(lines.size(), testedLinesWorthTwoThreads)) {
        appendNearLines(lines, 0, lines.size(), x, y, near);
        return near;
    }
    const size_t half = lines.size() / 2;
    std::vector<size_t> nearSecondHalf;
    runTogether([&] { appendNearLines(lines, 0, half, x, y, near); },
                [&] { appendNearLines(lines, half, lines.size(), x, y, nearSecondHalf); });
    near.insert(near.end(), nearSecondHalf.begin(), nearSecondHalf.end());
    return near;
}

}  // namespace figury
