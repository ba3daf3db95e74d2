// The static parking planner on small made-up airports: how many aircraft, which stands, which
// aircraft, parked traffic first, the half-hourly adjustment and learning from live aircraft.
#include <gtest/gtest.h>

#include <map>
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

// A parked-traffic record `metres` north of the first stand of `rowOfStands`.
ParkedRecord parkedAt(const std::string& callsign, double metres, std::uint16_t type = 7) {
    ParkedRecord r;
    r.callsign = callsign;
    r.registration = "PH-" + callsign;
    r.lat = 52.3 + metres / kMetersPerDegree;
    r.lon = 4.76;
    r.code.typeIndex = type;
    return r;
}

PlannerSettings everyStand() {
    PlannerSettings s;
    s.customParkingPercentage = 100;
    return s;
}

PlannerWorld parkedTrafficWorld(std::vector<ParkedRecord> records) {
    PlannerWorld w = world();
    w.identityOf = [](const ParkedRecord& r) { return r.code; };
    w.parkedTrafficReceived = true;
    w.parkedTraffic = std::move(records);
    return w;
}

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
    PlannerSettings settings = everyStand();
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
    PlannerSettings settings = everyStand();
    PlannerWorld w = parkedTrafficWorld({parkedAt("KLM55", 15), parkedAt("KLM56", 300 + 25)});
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
    PlannerSettings settings = everyStand();
    PlannerWorld w = parkedTrafficWorld({parkedAt("KLM77", 5)});
    w.inRangeCallsigns = {"KLM77", "CSPH-S3"};

    StaticParkingPlanner planner(5);
    const auto planned = planner.plan(airport, settings, w, kTuesdayTen);
    ASSERT_FALSE(planned.empty());
    for (const auto& p : planned) {
        EXPECT_NE(p.callsign, "KLM77") << "parked traffic the simulator shows already";
        EXPECT_NE(p.registration, "PH-S3") << "a stand's aircraft the simulator shows already";
    }
}

// A stand the aircraft stood at before, within 85 m, is only the alternative to a near stand:
// a stand within 20 m takes the aircraft even when it is too small, and otherwise the nearest
// stand that fits, whatever the history of the others.
TEST(StaticParkingPlanner, ParkedTrafficTakesTheNearStandBeforeOneItStoodAtBefore) {
    AirportState airport = rowOfStands(3, 30, 25);
    airport.stands[0].radius = 5 * kMetersToNm; // too small for a half wingspan of 17 m
    StandOption before = option("PH-KLM55", 2, "20");
    before.callsign = "KLM55";
    airport.stands[2].options = {before};                      // 48 m away: the same callsign and registration
    airport.stands[1].options = {option("PH-OTHER", 2, "20")}; // 18 m away: the same identity
    const PlannerWorld w = parkedTrafficWorld({parkedAt("KLM55", 12)});

    StaticParkingPlanner planner(3);
    auto planned = planner.plan(airport, everyStand(), w, kTuesdayTen);
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].stand, 1u) << "12 m away, too small";
    EXPECT_TRUE(airport.stands[0].radiusChange);

    AirportState wider = rowOfStands(3, 30, 25);
    wider.stands[2].options = {before};
    PlannerWorld far = parkedTrafficWorld({parkedAt("KLM55", 25)});
    far.reservedStandIds = {"S1"};
    planned = planner.plan(wider, everyStand(), far, kTuesdayTen);
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].stand, 2u) << "the nearest stand that fits, not the one it stood at";
    EXPECT_FALSE(wider.stands[1].radiusChange);
}

// A helicopter stand takes only helicopters, and a helicopter only a helicopter stand; the
// stands' history offers helicopter stands only while they are allowed.
TEST(StaticParkingPlanner, HelicopterStandsAndHelicoptersKeepToEachOther) {
    constexpr std::uint16_t kHelicopterType = 9;
    const auto airportWithHelipad = [] {
        AirportState airport = rowOfStands(2, 300, 25);
        airport.stands[1].heli = true;
        return airport;
    };
    const auto plannedStands = [&](std::vector<ParkedRecord> records) {
        AirportState airport = airportWithHelipad();
        PlannerWorld w = parkedTrafficWorld(std::move(records));
        w.category = [](std::uint16_t type) { return type == kHelicopterType ? 5 : 2; };
        StaticParkingPlanner planner(4);
        return standsOf(planner.plan(airport, everyStand(), w, kTuesdayTen));
    };
    EXPECT_EQ(plannedStands({parkedAt("HELI1", 300, kHelicopterType)}), std::set<std::uint32_t>{2u});
    EXPECT_TRUE(plannedStands({parkedAt("HELI2", 0, kHelicopterType)}).empty()) << "a helicopter on an aeroplane stand";
    EXPECT_TRUE(plannedStands({parkedAt("KLM56", 300)}).empty()) << "an aeroplane on the helipad";
    EXPECT_EQ(plannedStands({parkedAt("KLM57", 0)}), std::set<std::uint32_t>{1u});

    AirportState airport = airportWithHelipad();
    airport.stands[1].options = {option("PH-HEL", 2, "20")};
    airport.stands[1].options[0].type = kHelicopterType;
    PlannerSettings settings = everyStand();
    settings.helicopterStands = false;
    StaticParkingPlanner planner(4);
    EXPECT_TRUE(planner.plan(airport, settings, world(), kTuesdayTen).empty());
    settings.helicopterStands = true;
    EXPECT_EQ(standsOf(planner.plan(airport, settings, world(), kTuesdayTen)), std::set<std::uint32_t>{2u});
}

