#include "tools/refdata/StandFiles.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "airports/AirportFileXml.h"
#include "common/Geodesy.h"
#include "common/SafeWrite.h"

namespace vorl::refdata {
namespace fs = std::filesystem;
namespace {

constexpr double kMetersPerNm = 1852.0;
constexpr double kDuplicateMeters = 1.0;
// The program joins two stands when their radii together exceed the distance by this factor;
// a pair that overlaps by less is widened past it, with room for the file's rounding to 0.1 m.
constexpr double kProgramOverlapFactor = 1.1;
constexpr double kRoundingRoomMeters = 0.3;
constexpr int kWideningPasses = 20;

// Simulator parking types.
constexpr std::uint16_t kNoType = 0, kRampGa = 1, kRampGaSmall = 2, kRampGaMedium = 3, kRampGaLarge = 4,
                        kRampCargo = 5, kRampMilCargo = 6, kRampMilCombat = 7, kGateSmall = 8,
                        kGateMedium = 9, kGateHeavy = 10;

std::string lf_lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool lf_has(const std::string& lowerText, const char* part) {
    return lowerText.find(part) != std::string::npos;
}

std::string lf_rest(std::istringstream& in) {
    std::string rest;
    std::getline(in, rest);
    const auto first = rest.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    rest = rest.substr(first);
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == ' '))
        rest.pop_back();
    return rest;
}

