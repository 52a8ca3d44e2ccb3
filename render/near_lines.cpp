#include "render/near_lines.h"

#include "figure/line_proximity.h"

namespace figury {

std::vector<size_t> nearLines(const std::vector<Line>& lines, int32_t x, int32_t y,
                              const Schedule& schedule) {
    std::vector<size_t> near;
    if (!schedule.worthTwoThreads(lines.size(), testedLinesWorthTwoThreads)) {
        appendNearLines(lines, 0, lines.size(), x, y, near);
        return near;
    }
    // Each half's lines ascend, and the first half's come first.
    const size_t half = lines.size() / 2;
    std::vector<size_t> nearSecondHalf;
    SharedJob job;
    job.secondPart = [&] { appendNearLines(lines, 0, half, x, y, near); };
    job.callerPart = [&] { appendNearLines(lines, half, lines.size(), x, y, nearSecondHalf); };
    schedule.run(job);
    near.insert(near.end(), nearSecondHalf.begin(), nearSecondHalf.end());
    return near;
}

}  // namespace figury
