#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Geodesy.h"

namespace vorl {

struct LiveAircraft;

// A stand of the park airport as a live aircraft uses it.
struct StandSpot {
    std::uint32_t number = 0; // 0: no stand
    std::string id;
    double lat = 0.0;
    double lon = 0.0;
    double heading = 0.0; // radians
    double radiusNm = 0.0;
    bool cargo = false;
    std::vector<std::uint32_t> adjacent;
    // Its size or type excludes the aircraft; it was the only stand where the aircraft stopped.
    bool tooSmall = false;
};

enum class StandSearch {
    Busy,  // the stands are being planned just now: ask again later
    None,  // no stand fits here
    Found,
};

struct StandAnswer {
    StandSearch result = StandSearch::None;
    StandSpot spot;
};

// The park airport's stands, connected by the parking when live parking is active there.
struct LiveStandHooks {
    // The stand for an aircraft standing at `at`: the nearest fitting one within 20 m (55 m
    // wide), never the user's or the reserved stand.
    std::function<StandAnswer(const LiveAircraft& aircraft, LatLon at, bool wide)> find;
    // Static aircraft on the stand and its neighbours make way for the live one driving there;
    // for one that appears parked there (`spawned`) only the stand itself is cleared.
    std::function<void(const StandSpot& stand, const LiveAircraft& aircraft, bool spawned)> makeWay;
    // The stand use is learned for the airport file.
    std::function<void(const StandSpot& stand, const LiveAircraft& aircraft)> recordUse;
    // Parked live plus static aircraft stay within the wanted count.
    std::function<void(bool aboutToPark)> maxParkCheck;
};

} // namespace vorl
