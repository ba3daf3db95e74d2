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

} // namespace

std::vector<std::string> gf_readInstalledTitles(const fs::path& folder) {
    std::vector<std::string> titles;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) || gf_upperAscii(it->path().filename().string()) != "AIRCRAFT.CFG") continue;
        // Packages ship UTF-16 and ANSI files beside UTF-8 ones, as the simulator accepts them all.
        for (const std::string& line : gf_readLines(it->path(), 64)) {
            const auto equals = line.find('=');
            if (equals == std::string::npos || gf_upperAscii(lf_trim(line.substr(0, equals))) != "TITLE") continue;
            std::string value = line.substr(equals + 1);
            if (const auto comment = value.find(';'); comment != std::string::npos) value.resize(comment);
            value = lf_trim(value);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
            if (!value.empty()) titles.push_back(value);
        }
    }
    return titles;
}

} // namespace vorl::standin
