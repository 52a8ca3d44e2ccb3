#include "editor/figure_document.h"

namespace figury {

FigureDocument::FigureDocument(Figure figure, size_t historyLimit)
    : figure_(std::move(figure)), historyLimit_(historyLimit), changes_(historyLimit) {
    markSaved();
}

void FigureDocument::replace(Figure figure) {
    figure_ = std::move(figure);
    undo_.clear();
    redo_.clear();
    historyBytes_ = 0;
    state_ = ++lastState_;
    markSaved();
    changes_.addWhole();
}

bool FigureDocument::edited() const {
    if (state_ == savedState_) {
        return false;
    }
    // States name figures, so the answer holds until the state changes
    // (or the figure is saved).
    if (comparedState_ != state_) {
        comparedEdited_ = figureHash(figure_) != savedHash_;
        comparedState_ = state_;
    }
    return comparedEdited_;
}

void FigureDocument::markSaved() {
    savedState_ = state_;
    savedHash_ = figureHash(figure_);
    comparedState_ = state_;
    comparedEdited_ = false;
}

void FigureDocument::record(EditKind kind, FigureEdit edit) {
    for (const Step& step : redo_) {
        historyBytes_ -= step.bytes;
    }
    redo_.clear();
    const uint64_t before = state_;
    state_ = ++lastState_;
    const size_t bytes = editBytes(edit);
    auto kept = std::make_shared<const FigureEdit>(std::move(edit));
    undo_.push_back({kind, kept, before, state_, bytes});
    historyBytes_ += bytes;
    keepWithinLimit();
    changes_.add(kept, false, bytes);
    tell(StepTaken::edit, kind, *kept);
}

void FigureDocument::keepWithinLimit() {
    while (historyBytes_ > historyLimit_ && undo_.size() > 1) {
        historyBytes_ -= undo_.front().bytes;
        undo_.pop_front();
    }
}

void FigureDocument::tell(StepTaken taken, EditKind kind, const FigureEdit& edit) const {
    if (stepListener_) {
        stepListener_(taken, kind, edit);
    }
}

// Moves the last step of from to to, undoing or redoing its edit.
template <class From, class To>
std::optional<EditKind> FigureDocument::takeStep(From& from, To& to, bool undoing) {
    if (from.empty()) {
        return std::nullopt;
    }
    Step step = std::move(from.back());
    from.pop_back();
    if (undoing) {
        undoEdit(figure_, *step.edit);
    } else {
        redoEdit(figure_, *step.edit);
    }
    state_ = undoing ? step.stateBefore : step.stateAfter;
    changes_.add(step.edit, undoing, step.bytes);
    const EditKind kind = step.kind;
    const std::shared_ptr<const FigureEdit> edit = step.edit;
    to.push_back(std::move(step));
    tell(undoing ? StepTaken::undo : StepTaken::redo, kind, *edit);
    return kind;
}

std::optional<EditKind> FigureDocument::undo() {
    return takeStep(undo_, redo_, true);
}

std::optional<EditKind> FigureDocument::redo() {
    return takeStep(redo_, undo_, false);
}

std::optional<FigureDocument::NextStep> FigureDocument::nextUndo() const {
    if (undo_.empty()) {
        return std::nullopt;
    }
    return NextStep{undo_.back().kind, undo_.back().edit.get()};
}

std::optional<FigureDocument::NextStep> FigureDocument::nextRedo() const {
    if (redo_.empty()) {
        return std::nullopt;
    }
    return NextStep{redo_.back().kind, redo_.back().edit.get()};
}

void FigureDocument::undoOutsideHistory(EditKind kind, FigureEdit edit) {
    takeStepOutsideHistory(kind, std::move(edit), true);
}

void FigureDocument::redoOutsideHistory(EditKind kind, FigureEdit edit) {
    takeStepOutsideHistory(kind, std::move(edit), false);
}

// The figure takes the edit, undone or redone, which is kept as the step
// that would take it back: among those to redo after an undo, to undo after
// a redo. The state reached is a new one, as no step of the history led to it.
void FigureDocument::takeStepOutsideHistory(EditKind kind, FigureEdit edit, bool undoing) {
    const size_t bytes = editBytes(edit);
    auto kept = std::make_shared<const FigureEdit>(std::move(edit));
    if (undoing) {
        undoEdit(figure_, *kept);
    } else {
        redoEdit(figure_, *kept);
    }
    const uint64_t left = state_;
    state_ = ++lastState_;
    historyBytes_ += bytes;
    if (undoing) {
        redo_.push_back({kind, kept, state_, left, bytes});
    } else {
        undo_.push_back({kind, kept, left, state_, bytes});
        keepWithinLimit();
    }
    changes_.add(kept, undoing, bytes);
    tell(undoing ? StepTaken::undo : StepTaken::redo, kind, *kept);
}

}  // namespace figury
