#include "figure/figure_changes.h"

#include <utility>

namespace figury {

namespace {

// A picture is repaired after each input that changed the figure, so a few
// changes in between are all it ever needs; further back it redraws whole.
constexpr size_t changesKept = 16;

}  // namespace

void FigureChanges::add(std::shared_ptr<const FigureEdit> edit, bool undone, size_t bytes) {
    ++revision_;
    changes_.push_back({revision_, std::move(edit), undone, bytes});
    bytes_ += bytes;
    while (changes_.size() > 1 && (changes_.size() > changesKept || bytes_ > bytesLimit_)) {
        keptFrom_ = changes_.front().revision;
        bytes_ -= changes_.front().bytes;
        changes_.pop_front();
    }
}

void FigureChanges::addWhole() {
    ++revision_;
    changes_.clear();
    bytes_ = 0;
    keptFrom_ = revision_;
}

}  // namespace figury
