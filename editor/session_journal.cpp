#include "editor/session_journal.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <utility>

#include "figure/bytes_hash.h"
#include "figure/figure_file.h"

namespace figury {

namespace {

struct KindNumber {
    EditKind kind;
    uint8_t number;
};
constexpr KindNumber kindNumbers[] = {
    {EditKind::pointAdded, 0},   {EditKind::pointsDeleted, 1}, {EditKind::pointMoved, 2},
    {EditKind::lineInserted, 3}, {EditKind::lineDeleted, 4},
};

// A record's buffer larger than this (a step that took a large part of the
// figure) is given back once written, rather than held for the session.
constexpr size_t keptRecordCapacity = size_t{1} << 20;

// An undo or a redo takes the history's own step when it has one, which
// must be the step recorded; else the step came from before the journal's
// base (the figure saved) and is taken from the record.
bool takeStep(FigureDocument& document, const JournalStep& step) {
    const std::optional<EditKind> kind = editKindFromJournal(step.editKind);
    if (!kind) {
        return false;
    }
    const Figure& figure = document.figure();
    switch (step.kind) {
        case JournalStepKind::undo:
            if (const auto next = document.nextUndo()) {
                return next->kind == *kind && *next->edit == step.edit && document.undo();
            }
            if (!undoFits(figure, step.edit)) {
                return false;
            }
            document.undoOutsideHistory(*kind, step.edit);
            return true;
        case JournalStepKind::redo:
            if (const auto next = document.nextRedo()) {
                return next->kind == *kind && *next->edit == step.edit && document.redo();
            }
            if (!editFits(figure, step.edit)) {
                return false;
            }
            document.redoOutsideHistory(*kind, step.edit);
            return true;
        case JournalStepKind::edit:
            break;
    }
    // Checked first: redoEdit trusts its edit's indices.
    return editFits(figure, step.edit) && document.edit(*kind, [&step](Figure& edited, FigureEdit& made) {
        redoEdit(edited, step.edit);
        made = step.edit;
        return true;
    });
}

}  // namespace

std::string journalPathFor(const char* figurePath) {
    return std::string(figurePath) + journalFileSuffix;
}

uint8_t journalEditKind(EditKind kind) {
    return std::find_if(std::begin(kindNumbers), std::end(kindNumbers),
                        [kind](const KindNumber& entry) { return entry.kind == kind; })
        ->number;
}

std::optional<EditKind> editKindFromJournal(uint8_t number) {
    const auto* entry =
        std::find_if(std::begin(kindNumbers), std::end(kindNumbers),
                     [number](const KindNumber& candidate) { return candidate.number == number; });
    if (entry == std::end(kindNumbers)) {
        return std::nullopt;
    }
    return entry->kind;
}

void SessionJournal::start(std::vector<char> base, JournalBaseOrigin origin, uint64_t session) {
    const uint64_t baseHash = bytesHash(base.data(), base.size());
    start(std::move(base), baseHash, origin, session);
}

void SessionJournal::start(std::vector<char> base, uint64_t baseHash, JournalBaseOrigin origin,
                           uint64_t session) {
    session_ = session;
    try {
        std::vector<char> header = encodeJournalHeader(base.size(), baseHash, origin, session);
        active_ = file_.begin(std::move(header), std::move(base));
    } catch (const std::exception&) {  // out of memory
        active_ = false;
    }
    if (!active_) {
        fail();
    }
}

void SessionJournal::resume(const JournalHeader& header) {
    session_ = header.session;
    active_ = true;
}

void SessionJournal::record(StepTaken taken, EditKind kind, const FigureEdit& edit) {
    if (!active_) {
        return;
    }
    bool written = false;
    try {
        record_.clear();
        const JournalStepKind step = taken == StepTaken::edit   ? JournalStepKind::edit
                                     : taken == StepTaken::undo ? JournalStepKind::undo
                                                                : JournalStepKind::redo;
        encodeJournalStep(record_, session_, step, journalEditKind(kind), edit);
        written = file_.append(record_.data(), record_.size());
    } catch (const std::exception&) {  // out of memory: the step is taken, its record is not
    }
    if (record_.capacity() > keptRecordCapacity) {
        std::vector<char>().swap(record_);
    }
    if (!written) {
        fail();
        return;
    }
    file_.flushSoon();
}

bool SessionJournal::takeFailure() {
    return std::exchange(failureToTell_, false);
}

void SessionJournal::fail() {
    active_ = false;
    failureToTell_ = true;
}

size_t replayJournal(const JournalContents& contents, FigureDocument& document, bool baseLoaded) {
    if (!contents.readable()) {
        return 0;
    }
    if (!baseLoaded) {
        Figure base;
        loadFigureFromBytes(base, contents.base.data(), contents.base.size());
        document.replace(std::move(base));
    }
    size_t taken = 0;
    for (const JournalStep& step : contents.steps) {
        if (!takeStep(document, step)) {
            break;
        }
        ++taken;
    }
    return taken;
}

}  // namespace figury
