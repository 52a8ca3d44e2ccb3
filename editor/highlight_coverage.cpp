#include "editor/highlight_coverage.h"

#include <algorithm>

#include "editor/gdi_pen_pixels.h"

void HighlightCoverage::reset(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    // The counts are made by the first cover: a window that never shows the
    // red lines spends no time on them.
    counts_.clear();
    counts_.shrink_to_fit();
    indices_.clear();
    lines_.clear();
}

void HighlightCoverage::count(const Line& line, uint32_t delta) {
    countWidePenPixels(line, delta, counts_.data(), width_, height_);
}

void HighlightCoverage::cover(const Figure& figure, const std::vector<size_t>& lines) {
    if (counts_.empty()) {
        counts_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_) + countGroup, 0);
    }
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
    constexpr uint32_t in = 1;
    constexpr uint32_t out = ~uint32_t{0};  // adds as -1
    if (gone.size() + came.size() >= lines.size()) {
        // Counting all of them in afresh, on cleared counts, costs about as
        // much: clearing takes a fraction of a millisecond.
        std::fill(counts_.begin(), counts_.end(), 0);
        for (size_t k : lines) {
            count(figure.lines[k], in);
        }
    } else {
        for (size_t k : gone) {
            count(lines_[k], out);
        }
        for (size_t k : came) {
            count(figure.lines[lines[k]], in);
        }
    }
    indices_ = lines;
    lines_.resize(lines.size());
    std::transform(lines.begin(), lines.end(), lines_.begin(),
                   [&figure](size_t k) { return figure.lines[k]; });
}

void HighlightCoverage::paint(uint32_t* pixels, uint32_t value) const {
    const size_t area = counts_.empty() ? 0 : static_cast<size_t>(width_) * static_cast<size_t>(height_);
    for (size_t k = 0; k < area; ++k) {
        pixels[k] = counts_[k] != 0 ? value : pixels[k];
    }
}
