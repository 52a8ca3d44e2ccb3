#include "editor/figure_document.h"

namespace {

// A picture is repaired after each input that changed the figure, so a few
// changes in between are all it ever needs; further back it redraws whole.
constexpr size_t changesKept = 16;

}  // namespace

FigureDocument::FigureDocument(Figure figure, size_t historyLimit)
    : figure_(std::move(figure)), historyLimit_(historyLimit) {}

void FigureDocument::replace(Figure figure) {
    figure_ = std::move(figure);
    undo_.clear();
    redo_.clear();
    historyBytes_ = 0;
    state_ = savedState_ = ++lastState_;
    ++revision_;
    changes_.clear();
    changesBytes_ = 0;
    changesFrom_ = revision_;
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
    while (historyBytes_ > historyLimit_ && undo_.size() > 1) {
        historyBytes_ -= undo_.front().bytes;
        undo_.pop_front();
    }
    changed(std::move(kept), false, bytes);
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
    changed(step.edit, undoing, step.bytes);
    const EditKind kind = step.kind;
    to.push_back(std::move(step));
    return kind;
}

std::optional<EditKind> FigureDocument::undo() {
    return takeStep(undo_, redo_, true);
}

std::optional<EditKind> FigureDocument::redo() {
    return takeStep(redo_, undo_, false);
}

// The changes kept may hold edits the history has dropped: they are bounded
// the same way, so that the two together stay within twice the limit.
void FigureDocument::changed(std::shared_ptr<const FigureEdit> edit, bool undone, size_t bytes) {
    ++revision_;
    changes_.push_back({revision_, std::move(edit), undone, bytes});
    changesBytes_ += bytes;
    while (changes_.size() > 1 && (changes_.size() > changesKept || changesBytes_ > historyLimit_)) {
        changesFrom_ = changes_.front().revision;
        changesBytes_ -= changes_.front().bytes;
        changes_.pop_front();
    }
}

FigureDamage FigureDocument::damageSince(uint64_t since) const {
    FigureDamage damage;
    damage.clear();
    if (!forEachChangeSince(since, [&damage](const FigureEdit& edit, bool) { damage.addEdit(edit); })) {
        damage.addEverything();
    }
    return damage;
}
