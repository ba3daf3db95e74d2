#include "airports/ClosestAirport.h"

#include <cmath>

#include "common/Log.h"

namespace vorl {
namespace {

constexpr double kSearchRadiusNm = 5.0;
constexpr double kMetresPerNm = 1852.0;

} // namespace

ClosestStand gf_noClosestStand(const AirportInfo&, LatLon) { return {}; }

const AirportInfo* gf_closestAirport(LatLon position, const AirportDatabase& database,
                                     const ClosestStandQuery& closestStand) {
    double best = 100.0;
    const AirportInfo* chosen = nullptr;
    const AirportInfo* neighbour = nullptr;
    for (const AirportInfo& airport : database.table) {
        const double distance = gf_distanceNm(position, airport.position());
        if (distance <= kSearchRadiusNm && distance < best) {
            if (chosen != nullptr) neighbour = chosen;
            chosen = &airport;
            best = distance;
        }
    }
    if (chosen == nullptr || neighbour == nullptr) return chosen;

    logLine("Airport {} is closest, neighbour is {}", chosen->icao, neighbour->icao);
    const ClosestStand chosenStand = closestStand(*chosen, position);
    const ClosestStand neighbourStand = closestStand(*neighbour, position);
    if (neighbourStand.distanceNm < chosenStand.distanceNm) {
        logLine("Airport {} is closest, but stand {} at neighbouring airport {} is closer at {:.0F} meters ...",
                chosen->icao, neighbourStand.name, neighbour->icao, neighbourStand.distanceNm * kMetresPerNm);
        return neighbour;
    }
    return chosen;
}

const AirportInfo* gf_nearestAirport(LatLon position, double maxNm, const AirportDatabase& database) {
    const AirportInfo* nearest = nullptr;
    double best = maxNm;
    // A degree of latitude is 60 nm: most airports are ruled out without the distance formula.
    const double latBand = maxNm / 60.0;
    for (const AirportInfo& airport : database.table) {
        if (std::abs(airport.latitude - position.lat) > latBand) continue;
        const double distance = gf_distanceNm(position, airport.position());
        if (distance <= best) {
            best = distance;
            nearest = &airport;
        }
    }
    return nearest;
}

} // namespace vorl
