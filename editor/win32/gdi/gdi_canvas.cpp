#include "editor/win32/gdi/gdi_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <vector>

#include "render/thin_pen_pixels.h"
#include "editor/win32/gdi/mark_stamp.h"
#include "editor/win32/gdi/polish_text.h"

namespace figury {

namespace {

constexpr COLORREF highlightRed = RGB(255, 0, 0);

// Room beyond the clip box for the half width and the round end of a cut line.
constexpr int32_t cutMargin = 16;

bool withinGdiLimit(int32_t x, int32_t y) {
    return withinLimit(Point{x, y}, gdiCoordinateLimit);
}

bool withinGdiLimit(Point point) {
    return withinLimit(point, gdiCoordinateLimit);
}

// A pen made some other way than CreatePen counts as wide.
bool penIsThin(HDC dc) {
    LOGPEN pen;
    return GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen) == sizeof pen && pen.lopnWidth.x <= 1;
}

// The piece of the line inside box, in the line's own direction, its ends
// rounded to whole pixels (Liang-Barsky); false when the line misses the box.
// In double precision every value stays exact to well below a pixel.
bool cutToBox(const RECT& box, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2) {
    const double startX = x1, startY = y1;
    const double dx = x2 - startX;
    const double dy = y2 - startY;
    double enter = 0.0;
    double leave = 1.0;
    // Keeps the part of the line where p * t <= q.
    auto keep = [&](double p, double q) {
        if (p == 0.0) {
            return q >= 0.0;
        }
        const double t = q / p;
        if (p < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        return enter <= leave;
    };
    if (!keep(-dx, startX - box.left) || !keep(dx, box.right - startX) || !keep(-dy, startY - box.top) ||
        !keep(dy, box.bottom - startY)) {
        return false;
    }
    x1 = static_cast<int32_t>(std::lround(startX + enter * dx));
    y1 = static_cast<int32_t>(std::lround(startY + enter * dy));
    x2 = static_cast<int32_t>(std::lround(startX + leave * dx));
    y2 = static_cast<int32_t>(std::lround(startY + leave * dy));
    return true;
}

// Whether a shape whose pixels all lie in [left, right] x [top, bottom]
// cannot touch the clip box, whose right and bottom are exclusive.
bool misses(const RECT& clip, int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return right < clip.left || left >= clip.right || bottom < clip.top || top >= clip.bottom;
}

// The pixel box of a mark, one pixel wider each way than its ellipse.
bool markMisses(const RECT& clip, Point point, int32_t reach) {
    return misses(clip, int64_t{point.x} - reach - 1, int64_t{point.y} - reach - 1,
                  int64_t{point.x} + reach + 1, int64_t{point.y} + reach + 1);
}

bool lineMisses(const RECT& clip, const Line& line) {
    const auto [left, right] = std::minmax(line.first.x, line.second.x);
    const auto [top, bottom] = std::minmax(line.first.y, line.second.y);
    return misses(clip, int64_t{left} - 1, int64_t{top} - 1, int64_t{right} + 1, int64_t{bottom} + 1);
}

// Below this many marks that can show, one call each is quicker than two
// writes of the whole clip box.
constexpr size_t fewestStampedMarks = 1000;
constexpr size_t linesPerBatch = 4096;

// The pixels of a thin line inside the clip box, as they lie on the exact
// line, each run of them along a row or a column drawn as a line of its own,
// which GDI draws right wherever the ends are.
void drawThinLinePixels(HDC dc, const RECT& clip, const Line& line) {
    const int width = clip.right - clip.left;
    const int height = clip.bottom - clip.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    const bool alongRows =
        std::llabs(int64_t{line.second.x} - line.first.x) > std::llabs(int64_t{line.second.y} - line.first.y);
    bool open = false;
    POINT start{};
    POINT last{};
    auto drawRun = [&] {
        if (open) {
            const int32_t stepX = last.x >= start.x ? 1 : -1;
            const int32_t stepY = last.y >= start.y ? 1 : -1;
            MoveToEx(dc, start.x, start.y, nullptr);
            LineTo(dc, alongRows ? last.x + stepX : last.x, alongRows ? last.y : last.y + stepY);
        }
    };
    forEachThinPenPixel(line, clip.left, clip.top, width, height, [&](size_t at) {
        const POINT pixel = {clip.left + static_cast<LONG>(at % static_cast<size_t>(width)),
                             clip.top + static_cast<LONG>(at / static_cast<size_t>(width))};
        if (!open || (alongRows ? pixel.y != last.y : pixel.x != last.x)) {
            drawRun();
            start = pixel;
            open = true;
        }
        last = pixel;
    });
    drawRun();
}

}  // namespace

void drawLine(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const bool thin = penIsThin(dc);
    const bool drawnRight = (withinLimit(Point{x1, y1}, widePenCoordinateLimit) &&
                             withinLimit(Point{x2, y2}, widePenCoordinateLimit)) ||
                            (withinGdiLimit(x1, y1) && withinGdiLimit(x2, y2) && thin);
    RECT clip;
    if (drawnRight || GetClipBox(dc, &clip) == ERROR) {
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        return;
    }
    if (thin) {
        drawThinLinePixels(dc, clip, {{x1, y1}, {x2, y2}});
        MoveToEx(dc, x2, y2, nullptr);
        return;
    }
    InflateRect(&clip, cutMargin, cutMargin);
    int32_t fromX = x1, fromY = y1, toX = x2, toY = y2;
    if (cutToBox(clip, fromX, fromY, toX, toY)) {
        MoveToEx(dc, fromX, fromY, nullptr);
        LineTo(dc, toX, toY);
    }
    MoveToEx(dc, x2, y2, nullptr);
}

GdiCanvas::~GdiCanvas() {
    releasePen();
}

bool GdiCanvas::freshContext() const {
    return GetCurrentObject(dc_, OBJ_PEN) == GetStockObject(BLACK_PEN) &&
           GetCurrentObject(dc_, OBJ_BRUSH) == GetStockObject(WHITE_BRUSH) && GetROP2(dc_) == R2_COPYPEN &&
           GetMapMode(dc_) == MM_TEXT && GetGraphicsMode(dc_) == GM_COMPATIBLE && GetLayout(dc_) == 0;
}

void GdiCanvas::pointMarks(const Point* points, size_t count, int32_t reach) {
    RECT clip;
    const int clipKind = GetClipBox(dc_, &clip);
    if (clipKind == ERROR) {
        Canvas::pointMarks(points, count, reach);
        return;
    }
    bool allWithinLimit = true;
    size_t showing = 0;
    for (size_t k = 0; k < count; ++k) {
        if (!withinGdiLimit(points[k])) {
            allWithinLimit = false;
        } else if (clipKind != NULLREGION && !markMisses(clip, points[k], reach)) {
            ++showing;
        }
    }
    if (allWithinLimit && showing >= fewestStampedMarks && freshContext() && trueColour(dc_)) {
        std::vector<uint32_t> ownScratch;
        if (stampPointMarks(dc_, clip, points, count, reach,
                            stampScratch_ != nullptr ? *stampScratch_ : ownScratch)) {
            return;
        }
    }
    // Should a stamp write have failed halfway, these calls set again whatever it cleared.
    for (size_t k = 0; k < count; ++k) {
        if (withinGdiLimit(points[k]) && (clipKind == NULLREGION || markMisses(clip, points[k], reach))) {
            continue;
        }
        const RECT box = rectOf(markBox(points[k], reach));
        Ellipse(dc_, box.left, box.top, box.right, box.bottom);
    }
}

void GdiCanvas::lines(const Line* lines, size_t count) {
    RECT clip;
    const int clipKind = GetClipBox(dc_, &clip);
    if (count == 0 || clipKind == ERROR || !freshContext()) {
        Canvas::lines(lines, count);
        return;
    }
    // All in one pen and colour: which line goes first changes no pixel.
    const size_t batchLines = std::min(count, linesPerBatch);
    std::vector<POINT> batch;
    batch.reserve(2 * batchLines);
    const std::vector<DWORD> pairs(batchLines, 2);
    auto drawBatch = [&] {
        if (!batch.empty()) {
            PolyPolyline(dc_, batch.data(), pairs.data(), static_cast<DWORD>(batch.size() / 2));
            batch.clear();
        }
    };
    for (size_t k = 0; k < count; ++k) {
        const Line& line = lines[k];
        if (!withinGdiLimit(line.first) || !withinGdiLimit(line.second)) {
            drawLine(dc_, line.first.x, line.first.y, line.second.x, line.second.y);
            continue;
        }
        if (clipKind == NULLREGION || lineMisses(clip, line)) {
            continue;
        }
        batch.push_back({line.first.x, line.first.y});
        batch.push_back({line.second.x, line.second.y});
        if (batch.size() == 2 * batchLines) {
            drawBatch();
        }
    }
    drawBatch();
    // Where the last lineTo would have left the current position.
    MoveToEx(dc_, lines[count - 1].second.x, lines[count - 1].second.y, nullptr);
}

void GdiCanvas::ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Ellipse(dc_, left, top, right, bottom);
}

