#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "figure/figure.h"
#include "render/run_together.h"

namespace figury {

// The pixels that one or more of a set of lines' 3-pixel pens set
// (wide_pen_pixels.h), as bits. The red lines near
// the pointer in a large figure cover most of the area many times over, and
// the first few thousand cover nearly all of it: the area is kept in tiles,
// and a line passes over the rows where every tile it could touch is full
// already, so that once the area has filled a line costs a few checks
// instead of its hundreds of rows.
class CoveredPixels {
public:
    // The schedule shares the work of many lines between two threads; it is
    // kept, so it must outlive the bits.
    explicit CoveredPixels(const Schedule& schedule = systemSchedule()) : schedule_(&schedule) {}
    explicit CoveredPixels(const Schedule&&) = delete;

    // A width x height area with nothing covered.
    void reset(int width, int height);
    // How many pixels wide a tile is: a power of two, and so wide that a
    // band has 64 tiles at most, a bit each.
    int tileWidth() const { return 1 << tileShift_; }

    // Covers nothing.
    void clear();
    // Row y's bits, pixel x being bit x % 64 of word x / 64, to cover pixels
    // by hand; the words past the row's last pixel stay 0.
    uint64_t* row(int y) { return bits_.data() + static_cast<size_t>(y) * words_; }

    // Covers the pixels of the countable lines among lines as well.
    void add(const std::vector<Line>& lines);

    // Sets to value each pixel of a row-major image of the area's size that
    // is covered.
    void paint(uint32_t* pixels, uint32_t value) const;

private:
    // A line's footprint: where its pixels can lie, for the tiles' checks.
    struct Footprint {
        double x, slope;           // the line's column at row 0, and its columns a row
        double margin;             // how far the pen's pixels lie to either side of that
        double firstRow, lastRow;  // its ends' rows, lower first
        bool countable;            // whether it has pixels here at all
    };
    static Footprint footprintOf(const Line& line);

    // The tiles of a band that the line's pixels on rows [from, to) can lie
    // in, a bit each. Inline: it is asked for each band a line crosses.
    uint64_t tilesTouched(const Footprint& footprint, int64_t from, int64_t to) const {
        // A pixel of the pen on a row lies within the margin of the exact
        // line two rows above or below it, between the ends.
        const double yFrom =
            std::min(std::max(static_cast<double>(from - 2), footprint.firstRow), footprint.lastRow);
        const double yTo =
            std::min(std::max(static_cast<double>(to + 1), footprint.firstRow), footprint.lastRow);
        const double xFrom = footprint.x + footprint.slope * yFrom;
        const double xTo = footprint.x + footprint.slope * yTo;
        const double left = std::max(std::min(xFrom, xTo) - footprint.margin, 0.0);
        const double right =
            std::min(std::max(xFrom, xTo) + footprint.margin, static_cast<double>(width_ - 1));
        if (!(left <= right)) {
            return 0;
        }
        const int first = static_cast<int>(left) >> tileShift_;
        const int last = static_cast<int>(right) >> tileShift_;
        // The bits first to last; for last 63 the first term wraps to 0, as
        // the difference needs.
        return (uint64_t{2} << last) - (uint64_t{1} << first);
    }
    bool tileFull(int64_t band, int tile) const;
    // Covers rows [from, to) with the line and notes the tiles it filled.
    void walk(const Line& line, const Footprint& footprint, int64_t from, int64_t to);
    // Notes the tiles full already, and those below the area, where nothing
    // is to be covered.
    void findFullTiles();
    // Covers one region's rows with every line.
    void coverRegion(const std::vector<Line>& lines, size_t region);

    const Schedule* schedule_;
    int width_ = 0;
    int height_ = 0;
    size_t words_ = 0;   // a row's, as markWidePenPixels asks
    int tileShift_ = 4;  // tiles are this power of two wide, so that a band has at most 64
    static constexpr int bandRows = 16;
    // A thread takes this many bands at a time, a region; a line is first
    // checked against all of them at once.
    static constexpr int bandsPerRegion = 8;
    static constexpr int regionRows = bandRows * bandsPerRegion;

    // The full tiles of a region's bands, a bit each, and those full in all
    // of them; on cache lines of their own, as each region is one thread's.
    struct alignas(64) RegionTiles {
        uint64_t full[bandsPerRegion];
        uint64_t fullInAll;
    };
    uint64_t& fullTiles(int64_t band);
    std::vector<uint64_t> bits_;
    std::vector<RegionTiles> regions_;
    std::vector<Footprint> footprints_;
};

}  // namespace figury
