#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace pugi {
class xml_document;
}

namespace vorl {

// Writes the whole file or nothing: the bytes go to a temporary sibling first, which then
// replaces the target, so a crash or a full disk leaves the previous file as it was.
// Returns false with a reason in `error` when it fails.
bool gf_writeFileAtomically(const std::filesystem::path& path, std::string_view content, std::string* error = nullptr);

// Saves an XML document (UTF-8 with declaration, tab indented) the same all-or-nothing way.
bool gf_saveXmlAtomically(const pugi::xml_document& doc, const std::filesystem::path& path,
                          std::string* error = nullptr, const char* indent = "\t");

} // namespace vorl
