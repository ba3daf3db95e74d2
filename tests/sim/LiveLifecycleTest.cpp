// The life of a live aircraft in the simulator stand-in: how it starts after its creation, the
// ghosts and duplicates that give way, a new livery, keeping clear of the user, blocking.
#include <cmath>
#include <optional>

#include "LiveTrafficFixture.h"

using namespace vorl;
using namespace vorl::test;

namespace {

LatLon lf_moved(LatLon from, double northMeters, double eastMeters = 0.0) {
    const LatLon north = gf_destinationPoint(from, 0.0, northMeters * kFeetPerMeter);
    return gf_destinationPoint(north, 90.0, eastMeters * kFeetPerMeter);
}

double lf_meters(LatLon a, LatLon b) { return gf_distanceNm(a, b) * 1852.0; }

} // namespace

class LiveLifecycleTest : public LiveTrafficTest {
protected:
    // A report flying straight north along `lon` from `startLat`.
    static TrafficRecord straightRecord(std::uint32_t hex, const std::string& callsign, int second, double startLat,
                                        double lon, double altitudeFt) {
        TrafficRecord r = record(hex, callsign, second);
        r.lat = startLat + second * 110.0 / 3600.0 / 60.0;
        r.lon = lon;
        r.track = 0.0;
        r.altitude = altitudeFt;
        return r;
    }

    // The user as the live traffic sees it, taken over at the once-a-second refresh.
    LiveTrafficHooks hooksWithUser() {
        LiveTrafficHooks h = makeHooks();
        h.user = [this] { return user; };
        return h;
    }

    std::optional<standin::StandInObject> objectOf(const std::string& tail) const {
        for (const auto& o : standIn->objects())
            if (o.tailNumber == tail) return o;
        return std::nullopt;
    }

    // The creation calls the simulator received for `tail`.
    std::vector<nlohmann::json> creationsOf(const std::string& tail) const {
        std::vector<nlohmann::json> found;
        for (const auto& c : calls("AICreateNonATCAircraft"))
            if (c.value("tail", "") == tail) found.push_back(c);
        return found;
    }

    bool removed(std::uint32_t objectId) const {
        for (const auto& c : calls("AIRemoveObject"))
            if (c.value("objectId", 0u) == objectId) return true;
        return false;
    }

    struct Sent {
        int cycle = 0;
        std::string what; // the event's name, or "position" for a position write
        std::uint32_t data = 0;
    };

    // What the simulator received for `objectId`, in run cycles counted from the one in which the
    // program took the object over after the simulator confirmed it (it froze the object then).
    // One stand-in frame runs per cycle.
    std::vector<Sent> sentTo(std::uint32_t objectId) const {
        constexpr double kFrameMs = 1000.0 / 30.0;
        std::optional<double> takenOverMs;
        std::vector<Sent> sent;
        for (const auto& e : standIn->trace()) {
            const std::string call = e.value("call", "");
            if (e.value("objectId", 0u) != objectId || (call != "TransmitClientEvent" && call != "SetDataOnSimObject"))
                continue;
            const std::string what = call == "SetDataOnSimObject" ? "position" : e.value("event", "");
            const double ms = e.value("t", 0.0);
            if (!takenOverMs && what == "FREEZE_LATITUDE_LONGITUDE_SET") takenOverMs = ms;
            const int cycle = takenOverMs ? static_cast<int>(std::lround((ms - *takenOverMs) / kFrameMs)) : -1;
            sent.push_back({cycle, what, e.value("data", 0u)});
        }
        return sent;
    }

    std::optional<UserView> user;
};

