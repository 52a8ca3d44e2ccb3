#include "render/highlight_coverage.h"

#include <algorithm>
#include <functional>

#include "render/run_together.h"
#include "render/wide_pen_pixels.h"

// The words used here: a cover (one call of cover) makes the coverage that of
// the lines near the pointer now, the lines covered; a line covers the pixels
// its pen sets. A line counted in adds its pixels to the counts, counted out
// takes them away again; the lines covered and not counted are found as bits
// (covered_pixels.h). A count on two threads hands its lines out in batches
// (run_together.h).

namespace figury {

void HighlightCoverage::reset(int width, int height, size_t perCover) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    countedPerCover_ = perCover;
    // The counts and bits are made by the first cover: a window that never
    // shows the red lines spends no time on them.
    bits_.reset(0, 0);
    rowEnds_.clear();
    rowEnds_.shrink_to_fit();
    columnEnds_.clear();
    columnEnds_.shrink_to_fit();
    secondThreadRowEnds_.clear();
    secondThreadRowEnds_.shrink_to_fit();
    covered_.clear();
    foundAsBits_.clear();
    drawnByCaller_.clear();
    revision_.reset();
    countingOut_.clear();
}

void HighlightCoverage::makeCounts() {
    rowEnds_.assign((static_cast<size_t>(width_) + 1) * static_cast<size_t>(height_), 0);
    columnEnds_.assign(static_cast<size_t>(width_) * (static_cast<size_t>(height_) + 1), 0);
    bits_.reset(width_, height_);
}

namespace {

// Moves the ascending entries' indices over the removal of the elements at
// removed (ascending, as the figure was before), dropping those removed, and
// then over the insertion of elements at added (ascending, as it is after).
// Each dropped entry that was counted goes to dropped.
template <class Entry>
void shiftIndices(std::vector<Entry>& entries, const std::vector<ShapeAt<Line>>& removed,
                  const std::vector<ShapeAt<Line>>& added, std::vector<Line>& dropped) {
    size_t kept = 0;
    size_t below = 0;
    for (const Entry& entry : entries) {
        while (below < removed.size() && removed[below].index < entry.index) {
            ++below;
        }
        if (below < removed.size() && removed[below].index == entry.index) {
            if (entry.counted) {
                dropped.push_back(entry.line);
            }
            continue;
        }
        entries[kept] = entry;
        entries[kept].index -= below;
        ++kept;
    }
    entries.resize(kept);
    // An element keeps its order among the others: it moves up by the
    // insertions at or before where it ends.
    size_t before = 0;
    for (Entry& entry : entries) {
        while (before < added.size() && added[before].index <= entry.index + before) {
            ++before;
        }
        entry.index += before;
    }
}

}  // namespace

void HighlightCoverage::follow(const FigureChanges& changes) {
    if (revision_ == changes.revision()) {
        return;
    }
    const bool followed =
        revision_ && changes.forEachSince(*revision_, [this](const FigureEdit& edit, bool undone) {
            shiftIndices(covered_, undone ? edit.linesAdded : edit.linesRemoved,
                         undone ? edit.linesRemoved : edit.linesAdded, countingOut_);
        });
    if (!followed) {
        // Where the lines went is not known: all that were counted go out.
        for (const Covered& entry : covered_) {
            if (entry.counted) {
                countingOut_.push_back(entry.line);
            }
        }
        covered_.clear();
    }
    revision_ = changes.revision();
}

