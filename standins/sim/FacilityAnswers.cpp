#include "standins/sim/FacilityAnswers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <tuple>
#include <variant>

#include "airports/AirportDatabase.h"
#include "airports/BglReader.h"

namespace vorl::standin {
namespace {

using namespace simconnect;

enum class FieldKind { Float64, Float32, Int32, String8, String32, String64 };

const std::map<std::string, std::map<std::string, FieldKind>>& lf_fieldTables() {
    static const std::map<std::string, std::map<std::string, FieldKind>> tables{
        {"AIRPORT",
         {{"LATITUDE", FieldKind::Float64}, {"LONGITUDE", FieldKind::Float64}, {"ALTITUDE", FieldKind::Float64},
          {"MAGVAR", FieldKind::Float32}, {"NAME", FieldKind::String32}, {"NAME64", FieldKind::String64},
          {"ICAO", FieldKind::String8}, {"REGION", FieldKind::String8}, {"N_RUNWAYS", FieldKind::Int32},
          {"N_HELIPADS", FieldKind::Int32}, {"N_TAXI_PARKINGS", FieldKind::Int32}, {"N_JETWAYS", FieldKind::Int32}}},
        {"TAXI_PARKING",
         {{"TYPE", FieldKind::Int32}, {"TAXI_POINT_TYPE", FieldKind::Int32}, {"NAME", FieldKind::Int32},
          {"SUFFIX", FieldKind::Int32}, {"NUMBER", FieldKind::Int32}, {"ORIENTATION", FieldKind::Int32},
          {"HEADING", FieldKind::Float32}, {"RADIUS", FieldKind::Float32}, {"BIAS_X", FieldKind::Float32},
          {"BIAS_Z", FieldKind::Float32}, {"N_AIRLINES", FieldKind::Int32}}},
        {"HELIPAD",
         {{"LATITUDE", FieldKind::Float64}, {"LONGITUDE", FieldKind::Float64}, {"ALTITUDE", FieldKind::Float64},
          {"HEADING", FieldKind::Float32}, {"LENGTH", FieldKind::Float32}, {"WIDTH", FieldKind::Float32},
          {"SURFACE", FieldKind::Int32}, {"TYPE", FieldKind::Int32}}},
    };
    return tables;
}

const std::map<std::string, std::string>& lf_children() {
    static const std::map<std::string, std::string> parents{{"TAXI_PARKING", "AIRPORT"}, {"HELIPAD", "AIRPORT"}};
    return parents;
}

using Value = std::variant<double, int, std::string>;

Value lf_airportValue(const std::string& field, const StandInAirport& a) {
    if (field == "LATITUDE") return a.lat;
    if (field == "LONGITUDE") return a.lon;
    if (field == "ALTITUDE") return a.elevationFt * 0.3048;
    if (field == "NAME" || field == "NAME64") return a.name;
    if (field == "ICAO") return a.icao;
    if (field == "N_HELIPADS") return static_cast<int>(a.helipads.size());
    if (field == "N_TAXI_PARKINGS") return static_cast<int>(a.parkings.size());
    if (field == "REGION") return std::string();
    return 0.0;
}

Value lf_parkingValue(const std::string& field, const StandInParking& p) {
    if (field == "TYPE") return p.type;
    if (field == "TAXI_POINT_TYPE") return 1;
    if (field == "NAME") return p.name;
    if (field == "SUFFIX") return p.suffix;
    if (field == "NUMBER") return p.number;
    if (field == "HEADING") return p.headingDeg;
    if (field == "RADIUS") return p.radiusM;
    if (field == "BIAS_X") return p.biasX;
    if (field == "BIAS_Z") return p.biasZ;
    return 0;
}

Value lf_helipadValue(const std::string& field, const StandInHelipad& h) {
    if (field == "LATITUDE") return h.lat;
    if (field == "LONGITUDE") return h.lon;
    if (field == "ALTITUDE") return h.altitudeM;
    if (field == "HEADING") return h.headingDeg;
    if (field == "LENGTH") return h.lengthM;
    if (field == "WIDTH") return h.widthM;
    if (field == "SURFACE") return h.surface;
    if (field == "TYPE") return h.type;
    return 0;
}

template <typename T> void lf_append(std::vector<char>& out, T value) {
    const auto* bytes = reinterpret_cast<const char*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

void lf_appendField(std::vector<char>& out, FieldKind kind, const Value& value) {
    const double number = std::holds_alternative<double>(value) ? std::get<double>(value)
                          : std::holds_alternative<int>(value)  ? std::get<int>(value)
                                                                : 0.0;
    switch (kind) {
    case FieldKind::Float64: lf_append(out, number); break;
    case FieldKind::Float32: lf_append(out, static_cast<float>(number)); break;
    case FieldKind::Int32: lf_append(out, static_cast<std::int32_t>(number)); break;
    default: {
        const std::size_t size = kind == FieldKind::String8 ? 8 : kind == FieldKind::String32 ? 32 : 64;
        std::string text = std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : std::string();
        text.resize(size - 1);
        out.insert(out.end(), text.begin(), text.end());
        out.push_back('\0');
    }
    }
}

// The fields requested for one entry, in request order.
std::map<std::string, std::vector<std::string>> lf_fieldsPerEntry(const std::vector<std::string>& fields) {
    std::map<std::string, std::vector<std::string>> perEntry;
    std::vector<std::string> open;
    for (const std::string& field : fields) {
        if (field.rfind("OPEN ", 0) == 0) open.push_back(field.substr(5));
        else if (field.rfind("CLOSE ", 0) == 0) { if (!open.empty()) open.pop_back(); }
        else if (!open.empty()) perEntry[open.back()].push_back(field);
    }
    return perEntry;
}

std::uint64_t lf_fnv1a(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
    return hash;
}

// Name codes of the facility data: 1 PARKING, 12 + letter GATE_A .. GATE_Z.
constexpr int kParkingName = 1, kGateAName = 12;
// Parking types.
constexpr int kRampGaSmall = 2, kRampGaMedium = 3, kRampCargo = 5, kGateSmall = 8, kGateMedium = 9, kGateHeavy = 10,
              kVehicles = 13;
constexpr double kClearanceM = 7.5;
// One minute of arc is one nautical mile on the sphere the simulator answers on.
constexpr double kMetersPerDegree = 60.0 * 1852.0;

// Lays stands side by side along a row `offsetM` from the reference point towards `side`
// (0 north, 1 east, 2 south, 3 west), starting `startM` along the row; noses point to the side.
struct RowLayout {
    int side = 0;
    double offsetM = 0.0;
    double alongM = 0.0;
    double lastRadiusM = 0.0;
    std::vector<StandInParking>* parkings = nullptr;

    void add(int type, int name, int number, double radiusM) {
        alongM += lastRadiusM > 0.0 ? lastRadiusM + radiusM + kClearanceM : 0.0;
        lastRadiusM = radiusM;
        StandInParking p;
        p.type = type;
        p.name = name;
        p.number = number;
        p.radiusM = radiusM;
        p.headingDeg = side * 90.0;
        const double across = offsetM, along = alongM;
        // North and south rows run east-west, east and west rows north-south.
        p.biasX = side == 0 ? along : side == 1 ? across : side == 2 ? -along : -across;
        p.biasZ = side == 0 ? across : side == 1 ? -along : side == 2 ? -across : along;
        parkings->push_back(p);
    }
};

// The parking name code, number and suffix code of a stand id as the scan makes it from them
// ("A12", "p3", "A10L"); the scan's letters for duplicates ("a".."j") are no part of the data.
std::tuple<int, int, int> lf_nameNumberSuffix(const std::string& id) {
    static const char* const kPrefixes[] = {"r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp", "g"};
    const auto digits = std::min(id.find_first_of("0123456789"), id.size());
    const std::string prefix = id.substr(0, digits);
    int number = 0;
    std::size_t at = digits;
    for (; at < id.size() && std::isdigit(static_cast<unsigned char>(id[at])); ++at) number = number * 10 + (id[at] - '0');
    const int suffix = at < id.size() && id[at] >= 'A' && id[at] <= 'Z' ? kGateAName + (id[at] - 'A') : 0;
    if (prefix.size() == 1 && prefix[0] >= 'A' && prefix[0] <= 'Z') return {kGateAName + (prefix[0] - 'A'), number, suffix};
    for (int code = 1; code <= 10; ++code)
        if (prefix == kPrefixes[code - 1]) return {code, number, suffix};
    return {0, number, suffix};
}

// What the simulator answers for an installed airport scenery: its own stands, the parkings
// placed back relative to the reference point.
std::optional<StandInAirport> lf_sceneryAirport(const std::filesystem::path& communityFolder, const std::string& icao) {
    namespace fs = std::filesystem;
    std::string lowerIcao = icao;
    std::transform(lowerIcao.begin(), lowerIcao.end(), lowerIcao.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const fs::path& folder : {communityFolder, communityFolder.parent_path() / "Official"}) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        std::vector<fs::path> files;
        for (fs::recursive_directory_iterator it(folder, ec), end; it != end; it.increment(ec)) {
            if (ec) break;
            std::string path = it->path().string(), extension = it->path().extension().string();
            std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
            std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
            // Statics packages put parked aircraft on an airport; its stands are the scenery's.
            if (extension == ".bgl" && path.find(lowerIcao) != std::string::npos && path.find("statics") == std::string::npos)
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            ScannedAirport scanned;
            scanned.file.icao = icao;
            if (!gf_readBglAirport(file, icao, scanned) || scanned.file.stands.empty()) continue;
            StandInAirport airport{icao, scanned.latitude, scanned.longitude, static_cast<double>(scanned.file.elevationFeet),
                                   scanned.file.name, {}, {}};
            const double metersPerDegree = kMetersPerDegree;
            const double cosLat = std::cos(airport.lat * 3.141592653589793 / 180.0);
            for (const Stand& stand : scanned.file.stands) {
                const double radiusM = stand.radius / kMetersToNm;
                const double headingDeg = stand.heading * 180.0 / 3.141592653589793;
                if (stand.heli) {
                    StandInHelipad pad;
                    pad.lat = stand.latitude;
                    pad.lon = stand.longitude;
                    pad.altitudeM = airport.elevationFt * 0.3048;
                    pad.headingDeg = headingDeg;
                    pad.lengthM = pad.widthM = 2.0 * radiusM; // the scan takes half the length of an H pad
                    airport.helipads.push_back(pad);
                    continue;
                }
                StandInParking parking;
                parking.type = stand.type;
                std::tie(parking.name, parking.number, parking.suffix) = lf_nameNumberSuffix(stand.id);
                parking.headingDeg = headingDeg;
                parking.radiusM = radiusM;
                parking.biasX = (stand.longitude - airport.lon) * metersPerDegree * cosLat;
                parking.biasZ = (stand.latitude - airport.lat) * metersPerDegree;
                airport.parkings.push_back(parking);
            }
            return airport;
        }
    }
    return std::nullopt;
}

} // namespace

StandInAirport gf_generatedStands(StandInAirport airport, bool airline) {
    const std::uint64_t seed = lf_fnv1a(airport.icao);
    const int side = static_cast<int>(seed % 4);
    airport.parkings.clear();
    airport.helipads.clear();
    if (airline) {
        // The airline apron: a row of gates 350 m off the runways.
        RowLayout gates{side, 350.0, 0.0, 0.0, &airport.parkings};
        const int gateCount = 6 + static_cast<int>((seed >> 8) % 19);
        for (int i = 0; i < gateCount; ++i) {
            const int letter = i / 10;
            const int number = i % 10 + 1;
            const bool heavy = i % 5 == 4;
            const bool small = !heavy && (seed >> (16 + i % 32)) % 4 == 0;
            gates.add(heavy ? kGateHeavy : small ? kGateSmall : kGateMedium, kGateAName + letter, number,
                      heavy ? 32.5 : small ? 12.0 : 18.0);
        }
        const int cargoCount = 1 + static_cast<int>((seed >> 40) % 3);
        for (int i = 0; i < cargoCount; ++i) gates.add(kRampCargo, kParkingName, 90 + i, 32.5);
    }
    // The general-aviation ramp on the other side.
    RowLayout ramp{(side + 2) % 4, 250.0, 0.0, 0.0, &airport.parkings};
    const int gaCount = 4 + static_cast<int>((seed >> 48) % 9);
    for (int i = 0; i < gaCount; ++i) ramp.add(i == 0 ? kRampGaMedium : kRampGaSmall, kParkingName, i + 1, i == 0 ? 12.0 : 7.5);
    ramp.add(kVehicles, kParkingName, 99, 5.0);

    // A helipad beyond the ramp, given by its own position.
    const double padAlong = ramp.alongM + 40.0;
    const double x = ramp.side == 0 ? padAlong : ramp.side == 1 ? 250.0 : ramp.side == 2 ? -padAlong : -250.0;
    const double z = ramp.side == 0 ? 250.0 : ramp.side == 1 ? -padAlong : ramp.side == 2 ? -250.0 : padAlong;
    StandInHelipad pad;
    pad.lat = airport.lat + z / kMetersPerDegree;
    pad.lon = airport.lon + x / (kMetersPerDegree * std::cos(airport.lat * 3.141592653589793 / 180.0));
    pad.altitudeM = airport.elevationFt * 0.3048;
    pad.headingDeg = ramp.side * 90.0;
    pad.lengthM = pad.widthM = 20.0;
    airport.helipads.push_back(pad);
    return airport;
}

std::optional<StandInAirport> gf_facilityAirport(const std::vector<StandInAirport>& configured, const std::string& icao,
                                                 const std::optional<std::filesystem::path>& communityFolder) {
    const auto known = std::find_if(configured.begin(), configured.end(), [&](const StandInAirport& a) { return a.icao == icao; });
    if (known != configured.end() && (!known->parkings.empty() || !known->helipads.empty())) return *known;
    if (!IcaoCode::isValid(icao)) return std::nullopt;
    if (communityFolder)
        if (auto scenery = lf_sceneryAirport(*communityFolder, icao)) return scenery;
    if (known != configured.end()) return gf_generatedStands(*known, true);
    const AirportInfo* world = gf_airportDatabase().find(IcaoCode(icao));
    if (!world) return std::nullopt;
    StandInAirport airport{icao, world->latitude, world->longitude, world->altitude, icao, {}, {}};
    // Airports with an IATA code see airline traffic; the others general aviation only.
    return gf_generatedStands(std::move(airport), world->iata.str() != "XXX");
}

bool gf_acceptFacilityField(const std::string& field, std::vector<std::string>& open) {
    const auto& tables = lf_fieldTables();
    if (field.rfind("OPEN ", 0) == 0) {
        const std::string entry = field.substr(5);
        if (!tables.count(entry)) return false;
        const auto parent = lf_children().find(entry);
        const bool placed = parent == lf_children().end() ? open.empty() : !open.empty() && open.back() == parent->second;
        if (!placed) return false;
        open.push_back(entry);
        return true;
    }
    if (field.rfind("CLOSE ", 0) == 0) {
        if (open.empty() || open.back() != field.substr(6)) return false;
        open.pop_back();
        return true;
    }
    return !open.empty() && tables.at(open.back()).count(field) > 0;
}

std::vector<std::vector<char>> gf_facilityRecords(const std::vector<std::string>& fields, const StandInAirport& airport,
                                                  DWORD requestId, DWORD firstUniqueId, DWORD version) {
    const auto perEntry = lf_fieldsPerEntry(fields);
    std::vector<std::vector<char>> records;
    if (!perEntry.count("AIRPORT")) return records;
    const DWORD airportUniqueId = firstUniqueId;
    DWORD nextUniqueId = firstUniqueId;
    auto record = [&](FacilityDataType type, DWORD parent, DWORD index, DWORD listSize, auto valueOf) {
        RecvFacilityData head{};
        head.dwVersion = version;
        head.dwID = static_cast<DWORD>(RecvId::FacilityData);
        head.UserRequestId = requestId;
        head.UniqueRequestId = nextUniqueId++;
        head.ParentUniqueRequestId = parent;
        head.Type = static_cast<DWORD>(type);
        head.IsListItem = listSize > 0 ? 1 : 0;
        head.ItemIndex = index;
        head.ListSize = listSize;
        std::vector<char> out(reinterpret_cast<const char*>(&head), reinterpret_cast<const char*>(&head) + kFacilityDataHeaderSize);
        const std::string entry = type == FacilityDataType::Airport ? "AIRPORT"
                                  : type == FacilityDataType::Helipad ? "HELIPAD"
                                                                      : "TAXI_PARKING";
        const auto& table = lf_fieldTables().at(entry);
        for (const std::string& field : perEntry.at(entry)) lf_appendField(out, table.at(field), valueOf(field));
        out.resize(std::max<std::size_t>(out.size(), sizeof(RecvFacilityData)));
        auto* sized = reinterpret_cast<RecvFacilityData*>(out.data());
        sized->dwSize = static_cast<DWORD>(out.size());
        records.push_back(std::move(out));
    };
    record(FacilityDataType::Airport, 0, 0, 0, [&](const std::string& f) { return lf_airportValue(f, airport); });
    if (perEntry.count("TAXI_PARKING"))
        for (std::size_t i = 0; i < airport.parkings.size(); ++i)
            record(FacilityDataType::TaxiParking, airportUniqueId, static_cast<DWORD>(i),
                   static_cast<DWORD>(airport.parkings.size()),
                   [&](const std::string& f) { return lf_parkingValue(f, airport.parkings[i]); });
    if (perEntry.count("HELIPAD"))
        for (std::size_t i = 0; i < airport.helipads.size(); ++i)
            record(FacilityDataType::Helipad, airportUniqueId, static_cast<DWORD>(i),
                   static_cast<DWORD>(airport.helipads.size()),
                   [&](const std::string& f) { return lf_helipadValue(f, airport.helipads[i]); });
    return records;
}

} // namespace vorl::standin
