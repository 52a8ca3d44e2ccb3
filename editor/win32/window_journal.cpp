#include "editor/win32/window_journal.h"

#include <utility>

#include "editor/recovery.h"
#include "editor/texts.h"
#include "editor/win32/gdi/polish_text.h"
#include "figure/journal.h"

namespace figury {

namespace {

// How many copies of the editor may keep a journal of the same figure at once.
constexpr int journalCopies = 8;

// What the start found under the journals' names.
struct JournalsFound {
    std::vector<std::unique_ptr<WindowsJournalFile>> left;  // left by sessions that did not close
    bool otherCopy = false;                                 // a running copy holds one
    bool setAside = false;                                  // one that could not be read was renamed
};

JournalsFound findJournals(const char* figurePath) {
    JournalsFound found;
    for (int copy = 1; copy <= journalCopies; ++copy) {
        const std::string path = journalPathForCopy(figurePath, copy);
        auto file = std::make_unique<WindowsJournalFile>();
        switch (file->openExisting(path)) {
            case WindowsJournalFile::Opening::opened:
                found.left.push_back(std::move(file));
                continue;
            case WindowsJournalFile::Opening::heldByOther:
                found.otherCopy = true;
                continue;
            case WindowsJournalFile::Opening::failed:
                // A folder or something else that cannot be opened as a file.
                found.setAside = setJournalAside(path, setAsideJournalSuffix) || found.setAside;
                continue;
            case WindowsJournalFile::Opening::missing:
                continue;
        }
    }
    return found;
}

// A new journal under the first name that nothing holds; none when every
// name is taken or none can be made (the folder is missing or read-only).
std::unique_ptr<WindowsJournalFile> newJournal(const char* figurePath) {
    auto file = std::make_unique<WindowsJournalFile>();
    for (int copy = 1; copy <= journalCopies; ++copy) {
        const WindowsJournalFile::Opening opening = file->create(journalPathForCopy(figurePath, copy));
        if (opening != WindowsJournalFile::Opening::heldByOther) {
            break;  // made, or the folder cannot take it
        }
    }
    return file;
}

JournalContents readLeftJournal(WindowsJournalFile& file) {
    std::vector<char> bytes;
    if (!file.readAll(bytes)) {
        return {};  // as a journal without a header
    }
    return readJournal(std::move(bytes));
}

}  // namespace

void WindowJournal::start(HWND owner, EditorState& state, LoadedFile loaded, const char* figurePath) {
    state_ = &state;
    JournalsFound found = findJournals(figurePath);
    if (found.otherCopy) {
        showMessageBox(owner, otherCopyText, otherCopyCaption, MB_OK | MB_ICONWARNING);
    }
    bool recovered = false;
    for (std::unique_ptr<WindowsJournalFile>& left : found.left) {
        const JournalContents contents = readLeftJournal(*left);
        switch (stepFor(contents)) {
            case LeftJournalStep::setAside:
                found.setAside = true;
                left->setAside(setAsideJournalSuffix);
                continue;
            case LeftJournalStep::ask:
                if (recovered) {
                    left->close();  // one recovery a start: the next start offers it
                    continue;
                }
                if (showMessageBox(owner, recoveryQuestion(contents.steps.size()).c_str(), recoveryCaption,
                                   MB_YESNO | MB_DEFBUTTON1 | MB_ICONQUESTION) == IDYES) {
                    const size_t taken = recoverSession(state, contents);
                    if (file_) {
                        file_->remove();  // a dropped journal taken before: this one goes on instead
                    }
                    file_ = std::move(left);
                    journal_ = std::make_unique<SessionJournal>(*file_);
                    if (file_->cutTo(contents.sizeThrough(taken))) {
                        journal_->resume(contents.header);
                    } else {
                        startJournal(*journal_, state, std::move(loaded));
                    }
                    recovered = true;
                    continue;
                }
                break;
            case LeftJournalStep::drop:
                break;
        }
        // Nothing to recover from it: the session's own journal, or removed.
        if (!file_) {
            file_ = std::move(left);
        } else {
            left->remove();
        }
    }
    if (!file_) {
        file_ = newJournal(figurePath);
    }
    if (!journal_) {
        journal_ = std::make_unique<SessionJournal>(*file_);
        startJournal(*journal_, state, std::move(loaded));
    }
    state.document.setStepListener(journal_->listener());
    if (found.setAside) {
        state.statusText = journalSetAsideText;
    }
    afterStep(state);
}

bool WindowJournal::afterStep(EditorState& state) {
    if (!journal_ || !journal_->takeFailure() || failureTold_) {
        return false;
    }
    failureTold_ = true;
    state.statusText = journalFailureText;
    return true;
}

void WindowJournal::restart(std::vector<char> written) {
    if (journal_ && file_->isOpen() && state_ != nullptr) {
        journal_->start(std::move(written), state_->knownFile.hash, JournalBaseOrigin::figureFile);
    }
}

void WindowJournal::end(bool remove) {
    if (state_ != nullptr) {
        state_->document.setStepListener(nullptr);
        state_ = nullptr;
    }
    if (file_) {
        if (remove) {
            file_->remove();
        } else {
            file_->close();
        }
    }
}

}  // namespace figury
