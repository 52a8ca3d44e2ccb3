#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/editor_state.h"

// The ellipse of a point mark or ring: reach pixels around (x, y) each way.
// Coordinates read from a file may be anywhere in the 32-bit range; the
// corners stay in range instead of wrapping.
struct MarkBox {
    int32_t left, top, right, bottom;
};
MarkBox markBox(Point point, int32_t reach);

// What a paint needs from a device context. Coordinates are client-area pixels.
class Canvas {
public:
    virtual ~Canvas() = default;

    // The marks of count points and count lines, each in storage order. By
    // default each mark is an ellipse() of its markBox and each line a
    // moveTo() and a lineTo(); a canvas may draw them faster by any means that
    // leaves every pixel as those calls, one after another, would leave it.
    virtual void pointMarks(const Point* points, size_t count, int32_t reach);
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

constexpr int32_t statusTextX = 10;
constexpr int32_t statusTextY = 35;  // just below the button bar
constexpr int32_t pointMarkReach = 2;
constexpr int32_t pointRingReach = 5;
constexpr int pointHighlightWidth = 1;
constexpr int lineHighlightWidth = 3;

// What a paint draws red for the pointer at the hover position, by storage
// index: the points under it while a point pick is awaited, the lines near it
// in delete-line mode. penWidth is 0 when the mode highlights nothing.
struct Highlight {
    int penWidth = 0;
    std::vector<size_t> points;
    std::vector<size_t> lines;
};
Highlight highlightFor(const EditorState& state);

// Paints the points, the lines, the status text and then the highlight.
void paintFigureView(Canvas& canvas, const EditorState& state, const Highlight& highlight);
// The two halves of it: the figure's marks and lines, which stay as they are
// until the figure changes, and what is drawn over them.
void paintFigure(Canvas& canvas, const Figure& figure);
void paintOverlay(Canvas& canvas, const EditorState& state, const Highlight& highlight);
// The two parts of that, in its order.
void paintStatusText(Canvas& canvas, const EditorState& state);
void paintHighlight(Canvas& canvas, const Figure& figure, const Highlight& highlight);
