#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "editor_state.h"

// The ellipse of a point mark or ring: reach pixels around (x, y) each way.
// Coordinates read from a file may be anywhere in the 32-bit range; the
// corners stay in range instead of wrapping.
struct MarkBox {
    int32_t left, top, right, bottom;
};
MarkBox markBox(int32_t x, int32_t y, int32_t reach);

// What a paint needs from a device context. Coordinates are client-area pixels.
class Canvas {
public:
    virtual ~Canvas() = default;

    // The marks of count points (flat x, y pairs) in storage order, and count
    // lines (flat x1, y1, x2, y2) in storage order. By default each mark is an
    // ellipse() of its markBox and each line a moveTo() and a lineTo(); a
    // canvas may draw them faster by any means that leaves every pixel as
    // those calls, one after another, would leave it.
    virtual void pointMarks(const int32_t* points, size_t count, int32_t reach);
    virtual void lines(const int32_t* ends, size_t count);

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

constexpr int32_t statusTextX = 10;
constexpr int32_t statusTextY = 35;  // just below the button bar
constexpr int32_t pointMarkReach = 2;
constexpr int32_t pointRingReach = 5;
constexpr int pointHighlightWidth = 1;
constexpr int lineHighlightWidth = 3;

// The offset of the line that a paint in this mode with the pointer at (x, y)
// draws highlighted last, and so records for the next delete-line press: the
// last line near (x, y) in storage order. None outside delete-line mode or
// when no line is near.
std::optional<int32_t> lineHighlightedAt(const Figure& figure, int mode, int32_t x, int32_t y);

// Paints the points, the lines, the status text and, while a pick is awaited,
// the red highlight of what lies under (hoverX, hoverY). The mode and the
// status text come from state; a line highlight records the line that
// lineHighlightedAt names in state.lineToDelete. Near no line, the record stays.
void paintFigureView(Canvas& canvas, const Figure& figure, int32_t hoverX, int32_t hoverY,
                     EditorState& state);
