#pragma once

#include <windows.h>

#include <cstdint>

namespace figury {

// A 32-bit top-down DIB section of width x height for dc; pixels gets its
// top row, or null when there is none.
inline HBITMAP createPixelBitmap(HDC dc, int width, int height, uint32_t*& pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = bitmap != nullptr ? static_cast<uint32_t*>(bits) : nullptr;
    return bitmap;
}

// A 32-bit top-down DIB section in a memory context of its own.
class PixelBuffer {
public:
    PixelBuffer(HDC like, int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(like);
        uint32_t* pixels = nullptr;
        bitmap_ = createPixelBitmap(dc_, width, height, pixels);
        if (dc_ != nullptr && bitmap_ != nullptr && pixels != nullptr) {
            bitmapBefore_ = SelectObject(dc_, bitmap_);
            pixels_ = pixels;
        }
    }
    ~PixelBuffer() {
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
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    bool ready() const { return pixels_ != nullptr; }
    HDC dc() const { return dc_; }
    // GDI may still be drawing into the pixels: flush before reading or writing them.
    uint32_t* pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ bitmapBefore_ = nullptr;
    uint32_t* pixels_ = nullptr;
};

}  // namespace figury