bool lf_isCode(const std::string& icao) {
    return icao.size() == 4 &&
           std::all_of(icao.begin(), icao.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
}

// Ramp-start width codes A-F of the newer rows: half the wingspan limit of the ICAO aerodrome
// reference codes (15, 24, 36, 52, 65, 80 m).
double lf_radiusForSizeCode(char code) {
    switch (code) {
    case 'A':
        return 7.5;
    case 'B':
        return 12.0;
    case 'C':
        return 18.0;
    case 'D':
        return 26.0;
    case 'E':
        return 32.5;
    case 'F':
        return 40.0;
    default:
        return 0.0;
    }
}

std::set<std::string> lf_aircraftKinds(const std::string& list) {
    std::set<std::string> kinds;
    std::istringstream in(list);
    for (std::string kind; std::getline(in, kind, '|');) {
        if (kind == "all")
            kinds.insert({"heavy", "jets", "turboprops", "props", "helos"});
        else if (!kind.empty())
            kinds.insert(kind);
    }
    return kinds;
}

// The largest fixed-wing kind a spot takes, or empty for helicopters only.
std::string lf_largestKind(const std::set<std::string>& kinds) {
    for (const char* kind : {"heavy", "jets", "turboprops", "props"})
        if (kinds.count(kind)) return kind;
    return {};
}

double lf_radiusForKind(const std::string& kind) {
    if (kind == "heavy") return kHeavyRadiusM;
    if (kind == "jets") return kJetRadiusM;
    if (kind == "turboprops") return kTurbopropRadiusM;
    if (kind == "props") return kPropRadiusM;
    return kHelipadRadiusM;
}

bool lf_isHeliName(const std::string& lower) {
    return lf_has(lower, "heli") ||
           (lower.size() >= 2 && lower[0] == 'h' && std::isdigit(static_cast<unsigned char>(lower[1])));
}

bool lf_isCargoName(const std::string& lower) {
    return lf_has(lower, "cargo") || lf_has(lower, "freight");
}

// Spots for holding, run-ups or engine tests are no places to park an aircraft.
bool lf_isNoStand(const std::string& lower) {
    return lf_has(lower, "hold") || lf_has(lower, "rwy") || lf_has(lower, "runway") ||
           lf_has(lower, "engine test") || lf_has(lower, "run-up") || lf_has(lower, "runup");
}

bool lf_isGaName(const std::string& lower) {
    std::string words = lower;
    std::replace_if(
        words.begin(), words.end(), [](unsigned char c) { return std::isalnum(c) == 0; }, ' ');
    std::istringstream in(words);
    for (std::string word; in >> word;)
        if (word == "ga" || word == "tie" || word == "aeroclub") return true;
    return lf_has(lower, "general aviation") || lf_has(lower, "tie-down") || lf_has(lower, "flying club");
}

struct Shape {
    double radiusM = 0.0;
    std::uint16_t type = kNoType;
    bool heli = false;
    bool ramp = false;
};

Shape lf_rampStartShape(const StandSource& spot) {
    const std::string name = lf_lower(spot.name);
    const std::string largest = lf_largestKind(spot.aircraft);
    Shape shape;
    if (largest.empty()) {
        shape.heli = true;
        shape.radiusM = spot.radiusMeters > 0 ? spot.radiusMeters : kHelipadRadiusM;
        return shape;
    }
    shape.radiusM = spot.radiusMeters > 0 ? spot.radiusMeters : lf_radiusForKind(largest);
    const bool airliner = largest == "heavy" || largest == "jets";
    if (lf_isCargoName(name) && airliner) {
        shape.type = kRampCargo;
    } else if (spot.kind == "gate") {
        shape.type = largest == "heavy"        ? kGateHeavy
                     : largest == "jets"       ? kGateMedium
                     : largest == "turboprops" ? kGateSmall
                                               : kRampGa;
    } else if (spot.kind == "tie_down" || spot.kind == "hangar") {
        shape.type = largest == "props"        ? kRampGaSmall
                     : largest == "turboprops" ? kRampGaMedium
                     : largest == "jets"       ? kRampGaLarge
                                               : kNoType;
        shape.ramp = true;
    } else {
        // "misc": an apron spot that says only which aircraft fit; the radius decides.
        shape.ramp = !airliner;
    }
    return shape;
}

Shape lf_groundnetShape(const StandSource& spot) {
    Shape shape;
    shape.radiusM = spot.radiusMeters > 0 ? spot.radiusMeters : kJetRadiusM;
    const double r = shape.radiusM;
    if (spot.kind == "cargo")
        shape.type = kRampCargo;
    else if (spot.kind == "mil-cargo")
        shape.type = kRampMilCargo;
    else if (spot.kind == "mil-fighter")
        shape.type = kRampMilCombat;
    else if (spot.kind == "ga")
        shape.type = r <= kPropRadiusM + 2.5        ? kRampGaSmall
                     : r <= kTurbopropRadiusM + 3.0 ? kRampGaMedium
                                                    : kRampGaLarge;
    else
        shape.type = r >= 30.0 ? kGateHeavy : r >= kJetRadiusM ? kGateMedium : kGateSmall;
    return shape;
}

// Start-up locations say nothing of the aircraft: a jet stand unless the name tells otherwise.
Shape lf_startupShape(const StandSource& spot) {
    const std::string name = lf_lower(spot.name);
    Shape shape;
    if (lf_isHeliName(name)) {
        shape.heli = true;
        shape.radiusM = kHelipadRadiusM;
    } else if (lf_isGaName(name)) {
        shape.radiusM = kPropRadiusM;
        shape.type = kRampGaSmall;
        shape.ramp = true;
    } else if (lf_has(name, "corporate") || lf_has(name, "business")) {
        shape.radiusM = kJetRadiusM;
        shape.type = kRampGaLarge;
        shape.ramp = true;
    } else if (lf_isCargoName(name)) {
        shape.radiusM = kJetRadiusM;
        shape.type = kRampCargo;
    } else {
        shape.radiusM = kJetRadiusM;
        shape.type = kGateMedium;
    }
    return shape;
}

std::string lf_uniqueName(std::string name, std::map<std::string, int>& seen) {
    if (name.empty()) name = "Stand";
    const int n = ++seen[name];
    return n == 1 ? name : fmt::format("{} {}", name, n);
}

double lf_meters(const StandSource& a, const StandSource& b) {
    return gf_distanceNm(a.lat, a.lon, b.lat, b.lon) * kMetersPerNm;
}
double lf_meters(const Stand& a, const Stand& b) {
    return gf_distanceNm(a.latitude, a.longitude, b.latitude, b.longitude) * kMetersPerNm;
}

double lf_roundUpToTenth(double meters) {
    return std::ceil(meters * 10.0 - 1e-9) / 10.0;
}

// Widens pairs that overlap by less than the program's margin; radii only grow, so a few passes
// settle every row of stands.
void lf_widenOverlaps(std::vector<StandSource>& spots, std::vector<double>& radii) {
    for (int pass = 0; pass < kWideningPasses; ++pass) {
        bool changed = false;
        for (std::size_t i = 0; i < spots.size(); ++i) {
            for (std::size_t j = i + 1; j < spots.size(); ++j) {
                const double d = lf_meters(spots[i], spots[j]);
                const double sum = radii[i] + radii[j];
                if (sum <= d || sum > kProgramOverlapFactor * d + kRoundingRoomMeters) continue;
                const double factor = (kProgramOverlapFactor * d + 2 * kRoundingRoomMeters) / sum;
                radii[i] = lf_roundUpToTenth(radii[i] * factor);
                radii[j] = lf_roundUpToTenth(radii[j] * factor);
                changed = true;
            }
        }
        if (!changed) return;
    }
}

// "N52 18.123" or "W004 45.6": hemisphere, degrees, decimal minutes.
double lf_groundnetAngle(const std::string& text) {
    std::istringstream in(text);
    char hemisphere = 0;
    double degrees = 0.0, minutes = 0.0;
    in >> hemisphere >> degrees >> minutes;
    if (!in && !in.eof()) throw std::runtime_error(fmt::format("bad groundnet coordinate '{}'", text));
    const double value = degrees + minutes / 60.0;
    return hemisphere == 'S' || hemisphere == 'W' ? -value : value;
}

} // namespace

