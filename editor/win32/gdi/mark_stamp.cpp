#include "editor/win32/gdi/mark_stamp.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

#include "render/canvas.h"
#include "editor/win32/gdi/gdi_canvas.h"
#include "editor/win32/gdi/pixel_buffer.h"

namespace figury {

namespace {

// Clip boxes larger than the biggest screens are left to plain calls.
constexpr size_t largestStampedBox = size_t{8192} * 8192;

// One pixel of a point mark, relative to the point.
struct StampPixel {
    int dx;
    int dy;
    uint32_t value;
};

// The pixels that GDI's ellipse sets for a mark of the given reach with the
// stock black pen and white brush. Drawn twice, over two different
// backgrounds, so that a pixel drawn in a background's own colour is still
// seen. Empty when it cannot be told.
std::vector<StampPixel> markStamp(HDC like, int32_t reach) {
    const int side = 2 * reach + 9;
    const int32_t centre = reach + 4;
    PixelBuffer first(like, side, side);
    PixelBuffer second(like, side, side);
    if (!first.ready() || !second.ready()) {
        return {};
    }
    const RECT box = rectOf(markBox({centre, centre}, reach));
    const uint32_t backgrounds[2] = {0x123456u, 0xEDCBA9u};
    const PixelBuffer* buffers[2] = {&first, &second};
    for (int b = 0; b < 2; ++b) {
        HDC dc = buffers[b]->dc();
        std::fill_n(buffers[b]->pixels(), side * side, backgrounds[b]);
        const HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
        const HGDIOBJ brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
        const BOOL drawn = Ellipse(dc, box.left, box.top, box.right, box.bottom);
        SelectObject(dc, brush);
        SelectObject(dc, pen);
        if (!drawn) {
            return {};
        }
    }
    GdiFlush();

    std::vector<StampPixel> stamp;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const uint32_t a = first.pixels()[y * side + x];
            const uint32_t b = second.pixels()[y * side + x];
            if (a == backgrounds[0] && b == backgrounds[1]) {
                continue;
            }
            // A mark touching the edge might have been cut off.
            if (x == 0 || y == 0 || x == side - 1 || y == side - 1) {
                return {};
            }
            stamp.push_back({x - centre, y - centre, a != backgrounds[0] ? a : b});
        }
    }
    return stamp;
}

// Sets each mark's pixels in storage order, so that a later mark covers an
// earlier one as its ellipse would. Both arrays cover the clip box, bottom
// row first: values gets each set pixel's value and holes a zero there.
void stampMarks(uint32_t* values, uint32_t* holes, int64_t width, int64_t height, const RECT& clip,
                const std::vector<StampPixel>& stamp, const Point* points, size_t count) {
    int minDx = 0, maxDx = 0, minDy = 0, maxDy = 0;
    for (const StampPixel& pixel : stamp) {
        minDx = std::min(minDx, pixel.dx);
        maxDx = std::max(maxDx, pixel.dx);
        minDy = std::min(minDy, pixel.dy);
        maxDy = std::max(maxDy, pixel.dy);
    }
    std::vector<int64_t> offsets;
    for (const StampPixel& pixel : stamp) {
        offsets.push_back(-pixel.dy * width + pixel.dx);
    }
    for (size_t k = 0; k < count; ++k) {
        const int64_t x = int64_t{points[k].x} - clip.left;
        const int64_t y = int64_t{points[k].y} - clip.top;
        if (x + maxDx < 0 || x + minDx >= width || y + maxDy < 0 || y + minDy >= height) {
            continue;
        }
        if (x + minDx >= 0 && x + maxDx < width && y + minDy >= 0 && y + maxDy < height) {
            const int64_t at = (height - 1 - y) * width + x;
            for (size_t p = 0; p < stamp.size(); ++p) {
                values[at + offsets[p]] = stamp[p].value;
                holes[at + offsets[p]] = 0;
            }
            continue;
        }
        for (const StampPixel& pixel : stamp) {
            const int64_t px = x + pixel.dx;
            const int64_t py = y + pixel.dy;
            if (px >= 0 && px < width && py >= 0 && py < height) {
                values[(height - 1 - py) * width + px] = pixel.value;
                holes[(height - 1 - py) * width + px] = 0;
            }
        }
    }
}

int bitsPerPixel(HDC dc) {
    if (GetObjectType(dc) == OBJ_MEMDC) {
        BITMAP bitmap;
        if (GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof bitmap, &bitmap) ==
            static_cast<int>(sizeof bitmap)) {
            return bitmap.bmBitsPixel;
        }
    }
    return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
}

// The stamp for marks of this reach on a context like dc, learnt the first
// time that pixel format asks for it.
const std::vector<StampPixel>& learntStamp(HDC dc, int32_t reach) {
    struct Learnt {
        int bits;
        int32_t reach;
        std::vector<StampPixel> stamp;
    };
    static std::deque<Learnt> learnt;  // a few formats at most; what it hands out stays where it is
    const int bits = bitsPerPixel(dc);
    for (const Learnt& known : learnt) {
        if (known.bits == bits && known.reach == reach) {
            return known.stamp;
        }
    }
    learnt.push_back({bits, reach, markStamp(dc, reach)});
    return learnt.back().stamp;
}

}  // namespace

// One write clears the marks' pixels, the other sets them. A pixel between
// marks is ANDed with all ones and ORed with zero, which leaves it as it was;
// nothing is read back from the context, which can be slow.
bool stampPointMarks(HDC dc, const RECT& clip, const Point* points, size_t count, int32_t reach,
                     std::vector<uint32_t>& scratch) {
    const std::vector<StampPixel>& stamp = learntStamp(dc, reach);
    const int width = clip.right - clip.left;
    const int height = clip.bottom - clip.top;
    const auto area = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (stamp.empty() || area > largestStampedBox) {
        return false;
    }
    if (scratch.size() < 2 * area) {
        scratch.resize(2 * area);
    }
    uint32_t* const holes = scratch.data();
    uint32_t* const values = holes + area;
    std::fill_n(holes, area, 0xFFFFFFFFu);
    std::fill_n(values, area, 0u);
    stampMarks(values, holes, width, height, clip, stamp, points, count);

    // Bottom up: the row count comes back positive.
    const BITMAPINFO info = bitmapInfo(width, height, RowOrder::bottomUp);
    auto put = [&](const uint32_t* pixels, DWORD rop) {
        // The rows written; zero or GDI_ERROR on failure.
        return StretchDIBits(dc, clip.left, clip.top, width, height, 0, 0, width, height, pixels, &info,
                             DIB_RGB_COLORS, rop) > 0;
    };
    return put(holes, SRCAND) && put(values, SRCPAINT);
}

bool trueColour(HDC dc) {
    return bitsPerPixel(dc) >= 24;
}

}  // namespace figury
