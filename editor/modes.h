#pragma once

#include <cstdint>
#include <vector>

#include "editor/editor_state.h"
#include "editor/highlight.h"

namespace figury {

// The edit-mode state machine. Each handler takes one window event and
// returns whether the client area must be repainted; the window procedure
// does the repainting and shows the message boxes.

// A button's command, or a key's: undo, redo or cancel. Undo and redo are
// edits as far as the modes go: they abandon a half-done operation and end in
// the idle mode, saying what they did. Cancel (Esc) calls off a half-done
// operation and changes nothing else; the release of a press held through it
// then finds the idle mode and does nothing. In the idle mode it does nothing
// at all and asks for no repaint.
bool onCommand(EditorState& state, int controlId);
// Moves, presses and releases over the button bar change nothing: only its
// blank end buttons pass them on, and the pointer there is not over the figure.
bool onMouseMove(EditorState& state, int32_t x, int32_t y);
bool onLeftButtonDown(EditorState& state, int32_t x, int32_t y);
// A release only arms the second pick of a move or a new line; it never repaints.
void onLeftButtonUp(EditorState& state, int32_t x, int32_t y);

// Whether the next press removes what the highlight recorded, so that a
// repaint still pending for earlier pointer moves must happen first: the
// press then takes the line shown for where the pointer is.
bool pressTakesTheHighlight(const EditorState& state);

// Called as a paint shows this highlight: in delete-line mode the last line
// drawn thick is the one the next press removes.
void recordHighlightedLine(EditorState& state, const Highlight& highlight);

// Where the editor keeps its figure, relative to the current directory.
constexpr const char* figureFilePath = "Dane/obiekt.obj";

// The figure file's bytes as the load at start read them: the base of the
// session's journal. Whether they were read, and their stamp, is the state's
// knownFile.
struct LoadedFile {
    std::vector<char> bytes;
};

// Loads the figure when the window is created, from the file's bytes read
// once, which go to loaded when asked for. Returns true when the load failed
// and the user must be told.
bool loadAtStart(EditorState& state, const char* path = figureFilePath, LoadedFile* loaded = nullptr);

enum class SaveOutcome {
    written,             // the file holds the figure: written, or it held those very bytes already
    unreadFileKept,      // the file existed but could not be read, and nothing was edited
    changedFileKept,     // another program changed the file since the load, and nothing was edited
    changedFileAtStake,  // another program changed the file, and the edits would replace it: ask first
    unreadFileAtStake,   // the file could not be read at the load, and the edits would replace it: ask first
    nothingLost,         // the save failed, but nothing was edited since the load
    failed,              // the edits are not in the file: the user must be told
    notEdited,           // a save asked for with nothing edited since the load or the last save
};

// Whether a save leaves nothing more to save: the figure is in the file, or
// nothing was edited. Otherwise it failed, or waits for the user's word.
bool saveSettles(SaveOutcome outcome);

// What a save does with a file that the edits would replace unseen: one
// that another program changed since the load or the last save, or one that
// the load could not read. Ask returns an outcome "at stake" and writes
// nothing. Replace is the user's yes to that question, and holds only for
// the file as it was when it was asked: one saved meanwhile is asked about
// again.
enum class ChangedFile { ask, replace };

// Saves the figure when the window is asked to close, the session ends or,
// failing both, the window is destroyed. Unless the save failed or must ask,
// that settles it: the figure is not saved again. A file is changed when its
// bytes differ from those loaded or last saved, whatever its time says; it is
// kept when nothing was edited. A file that already holds the bytes the save
// would write is not written. No other copy of the editor saves the file
// between this save's look at it and its write (save_lock.h).
SaveOutcome saveAtClose(EditorState& state, ChangedFile changedFile = ChangedFile::ask,
                        const char* path = figureFilePath);

// Saves the figure now, at the user's asking (Ctrl+S), by the rules of the
// save at close but without settling it: an edit after this one is saved at
// close again. Nothing is written when nothing was edited. Like undo and redo
// it ends a half-done operation in the idle mode, saying what it did; a save
// that failed or must ask leaves "Anulowano" for the window's boxes to settle.
// On success written holds the bytes now in the file.
SaveOutcome saveNow(EditorState& state, ChangedFile changedFile, std::vector<char>& written,
                    const char* path = figureFilePath);

// The user chose to close without the save that failed, or the session ends
// after it: the figure is not saved again.
void closeWithoutSaving(EditorState& state);

}  // namespace figury
