#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace figury {

namespace e2e {

// An 8-bit RGB image, rows top to bottom, three bytes a pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    std::uint32_t pixel(int x, int y) const;  // 0x00RRGGBB
};

// Saves the image as a PNG file; false when it could not be written.
bool writePng(const std::string& path, const Image& image);

}  // namespace e2e

}  // namespace figury
