#include "common/Version.h"

#include <regex>
#include <stdexcept>

#include <fmt/format.h>

#include "common/VersionInfo.h"

namespace vorl {

VersionData VersionData::parse(std::string_view text) {
    static const std::regex pattern(R"((\d+)\.(\d+)\.(\d+))");
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_search(text.begin(), text.end(), match, pattern)) throw std::invalid_argument("invalid version format");
    try {
        return {std::stoi(match[1].str()), std::stoi(match[2].str()), std::stoi(match[3].str())};
    } catch (const std::exception&) {
        throw std::invalid_argument("parse error in version string");
    }
}

std::string VersionData::text() const { return fmt::format("{}.{}.{}", major, minor, patch); }

VersionData gf_runningVersion() { return {kVersionMajor, kVersionMinor, kVersionPatch}; }

} // namespace vorl
