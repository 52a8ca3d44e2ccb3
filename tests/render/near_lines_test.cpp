#include "render/near_lines.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "figure/line_proximity.h"
#include "support/scripted_schedule.h"

namespace figury {

namespace {

using testing_support::everyScript;
using testing_support::ScriptedSchedule;

// One thread, and the two halves on two threads either one first.
std::vector<ScriptedSchedule> everySchedule() {
    std::vector<ScriptedSchedule> schedules = everyScript(2);
    schedules.push_back(ScriptedSchedule::oneThread());
    return schedules;
}

// The scan turns most lines away with a cheaper test first; it must find
// exactly the lines the full test finds, at every scale of coordinates, on
// one thread or two.
TEST(NearLines, FindsWhatTheFullTestFinds) {
    const std::vector<ScriptedSchedule> schedules = everySchedule();
    std::mt19937 random(3);
    for (const int32_t scale : {40, 1000, 1 << 20, (1 << 20) + 1, INT32_MAX}) {
        auto coordinate = [&random, scale] {
            return static_cast<int32_t>(static_cast<int64_t>(random() % (2 * uint64_t{uint32_t(scale)} + 1)) -
                                        scale);
        };
        std::vector<Line> lines;
        for (int k = 0; k < 70000; ++k) {
            lines.push_back({{coordinate(), coordinate()}, {coordinate(), coordinate()}});
        }
        for (int pointer = 0; pointer < 20; ++pointer) {
            const Line& through = lines[random() % lines.size()];
            // Points on and beside a line, where near lines are.
            const int32_t x = static_cast<int32_t>((int64_t{through.first.x} + through.second.x) / 2);
            const int32_t y = static_cast<int32_t>((int64_t{through.first.y} + through.second.y) / 2);
            std::vector<size_t> expected;
            for (size_t k = 0; k < lines.size(); ++k) {
                if (lineIsNear(lines[k], x, y)) {
                    expected.push_back(k);
                }
            }
            SCOPED_TRACE(std::to_string(scale) + " at " + std::to_string(x) + "," + std::to_string(y));
            for (const ScriptedSchedule& schedule : schedules) {
                EXPECT_EQ(expected, nearLines(lines, x, y, schedule)) << schedule.name();
            }
        }
    }
}

// The halves of a few lines, one of them empty or both holding near lines:
// each half's lines are found, and the first half's come first.
TEST(NearLines, JoinsTheHalvesInOrder) {
    const Line near = {{0, 0}, {100, 0}};
    const Line far = {{0, 500}, {100, 500}};
    const std::vector<Line> cases[] = {
        {}, {near}, {far}, {near, near}, {far, near}, {near, far, near}, {near, near, far, near, near},
    };
    for (const ScriptedSchedule& schedule : everySchedule()) {
        for (const std::vector<Line>& lines : cases) {
            std::vector<size_t> expected;
            for (size_t k = 0; k < lines.size(); ++k) {
                if (lines[k] == near) {
                    expected.push_back(k);
                }
            }
            SCOPED_TRACE(schedule.name() + ", " + std::to_string(lines.size()) + " lines");
            EXPECT_EQ(expected, nearLines(lines, 50, 3, schedule));
        }
    }
}

}  // namespace

}  // namespace figury
