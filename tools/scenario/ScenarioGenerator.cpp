#include "tools/scenario/ScenarioGenerator.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <nlohmann/json.hpp>

#include "tools/scenario/FlightPath.h"

namespace vorl::scenario {

namespace {

using nlohmann::json;

struct Occupation {
    double from;
    double to;
};

// Which stand is taken when, so that no two aircraft share one.
class StandPlan {
public:
    explicit StandPlan(std::size_t stands) : busy_(stands) {}
    std::optional<std::size_t> pick(Rng& rng, double from, double to) {
        const std::size_t n = busy_.size();
        const std::size_t start = rng.index(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t s = (start + i) % n;
            const bool free = std::none_of(busy_[s].begin(), busy_[s].end(),
                                           [&](const Occupation& o) { return o.from < to + 300.0 && from < o.to + 300.0; });
            if (free) {
                busy_[s].push_back({from, to});
                return s;
            }
        }
        return std::nullopt;
    }
    bool everUsed(std::size_t s) const { return !busy_[s].empty(); }

private:
    std::vector<std::vector<Occupation>> busy_;
};

// One 48-element record as RealTraffic sends it; element 10 (time) is set by the stand-in.
json lf_record(const Identity& id, const PathSample& s, double qnh, Rng& rng) {
    const bool ground = s.onGround;
    // Barometric altitude is reported against standard pressure.
    const double baro = ground ? 0.0 : s.altitudeFt - (qnh - 1013.25) * 27.0;
    const auto num = [&](double value) { return ground ? json() : json(std::round(value)); };
    const double tas = s.groundSpeedKt + (ground ? 0.0 : 8.0);
    return json::array({id.hex,
                        std::round(s.position.lat * 1e6) / 1e6,
                        std::round(s.position.lon * 1e6) / 1e6,
                        std::round(s.trackDeg * 10.0) / 10.0,
                        static_cast<int>(std::round(baro / 25.0) * 25.0),
                        std::round(s.groundSpeedKt * 10.0) / 10.0,
                        id.squawk,
                        "X",
                        id.type,
                        id.registration,
                        0,
                        id.origin,
                        id.destination,
                        id.callsign,
                        ground ? 1 : 0,
                        static_cast<int>(std::round(s.verticalRateFpm / 64.0) * 64.0),
                        id.flightNumber,
                        id.source,
                        num(s.altitudeFt + 150.0),
                        num(s.groundSpeedKt - 10.0),
                        ground ? json() : json(std::round(tas)),
                        ground ? json() : json(std::round(tas / 661.0 * 1000.0) / 1000.0),
                        ground ? json() : json(0.0),
                        ground ? json() : json(std::round(s.rollDeg * 10.0) / 10.0),
                        ground ? json() : json(std::round(std::fmod(s.trackDeg - 2.0 + 360.0, 360.0) * 10.0) / 10.0),
                        ground ? json() : json(std::round(s.trackDeg * 10.0) / 10.0),
                        num(s.verticalRateFpm),
                        "none",
                        id.category,
                        ground ? json() : json(1009.0),
                        ground ? json() : json(5000),
                        ground ? json() : json(5000),
                        ground ? json() : json(std::round(s.trackDeg)),
                        ground ? "null" : "autopilot|vnav|lnav",
                        8,
                        186,
                        1,
                        10,
                        2,
                        std::round(rng.uniform(0.1, 1.5) * 10.0) / 10.0,
                        std::round(rng.uniform(-25.0, -6.0) * 10.0) / 10.0,
                        0,
                        0,
                        ground ? json() : json(240),
                        ground ? json() : json(12),
                        ground ? json() : json(static_cast<int>(8.0 - s.altitudeFt / 500.0)),
                        ground ? json() : json(static_cast<int>(10.0 - s.altitudeFt / 600.0)),
                        1});
}

class Generator {
public:
    Generator(const AirportLayout& airport, Fleet& fleet, const GeneratorSettings& settings, std::ostream& out)
        : airport_(airport), fleet_(fleet), settings_(settings), out_(out), rng_(settings.seed),
          stands_(airport.stands.size()) {}

