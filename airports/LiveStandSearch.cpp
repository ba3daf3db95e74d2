#include "airports/LiveStandSearch.h"

#include <algorithm>

namespace vorl {
namespace {

constexpr double kNormalSearchNm = 0.010799136069114472; // 20 m
constexpr double kWideSearchNm = 0.029697624190064796;   // 55 m
constexpr double kHistorySearchNm = 0.0458963282937365;  // 85 m
constexpr double kSpanMarginNm = 0.0009719222462203025;  // 1.8 m
constexpr double kWidenMarginNm = 0.0005399568034557236; // 1 m

bool lf_fits(const Stand& stand, const LiveStandQuery& q) {
    const bool rotorcraft = q.category == AircraftCategory::Rotorcraft;
    if (stand.heli != rotorcraft) return false;
    if (stand.type != 0) return gf_parkingTypeAccepts(stand.type, static_cast<int>(q.category));
    return q.halfWingspanNm - stand.radius <= kSpanMarginNm;
}

bool lf_knowsAircraft(const Stand& stand, const LiveStandQuery& q) {
    return std::any_of(stand.options.begin(), stand.options.end(), [&](const StandOption& o) {
        return (!q.callsign.empty() && o.callsign == q.callsign) || (!q.registration.empty() && o.registration == q.registration) ||
               (o.airline != 0 && o.airline == q.identity.airlineIndex && o.type == q.identity.typeIndex);
    });
}

} // namespace

LiveStandFind gf_searchLiveStand(const AirportState& airport, const LiveStandQuery& q) {
    const double radius = q.wide ? kWideSearchNm : kNormalSearchNm;
    double best = radius, bestHistory = kHistorySearchNm, bestSmall = kNormalSearchNm;
    std::uint32_t fitting = 0, history = 0, small = 0;
    for (const Stand& stand : airport.stands) {
        const double d = gf_distanceNm(q.at.lat, q.at.lon, stand.latitude, stand.longitude);
        if (d > kHistorySearchNm) continue;
        const bool fits = lf_fits(stand, q);
        if (fits && d <= best) {
            best = d;
            fitting = stand.number;
        } else if (!fits && d <= bestSmall && stand.heli == (q.category == AircraftCategory::Rotorcraft)) {
            bestSmall = d;
            small = stand.number;
        }
        if (q.wide && fits && d <= bestHistory && lf_knowsAircraft(stand, q)) {
            bestHistory = d;
            history = stand.number;
        }
    }
    if (fitting != 0) return {fitting, false};
    if (history != 0) return {history, false};
    return {small, small != 0};
}

bool gf_widenStandFor(Stand& stand, double halfWingspanNm) {
    // A stand refused by its type may well be large enough already: it never shrinks.
    const double wanted = halfWingspanNm - kWidenMarginNm;
    if (wanted <= stand.radius) return false;
    stand.radius = wanted;
    stand.radiusChange = true;
    return true;
}

} // namespace vorl
