#include "airports/ScannedAirport.h"

#include <cmath>

#include "common/Geodesy.h"
#include "common/Log.h"

namespace vorl {
namespace {

constexpr int kSquareHelipadType = 2;

} // namespace

bool gf_isAircraftParkingType(int type) {
    constexpr int kNoParkingType = 0;
    constexpr int kVehicleParkingType = 13;
    return type != kNoParkingType && type != kVehicleParkingType;
}

std::string gf_parkingNamePrefix(int nameCode) {
    static const char* const kPrefixes[] = {"r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp", "g"};
    if (nameCode >= 1 && nameCode <= 10) return kPrefixes[nameCode - 1];
    if (nameCode >= 12 && nameCode <= 37) return std::string(1, static_cast<char>('A' + nameCode - 12));
    return {};
}

std::optional<std::string> StandIdAllocator::take(const std::string& id) {
    static constexpr const char* kSuffixes = "abcdefghij";
    const int repeat = repeats_[id]++;
    if (repeat == 0) return id;
    if (repeat <= 10) return id + kSuffixes[repeat - 1];
    if (repeat == 11) logLine("{}Warning: more than 10 duplicate IDs {} in {}", "   ", id, source_);
    return std::nullopt;
}

Stand gf_scannedStand(std::string id, double lat, double lon, double headingDeg, double radiusM, int type, bool heli) {
    Stand stand;
    stand.id = std::move(id);
    stand.latitude = lat;
    stand.longitude = lon;
    stand.heading = gf_degToRad(headingDeg);
    stand.radius = radiusM * kMetersToNm;
    stand.type = static_cast<std::uint16_t>(type);
    stand.cargo = gf_isCargoParkingType(type);
    stand.ramp = gf_isRampParkingType(type);
    stand.heli = heli;
    return stand;
}

void gf_takeFacilityData(const FacilityAirport& data, ScannedAirport& airport) {
    airport.latitude = data.latitude;
    airport.longitude = data.longitude;
    airport.file.elevationFeet = static_cast<int>(std::lround(data.altitudeM * kFeetPerMeter));
    if (!data.name.empty()) airport.file.name = data.name;
    airport.file.facilities = true;
    int helipadNumber = 0;
    for (const FacilityHelipad& pad : data.helipads) {
        const double share = pad.type == kSquareHelipadType ? 0.7 : 0.5;
        airport.file.stands.push_back(gf_scannedStand(fmt::format("helipad{}", ++helipadNumber), pad.latitude,
                                                      pad.longitude, pad.headingDeg, pad.lengthM * share, 0, true));
    }
    StandIdAllocator ids(airport.file.icao);
    const LatLon reference{data.latitude, data.longitude};
    for (const FacilityParking& parking : data.parkings) {
        if (!gf_isAircraftParkingType(parking.type)) continue;
        // East or west first, then north or south, each along a great circle.
        const LatLon east = gf_destinationPoint(reference, parking.biasX >= 0 ? 90.0 : 270.0,
                                                std::fabs(parking.biasX) * kFeetPerMeter);
        const LatLon place =
            gf_destinationPoint(east, parking.biasZ >= 0 ? 0.0 : 180.0, std::fabs(parking.biasZ) * kFeetPerMeter);
        std::string id = gf_parkingNamePrefix(parking.name) + std::to_string(parking.number) +
                         (parking.suffix >= 12 ? gf_parkingNamePrefix(parking.suffix) : std::string());
        const auto unique = ids.take(id);
        if (!unique) continue;
        airport.file.stands.push_back(
            gf_scannedStand(*unique, place.lat, place.lon, parking.headingDeg, parking.radiusM, parking.type, false));
    }
}

} // namespace vorl
