// Which stand a live aircraft that stopped at the park airport takes.
#include <gtest/gtest.h>

#include "airports/LiveStandSearch.h"

using namespace vorl;

namespace {

constexpr double kNmPerMeter = 1.0 / 1852.0;

Stand lf_stand(std::uint32_t number, const std::string& id, double northMeters, double radiusMeters, std::uint16_t type = 0) {
    Stand s;
    s.number = number;
    s.id = id;
    s.latitude = 52.3 + northMeters / 111120.0;
    s.longitude = 4.76;
    s.radius = radiusMeters * kNmPerMeter;
    s.type = type;
    return s;
}

LiveStandQuery lf_aircraft(double halfSpanMeters, AircraftCategory category = AircraftCategory::Large) {
    LiveStandQuery q;
    q.at = {52.3, 4.76};
    q.halfWingspanNm = halfSpanMeters * kNmPerMeter;
    q.category = category;
    q.callsign = "KLM1";
    return q;
}

} // namespace

TEST(LiveStandSearch, AStandWithoutTypeFitsWhenTheWingsOverhangLessThanTwoMetres) {
    AirportState airport;
    airport.stands = {lf_stand(1, "A1", 0.0, 30.0)};
    // 32.0 m half span on a 30.0 m stand: 2 m over, too big; the stand is taken as too small.
    LiveStandFind found = gf_searchLiveStand(airport, lf_aircraft(32.0));
    EXPECT_EQ(found.number, 1u);
    EXPECT_TRUE(found.tooSmall);
    airport.stands[0].radius = 30.6 * kNmPerMeter;
    found = gf_searchLiveStand(airport, lf_aircraft(32.0));
    EXPECT_EQ(found.number, 1u);
    EXPECT_FALSE(found.tooSmall);

    gf_widenStandFor(airport.stands[0], 20.0 * kNmPerMeter);
    EXPECT_FALSE(airport.stands[0].radiusChange) << "a stand never shrinks";
    gf_widenStandFor(airport.stands[0], 40.0 * kNmPerMeter);
    EXPECT_NEAR(airport.stands[0].radius / kNmPerMeter, 39.0, 1e-6);
    EXPECT_TRUE(airport.stands[0].radiusChange);
}

TEST(LiveStandSearch, NearestFittingStandWinsExceptHelicopterStands) {
    AirportState airport;
    airport.stands = {lf_stand(1, "A1", 5.0, 40.0), lf_stand(2, "A2", 12.0, 40.0), lf_stand(3, "H1", 1.0, 40.0),
                      lf_stand(4, "G1", 2.0, 10.0, 1)};
    airport.stands[2].heli = true;
    EXPECT_EQ(gf_searchLiveStand(airport, lf_aircraft(17.0)).number, 1u) << "H1 is for helicopters, G1 for light aircraft";
    EXPECT_EQ(gf_searchLiveStand(airport, lf_aircraft(5.0, AircraftCategory::Rotorcraft)).number, 3u);
    EXPECT_EQ(gf_searchLiveStand(airport, lf_aircraft(5.0, AircraftCategory::Light)).number, 4u) << "typed: the type decides";
    // Only a stand meant for light aircraft is near: taken as the stand that does not fit.
    airport.stands = {lf_stand(1, "G1", 2.0, 10.0, 1)};
    const LiveStandFind typed = gf_searchLiveStand(airport, lf_aircraft(17.0));
    EXPECT_EQ(typed.number, 1u);
    EXPECT_TRUE(typed.tooSmall);
}

TEST(LiveStandSearch, WideSearchFindsTheStandItsHistoryKnows) {
    AirportState airport;
    airport.stands = {lf_stand(1, "B1", 70.0, 40.0)};
    StandOption seen;
    seen.callsign = "KLM1";
    airport.stands[0].options.push_back(seen);
    EXPECT_EQ(gf_searchLiveStand(airport, lf_aircraft(17.0)).number, 0u);
    LiveStandQuery wide = lf_aircraft(17.0);
    wide.wide = true;
    EXPECT_EQ(gf_searchLiveStand(airport, wide).number, 1u);
    wide.callsign = "DLH4";
    EXPECT_EQ(gf_searchLiveStand(airport, wide).number, 0u);
}
