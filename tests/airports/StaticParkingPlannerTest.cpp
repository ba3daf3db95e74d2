// The static parking planner on small made-up airports: how many aircraft, which stands, which
// aircraft, parked traffic first, the half-hourly adjustment and learning from live aircraft.
#include <gtest/gtest.h>

#include <set>

#include "airports/AirportFileXml.h"
#include "airports/StandGeometry.h"
#include "airports/StaticParkingPlanner.h"

using namespace vorl;

namespace {

constexpr double kMetersPerDegree = 111194.9;

// `count` stands in a row along a meridian, `spacing` metres apart, each with `radius` metres.
AirportState rowOfStands(int count, double spacing, double radius) {
    AirportState airport;
    airport.icao = "EHXX";
    for (int i = 0; i < count; ++i) {
        Stand stand;
        stand.id = "S" + std::to_string(i + 1);
        stand.latitude = 52.3 + i * spacing / kMetersPerDegree;
        stand.longitude = 4.76;
        stand.radius = radius * kMetersToNm;
        airport.stands.push_back(stand);
    }
    gf_numberAndLinkStands(airport.stands);
    return airport;
}

StandOption option(const std::string& registration, int day, const std::string& hours, bool real = true) {
    StandOption o;
    o.registration = registration;
    o.callsign = "CS" + registration;
    o.day = static_cast<std::uint32_t>(day);
    o.hours = gf_hours2bitset(hours);
    o.real = real;
    o.type = 7;
    return o;
}

PlannerWorld world() {
    PlannerWorld w;
    w.halfWingspanNm = [](std::uint16_t) { return 17.0 * kMetersToNm; };
    w.category = [](std::uint16_t) { return 2; };
    return w;
}

const ParkingClock kTuesdayTen{2, 20, 10.0};

std::set<std::uint32_t> standsOf(const std::vector<PlannedPosition>& planned) {
    std::set<std::uint32_t> stands;
    for (const auto& p : planned) stands.insert(p.stand);
    return stands;
}

} // namespace

TEST(StaticParkingPlanner, WantedCountRoundsTheShareAndKeepsTheLimits) {
    PlannerSettings s;
    s.parkingPercentage = 30;
    EXPECT_EQ(StaticParkingPlanner::wantedCount(s, 3), 1);
    EXPECT_EQ(StaticParkingPlanner::wantedCount(s, 1), 1);
    EXPECT_EQ(StaticParkingPlanner::wantedCount(s, 10), 3);
    s.parkingPercentage = 50;
    EXPECT_EQ(StaticParkingPlanner::wantedCount(s, 3), 2) << "round(1.5)";
    s.parkingPercentage = 30;
    s.maxParkSel = 5;
    EXPECT_EQ(StaticParkingPlanner::wantedCount(s, 100), 5);
    s.customParkingPercentage = 100;
    s.maxParkSel = 500;
    EXPECT_EQ(StaticParkingPlanner::wantedCount(s, 40), 40);
    s.maxParkSel = 0;
    EXPECT_EQ(StaticParkingPlanner::wantedCount(s, 40), 0);
}

TEST(StaticParkingPlanner, EarlierSlotsWrapIntoThePreviousDay) {
    const ParkingClock mondayMidnight{1, 0, 0.0};
    EXPECT_EQ(mondayMidnight.earlier(1).slot, 47);
    EXPECT_EQ(mondayMidnight.earlier(1).day, 7);
    EXPECT_EQ(kTuesdayTen.earlier(3).slot, 17);
    EXPECT_EQ(gf_parkingClock(1796558400).day, 7); // Sunday noon UTC
    EXPECT_EQ(gf_parkingClock(1796558400).slot, 24);
}

