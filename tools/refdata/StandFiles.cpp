#include "tools/refdata/StandFiles.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "airports/AirportFileXml.h"
#include "common/Geodesy.h"
#include "common/SafeWrite.h"

namespace vorl::refdata {
namespace fs = std::filesystem;
namespace {

constexpr double kMinRadiusMeters = 7.5;
constexpr double kMaxRadiusMeters = 40.0;
constexpr double kMetersPerNm = 1852.0;

// Simulator parking types.
constexpr std::uint16_t kRampGa = 1, kRampGaSmall = 2, kRampCargo = 5, kGateSmall = 8, kGateMedium = 9, kGateHeavy = 10;

std::string lf_lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string lf_rest(std::istringstream& in) {
    std::string rest;
    std::getline(in, rest);
    const auto first = rest.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    rest = rest.substr(first);
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == ' ')) rest.pop_back();
    return rest;
}

// Ramp-start width codes A-F of the newer rows: the wingspan class of the largest aircraft.
double lf_radiusForSizeCode(char code) {
    switch (code) {
    case 'A': return 7.5;
    case 'B': return 12.0;
    case 'C': return 18.0;
    case 'D': return 26.0;
    case 'E': return 33.0;
    case 'F': return 40.0;
    default: return 0.0;
    }
}

std::uint16_t lf_parkingType(const StandSource& spot, double radiusMeters) {
    const std::string name = lf_lower(spot.name);
    if (name.find("cargo") != std::string::npos || name.find("freight") != std::string::npos) return kRampCargo;
    if (spot.kind == "tie_down" || spot.kind == "hangar" || name.find("ga ") == 0 || name.find("general") != std::string::npos)
        return radiusMeters < 12.0 ? kRampGaSmall : kRampGa;
    if (radiusMeters >= 30.0) return kGateHeavy;
    if (radiusMeters >= 18.0) return kGateMedium;
    return kGateSmall;
}

bool lf_isHeliName(const std::string& name) {
    const std::string lower = lf_lower(name);
    return lower.find("heli") != std::string::npos || (lower.size() >= 2 && lower[0] == 'h' && std::isdigit(static_cast<unsigned char>(lower[1])));
}

std::string lf_uniqueName(std::string name, std::map<std::string, int>& seen) {
    if (name.empty()) name = "Stand";
    const int n = ++seen[name];
    return n == 1 ? name : fmt::format("{} {}", name, n);
}

} // namespace

std::map<std::string, AirportSource> gf_readAptStands(const fs::path& aptDat) {
    std::ifstream in(aptDat);
    if (!in) throw std::runtime_error(fmt::format("cannot read '{}'", aptDat.string()));
    std::map<std::string, AirportSource> airports;
    AirportSource current;
    const auto finish = [&] {
        if (!current.icao.empty() && !current.stands.empty()) airports[current.icao] = std::move(current);
        current = {};
    };
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        int code = 0;
        if (!(row >> code)) continue;
        if (code == 1 || code == 16 || code == 17) {
            finish();
            int tower = 0, unused = 0;
            row >> current.elevationFeet >> tower >> unused >> current.icao;
            current.name = lf_rest(row);
            if (current.name.find("[X]") != std::string::npos) current.icao.clear(); // closed
            if (code != 1) current.icao.clear(); // sea and heliports hold no airliner stands
        } else if (code == 15 && !current.icao.empty()) {
            StandSource spot;
            row >> spot.lat >> spot.lon >> spot.headingDeg;
            spot.name = lf_rest(row);
            spot.heli = lf_isHeliName(spot.name);
            current.stands.push_back(std::move(spot));
        } else if (code == 1300 && !current.icao.empty()) {
            StandSource spot;
            std::string types;
            row >> spot.lat >> spot.lon >> spot.headingDeg >> spot.kind >> types;
            spot.name = lf_rest(row);
            spot.heli = types == "helos";
            current.stands.push_back(std::move(spot));
        } else if (code == 1301 && !current.icao.empty() && !current.stands.empty()) {
            std::string size;
            row >> size;
            if (!size.empty()) current.stands.back().radiusMeters = lf_radiusForSizeCode(size[0]);
        }
    }
    finish();
    return airports;
}

AirportSource gf_readLayoutStands(const fs::path& layoutJson) {
    std::ifstream in(layoutJson);
    if (!in) throw std::runtime_error(fmt::format("cannot read '{}'", layoutJson.string()));
    const auto layout = nlohmann::json::parse(in);
    AirportSource airport;
    airport.icao = layout.at("icao").get<std::string>();
    airport.name = layout.value("name", airport.icao);
    airport.elevationFeet = layout.value("elevation", 0);
    for (const auto& stand : layout.at("stands")) {
        StandSource spot;
        spot.name = stand.at("name").get<std::string>();
        spot.lat = stand.at("lat").get<double>();
        spot.lon = stand.at("lon").get<double>();
        spot.headingDeg = stand.at("heading").get<double>();
        spot.kind = "gate";
        spot.radiusMeters = stand.value("radius", 0.0);
        airport.stands.push_back(std::move(spot));
    }
    return airport;
}

AirportState gf_stockAirport(const AirportSource& source) {
    AirportState state;
    state.icao = source.icao;
    state.name = source.name;
    state.publisher = "stock";
    state.elevationFeet = source.elevationFeet;
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < source.stands.size(); ++i) {
        const StandSource& spot = source.stands[i];
        double radius = spot.radiusMeters;
        if (radius <= 0.0) {
            double nearest = 2 * kMaxRadiusMeters;
            for (std::size_t j = 0; j < source.stands.size(); ++j) {
                if (i == j) continue;
                const double meters = gf_distanceNm(spot.lat, spot.lon, source.stands[j].lat, source.stands[j].lon) * kMetersPerNm;
                if (meters > 0.5) nearest = std::min(nearest, meters); // a duplicate spot is no neighbour
            }
            radius = std::clamp(nearest / 2.0, kMinRadiusMeters, kMaxRadiusMeters);
        }
        Stand stand;
        stand.id = lf_uniqueName(spot.name, seen);
        stand.latitude = spot.lat;
        stand.longitude = spot.lon;
        stand.heading = gf_degToRad(std::fmod(spot.headingDeg + 360.0, 360.0));
        stand.radius = radius * kMetersToNm;
        stand.heli = spot.heli;
        stand.type = spot.heli ? 0 : lf_parkingType(spot, radius);
        stand.cargo = gf_isCargoParkingType(stand.type);
        stand.ramp = gf_isRampParkingType(stand.type);
        state.stands.push_back(std::move(stand));
    }
    return state;
}

int gf_standClass(std::size_t standCount) {
    if (standCount < 20) return 1;
    if (standCount < 100) return 2;
    return 3;
}

void gf_writeStockAirports(const std::vector<AirportState>& airports, const fs::path& out, const fs::path& classesFile) {
    fs::create_directories(out);
    std::string classes = "icao,stand_class\n";
    for (const AirportState& airport : airports) {
        std::string error;
        if (!gf_writeAirportFile(airport, out / (airport.icao + ".xml"), AirportFileKind::AirportFile, &error))
            throw std::runtime_error(fmt::format("cannot write {}: {}", airport.icao, error));
        classes += fmt::format("{},{}\n", airport.icao, gf_standClass(airport.stands.size()));
    }
    if (!gf_writeFileAtomically(classesFile, classes)) throw std::runtime_error("cannot write " + classesFile.string());
}

} // namespace vorl::refdata
