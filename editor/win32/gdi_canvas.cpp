#include "gdi_canvas.h"

namespace {
constexpr COLORREF highlightRed = RGB(255, 0, 0);
}

GdiCanvas::~GdiCanvas() { releasePen(); }

void GdiCanvas::ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Ellipse(dc_, left, top, right, bottom);
}

void GdiCanvas::moveTo(int32_t x, int32_t y) { MoveToEx(dc_, x, y, nullptr); }

void GdiCanvas::lineTo(int32_t x, int32_t y) { LineTo(dc_, x, y); }

void GdiCanvas::textOut(int32_t x, int32_t y, const char* text, int length) {
    TextOutA(dc_, x, y, text, length);
}

void GdiCanvas::createHighlightPen(int width) {
    releasePen();
    pen_ = CreatePen(PS_SOLID, width, highlightRed);
}

void GdiCanvas::selectHighlightPen() {
    if (pen_ == nullptr) {
        return;
    }
    HGDIOBJ before = SelectObject(dc_, pen_);
    if (penBefore_ == nullptr) {
        penBefore_ = before;
    }
}

void GdiCanvas::releasePen() {
    if (penBefore_ != nullptr) {
        SelectObject(dc_, penBefore_);
        penBefore_ = nullptr;
    }
    if (pen_ != nullptr) {
        DeleteObject(pen_);
        pen_ = nullptr;
    }
}