std::map<std::string, AirportSource> gf_readAptStands(const fs::path& aptDat,
                                                      const std::set<std::string>& startupAirports) {
    std::ifstream in(aptDat);
    if (!in) throw std::runtime_error(fmt::format("cannot read '{}'", aptDat.string()));
    std::map<std::string, AirportSource> airports;
    AirportSource current;
    std::vector<StandSource> startups;
    const auto finish = [&] {
        if (!current.icao.empty() && !airports.count(current.icao)) {
            if (startupAirports.count(current.icao) && current.stands.empty()) {
                current.stands = std::move(startups);
                current.origin = StandOrigin::StartupLocations;
            }
            airports[current.icao] = std::move(current);
        }
        current = {};
        startups.clear();
    };
    std::string line;
    bool lastWasRamp = false;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        int code = 0;
        if (!(row >> code)) continue;
        const bool ramp = code == 1300;
        if (code == 1 || code == 16 || code == 17) {
            finish();
            int tower = 0, unused = 0;
            row >> current.elevationFeet >> tower >> unused >> current.icao;
            current.name = lf_rest(row);
            // Closed fields, sea and heliports and codes the program cannot hold are left out.
            if (code != 1 || current.name.find("[X]") != std::string::npos || !lf_isCode(current.icao))
                current.icao.clear();
        } else if (code == 15 && !current.icao.empty() && startupAirports.count(current.icao)) {
            StandSource spot;
            row >> spot.lat >> spot.lon >> spot.headingDeg;
            spot.name = lf_rest(row);
            if (!lf_isNoStand(lf_lower(spot.name))) startups.push_back(std::move(spot));
        } else if (ramp && !current.icao.empty()) {
            StandSource spot;
            std::string kinds;
            row >> spot.lat >> spot.lon >> spot.headingDeg >> spot.kind >> kinds;
            spot.aircraft = lf_aircraftKinds(kinds);
            spot.name = lf_rest(row);
            if (!lf_isNoStand(lf_lower(spot.name)))
                current.stands.push_back(std::move(spot));
            else {
                lastWasRamp = false;
                continue;
            }
        } else if (code == 1301 && lastWasRamp && !current.stands.empty()) {
            std::string size;
            row >> size;
            if (!size.empty()) current.stands.back().radiusMeters = lf_radiusForSizeCode(size[0]);
        }
        lastWasRamp = ramp;
    }
    finish();
    return airports;
}

