// The phases of a live aircraft's flight, from the records written here to what the simulator
// stand-in shows: the take-off roll, rotation and climb, the approach, flare, touchdown and
// landing roll, the go-around, and the en-route rules (lights at 10000 ft, banked turns). The
// truth is the geometry of the records: the runway's centre line, the glide path, the climb path,
// the speeds along the runway.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "LiveTrafficFixture.h"
#include "sim/SimIds.h"
#include "sim/SimSession.h"

using namespace vorl;
using namespace vorl::test;

namespace {

// Runway 36 north of Schiphol: it runs north along one meridian from its threshold.
const LatLon kThreshold{kStartLat + 0.04, kStartLon};
constexpr double kRunwayFt = 10000.0;
// The stand-in's ground around Schiphol, and the height of its aircraft's reference point above
// the ground when the wheels touch (its static CG height) and the pitch they rest at.
constexpr double kElevationFt = -11.0;
constexpr double kCgHeightFt = 8.5;
constexpr double kRestingPitchRad = 0.02;
constexpr double kFeetPerDegree = 60.0 * kFeetPerNm; // along a meridian one minute is one mile
const double kGlideSlope = std::tan(gf_degToRad(3.0));
constexpr double kAimPointFt = 1000.0; // where the glide path meets the runway
constexpr std::uint32_t kHex = 0x484033;
// The live feed hands its records over half a minute before they are due.
constexpr int kFeedLeadCycles = 3000;

constexpr std::uint32_t kFlapsUp = 0, kFlapsTakeOff = 3072, kFlapsFull = 16383;
constexpr std::uint32_t kIdle = 0, kApproachPower = 4914, kClimbPower = 11468, kFullPower = 16383;
constexpr std::uint32_t kSpoilersOut = 16383;

double feetPerSecond(double knots) {
    return knots * kFeetPerNm / 3600.0;
}

// The point `northFt` past the threshold (negative: before it) and `eastFt` right of the centre line.
LatLon runwayPoint(double northFt, double eastFt = 0.0) {
    const double lat = kThreshold.lat + northFt / kFeetPerDegree;
    return {lat, kThreshold.lon + eastFt / (kFeetPerDegree * std::cos(gf_degToRad(lat)))};
}
// How far past the threshold and how far right of the centre line a point lies, in feet.
double alongFt(double lat) {
    return (lat - kThreshold.lat) * kFeetPerDegree;
}
double asideFt(double lat, double lon) {
    return (lon - kThreshold.lon) * kFeetPerDegree * std::cos(gf_degToRad(lat));
}

// Reports of one flight, flown by dead reckoning in the runway's frame. Each step flies from the
// last report to the next at the mean of both speeds and tracks.
struct Path {
    double north = 0.0, east = 0.0; // feet from the threshold
    double height = 0.0;            // above the ground, 0 on the ground
    double speedKt = 0.0, trackDeg = 0.0;
    int second = 0;
    std::vector<TrafficRecord> reports;

    Path(double northFt, double heightFt, double speed, double track)
        : north(northFt), height(heightFt), speedKt(speed), trackDeg(track) {}

    // The next report `toSecond` into the flight, climbing (or sinking) at `fpm` since the last.
    void to(int toSecond, double speed, double track, double fpm = 0.0) {
        const double seconds = toSecond - second;
        const double distance = feetPerSecond((speedKt + speed) / 2.0) * seconds;
        const double meanTrack = gf_degToRad(trackDeg + std::remainder(track - trackDeg, 360.0) / 2.0);
        north += distance * std::cos(meanTrack);
        east += distance * std::sin(meanTrack);
        height += fpm * seconds / 60.0;
        if (height < 1.0) height = 0.0;
        second = toSecond;
        speedKt = speed;
        trackDeg = track;
        report(fpm);
    }

