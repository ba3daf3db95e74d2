#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vorl {

// An opaque picture: 8-bit red, green and blue per pixel, rows top to bottom, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3 bytes
};

// The image as the bytes of a PNG file (8-bit RGB, not interlaced); empty when the image is
// empty, its pixels do not match its size, or it is too large for one compressed block.
std::string gf_encodePng(const RgbImage& image);

// Writes the image as a PNG file, all or nothing; false with the reason in `error`.
bool gf_writePng(const std::filesystem::path& file, const RgbImage& image, std::string* error = nullptr);

} // namespace vorl
