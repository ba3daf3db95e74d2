#include "standins/sim/InstalledTitles.h"

#include "common/Charset.h"
#include "common/Folders.h"

namespace fs = std::filesystem;

namespace vorl::standin {
namespace {

std::string lf_trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string lf_value(const std::string& line, std::size_t equals) {
    std::string value = line.substr(equals + 1);
    if (const auto comment = value.find(';'); comment != std::string::npos) value.resize(comment);
    value = lf_trim(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::vector<InstalledAircraft> gf_readInstalledAircraft(const fs::path& folder) {
    std::vector<InstalledAircraft> all;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) || gf_upperAscii(it->path().filename().string()) != "AIRCRAFT.CFG") continue;
        // The category belongs to the whole file: every livery of a helicopter is a helicopter.
        std::string category = "Airplane";
        std::vector<std::string> titles;
        std::string section;
        // Packages ship UTF-16 and ANSI files beside UTF-8 ones, as the simulator accepts them all.
        for (const std::string& line : gf_readLines(it->path(), 64)) {
            const std::string trimmed = lf_trim(line);
            if (!trimmed.empty() && trimmed.front() == '[') {
                section = gf_upperAscii(trimmed);
                continue;
            }
            const auto equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = gf_upperAscii(lf_trim(line.substr(0, equals)));
            const std::string value = lf_value(line, equals);
            if (key == "TITLE" && !value.empty()) titles.push_back(value);
            else if (key == "CATEGORY" && section == "[GENERAL]" && gf_upperAscii(value) == "HELICOPTER")
                category = "Helicopter";
        }
        for (std::string& title : titles) all.push_back({std::move(title), category});
    }
    return all;
}

std::vector<std::string> gf_readInstalledTitles(const fs::path& folder) {
    std::vector<std::string> titles;
    for (InstalledAircraft& aircraft : gf_readInstalledAircraft(folder)) titles.push_back(std::move(aircraft.title));
    return titles;
}

} // namespace vorl::standin