    void report(double fpm = 0.0) {
        TrafficRecord r;
        r.hexId = kHex;
        r.callsign = "KLM33";
        r.type = "A320";
        r.code.typeIndex = 3;
        r.registration = "PH-TST";
        const LatLon at = runwayPoint(north, east);
        r.lat = at.lat;
        r.lon = at.lon;
        r.airborne = height > 0.0 ? 1 : 0;
        r.altitude = height > 0.0 ? kElevationFt + height : 0.0;
        r.groundSpeed = r.trueAirspeed = speedKt;
        r.track = trackDeg;
        r.verticalRate = height > 0.0 ? fpm : 0.0;
        r.dataTime = 1'700'000'000 + second;
        r.playoutTime = second * 100;
        reports.push_back(r);
    }

    // The height of the reports `along` feet past the threshold, between the reports around it.
    double heightAt(double along) const {
        const auto above = [](const TrafficRecord& r) {
            return r.airborne != 0 ? r.altitude - kElevationFt : 0.0;
        };
        for (std::size_t i = 1; i < reports.size(); ++i) {
            const double a = alongFt(reports[i - 1].lat), b = alongFt(reports[i].lat);
            if (along >= a && along <= b)
                return above(reports[i - 1]) +
                       (above(reports[i]) - above(reports[i - 1])) * (along - a) / (b - a);
        }
        return std::nan("");
    }
    // The reported ground speed `along` feet past the threshold: that of the last report not beyond it.
    double speedAt(double along) const {
        double speed = std::nan("");
        for (const TrafficRecord& r : reports)
            if (alongFt(r.lat) <= along) speed = r.groundSpeed;
        return speed;
    }
};

// What the simulator shows of the aircraft after one cycle.
struct Shown {
    std::int32_t cycle = 0;
    double alongFt = 0.0;  // past the threshold
    double asideFt = 0.0;  // right of the centre line
    double heightFt = 0.0; // of the reference point above the ground
    double noseUpDeg = 0.0;
    double bankDeg = 0.0; // the simulator's sign: positive is a bank to the left
    double headingDeg = 0.0;
    double wheelsFt() const { return heightFt - kCgHeightFt; }
};

// A control event whose value changed on the object, and when.
struct Change {
    std::string event;
    std::uint32_t data = 0;
    std::size_t at = 0; // index into what was shown
};

} // namespace

class FlightPhasesTest : public LiveTrafficTest {
  protected:
    void SetUp() override {
        LiveTrafficTest::SetUp();
        connect();
        ASSERT_DOUBLE_EQ(standIn->groundAltitudeFt(kThreshold.lat, kThreshold.lon), kElevationFt);
    }

    // Plays the reports as the live feed does, each arriving half a minute before it is due (those
    // of the first half minute at once), until `seconds` into the flight, and notes what the
    // simulator shows every cycle.
    void fly(std::vector<TrafficRecord> reports, int seconds) {
        LiveTrafficHooks h = makeHooks();
        h.airport = [] {
            return std::optional<AirportView>(AirportView{runwayPoint(kRunwayFt / 2.0), kElevationFt});
        };
        h.requestStaticAttitude = [](std::uint32_t objectId) { requestStaticAttitude(objectId); };
        LiveTraffic traffic(gf_simOutbox(), std::move(h));
        std::size_t next = 0;
        std::map<std::string, std::uint32_t> events;
        while (clock < seconds * 100) {
            std::vector<TrafficRecord> arrived;
            for (; next < reports.size() && reports[next].playoutTime - kFeedLeadCycles <= clock; ++next)
                arrived.push_back(reports[next]);
            if (!arrived.empty()) feed(traffic, arrived);
            run(traffic, 1);
            const auto objects = liveObjects();
            if (objects.empty()) continue;
            const auto& o = objects.front();
            shown.push_back({clock, alongFt(o.lat), asideFt(o.lat, o.lon), o.altitudeFt - kElevationFt,
                             -gf_radToDeg(o.pitch), gf_radToDeg(o.bank), gf_radToDeg(o.heading)});
            for (const auto& [event, data] : o.lastEvents) {
                const auto before = events.find(event);
                if (before == events.end() || before->second != data)
                    changes.push_back({event, data, shown.size() - 1});
            }
            events = o.lastEvents;
        }
        ASSERT_FALSE(shown.empty()) << "the aircraft never showed up";
    }

