// The life of a live aircraft in the simulator stand-in: how it starts after its creation, the
// ghosts and duplicates that give way, a new livery, keeping clear of the user, blocking.
#include <cmath>
#include <optional>

#include "LiveTrafficFixture.h"

using namespace vorl;
using namespace vorl::test;

namespace {

constexpr double kFeetPerMeter = 1.0 / 0.3048;

LatLon lf_moved(LatLon from, double northMeters, double eastMeters = 0.0) {
    const LatLon north = gf_destinationPoint(from, 0.0, northMeters * kFeetPerMeter);
    return gf_destinationPoint(north, 90.0, eastMeters * kFeetPerMeter);
}

double lf_meters(LatLon a, LatLon b) { return gf_distanceNm(a, b) * 1852.0; }

} // namespace

class LiveLifecycleTest : public LiveTrafficTest {
protected:
    // A report on the ground at `at`, `speedKt` along `trackDeg`.
    static TrafficRecord groundRecord(std::uint32_t hex, const std::string& callsign, int second, LatLon at,
                                      double speedKt, double trackDeg = 0.0) {
        TrafficRecord r = record(hex, callsign, second, speedKt);
        r.lat = at.lat;
        r.lon = at.lon;
        r.altitude = 0.0;
        r.airborne = 0;
        r.track = trackDeg;
        return r;
    }

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
};

// Two seconds after the simulator confirms an aircraft it stands still with its lights toggled
// twice (the simulator needs that before it takes light switches); then it starts moving with
// engines and lights as its data says it is: flying, parked or taxiing.
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
    const auto& low = startedWith["LOW1"];
    EXPECT_EQ(low.count("ENGINE_AUTO_START"), 1u);
    EXPECT_EQ(low.at("NAV_LIGHTS_SET"), 1u);
    EXPECT_EQ(low.at("BEACON_LIGHTS_SET"), 1u);
    EXPECT_EQ(low.at("STROBES_SET"), 1u);
    EXPECT_EQ(low.at("LANDING_LIGHTS_SET"), 1u) << "at 3000 ft";
    const auto& high = startedWith["HIGH2"];
    EXPECT_EQ(high.count("ENGINE_AUTO_START"), 1u);
    EXPECT_EQ(high.at("NAV_LIGHTS_SET"), 1u);
    EXPECT_EQ(high.at("BEACON_LIGHTS_SET"), 1u);
    EXPECT_EQ(high.at("STROBES_SET"), 1u);
    EXPECT_EQ(high.at("LANDING_LIGHTS_SET"), 0u) << "at 12000 ft";
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
