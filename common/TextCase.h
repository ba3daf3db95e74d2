#pragma once
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace vorl {

// Blanks (spaces, tabs, line ends) removed at both ends.
inline std::string_view gf_trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) text.remove_suffix(1);
    return text;
}

// ASCII lower case; the names compared this way (folders, keys, markers) are ASCII.
inline std::string gf_lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The "s" of a counted noun in the log's texts.
inline const char* gf_pluralS(std::size_t count) { return count == 1 ? "" : "s"; }

inline bool gf_containsNoCase(std::string_view text, std::string_view part) {
    return gf_lowerCase(text).find(gf_lowerCase(part)) != std::string::npos;
}

} // namespace vorl