    // The first time the event took this value; nullptr when it never did.
    const Change* first(const std::string& event, std::uint32_t data) const {
        const auto it = std::find_if(changes.begin(), changes.end(),
                                     [&](const Change& c) { return c.event == event && c.data == data; });
        return it == changes.end() ? nullptr : &*it;
    }
    // The first time from `from` on that the wheels were off the ground (or on it).
    std::size_t firstShown(std::size_t from, bool airborne) const {
        for (std::size_t i = from; i < shown.size(); ++i)
            if (airborne ? shown[i].wheelsFt() > 0.5 : std::abs(shown[i].wheelsFt()) <= 0.5) return i;
        return shown.size();
    }
    // Ground speed shown at `i`, from the distance covered in the second before.
    double speedKt(std::size_t i) const {
        const std::size_t j = i >= 100 ? i - 100 : 0;
        const double feet =
            std::hypot(shown[i].alongFt - shown[j].alongFt, shown[i].asideFt - shown[j].asideFt);
        return feet / ((shown[i].cycle - shown[j].cycle) / 100.0) * 3600.0 / kFeetPerNm;
    }
    // The largest deviation of `value` from `truth` over the shown cycles [from, to) where `truth`
    // says something (not NaN), and where along the runway it was.
    template <typename Value, typename Truth>
    std::pair<double, double> largestDeviation(std::size_t from, std::size_t to, Value value,
                                               Truth truth) const {
        std::pair<double, double> worst{0.0, std::nan("")};
        for (std::size_t i = from; i < std::min(to, shown.size()); ++i) {
            const double expected = truth(shown[i]);
            if (!std::isnan(expected) && std::abs(value(shown[i]) - expected) > worst.first)
                worst = {std::abs(value(shown[i]) - expected), shown[i].alongFt};
        }
        return worst;
    }

    // The controls block (spoilers and thrust levers) as written to the object, with where it was.
    std::vector<nlohmann::json> controlWrites() const {
        std::vector<nlohmann::json> writes;
        for (const auto& c : calls("SetDataOnSimObject"))
            if (c.value("define", 0) == static_cast<int>(simid::kDefAiControls)) writes.push_back(c);
        return writes;
    }

    std::vector<Shown> shown;
    std::vector<Change> changes;
};

