#include "render/covered_pixels.h"

#include <gtest/gtest.h>

#include <string>

namespace figury {

namespace {

// A band's tiles are bits of one 64-bit word, in a window of any width:
// tiles at least 16 pixels wide, a power of two, and no more than 64 of them
// across. The widths where 16 pixels stop being enough and the next
// narrowest tiles start are the ones to watch.
TEST(CoveredPixels, ABandHas64TilesAtMostAtAnyWidth) {
    for (const int width :
         {1, 16, 1000, 1023, 1024, 1025, 1039, 1040, 2047, 2048, 2049, 2079, 4096, 65535, 1 << 20}) {
        CoveredPixels bits;
        bits.reset(width, 1);
        const int tile = bits.tileWidth();
        SCOPED_TRACE(std::to_string(width) + " pixels wide, tiles of " + std::to_string(tile));
        EXPECT_GE(tile, 16);
        EXPECT_EQ(0, tile & (tile - 1));
        EXPECT_LE((width + tile - 1) / tile, 64);
    }
}

}  // namespace

}  // namespace figury
