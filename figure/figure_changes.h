#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

#include "figure/figure_edit.h"

namespace figury {

// The latest changes of a figure, each as the edit that made it, done again
// or undone, under the revision it made. Every change advances the revision:
// a picture of the figure remembers the revision it shows and learns from
// here what changed since, so that no change can be left out of it.
class FigureChanges {
public:
    // The changes kept hold at most bytesLimit of edits and a few changes,
    // the oldest going first; the newest is kept whatever its size.
    explicit FigureChanges(size_t bytesLimit) : bytesLimit_(bytesLimit) {}

    uint64_t revision() const { return revision_; }

    // A change of the figure that edit made (undone when undone is true);
    // bytes is the edit's size.
    void add(std::shared_ptr<const FigureEdit> edit, bool undone, size_t bytes);
    // A change of unknown extent, such as a new figure in place of the old:
    // what came before it is no longer kept.
    void addWhole();

    // Calls visit(edit, undone) for each change after revision since, the
    // oldest first. False, calling nothing, when those changes are no longer
    // kept.
    template <class Visit>
    bool forEachSince(uint64_t since, Visit&& visit) const {
        if (since < keptFrom_ || since > revision_) {
            return false;
        }
        for (const Change& change : changes_) {
            if (change.revision > since) {
                visit(*change.edit, change.undone);
            }
        }
        return true;
    }

private:
    struct Change {
        uint64_t revision;  // the revision it made
        std::shared_ptr<const FigureEdit> edit;
        bool undone;
        size_t bytes;
    };

    size_t bytesLimit_;
    uint64_t revision_ = 0;
    std::deque<Change> changes_;  // the oldest first
    size_t bytes_ = 0;
    uint64_t keptFrom_ = 0;  // every change after this revision is in changes_
};

}  // namespace figury
