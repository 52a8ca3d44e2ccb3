#pragma once

#include <cstdint>

#include "figure/figure.h"

// Whether the pointer (x, y) is close enough to the line to pick it: within
// 10 pixels of the infinite line through the ends and inside the lens where
// both ends are nearer than the line is long.
bool lineIsNear(const Line& line, int32_t x, int32_t y);