namespace {

// Counts the runs picked of the lines [from, to) of first and then second
// (first's count out, second's in), both together being lines [0, first's
// size + second's).
void countLinesIn(const std::vector<Line>& first, const std::vector<Line>& second, size_t from, size_t to,
                  PenRuns runs, uint32_t* rowEnds, uint32_t* columnEnds, int width, int height) {
    constexpr uint32_t out = ~uint32_t{0};  // adds as -1
    for (size_t k = from; k < std::min(to, first.size()); ++k) {
        countWidePenRuns(first[k], out, rowEnds, columnEnds, width, height, runs);
    }
    for (size_t k = std::max(from, first.size()); k < to; ++k) {
        countWidePenRuns(second[k - first.size()], 1, rowEnds, columnEnds, width, height, runs);
    }
}

void clear(std::vector<uint32_t>& ends) {
    std::fill(ends.begin(), ends.end(), 0);
}

// Copies into covered[at[k]] the figure's line at indices[at[k]], for each
// k: the lines lie scattered over a large figure, so each is asked for well
// before it is copied, or every line waits for memory.
template <class Entry>
void gather(const Figure& figure, const std::vector<size_t>& indices, const std::vector<size_t>& at,
            std::vector<Entry>& covered) {
    constexpr size_t ahead = 16;
    for (size_t k = 0; k < at.size(); ++k) {
#if defined(__GNUC__)
        if (k + ahead < at.size()) {
            __builtin_prefetch(&figure.lines[indices[at[k + ahead]]]);
        }
#endif
        covered[at[k]].line = figure.lines[indices[at[k]]];
    }
}

}  // namespace

void HighlightCoverage::cover(const Figure& figure, const FigureChanges& changes,
                              const std::vector<size_t>& lines) {
    if (rowEnds_.empty()) {
        makeCounts();
    }
    // Without an edit since, a line kept its index and its value.
    const bool edited = revision_ != changes.revision();
    follow(changes);
    size_t countedStaying = mergeCovered(figure, lines, edited);
    if (countingOut_.size() > countedStaying) {
        // Counting out more lines than stay counted costs more than counting
        // those in again, on cleared counts.
        clearCounts();
        countedStaying = 0;
    }
    // A jump that brings more lines than a cover counts finds them all as
    // bits: counting a share of them as well costs more than it saves.
    const bool jump = cameThisCover_.size() * 2 > lines.size() && cameThisCover_.size() > countedPerCover_;
    pickCountedIn(jump ? 0 : countedPerCover_);
    countLines(countingOut_, countingIn_);
    lastCounted_ = countingOut_.size() + countingIn_.size() + foundAsBits_.size();
    countingOut_.clear();
    if (!foundAsBits_.empty()) {
        findBits(countingIn_.size() + countedStaying != 0);
    }
}

// Both lists ascend: one merge finds the lines that went and those that came;
// an index whose line changed is both. Those that stay keep their copies;
// those that came are read from the figure.
size_t HighlightCoverage::mergeCovered(const Figure& figure, const std::vector<size_t>& lines, bool edited) {
    const auto countOut = [this](const Covered& entry) {
        if (entry.counted) {
            countingOut_.push_back(entry.line);
        }
    };
    nextCovered_.clear();
    cameThisCover_.clear();
    size_t countedStaying = 0;
    size_t old = 0;
    for (size_t now = 0; now < lines.size(); ++now) {
        for (; old < covered_.size() && covered_[old].index < lines[now]; ++old) {
            countOut(covered_[old]);
        }
        if (old < covered_.size() && covered_[old].index == lines[now]) {
            const Covered& entry = covered_[old++];
            if (!edited || entry.line == figure.lines[lines[now]]) {
                nextCovered_.push_back(entry);
                countedStaying += entry.counted ? 1 : 0;
                continue;
            }
            countOut(entry);
        }
        cameThisCover_.push_back(now);
        nextCovered_.push_back({lines[now], Line{}, false});
    }
    for (; old < covered_.size(); ++old) {
        countOut(covered_[old]);
    }
    gather(figure, lines, cameThisCover_, nextCovered_);
    covered_.swap(nextCovered_);
    return countedStaying;
}

// Nothing counted: every line covered is to be counted in again, and none
// out.
void HighlightCoverage::clearCounts() {
    clear(rowEnds_);
    clear(columnEnds_);
    countingOut_.clear();
    for (Covered& entry : covered_) {
        entry.counted = false;
    }
}

// The first lines not counted yet are counted in, at most countingAtMost;
// the rest are found as bits.
void HighlightCoverage::pickCountedIn(size_t countingAtMost) {
    countingIn_.clear();
    foundAsBits_.clear();
    drawnByCaller_.clear();
    for (Covered& entry : covered_) {
        if (!widePenCountable(entry.line)) {
            drawnByCaller_.push_back(entry.index);
        }
        if (!entry.counted) {
            entry.counted = countingIn_.size() < countingAtMost;
            (entry.counted ? countingIn_ : foundAsBits_).push_back(entry.line);
        }
    }
}

