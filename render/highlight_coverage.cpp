#include "render/highlight_coverage.h"

#include <algorithm>
#include <atomic>
#include <functional>

#include "render/wide_pen_pixels.h"
#include "render/run_together.h"

namespace figury {

void HighlightCoverage::reset(int width, int height, size_t linesCounted) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    linesCounted_ = linesCounted;
    // The counts and bits are made by the first cover: a window that never
    // shows the red lines spends no time on them.
    bits_.reset(0, 0);
    rowEnds_.clear();
    rowEnds_.shrink_to_fit();
    columnEnds_.clear();
    columnEnds_.shrink_to_fit();
    secondRowEnds_.clear();
    secondRowEnds_.shrink_to_fit();
    covered_.clear();
    uncounted_.clear();
    uncountable_.clear();
    revision_.reset();
    gone_.clear();
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
                         undone ? edit.linesRemoved : edit.linesAdded, gone_);
        });
    if (!followed) {
        // Where the lines went is not known: all that were counted go out.
        for (const Covered& entry : covered_) {
            if (entry.counted) {
                gone_.push_back(entry.line);
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

void HighlightCoverage::countLines(const std::vector<Line>& out, const std::vector<Line>& in) {
    const size_t count = out.size() + in.size();
    if (!worthTwoThreads(count, walkedLinesWorthTwoThreads)) {
        countLinesIn(out, in, 0, count, PenRuns::both, rowEnds_.data(), columnEnds_.data(), width_, height_);
        return;
    }
    // One thread counts the runs along columns, the other those along rows;
    // the rows take more (in a window wider than high most lines are wider
    // than high), so the first, done with the columns, takes batches of
    // lines off the other's rows into ends of its own, added in at the end.
    secondRowEnds_.resize(rowEnds_.size());
    std::atomic<size_t> nextBatch{0};
    const auto countRowsInBatches = [&](uint32_t* rowEnds) {
        constexpr size_t batch = 256;
        for (size_t from = nextBatch.fetch_add(batch); from < count; from = nextBatch.fetch_add(batch)) {
            countLinesIn(out, in, from, std::min(from + batch, count), PenRuns::alongRows, rowEnds, nullptr,
                         width_, height_);
        }
    };
    runTogether(
        [&] {
            clear(secondRowEnds_);
            countLinesIn(out, in, 0, count, PenRuns::alongColumns, nullptr, columnEnds_.data(), width_,
                         height_);
            countRowsInBatches(secondRowEnds_.data());
        },
        [&] { countRowsInBatches(rowEnds_.data()); });
    std::transform(rowEnds_.begin(), rowEnds_.end(), secondRowEnds_.begin(), rowEnds_.begin(), std::plus<>());
}

void HighlightCoverage::cover(const Figure& figure, const FigureChanges& changes,
                              const std::vector<size_t>& lines) {
    if (rowEnds_.empty()) {
        rowEnds_.assign((static_cast<size_t>(width_) + 1) * static_cast<size_t>(height_), 0);
        columnEnds_.assign(static_cast<size_t>(width_) * (static_cast<size_t>(height_) + 1), 0);
        bits_.reset(width_, height_);
    }
    // Without an edit since, a line kept its index and its value.
    const bool edited = revision_ != changes.revision();
    follow(changes);

    // Both lists ascend: one merge finds the lines that went and those that
    // came; an index whose line changed is both. Those that stay keep their
    // copies; those that came are read from the figure.
    next_.clear();
    came_.clear();
    size_t countedStaying = 0;
    size_t old = 0;
    for (size_t now = 0; now < lines.size(); ++now) {
        for (; old < covered_.size() && covered_[old].index < lines[now]; ++old) {
            if (covered_[old].counted) {
                gone_.push_back(covered_[old].line);
            }
        }
        if (old < covered_.size() && covered_[old].index == lines[now]) {
            const Covered& entry = covered_[old++];
            if (!edited || entry.line == figure.lines[lines[now]]) {
                next_.push_back(entry);
                countedStaying += entry.counted ? 1 : 0;
                continue;
            }
            if (entry.counted) {
                gone_.push_back(entry.line);
            }
        }
        came_.push_back(now);
        next_.push_back({lines[now], Line{}, false});
    }
    for (; old < covered_.size(); ++old) {
        if (covered_[old].counted) {
            gone_.push_back(covered_[old].line);
        }
    }
    gather(figure, lines, came_, next_);
    covered_.swap(next_);

    if (gone_.size() > countedStaying) {
        // Counting out more lines than stay counted costs more than counting
        // those in again, on cleared counts.
        clear(rowEnds_);
        clear(columnEnds_);
        gone_.clear();
        countedStaying = 0;
        for (Covered& entry : covered_) {
            entry.counted = false;
        }
    }
    // The first lines not counted are counted in, the rest found as bits. A
    // jump that brings more lines than a cover counts finds them all as
    // bits: counting a share of them as well costs more than it saves.
    const bool jump = came_.size() * 2 > lines.size() && came_.size() > linesCounted_;
    const size_t countingIn = jump ? 0 : linesCounted_;
    countedIn_.clear();
    uncounted_.clear();
    uncountable_.clear();
    for (Covered& entry : covered_) {
        if (!widePenCountable(entry.line)) {
            uncountable_.push_back(entry.index);
        }
        if (!entry.counted) {
            entry.counted = countedIn_.size() < countingIn;
            (entry.counted ? countedIn_ : uncounted_).push_back(entry.line);
        }
    }
    countLines(gone_, countedIn_);
    lastCounted_ = gone_.size() + countedIn_.size() + uncounted_.size();
    gone_.clear();
    if (uncounted_.empty()) {
        return;
    }
    // The pixels counted first, a word at a time.
    bits_.clear();
    if (countedIn_.size() + countedStaying != 0) {
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
    bits_.add(uncounted_);
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
    if (!uncounted_.empty()) {
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
