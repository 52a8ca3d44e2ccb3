#pragma once

namespace figury {

// Every text the user sees, as the Windows-1250 bytes the program shows. They
// are defined out of line so that each is kept in the executable as data: a
// literal the compiler can see may be built from instructions instead.

// Window caption and greeting box.
extern const char titleLine[];
extern const char greetingCaption[];

// Message boxes.
extern const char loadFailureText[];
extern const char loadFailureCaption[];
extern const char saveFailureText[];
extern const char saveFailureChoicesText[];  // the same, with the choices of a box at close
extern const char saveFailureCaption[];
// At close, when another program wrote the figure file since the editor started.
extern const char changedFileText[];
extern const char changedFileCaption[];

// Button labels.
extern const char buttonAddPoint[];
extern const char buttonDeletePoint[];
extern const char buttonMovePoint[];
extern const char buttonInsertLine[];
extern const char buttonDeleteLine[];

// Status messages: the prompt after each command and the message after each pick.
extern const char promptAddPoint[];
extern const char promptDeletePoint[];
extern const char promptMovePoint[];
extern const char promptInsertLine[];
extern const char promptDeleteLine[];
extern const char donePointAdded[];
extern const char donePointDeleted[];
extern const char promptMoveDestination[];
extern const char donePointMoved[];
extern const char promptLineSecond[];
extern const char doneLineInserted[];
extern const char doneLineDeleted[];

// Status messages after undo and redo, for each kind of edit, and when there is nothing to undo or redo.
extern const char undonePointAdded[];
extern const char undonePointDeleted[];
extern const char undonePointMoved[];
extern const char undoneLineInserted[];
extern const char undoneLineDeleted[];
extern const char redonePointAdded[];
extern const char redonePointDeleted[];
extern const char redonePointMoved[];
extern const char redoneLineInserted[];
extern const char redoneLineDeleted[];
extern const char nothingToUndo[];
extern const char nothingToRedo[];

}  // namespace figury
