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
    const struct {
        Surface* surface;
        uint32_t** pixels;
        bool wanted;
    } surfaces[] = {{&picture_, &picturePixels_, true},
                    {&marks_, &marksPixels_, linesCounted_},
                    {&frame_, &framePixels_, true}};
    for (const auto& made : surfaces) {
        if (!made.wanted) {
            continue;
        }
        Surface* surface = made.surface;
        surface->dc = CreateCompatibleDC(like);
        if (pixels) {
            surface->bitmap = createPixelBitmap(surface->dc, width, height, *made.pixels);
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
    if (linesCounted_) {
        counted_.reset(width, height, marksPixels_, picturePixels_, black);
    }
    return true;
}

void FigureImage::release() {
    for (Surface* surface : {&picture_, &marks_, &frame_}) {
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
    picturePixels_ = marksPixels_ = framePixels_ = nullptr;
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
    if (!onlyRedLines || highlight.lines.empty() || framePixels_ == nullptr || !gdiDrawsLinesAsCounted(red)) {
        return false;
    }
    coverage_.cover(document.figure(), document.changes(), highlight.lines);
    GdiFlush();  // the text must be on the pixels before they are written
    coverage_.paint(framePixels_, red);
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
        GdiCanvas marks(marks_.dc, &stampScratch_);
        counted_.update(document.figure(), document.changes(), marks);
    } else {
        GdiCanvas canvas(picture_.dc, &stampScratch_);
        if (drawnRevision_) {
            repairPicture(canvas, figure, damageSince(document.changes(), *drawnRevision_), width_, height_,
                          reaching_);
        } else {
            redrawPicture(canvas, figure, width_, height_);
        }
        drawnRevision_ = document.changes().revision();
    }

    BitBlt(frame_.dc, 0, 0, width_, height_, picture_.dc, 0, 0, SRCCOPY);
    {
        GdiCanvas canvas(frame_.dc);
        paintStatusText(canvas, state);
        if (!putCountedLines(canvas, document, highlight)) {
            paintHighlight(canvas, figure, highlight);
        }
    }
    BitBlt(target, 0, 0, width_, height_, frame_.dc, 0, 0, SRCCOPY);
    return true;
}

}  // namespace figury