TEST(StaticParkingPlanner, FillsTheShareWithoutNeighboursReservedStandsOrAnAircraftTwice) {
    // 20 stands 40 m apart with 25 m radii: each overlaps the next one.
    AirportState airport = rowOfStands(20, 40, 25);
    for (Stand& stand : airport.stands) stand.options.push_back(option("PH-" + stand.id, 2, "18:24"));
    airport.stands[6].options = {option("PH-S1", 2, "20")}; // the aircraft of S1 again
    airport.stands[8].options.push_back(option("PH-LIVE", 2, "20"));
    PlannerSettings settings;
    settings.parkingPercentage = 50;
    PlannerWorld w = world();
    w.reservedStandIds = {"S3"};
    w.live.push_back({"KLM1", "PH-LIVE", {}, 0, false, 52.0, 4.0, 0.0});

    StaticParkingPlanner planner(7);
    const auto planned = planner.plan(airport, settings, w, kTuesdayTen);
    ASSERT_FALSE(planned.empty());
    EXPECT_LE(planned.size(), 10u);
    const auto stands = standsOf(planned);
    EXPECT_EQ(stands.size(), planned.size());
    EXPECT_EQ(stands.count(3), 0u) << "the reserved stand stays free";
    for (std::uint32_t s : stands)
        for (std::uint32_t n : airport.stands[s - 1].adjacent) EXPECT_EQ(stands.count(n), 0u) << s << " next to " << n;
    std::set<std::string> registrations;
    for (const auto& p : planned) {
        EXPECT_TRUE(registrations.insert(p.registration).second) << p.registration << " twice";
        EXPECT_NE(p.registration, "PH-LIVE") << "flying live";
        EXPECT_EQ(p.fit, 0);
    }
}

TEST(StaticParkingPlanner, FitLevelsLookBackAndSoftOptionsNeedTheSetting) {
    AirportState airport = rowOfStands(4, 100, 25);
    airport.stands[0].options = {option("PH-OLD", 2, "16")};       // seen two hours ago
    airport.stands[1].options = {option("PH-SOFT", 2, "20", false)}; // made up
    PlannerSettings settings;
    settings.customParkingPercentage = 100;
    StaticParkingPlanner planner(1);
    auto planned = planner.plan(airport, settings, world(), kTuesdayTen);
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].registration, "PH-OLD");
    EXPECT_EQ(planned[0].fit, 4);
    settings.maxFit = 2;
    EXPECT_TRUE(planner.plan(airport, settings, world(), kTuesdayTen).empty()) << "beyond the fit window";
    settings.parkSoft = true;
    planned = planner.plan(airport, settings, world(), kTuesdayTen);
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].registration, "PH-SOFT");
}

TEST(StaticParkingPlanner, ParkedTrafficTakesTheNearStandEvenWhenTooSmall) {
    AirportState airport = rowOfStands(3, 300, 10);
    PlannerSettings settings;
    settings.customParkingPercentage = 100;
    PlannerWorld w = world();
    w.parkedTrafficReceived = true;
    ParkedRecord near;
    near.callsign = "KLM55";
    near.registration = "PH-PTA";
    near.lat = 52.3 + 15 / kMetersPerDegree;
    near.lon = 4.76;
    ParkedRecord far = near;
    far.callsign = "KLM56";
    far.registration = "PH-PTB";
    far.lat = 52.3 + (300 + 25) / kMetersPerDegree;
    w.parkedTraffic = {near, far};
    StaticParkingPlanner planner(3);
    const auto planned = planner.plan(airport, settings, w, kTuesdayTen);
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].kind, PlannedPosition::FromParkedTraffic);
    EXPECT_EQ(planned[0].stand, 1u);
    EXPECT_TRUE(airport.stands[0].radiusChange);
    EXPECT_NEAR(airport.stands[0].radius / kMetersToNm, 16.0, 1e-6) << "half wingspan minus one metre";
    EXPECT_EQ(airport.updates, 1);
}

