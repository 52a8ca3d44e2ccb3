#include "editor/win32/gdi/pixel_buffer.h"

#include <utility>

namespace figury {

BITMAPINFO bitmapInfo(int width, int height, RowOrder order, int bitsPerPixel) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = order == RowOrder::topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

PixelBuffer::PixelBuffer(HDC like, int width, int height, int bitsPerPixel) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(like);
    const BITMAPINFO info = bitmapInfo(width, height, RowOrder::topDown, bitsPerPixel);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ != nullptr && bitmap_ != nullptr && bits != nullptr) {
        select();
        bits_ = bits;
        bitsPerPixel_ = bitsPerPixel;
    }
}

PixelBuffer PixelBuffer::compatibleWith(HDC like, int width, int height) {
    PixelBuffer buffer;
    buffer.width_ = width;
    buffer.height_ = height;
    buffer.dc_ = CreateCompatibleDC(like);
    buffer.bitmap_ = CreateCompatibleBitmap(like, width, height);
    if (buffer.dc_ != nullptr && buffer.bitmap_ != nullptr) {
        buffer.select();
    }
    return buffer;
}

PixelBuffer::~PixelBuffer() {
    if (bitmapBefore_ != nullptr) {
        SelectObject(dc_, bitmapBefore_);
    }
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
    }
    if (dc_ != nullptr) {
        DeleteDC(dc_);
    }
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept {
    swap(other);
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
    PixelBuffer(std::move(other)).swap(*this);  // what this held goes with the temporary
    return *this;
}

void PixelBuffer::select() {
    bitmapBefore_ = SelectObject(dc_, bitmap_);
    ready_ = true;
}

void PixelBuffer::swap(PixelBuffer& other) noexcept {
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(bitsPerPixel_, other.bitsPerPixel_);
    std::swap(dc_, other.dc_);
    std::swap(bitmap_, other.bitmap_);
    std::swap(bitmapBefore_, other.bitmapBefore_);
    std::swap(bits_, other.bits_);
    std::swap(ready_, other.ready_);
}

}  // namespace figury
