#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "render/counted_picture.h"
#include "editor/editor_state.h"
#include "render/highlight_coverage.h"
#include "editor/view.h"
#include "editor/win32/gdi/pixel_buffer.h"

namespace figury {

// The window's picture of the figure: its marks and lines in a buffer
// (pixel_buffer.h) of the client area's size, white where nothing is, kept
// from paint to paint and brought up to each change of the figure. Each paint
// copies the picture into the frame, a second buffer, draws the status text
// and the highlight over it there and puts the frame on the screen in one
// copy, so that no erased or half-drawn client area ever shows.
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
    // nothing drawn, when the buffers cannot be made: the caller then draws
    // on target itself.
    bool paint(HDC target, int width, int height, const EditorState& state, const Highlight& highlight);

private:
    bool make(HDC like, int width, int height);
    void release();
    bool putCountedLines(Canvas& canvas, const FigureDocument& document, const Highlight& highlight);

    int width_ = 0;
    int height_ = 0;
    // 32-bit DIB sections on a true-colour screen, else in the screen's format.
    PixelBuffer picture_;  // the figure alone
    PixelBuffer marks_;    // the marks alone, when the lines are counted
    PixelBuffer frame_;    // the picture with the text and the highlight on it
    bool linesCounted_ = false;
    CountedPicture counted_;
    HighlightCoverage coverage_;
    std::optional<uint64_t> drawnRevision_;  // the figure's revision the picture shows, once drawn
    // Kept from repair to repair: on some systems the first touch of fresh
    // memory costs more than the scan that fills it.
    Figure touching_;
    std::vector<uint32_t> stampScratch_;
};

}  // namespace figury
