#include "models/AircraftCfg.h"

#include <algorithm>
#include <string_view>

#include "common/TextCase.h"

namespace vorl {

namespace {

// The file's lines split once more at a lone carriage return: files edited on different
// systems mix CRLF, LF and CR line ends.
std::vector<std::string_view> lf_splitAtCr(const std::vector<std::string>& lines) {
    std::vector<std::string_view> parts;
    parts.reserve(lines.size());
    for (const std::string& line : lines) {
        std::string_view rest(line);
        for (auto cr = rest.find('\r'); cr != std::string_view::npos; cr = rest.find('\r')) {
            parts.push_back(rest.substr(0, cr));
            rest.remove_prefix(cr + 1);
        }
        parts.push_back(rest);
    }
    return parts;
}

// An unquoted value ends where a ";" comment or a "//" comment after a blank begins.
std::string_view lf_uncommented(std::string_view value) {
    std::size_t end = value.find(';');
    for (auto slashes = value.find("//"); slashes != std::string_view::npos; slashes = value.find("//", slashes + 2))
        if (slashes == 0 || value[slashes - 1] == ' ' || value[slashes - 1] == '\t') {
            end = std::min(end, slashes);
            break;
        }
    return end == std::string_view::npos ? value : gf_trimmed(value.substr(0, end));
}

} // namespace

AircraftCfg gf_parseAircraftCfg(const std::vector<std::string>& lines) {
    AircraftCfg cfg;
    enum class In { Other, General, Variation, Fltsim } in = In::Other;
    for (const std::string_view raw : lf_splitAtCr(lines)) {
        const std::string_view line = gf_trimmed(raw);
        if (line.empty() || line.rfind("//", 0) == 0 || line.front() == ';') continue;
        if (line.front() == '[') {
            // The name ends at its bracket; a comment may follow it.
            const auto close = line.find(']');
            const std::string header =
                gf_lowerCase(line.substr(0, close == std::string_view::npos ? line.size() : close + 1));
            if (header.rfind("[fltsim.", 0) == 0) {
                in = In::Fltsim;
                FltsimSection section;
                try {
                    section.number = std::stoi(header.substr(8));
                } catch (const std::exception&) {
                    // "[FLTSIM.%]" and the like: a number no section may have.
                    section.number = -1;
                }
                cfg.sections.push_back(std::move(section));
            } else {
                // MSFS 2024 names the livery's base in [LIVERY], MSFS 2020 in [VARIATION].
                in = header == "[general]"                            ? In::General
                     : header == "[variation]" || header == "[livery]" ? In::Variation
                                                                       : In::Other;
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
        } else {
            value = lf_uncommented(value);
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
