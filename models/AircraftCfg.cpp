#include "models/AircraftCfg.h"

#include <string_view>

#include "common/TextCase.h"

namespace vorl {

AircraftCfg gf_parseAircraftCfg(const std::vector<std::string>& lines) {
    AircraftCfg cfg;
    enum class In { Other, General, Variation, Fltsim } in = In::Other;
    for (const std::string& raw : lines) {
        const std::string_view line = gf_trimmed(raw);
        if (line.empty() || line.rfind("//", 0) == 0 || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::string header = gf_lowerCase(line);
            if (header.rfind("[fltsim.", 0) == 0) {
                in = In::Fltsim;
                FltsimSection section;
                try {
                    section.number = std::stoi(header.substr(8));
                } catch (const std::exception&) {
                    section.number = -1;
                }
                cfg.sections.push_back(std::move(section));
            } else {
                in = header == "[general]" ? In::General : header == "[variation]" ? In::Variation : In::Other;
            }
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string key = gf_lowerCase(gf_trimmed(line.substr(0, eq)));
        std::string_view value = gf_trimmed(line.substr(eq + 1));
        // Values may be quoted and carry a trailing comment; a quoted value may hold a ';'.
        if (!value.empty() && value.front() == '"') {
            const auto close = value.find('"', 1);
            value = close == std::string_view::npos ? value.substr(1) : value.substr(1, close - 1);
        } else if (const auto comment = value.find(';'); comment != std::string_view::npos) {
            value = gf_trimmed(value.substr(0, comment));
        }
        if (in == In::General && key == "icao_type_designator") cfg.type = std::string(value);
        if (in == In::Variation && key == "base_container") cfg.baseContainer = std::string(value);
        if (in != In::Fltsim || cfg.sections.empty()) continue;
        FltsimSection& section = cfg.sections.back();
        if (key == "title") section.titles.emplace_back(value);
        else if (key == "icao_airline") section.airline = std::string(value);
        else if (key == "atc_id") section.registrations.emplace_back(value);
        else if (key == "atc_parking_types") section.parkingTypes.emplace_back(value);
        else if (key == "atc_parking_codes") ++section.parkingCodeKeys;
    }
    return cfg;
}

} // namespace vorl