AirportSource gf_readGroundnet(const fs::path& groundnetXml) {
    pugi::xml_document doc;
    if (!doc.load_file(groundnetXml.c_str()))
        throw std::runtime_error(fmt::format("cannot read '{}'", groundnetXml.string()));
    AirportSource airport;
    const std::string file = groundnetXml.filename().string();
    airport.icao = file.substr(0, file.find('.'));
    airport.origin = StandOrigin::Groundnet;
    for (const auto parking : doc.child("groundnet").child("parkingList").children("Parking")) {
        StandSource spot;
        spot.name =
            std::string(parking.attribute("name").as_string()) + parking.attribute("number").as_string();
        std::replace(spot.name.begin(), spot.name.end(), '_', ' ');
        spot.lat = lf_groundnetAngle(parking.attribute("lat").as_string());
        spot.lon = lf_groundnetAngle(parking.attribute("lon").as_string());
        spot.headingDeg = parking.attribute("heading").as_double();
        spot.radiusMeters = parking.attribute("radius").as_double();
        spot.kind = parking.attribute("type").as_string();
        airport.stands.push_back(std::move(spot));
    }
    return airport;
}

AirportSource gf_readLayoutStands(const fs::path& layoutJson) {
    std::ifstream in(layoutJson);
    if (!in) throw std::runtime_error(fmt::format("cannot read '{}'", layoutJson.string()));
    const auto layout = nlohmann::json::parse(in);
    AirportSource airport;
    airport.icao = layout.at("icao").get<std::string>();
    airport.name = layout.value("name", airport.icao);
    airport.elevationFeet = layout.value("elevation", 0);
    airport.origin = StandOrigin::MadeUpLayout;
    for (const auto& stand : layout.at("stands")) {
        StandSource spot;
        spot.name = stand.at("name").get<std::string>();
        spot.lat = stand.at("lat").get<double>();
        spot.lon = stand.at("lon").get<double>();
        spot.headingDeg = stand.at("heading").get<double>();
        spot.radiusMeters = stand.value("radius", 0.0);
        airport.stands.push_back(std::move(spot));
    }
    return airport;
}

AirportState gf_stockAirport(const AirportSource& source) {
    std::vector<StandSource> spots;
    for (const StandSource& spot : source.stands) {
        const bool duplicate = std::any_of(spots.begin(), spots.end(), [&](const StandSource& kept) {
            return lf_meters(kept, spot) < kDuplicateMeters;
        });
        if (!duplicate) spots.push_back(spot);
    }
    std::vector<Shape> shapes;
    for (const StandSource& spot : spots) {
        switch (source.origin) {
        case StandOrigin::RampStarts:
            shapes.push_back(lf_rampStartShape(spot));
            break;
        case StandOrigin::Groundnet:
            shapes.push_back(lf_groundnetShape(spot));
            break;
        case StandOrigin::StartupLocations:
            shapes.push_back(lf_startupShape(spot));
            break;
        case StandOrigin::MadeUpLayout: {
            // The layout gives no sizes: as large as a heavy where the made-up spacing leaves room.
            double nearest = 2 * kHeavyRadiusM;
            for (const StandSource& other : spots)
                if (&other != &spot) nearest = std::min(nearest, lf_meters(spot, other));
            StandSource gate = spot;
            gate.kind = "gate";
            gate.radiusMeters =
                spot.radiusMeters > 0 ? spot.radiusMeters : std::floor(nearest / 2.0 * 10.0) / 10.0;
            shapes.push_back(lf_groundnetShape(gate));
            break;
        }
        }
    }
    std::vector<double> radii;
    for (const Shape& shape : shapes)
        radii.push_back(shape.radiusM);
    lf_widenOverlaps(spots, radii);

    AirportState state;
    state.icao = source.icao;
    state.name = source.name.empty() ? source.icao : source.name;
    state.publisher = "stock";
    state.elevationFeet = source.elevationFeet;
    std::map<std::string, int> seen;
    for (std::size_t i = 0; i < spots.size(); ++i) {
        const StandSource& spot = spots[i];
        Stand stand;
        stand.id = lf_uniqueName(spot.name, seen);
        stand.latitude = spot.lat;
        stand.longitude = spot.lon;
        stand.heading = gf_degToRad(std::fmod(std::fmod(spot.headingDeg, 360.0) + 360.0, 360.0));
        stand.radius = radii[i] * kMetersToNm;
        stand.heli = shapes[i].heli;
        stand.type = shapes[i].type;
        stand.cargo = gf_isCargoParkingType(stand.type);
        stand.ramp = stand.type != kNoType ? gf_isRampParkingType(stand.type) : shapes[i].ramp;
        state.stands.push_back(std::move(stand));
    }
    return state;
}

