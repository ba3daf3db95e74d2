// Live aircraft from traffic records to objects of the simulator stand-in: admission of
// records, the buffer rule, the livery, creation, movement and the limits.
#include <algorithm>
#include <cmath>

#include "LiveTrafficFixture.h"

using namespace vorl;
using namespace vorl::test;

TEST_F(LiveTrafficTest, AnAircraftIsCreatedOnceWithItsLiveryAndFollowsItsRecords) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), makeHooks());
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 40; s += 4) records.push_back(record(0x484001, "KLM1", s));
    feed(traffic, records);
    run(traffic, 1);
    EXPECT_EQ(traffic.pendingRecords(), records.size() - 2) << "two records are admitted per cycle";
    run(traffic, 900);

    const auto objects = liveObjects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].tailNumber, "KLM1");
    EXPECT_EQ(traffic.createdCount(), 1u);
    const LiveAircraft* a = traffic.find(0x484001);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->presence.simState, SimState::Active);
    EXPECT_EQ(a->code.airlineIndex, 7) << "the identity comes from the callsign lookup";
    EXPECT_EQ(matchCalls["KLM"], 1);

    // Six seconds of play-out: it flew on, close to where its records say it is now.
    const double latBefore = objects[0].lat;
    run(traffic, 300);
    const auto after = liveObjects();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_GT(after[0].lat, latBefore);
    const TrafficRecord due = record(0x484001, "KLM1", clock / 100 - kPlayoutDelaySeconds);
    EXPECT_LT(gf_distanceNm(after[0].lat, after[0].lon, due.lat, due.lon), 0.3);
}

TEST_F(LiveTrafficTest, RecordsThatAddOnlyNoiseAreDropped) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), makeHooks());
    std::vector<TrafficRecord> records{record(0x484002, "KLM2", 0), record(0x484002, "KLM2", 4)};
    TrafficRecord tooSoon = record(0x484002, "KLM2", 4);
    tooSoon.dataTime = records.back().dataTime; // the same second again
    TrafficRecord glitch = record(0x484002, "KLM2", 8);
    glitch.groundSpeed = 9.0; // a tenth of the speed before: a feed glitch
    records.push_back(tooSoon);
    records.push_back(glitch);
    records.push_back(record(0x484002, "KLM2", 12));
    feed(traffic, records);
    run(traffic, 4);
    const LiveAircraft* a = traffic.find(0x484002);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->stream.size(), 3u);
}

TEST_F(LiveTrafficTest, AircraftWithoutLiveryOrBeyondTheLimitAreNotCreated) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), makeHooks());
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 12; s += 4) {
        records.push_back(record(0x484010, "NOL10", s));
        records.push_back(record(0x484011, "NOL11", s));
    }
    feed(traffic, records);
    run(traffic, 800);
    EXPECT_TRUE(liveObjects().empty());
    EXPECT_EQ(matchCalls["NOL"], 1) << "one failed match stands for the airline and type";
    EXPECT_EQ(traffic.find(0x484010), nullptr);

    settings.maxLive = 0;
    LiveTraffic limited(gf_simOutbox(), makeHooks());
    limited.refresh();
    records.clear();
    for (int s = 0; s <= 12; s += 4) records.push_back(record(0x484020, "KLM20", s + clock / 100));
    feed(limited, records);
    run(limited, 800);
    EXPECT_TRUE(liveObjects().empty());
    EXPECT_EQ(limited.createdCount(), 0u);
}

// An approach, a short roll on the runway and its data airborne again: the roll turns into a
// take-off roll at once and the aircraft climbs away with its data instead of rolling on.
TEST_F(LiveTrafficTest, ATouchAndGoClimbsAwayFromTheLandingRoll) {
    connect();
    LiveTrafficHooks hooks = makeHooks();
    // The runway lies at the airport the approach is flown to (the stand-in's ground, -11 ft).
    hooks.airport = [] { return std::optional<AirportView>(AirportView{{kStartLat + 0.03, kStartLon}, -11.0}); };
    LiveTraffic traffic(gf_simOutbox(), std::move(hooks));
    double altitude = 1200.0;
    LatLon at{kStartLat, kStartLon};
    bool rolled = false, tookOff = false;
    // One report every 2 s, arriving as the feed's do, some seconds before it is due.
    for (int second = 0; second <= 100; second += 2) {
        const bool onRunway = second >= 40 && second < 52;
        const double speedKt = onRunway ? 120.0 : 140.0;
        TrafficRecord r = record(0x484010, "KLM10", second, speedKt);
        if (second < 40) altitude = std::max(0.0, 1200.0 - second * 30.0);
        else if (onRunway) altitude = 0.0;
        else altitude += 80.0;
        // The record's own weave keeps every report news; on the runway it runs straight.
        r.lat = at.lat;
        if (onRunway) {
            r.lon = kStartLon;
            r.track = 0.0;
        }
        r.altitude = altitude;
        r.airborne = altitude > 0.0 ? 1 : 0;
        r.verticalRate = second < 40 ? -900.0 : onRunway ? 0.0 : 2400.0;
        at = gf_destinationPoint(at, 0.0, speedKt * kFeetPerNm * 2.0 / 3600.0);
        feed(traffic, {r});
        for (int i = 0; i < 4; ++i) {
            run(traffic, 50);
            const LiveAircraft* a = traffic.find(0x484010);
            if (a == nullptr) continue;
            rolled = rolled || a->landingRoll;
            tookOff = tookOff || (rolled && (a->flightState == FlightState::TakeOff || a->flightState == FlightState::Flying));
        }
    }
    EXPECT_TRUE(rolled) << "it touched down";
    EXPECT_TRUE(tookOff) << "and took off again";
    const auto objects = liveObjects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_GT(objects[0].altitudeFt, 300.0) << "climbing with its data";
}