    GeneratorReport run() {
        out_ << json{{"kind", "header"}, {"airport", airport_.icao}, {"duration", settings_.durationSeconds},
                     {"seed", settings_.seed}, {"step", settings_.stepSeconds}}
                    .dump()
             << '\n';
        for (const auto& station : airport_.stations)
            out_ << json{{"kind", "wx"}, {"t", 0}, {"icao", station.icao}, {"lat", station.position.lat},
                         {"lon", station.position.lon}, {"qnh", station.qnh}, {"metar", station.metar}}
                        .dump()
                 << '\n';
        // Parked aircraft first: they hold their stands for the whole scenario.
        parked();
        for (const auto& name : airport_.arrivalRunways)
            for (double t = -900.0; t < settings_.durationSeconds - 300.0; t += settings_.arrivalSpacingSeconds)
                arrival(airport_.runway(name), t + rng_.uniform(-15.0, 15.0));
        for (const auto& name : airport_.departureRunways)
            for (double t = -600.0; t < settings_.durationSeconds - 300.0; t += settings_.departureSpacingSeconds)
                departure(airport_.runway(name), t + rng_.uniform(-20.0, 20.0));
        for (int i = 0; i < settings_.overflights; ++i) overflight(rng_.uniform(-600.0, settings_.durationSeconds - 200.0));
        for (int i = 0; i < settings_.helicopters; ++i) helicopter(static_cast<std::size_t>(i), rng_.uniform(-300.0, settings_.durationSeconds - 600.0));
        for (int i = 0; i < settings_.lightAircraft; ++i) light(rng_.uniform(-900.0, settings_.durationSeconds - 300.0));
        return report_;
    }

private:
    LatLon from(LatLon point, double bearing, double nm) const { return gf_destinationPoint(point, bearing, nm * kFeetPerNm); }

    void write(const Identity& id, const FlightPath& path) {
        std::size_t written = 0;
        for (const auto& s : path.samples()) {
            if (s.t < 0.0 || s.t > settings_.durationSeconds) continue;
            out_ << json{{"kind", "pos"}, {"t", std::round(s.t * 10.0) / 10.0}, {"hex", id.hex},
                         {"rec", lf_record(id, s, qnh(), rng_)}}
                        .dump()
                 << '\n';
            ++written;
        }
        if (written > 0) ++report_.liveAircraft;
        report_.samples += written;
    }

    double qnh() const { return airport_.stations.empty() ? 1013.0 : airport_.stations.front().qnh; }
    double elevation() const { return airport_.elevationFt; }

    // The taxi points of a runway are listed from its hold towards the apron.
    void taxiVia(FlightPath& path, const std::vector<std::string>& via, bool reverse) {
        std::vector<std::string> points = via;
        if (reverse) std::reverse(points.begin(), points.end());
        for (const auto& name : points) path.taxiTo(airport_.taxiPoints.at(name), 18.0);
    }

    void arrival(const Runway& runway, double start) {
        const Identity id = fleet_.airliner(rng_, airport_.iata, true);
        const double reciprocal = std::fmod(runway.heading + 180.0, 360.0);
        const double entryBearing = reciprocal + rng_.uniform(-70.0, 70.0);
        const LatLon entry = from(runway.threshold, entryBearing, rng_.uniform(30.0, 36.0));
        const double entryAltitude = std::round(rng_.uniform(8000.0, 11000.0) / 100.0) * 100.0;
        FlightPath path(start, settings_.stepSeconds, entry, gf_bearingDeg(entry, runway.threshold), entryAltitude, 250.0, false);
        path.flyTo(from(runway.threshold, reciprocal, 17.0), 4500.0, 210.0, 1800.0);
        path.flyTo(from(runway.threshold, reciprocal, 12.0), elevation() + 12.0 * kFeetPerNm * 0.0524 + 50.0, 180.0, 1500.0);
        path.landOn(runway.threshold, runway.heading, elevation());
        taxiVia(path, runway.via, false);
        path.taxiTo(airport_.apron, 15.0);
        const double inBlock = path.now().t + 120.0;
        const double atStand = rng_.uniform(60.0, 240.0);
        // The transponder goes off a few minutes after in-block; the stand counts as taken a while longer.
        if (const auto stand = stands_.pick(rng_, inBlock - 60.0, inBlock + atStand + 1800.0)) {
            const StandSpot& spot = airport_.stands[*stand];
            path.taxiTo(from(spot.position, spot.heading + 180.0, 0.03), 10.0);
            path.taxiTo(spot.position, 5.0);
            path.wait(atStand);
        }
        write(id, path);
    }

