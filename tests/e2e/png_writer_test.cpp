// The screenshots must open anywhere: check the checksums against their
// published check values and read the stored blocks back.

#include <gtest/gtest.h>

#include <string>

#include "png_writer.h"

namespace e2e {
namespace {

std::uint32_t readU32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

TEST(PngWriter, ChecksumsMatchTheirCheckValues) {
    const std::string digits = "123456789";
    const auto* d = reinterpret_cast<const std::uint8_t*>(digits.data());
    EXPECT_EQ(crc32(d, digits.size()), 0xCBF43926u);
    EXPECT_EQ(adler32(d, digits.size()), 0x091E01DEu);
    EXPECT_EQ(crc32(d, 0), 0u);
    EXPECT_EQ(adler32(d, 0), 1u);
    // Running sums continue across pieces.
    EXPECT_EQ(crc32(d + 4, 5, crc32(d, 4)), 0xCBF43926u);
    EXPECT_EQ(adler32(d + 4, 5, adler32(d, 4)), 0x091E01DEu);
}

// Walks the chunks, checks every CRC and inflates the stored blocks.
std::vector<std::uint8_t> pixelsOf(const std::vector<std::uint8_t>& png, int* width, int* height) {
    std::vector<std::uint8_t> zlib;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        std::uint32_t len = readU32(png, at);
        std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4), png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        EXPECT_EQ(readU32(png, at + 8 + len), crc32(png.data() + at + 4, len + 4)) << type;
        if (type == "IHDR") {
            *width = static_cast<int>(readU32(png, at + 8));
            *height = static_cast<int>(readU32(png, at + 12));
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                        png.begin() + static_cast<std::ptrdiff_t>(at + 8 + len));
        }
        at += 12 + len;
    }
    EXPECT_EQ(at, png.size());
    std::vector<std::uint8_t> raw;
    std::size_t p = 2;
    bool last = false;
    while (!last && p + 5 <= zlib.size()) {
        last = zlib[p] & 1;
        std::size_t len = zlib[p + 1] | (zlib[p + 2] << 8);
        EXPECT_EQ(len ^ 0xFFFFu, std::size_t(zlib[p + 3] | (zlib[p + 4] << 8)));
        raw.insert(raw.end(), zlib.begin() + static_cast<std::ptrdiff_t>(p + 5),
                   zlib.begin() + static_cast<std::ptrdiff_t>(p + 5 + len));
        p += 5 + len;
    }
    EXPECT_TRUE(last);
    EXPECT_EQ(p + 4, zlib.size());
    EXPECT_EQ(readU32(zlib, p), adler32(raw.data(), raw.size()));
    return raw;
}

TEST(PngWriter, SmallAndMultiBlockImagesReadBack) {
    for (int width : {1, 3, 200}) {
        SCOPED_TRACE(width);
        Image image;
        image.width = width;
        image.height = width == 200 ? 150 : 2;  // 200 x 150 needs two stored blocks
        for (int i = 0; i < width * image.height * 3; ++i) {
            image.rgb.push_back(static_cast<std::uint8_t>(i * 7));
        }
        std::vector<std::uint8_t> png = encodePng(image);
        ASSERT_GT(png.size(), 8u);
        EXPECT_EQ(std::string(png.begin(), png.begin() + 8), "\x89PNG\r\n\x1A\n");
        int w = 0, h = 0;
        std::vector<std::uint8_t> raw = pixelsOf(png, &w, &h);
        EXPECT_EQ(w, image.width);
        EXPECT_EQ(h, image.height);
        std::vector<std::uint8_t> expected;
        for (int y = 0; y < image.height; ++y) {
            expected.push_back(0);
            expected.insert(expected.end(), image.rgb.begin() + y * width * 3, image.rgb.begin() + (y + 1) * width * 3);
        }
        EXPECT_EQ(raw, expected);
    }
}

}  // namespace
}  // namespace e2e
