#include "render/shapes_touching.h"

#include <algorithm>
#include <cstddef>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define FIGURY_SSE2 1
#endif

#include "render/gdi_limits.h"
#include "render/canvas.h"

namespace figury {

namespace {

// The tests below grow a box by two pixels for a line, one more than its
// pixels need.
constexpr int32_t lineMargin = 2;
constexpr int32_t markMargin = pointMarkRadius + 1;

// Whether neither end lies beyond the same side of the grown box.
bool lineBoxMeets(const Line& line, const Box& box) {
    const int64_t left = box.left - lineMargin;
    const int64_t top = box.top - lineMargin;
    const int64_t right = box.right - 1 + lineMargin;  // the last column, inclusive
    const int64_t bottom = box.bottom - 1 + lineMargin;
    const Point a = line.first;
    const Point b = line.second;
    return !(((a.x < left) & (b.x < left)) | ((a.x > right) & (b.x > right)) | ((a.y < top) & (b.y < top)) |
             ((a.y > bottom) & (b.y > bottom)));
}

Box boxAround(const std::vector<Box>& boxes) {
    Box all = boxes.front();
    for (const Box& box : boxes) {
        all = unite(all, box);
    }
    return all;
}

// The first, cheap pass over a block of shapes: kept[i] becomes 1 for each
// shape that may touch box or is far, else 0.

void keepLinesMeetingScalar(const Line* lines, size_t count, const Box& box, uint8_t* kept) {
    for (size_t i = 0; i < count; ++i) {
        kept[i] = static_cast<uint8_t>(int{lineBoxMeets(lines[i], box)} | int{isFar(lines[i])});
    }
}

void keepMarksTouchingScalar(const Point* points, size_t count, const Box& box, uint8_t* kept) {
    for (size_t i = 0; i < count; ++i) {
        kept[i] = static_cast<uint8_t>(int{markTouches(points[i], box)} | int{isFar(points[i])});
    }
}

#ifdef FIGURY_SSE2

// With SSE2 one step tests a line or two points without a branch: at 1M
// shapes the scalar tests took 5 ns a line, these 2.5.

// A box of the picture, grown by a margin, as 32-bit lanes: the picture's
// size is a 32-bit int.
int32_t lane(int64_t value) {
    return static_cast<int32_t>(value);
}

// Lanes of v past the far coordinate, either way: !withinLimit, four at a time.
__m128i farLanes(__m128i v) {
    return _mm_or_si128(_mm_cmpgt_epi32(v, _mm_set1_epi32(gdiCoordinateLimit - 1)),
                        _mm_cmplt_epi32(v, _mm_set1_epi32(-(gdiCoordinateLimit - 1))));
}

void keepLinesMeeting(const Line* lines, size_t count, const Box& box, uint8_t* kept) {
    static_assert(sizeof(Line) == 16, "a line is one vector of its four coordinates");
    // The grown box, inclusive, as lineBoxMeets has it.
    const int32_t left = lane(box.left - lineMargin), top = lane(box.top - lineMargin);
    const int32_t right = lane(box.right - 1 + lineMargin), bottom = lane(box.bottom - 1 + lineMargin);
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
        const int meets = _mm_movemask_epi8(beyond) == 0;
        const int far = _mm_movemask_epi8(farLanes(ends)) != 0;
        kept[i] = static_cast<uint8_t>(meets | far);
    }
}

void keepMarksTouching(const Point* points, size_t count, const Box& box, uint8_t* kept) {
    static_assert(sizeof(Point) == 8, "two points are one vector");
    // The box grown by the mark's radius, inclusive, as markTouches has it.
    const int32_t left = lane(box.left - markMargin), top = lane(box.top - markMargin);
    const int32_t right = lane(box.right + markMargin - 1), bottom = lane(box.bottom + markMargin - 1);
    const __m128i low = _mm_setr_epi32(left, top, left, top);
    const __m128i high = _mm_setr_epi32(right, bottom, right, bottom);
    size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(points + i));
        const int outside =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmplt_epi32(two, low), _mm_cmpgt_epi32(two, high)));
        const int farOnes = _mm_movemask_epi8(farLanes(two));
        const int firstIn = (outside & 0xFF) == 0, secondIn = (outside >> 8) == 0;
        const int firstFar = (farOnes & 0xFF) != 0, secondFar = (farOnes >> 8) != 0;
        kept[i] = static_cast<uint8_t>(firstIn | firstFar);
        kept[i + 1] = static_cast<uint8_t>(secondIn | secondFar);
    }
    keepMarksTouchingScalar(points + i, count - i, box, kept + i);
}

