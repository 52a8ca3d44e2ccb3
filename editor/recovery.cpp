#include "editor/recovery.h"

#include <exception>
#include <utility>
#include <vector>

#include "editor/texts.h"
#include "figure/figure_file.h"

namespace figury {

LeftJournalStep stepFor(const JournalContents& contents) {
    if (!contents.readable()) {
        return LeftJournalStep::setAside;
    }
    return contents.steps.empty() ? LeftJournalStep::drop : LeftJournalStep::ask;
}

std::string journalPathForCopy(const char* figurePath, int copy) {
    std::string path = journalPathFor(figurePath);
    if (copy > 1) {
        path += '.' + std::to_string(copy);
    }
    return path;
}

std::string recoveryQuestion(size_t steps) {
    return recoveryTextBeforeCount + std::to_string(steps) + recoveryTextAfterCount;
}

size_t recoverSession(EditorState& state, const JournalContents& contents) {
    // Unless another program changed the file since, the load read the base
    // itself, and its figure is the document's while nothing was done since.
    const bool fileHoldsBase = fileHoldsJournalBase(contents.header, state.knownFile);
    const FigureDocument& loaded = state.document;
    const bool baseLoaded =
        fileHoldsBase && !loaded.edited() && loaded.undoSteps() == 0 && loaded.redoSteps() == 0;
    const size_t taken = replayJournal(contents, state.document, baseLoaded);
    if (!fileHoldsBase) {
        // No stamp of a file that is there matches one that is not.
        state.knownFile = FileStamp{};
        state.fileUnread = false;
    }
    state.editMode = EditMode::idle;
    state.recordedLine.reset();
    state.statusText = recoveredText;
    return taken;
}

void startJournal(SessionJournal& journal, const EditorState& state, LoadedFile loaded) {
    if (state.knownFile.read) {
        journal.start(std::move(loaded.bytes), state.knownFile.hash, JournalBaseOrigin::figureFile);
        return;
    }
    std::vector<char> text;
    try {
        text = figureFileText(state.document.figure());
    } catch (const std::exception&) {  // out of memory, for the few bytes of an empty figure
    }
    journal.start(std::move(text), JournalBaseOrigin::noFile);
}

}  // namespace figury
