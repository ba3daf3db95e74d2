#include "common/Charset.h"

#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fmt/format.h>

#include "common/Log.h"
#include "common/TextConversion.h"

namespace fs = std::filesystem;

namespace vorl {

const char* gf_charsetName(Charset charset) {
    switch (charset) {
    case Charset::ANSI: return "ANSI";
    case Charset::Unicode: return "Unicode";
    case Charset::Unicode_big_endian: return "Unicode_big_endian";
    case Charset::UTF8_with_BOM: return "UTF8_with_BOM";
    case Charset::UTF8_without_BOM: return "UTF8_without_BOM";
    case Charset::none_found: return "none_found";
    }
    return "none_found";
}

namespace {

// The window of the first bytes may end inside a character: a cut sequence of at most three
// bytes at its end does not make the text invalid.
bool lf_isUtf8Window(std::string_view bytes, bool cut) {
    if (gf_isValidUtf8(bytes)) return true;
    if (!cut) return false;
    for (std::size_t drop = 1; drop <= 3 && drop <= bytes.size(); ++drop) {
        const auto lead = static_cast<unsigned char>(bytes[bytes.size() - drop]);
        if (lead >= 0xC2 && lead <= 0xF4) return gf_isValidUtf8(bytes.substr(0, bytes.size() - drop));
    }
    return false;
}

} // namespace

Charset gf_detectCharset(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Charset::none_found;
    std::array<unsigned char, 4> b{};
    in.read(reinterpret_cast<char*>(b.data()), 4);
    const auto n = in.gcount();
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return Charset::UTF8_with_BOM;
    if (n >= 2) {
        const bool bigEndianMark = b[0] == 0xFE && b[1] == 0xFF;
        if (b[0] == 0xFF && b[1] == 0xFE) return Charset::Unicode;
        if (b[1] == 0 && (n < 4 || b[3] == 0) && !bigEndianMark) return Charset::Unicode;
        if (bigEndianMark) return Charset::Unicode_big_endian;
        if (b[0] == 0 && (n < 4 || b[2] == 0)) return Charset::Unicode_big_endian;
    }
    in.clear();
    in.seekg(0);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const bool cut = !in.eof();
    return lf_isUtf8Window(head, cut) ? Charset::UTF8_without_BOM : Charset::ANSI;
}

std::string gf_readFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(fmt::format("cannot open {}", path.string()));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error(fmt::format("cannot read {}", path.string()));
    return bytes;
}

std::vector<std::string> gf_splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        lines.emplace_back(text, start, stop - start);
        start = end + 1;
    }
    return lines;
}

bool gf_readTextFile(Charset charset, const fs::path& path, std::vector<std::string>& lines) {
    if (charset == Charset::none_found)
        throw std::runtime_error(fmt::format("file {} has unknown charset: {}", path.string(), gf_charsetName(charset)));
    std::string bytes;
    try {
        bytes = gf_readFileBytes(path);
    } catch (const std::exception& e) {
        logLine("Read failed for '{}': {}", path.string(), e.what());
        return false;
    }
    std::string text;
    switch (charset) {
    case Charset::UTF8_with_BOM:
    case Charset::UTF8_without_BOM:
        if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
        text = std::move(bytes);
        break;
    case Charset::ANSI: text = gf_cp1252ToUtf8(bytes); break;
    case Charset::Unicode:
    case Charset::Unicode_big_endian: {
        const bool big = charset == Charset::Unicode_big_endian;
        text = gf_utf16BytesToUtf8(bytes, big);
        if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        break;
    }
    case Charset::none_found: break;
    }
    auto split = gf_splitLines(text);
    lines.insert(lines.end(), std::make_move_iterator(split.begin()), std::make_move_iterator(split.end()));
    return true;
}

std::vector<std::string> gf_readLines(const fs::path& path, std::size_t expectedCount) {
    const Charset charset = gf_detectCharset(path);
    std::vector<std::string> lines;
    lines.reserve(expectedCount);
    if (charset == Charset::none_found || !gf_readTextFile(charset, path, lines)) return {"open_failed"};
    return lines;
}

} // namespace vorl
