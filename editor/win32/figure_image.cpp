#include "editor/win32/figure_image.h"

#include "editor/win32/gdi/counted_lines_check.h"
#include "editor/win32/gdi/gdi_canvas.h"
#include "editor/win32/gdi/mark_stamp.h"
#include "editor/win32/gdi/pixel_buffer.h"

namespace figury {

FigureImage::~FigureImage() {
    release();
}

bool FigureImage::make(HDC like, int width, int height) {
    uint32_t black = 0;
    const bool pixels = trueColour(like);
    linesCounted_ = pixels && gdiDrawsThinLinesAsCounted(black);
    for (PixelBuffer* buffer : {&picture_, &marks_, &frame_}) {
        if (buffer == &marks_ && !linesCounted_) {
            continue;
        }
        *buffer =
            pixels ? PixelBuffer(like, width, height) : PixelBuffer::compatibleWith(like, width, height);
        if (!buffer->ready()) {
            release();
            return false;
        }
    }
    width_ = width;
    height_ = height;
    coverage_.reset(width, height);
    if (linesCounted_) {
        counted_.reset(width, height, marks_.pixels(), picture_.pixels(), black);
    }
    return true;
}

void FigureImage::release() {
    for (PixelBuffer* buffer : {&picture_, &marks_, &frame_}) {
        *buffer = PixelBuffer();
    }
    linesCounted_ = false;
    drawnRevision_.reset();
    width_ = 0;
    height_ = 0;
}

// Puts the red lines on the frame from the coverage, and draws with GDI any
// line too far out to be counted. False, with nothing drawn, when the frame's
// pixels cannot be written or GDI draws lines otherwise than they are counted.
bool FigureImage::putCountedLines(Canvas& canvas, const FigureDocument& document,
                                  const Highlight& highlight) {
    const Figure& figure = document.figure();
    uint32_t red = 0;
    const bool onlyRedLines = highlight.penWidth == lineHighlightWidth && highlight.points.empty();
    if (!onlyRedLines || highlight.lines.empty() || frame_.pixels() == nullptr ||
        !gdiDrawsLinesAsCounted(red)) {
        return false;
    }
    coverage_.cover(document.figure(), document.changes(), highlight.lines);
    GdiFlush();  // the text must be on the pixels before they are written
    coverage_.paint(frame_.pixels(), red);
    const Highlight uncounted{highlight.penWidth, {}, coverage_.uncountable()};
    if (!uncounted.lines.empty()) {
        paintHighlight(canvas, figure, uncounted);
    }
    return true;
}

bool FigureImage::paint(HDC target, int width, int height, const EditorState& state,
                        const Highlight& highlight) {
    if (width <= 0 || height <= 0) {
        return true;  // minimised: nothing shows, and the picture catches up when it shows again
    }
    if (width != width_ || height != height_) {
        release();
        if (!make(target, width, height)) {
            return false;
        }
    }
    const FigureDocument& document = state.document;
    const Figure& figure = document.figure();
    if (linesCounted_) {
        GdiCanvas marks(marks_.dc(), &stampScratch_);
        counted_.update(document.figure(), document.changes(), marks);
    } else {
        GdiCanvas canvas(picture_.dc(), &stampScratch_);
        if (drawnRevision_) {
            repairPicture(canvas, figure, damageSince(document.changes(), *drawnRevision_), width_, height_,
                          touching_);
        } else {
            redrawPicture(canvas, figure, width_, height_);
        }
        drawnRevision_ = document.changes().revision();
    }

    BitBlt(frame_.dc(), 0, 0, width_, height_, picture_.dc(), 0, 0, SRCCOPY);
    {
        GdiCanvas canvas(frame_.dc());
        paintStatusText(canvas, state);
        if (!putCountedLines(canvas, document, highlight)) {
            paintHighlight(canvas, figure, highlight);
        }
    }
    BitBlt(target, 0, 0, width_, height_, frame_.dc(), 0, 0, SRCCOPY);
    return true;
}

}  // namespace figury
