#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "editor/editor_state.h"
#include "editor/modes.h"
#include "editor/session_journal.h"
#include "editor/win32/journal_file.h"

namespace figury {

// The window's side of the session's journal: at the start it finds the
// journals left beside the figure file, asks whether to recover a session
// that did not close, and starts this session's journal, which then records
// every step of the document until the session's work ends.
class WindowJournal {
public:
    WindowJournal() = default;
    ~WindowJournal() { end(false); }
    WindowJournal(const WindowJournal&) = delete;
    WindowJournal& operator=(const WindowJournal&) = delete;

    // After the greeting and the load, whose bytes loaded holds. Boxes have
    // owner as their owner.
    void start(HWND owner, EditorState& state, LoadedFile loaded, const char* figurePath = figureFilePath);
    // After a step: the status tells, once in the session, that the journal failed.
    bool afterStep(EditorState& state);
    // After a save that wrote these bytes, whose stamp is now the state's
    // knownFile: the journal starts afresh from them.
    void restart(std::vector<char> written);
    // The session's work is over: the journal is removed, or kept for the
    // next start when the figure could not be saved.
    void end(bool remove);

    // The journal file, for tests: its path, its flushes.
    const WindowsJournalFile* file() const { return file_.get(); }

private:
    EditorState* state_ = nullptr;
    std::unique_ptr<WindowsJournalFile> file_;
    std::unique_ptr<SessionJournal> journal_;
    bool failureTold_ = false;
};

}  // namespace figury
