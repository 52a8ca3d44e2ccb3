#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// An 8-bit RGB image, rows top to bottom, three bytes a pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    std::uint32_t pixel(int x, int y) const;  // 0x00RRGGBB
};

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

// A complete PNG file; the pixels go into stored (uncompressed) deflate blocks,
// which every reader accepts and which keeps the writer trivially correct.
std::vector<std::uint8_t> encodePng(const Image& image);

bool writePng(const std::string& path, const Image& image);

}  // namespace e2e
