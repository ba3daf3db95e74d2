#pragma once
#include <map>
#include <optional>
#include <string>

#include "airports/AirportFile.h"
#include "sim/FacilityRecords.h"

namespace vorl {

// One airport found by the add-on scan: what its generated airport file says, and where its
// reference point is (the facility data places the parkings relative to it).
struct ScannedAirport {
    AirportState file; // icao, name, publisher, version, BGL path, maker, stands
    double latitude = 0.0;
    double longitude = 0.0;
};

// The letters the simulator's parking name codes stand for: 1..10 "r", "p", "np", ... "g";
// 12..37 "A".."Z"; 0, 11 and unknown codes none.
std::string gf_parkingNamePrefix(int nameCode);

// Stand ids of one airport as they are handed out: a repeated id gets a letter from
// "abcdefghij"; after ten repeats there is none (logged as a warning naming `source`).
class StandIdAllocator {
public:
    explicit StandIdAllocator(std::string source) : source_(std::move(source)) {}
    std::optional<std::string> take(const std::string& id);

private:
    std::string source_;
    std::map<std::string, int> repeats_;
};

// Parkings of type 0 (none) and 13 (ground vehicles) are no stands for aircraft.
bool gf_isAircraftParkingType(int type);

// A parking or helipad stand with its shape, cargo and ramp marks from the parking type.
Stand gf_scannedStand(std::string id, double lat, double lon, double headingDeg, double radiusM, int type, bool heli);

// The facility data of `data` into `airport`: reference point, name, altitude in feet, and a
// stand for every helipad and every parking that is not of type 0 (none) or 13 (vehicles).
void gf_takeFacilityData(const FacilityAirport& data, ScannedAirport& airport);

} // namespace vorl
