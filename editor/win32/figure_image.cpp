#include "editor/win32/figure_image.h"

#include "editor/highlight_line_pixels.h"
#include "editor/win32/counted_lines_check.h"
#include "editor/win32/gdi_canvas.h"
#include "editor/win32/mark_stamp.h"
#include "editor/win32/pixel_buffer.h"

FigureImage::~FigureImage() {
    release();
}

bool FigureImage::make(HDC like, int width, int height) {
    for (Surface* surface : {&picture_, &frame_}) {
        surface->dc = CreateCompatibleDC(like);
        if (surface == &frame_ && trueColour(like)) {
            surface->bitmap = createPixelBitmap(surface->dc, width, height, framePixels_);
        } else {
            surface->bitmap = CreateCompatibleBitmap(like, width, height);
        }
        if (surface->dc == nullptr || surface->bitmap == nullptr) {
            release();
            return false;
        }
        surface->bitmapBefore = SelectObject(surface->dc, surface->bitmap);
    }
    width_ = width;
    height_ = height;
    coverage_.reset(width, height);
    return true;
}

void FigureImage::release() {
    for (Surface* surface : {&picture_, &frame_}) {
        if (surface->bitmapBefore != nullptr) {
            SelectObject(surface->dc, surface->bitmapBefore);
        }
        if (surface->bitmap != nullptr) {
            DeleteObject(surface->bitmap);
        }
        if (surface->dc != nullptr) {
            DeleteDC(surface->dc);
        }
        *surface = Surface{};
    }
    framePixels_ = nullptr;
    drawnRevision_.reset();
    width_ = 0;
    height_ = 0;
}

// Puts the red lines on the frame from the coverage, and draws with GDI any
// line too far out to be counted. False, with nothing drawn, when the frame's
// pixels cannot be written or GDI draws lines otherwise than they are counted.
bool FigureImage::putCountedLines(Canvas& canvas, const Figure& figure, const Highlight& highlight) {
    uint32_t red = 0;
    const bool onlyRedLines = highlight.penWidth == lineHighlightWidth && highlight.points.empty();
    if (!onlyRedLines || highlight.lines.empty() || framePixels_ == nullptr || !gdiDrawsLinesAsCounted(red)) {
        return false;
    }
    coverage_.cover(figure, highlight.lines);
    GdiFlush();  // the text must be on the pixels before they are written
    coverage_.paint(framePixels_, red);
    Highlight uncounted{highlight.penWidth, {}, {}};
    for (size_t k : highlight.lines) {
        if (!highlightLineCountable(figure.lines[k])) {
            uncounted.lines.push_back(k);
        }
    }
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
    {
        GdiCanvas canvas(picture_.dc);
        if (drawnRevision_) {
            repairPicture(canvas, figure, document.damageSince(*drawnRevision_), width_, height_, reaching_);
        } else {
            redrawPicture(canvas, figure, width_, height_);
        }
    }
    drawnRevision_ = document.revision();

    BitBlt(frame_.dc, 0, 0, width_, height_, picture_.dc, 0, 0, SRCCOPY);
    {
        GdiCanvas canvas(frame_.dc);
        paintStatusText(canvas, state);
        if (!putCountedLines(canvas, figure, highlight)) {
            paintHighlight(canvas, figure, highlight);
        }
    }
    BitBlt(target, 0, 0, width_, height_, frame_.dc, 0, 0, SRCCOPY);
    return true;
}