void HighlightCoverage::countLines(const std::vector<Line>& out, const std::vector<Line>& in) {
    if (schedule_->worthTwoThreads(out.size() + in.size(), walkedLinesWorthTwoThreads)) {
        countOnTwoThreads(out, in);
    } else {
        countLinesIn(out, in, 0, out.size() + in.size(), PenRuns::both, rowEnds_.data(), columnEnds_.data(),
                     width_, height_);
    }
}

// The second thread counts the runs along columns, and then both take
// batches of lines' runs along rows: the rows take more (in a window wider
// than high most lines are wider than high). The second thread counts its
// rows into ends of its own, added in at the end.
void HighlightCoverage::countOnTwoThreads(const std::vector<Line>& out, const std::vector<Line>& in) {
    constexpr size_t batch = 256;
    const size_t count = out.size() + in.size();
    secondThreadRowEnds_.resize(rowEnds_.size());
    SharedJob job;
    job.secondPart = [&] {
        clear(secondThreadRowEnds_);
        countLinesIn(out, in, 0, count, PenRuns::alongColumns, nullptr, columnEnds_.data(), width_, height_);
    };
    job.batches = (count + batch - 1) / batch;
    job.take = [&](size_t taken, Thread thread) {
        uint32_t* rowEnds = thread == Thread::second ? secondThreadRowEnds_.data() : rowEnds_.data();
        countLinesIn(out, in, taken * batch, std::min((taken + 1) * batch, count), PenRuns::alongRows,
                     rowEnds, nullptr, width_, height_);
    };
    schedule_->run(job);
    std::transform(rowEnds_.begin(), rowEnds_.end(), secondThreadRowEnds_.begin(), rowEnds_.begin(),
                   std::plus<>());
}

// The pixels the counts cover go into the bits first, a word at a time.
void HighlightCoverage::findBits(bool anyCounted) {
    bits_.clear();
    if (anyCounted) {
        const size_t lastX = static_cast<size_t>(width_) - 1;
        uint64_t word = 0;
        forEachCount([this, &word, lastX](size_t y, size_t x, uint32_t count) {
            word |= static_cast<uint64_t>(count != 0) << (x % 64);
            if (x % 64 == 63 || x == lastX) {
                bits_.row(static_cast<int>(y))[x / 64] = word;
                word = 0;
            }
        });
    }
    bits_.add(foundAsBits_);
}

// Each pixel's count is summed from the ends of the runs before it in its row
// and above it in its column, a row at a time.
template <class Pixel>
void HighlightCoverage::forEachCount(Pixel pixel) const {
    if (rowEnds_.empty()) {
        return;
    }
    const auto width = static_cast<size_t>(width_);
    std::vector<uint32_t> columns(width, 0);
    for (size_t y = 0; y < static_cast<size_t>(height_); ++y) {
        const uint32_t* rowEnds = rowEnds_.data() + y * (width + 1);
        const uint32_t* columnEnds = columnEnds_.data() + y * width;
        uint32_t row = 0;
        for (size_t x = 0; x < width; ++x) {
            row += rowEnds[x];
            columns[x] += columnEnds[x];
            pixel(y, x, row + columns[x]);
        }
    }
}

void HighlightCoverage::paint(uint32_t* pixels, uint32_t value) const {
    if (!foundAsBits_.empty()) {
        bits_.paint(pixels, value);
        return;
    }
    const auto width = static_cast<size_t>(width_);
    forEachCount([pixels, value, width](size_t y, size_t x, uint32_t count) {
        uint32_t& pixel = pixels[y * width + x];
        pixel = count != 0 ? value : pixel;
    });
}

std::vector<uint32_t> HighlightCoverage::counts() const {
    std::vector<uint32_t> counts;
    if (!rowEnds_.empty()) {
        const auto width = static_cast<size_t>(width_);
        counts.resize(width * static_cast<size_t>(height_));
        forEachCount([&counts, width](size_t y, size_t x, uint32_t count) { counts[y * width + x] = count; });
    }
    return counts;
}

}  // namespace figury