// Lined up at the start of runway 36, the aircraft's reports accelerate at 3.5 kt a second to
// 150 kt, leave the ground there and climb at 1875 fpm to 1500 ft, where they level off.
TEST_F(FlightPhasesTest, ATakeOffRollsOnTheCentreLineRotatesAndClimbsAwayOnTheReportedPath) {
    Path path(300.0, 0.0, 10.0, 0.0);
    path.report();
    for (int t = 4; t <= 40; t += t < 8 ? 4 : 2)
        path.to(t, 10.0 + 3.5 * t, 0.0);
    const double liftOffAlongFt = path.north;
    for (int t = 48; t <= 88; t += 8)
        path.to(t, 155.0, 0.0, 1875.0);
    for (int t = 96; t <= 104; t += 8)
        path.to(t, 160.0, 0.0);
    fly(path.reports, 100);

    const std::size_t rolling = firstShown(0, false);
    ASSERT_LT(rolling, 300u) << "it stands on its wheels once active";
    const std::size_t liftOff = firstShown(rolling, true);
    ASSERT_LT(liftOff, shown.size()) << "it never left the ground";
    const auto height = [](const Shown& s) { return s.heightFt; };
    const auto aside = [](const Shown& s) { return s.asideFt; };
    const auto zero = [](const Shown&) { return 0.0; };
    EXPECT_LT(largestDeviation(rolling, liftOff, height, [](const Shown&) { return kCgHeightFt; }).first, 0.5)
        << "it rolls on its wheels";
    EXPECT_LT(largestDeviation(rolling, shown.size(), aside, zero).first, 10.0) << "on the centre line";
    // Take-off flaps, full power, landing lights and strobes early in the roll, before 80 kt.
    const std::size_t eightyKt =
        std::find_if(shown.begin() + rolling, shown.end(),
                     [&](const Shown& s) { return speedKt(&s - shown.data()) >= 80.0; }) -
        shown.begin();
    for (const auto& [event, data] :
         std::vector<std::pair<std::string, std::uint32_t>>{{"FLAPS_SET", kFlapsTakeOff},
                                                            {"THROTTLE_SET", kFullPower},
                                                            {"LANDING_LIGHTS_SET", 1},
                                                            {"STROBES_SET", 1}}) {
        const Change* c = first(event, data);
        ASSERT_NE(c, nullptr) << event;
        EXPECT_LT(c->at, eightyKt) << event;
    }
    // It leaves the ground at flying speed, nose up, about where its reports do.
    EXPECT_GE(speedKt(liftOff), 130.0);
    EXPECT_GE(shown[liftOff].noseUpDeg, 5.0);
    EXPECT_NEAR(shown[liftOff].alongFt, liftOffAlongFt, 1000.0);
    // The gear comes up once it climbs, climb power is set from 800 ft.
    const Change* gearUp = first("GEAR_SET", 0);
    ASSERT_NE(gearUp, nullptr);
    EXPECT_GT(gearUp->at, liftOff);
    EXPECT_LT(shown[gearUp->at].heightFt, 1000.0);
    const Change* climbPower = first("THROTTLE_SET", kClimbPower);
    ASSERT_NE(climbPower, nullptr);
    EXPECT_GE(shown[climbPower->at].heightFt, 800.0);
    EXPECT_LT(shown[climbPower->at].heightFt, 1500.0);
    // The climb follows the reported path, the aircraft levels off at the reported height.
    const auto climb = largestDeviation(liftOff, shown.size(), height, [&](const Shown& s) {
        const double reported = path.heightAt(s.alongFt);
        return reported >= 300.0 ? reported : std::nan("");
    });
    EXPECT_LT(climb.first, 100.0) << "at " << climb.second << " ft past the threshold";
    EXPECT_NEAR(shown.back().heightFt, 1500.0, 30.0);
}

