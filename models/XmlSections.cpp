#include "models/XmlSections.h"

#include <fmt/format.h>

#include "common/UserErrorException.h"

namespace vorl {

pugi::xml_node gf_xmlSection(const pugi::xml_document& doc, std::string_view fileName, std::string_view section) {
    const pugi::xml_node root = doc.child("root");
    if (!root) throw UserErrorException(99, fmt::format("XML root missing: {}", fileName));
    const pugi::xml_node node = root.child(std::string(section).c_str());
    if (!node) throw UserErrorException(99, fmt::format("Missing section: {}", section));
    return node;
}

std::string gf_requiredAttribute(const pugi::xml_node& element, std::string_view section, std::string_view attribute) {
    std::string value = element.attribute(std::string(attribute).c_str()).as_string();
    if (value.empty())
        throw UserErrorException(99, fmt::format("In XML file section [{}], element [{}], attribute [{}] is empty.",
                                                 section, element.name(), attribute));
    return value;
}

std::vector<std::string> gf_readSection(const pugi::xml_document& doc, std::string_view fileName,
                                        std::string_view section, std::string_view element,
                                        std::string_view attribute) {
    std::vector<std::string> values;
    const std::string elementName(element); // the children range keeps a pointer to the name
    for (const pugi::xml_node node : gf_xmlSection(doc, fileName, section).children(elementName.c_str()))
        values.push_back(gf_requiredAttribute(node, section, attribute));
    return values;
}

std::vector<std::string> gf_splitList(std::string_view text, char separator) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view item = text.substr(start, end - start);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        if (!item.empty()) items.emplace_back(item);
        start = end + 1;
    }
    return items;
}

} // namespace vorl
