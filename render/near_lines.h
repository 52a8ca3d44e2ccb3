#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "figure/figure.h"
#include "render/run_together.h"

namespace figury {

// The storage indices, ascending, of the lines near (x, y) (lineIsNear): in
// a large figure the two halves of the lines are tested on two threads, as
// the schedule has them.
std::vector<size_t> nearLines(const std::vector<Line>& lines, int32_t x, int32_t y,
                              const Schedule& schedule = systemSchedule());

}  // namespace figury
