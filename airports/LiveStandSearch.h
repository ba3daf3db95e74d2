#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "airports/AirportFile.h"
#include "common/AircraftCategory.h"
#include "common/Geodesy.h"
#include "common/ModelCode.h"

namespace vorl {

// A live aircraft that has stopped where it may park.
struct LiveStandQuery {
    LatLon at;
    double halfWingspanNm = 0.0;
    AircraftCategory category = AircraftCategory::Large;
    bool wide = false; // searches farther, and by the stand's history of this aircraft
    std::string callsign;
    std::string registration;
    ModelCode identity;
};

struct LiveStandFind {
    std::uint32_t number = 0; // 1-based, 0: none
    bool tooSmall = false;    // the nearest stand, and it does not fit the aircraft
    bool widened = false;     // it was made larger for the aircraft
};

// The stand a live aircraft parks on: the nearest fitting one within 20 m (55 m wide), else in
// wide mode a fitting one within 85 m whose history knows the aircraft, else a stand within
// 20 m that does not fit it (too small, or of a type meant for other aircraft). Helicopter stands are for rotorcraft only and rotorcraft park only on
// them.
LiveStandFind gf_searchLiveStand(const AirportState& airport, const LiveStandQuery& query);

// A stand taken by a live aircraft that did not fit grows to its size (kept in the learned file).
// True when it grew.
bool gf_widenStandFor(Stand& stand, double halfWingspanNm);

} // namespace vorl
