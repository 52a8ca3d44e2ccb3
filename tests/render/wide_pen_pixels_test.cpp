#include "render/wide_pen_pixels.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pen_goldens.h"

namespace figury {

namespace {

const Golden widePen[] = {
    {"level",
     {{2, 3}, {20, 3}},
     {
         "........................",
         "........................",
         "..###################...",
         ".#####################..",
         "..###################...",
         "........................",
         "........................",
         "........................",
         "........................",
         "........................",
         "........................",
         "........................",
         "........................",
         "........................",
     }},
    {"upright",
     {{5, 1}, {5, 12}},
     {
         ".....#..................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         "....###.................",
         ".....#..................",
     }},
    {"rising, wider than high",
     {{1, 11}, {22, 4}},
     {
         "........................",
         "........................",
         "........................",
         "......................#.",
         "...................#####",
         "................#######.",
         ".............##########.",
         "..........##########....",
         ".......##########.......",
         "....##########..........",
         ".##########.............",
         "########................",
         ".####...................",
         "........................",
     }},
    {"falling, higher than wide",
     {{3, 0}, {9, 13}},
     {
         "..####..................",
         "..####..................",
         "...####.................",
         "...####.................",
         "....####................",
         "....####................",
         ".....####...............",
         ".....####...............",
         "......####..............",
         "......####..............",
         ".......####.............",
         ".......####.............",
         "........###.............",
         "........###.............",
     }},
    {"rising, higher than wide, drawn upwards",
     {{18, 13}, {13, 1}},
     {
         ".............#..........",
         "............####........",
         "............####........",
         ".............####.......",
         ".............####.......",
         "..............####......",
         "..............####......",
         "...............###......",
         "...............####.....",
         "...............####.....",
         "................####....",
         "................####....",
         ".................###....",
         ".................###....",
     }},
    {"diagonal",
     {{0, 0}, {13, 13}},
     {
         "####....................",
         "#####...................",
         "######..................",
         ".######.................",
         "..######................",
         "...######...............",
         "....######..............",
         ".....######.............",
         "......######............",
         ".......######...........",
         "........######..........",
         ".........######.........",
         "..........####..........",
         "...........####.........",
     }},
    {"from negative coordinates",
     {{-30, -7}, {15, 9}},
     {
         "........................",
         "........................",
         "##......................",
         "#####...................",
         "########................",
         "###########.............",
         "...###########..........",
         "......##########........",
         ".........#######........",
         "............#####.......",
         "...............#........",
         "........................",
         "........................",
         "........................",
     }},
    {"to the wide pen's limit",
     {{3, 5}, {4194303, 1572871}},
     {
         "........................",
         "........................",
         "........................",
         "........................",
         "...####.................",
         "..########..............",
         "..##########............",
         ".....##########.........",
         "........##########......",
         "..........##########....",
         ".............##########.",
         "................########",
         "..................######",
         ".....................###",
     }},
};

// A pixel's count from the runs' ends, as the red lines' coverage sums them.
std::vector<uint32_t> summed(const std::vector<uint32_t>& rowEnds, const std::vector<uint32_t>& columnEnds,
                             int w, int h) {
    std::vector<uint32_t> counts(size_t(w * h));
    std::vector<uint32_t> columns(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        uint32_t row = 0;
        for (int x = 0; x < w; ++x) {
            row += rowEnds[size_t(y * (w + 1) + x)];
            columns[size_t(x)] += columnEnds[size_t(y * w + x)];
            counts[size_t(y * w + x)] = row + columns[size_t(x)];
        }
    }
    return counts;
}

TEST(WidePenPixels, ThePenSetsThePixelsGdiSets) {
    constexpr int width = goldenWidth, height = goldenHeight;
    for (const Golden& golden : widePen) {
        SCOPED_TRACE(golden.name);
        std::vector<uint32_t> counts(width * height);
        countWidePenPixels(golden.line, 1, counts.data(), width, height);
        EXPECT_EQ(golden.rows, drawn(counts));
        std::vector<uint32_t> rowEnds((width + 1) * height), columnEnds(width * (height + 1));
        countWidePenRuns(golden.line, 1, rowEnds.data(), columnEnds.data(), width, height);
        EXPECT_EQ(golden.rows, drawn(summed(rowEnds, columnEnds, width, height)));
    }
}

// Random lines of every direction and length, in, across and far out of a
// small area: the wide pen's runs and bits against its pixels.
TEST(WidePenPixels, RunsAndBitsGiveThePixelsCounted) {
    constexpr int w = 37, h = 23;
    std::mt19937 random(17);
    for (int k = 0; k < 20000; ++k) {
        const Line line = randomLine(random, k);
        SCOPED_TRACE(named(line));
        std::vector<uint32_t> pixels(w * h);
        countWidePenPixels(line, 1, pixels.data(), w, h);
        std::vector<uint32_t> rowEnds((w + 1) * h), columnEnds(w * (h + 1));
        countWidePenRuns(line, 1, rowEnds.data(), columnEnds.data(), w, h);
        ASSERT_EQ(pixels, summed(rowEnds, columnEnds, w, h));

        // As bits, the rows above and below a stretch marked apart.
        constexpr size_t words = w / 64 + 2;
        std::vector<uint64_t> bits(words * h);
        const int32_t split = k % h;
        markWidePenPixels(line, bits.data(), words, w, 0, split);
        markWidePenPixels(line, bits.data() + words * size_t(split), words, w, split, h - split);
        for (size_t at = 0; at < pixels.size(); ++at) {
            const uint64_t word = bits[at / w * words + at % w / 64];
            ASSERT_EQ(pixels[at] != 0, ((word >> (at % w % 64)) & 1) != 0) << "pixel " << at;
        }
    }
}

}  // namespace

}  // namespace figury