// The fastest tests this build has.
constexpr auto keepLinesFastest = keepLinesMeeting;
constexpr auto keepMarksFastest = keepMarksTouching;
#else
constexpr auto keepLinesFastest = keepLinesMeetingScalar;
constexpr auto keepMarksFastest = keepMarksTouchingScalar;
#endif

// Calls then(k), in order, for each shape k that keep leaves in; the rare
// ones that it does are all that take a branch.
template <class Shape, class Keep, class Then>
void forEachKept(const std::vector<Shape>& shapes, const Box& box, Keep keep, Then then) {
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

template <class KeepMarks>
void findMarks(KeepMarks keepMarks, const std::vector<Point>& points, const std::vector<Box>& boxes,
               const Box& all, std::vector<Point>& touching) {
    touching.clear();
    forEachKept(points, all, keepMarks, [&](size_t k) {
        if (isFar(points[k]) || std::any_of(boxes.begin(), boxes.end(),
                                            [&](const Box& box) { return markTouches(points[k], box); })) {
            touching.push_back(points[k]);
        }
    });
}

template <class KeepMarks, class KeepLines>
void findWith(KeepMarks keepMarks, KeepLines keepLines, const Figure& figure, const std::vector<Box>& boxes,
              Figure& touching) {
    const Box all = boxAround(boxes);
    const std::vector<Line>& lines = figure.lines;
    findMarks(keepMarks, figure.points, boxes, all, touching.points);
    touching.lines.clear();
    forEachKept(lines, all, keepLines, [&](size_t k) {
        // Most lines kept by the boxes' box miss it all the same: one exact
        // test of it turns them away before the test of each box (a scan at
        // 1M: 5.5 ms, against 6.6 without).
        if (isFar(lines[k]) ||
            (lineTouches(lines[k], all) && std::any_of(boxes.begin(), boxes.end(), [&](const Box& box) {
                 return lineTouches(lines[k], box);
             }))) {
            touching.lines.push_back(lines[k]);
        }
    });
}

}  // namespace

// Without a branch: the scans test every shape.
bool isFar(Point point) {
    return !withinLimit(point, gdiCoordinateLimit);
}

bool isFar(const Line& line) {
    return int{isFar(line.first)} | int{isFar(line.second)};
}

bool markTouches(Point point, const Box& box) {
    return (point.x >= box.left - markMargin) & (point.x < box.right + markMargin) &
           (point.y >= box.top - markMargin) & (point.y < box.bottom + markMargin);
}

// The segment passes through the grown box unless their boxes miss or all
// four corners of it lie on one side of the segment.
bool lineTouches(const Line& line, const Box& box) {
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

void findShapesTouching(const Figure& figure, const std::vector<Box>& boxes, Figure& touching) {
    findWith(keepMarksFastest, keepLinesFastest, figure, boxes, touching);
}

void findMarksTouching(const std::vector<Point>& points, const std::vector<Box>& boxes,
                       std::vector<Point>& touching) {
    findMarks(keepMarksFastest, points, boxes, boxAround(boxes), touching);
}

void findShapesTouchingScalar(const Figure& figure, const std::vector<Box>& boxes, Figure& touching) {
    findWith(keepMarksTouchingScalar, keepLinesMeetingScalar, figure, boxes, touching);
}

}  // namespace figury
