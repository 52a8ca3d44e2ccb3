#pragma once

#include <cstdint>

// How far out GDI under Wine draws shapes right, as measured here; the
// picture and the drawing rely on these.

// GDI under Wine draws a 1-pixel line right only while its ends lie within
// 27 bits of the origin (measured: slanted lines stray from about 2.7 x 10^8
// on); beyond that it may set pixels anywhere, and a mark cannot show.
constexpr int32_t gdiReach = int32_t{1} << 27;

// A wider pen draws nothing at all for a line with an end from about 3 x 10^7
// on here, and from 5 x 10^6 on elsewhere; within 22 bits it draws every line right.
constexpr int32_t wideGdiReach = int32_t{1} << 22;
