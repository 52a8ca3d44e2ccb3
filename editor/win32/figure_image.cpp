#include "editor/win32/figure_image.h"

#include <algorithm>
#include <cstdint>
#include <vector>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "editor/highlight_line_pixels.h"
#include "editor/win32/counted_lines_check.h"
#include "editor/win32/gdi_canvas.h"
#include "editor/win32/mark_stamp.h"
#include "editor/win32/pixel_buffer.h"

namespace {

// GDI may set pixels anywhere for a shape with a coordinate beyond its reach;
// the canvas draws such a shape with its one plain call, whatever GDI makes of
// it. A change that reaches that far redraws the whole picture, and every
// repair draws those shapes.
constexpr int64_t farCoordinate = gdiReach;

bool isFar(int64_t value) {
    return value <= -farCoordinate || value >= farCoordinate;
}
bool isFar(const PixelBox& box) {
    return isFar(box.left) || isFar(box.top) || isFar(box.right) || isFar(box.bottom);
}

// The same for a point, without a branch: the scans below test every shape.
bool isFar(Point point) {
    constexpr auto reach = static_cast<uint32_t>(gdiReach);
    constexpr uint32_t span = 2 * reach - 1;
    return (static_cast<uint32_t>(point.x) + (reach - 1) >= span) |
           (static_cast<uint32_t>(point.y) + (reach - 1) >= span);
}

// The picture's background, as the window class's brush erases it.
HBRUSH whiteBrush() {
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

// Whether a mark may set a pixel in box: its pixels lie within a pixel of its ellipse's square.
bool markReaches(Point point, const RECT& box) {
    constexpr int32_t reach = pointMarkReach + 1;
    return (point.x >= box.left - reach) & (point.x < box.right + reach) & (point.y >= box.top - reach) &
           (point.y < box.bottom + reach);
}

// Each pixel of a line lies within a pixel of the segment between its ends,
// so a line that sets one in box passes through the box grown by a pixel;
// the tests grow it by two.
constexpr int32_t lineMargin = 2;

// Whether neither end lies beyond the same side of the grown box.
bool lineBoxMeets(const Line& line, const RECT& box) {
    const int32_t left = box.left - lineMargin;
    const int32_t top = box.top - lineMargin;
    const int32_t right = box.right - 1 + lineMargin;  // the last column, inclusive
    const int32_t bottom = box.bottom - 1 + lineMargin;
    const Point a = line.first;
    const Point b = line.second;
    return !(((a.x < left) & (b.x < left)) | ((a.x > right) & (b.x > right)) | ((a.y < top) & (b.y < top)) |
             ((a.y > bottom) & (b.y > bottom)));
}

// Whether a line that is not far may set a pixel in box: the segment passes
// through the grown box unless their boxes miss or all four corners of it lie
// on one side of the segment.
bool lineReaches(const Line& line, const RECT& box) {
    if (!lineBoxMeets(line, box)) {
        return false;
    }
    const int64_t left = box.left - lineMargin;
    const int64_t top = box.top - lineMargin;
    const int64_t right = box.right - 1 + lineMargin;
    const int64_t bottom = box.bottom - 1 + lineMargin;
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

// The first, cheap pass over a block of shapes: kept[i] becomes 1 for each
// shape that may reach box or is far, else 0. With SSE2 one step tests a
// line or two points without a branch: at 1M shapes the scalar tests took
// 5 ns a line, these 2.5. The scalar ones stand where there is no SSE2.
#if defined(__SSE2__) || defined(_M_X64)

// Lanes of v past the far coordinate, either way.
__m128i farLanes(__m128i v) {
    return _mm_or_si128(_mm_cmpgt_epi32(v, _mm_set1_epi32(gdiReach - 1)),
                        _mm_cmplt_epi32(v, _mm_set1_epi32(-(gdiReach - 1))));
}

void keepLinesMeeting(const Line* lines, size_t count, const RECT& box, uint8_t* kept) {
    static_assert(sizeof(Line) == 16, "a line is one vector of its four coordinates");
    // The grown box, inclusive, as lineBoxMeets has it.
    const int32_t left = box.left - lineMargin, top = box.top - lineMargin;
    const int32_t right = box.right - 1 + lineMargin, bottom = box.bottom - 1 + lineMargin;
    const __m128i low = _mm_setr_epi32(left, top, left, top);
    const __m128i high = _mm_setr_epi32(right, bottom, right, bottom);
    for (size_t i = 0; i < count; ++i) {
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines + i));
        const __m128i below = _mm_cmplt_epi32(ends, low);
        const __m128i above = _mm_cmpgt_epi32(ends, high);
        // Both ends beyond the same side: each lane and the other end's.
        constexpr int otherEnd = _MM_SHUFFLE(1, 0, 3, 2);
        const __m128i beyond = _mm_or_si128(_mm_and_si128(below, _mm_shuffle_epi32(below, otherEnd)),
                                            _mm_and_si128(above, _mm_shuffle_epi32(above, otherEnd)));
        kept[i] =
            static_cast<uint8_t>((_mm_movemask_epi8(beyond) == 0) | (_mm_movemask_epi8(farLanes(ends)) != 0));
    }
}

void keepMarksReaching(const Point* points, size_t count, const RECT& box, uint8_t* kept) {
    static_assert(sizeof(Point) == 8, "two points are one vector");
    // The box grown by the mark's reach, inclusive, as markReaches has it.
    constexpr int32_t reach = pointMarkReach + 1;
    const int32_t left = box.left - reach, top = box.top - reach;
    const int32_t right = box.right + reach - 1, bottom = box.bottom + reach - 1;
    const __m128i low = _mm_setr_epi32(left, top, left, top);
    const __m128i high = _mm_setr_epi32(right, bottom, right, bottom);
    size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(points + i));
        const int outside =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmplt_epi32(two, low), _mm_cmpgt_epi32(two, high)));
        const int farOnes = _mm_movemask_epi8(farLanes(two));
        kept[i] = static_cast<uint8_t>(((outside & 0xFF) == 0) | ((farOnes & 0xFF) != 0));
        kept[i + 1] = static_cast<uint8_t>(((outside >> 8) == 0) | ((farOnes >> 8) != 0));
    }
    for (; i < count; ++i) {
        kept[i] = static_cast<uint8_t>(markReaches(points[i], box) | isFar(points[i]));
    }
}