// The aircraft's reports come down the 3° glide path at 140 kt from 700 ft to the aiming point
// 1000 ft past the threshold, roll out on the centre line slowing by 4 kt a second to 44 kt and
// leave the runway by a rapid exit 30° to the right, turning onto it 5° every two seconds.
TEST_F(FlightPhasesTest, ALandingFollowsTheGlidePathFlaresIntoTheTouchdownZoneAndRollsOutOntoTheExit) {
    const int touchdownSecond = 56;
    const double v = feetPerSecond(140.0);
    const double sinkFpm = v * 60.0 * kGlideSlope;
    Path path(kAimPointFt - v * touchdownSecond, v * touchdownSecond * kGlideSlope, 140.0, 0.0);
    path.report(-sinkFpm);
    for (int t = 8; t <= touchdownSecond; t += 8)
        path.to(t, 140.0, 0.0, -sinkFpm);
    for (int t = touchdownSecond + 2; t <= touchdownSecond + 24; t += 2)
        path.to(t, 140.0 - 4.0 * (t - touchdownSecond), 0.0);
    for (int track = 5; track <= 30; track += 5)
        path.to(path.second + 2, std::max(25.0, 44.0 - 0.8 * track), track);
    for (int t = touchdownSecond + 40; t <= touchdownSecond + 48; t += 4)
        path.to(t, 25.0, 30.0);
    fly(path.reports, touchdownSecond + 56);

    // Down the glide path on the centre line, configured for landing well above 500 ft.
    for (const auto& [event, data] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"FLAPS_SET", kFlapsFull}, {"THROTTLE_SET", kApproachPower}}) {
        const Change* c = first(event, data);
        ASSERT_NE(c, nullptr) << event;
        EXPECT_GE(shown[c->at].heightFt, 500.0) << event;
    }
    EXPECT_EQ(first("GEAR_SET", 0), nullptr) << "the gear stays down";
    const std::size_t touchdown = firstShown(0, false);
    ASSERT_LT(touchdown, shown.size()) << "it never touched down";
    const auto height = [](const Shown& s) { return s.heightFt; };
    const auto glidePath = largestDeviation(0, touchdown, height, [](const Shown& s) {
        return s.wheelsFt() > 30.0 ? (kAimPointFt - s.alongFt) * kGlideSlope : std::nan("");
    });
    EXPECT_LT(glidePath.first, 30.0) << "at " << glidePath.second << " ft past the threshold";

    // The flare: idle thrust and a sink rate well below the glide path's over the last 10 ft,
    // the nose up; it touches down in the touchdown zone, the first 3000 ft of the runway.
    const Change* idle = first("THROTTLE_SET", kIdle);
    ASSERT_NE(idle, nullptr);
    EXPECT_LE(idle->at, touchdown);
    EXPECT_LT(shown[idle->at].wheelsFt(), 30.0);
    const std::size_t tenFeet =
        std::find_if(shown.begin(), shown.end(), [](const Shown& s) { return s.wheelsFt() <= 10.0; }) -
        shown.begin();
    const double lastTenFeetFpm = 10.0 / (shown[touchdown].cycle - shown[tenFeet].cycle) * 6000.0;
    EXPECT_LT(lastTenFeetFpm, 0.5 * sinkFpm);
    const auto onGlidePath =
        std::find_if(shown.begin(), shown.end(), [](const Shown& s) { return s.wheelsFt() <= 300.0; });
    EXPECT_GT(shown[touchdown].noseUpDeg, onGlidePath->noseUpDeg + 1.0);
    EXPECT_GE(shown[touchdown].alongFt, 0.0);
    EXPECT_LE(shown[touchdown].alongFt, 3000.0);

    // On the wheels: spoilers out and the reversers' thrust at once, the nose lowered to the
    // attitude the simulator gives the type at rest.
    const Change* spoilers = first("SPOILERS_SET", kSpoilersOut);
    ASSERT_NE(spoilers, nullptr);
    EXPECT_GE(spoilers->at, touchdown);
    EXPECT_LE(shown[spoilers->at].cycle, shown[touchdown].cycle + 50);
    const auto controls = controlWrites();
    ASSERT_GE(controls.size(), 2u);
    EXPECT_NEAR(alongFt(controls[0]["lat"].get<double>()), shown[touchdown].alongFt, 200.0);
    EXPECT_LT(controls[0]["alt"].get<double>() - kElevationFt, kCgHeightFt + 1.0);
    EXPECT_LT(
        largestDeviation(touchdown, shown.size(), height, [](const Shown&) { return kCgHeightFt; }).first,
        0.5)
        << "it stays on the ground";
    EXPECT_LT(largestDeviation(
                  touchdown + 500, shown.size(), [](const Shown& s) { return s.noseUpDeg; },
                  [](const Shown&) { return -gf_radToDeg(kRestingPitchRad); })
                  .first,
              1e-6);

    // The roll-out on the centre line; below 90 kt the spoilers go in and the flaps up to their
    // first stage, and the reversers' thrust goes back.
    const std::size_t exit = std::find_if(shown.begin() + touchdown, shown.end(),
                                          [](const Shown& s) { return s.headingDeg > 1.0; }) -
                             shown.begin();
    EXPECT_LT(largestDeviation(
                  0, exit, [](const Shown& s) { return s.asideFt; }, [](const Shown&) { return 0.0; })
                  .first,
              10.0);
    const auto stowed = std::find_if(changes.begin(), changes.end(), [&](const Change& c) {
        return c.event == "SPOILERS_SET" && c.data == 0 && c.at > touchdown;
    });
    ASSERT_NE(stowed, changes.end());
    EXPECT_LT(stowed->at, exit);
    EXPECT_LE(path.speedAt(shown[stowed->at].alongFt), 90.0);
    EXPECT_GE(path.speedAt(shown[stowed->at].alongFt), 60.0);
    EXPECT_EQ(first("FLAPS_SET", kFlapsTakeOff)->at, stowed->at);
    EXPECT_NEAR(alongFt(controls[1]["lat"].get<double>()), shown[stowed->at].alongFt, 200.0);

    // Off the runway: flaps up, taxi lights on, landing lights and strobes off, once the aircraft
    // points 15° or more away from the runway.
    for (const auto& [event, data] :
         std::vector<std::pair<std::string, std::uint32_t>>{{"FLAPS_SET", kFlapsUp},
                                                            {"TAXI_LIGHTS_SET", 1},
                                                            {"LANDING_LIGHTS_SET", 0},
                                                            {"STROBES_SET", 0}}) {
        const Change* c = first(event, data);
        ASSERT_NE(c, nullptr) << event;
        EXPECT_GE(shown[c->at].headingDeg, 15.0) << event;
        EXPECT_LT(shown[c->at].headingDeg, 31.0) << event;
    }
    EXPECT_LT(std::hypot(shown.back().alongFt - path.north, shown.back().asideFt - path.east), 30.0)
        << "it stops where its reports end, on the exit";
}

