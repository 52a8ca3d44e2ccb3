#include "editor/win32/counted_lines_check.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "editor/highlight_line_pixels.h"
#include "editor/view.h"
#include "editor/win32/gdi_canvas.h"
#include "editor/win32/pixel_buffer.h"

namespace {

// Beyond this the canvas cuts a line before GDI draws it, and the lines
// counted stop at it.
static_assert(highlightLineReach == wideGdiReach, "a line is counted exactly where GDI draws it uncut");

constexpr int side = 64;
constexpr int32_t centre = side / 2;
constexpr uint32_t background = 0x00FFFFFFu;

// Short lines in every direction from the centre, lines through the centre
// with both ends out of the bitmap, and a few reaching thousands of pixels
// out (GDI takes a while over those).
std::vector<Line> checkedLines() {
    std::vector<Line> lines;
    for (int32_t dy = -9; dy <= 9; ++dy) {
        for (int32_t dx = -9; dx <= 9; ++dx) {
            lines.push_back({{centre, centre}, {centre + dx, centre + dy}});
        }
    }
    for (int32_t b = -6; b <= 6; ++b) {
        for (int32_t a = -6; a <= 6; ++a) {
            if (a != 0 || b != 0) {
                lines.push_back({{centre - 23 * a, centre - 29 * b}, {centre + 31 * a + 1, centre + 37 * b}});
            }
        }
    }
    for (const Point direction : {Point{7, 5}, Point{-3, 11}, Point{13, -1}, Point{-17, -19}}) {
        lines.push_back({{centre - 1500 * direction.x, centre - 1500 * direction.y},
                         {centre + 1700 * direction.x, centre + 1700 * direction.y}});
    }
    return lines;
}

bool check(uint32_t& red) {
    PixelBuffer drawn(nullptr, side, side);
    if (!drawn.ready()) {
        return false;
    }
    HPEN pen = CreatePen(PS_SOLID, lineHighlightWidth, RGB(255, 0, 0));
    if (pen == nullptr) {
        return false;
    }
    const HGDIOBJ penBefore = SelectObject(drawn.dc(), pen);
    std::vector<uint32_t> counts(side * side + countGroup);
    bool same = true;
    bool redSeen = false;
    for (const Line& line : checkedLines()) {
        std::fill_n(drawn.pixels(), side * side, background);
        drawLine(drawn.dc(), line.first.x, line.first.y, line.second.x, line.second.y);
        GdiFlush();
        std::fill(counts.begin(), counts.end(), 0);
        countHighlightLinePixels(line, 1, counts.data(), side, side);
        if (!redSeen) {
            red = drawn.pixels()[centre * side + centre];  // every line's end is red
            redSeen = true;
        }
        for (int k = 0; k < side * side && same; ++k) {
            same = drawn.pixels()[k] == (counts[k] != 0 ? red : background);
        }
        if (!same) {
            break;
        }
    }
    SelectObject(drawn.dc(), penBefore);
    DeleteObject(pen);
    return same && red != background;
}

}  // namespace

bool gdiDrawsLinesAsCounted(uint32_t& red) {
    static uint32_t checkedRed = 0;
    static const bool same = check(checkedRed);
    red = checkedRed;
    return same;
}