// An aircraft standing beside the user on the ground is held back until it has stopped well
// away, and not shown at all while the user taxis: no aircraft drives out of the stand next to
// the user into view.
TEST_F(LiveTrafficTest, AnAircraftStandingBesideTheUserOnTheGroundWaitsUntilItStandsWellAway) {
    connect();
    UserView user;
    user.position = {kStartLat, kStartLon};
    user.onGround = true;
    LiveTrafficHooks hooks = makeHooks();
    hooks.user = [&user] { return std::optional<UserView>(user); };
    LiveTraffic traffic(gf_simOutbox(), std::move(hooks));
    // Standing 100 m off the user, taxiing north at 40 kt, then standing 650 m off.
    const auto taxiAway = [&](std::uint32_t hex, int startSecond) {
        std::vector<TrafficRecord> records;
        for (int s = 0; s <= 66; s += 3) {
            const int moving = std::clamp(s - 6, 0, 27);
            const double metres = 100.0 + moving * 40.0 * 1852.0 / 3600.0;
            const LatLon at = gf_destinationPoint(user.position, 0.0, metres / 1852.0 * kFeetPerNm);
            records.push_back(groundRecord(hex, "KLM" + std::to_string(hex % 100), startSecond + s, at, s > 6 && s < 33 ? 40.0 : 0.0));
        }
        return records;
    };

    user.groundSpeedKt = 12.0;
    traffic.refresh();
    feed(traffic, taxiAway(0x484031, 0));
    run(traffic, 7200);
    EXPECT_TRUE(liveObjects().empty()) << "never shown while the user taxis";

    user.groundSpeedKt = 0.0;
    traffic.refresh();
    feed(traffic, taxiAway(0x484032, clock / 100));
    run(traffic, 7200);
    const auto objects = liveObjects();
    ASSERT_EQ(objects.size(), 1u);
    const auto created = calls("AICreateNonATCAircraft");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_GE(gf_distanceNm(user.position.lat, user.position.lon, created[0].value("lat", 0.0), created[0].value("lon", 0.0)) * 1852.0,
              500.0)
        << "it appears where it stopped, well away from the user";
}

// Creations leave one every half second: in a crowd the last aircraft waits its turn for
// seconds, and when it starts to move, two seconds after its creation, it is still where its
// data is then, not where it was queued.
TEST_F(LiveTrafficTest, AnAircraftWaitingItsTurnForCreationStartsWhereItsDataIsThen) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), makeHooks());
    constexpr int kCrowd = 10;
    constexpr double kSpeedKt = 300.0;
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 30; s += 2)
        for (int i = 0; i < kCrowd; ++i) {
            TrafficRecord r = record(0x484100 + i, "KLM" + std::to_string(100 + i), s, kSpeedKt);
            r.lon = kStartLon + 0.05 * i; // side by side, flying north
            records.push_back(r);
        }
    feed(traffic, records);
    // The cycle each one was first written to the simulator, and where.
    std::map<std::uint32_t, std::pair<int, double>> started;
    int lastCreated = 0;
    for (int i = 0; i < 1500; ++i) {
        run(traffic, 1);
        lastCreated = std::max(lastCreated, clock * (calls("AICreateNonATCAircraft").size() == kCrowd && lastCreated == 0));
        for (const auto& c : calls("SetDataOnSimObject")) {
            if (!c.contains("lat")) continue;
            const auto id = c.value("objectId", std::uint32_t{0});
            if (started.count(id) == 0) started[id] = {clock, c.value("lat", 0.0)};
        }
    }
    ASSERT_EQ(started.size(), static_cast<std::size_t>(kCrowd));
    ASSERT_GT(lastCreated, 500) << "the last one waited several seconds";
    for (const auto& [id, start] : started) {
        // Where its records put it then, flying north at 300 kt: within one report interval
        // (2 s, 310 m) behind, never ahead.
        const double dataLat = kStartLat + (start.first / 100.0 - kPlayoutDelaySeconds) * kSpeedKt / 3600.0 / 60.0;
        const double behindM = (dataLat - start.second) * 60.0 * 1852.0;
        EXPECT_LT(behindM, 320.0) << "object " << id;
        EXPECT_GT(behindM, -10.0) << "object " << id;
    }

}