// The reports come down the glide path from 700 ft as for a landing, turn up at 300 ft and climb
// away at 1500 fpm and 150 kt to 1300 ft, where they level off.
TEST_F(FlightPhasesTest, AGoAroundClimbsAwayOnTheReportedPathWithPowerUpAndGearUpWithoutTouchingDown) {
    const double v = feetPerSecond(140.0);
    const double sinkFpm = v * 60.0 * kGlideSlope;
    Path path(kAimPointFt - v * 56, v * 56 * kGlideSlope, 140.0, 0.0);
    path.report(-sinkFpm);
    for (int t = 8; t <= 32; t += 8)
        path.to(t, 140.0, 0.0, -sinkFpm);
    const double lowestFt = path.height;
    for (int t = 40; t <= 72; t += 8)
        path.to(t, 150.0, 0.0, 1500.0);
    for (int t = 80; t <= 96; t += 8)
        path.to(t, 150.0, 0.0);
    fly(path.reports, 88);

    const auto lowest = std::min_element(
        shown.begin(), shown.end(), [](const Shown& a, const Shown& b) { return a.heightFt < b.heightFt; });
    EXPECT_GT(lowest->heightFt, lowestFt - 30.0) << "it never comes down below its reports";
    EXPECT_EQ(first("SPOILERS_SET", kSpoilersOut), nullptr);
    EXPECT_TRUE(controlWrites().empty()) << "no touchdown";
    ASSERT_NE(first("FLAPS_SET", kFlapsFull), nullptr) << "it was configured for landing";
    // Power up, gear up and flaps up as it climbs away: after the lowest point, within its first
    // 300 ft of climb.
    for (const auto& [event, data] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"THROTTLE_SET", kFullPower}, {"GEAR_SET", 0}, {"FLAPS_SET", kFlapsUp}}) {
        const Change* c = first(event, data);
        ASSERT_NE(c, nullptr) << event;
        EXPECT_GT(c->at, static_cast<std::size_t>(lowest - shown.begin())) << event;
        EXPECT_LT(shown[c->at].heightFt, lowest->heightFt + 300.0) << event;
    }
    const auto climb = largestDeviation(
        static_cast<std::size_t>(lowest - shown.begin()), shown.size(),
        [](const Shown& s) { return s.heightFt; }, [&](const Shown& s) { return path.heightAt(s.alongFt); });
    EXPECT_LT(climb.first, 100.0) << "at " << climb.second << " ft past the threshold";
    EXPECT_NEAR(shown.back().heightFt, path.height, 30.0);
}