std::vector<std::pair<std::size_t, std::size_t>> gf_overlapsNotAdjacent(const std::vector<Stand>& stands) {
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < stands.size(); ++i) {
        for (std::size_t j = i + 1; j < stands.size(); ++j) {
            const double d = lf_meters(stands[i], stands[j]);
            const double sum = (stands[i].radius + stands[j].radius) / kMetersToNm;
            if (sum > d && sum <= kProgramOverlapFactor * d) pairs.emplace_back(i, j);
        }
    }
    return pairs;
}

int gf_standClass(std::size_t standCount) {
    if (standCount < 20) return 1;
    if (standCount < 100) return 2;
    return 3;
}

std::string gf_originNote(StandOrigin origin) {
    constexpr const char* kFlightGear =
        "FlightGear data (Debian package flightgear-data-base 2020.3.16), GPL-2+";
    switch (origin) {
    case StandOrigin::RampStarts:
        return fmt::format(
            "Stands: ramp starts (rows 1300) of apt.dat (X-Plane 1000 layout, data cycle 2013.10), {}. "
            "Radii from the largest aircraft kind allowed.",
            kFlightGear);
    case StandOrigin::Groundnet:
        return fmt::format("Stands: parkings of the airport's groundnet file, {}. Radii as given there.",
                           kFlightGear);
    case StandOrigin::StartupLocations:
        return fmt::format(
            "Stands: start-up locations (rows 15) of apt.dat (data cycle 2013.10), {}. They name no "
            "aircraft kinds: jet stands (18 m) unless named for helicopters, general aviation or cargo.",
            kFlightGear);
    case StandOrigin::MadeUpLayout:
        return "MADE UP: the demo scenario's stand layout (tools/scenario), not the airport's real stands. "
               "The open data holds no ramp starts or groundnet parkings for this airport.";
    }
    return {};
}

void gf_writeStockAirports(const std::vector<AirportState>& airports, const fs::path& out,
                           const fs::path& classesFile,
                           const std::map<std::string, std::string>& sourceNotes) {
    fs::create_directories(out);
    std::string classes = "icao,stand_class\n";
    for (const AirportState& airport : airports) {
        const fs::path file = out / (airport.icao + ".xml");
        std::string error;
        if (!gf_writeAirportFile(airport, file, AirportFileKind::AirportFile, &error))
            throw std::runtime_error(fmt::format("cannot write {}: {}", airport.icao, error));
        const auto note = sourceNotes.find(airport.icao);
        if (note != sourceNotes.end()) {
            std::ifstream in(file, std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            in.close();
            const auto afterDeclaration = text.rfind("?>", 64) == std::string::npos ? 0 : text.find('\n') + 1;
            text.insert(afterDeclaration, fmt::format("<!-- {} -->\n", note->second));
            if (!gf_writeFileAtomically(file, text))
                throw std::runtime_error("cannot write " + file.string());
        }
        classes += fmt::format("{},{}\n", airport.icao, gf_standClass(airport.stands.size()));
    }
    if (!gf_writeFileAtomically(classesFile, classes))
        throw std::runtime_error("cannot write " + classesFile.string());
}

} // namespace vorl::refdata
