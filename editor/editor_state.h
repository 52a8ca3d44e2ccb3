#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "editor/figure_document.h"
#include "figure/file_stamp.h"
#include "figure/figure.h"

namespace figury {

// What the next left-button press means. The numbers are the ones the editor
// has always used; 9 is never used.
enum class EditMode : int {
    idle = 0,
    addPoint = 1,
    deletePoint = 2,
    movePick = 3,         // the point to move
    moveRelease = 4,      // release after the point to move was picked
    moveDestination = 5,  // where the picked point goes
    lineFirst = 6,        // the first point of a new line
    lineRelease = 7,      // release after the first point was picked
    lineSecond = 8,       // the second point of the line
    deleteLine = 10,
};

// Everything the editor window keeps between messages. The program's entry
// owns one and hands it to its window; tests make their own.
struct EditorState {
    EditMode editMode = EditMode::idle;
    // Never null: one of the texts (texts.h), which last as long as the program.
    const char* statusText = "";
    int32_t hoverX = 0;
    int32_t hoverY = 0;
    size_t selectedPoint = 0;            // the first pick of a move or a new line
    std::optional<size_t> recordedLine;  // the line a delete-line press removes
    FigureDocument document;             // the figure and the history of its edits

    // For the saves: the figure file as the load read it or a save wrote it,
    // which another program may have changed since; and whether the load
    // found a file it could not read, which an edited figure replaces only
    // when the user says so.
    FileStamp knownFile;
    bool fileUnread = false;
    // The file as it was when the user was last asked whether to replace
    // it: a yes is for that file alone, not for one saved while the box was open.
    FileStamp askedAbout;
    bool saveSettled = false;  // saved at close, or closing without it: no save follows
};

}  // namespace figury