// For two seconds after the simulator confirms an aircraft it stands still, its lights toggled
// after half a second and after one; then it starts moving with engines, lights and flaps as its
// data says it is: flying low or high, parked or taxiing.
TEST_F(LiveLifecycleTest, ACreatedAircraftStartsMovingTwoSecondsLaterInTheStateOfItsData) {
    connect();
    const LatLon standAt{kStartLat - 0.02, kStartLon + 0.02};
    const LatLon taxiFrom{kStartLat - 0.02, kStartLon + 0.04};
    LiveTrafficHooks h = makeHooks();
    h.stands.find = [standAt](const LiveAircraft&, LatLon at, bool) {
        StandAnswer answer;
        if (lf_meters(at, standAt) > 20.0) return answer;
        answer.result = StandSearch::Found;
        answer.spot.number = 7;
        answer.spot.id = "D7";
        answer.spot.lat = standAt.lat;
        answer.spot.lon = standAt.lon;
        answer.spot.radiusNm = 30.0 / 1852.0;
        return answer;
    };
    LiveTraffic traffic(gf_simOutbox(), std::move(h));
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 60; s += 4) {
        records.push_back(record(0x484001, "LOW1", s));
        TrafficRecord high = record(0x484002, "HIGH2", s);
        high.altitude = 12000.0;
        records.push_back(high);
        records.push_back(groundRecord(0x484004, "TAXI4", s, lf_moved(taxiFrom, 10.0 * s), 19.4));
    }
    for (int s = 0; s <= 60; s += 20) records.push_back(groundRecord(0x484003, "PARK3", s, standAt, 0.0));
    feed(traffic, records);
    run(traffic, 1500);

    std::map<std::string, std::map<std::string, std::uint32_t>> startedWith;
    for (const std::string tail : {"LOW1", "HIGH2", "PARK3", "TAXI4"}) {
        SCOPED_TRACE(tail);
        const auto object = objectOf(tail);
        ASSERT_TRUE(object.has_value());
        std::vector<int> toggles;
        std::optional<int> firstMove;
        for (const Sent& s : sentTo(object->id)) {
            if (s.what == "ALL_LIGHTS_TOGGLE") {
                toggles.push_back(s.cycle);
                EXPECT_EQ(s.data, 0u);
            }
            if (s.what == "position" && !firstMove) firstMove = s.cycle;
            if (firstMove && s.cycle == *firstMove && s.what != "position") startedWith[tail][s.what] = s.data;
            EXPECT_FALSE(s.what.rfind("ENGINE_", 0) == 0 && s.cycle < 200) << "engines before the start";
        }
        EXPECT_EQ(toggles, (std::vector<int>{50, 100}));
        EXPECT_EQ(firstMove, 200) << "not moved by the program before";
    }
    // Flying: engines, nav, beacon and strobes; the landing light only at 10000 ft or below.
    for (const auto& [tail, landingLight] : {std::pair{"LOW1", 1u}, std::pair{"HIGH2", 0u}}) {
        const auto& flying = startedWith[tail];
        EXPECT_EQ(flying.count("ENGINE_AUTO_START"), 1u) << tail;
        EXPECT_EQ(flying.at("NAV_LIGHTS_SET"), 1u) << tail;
        EXPECT_EQ(flying.at("BEACON_LIGHTS_SET"), 1u) << tail;
        EXPECT_EQ(flying.at("STROBES_SET"), 1u) << tail;
        EXPECT_EQ(flying.at("LANDING_LIGHTS_SET"), landingLight) << tail;
    }
    const auto& parked = startedWith["PARK3"];
    EXPECT_EQ(parked.count("ENGINE_AUTO_SHUTDOWN"), 1u);
    EXPECT_EQ(parked.count("ENGINE_AUTO_START"), 0u);
    const auto& taxiing = startedWith["TAXI4"];
    EXPECT_EQ(taxiing.count("ENGINE_AUTO_START"), 1u);
    EXPECT_EQ(taxiing.at("TAXI_LIGHTS_SET"), 1u);
    EXPECT_EQ(taxiing.at("FLAPS_SET"), 3072u) << "the first flaps notch";
}