#else

void keepLinesMeeting(const Line* lines, size_t count, const RECT& box, uint8_t* kept) {
    for (size_t i = 0; i < count; ++i) {
        kept[i] = static_cast<uint8_t>(lineBoxMeets(lines[i], box) | isFar(lines[i].first) |
                                       isFar(lines[i].second));
    }
}

void keepMarksReaching(const Point* points, size_t count, const RECT& box, uint8_t* kept) {
    for (size_t i = 0; i < count; ++i) {
        kept[i] = static_cast<uint8_t>(markReaches(points[i], box) | isFar(points[i]));
    }
}

#endif

// Calls then(k), in order, for each shape k that keep leaves in; the rare
// ones that it does are all that take a branch.
template <class Shape, class Keep, class Then>
void forEachKept(const std::vector<Shape>& shapes, const RECT& box, Keep keep, Then then) {
    constexpr size_t blockSize = 256;
    uint8_t kept[blockSize];
    for (size_t first = 0; first < shapes.size(); first += blockSize) {
        const size_t size = std::min(shapes.size() - first, blockSize);
        keep(shapes.data() + first, size, box, kept);
        for (size_t i = 0; i < size; ++i) {
            if (kept[i] != 0) {
                then(first + i);
            }
        }
    }
}

// Puts into reaching the marks and lines, in storage order, that may set a
// pixel in one of the boxes, and every far one.
void findShapesReaching(const Figure& figure, const std::vector<RECT>& boxes, Figure& reaching) {
    RECT all = boxes.front();
    for (const RECT& box : boxes) {
        UnionRect(&all, &all, &box);
    }
    const std::vector<Point>& points = figure.points;
    const std::vector<Line>& lines = figure.lines;
    clear(reaching);
    forEachKept(points, all, keepMarksReaching, [&](size_t k) {
        if (isFar(points[k]) || std::any_of(boxes.begin(), boxes.end(),
                                            [&](const RECT& box) { return markReaches(points[k], box); })) {
            reaching.points.push_back(points[k]);
        }
    });
    forEachKept(lines, all, keepLinesMeeting, [&](size_t k) {
        // Most lines kept by the boxes' box miss it all the same: one exact
        // test of it turns them away before the test of each box (a scan at
        // 1M: 5.5 ms, against 6.6 without).
        if (isFar(lines[k].first) || isFar(lines[k].second) ||
            (lineReaches(lines[k], all) && std::any_of(boxes.begin(), boxes.end(), [&](const RECT& box) {
                 return lineReaches(lines[k], box);
             }))) {
            reaching.lines.push_back(lines[k]);
        }
    });
}

}  // namespace

FigureImage::~FigureImage() {
    release();
}

bool FigureImage::make(HDC like, int width, int height) {
    for (Surface* surface : {&picture_, &frame_}) {
        surface->dc = CreateCompatibleDC(like);
        if (surface == &frame_ && trueColour(like)) {
            surface->bitmap = createPixelBitmap(surface->dc, width, height, framePixels_);
        } else {
            surface->bitmap = CreateCompatibleBitmap(like, width, height);
        }
        if (surface->dc == nullptr || surface->bitmap == nullptr) {
            release();
            return false;
        }
        surface->bitmapBefore = SelectObject(surface->dc, surface->bitmap);
    }
    width_ = width;
    height_ = height;
    coverage_.reset(width, height);
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
    framePixels_ = nullptr;
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
    findShapesReaching(figure, boxes, reaching_);
    {
        GdiCanvas canvas(picture_.dc);
        paintFigure(canvas, reaching_);
    }
    SelectClipRgn(picture_.dc, nullptr);
}

// Puts the red lines on the frame from the coverage, and draws with GDI any
// line too far out to be counted. False, with nothing drawn, when the frame's
// pixels cannot be written or GDI draws lines otherwise than they are counted.
bool FigureImage::putCountedLines(Canvas& canvas, const Figure& figure, const Highlight& highlight) {
    uint32_t red = 0;
    const bool onlyRedLines = highlight.penWidth == lineHighlightWidth && highlight.points.empty();
    if (!onlyRedLines || highlight.lines.empty() || framePixels_ == nullptr || !gdiDrawsLinesAsCounted(red)) {
        return false;
    }
    coverage_.cover(figure, highlight.lines);
    GdiFlush();  // the text must be on the pixels before they are written
    coverage_.paint(framePixels_, red);
    Highlight uncounted{highlight.penWidth, {}, {}};
    for (size_t k : highlight.lines) {
        if (!highlightLineCountable(figure.lines[k])) {
            uncounted.lines.push_back(k);
        }
    }
    if (!uncounted.lines.empty()) {
        paintHighlight(canvas, figure, uncounted);
    }
    return true;
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
        paintStatusText(canvas, state);
        if (!putCountedLines(canvas, state.figure, highlight)) {
            paintHighlight(canvas, state.figure, highlight);
        }
    }
    BitBlt(target, 0, 0, width_, height_, frame_.dc, 0, 0, SRCCOPY);
    return true;
}
