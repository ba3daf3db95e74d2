#pragma once
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace vorl {

// Readers of the reference files' layout: a "root" element holding named sections, each a list
// of equal elements. Structural faults throw UserErrorException (code 99).
pugi::xml_node gf_xmlSection(const pugi::xml_document& doc, std::string_view fileName, std::string_view section);

// The attribute of an element of `section`; empty text throws.
std::string gf_requiredAttribute(const pugi::xml_node& element, std::string_view section, std::string_view attribute);

// The `attribute` of every `element` of `section`.
std::vector<std::string> gf_readSection(const pugi::xml_document& doc, std::string_view fileName,
                                        std::string_view section, std::string_view element,
                                        std::string_view attribute);

// "A, B,C" -> {"A", "B", "C"}; empty items are dropped.
std::vector<std::string> gf_splitList(std::string_view text, char separator = ',');

} // namespace vorl
