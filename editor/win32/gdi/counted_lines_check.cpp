#include "editor/win32/gdi/counted_lines_check.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "render/thin_pen_pixels.h"
#include "render/wide_pen_pixels.h"
#include "render/canvas.h"
#include "editor/win32/gdi/gdi_canvas.h"
#include "editor/win32/gdi/pixel_buffer.h"

namespace figury {

namespace {

constexpr int side = 64;
constexpr int32_t centre = side / 2;
constexpr uint32_t background = 0x00FFFFFFu;

// Short lines in every direction from the centre, lines through the centre
// with both ends out of the bitmap, and a few touching thousands of pixels
// out (GDI takes a while over those with a wide pen); with farOnes, a few
// touching to the edge of GDI's reach too.
std::vector<Line> checkedLines(bool farOnes) {
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
    if (farOnes) {
        const int32_t out = gdiCoordinateLimit - 1;
        lines.push_back({{-out, centre - 7}, {out, centre + 8}});
        lines.push_back({{centre + 3, out}, {centre - 2, -out}});
        lines.push_back({{out, out - 17}, {-out + 101, -out}});
    }
    return lines;
}

// Draws each line with the pen and compares its pixels with count's.
template <class Count>
bool check(HPEN pen, bool farOnes, Count count, uint32_t& colour) {
    PixelBuffer drawn(nullptr, side, side);
    if (!drawn.ready() || pen == nullptr) {
        return false;
    }
    const HGDIOBJ penBefore = SelectObject(drawn.dc(), pen);
    std::vector<uint32_t> counts(side * side);
    bool same = true;
    bool colourSeen = false;
    for (const Line& line : checkedLines(farOnes)) {
        std::fill_n(drawn.pixels(), side * side, background);
        drawLine(drawn.dc(), line.first.x, line.first.y, line.second.x, line.second.y);
        GdiFlush();
        std::fill(counts.begin(), counts.end(), 0);
        count(line, counts.data());
        if (!colourSeen && line.first != line.second) {
            colour = drawn.pixels()[centre * side + centre];  // every line starts there
            colourSeen = true;
        }
        for (int k = 0; k < side * side && same; ++k) {
            same = drawn.pixels()[k] == (counts[k] != 0 ? colour : background);
        }
        if (!same) {
            break;
        }
    }
    SelectObject(drawn.dc(), penBefore);
    return same && colour != background;
}

}  // namespace

bool gdiDrawsLinesAsCounted(uint32_t& red) {
    static uint32_t checkedRed = 0;
    static const bool same = [] {
        HPEN pen = CreatePen(PS_SOLID, lineHighlightWidth, RGB(255, 0, 0));
        const bool counted = check(
            pen, false,
            [](const Line& line, uint32_t* counts) { countWidePenPixels(line, 1, counts, side, side); },
            checkedRed);
        DeleteObject(pen);
        return counted;
    }();
    red = checkedRed;
    return same;
}

bool gdiDrawsThinLinesAsCounted(uint32_t& black) {
    static uint32_t checkedBlack = 0;
    static const bool same = check(
        static_cast<HPEN>(GetStockObject(BLACK_PEN)), true,
        [](const Line& line, uint32_t* counts) { countThinPenPixels(line, 1, counts, side, side); },
        checkedBlack);
    black = checkedBlack;
    return same;
}

}  // namespace figury