// The simulator's parking types and the aircraft categories (0 light, 1 business jet, 2 large,
// 3 heavy, 4 high performance, 5 rotorcraft) they take, written out as the table has them.
TEST(StaticParkingPlanner, ParkingTypesTakeTheCategoriesOfTheTable) {
    const std::map<int, std::set<int>> table = {
        {1, {0}},        {2, {0}},        {3, {0, 1, 4}}, {4, {1, 2}},   {8, {1, 2}},
        {5, {2, 3}},     {6, {2, 3}},     {15, {2, 3}},   {7, {4}},      {9, {2}},
        {10, {3}},       {11, {0, 5}},    {12, {0, 1, 2, 3, 4, 5}},      {14, {0, 4}},
        {13, {}},        {16, {}},        {17, {}},       {31, {}},      {255, {}},
    };
    for (const auto& [type, categories] : table)
        for (int category = 0; category <= 5; ++category)
            EXPECT_EQ(gf_parkingTypeAccepts(type, category), categories.count(category) == 1)
                << "type " << type << ", category " << category;
}

// More stands offer an aircraft at the last fit level than are wanted: which of them are kept is
// left to chance, not to the stands' order, and never more than wanted are kept.
TEST(StaticParkingPlanner, TheLastFitLevelGivesWayAtRandom) {
    std::set<std::uint32_t> everChosen;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        AirportState airport = rowOfStands(10, 300, 25);
        for (Stand& stand : airport.stands) stand.options.push_back(option("PH-" + stand.id, 2, "20"));
        PlannerSettings settings;
        settings.customParkingPercentage = 50;
        StaticParkingPlanner planner(seed);
        const auto planned = planner.plan(airport, settings, world(), kTuesdayTen);
        ASSERT_EQ(planned.size(), 5u) << "seed " << seed;
        const auto stands = standsOf(planned);
        EXPECT_EQ(stands.size(), 5u);
        everChosen.insert(stands.begin(), stands.end());
    }
    EXPECT_GT(everChosen.size(), 5u) << "always the first stands of the file";
}

// The livery of a parked-traffic aircraft follows its record: the operator and cargo role that
// its registration entry gives reach the planned position.
TEST(StaticParkingPlanner, ParkedTrafficKeepsItsOperatorAndCargoRole) {
    AirportState airport = rowOfStands(2, 300, 25);
    ParkedRecord cargo = parkedAt("MPH64", 0);
    cargo.code = ModelCode{12, 34, 7, 1, 1};
    StaticParkingPlanner planner(6);
    const auto planned = planner.plan(airport, everyStand(), parkedTrafficWorld({cargo}), kTuesdayTen);
    ASSERT_EQ(planned.size(), 1u);
    EXPECT_EQ(planned[0].airline, 12);
    EXPECT_EQ(planned[0].operatorIndex, 34);
    EXPECT_EQ(planned[0].type, 7);
    EXPECT_TRUE(planned[0].cargo);
}

// Parked traffic fills up to the wanted count and no further, each aircraft counted once: in a
// plan, and in an adjustment where static aircraft already stand and stay.
TEST(StaticParkingPlanner, ParkedTrafficStopsAtTheWantedCount) {
    AirportState airport = rowOfStands(8, 300, 25);
    PlannerSettings settings;
    settings.customParkingPercentage = 50; // 4 of 8 stands
    std::vector<ParkedRecord> records;
    for (int i = 3; i < 8; ++i) records.push_back(parkedAt("PT" + std::to_string(i), 300.0 * i));
    StaticParkingPlanner planner(8);
    EXPECT_EQ(planner.plan(airport, settings, parkedTrafficWorld(records), kTuesdayTen).size(), 4u);

    std::vector<StaticAircraft> standing;
    for (int i = 0; i < 3; ++i) {
        airport.stands[i].options = {option("PH-ST" + std::to_string(i), 2, "18:24")};
        standing.push_back({"CSPH-ST" + std::to_string(i), "PH-ST" + std::to_string(i), airport.stands[i].number,
                            PlannedPosition::FromAirportFile});
    }
    const auto changes = planner.adjust(airport, settings, parkedTrafficWorld(records), kTuesdayTen, standing, false);
    EXPECT_TRUE(changes.remove.empty());
    ASSERT_EQ(changes.add.size(), 1u) << "three stay, one more is wanted";
    EXPECT_EQ(changes.add[0].kind, PlannedPosition::FromParkedTraffic);
}
