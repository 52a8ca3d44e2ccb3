#include "editor/highlight_coverage.h"

#include <algorithm>
#include <atomic>
#include <functional>

#include "editor/gdi_pen_pixels.h"
#include "figure/run_together.h"

void HighlightCoverage::reset(int width, int height, FreshCover fresh) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    fresh_ = fresh;
    bitsFrom_ = 0;
    counted_ = false;
    bits_.reset(width_, height_);
    // The counts are made by the first cover: a window that never shows the
    // red lines spends no time on them.
    rowEnds_.clear();
    rowEnds_.shrink_to_fit();
    columnEnds_.clear();
    columnEnds_.shrink_to_fit();
    secondRowEnds_.clear();
    secondRowEnds_.shrink_to_fit();
    indices_.clear();
    lines_.clear();
    revision_.reset();
    gone_.clear();
}

namespace {

// Moves ascending indices over the removal of the elements at removed
// (ascending, as the figure was before), dropping those removed, and then
// over the insertion of elements at added (ascending, as it is after).
// Each dropped entry's line goes to dropped.
void shiftIndices(std::vector<size_t>& indices, std::vector<Line>& lines,
                  const std::vector<ShapeAt<Line>>& removed, const std::vector<ShapeAt<Line>>& added,
                  std::vector<Line>& dropped) {
    size_t kept = 0;
    size_t below = 0;
    for (size_t k = 0; k < indices.size(); ++k) {
        while (below < removed.size() && removed[below].index < indices[k]) {
            ++below;
        }
        if (below < removed.size() && removed[below].index == indices[k]) {
            dropped.push_back(lines[k]);
            continue;
        }
        indices[kept] = indices[k] - below;
        lines[kept] = lines[k];
        ++kept;
    }
    indices.resize(kept);
    lines.resize(kept);
    // An element keeps its order among the others: it moves up by the
    // insertions at or before where it ends.
    size_t before = 0;
    for (size_t& index : indices) {
        while (before < added.size() && added[before].index <= index + before) {
            ++before;
        }
        index += before;
    }
}

}  // namespace

void HighlightCoverage::follow(const FigureDocument& document) {
    if (revision_ == document.revision()) {
        return;
    }
    const bool followed =
        revision_ && document.forEachChangeSince(*revision_, [this](const FigureEdit& edit, bool undone) {
            shiftIndices(indices_, lines_, undone ? edit.linesAdded : edit.linesRemoved,
                         undone ? edit.linesRemoved : edit.linesAdded, gone_);
        });
    if (!followed) {
        // Where the lines went is not known: all that were counted go out.
        gone_.insert(gone_.end(), lines_.begin(), lines_.end());
        indices_.clear();
        lines_.clear();
    }
    revision_ = document.revision();
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

// Below this many red lines a second thread costs more than it saves.
constexpr size_t linesWorthTwoThreads = 2048;

// Appends the figure's lines at indices[at[k]] for each k: they lie
// scattered over a large figure, so each is asked for well before it is
// copied, or every line waits for memory.
void gather(const Figure& figure, const std::vector<size_t>& indices, const std::vector<size_t>& at,
            std::vector<Line>& lines) {
    constexpr size_t ahead = 16;
    for (size_t k = 0; k < at.size(); ++k) {
#if defined(__GNUC__)
        if (k + ahead < at.size()) {
            __builtin_prefetch(&figure.lines[indices[at[k + ahead]]]);
        }
#endif
        lines.push_back(figure.lines[indices[at[k]]]);
    }
}

}  // namespace

void HighlightCoverage::countLines(const std::vector<Line>& out, const std::vector<Line>& in) {
    const size_t count = out.size() + in.size();
    if (!worthTwoThreads(count, linesWorthTwoThreads)) {
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

void HighlightCoverage::coverAfresh() {
    lastCounted_ = lines_.size();
    const bool byBits =
        fresh_ == FreshCover::bits || (fresh_ == FreshCover::cheaper && lines_.size() >= bitsFrom_);
    if (byBits) {
        bits_.cover(lines_);
        // Where the lines leave much of the area bare, bits cost about what
        // counts do, and counts let the next hover count only what changed:
        // bits are tried again for a set well larger. More lines fill more.
        if (bits_.walkedShare() > 0.5) {
            bitsFrom_ = std::max(bitsFrom_, lines_.size() + lines_.size() / 2 + 1);
        } else {
            bitsFrom_ = std::min(bitsFrom_, lines_.size());
        }
        counted_ = false;
        return;
    }
    if (rowEnds_.empty()) {
        rowEnds_.assign((static_cast<size_t>(width_) + 1) * static_cast<size_t>(height_), 0);
        columnEnds_.assign(static_cast<size_t>(width_) * (static_cast<size_t>(height_) + 1), 0);
    } else {
        clear(rowEnds_);
        clear(columnEnds_);
    }
    countLines({}, lines_);
    counted_ = true;
}

void HighlightCoverage::cover(const FigureDocument& document, const std::vector<size_t>& lines) {
    const Figure& figure = document.figure();
    // Without an edit since, a line kept its index and its value.
    const bool edited = revision_ != document.revision();
    follow(document);
    // Both lists ascend: one merge finds the lines that went and those that
    // came. An index whose line changed is both.
    goneAt_.clear();
    came_.clear();
    size_t old = 0;
    size_t now = 0;
    while (old < indices_.size() || now < lines.size()) {
        if (now == lines.size() || (old < indices_.size() && indices_[old] < lines[now])) {
            goneAt_.push_back(old++);
        } else if (old == indices_.size() || lines[now] < indices_[old]) {
            came_.push_back(now++);
        } else {
            if (edited && !(lines_[old] == figure.lines[lines[now]])) {
                goneAt_.push_back(old);
                came_.push_back(now);
            }
            ++old;
            ++now;
        }
    }
    // The lines near now: those that stay, from the copies kept, and those
    // that came, from the figure.
    cameLines_.clear();
    gather(figure, lines, came_, cameLines_);
    nextLines_.resize(lines.size());
    size_t came = 0;
    old = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        if (came < came_.size() && came_[came] == k) {
            nextLines_[k] = cameLines_[came++];
            continue;
        }
        while (indices_[old] != lines[k]) {
            ++old;
        }
        nextLines_[k] = lines_[old++];
    }
    // Counting all of them in afresh, on cleared counts, costs about as much
    // as counting that many in or out: clearing takes a fraction of a
    // millisecond.
    const bool afresh = !counted_ || gone_.size() + goneAt_.size() + came_.size() >= lines.size();
    if (!afresh) {
        for (size_t k : goneAt_) {
            gone_.push_back(lines_[k]);
        }
        countLines(gone_, cameLines_);
        lastCounted_ = gone_.size() + cameLines_.size();
    }
    gone_.clear();
    indices_ = lines;
    lines_.swap(nextLines_);
    if (afresh) {
        coverAfresh();
    }
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
            pixel(y * width + x, row + columns[x]);
        }
    }
}

void HighlightCoverage::paint(uint32_t* pixels, uint32_t value) const {
    if (!counted_) {
        bits_.paint(pixels, value);
        return;
    }
    forEachCount(
        [pixels, value](size_t at, uint32_t count) { pixels[at] = count != 0 ? value : pixels[at]; });
}

std::vector<uint32_t> HighlightCoverage::counts() const {
    std::vector<uint32_t> counts;
    if (counted_) {
        counts.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
        forEachCount([&counts](size_t at, uint32_t count) { counts[at] = count; });
    }
    return counts;
}