TEST(StaticParkingPlanner, AdjustmentLetsExpiredAircraftGoAndAddsTheNextOnes) {
    AirportState airport = rowOfStands(4, 100, 25);
    airport.stands[0].options = {option("PH-AAA", 2, "18:20")};
    airport.stands[1].options = {option("PH-BBB", 2, "21:30")};
    PlannerSettings settings;
    settings.customParkingPercentage = 50;
    StaticParkingPlanner planner(5);
    const auto first = planner.plan(airport, settings, world(), kTuesdayTen);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].registration, "PH-AAA");
    EXPECT_FALSE(first[0].staysOn);

    const std::vector<StaticAircraft> standing{{"CSPH-AAA", "PH-AAA", 1, PlannedPosition::FromAirportFile}};
    const ParkingClock later{2, 21, 10.5};
    const auto changes = planner.adjust(airport, settings, world(), later, standing, false);
    ASSERT_EQ(changes.remove.size(), 1u);
    EXPECT_EQ(changes.remove[0].registration, "PH-AAA");
    ASSERT_EQ(changes.add.size(), 1u);
    EXPECT_EQ(changes.add[0].registration, "PH-BBB");

    const auto flushed = planner.adjust(airport, settings, world(), kTuesdayTen, standing, true);
    EXPECT_EQ(flushed.remove.size(), 1u);
    EXPECT_EQ(flushed.add.size(), 1u) << "planned afresh";
}

TEST(StaticParkingPlanner, LiveAircraftAtAStandBecomeRealOptionsOncePerHalfHour) {
    AirportState airport = rowOfStands(2, 100, 25);
    airport.stands[0].options = {option("PH-FILE", 2, "20")};
    airport.stands[0].options[0].source = 1;
    const LiveAtAirport fromFile{"KLM9", "PH-FILE_", {}, 1, true, 52.3, 4.76, 0.0};
    EXPECT_FALSE(lf_addRealStandOption(airport, 1, fromFile, kTuesdayTen)) << "the airport file knows it already";
    const LiveAtAirport newcomer{"KLM8", "PH-NEW", {}, 2, true, 52.3, 4.76, 0.0};
    EXPECT_TRUE(lf_addRealStandOption(airport, 2, newcomer, kTuesdayTen));
    EXPECT_FALSE(lf_addRealStandOption(airport, 2, newcomer, kTuesdayTen));
    EXPECT_TRUE(lf_addRealStandOption(airport, 2, newcomer, ParkingClock{2, 21, 10.5}));
    ASSERT_EQ(airport.stands[1].options.size(), 1u);
    EXPECT_EQ(gf_bitset2hours(airport.stands[1].options[0].hours), "20:21");
    EXPECT_EQ(airport.updates, 2);
}

// An aircraft the simulator shows near the user right now (another program's, or the simulator's
// own traffic) is neither placed from parked traffic nor chosen from a stand's history.
TEST(StaticParkingPlanner, AircraftTheSimulatorShowsInRangeAreNotPlannedAgain) {
    AirportState airport = rowOfStands(6, 300, 25);
    for (Stand& stand : airport.stands) stand.options.push_back(option("PH-" + stand.id, 2, "18:24"));
    PlannerSettings settings;
    settings.customParkingPercentage = 100;
    PlannerWorld w = world();
    w.parkedTrafficReceived = true;
    ParkedRecord parked;
    parked.callsign = "KLM77";
    parked.registration = "PH-PTC";
    parked.lat = 52.3 + 5 / kMetersPerDegree;
    parked.lon = 4.76;
    w.parkedTraffic = {parked};
    w.inRangeCallsigns = {"KLM77", "CSPH-S3"};

    StaticParkingPlanner planner(5);
    const auto planned = planner.plan(airport, settings, w, kTuesdayTen);
    ASSERT_FALSE(planned.empty());
    for (const auto& p : planned) {
        EXPECT_NE(p.callsign, "KLM77") << "parked traffic the simulator shows already";
        EXPECT_NE(p.registration, "PH-S3") << "a stand's aircraft the simulator shows already";
    }
}
