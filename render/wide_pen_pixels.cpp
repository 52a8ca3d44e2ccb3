#include "render/wide_pen_pixels.h"

#include "render/gdi_limits.h"
#include "render/wide_pen_columns.h"
#include "render/wide_pen_rows.h"

namespace figury {

bool widePenCountable(const Line& line) {
    auto within = [](Point end) {
        return end.x > -widePenCoordinateLimit && end.x < widePenCoordinateLimit &&
               end.y > -widePenCoordinateLimit && end.y < widePenCoordinateLimit;
    };
    return within(line.first) && within(line.second);
}

void countWidePenPixels(const Line& line, uint32_t delta, uint32_t* counts, int width, int height) {
    if (widePenCountable(line)) {
        wide_pen_detail::coverFootprint(line, wide_pen_detail::PixelCounts{counts, width, height, delta});
    }
}

void countWidePenRuns(const Line& line, uint32_t delta, uint32_t* rowEnds, uint32_t* columnEnds, int width,
                      int height, PenRuns runs) {
    if (!widePenCountable(line)) {
        return;
    }
    if (runs != PenRuns::alongColumns) {
        wide_pen_detail::coverRowShare(line, wide_pen_detail::RowRunEnds{rowEnds, width, height, delta});
    }
    if (runs != PenRuns::alongRows) {
        wide_pen_detail::coverColumnShare(line,
                                          wide_pen_detail::ColumnRunEnds{columnEnds, width, height, delta});
    }
}

void markWidePenPixels(const Line& line, uint64_t* bits, size_t rowWords, int width, int32_t firstRow,
                       int rows) {
    if (widePenCountable(line)) {
        // The footprint moves with the line, row for row.
        const Line moved = {{line.first.x, line.first.y - firstRow},
                            {line.second.x, line.second.y - firstRow}};
        wide_pen_detail::coverFootprint(moved, wide_pen_detail::PixelBits{bits, rowWords, width, rows});
    }
}

}  // namespace figury
