#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "render/gdi_limits.h"
#include "render/picture_repair.h"
#include "render/canvas.h"

namespace figury {

// A box as GDI takes it. The boxes drawn or clipped to lie within 32 bits:
// those of marks are clamped to it, those of the picture lie inside it.
inline RECT rectOf(const Box& box) {
    return {static_cast<LONG>(box.left), static_cast<LONG>(box.top), static_cast<LONG>(box.right),
            static_cast<LONG>(box.bottom)};
}

// Draws the line from (x1, y1) to (x2, y2) with the context's pen, as
// MoveToEx and LineTo would, and leaves the current position at (x2, y2).
// GDI under Wine draws a line wrongly or not at all once an end lies too far
// out, sooner for a wide pen; such a line is first cut to the piece that
// crosses the clip box, with room for the pen, so that it shows as it should.
void drawLine(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The drawing interface on a paint's device context. The highlight pen is
// created at most once per paint and is deselected and deleted when the
// canvas goes, before EndPaint.
//
// Large figures: marks and lines that cannot reach the clip box cost no
// drawing call, lines go to GDI in batches, and on a plain true-colour
// context the point marks are stamped, in order, into arrays of the pixels
// that GDI's own ellipse gives and put on in two calls. Every pixel
// ends as one call per shape (one drawLine a line) would leave it.
class GdiCanvas final : public PictureCanvas {
public:
    // stampScratch, when given, keeps the marks' stamping arrays from canvas to canvas.
    explicit GdiCanvas(HDC dc, std::vector<uint32_t>* stampScratch = nullptr)
        : dc_(dc), stampScratch_(stampScratch) {}
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void pointMarks(const Point* points, size_t count, int32_t reach) override;
    void lines(const Line* lines, size_t count) override;
    void ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void moveTo(int32_t x, int32_t y) override;
    void lineTo(int32_t x, int32_t y) override;
    void textOut(int32_t x, int32_t y, const char* text, int length) override;
    void createHighlightPen(int width) override;
    void selectHighlightPen() override;
    void fillWhite(const Box& box) override;
    bool clipTo(const std::vector<Box>& boxes) override;
    void unclip() override;
    void finish() override;

private:
    // Whether the context draws as a fresh paint context does: stock black
    // pen, stock white brush, copy mode, one logical unit a pixel.
    bool freshContext() const;
    void releasePen();

    HDC dc_;
    std::vector<uint32_t>* stampScratch_;
    HPEN pen_ = nullptr;
    HGDIOBJ penBefore_ = nullptr;  // the context's own pen, put back before the highlight pen is deleted
};

}  // namespace figury
