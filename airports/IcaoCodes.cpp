#include "airports/IcaoCodes.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <string>

#include "common/Log.h"

namespace vorl {

IcaoSet gf_readIcaoList(const std::filesystem::path& file) {
    IcaoSet codes;
    std::ifstream in(file);
    if (!in) {
        logLine("File '{}' is missing?", file.string());
        return codes;
    }
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
        if (IcaoCode::isValid(line)) codes.emplace(line);
    }
    logLine("{} ICAO codes of airports read", codes.size());
    return codes;
}

std::optional<IcaoCode> gf_extractIcaoCode(std::string_view text, const IcaoSet& icaoList,
                                           const AirportDatabase& database) {
    static const std::regex kFourCharacterRun("(?:^|[^A-Z0-9])([A-Z0-9]{4})(?=$|[^A-Z0-9])", std::regex::ECMAScript);
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    std::optional<IcaoCode> candidate;
    for (auto it = std::sregex_iterator(upper.begin(), upper.end(), kFourCharacterRun); it != std::sregex_iterator(); ++it) {
        const IcaoCode code((*it)[1].str());
        if (icaoList.count(code) == 0) continue;
        candidate = code;
        if (database.isKnownAirport(code)) return code;
    }
    return candidate;
}

} // namespace vorl
