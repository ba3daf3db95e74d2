#pragma once
// Live aircraft fed with records written by the test, against the simulator stand-in: the
// records are the truth the aircraft in the simulator is compared with.
#include <map>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "common/Geodesy.h"
#include "sim/LiveTraffic.h"
#include "sim/SimInbox.h"

namespace vorl::test {

constexpr double kStartLat = 52.45; // well north of Schiphol, clear of the user
constexpr double kStartLon = 4.70;
// Records arrive this long before they are due, as the feed's records do before their play-out.
constexpr int kPlayoutDelaySeconds = 5;

class LiveTrafficTest : public SimLinkTest {
protected:
    LiveTrafficHooks makeHooks() {
        LiveTrafficHooks h;
        h.settings = [this] { return settings; };
        h.matchLivery = [this](const LiveAircraft& a) -> std::optional<std::string> {
            ++matchCalls[a.callsign().substr(0, 3)];
            if (a.callsign().rfind("NOL", 0) == 0) return std::nullopt;
            return kA320Title;
        };
        h.category = [](std::uint16_t) { return AircraftCategory::Large; };
        h.identity = [](const std::string&, const std::string&, std::uint16_t type) {
            ModelCode code;
            code.airlineIndex = 7;
            code.typeIndex = type;
            return code;
        };
        return h;
    }

    // A record `second` seconds into the flight, flying north at `speedKt` with a gentle weave,
    // so that no record merely continues a straight line.
    static TrafficRecord record(std::uint32_t hex, const std::string& callsign, int second, double speedKt = 110.0) {
        TrafficRecord r;
        r.hexId = hex;
        r.callsign = callsign;
        r.type = "A320";
        r.code.typeIndex = 3;
        r.registration = "PH-TST";
        r.lat = kStartLat + second * speedKt / 3600.0 / 60.0;
        r.lon = kStartLon + 0.002 * std::sin(second / 4.0);
        r.altitude = 3000.0;
        r.airborne = 1;
        r.groundSpeed = speedKt;
        r.trueAirspeed = speedKt;
        r.track = second % 4 == 0 ? 355.0 : 5.0;
        r.dataTime = 1'700'000'000 + second;
        r.playoutTime = (second + kPlayoutDelaySeconds) * 100;
        return r;
    }

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

    void feed(LiveTraffic& traffic, std::vector<TrafficRecord> records) { traffic.addRecords(records); }

    // Main-loop cycles of 10 ms against simulator frames, the simulator's answers handed back.
    void run(LiveTraffic& traffic, int count) {
        for (int i = 0; i < count; ++i, ++clock) {
            traffic.admit(clock);
            traffic.update(clock);
            traffic.avoidCollisions();
            cycle();
            for (const SimMessage& m : gf_simInbox().drain()) traffic.onMessage(m);
        }
    }

    std::vector<standin::StandInObject> liveObjects() const {
        std::vector<standin::StandInObject> found;
        for (const auto& o : standIn->objects())
            if (o.title == kA320Title) found.push_back(o);
        return found;
    }

    LiveTrafficSettings settings;
    std::map<std::string, int> matchCalls;
    std::int32_t clock = 0;
};

} // namespace vorl::test