// Ground reports give 0 ft: at an airport above the sea the aircraft is created on its ground,
// not under it.
TEST_F(LiveTrafficTest, AnAircraftOnTheGroundIsCreatedAtTheAirportsElevation) {
    connect();
    LiveTrafficHooks hooks = makeHooks();
    hooks.airport = [] { return std::optional<AirportView>(AirportView{{kStartLat, kStartLon}, 1200.0}); };
    LiveTraffic traffic(gf_simOutbox(), std::move(hooks));
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 12; s += 3)
        records.push_back(groundRecord(0x484040, "KLM40", s, {kStartLat + s * 15.0 / 3600.0 / 60.0, kStartLon}, 15.0));
    feed(traffic, records);
    run(traffic, 700);
    const auto created = calls("AICreateNonATCAircraft");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_NEAR(created[0].value("alt", 0.0), 1200.0, 1.0);
}

namespace {

// Stand D3 nose north at the start point, taken by whatever stops near it; 30 m half wingspans.
LiveTrafficHooks lf_withStandD3(LiveTrafficHooks hooks) {
    hooks.halfWingspanNm = [](const std::string&) { return std::optional<double>(30.0 / 1852.0); };
    StandSpot stand;
    stand.number = 3;
    stand.id = "D3";
    stand.lat = kStartLat;
    stand.lon = kStartLon;
    stand.radiusNm = 32.0 / 1852.0;
    hooks.stands.find = [stand](const LiveAircraft&, LatLon, bool) { return StandAnswer{StandSearch::Found, stand}; };
    return hooks;
}

// The point `metres` south of stand D3.
LatLon lf_southOfD3(double metres) { return {kStartLat - metres / 1852.0 / 60.0, kStartLon}; }

double lf_metresSouthOfD3(const standin::StandInObject& o) { return (kStartLat - o.lat) * 60.0 * 1852.0; }

} // namespace

// An aircraft first seen at a stand is placed on it, but its reports already on hand still
// count: when they show it pushing back, it pushes back once they fall due, rather than standing
// there until reports arriving later show it far away.
TEST_F(LiveTrafficTest, AnAircraftBornOnAStandWhoseReportsAlreadyLeaveItPushesBack) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), lf_withStandD3(makeHooks()));
    // On the stand for 6 s, then pushed south at 3 kt (1.5 m/s), a report every 2 s.
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 50; s += 2)
        records.push_back(groundRecord(0x484050, "KLM50", s, lf_southOfD3(std::max(s - 6, 0) * 1.543), s > 6 ? 3.0 : 0.0,
                                       s % 4 == 0 ? 178.0 : 182.0));
    feed(traffic, records);
    run(traffic, 1200); // created on the stand, shown until 7 s into the data
    ASSERT_EQ(liveObjects().size(), 1u);
    EXPECT_LT(std::abs(lf_metresSouthOfD3(liveObjects()[0])), 1.0) << "on the stand while its data stands";
    run(traffic, 1500);
    ASSERT_EQ(liveObjects().size(), 1u);
    EXPECT_GT(lf_metresSouthOfD3(liveObjects()[0]), 5.0) << "pushed back south with its data";
}

// First seen already 10 m behind its stand and moving, with the feed's slow reports far apart:
// it stands on the stand only until the push it is in falls due.
TEST_F(LiveTrafficTest, AnAircraftFirstSeenPushingBackCountsItsStepsFromTheStand) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), lf_withStandD3(makeHooks()));
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 64; s += 16) {
        const double south = 10.0 + std::min(s, 32) * 1.543;
        records.push_back(groundRecord(0x484051, "KLM51", s, lf_southOfD3(south), s < 32 ? 3.0 : 0.0, 180.0));
    }
    feed(traffic, records);
    run(traffic, 3000);
    ASSERT_EQ(liveObjects().size(), 1u);
    EXPECT_GT(lf_metresSouthOfD3(liveObjects()[0]), 5.0) << "pushing back by the time its push is shown";
}
