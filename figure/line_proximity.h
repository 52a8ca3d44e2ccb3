#pragma once

#include <cstdint>

// Whether the pointer (x, y) is close enough to the line from (x1, y1) to
// (x2, y2) to pick it: within 10 pixels of the infinite line through the ends
// and inside the lens where both ends are nearer than the line is long.
bool lineIsNear(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x, int32_t y);
