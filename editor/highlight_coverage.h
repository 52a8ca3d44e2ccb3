#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "editor/covered_pixels.h"
#include "editor/figure_document.h"
#include "figure/figure.h"

// How a cover that cannot build on the last one finds the pixels: as bits
// (covered_pixels.h), which a large set near one point fills cheaply, or by
// counting each line's runs, which lets the next hover count in or out only
// the lines that came or went; or the cheaper of the two, judged by how the
// last bits went.
enum class FreshCover { cheaper, bits, counts };

// The red lines of delete-line mode, kept from paint to paint as the number
// of highlighted lines covering each pixel of the client area. A hover move
// of a few pixels brings a few lines near and takes a few away, so only those
// are counted in or out, instead of drawing the thousands that stay near in a
// large figure. The lines counted follow the figure's changes, so that an
// edit moves no line that it left alone out of the count. Where most lines
// change (a jump of the pointer), the pixels are found afresh, as bits where
// the lines fill the area and so leave most of their rows to skip, as counts
// elsewhere. Lines that are not countable (see gdi_pen_pixels.h) are left for
// the caller to draw.
class HighlightCoverage {
public:
    // A width x height area with nothing in it.
    void reset(int width, int height, FreshCover fresh = FreshCover::cheaper);

    // Makes the coverage that of the document's lines at the given storage
    // indices, in ascending order.
    void cover(const FigureDocument& document, const std::vector<size_t>& lines);

    // Sets to value each pixel of a row-major image of the area's size that
    // one of the lines covers.
    void paint(uint32_t* pixels, uint32_t value) const;

    // The count of each pixel, row by row; empty unless the last cover counted.
    std::vector<uint32_t> counts() const;
    // How many lines the last cover counted in or out, or found afresh.
    size_t lastCounted() const { return lastCounted_; }

private:
    // Counts the lines of out out and those of in in, on two threads when
    // there are many.
    void countLines(const std::vector<Line>& out, const std::vector<Line>& in);
    // Makes the pixels those of lines_ alone.
    void coverAfresh();
    template <class Pixel>
    void forEachCount(Pixel pixel) const;
    // Moves the indices counted to where the figure's changes since put
    // their lines; the lines those took away go to gone_.
    void follow(const FigureDocument& document);

    int width_ = 0;
    int height_ = 0;
    // The counts kept as the ends of runs of pixels (countWidePenRuns).
    std::vector<uint32_t> rowEnds_;
    std::vector<uint32_t> columnEnds_;
    std::vector<uint32_t> secondRowEnds_;  // the second thread's share of a count
    // The lines covered, by index and value, in ascending index order, as
    // the figure was at revision_.
    std::vector<size_t> indices_;
    std::vector<Line> lines_;
    std::optional<uint64_t> revision_;
    std::vector<Line> gone_;  // counted, and taken out of the figure since
    // Kept from cover to cover, as fresh memory costs more than the work
    // here on some systems: where the lines that went and came stand, the
    // lines that came, and the next lines_.
    std::vector<size_t> goneAt_;
    std::vector<size_t> came_;
    std::vector<Line> cameLines_;
    std::vector<Line> nextLines_;
    // Where the pixels are: in the counts, or else in bits_. The counts hold
    // what indices_ and lines_ say when they are.
    bool counted_ = false;
    CoveredPixels bits_;
    FreshCover fresh_ = FreshCover::cheaper;
    // From how many lines on bits are worth trying: sets that large filled
    // the area when last tried, smaller ones than one that did not.
    size_t bitsFrom_ = 0;
    size_t lastCounted_ = 0;
};