// The feed sometimes shows a flight twice, the double with "_" after the callsign: the double
// gives way whichever came first, and once taken for a ghost it stays away.
TEST_F(LiveLifecycleTest, AFlightShownTwiceKeepsOnlyTheCallsignWithoutUnderscore) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), makeHooks());
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 60; s += 4) {
        records.push_back(record(0x484001, "KLM1", s));
        records.push_back(record(0x39a001, "AFR2_", s));
    }
    feed(traffic, records);
    run(traffic, 1000);
    const auto ghost = objectOf("AFR2_");
    ASSERT_TRUE(ghost.has_value());
    ASSERT_TRUE(objectOf("KLM1").has_value());

    records.clear();
    for (int s = 8; s <= 60; s += 4) {
        records.push_back(record(0x484002, "KLM1_", s));
        records.push_back(record(0x484003, "KLM12", s)); // another flight
        records.push_back(record(0x39a002, "AFR2", s));
    }
    feed(traffic, records);
    run(traffic, 1000);
    EXPECT_TRUE(creationsOf("KLM1_").empty());
    EXPECT_EQ(creationsOf("KLM12").size(), 1u);
    EXPECT_TRUE(objectOf("KLM1").has_value());
    EXPECT_NE(logText().find("          AFR2_    is a ghost and will be removed, continue with AFR2\n"), std::string::npos);
    EXPECT_TRUE(removed(ghost->id));
    EXPECT_FALSE(objectOf("AFR2_").has_value());
    EXPECT_TRUE(objectOf("AFR2").has_value());

    // With AFR2 gone the ghost's reports still do not bring it back.
    traffic.removeHexId(0x39a002);
    records.clear();
    const int now = clock / 100;
    for (int s = now; s <= now + 40; s += 4) records.push_back(record(0x39a001, "AFR2_", s));
    feed(traffic, records);
    run(traffic, 1500);
    EXPECT_FALSE(objectOf("AFR2").has_value());
    EXPECT_EQ(creationsOf("AFR2_").size(), 1u);
}

// When the feed corrects a flight's type or operator, the livery that fits may be another one:
// the aircraft is created again in that livery where it is, and flies on. Without livery
// changes it keeps the one it has.
TEST_F(LiveLifecycleTest, AnAircraftWhoseLiveryNoLongerFitsIsCreatedAgainWhereItIs) {
    const std::string klmTitle = "FSLTL B738 KLM PH-BXA";
    const std::string transaviaTitle = "FSLTL B738 Transavia PH-HSA";
    standin::SimStandInConfig config;
    config.liveryTitles = {kA320Title, klmTitle, transaviaTitle};
    connect(config);
    LiveTrafficHooks h = makeHooks();
    h.matchLivery = [&](const LiveAircraft& a) -> std::optional<std::string> {
        if (a.type == "A320") return kA320Title;
        return a.callsign().rfind("TRA", 0) == 0 ? transaviaTitle : klmTitle;
    };
    settings.liveryChanges = false;
    LiveTraffic traffic(gf_simOutbox(), std::move(h));
    // One report every 4 s, each arriving as the feed's do, some seconds before it is due.
    const auto fly = [&](int from, int to, const std::string& callsign, bool b738) {
        for (int s = from; s < to; s += 4) {
            TrafficRecord r = record(0x484005, callsign, s);
            if (b738) {
                r.type = "B738";
                r.code.typeIndex = 5;
            }
            feed(traffic, {r});
            run(traffic, 400);
        }
    };
    fly(0, 16, "KLM5", false);
    const auto first = objectOf("KLM5");
    ASSERT_TRUE(first.has_value());
    fly(16, 28, "KLM5", true); // another type
    EXPECT_EQ(calls("AICreateNonATCAircraft").size(), 1u);
    EXPECT_FALSE(removed(first->id));
    EXPECT_EQ(objectOf("KLM5")->title, kA320Title);

    settings.liveryChanges = true;
    traffic.refresh();
    fly(28, 48, "TRA5", true); // another operator
    EXPECT_NE(logText().find("          TRA5     respawns\n"), std::string::npos);
    EXPECT_TRUE(removed(first->id));
    const auto again = creationsOf("TRA5");
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].value("title", ""), transaviaTitle);
    // It appears where the old object was last put.
    std::optional<LatLon> lastPut;
    for (const auto& c : calls("SetDataOnSimObject"))
        if (c.value("objectId", 0u) == first->id) lastPut = LatLon{c.value("lat", 0.0), c.value("lon", 0.0)};
    ASSERT_TRUE(lastPut.has_value());
    EXPECT_LT(lf_meters(*lastPut, {again[0].value("lat", 0.0), again[0].value("lon", 0.0)}), 5.0);
    // And flies on with its reports.
    const auto now = objectOf("TRA5");
    ASSERT_TRUE(now.has_value());
    EXPECT_EQ(now->title, transaviaTitle);
    const TrafficRecord due = record(0x484005, "TRA5", clock / 100 - kPlayoutDelaySeconds);
    EXPECT_LT(gf_distanceNm(now->lat, now->lon, due.lat, due.lon), 0.3);
    EXPECT_GT(now->lat, lastPut->lat);
}

