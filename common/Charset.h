#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vorl {

// Character sets a text file of the user's installation may come in.
enum class Charset { ANSI = 0, Unicode = 1, Unicode_big_endian = 2, UTF8_with_BOM = 3, UTF8_without_BOM = 4, none_found = 5 };

const char* gf_charsetName(Charset charset);

// Guesses the character set from the byte-order mark, zero bytes and a strict UTF-8 check
// of the first 4096 bytes. A file that cannot be opened is "none_found".
Charset gf_detectCharset(const std::filesystem::path& path);

// Reads the file as lines of UTF-8 (line ends "\n" or "\r\n" removed). ANSI text is read as
// Windows-1252. Throws std::runtime_error for a charset it cannot read; a read error is
// logged and gives false.
bool gf_readTextFile(Charset charset, const std::filesystem::path& path, std::vector<std::string>& lines);

// Reads a file's lines, whatever its character set; {"open_failed"} when it cannot be read.
std::vector<std::string> gf_readLines(const std::filesystem::path& path, std::size_t expectedCount);

// Splits text into lines at "\n", dropping a "\r" before it; a last empty line is not kept.
std::vector<std::string> gf_splitLines(const std::string& text);

// The whole file as bytes; throws std::runtime_error when it cannot be read.
std::string gf_readFileBytes(const std::filesystem::path& path);

} // namespace vorl
