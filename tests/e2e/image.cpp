#include "image.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace figury {

namespace e2e {

std::uint32_t Image::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0xFFFFFFFFu;
    }
    std::size_t i =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
}

bool writePng(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() !=
            3 * static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        return false;
    }
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(), 3 * image.width) != 0;
}

}  // namespace e2e

}  // namespace figury
