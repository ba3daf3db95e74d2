#pragma once
#include <functional>
#include <string>

#include "airports/AirportDatabase.h"

namespace vorl {

// The nearest stand of an airport to a position: its distance in nautical miles and its name.
struct ClosestStand {
    double distanceNm = 100.0;
    std::string name;
};
using ClosestStandQuery = std::function<ClosestStand(const AirportInfo& airport, LatLon position)>;

// The answer for an airport without a usable airport file: no stand nearer than 100 nm.
ClosestStand gf_noClosestStand(const AirportInfo& airport, LatLon position);

// The airport the user stands at: the nearest one within 5 nm found walking the table in ICAO
// order; when another airport was displaced on the way (the neighbour) and one of its stands is
// strictly nearer than the chosen airport's nearest stand, the neighbour. nullptr when no airport
// lies within 5 nm.
const AirportInfo* gf_closestAirport(LatLon position, const AirportDatabase& database = gf_airportDatabase(),
                                     const ClosestStandQuery& closestStand = gf_noClosestStand);

// The nearest airport within `maxNm` of a position, without the neighbour rule; nullptr when
// there is none.
const AirportInfo* gf_nearestAirport(LatLon position, double maxNm, const AirportDatabase& database = gf_airportDatabase());

} // namespace vorl