// A newcomer that would appear on the ground where the user stands waits until its reports
// have taken it clear of the user.
TEST_F(LiveLifecycleTest, OnTheGroundANewcomerAppearsOnlyClearOfTheUser) {
    connect();
    const LatLon userAt{kStartLat, kStartLon};
    user = UserView{.position = userAt, .halfWingspanNm = 0.00965, .onGround = true};
    LiveTraffic traffic(gf_simOutbox(), hooksWithUser());
    // Taxiing away north from the user, 40 m between reports.
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 60; s += 4) records.push_back(groundRecord(0x484007, "KLM7", s, lf_moved(userAt, 10.0 * s), 19.4));
    feed(traffic, records);
    run(traffic, 2500);
    const auto created = creationsOf("KLM7");
    ASSERT_EQ(created.size(), 1u);
    const LatLon createdAt{created[0].value("lat", 0.0), created[0].value("lon", 0.0)};
    EXPECT_LT(lf_meters(createdAt, lf_moved(userAt, 160.0)), 1.0) << "at its first report more than 150 m away";
}

// A user in the air is kept clear of live aircraft: one heading for the user within 4 NM and
// 1000 ft, passing less than 700 ft from the user, is removed (a newcomer is not created within
// wider limits); near the ground (500 ft or less) one on the ground within 1 NM and 50 ft of
// the user's heading line is removed.
TEST_F(LiveLifecycleTest, InTheAirTheUserIsKeptClearOfAircraftOnItsWay) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), hooksWithUser());
    const double lon = kStartLon;
    const double nm = 1.0 / 60.0; // of latitude
    const LatLon taxiFrom{kStartLat - 0.1, kStartLon};
    std::vector<TrafficRecord> records;
    for (int s = 0; s <= 60; s += 4) {
        records.push_back(straightRecord(0x484011, "CONV1", s, kStartLat, lon, 3000.0));
        records.push_back(straightRecord(0x484012, "HIGH2", s, kStartLat, lon, 4200.0));
        records.push_back(straightRecord(0x484013, "WIDE3", s, kStartLat, lon + 0.004, 3000.0)); // 890 ft aside
        records.push_back(straightRecord(0x484014, "FAR4", s, kStartLat - 2.0 * nm, lon, 3000.0));
        records.push_back(straightRecord(0x484015, "AWAY5", s, kStartLat + 4.5 * nm, lon, 3000.0));
        records.push_back(groundRecord(0x484016, "TAXI6", s, lf_moved(taxiFrom, 10.0 * s), 19.4));
        records.push_back(groundRecord(0x484017, "TAXI7", s, lf_moved(taxiFrom, 10.0 * s, 100.0 / kFeetPerMeter), 19.4));
        records.push_back(groundRecord(0x48401a, "TAXI8", s, lf_moved(taxiFrom, 1852.0 + 10.0 * s), 19.4));
    }
    feed(traffic, records);
    run(traffic, 1400);
    std::map<std::string, std::uint32_t> ids;
    for (const std::string tail : {"CONV1", "HIGH2", "WIDE3", "FAR4", "AWAY5", "TAXI6", "TAXI7", "TAXI8"}) {
        const auto object = objectOf(tail);
        ASSERT_TRUE(object.has_value()) << tail;
        ids[tail] = object->id;
    }
    const auto removedTails = [&] {
        std::vector<std::string> tails;
        for (const auto& [tail, id] : ids)
            if (removed(id)) tails.push_back(tail);
        return tails;
    };

    // 3 NM ahead of CONV1, crossing its way at its height.
    const auto conv = objectOf("CONV1");
    user = UserView{.position = {conv->lat + 3.0 * nm, conv->lon}, .altitudeFt = 3000.0, .aboveGroundFt = 3011.0,
                    .headingDeg = 90.0, .groundSpeedKt = 250.0};
    traffic.refresh();
    run(traffic, 100);
    EXPECT_EQ(removedTails(), std::vector<std::string>{"CONV1"});
    // Newcomers heading for the user are not created within wider limits: 6 NM, 3000 ft.
    records.clear();
    const int now = clock / 100;
    const double flown = now * 110.0 / 3600.0 * nm;
    for (int s = now; s <= now + 40; s += 4) {
        records.push_back(straightRecord(0x484018, "NEWC8", s, user->position.lat - 5.0 * nm - flown, lon, 3000.0));
        records.push_back(straightRecord(0x484019, "NEWA9", s, user->position.lat + 2.0 * nm - flown, lon, 3000.0));
    }
    feed(traffic, records);
    run(traffic, 1000);
    EXPECT_TRUE(creationsOf("NEWC8").empty());
    EXPECT_EQ(creationsOf("NEWA9").size(), 1u) << "flying away";
    EXPECT_EQ(removedTails(), std::vector<std::string>{"CONV1"});

    // Approaching on a line over TAXI6, first still 600 ft up, then 300 ft.
    const auto taxi = objectOf("TAXI6");
    user = UserView{.position = {taxi->lat - 0.5 * nm, taxi->lon}, .altitudeFt = 600.0, .aboveGroundFt = 600.0,
                    .headingDeg = 0.0, .groundSpeedKt = 140.0};
    traffic.refresh();
    run(traffic, 100);
    EXPECT_EQ(removedTails(), std::vector<std::string>{"CONV1"});
    user->altitudeFt = user->aboveGroundFt = 300.0;
    traffic.refresh();
    run(traffic, 100);
    EXPECT_EQ(removedTails(), (std::vector<std::string>{"CONV1", "TAXI6"}));
}

