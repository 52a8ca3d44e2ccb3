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

void HighlightCoverage::count(const Line& line, uint32_t delta) {
    countWidePenRuns(line, delta, rowEnds_.data(), columnEnds_.data(), width_, height_);
}

namespace {

// Counts in the runs picked of the lines at indices lines[from..to).
void countLinesIn(const Figure& figure, const std::vector<size_t>& lines, size_t from, size_t to,
                  PenRuns runs, uint32_t* rowEnds, uint32_t* columnEnds, int width, int height) {
    // The lines lie scattered over a large figure: each is asked for well
    // before it is counted, or every line waits for memory.
    constexpr size_t ahead = 16;
    for (size_t k = from; k < to; ++k) {
#if defined(__GNUC__)
        if (k + ahead < to) {
            __builtin_prefetch(&figure.lines[lines[k + ahead]]);
        }
#endif
        countWidePenRuns(figure.lines[lines[k]], 1, rowEnds, columnEnds, width, height, runs);
    }
}

void clear(std::vector<uint32_t>& ends) {
    std::fill(ends.begin(), ends.end(), 0);
}

// Below this many red lines a second thread costs more than it saves.
constexpr size_t linesWorthTwoThreads = 2048;

}  // namespace

void HighlightCoverage::countAfresh(const Figure& figure, const std::vector<size_t>& lines) {
    clear(rowEnds_);
    clear(columnEnds_);
    if (!worthTwoThreads(lines.size(), linesWorthTwoThreads)) {
        countLinesIn(figure, lines, 0, lines.size(), PenRuns::both, rowEnds_.data(), columnEnds_.data(),
                     width_, height_);
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
        for (size_t from = nextBatch.fetch_add(batch); from < lines.size();
             from = nextBatch.fetch_add(batch)) {
            countLinesIn(figure, lines, from, std::min(from + batch, lines.size()), PenRuns::alongRows,
                         rowEnds, nullptr, width_, height_);
        }
    };
    runTogether(
        [&] {
            clear(secondRowEnds_);
            countLinesIn(figure, lines, 0, lines.size(), PenRuns::alongColumns, nullptr, columnEnds_.data(),
                         width_, height_);
            countRowsInBatches(secondRowEnds_.data());
        },
        [&] { countRowsInBatches(rowEnds_.data()); });
    std::transform(rowEnds_.begin(), rowEnds_.end(), secondRowEnds_.begin(), rowEnds_.begin(), std::plus<>());
}

void HighlightCoverage::coverAfresh(const FigureDocument& document, const std::vector<size_t>& lines) {
    const Figure& figure = document.figure();
    indices_ = lines;
    lines_.resize(lines.size());
    std::transform(lines.begin(), lines.end(), lines_.begin(),
                   [&figure](size_t k) { return figure.lines[k]; });
    gone_.clear();
    revision_ = document.revision();
    lastCounted_ = lines.size();
    const bool byBits =
        fresh_ == FreshCover::bits || (fresh_ == FreshCover::cheaper && lines.size() >= bitsFrom_);
    if (byBits) {
        bits_.cover(lines_);
        // Where the lines leave much of the area bare, bits cost about what
        // counts do, and counts let the next hover count only what changed:
        // bits are tried again for a set well larger. More lines fill more.
        if (bits_.walkedShare() > 0.5) {
            bitsFrom_ = std::max(bitsFrom_, lines.size() + lines.size() / 2 + 1);
        } else {
            bitsFrom_ = std::min(bitsFrom_, lines.size());
        }
        counted_ = false;
        return;
    }
    if (rowEnds_.empty()) {
        rowEnds_.assign((static_cast<size_t>(width_) + 1) * static_cast<size_t>(height_), 0);
        columnEnds_.assign(static_cast<size_t>(width_) * (static_cast<size_t>(height_) + 1), 0);
    }
    countAfresh(figure, lines);
    counted_ = true;
}

void HighlightCoverage::cover(const FigureDocument& document, const std::vector<size_t>& lines) {
    if (!counted_) {
        coverAfresh(document, lines);
        return;
    }
    const Figure& figure = document.figure();
    follow(document);
    // Both lists ascend: one merge finds the lines that went and those that
    // came. An index whose line changed is both.
    std::vector<size_t> gone;
    std::vector<size_t> came;
    size_t old = 0;
    size_t now = 0;
    while (old < indices_.size() || now < lines.size()) {
        if (now == lines.size() || (old < indices_.size() && indices_[old] < lines[now])) {
            gone.push_back(old++);
        } else if (old == indices_.size() || lines[now] < indices_[old]) {
            came.push_back(now++);
        } else {
            if (!(lines_[old] == figure.lines[lines[now]])) {
                gone.push_back(old);
                came.push_back(now);
            }
            ++old;
            ++now;
        }
    }
    if (gone.size() + gone_.size() + came.size() >= lines.size()) {
        // Finding them all afresh costs about as much, or far less.
        coverAfresh(document, lines);
        return;
    }
    constexpr uint32_t in = 1;
    constexpr uint32_t out = ~uint32_t{0};  // adds as -1
    for (const Line& line : gone_) {
        count(line, out);
    }
    for (size_t k : gone) {
        count(lines_[k], out);
    }
    for (size_t k : came) {
        count(figure.lines[lines[k]], in);
    }
    lastCounted_ = gone_.size() + gone.size() + came.size();
    gone_.clear();
    indices_ = lines;
    lines_.resize(lines.size());
    std::transform(lines.begin(), lines.end(), lines_.begin(),
                   [&figure](size_t k) { return figure.lines[k]; });
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

std::vector<bool> HighlightCoverage::covered() const {
    std::vector<bool> covered(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    if (!counted_) {
        for (size_t at = 0; at < covered.size(); ++at) {
            covered[at] = bits_.covers(static_cast<int>(at % static_cast<size_t>(width_)),
                                       static_cast<int>(at / static_cast<size_t>(width_)));
        }
        return covered;
    }
    forEachCount([&covered](size_t at, uint32_t count) { covered[at] = count != 0; });
    return covered;
}

std::vector<uint32_t> HighlightCoverage::counts() const {
    std::vector<uint32_t> counts;
    if (counted_) {
        counts.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
        forEachCount([&counts](size_t at, uint32_t count) { counts[at] = count; });
    }
    return counts;
}
