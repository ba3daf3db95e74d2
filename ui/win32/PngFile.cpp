#include "ui/win32/PngFile.h"

#include <array>

#include <zlib.h>

#include "common/SafeWrite.h"

namespace vorl {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
// Each row starts with its filter type; "Sub" stores each byte as the difference to the same
// colour of the pixel on its left, which turns the window's flat areas into runs of zeros.
constexpr std::uint8_t kFilterSub = 1;
constexpr std::size_t kBytesPerPixel = 3;
constexpr std::size_t kMaxFilteredBytes = std::size_t{1} << 30;
constexpr std::size_t kMaxRowBytes = std::size_t{1} << 24;

void lf_appendBigEndian(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>((value >> 24) & 0xff));
    out.push_back(static_cast<char>((value >> 16) & 0xff));
    out.push_back(static_cast<char>((value >> 8) & 0xff));
    out.push_back(static_cast<char>(value & 0xff));
}

// A chunk is its length, its four-letter type, its data and the CRC of type and data.
void lf_appendChunk(std::string& out, const char (&type)[5], const std::string& data) {
    lf_appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    const auto* crcStart = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    const uLong crc = crc32(0L, crcStart, static_cast<uInt>(out.size() - typeAt));
    lf_appendBigEndian(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> lf_filteredRows(const RgbImage& image) {
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * kBytesPerPixel;
    std::vector<std::uint8_t> rows;
    rows.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        rows.push_back(kFilterSub);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const std::uint8_t left = i >= kBytesPerPixel ? row[i - kBytesPerPixel] : 0;
            rows.push_back(static_cast<std::uint8_t>(row[i] - left));
        }
    }
    return rows;
}

} // namespace

std::string gf_encodePng(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    const auto width = static_cast<std::size_t>(image.width);
    const auto height = static_cast<std::size_t>(image.height);
    // zlib counts in uLong, which is 32 bits on Windows: one compress2 call, with its output
    // bound, must fit in it. A gibibyte is far beyond any window.
    if (width > kMaxRowBytes / kBytesPerPixel || height > kMaxFilteredBytes / (width * kBytesPerPixel + 1))
        return {};
    if (image.pixels.size() != width * height * kBytesPerPixel) return {};

    const std::vector<std::uint8_t> rows = lf_filteredRows(image);
    uLongf compressedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string compressed(compressedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize, rows.data(),
                  static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    compressed.resize(compressedSize);

    std::string header;
    lf_appendBigEndian(header, static_cast<std::uint32_t>(image.width));
    lf_appendBigEndian(header, static_cast<std::uint32_t>(image.height));
    header.push_back(8); // bits per sample
    header.push_back(2); // colour type: RGB
    header.push_back(0); // compression: deflate
    header.push_back(0); // filter method: adaptive (per-row filter types)
    header.push_back(0); // not interlaced

    std::string png(kSignature.begin(), kSignature.end());
    lf_appendChunk(png, "IHDR", header);
    lf_appendChunk(png, "IDAT", compressed);
    lf_appendChunk(png, "IEND", {});
    return png;
}

bool gf_writePng(const std::filesystem::path& file, const RgbImage& image, std::string* error) {
    const std::string png = gf_encodePng(image);
    if (png.empty()) {
        if (error) *error = "the picture could not be encoded";
        return false;
    }
    return gf_writeFileAtomically(file, png, error);
}

} // namespace vorl
