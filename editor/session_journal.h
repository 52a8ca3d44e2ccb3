#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/figure_document.h"
#include "figure/figure_edit.h"
#include "figure/journal.h"

namespace figury {

// The journal's file beside the figure file: the figure file's name and this.
constexpr const char* journalFileSuffix = ".journal";
std::string journalPathFor(const char* figurePath);

// The editor's kinds of edit as the journal numbers them, for good: the
// numbers of journals already written must keep their meaning.
uint8_t journalEditKind(EditKind kind);
std::optional<EditKind> editKindFromJournal(uint8_t number);

// Where a session's journal goes, one file, written in order. Each platform
// has its own, which keeps the input's path free of waiting on the disk.
class JournalFile {
public:
    virtual ~JournalFile() = default;
    // Starts the file afresh, whatever it held, with the header and then the
    // base. They may be written later, but before anything appended after
    // them. False when the file cannot be started.
    virtual bool begin(std::vector<char> header, std::vector<char> base) = 0;
    // Appends a record after everything begun or appended before. False when
    // it, or anything before it, could not be written.
    virtual bool append(const char* bytes, size_t size) = 0;
    // What was appended must reach the disk at most a second from now.
    virtual void flushSoon() = 0;
};

// The journal of the session: the figure it started from and each step the
// document takes, written as records through the file. A write that fails
// ends the journal until the next start; the editing goes on without it.
class SessionJournal {
public:
    explicit SessionJournal(JournalFile& file) : file_(file) {}

    // Starts a journal of a session whose figure comes from base: the figure
    // file's bytes as they were read at the load or written by a save, or,
    // when no file could be read, figureFileText of the figure the session
    // started with. Also after a save, with what it wrote.
    void start(std::vector<char> base, JournalBaseOrigin origin, uint64_t session = newJournalSession());
    // The same, when bytesHash of base is known already: the figure file's
    // stamp has it, taken when the load read the bytes or the save wrote them.
    void start(std::vector<char> base, uint64_t baseHash, JournalBaseOrigin origin,
               uint64_t session = newJournalSession());
    // Goes on with a journal read and replayed at start: the file holds it
    // cut to its sizeThrough(the steps replayed), and the next records follow.
    void resume(const JournalHeader& header);

    // Records a step the document has taken: the document's step listener.
    void record(StepTaken taken, EditKind kind, const FigureEdit& edit);
    FigureDocument::StepListener listener() {
        return [this](StepTaken taken, EditKind kind, const FigureEdit& edit) { record(taken, kind, edit); };
    }

    // Whether steps are being written: started or resumed, and no write failed.
    bool active() const { return active_; }
    // True once, the first time after a write failed: the user should learn
    // that the edits are no longer kept against a crash.
    bool takeFailure();

private:
    void fail();

    JournalFile& file_;
    uint64_t session_ = 0;
    bool active_ = false;
    bool failureToTell_ = false;
    std::vector<char> record_;  // reused from step to step
};

// Brings the document to the figure and history the journal recorded: the
// base loaded as the figure file's loader reads it (a base that does not load
// gives the empty figure, as a failed load at start does), put in place by
// replace and so counting as saved, then each step taken as it was. An undo
// or redo of a step made before the base, which the history cannot hold, is
// taken from its record. A step that does not fit the figure, an unknown kind
// of edit, or an undo or redo other than the history's own next step ends the
// replay there, the steps before it kept.
// Returns the number of steps taken; nothing is done with a journal that is
// not readable. baseLoaded says that the document holds the base's figure
// already, loaded from the same bytes and put in place by replace, with no
// step since: the base is not loaded again (at 1M points, a third of a second).
size_t replayJournal(const JournalContents& contents, FigureDocument& document, bool baseLoaded = false);

}  // namespace figury
