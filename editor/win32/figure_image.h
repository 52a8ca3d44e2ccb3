#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "render/counted_picture.h"
#include "editor/editor_state.h"
#include "render/highlight_coverage.h"
#include "editor/view.h"

namespace figury {

// The window's picture of the figure: its marks and lines in a bitmap of the
// client area's size, white where nothing is, kept from paint to paint and
// brought up to each change of the figure. Each paint copies the picture into
// a second bitmap, draws the status text and the highlight over it there and
// puts the finished frame on the screen in one copy, so that no erased or
// half-drawn client area ever shows.
//
// On a true-colour screen where GDI draws lines as they are counted here, the
// lines are counted into the picture (counted_picture.h) and the red lines of
// delete-line mode are kept as a coverage that each hover updates by the
// lines that came near or went, put on the frame pixel by pixel. Elsewhere
// GDI draws the picture, and a change redraws the boxes it damaged.
class FigureImage {
public:
    FigureImage() = default;
    ~FigureImage();
    FigureImage(const FigureImage&) = delete;
    FigureImage& operator=(const FigureImage&) = delete;

    // Paints a client area of width x height on target, a paint's context,
    // the picture first brought up to the figure's revision. False, with
    // nothing drawn, when the bitmaps cannot be made: the caller then draws
    // on target itself.
    bool paint(HDC target, int width, int height, const EditorState& state, const Highlight& highlight);

private:
    struct Surface {
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ bitmapBefore = nullptr;
    };

    bool make(HDC like, int width, int height);
    void release();
    bool putCountedLines(Canvas& canvas, const FigureDocument& document, const Highlight& highlight);

    int width_ = 0;
    int height_ = 0;
    Surface picture_;  // the figure alone
    Surface marks_;    // the marks alone, when the lines are counted
    Surface frame_;    // the picture with the text and the highlight on it
    // The 32-bit pixels of each, top row first, on a true-colour screen.
    uint32_t* picturePixels_ = nullptr;
    uint32_t* marksPixels_ = nullptr;
    uint32_t* framePixels_ = nullptr;
    bool linesCounted_ = false;
    CountedPicture counted_;
    HighlightCoverage coverage_;
    std::optional<uint64_t> drawnRevision_;  // the figure's revision the picture shows, once drawn
    // Kept from repair to repair: on some systems the first touch of fresh
    // memory costs more than the scan that fills it.
    Figure reaching_;
    std::vector<uint32_t> stampScratch_;
};

}  // namespace figury