// En route at 250 kt: the reports climb at 2000 fpm from 9600 ft through 10000 ft to 10400 ft,
// turn right at 3° a second onto east and descend again to 9600 ft.
TEST_F(FlightPhasesTest, AboveTenThousandFeetTheLandingLightsAreOffAndATurnIsBankedIntoIt) {
    const auto msl = [](double altitudeFt) { return altitudeFt - kElevationFt; };
    Path path(-60000.0, msl(9600.0), 250.0, 0.0);
    path.report(2000.0);
    for (int t = 4; t <= 24; t += 4)
        path.to(t, 250.0, 0.0, 2000.0);
    path.to(28, 250.0, 0.0);
    for (int t = 32; t <= 60; t += 4)
        path.to(t, 250.0, std::min(90.0, 3.0 * (t - 28)));
    for (int t = 64; t <= 84; t += 4)
        path.to(t, 250.0, 90.0, -2000.0);
    for (int t = 88; t <= 96; t += 4)
        path.to(t, 250.0, 90.0);
    fly(path.reports, 92);

    const auto altitude = [](const Shown& s) { return s.heightFt + kElevationFt; };
    const Change* on = first("LANDING_LIGHTS_SET", 1);
    const Change* off = first("LANDING_LIGHTS_SET", 0);
    ASSERT_NE(on, nullptr);
    ASSERT_NE(off, nullptr);
    EXPECT_LT(on->at, off->at) << "on below 10000 ft";
    EXPECT_GE(altitude(shown[off->at]), 10000.0);
    EXPECT_LT(altitude(shown[off->at]), 10200.0);
    const auto onAgain = std::find_if(changes.begin(), changes.end(), [&](const Change& c) {
        return c.event == "LANDING_LIGHTS_SET" && c.data == 1 && c.at > off->at;
    });
    ASSERT_NE(onAgain, changes.end()) << "on again below 10000 ft";
    EXPECT_LT(altitude(shown[onAgain->at]), 10000.0);
    EXPECT_GT(altitude(shown[onAgain->at]), 9800.0);

    // The turn: banked to the right (negative in the simulator's sign), never beyond 30°, and
    // wings level on the new heading at the end.
    const auto bank = [](const Shown& s) { return s.bankDeg; };
    EXPECT_LT(largestDeviation(0, shown.size(), bank, [](const Shown&) { return 0.0; }).first, 30.0);
    const auto right = std::min_element(shown.begin(), shown.end(),
                                        [](const Shown& a, const Shown& b) { return a.bankDeg < b.bankDeg; });
    EXPECT_LT(right->bankDeg, -10.0);
    EXPECT_GT(right->headingDeg, 5.0);
    EXPECT_LT(right->headingDeg, 85.0);
    const auto left = std::max_element(shown.begin(), shown.end(),
                                       [](const Shown& a, const Shown& b) { return a.bankDeg < b.bankDeg; });
    EXPECT_LT(left->bankDeg, 1.0) << "never to the left";
    EXPECT_NEAR(shown.back().headingDeg, 90.0, 1.0);
    EXPECT_NEAR(shown.back().bankDeg, 0.0, 1.0);
    // Where the reports went: the shown track stays on the line through them.
    double farthest = 0.0;
    for (const Shown& s : shown) {
        double nearest = 1e9;
        for (std::size_t i = 1; i < path.reports.size(); ++i) {
            const auto& a = path.reports[i - 1];
            const auto& b = path.reports[i];
            const double ax = asideFt(a.lat, a.lon), ay = alongFt(a.lat), bx = asideFt(b.lat, b.lon),
                         by = alongFt(b.lat);
            const double u = std::clamp(((s.asideFt - ax) * (bx - ax) + (s.alongFt - ay) * (by - ay)) /
                                            (std::pow(bx - ax, 2) + std::pow(by - ay, 2)),
                                        0.0, 1.0);
            nearest =
                std::min(nearest, std::hypot(s.asideFt - ax - u * (bx - ax), s.alongFt - ay - u * (by - ay)));
        }
        farthest = std::max(farthest, nearest);
    }
    EXPECT_LT(farthest, 100.0);
}
