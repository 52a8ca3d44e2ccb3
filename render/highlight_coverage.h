#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "render/covered_pixels.h"
#include "render/run_together.h"
#include "figure/figure_changes.h"
#include "figure/figure.h"

namespace figury {

// The red lines of delete-line mode, kept from paint to paint as the number
// of highlighted lines covering each pixel of the client area. A hover move
// of a few pixels brings a few lines near and takes a few away, so only those
// are counted in or out, instead of drawing the thousands that stay near in a
// large figure. The lines covered follow the figure's changes, so that an
// edit moves no line that it left alone out of the count.
//
// A jump of the pointer brings thousands of lines at once. A cover counts in
// at most a set number of the lines not counted yet, and finds the pixels of
// the rest as bits (covered_pixels.h) on top of those the counts cover: where
// the lines crowd, the lines counted cover nearly all of the area, and the
// rest pass over it. The hovers that follow count in more of the rest, until
// every line is counted.
//
// Lines that are not countable (see wide_pen_pixels.h) are left for the
// caller to draw.
class HighlightCoverage {
public:
    // How many lines a cover counts in at most: near the middle of a million
    // lines, a cover then takes about as long as finding all of them as bits,
    // and the hovers after a jump count the rest in a few moves.
    static constexpr size_t countedPerCover = 8192;

    // The schedule shares the largest counts and bits between two threads;
    // it is kept, so it must outlive the coverage.
    explicit HighlightCoverage(const Schedule& schedule = systemSchedule())
        : schedule_(&schedule), bits_(schedule) {}
    explicit HighlightCoverage(const Schedule&&) = delete;

    // A width x height area with nothing in it, whose covers count in at most
    // perCover lines each.
    void reset(int width, int height, size_t perCover = countedPerCover);

    // Makes the coverage that of the figure's lines at the given storage
    // indices, in ascending order. Every cover between two resets is of one
    // figure: its changes tell which lines moved.
    void cover(const Figure& figure, const FigureChanges& changes, const std::vector<size_t>& lines);

    // Sets to value each pixel of a row-major image of the area's size that
    // one of the lines covers.
    void paint(uint32_t* pixels, uint32_t value) const;

    // The count of each pixel, row by row, of the lines counted so far; empty
    // before the first cover.
    std::vector<uint32_t> counts() const;
    // How many lines the last cover counted in or out, or found as bits.
    size_t lastCounted() const { return lastCounted_; }
    // The indices of the lines covered that are not countable, for the
    // caller to draw.
    const std::vector<size_t>& uncountable() const { return drawnByCaller_; }

private:
    // A line covered: its index and value as the figure was at revision_,
    // and whether the counts hold it.
    struct Covered {
        size_t index;
        Line line;
        bool counted;
    };

    // The steps of a cover, in order. The counts and bits are made by the
    // first.
    void makeCounts();
    // Moves the lines covered to where the figure's changes since put them;
    // the counted lines those took away are to be counted out.
    void follow(const FigureChanges& changes);
    // Returns how many counted lines stay covered.
    size_t mergeCovered(const Figure& figure, const std::vector<size_t>& lines, bool edited);
    void clearCounts();
    void pickCountedIn(size_t countingAtMost);
    // Counts the lines of out out and those of in in.
    void countLines(const std::vector<Line>& out, const std::vector<Line>& in);
    void countOnTwoThreads(const std::vector<Line>& out, const std::vector<Line>& in);
    void findBits(bool anyCounted);

    // Calls pixel(y, x, count) for each pixel, row by row.
    template <class Pixel>
    void forEachCount(Pixel pixel) const;

    const Schedule* schedule_;
    int width_ = 0;
    int height_ = 0;
    size_t countedPerCover_ = countedPerCover;
    // The counts kept as the ends of runs of pixels (countWidePenRuns).
    std::vector<uint32_t> rowEnds_;
    std::vector<uint32_t> columnEnds_;
    // The second thread's share of the rows of a count, added in when it ends.
    std::vector<uint32_t> secondThreadRowEnds_;
    // In ascending index order.
    std::vector<Covered> covered_;
    std::optional<uint64_t> revision_;
    // The lines of the last cover that the counts do not hold, whose pixels
    // are then in bits_ with those the counts cover, for paint to take.
    std::vector<Line> foundAsBits_;
    CoveredPixels bits_;
    std::vector<size_t> drawnByCaller_;  // the last cover's lines that are not countable
    size_t lastCounted_ = 0;
    // Scratch for a cover, kept from cover to cover, as fresh memory costs
    // more than the work here on some systems.
    std::vector<Line> countingOut_;      // counted lines gone from the figure or no longer covered
    std::vector<Covered> nextCovered_;   // covered_ as this cover leaves it
    std::vector<size_t> cameThisCover_;  // where in nextCovered_ the lines that came stand
    std::vector<Line> countingIn_;       // the lines this cover counts in
};

}  // namespace figury
