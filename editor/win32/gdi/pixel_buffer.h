#pragma once

#include <windows.h>

#include <cstdint>

namespace figury {

// The order of a DIB's rows in memory.
enum class RowOrder { topDown, bottomUp };

// How GDI is to read a DIB of width x height pixels of bitsPerPixel bits, with
// no colour table: a buffer's pixels, or pixels the program hands to GDI.
BITMAPINFO bitmapInfo(int width, int height, RowOrder order, int bitsPerPixel = 32);

// A buffer: a bitmap selected into a memory context of its own, made and
// released together. Most are top-down DIB sections of 32 bits, whose pixels
// the program reads and writes as well as GDI (24 and 16 bits are for tests
// of such screens); on a screen that does not keep colours as direct values,
// the window's picture and frame are bitmaps in the screen's own format
// instead, whose pixels only GDI reaches.
class PixelBuffer {
public:
    PixelBuffer() = default;  // none, not ready
    // A top-down DIB section in a memory context like `like`, the screen's when null.
    PixelBuffer(HDC like, int width, int height, int bitsPerPixel = 32);
    // A bitmap in like's own format, in a memory context like it.
    static PixelBuffer compatibleWith(HDC like, int width, int height);
    ~PixelBuffer();
    PixelBuffer(PixelBuffer&& other) noexcept;
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    // Whether the bitmap and its context were made; false when GDI had no room for them.
    bool ready() const { return ready_; }
    HDC dc() const { return dc_; }
    // The pixels of a ready 32-bit DIB section, top row first; null for other
    // buffers. GDI may still be drawing into them: flush before reading or
    // writing them, here and through bytes().
    uint32_t* pixels() const { return bitsPerPixel_ == 32 ? static_cast<uint32_t*>(bits_) : nullptr; }
    // A DIB section's rows, top first, each rowBytes() long; null for other buffers.
    uint8_t* bytes() const { return static_cast<uint8_t*>(bits_); }
    int rowBytes() const { return (width_ * bitsPerPixel_ + 31) / 32 * 4; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void select();
    void swap(PixelBuffer& other) noexcept;

    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;  // of a ready DIB section; 0 for other buffers
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ bitmapBefore_ = nullptr;
    void* bits_ = nullptr;  // of a ready DIB section
    bool ready_ = false;
};

}  // namespace figury
