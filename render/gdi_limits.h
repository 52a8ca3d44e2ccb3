#pragma once

#include <cstdint>

namespace figury {

// How far from the origin coordinates can go before what the editor relies
// on stops holding, each with what set it. The figure's coordinates are
// anything 32 bits hold; the window shows a few hundred pixels of them.

// GDI under Wine draws a 1-pixel line right only while its ends lie within
// 27 bits of the origin (measured: 16 000 random lines with ends up to
// 134 217 000 out drew exactly the pixels of thin_pen_pixels.h; from about
// 2.7 x 10^8 on slanted lines stray); beyond that it may set pixels
// anywhere, and a mark cannot show.
constexpr int32_t gdiCoordinateLimit = int32_t{1} << 27;

// A wider pen draws nothing at all for a line with an end from about 3 x 10^7
// on here, and from 5 x 10^6 on elsewhere; within 22 bits it draws every line
// right (measured: 20 000 random lines, some with ends 2 x 10^6 out). The red
// lines are counted only within it.
constexpr int32_t widePenCoordinateLimit = int32_t{1} << 22;

}  // namespace figury
