#pragma once

#include <cstdint>

// Whether GDI on this system draws a line with the red highlight pen on a
// 32-bit bitmap exactly as countHighlightLinePixels counts it, checked once
// per run on lines of every direction, short and long, some reaching far out
// of the bitmap. red is then the pixel value GDI gives the pen's colour.
bool gdiDrawsLinesAsCounted(uint32_t& red);