void GdiCanvas::moveTo(int32_t x, int32_t y) {
    MoveToEx(dc_, x, y, nullptr);
}

void GdiCanvas::lineTo(int32_t x, int32_t y) {
    POINT from;
    if (GetCurrentPositionEx(dc_, &from)) {
        drawLine(dc_, from.x, from.y, x, y);
    } else {
        LineTo(dc_, x, y);
    }
}

void GdiCanvas::textOut(int32_t x, int32_t y, const char* text, int length) {
    drawText(dc_, x, y, text, length);
}

void GdiCanvas::createHighlightPen(int width) {
    releasePen();
    pen_ = CreatePen(PS_SOLID, width, highlightRed);
}

void GdiCanvas::selectHighlightPen() {
    // Once selected it stays until the paint ends: selecting it again changes nothing.
    if (pen_ == nullptr || penBefore_ != nullptr) {
        return;
    }
    penBefore_ = SelectObject(dc_, pen_);
}

void GdiCanvas::releasePen() {
    if (penBefore_ != nullptr) {
        SelectObject(dc_, penBefore_);
        penBefore_ = nullptr;
    }
    if (pen_ != nullptr) {
        DeleteObject(pen_);
        pen_ = nullptr;
    }
}

void GdiCanvas::fillWhite(const Box& box) {
    const RECT area = rectOf(box);
    FillRect(dc_, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

bool GdiCanvas::clipTo(const std::vector<Box>& boxes) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    bool made = region != nullptr;
    for (const Box& box : boxes) {
        const RECT area = rectOf(box);
        HRGN part = CreateRectRgn(area.left, area.top, area.right, area.bottom);
        made = made && part != nullptr && CombineRgn(region, region, part, RGN_OR) != ERROR;
        DeleteObject(part);
    }
    made = made && SelectClipRgn(dc_, region) != ERROR;
    DeleteObject(region);  // the context keeps its own copy
    return made;
}

void GdiCanvas::unclip() {
    SelectClipRgn(dc_, nullptr);
}

void GdiCanvas::finish() {
    GdiFlush();
}

}  // namespace figury