// The window's Block command: the aircraft with that callsign leaves at once, from the simulator
// or from the buffer, and stays away while its callsign is the blocked one.
TEST_F(LiveLifecycleTest, ABlockedCallsignLeavesAtOnceAndStaysAway) {
    connect();
    LiveTraffic traffic(gf_simOutbox(), makeHooks());
    const auto reports = [&](std::uint32_t hex, const std::string& callsign) {
        std::vector<TrafficRecord> records;
        for (int s = clock / 100; s <= clock / 100 + 40; s += 4) records.push_back(record(hex, callsign, s));
        feed(traffic, records);
    };
    const auto block = [&](const std::string& callsign) {
        settings.blockCallsign = callsign;
        traffic.refresh();
        return traffic.removeCallsign(callsign);
    };
    reports(0x484001, "KLM1");
    run(traffic, 1000);
    const auto klm1 = objectOf("KLM1");
    ASSERT_TRUE(klm1.has_value());

    reports(0x484002, "KLM2");
    run(traffic, 10);
    EXPECT_TRUE(block("KLM2"));
    EXPECT_NE(logText().find(" KLM2     will be removed from buffer while blocked\n"), std::string::npos);
    run(traffic, 1);
    EXPECT_EQ(traffic.find(0x484002), nullptr) << "gone from the buffer before its first report is due";
    run(traffic, 200);
    reports(0x484002, "KLM2");
    run(traffic, 1000);
    EXPECT_TRUE(creationsOf("KLM2").empty());

    EXPECT_TRUE(block("KLM1"));
    EXPECT_NE(logText().find("KLM1     removed from simulator immediately while blocked\n"), std::string::npos);
    run(traffic, 20);
    EXPECT_TRUE(removed(klm1->id));
    reports(0x484001, "KLM1");
    reports(0x484002, "KLM2"); // no longer blocked
    run(traffic, 1000);
    EXPECT_EQ(creationsOf("KLM1").size(), 1u);
    EXPECT_FALSE(objectOf("KLM1").has_value());
    EXPECT_EQ(creationsOf("KLM2").size(), 1u);
}
