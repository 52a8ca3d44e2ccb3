#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "figure/figure.h"
#include "figure/figure_changes.h"
#include "figure/figure_edit.h"

namespace figury {

// The kinds of edit a user makes; each is one step of the history.
enum class EditKind { pointAdded, pointsDeleted, pointMoved, lineInserted, lineDeleted };

// How a step of the history was taken.
enum class StepTaken { edit, undo, redo };

// The figure the editor works on, with the history of its edits. Every
// change of the figure goes through here and is kept among its changes, for
// the pictures of the figure.
class FigureDocument {
public:
    // The history's steps hold at most this much memory, the oldest going
    // first, and so do the latest changes kept for the picture; the newest of
    // each is kept whatever its size.
    static constexpr size_t defaultHistoryLimit = size_t{64} << 20;

    FigureDocument() { markSaved(); }
    explicit FigureDocument(Figure figure, size_t historyLimit = defaultHistoryLimit);

    const Figure& figure() const { return figure_; }

    // Puts figure in place of the one held, as a load does: the history
    // starts anew and the new figure counts as saved.
    void replace(Figure figure);

    // Runs change(figure, edit), which returns whether it did what it was
    // asked and writes into edit what it changed. A change becomes one step of
    // the history and clears what could be redone; one that changed nothing
    // (a point moved onto its own place) leaves the history as it was. True
    // when the figure changed.
    template <class Change>
    bool edit(EditKind kind, Change&& change) {
        FigureEdit made;
        if (!change(figure_, made) || made.empty()) {
            return false;
        }
        record(kind, std::move(made));
        return true;
    }

    // Undoes the last step, or does again the step undone last. The step's
    // kind, or nothing when there is no such step.
    std::optional<EditKind> undo();
    std::optional<EditKind> redo();

    // The step that undo, or redo, would take next: its kind and its edit;
    // nothing when there is none.
    struct NextStep {
        EditKind kind;
        const FigureEdit* edit;
    };
    std::optional<NextStep> nextUndo() const;
    std::optional<NextStep> nextRedo() const;

    // Undoes, or does again, a step the history does not hold, made before the
    // figure was put in place (a journal started from a saved figure records
    // them): the figure takes it and it is kept to be redone, or undone, as if
    // the history had held it. Nothing that could be redone is cleared. The
    // edit must fit the figure: undoFits or editFits (figure/journal.h).
    void undoOutsideHistory(EditKind kind, FigureEdit edit);
    void redoOutsideHistory(EditKind kind, FigureEdit edit);

    // Whether the figure differs from the one loaded or last saved, in its
    // points, lines or their order, however it got there: undoing back to
    // it, or adding a point and deleting it again, leaves nothing edited.
    bool edited() const;
    void markSaved();
    // figureHash of the figure loaded or last saved.
    uint64_t savedHash() const { return savedHash_; }

    // Every change of the figure, for the pictures of it.
    const FigureChanges& changes() const { return changes_; }

    // Called after each step, once the figure and the history have taken it,
    // with the kind of the edit made, undone or redone and what it changed;
    // not for a figure put in place by replace. It must not change the
    // document. An empty listener is none.
    using StepListener = std::function<void(StepTaken taken, EditKind kind, const FigureEdit& edit)>;
    void setStepListener(StepListener listener) { stepListener_ = std::move(listener); }
    const StepListener& stepListener() const { return stepListener_; }

    size_t undoSteps() const { return undo_.size(); }
    size_t redoSteps() const { return redo_.size(); }
    size_t historyBytes() const { return historyBytes_; }

private:
    struct Step {
        EditKind kind;
        std::shared_ptr<const FigureEdit> edit;
        // States name figures: two steps that lead to the same state lead to
        // the same figure.
        uint64_t stateBefore;
        uint64_t stateAfter;
        size_t bytes;
    };
    void record(EditKind kind, FigureEdit edit);
    void keepWithinLimit();
    void tell(StepTaken taken, EditKind kind, const FigureEdit& edit) const;
    template <class From, class To>
    std::optional<EditKind> takeStep(From& from, To& to, bool undoing);
    void takeStepOutsideHistory(EditKind kind, FigureEdit edit, bool undoing);

    Figure figure_;
    std::deque<Step> undo_;   // the oldest first
    std::vector<Step> redo_;  // the one undone last at the back
    size_t historyLimit_ = defaultHistoryLimit;
    size_t historyBytes_ = 0;
    uint64_t state_ = 0;
    uint64_t savedState_ = 0;
    uint64_t lastState_ = 0;
    // What edited() compares with: a hash rather than a copy, which at a
    // million shapes would cost the start 24 MB of fresh memory.
    uint64_t savedHash_ = 0;
    mutable uint64_t comparedState_ = 0;  // the state last compared
    mutable bool comparedEdited_ = false;
    FigureChanges changes_{defaultHistoryLimit};
    StepListener stepListener_;
};

}  // namespace figury