    void departure(const Runway& runway, double start) {
        Identity id = fleet_.airliner(rng_, airport_.iata, false);
        const double atStand = rng_.uniform(60.0, 300.0);
        const auto stand = stands_.pick(rng_, start - 3600.0, start + atStand + 60.0);
        if (!stand) return;
        const StandSpot& spot = airport_.stands[*stand];
        FlightPath path(start, settings_.stepSeconds, spot.position, spot.heading, elevation(), 0.0, true);
        path.wait(atStand);
        path.pushback(rng_.uniform(150.0, 250.0));
        path.wait(30.0);
        path.taxiTo(airport_.apron, 15.0);
        taxiVia(path, runway.via, true);
        path.taxiTo(runway.hold, 15.0);
        path.wait(rng_.uniform(20.0, 90.0));
        path.taxiTo(runway.threshold, 8.0);
        path.wait(10.0);
        path.takeOff(runway.heading, elevation(), 3000.0);
        const double exitBearing = runway.heading + rng_.uniform(-90.0, 90.0);
        path.flyTo(from(path.now().position, exitBearing, 40.0), rng_.uniform(14000.0, 24000.0), 290.0, 2500.0);
        write(id, path);
    }

    void overflight(double start) {
        const Identity id = fleet_.overflight(rng_);
        const double bearing = rng_.uniform(0.0, 360.0);
        const LatLon entry = from(airport_.reference, bearing, 40.0);
        const LatLon exit = from(airport_.reference, bearing + 180.0 + rng_.uniform(-40.0, 40.0), 40.0);
        const double level = std::round(rng_.uniform(250.0, 390.0) / 10.0) * 1000.0;
        FlightPath path(start, settings_.stepSeconds * 2.0, entry, gf_bearingDeg(entry, exit), level, 450.0, false);
        path.flyTo(exit, level, 450.0, 1000.0);
        write(id, path);
    }

    void helicopter(std::size_t n, double start) {
        const Identity id = fleet_.helicopter(rng_, n);
        const LatLon base = from(airport_.reference, rng_.uniform(0.0, 360.0), rng_.uniform(4.0, 12.0));
        FlightPath path(start, settings_.stepSeconds, base, rng_.uniform(0.0, 360.0), 1000.0, 100.0, false);
        path.orbit(rng_.uniform(300.0, 900.0), rng_.chance(0.5) ? 3.0 : -3.0);
        path.flyTo(from(airport_.reference, rng_.uniform(0.0, 360.0), 20.0), 1500.0, 120.0, 500.0);
        write(id, path);
    }

    void light(double start) {
        const Identity id = fleet_.lightAircraft(rng_);
        const double bearing = rng_.uniform(0.0, 360.0);
        // VFR traffic keeps clear of the airport's runways: it crosses at 8 NM or more.
        const LatLon entry = from(airport_.reference, bearing, 25.0);
        const LatLon abeam = from(airport_.reference, bearing + 90.0, rng_.uniform(8.0, 14.0));
        const LatLon exit = from(airport_.reference, bearing + 180.0, 25.0);
        const double altitude = std::round(rng_.uniform(1500.0, 3000.0) / 100.0) * 100.0;
        FlightPath path(start, settings_.stepSeconds, entry, gf_bearingDeg(entry, abeam), altitude, 105.0, false);
        path.flyTo(abeam, altitude, 105.0, 500.0);
        path.flyTo(exit, altitude, 105.0, 500.0);
        write(id, path);
    }

    void parked() {
        for (int i = 0; i < settings_.parkedAircraft; ++i) {
            const auto stand = stands_.pick(rng_, -7200.0, settings_.durationSeconds + 7200.0);
            if (!stand) break;
            const StandSpot& spot = airport_.stands[*stand];
            const Identity id = fleet_.airliner(rng_, airport_.iata, true);
            const double age = std::round(rng_.uniform(600.0, 20.0 * 3600.0));
            // As the service does, some time stamps carry a fraction and some callsigns are missing.
            const json stamp = i % 3 == 1 ? json(0.37) : json(0);
            const json callsign = i % 5 == 2 ? json() : i % 7 == 3 ? json("") : json(id.callsign);
            out_ << json{{"kind", "parked"}, {"hex", id.hex}, {"age", age},
                         {"rec", json::array({spot.position.lat, spot.position.lon, airport_.icao + "_" + spot.name,
                                              id.type, id.registration, stamp, callsign})}}
                        .dump()
                 << '\n';
            ++report_.parked;
        }
    }

    const AirportLayout& airport_;
    Fleet& fleet_;
    const GeneratorSettings& settings_;
    std::ostream& out_;
    Rng rng_;
    StandPlan stands_;
    GeneratorReport report_;
};

} // namespace

GeneratorReport gf_generateScenario(const AirportLayout& airport, Fleet& fleet, const GeneratorSettings& settings,
                                    std::ostream& out) {
    return Generator(airport, fleet, settings, out).run();
}

} // namespace vorl::scenario
