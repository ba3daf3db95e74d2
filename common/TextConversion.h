#pragma once
#include <string>
#include <string_view>

namespace vorl {

// Strict UTF-8 -> UTF-16; throws std::runtime_error "utf8_to_wide: invalid UTF-8".
std::u16string utf8_to_wide(std::string_view utf8);

// UTF-16 -> UTF-8; throws std::runtime_error "wide_to_utf8: invalid UTF-16" on a lone surrogate.
std::string wide_to_utf8(std::u16string_view wide);

// UTF-16 in bytes (little or big endian) -> UTF-8; an odd last byte is dropped.
std::string gf_utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// Windows-1252 ("ANSI" text of Windows machines) -> UTF-8; undefined bytes become U+FFFD.
std::string gf_cp1252ToUtf8(std::string_view text);

// True when the bytes are strict UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool gf_isValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of one code point.
void gf_appendUtf8(std::string& out, char32_t codePoint);

} // namespace vorl
