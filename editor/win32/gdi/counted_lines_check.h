#pragma once

#include <cstdint>

namespace figury {

// Whether GDI on this system draws lines on a 32-bit bitmap exactly as
// thin_pen_pixels.h and wide_pen_pixels.h count them, checked once per run
// for each pen on lines of every direction, short and long, some touching
// far out of the bitmap.
// colour is then the pixel value GDI gives the pen's colour.

// The red highlight pen, 3 pixels wide.
bool gdiDrawsLinesAsCounted(uint32_t& red);
// The stock black pen of the figure's lines.
bool gdiDrawsThinLinesAsCounted(uint32_t& black);

}  // namespace figury
