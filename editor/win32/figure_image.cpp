#include "editor/win32/figure_image.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "editor/win32/gdi_canvas.h"

namespace {

// GDI may set pixels anywhere for a shape with a coordinate beyond 27 bits;
// the canvas draws such a shape with its one plain call, whatever GDI makes of
// it. A change that reaches that far redraws the whole picture, and every
// repair draws those shapes.
constexpr int64_t farCoordinate = int64_t{1} << 27;

bool isFar(int64_t value) { return value <= -farCoordinate || value >= farCoordinate; }
bool isFar(Point point) { return isFar(point.x) || isFar(point.y); }
bool isFar(const PixelBox& box) { return isFar(box.left) || isFar(box.top) || isFar(box.right) || isFar(box.bottom); }

// The picture's background, as the window class's brush erases it.
HBRUSH whiteBrush() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

// Whether a mark may set a pixel in box: its pixels lie within a pixel of its ellipse's square.
bool markReaches(Point point, const RECT& box) {
    const int64_t reach = pointMarkReach + 1;
    return point.x + reach >= box.left && point.x - reach < box.right && point.y + reach >= box.top &&
           point.y - reach < box.bottom;
}

// Whether a line may set a pixel in box. Each pixel of a line lies within a
// pixel of the segment between its ends, so a line that sets one passes
// through the box grown by a pixel; the test grows it by two. The segment
// passes through a rectangle unless their boxes miss or all four corners lie
// on one side of it.
bool lineReaches(const Line& line, const RECT& box) {
    const int64_t left = int64_t{box.left} - 2;
    const int64_t top = int64_t{box.top} - 2;
    const int64_t right = int64_t{box.right} + 1;  // the last column, inclusive
    const int64_t bottom = int64_t{box.bottom} + 1;
    const auto [lineLeft, lineRight] = std::minmax(line.first.x, line.second.x);
    const auto [lineTop, lineBottom] = std::minmax(line.first.y, line.second.y);
    if (lineRight < left || lineLeft > right || lineBottom < top || lineTop > bottom) {
        return false;
    }
    // Within 28 bits the products stay far inside 64.
    const int64_t dx = int64_t{line.second.x} - line.first.x;
    const int64_t dy = int64_t{line.second.y} - line.first.y;
    auto side = [&](int64_t x, int64_t y) {
        const int64_t cross = dx * (y - line.first.y) - dy * (x - line.first.x);
        return (cross > 0) - (cross < 0);
    };
    const int sides = side(left, top) + side(right, top) + side(left, bottom) + side(right, bottom);
    return sides != 4 && sides != -4;
}

// The marks and lines, in storage order, that may set a pixel in one of the boxes.
Figure shapesReaching(const Figure& figure, const std::vector<RECT>& boxes) {
    RECT all = boxes.front();
    for (const RECT& box : boxes) {
        UnionRect(&all, &all, &box);
    }
    Figure reaching;
    for (Point point : figure.points) {
        if (isFar(point) ||
            (markReaches(point, all) &&
             std::any_of(boxes.begin(), boxes.end(), [&](const RECT& box) { return markReaches(point, box); }))) {
            reaching.points.push_back(point);
        }
    }
    for (const Line& line : figure.lines) {
        if (isFar(line.first) || isFar(line.second) ||
            (lineReaches(line, all) &&
             std::any_of(boxes.begin(), boxes.end(), [&](const RECT& box) { return lineReaches(line, box); }))) {
            reaching.lines.push_back(line);
        }
    }
    return reaching;
}

}  // namespace

FigureImage::~FigureImage() { release(); }

bool FigureImage::make(HDC like, int width, int height) {
    for (Surface* surface : {&picture_, &frame_}) {
        surface->dc = CreateCompatibleDC(like);
        surface->bitmap = CreateCompatibleBitmap(like, width, height);
        if (surface->dc == nullptr || surface->bitmap == nullptr) {
            release();
            return false;
        }
        surface->bitmapBefore = SelectObject(surface->dc, surface->bitmap);
    }
    width_ = width;
    height_ = height;
    return true;
}

void FigureImage::release() {
    for (Surface* surface : {&picture_, &frame_}) {
        if (surface->bitmapBefore != nullptr) {
            SelectObject(surface->dc, surface->bitmapBefore);
        }
        if (surface->bitmap != nullptr) {
            DeleteObject(surface->bitmap);
        }
        if (surface->dc != nullptr) {
            DeleteDC(surface->dc);
        }
        *surface = Surface{};
    }
    width_ = 0;
    height_ = 0;
}

void FigureImage::redraw(const Figure& figure) {
    const RECT whole = {0, 0, width_, height_};
    FillRect(picture_.dc, &whole, whiteBrush());
    GdiCanvas canvas(picture_.dc);
    paintFigure(canvas, figure);
}

// Erases the damaged boxes and draws again, clipped to them, every shape that
// reaches one, in storage order: each pixel in them ends as a redraw of the
// whole picture would leave it, and every other pixel keeps its value.
void FigureImage::repair(const Figure& figure, const FigureDamage& damage) {
    std::vector<RECT> boxes;
    for (const PixelBox& box : damage.boxes) {
        const RECT clipped = {static_cast<LONG>(std::max<int64_t>(box.left, 0)),
                              static_cast<LONG>(std::max<int64_t>(box.top, 0)),
                              static_cast<LONG>(std::min<int64_t>(box.right, width_)),
                              static_cast<LONG>(std::min<int64_t>(box.bottom, height_))};
        if (clipped.left < clipped.right && clipped.top < clipped.bottom) {
            boxes.push_back(clipped);
        }
    }
    if (boxes.empty()) {
        return;
    }
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    bool regionMade = region != nullptr;
    for (const RECT& box : boxes) {
        HRGN part = CreateRectRgnIndirect(&box);
        regionMade = regionMade && part != nullptr && CombineRgn(region, region, part, RGN_OR) != ERROR;
        DeleteObject(part);
    }
    if (!regionMade || SelectClipRgn(picture_.dc, region) == ERROR) {
        DeleteObject(region);
        redraw(figure);
        return;
    }
    DeleteObject(region);  // the context keeps its own copy
    for (const RECT& box : boxes) {
        FillRect(picture_.dc, &box, whiteBrush());
    }
    {
        GdiCanvas canvas(picture_.dc);
        paintFigure(canvas, shapesReaching(figure, boxes));
    }
    SelectClipRgn(picture_.dc, nullptr);
}

bool FigureImage::paint(HDC target, int width, int height, EditorState& state, const Highlight& highlight) {
    if (width <= 0 || height <= 0) {
        return true;  // minimised: nothing shows, and the damage waits
    }
    if (width != width_ || height != height_) {
        release();
        if (!make(target, width, height)) {
            return false;
        }
        state.damage.addEverything();
    }
    FigureDamage& damage = state.damage;
    if (damage.everything || std::any_of(damage.boxes.begin(), damage.boxes.end(),
                                         [](const PixelBox& box) { return isFar(box); })) {
        redraw(state.figure);
    } else {
        repair(state.figure, damage);
    }
    damage.clear();

    BitBlt(frame_.dc, 0, 0, width_, height_, picture_.dc, 0, 0, SRCCOPY);
    {
        GdiCanvas canvas(frame_.dc);
        paintOverlay(canvas, state, highlight);
    }
    BitBlt(target, 0, 0, width_, height_, frame_.dc, 0, 0, SRCCOPY);
    return true;
}
