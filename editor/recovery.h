#pragma once

#include <cstddef>
#include <string>

#include "editor/editor_state.h"
#include "editor/modes.h"
#include "editor/session_journal.h"
#include "figure/journal.h"

namespace figury {

// What the start does with a journal that a session which did not close left
// behind: one that cannot be read is set aside under a name that says so,
// one without steps has nothing to recover and is dropped, and for one with
// steps the user is asked.
enum class LeftJournalStep { setAside, drop, ask };
LeftJournalStep stepFor(const JournalContents& contents);

// Where an unreadable journal is set aside: its name and this.
constexpr const char* setAsideJournalSuffix = ".uszkodzony";

// The journal of the copy of the editor numbered copy (from 1) on the figure
// file at figurePath: the first copy's is journalPathFor's, each further
// running copy keeps its own beside it, ".2", ".3" and so on.
std::string journalPathForCopy(const char* figurePath, int copy);

// The question before a recovery, for a journal of this many steps, as
// Windows-1250 bytes.
std::string recoveryQuestion(size_t steps);

// Brings the editor to the figure and history the journal recorded, edited
// against the figure that session started from; called after the load
// (loadAtStart), whose stamp of the file is the state's, before any step.
// When the figure file no
// longer holds that figure (another program saved it since), the close must
// not take it for the file the figure came from: it finds the file changed
// and asks. Returns the number of steps taken.
size_t recoverSession(EditorState& state, const JournalContents& contents);

// Starts the session's journal from what the load read: the file's bytes, or
// when there was none to read the writer's text of the figure the session
// starts with.
void startJournal(SessionJournal& journal, const EditorState& state, LoadedFile loaded);

}  // namespace figury
