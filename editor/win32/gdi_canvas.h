#pragma once

#include <windows.h>

#include "view.h"

// The drawing interface on a paint's device context. The highlight pen is
// created at most once per paint and is deselected and deleted when the
// canvas goes, before EndPaint.
class GdiCanvas final : public Canvas {
public:
    explicit GdiCanvas(HDC dc) : dc_(dc) {}
    ~GdiCanvas() override;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    void ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void moveTo(int32_t x, int32_t y) override;
    void lineTo(int32_t x, int32_t y) override;
    void textOut(int32_t x, int32_t y, const char* text, int length) override;
    void createHighlightPen(int width) override;
    void selectHighlightPen() override;

private:
    void releasePen();

    HDC dc_;
    HPEN pen_ = nullptr;
    HGDIOBJ penBefore_ = nullptr;  // the context's own pen, put back before the highlight pen is deleted
};
