#pragma once

#include <cstddef>
#include <cstdint>

#include "figure/figure.h"
#include "render/box.h"

namespace figury {

// The box of a point mark's or ring's ellipse, as the canvas's ellipse takes
// it: radius pixels around (x, y) each way. Coordinates read from a file may
// be anywhere in the 32-bit range; the corners stay in it instead of wrapping.
Box markBox(Point point, int32_t radius);

// What a paint needs from a device context. Coordinates are client-area pixels.
class Canvas {
public:
    virtual ~Canvas() = default;

    // The marks of count points and count lines, each in storage order. By
    // default each mark is an ellipse() of its markBox and each line a
    // moveTo() and a lineTo(); a canvas may draw them faster by any means that
    // leaves every pixel as those calls, one after another, would leave it.
    virtual void pointMarks(const Point* points, size_t count, int32_t radius);
    virtual void lines(const Line* lines, size_t count);

    // Outlined with the current pen, filled with the current brush.
    virtual void ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void moveTo(int32_t x, int32_t y) = 0;
    virtual void lineTo(int32_t x, int32_t y) = 0;
    // Draws length bytes of Windows-1250 text with its top left corner at (x, y).
    virtual void textOut(int32_t x, int32_t y, const char* text, int length) = 0;
    // Creates the red highlight pen of this paint; the canvas releases it when the paint ends.
    virtual void createHighlightPen(int width) = 0;
    virtual void selectHighlightPen() = 0;
};

// The sizes of what a paint draws. The pens' pixel models (thin_pen_pixels.h,
// wide_pen_pixels.h) are of these widths.
constexpr int32_t pointMarkRadius = 2;
constexpr int32_t pointRingRadius = 5;
constexpr int pointHighlightWidth = 1;
constexpr int lineHighlightWidth = 3;

// One shape as the canvas's calls draw it: a mark as an ellipse of its box, a
// line as a move to its first end and a line to its second.
void drawMark(Canvas& canvas, Point point, int32_t radius);
void drawSegment(Canvas& canvas, const Line& line);

// The figure's marks, then its lines, each in storage order.
void paintFigure(Canvas& canvas, const Figure& figure);

}  // namespace figury
