#include "render/covered_pixels.h"

#include <algorithm>
#include <cstdlib>

#include "render/run_together.h"
#include "render/wide_pen_pixels.h"

// The words used here: the area's rows are cut into bands of 16 rows, and
// each band across into tiles, a power of two pixels wide, whose being full
// (every pixel covered) is kept as a bit; a region is 8 bands, the rows one
// thread covers at a time. To cover a pixel is to set its bit.

namespace figury {

namespace {

// The index of the lowest bit set in bits, not 0.
int lowestBit(uint64_t bits) {
#if defined(__GNUC__)
    return __builtin_ctzll(bits);
#else
    int index = 0;
    for (; (bits & 1) == 0; bits >>= 1) {
        ++index;
    }
    return index;
#endif
}

}  // namespace

void CoveredPixels::reset(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    words_ = static_cast<size_t>(width_) / 64 + 2;
    tileShift_ = 4;
    while ((width_ >> tileShift_) >= 64) {
        ++tileShift_;
    }
    const auto rows = static_cast<size_t>(height_);
    bits_.assign(words_ * rows, 0);
    regions_.assign((rows + regionRows - 1) / regionRows, RegionTiles{});
}

void CoveredPixels::clear() {
    std::fill(bits_.begin(), bits_.end(), 0);
}

CoveredPixels::Footprint CoveredPixels::footprintOf(const Line& line) {
    Footprint footprint{};
    footprint.countable = widePenCountable(line);
    const int64_t dx = int64_t{line.second.x} - line.first.x;
    const int64_t dy = int64_t{line.second.y} - line.first.y;
    footprint.slope = dy != 0 ? static_cast<double>(dx) / static_cast<double>(dy) : 0.0;
    // The line's column at row 0, from its middle: within the coordinate limit of a
    // countable line, off by far less than the margin.
    const double middleX = (static_cast<double>(line.first.x) + line.second.x) / 2;
    const double middleY = (static_cast<double>(line.first.y) + line.second.y) / 2;
    footprint.x = middleX - footprint.slope * middleY;
    // A pixel of the pen lies within two columns of the exact line, or of a
    // level line's middle half its length; one more keeps the check clear
    // of rounding.
    footprint.margin = 3 + (dy != 0 ? 0.0 : static_cast<double>(std::llabs(dx)) / 2);
    footprint.firstRow = std::min(line.first.y, line.second.y);
    footprint.lastRow = std::max(line.first.y, line.second.y);
    return footprint;
}

uint64_t& CoveredPixels::fullTiles(int64_t band) {
    return regions_[static_cast<size_t>(band / bandsPerRegion)].full[band % bandsPerRegion];
}

bool CoveredPixels::tileFull(int64_t band, int tile) const {
    const int left = tile << tileShift_;
    const int right = std::min(width_, left + (1 << tileShift_));
    const int64_t top = band * bandRows;
    const int64_t bottom = std::min<int64_t>(top + bandRows, height_);
    for (int64_t y = top; y < bottom; ++y) {
        const uint64_t* row = bits_.data() + static_cast<size_t>(y) * words_;
        for (int word = left >> 6; word <= (right - 1) >> 6; ++word) {
            const int from = std::max(left - word * 64, 0);
            const int to = std::min(right - word * 64, 64);
            const uint64_t needed = (~uint64_t{0} >> (64 - (to - from))) << from;
            if ((row[word] & needed) != needed) {
                return false;
            }
        }
    }
    return true;
}

void CoveredPixels::walk(const Line& line, const Footprint& footprint, int64_t from, int64_t to) {
    markWidePenPixels(line, bits_.data() + static_cast<size_t>(from) * words_, words_, width_,
                      static_cast<int32_t>(from), static_cast<int>(to - from));
    for (int64_t band = from / bandRows; band * bandRows < to; ++band) {
        uint64_t& full = fullTiles(band);
        uint64_t unsure =
            tilesTouched(footprint, std::max(from, band * bandRows), std::min(to, (band + 1) * bandRows)) &
            ~full;
        for (; unsure != 0; unsure &= unsure - 1) {
            const int tile = lowestBit(unsure);
            if (tileFull(band, tile)) {
                full |= uint64_t{1} << tile;
            }
        }
    }
}

void CoveredPixels::coverRegion(const std::vector<Line>& lines, size_t region) {
    const auto regionTop = static_cast<int64_t>(region) * regionRows;
    const int64_t regionBottom = std::min<int64_t>(regionTop + regionRows, height_);
    RegionTiles& tiles = regions_[region];
    for (size_t k = 0; k < lines.size(); ++k) {
        const Footprint& footprint = footprints_[k];
        // The pen's body keeps within two rows of the ends' rows, and its
        // crosses within one.
        const int64_t top = std::max(static_cast<int64_t>(footprint.firstRow) - 2, regionTop);
        const int64_t bottom = std::min(static_cast<int64_t>(footprint.lastRow) + 3, regionBottom);
        if (!footprint.countable || top >= bottom) {
            continue;
        }
        uint64_t touched = tilesTouched(footprint, top, bottom);
        if ((tiles.fullInAll & touched) == touched) {
            continue;
        }
        // The stretches of rows whose bands are not full where the line
        // touches, each walked at once.
        int64_t pending = -1;
        for (int64_t row = top; row < bottom;) {
            const int64_t bandEnd = std::min(bottom, (row / bandRows + 1) * bandRows);
            touched = tilesTouched(footprint, row, bandEnd);
            const uint64_t full = fullTiles(row / bandRows);
            if ((full & touched) != touched) {
                pending = pending < 0 ? row : pending;
            } else if (pending >= 0) {
                walk(lines[k], footprint, pending, row);
                pending = -1;
            }
            row = bandEnd;
        }
        if (pending >= 0) {
            walk(lines[k], footprint, pending, bottom);
        }
        tiles.fullInAll = ~uint64_t{0};
        for (const uint64_t full : tiles.full) {
            tiles.fullInAll &= full;
        }
    }
}

void CoveredPixels::findFullTiles() {
    for (size_t region = 0; region < regions_.size(); ++region) {
        RegionTiles& tiles = regions_[region];
        tiles.fullInAll = ~uint64_t{0};
        for (int k = 0; k < bandsPerRegion; ++k) {
            const int64_t band = static_cast<int64_t>(region) * bandsPerRegion + k;
            const bool inside = band * bandRows < height_;
            uint64_t& full = tiles.full[k];
            full = inside ? 0 : ~uint64_t{0};
            for (int tile = 0; inside && tile << tileShift_ < width_; ++tile) {
                full |= static_cast<uint64_t>(tileFull(band, tile)) << tile;
            }
            tiles.fullInAll &= full;
        }
    }
}

void CoveredPixels::add(const std::vector<Line>& lines) {
    findFullTiles();
    footprints_.resize(lines.size());
    const auto findFootprints = [&](size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) {
            footprints_[k] = footprintOf(lines[k]);
        }
    };
    if (!schedule_->worthTwoThreads(lines.size(), walkedLinesWorthTwoThreads)) {
        findFootprints(0, lines.size());
        for (size_t region = 0; region < regions_.size(); ++region) {
            coverRegion(lines, region);
        }
        return;
    }
    // Every line's footprint is asked for in every region: all are found first.
    const size_t half = lines.size() / 2;
    SharedJob touching;
    touching.secondPart = [&] { findFootprints(half, lines.size()); };
    touching.callerPart = [&] { findFootprints(0, half); };
    schedule_->run(touching);
    // A region at a time: regions differ widely in the lines they hold.
    SharedJob covering;
    covering.batches = regions_.size();
    covering.take = [&](size_t region, Thread) { coverRegion(lines, region); };
    schedule_->run(covering);
}

void CoveredPixels::paint(uint32_t* pixels, uint32_t value) const {
    const auto width = static_cast<size_t>(width_);
    for (size_t y = 0; y < static_cast<size_t>(height_); ++y) {
        const uint64_t* row = bits_.data() + y * words_;
        uint32_t* out = pixels + y * width;
        for (size_t x = 0; x < width; x += 64) {
            const size_t end = std::min(x + 64, width);
            const uint64_t word = row[x / 64];
            if (word == ~uint64_t{0} && end == x + 64) {
                // Where the red lines crowd, nearly every word is full.
                std::fill(out + x, out + end, value);
                continue;
            }
            for (size_t at = x; at < end; ++at) {
                out[at] = (word >> (at - x)) & 1 ? value : out[at];
            }
        }
    }
}

}  // namespace figury
