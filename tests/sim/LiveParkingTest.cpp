// A live aircraft at a stand of the park airport: taking it, driving on, arriving, and leaving
// by pulling out or pushing back, played cycle by cycle without the simulator.
#include <cmath>

#include <gtest/gtest.h>

#include "common/Geodesy.h"
#include "sim/LiveParking.h"
#include "sim/MovementTables.h"

using namespace vorl;

namespace {

constexpr double kStandLat = 52.3100;
constexpr double kStandLon = 4.7600;
constexpr double kNmPerMeter = 1.0 / 1852.0;

LatLon lf_offset(double northMeters, double eastMeters) {
    const LatLon north = gf_destinationPoint({kStandLat, kStandLon}, 0.0, northMeters * kFeetPerNm * kNmPerMeter);
    return gf_destinationPoint(north, 90.0, eastMeters * kFeetPerNm * kNmPerMeter);
}

PositionSample lf_sample(LatLon at, double speedKt, std::int32_t due, bool stationary = false) {
    PositionSample p;
    p.lat = at.lat;
    p.lon = at.lon;
    p.groundSpeed = speedKt;
    p.stationary = stationary ? 1 : 0;
    p.playoutTime = p.scheduledDue = due;
    return p;
}

class StandFixture : public ::testing::Test {
protected:
    void SetUp() override {
        spot.number = 7;
        spot.id = "D7";
        spot.lat = kStandLat;
        spot.lon = kStandLon;
        spot.heading = 0.0; // nose north
        spot.radiusNm = 30.0 * kNmPerMeter;
        hooks.find = [this](const LiveAircraft&, LatLon, bool) {
            ++searches;
            return answer;
        };
        hooks.makeWay = [this](const StandSpot&, const LiveAircraft&, bool) { ++madeWay; };
        hooks.recordUse = [this](const StandSpot&, const LiveAircraft&) { ++uses; };
        hooks.maxParkCheck = [this](bool) { ++maxParkChecks; };
        context.stands = &hooks;
        context.clearLiveAtStand = [this](const StandSpot&, const LiveAircraft&) { ++cleared; };
        answer = {StandSearch::Found, spot};

        a.category = AircraftCategory::Large;
        a.halfWingspanNm = 17.0 * kNmPerMeter;
        a.taxiSpeedKt = 10.0;
        a.groundMode = true;
        a.presence.simState = SimState::Active;
        a.flightState = FlightState::Taxi;
    }

    // Main-loop cycles: a sample that falls due is planned, then the aircraft moves one step.
    void play(int cycles) {
        for (int i = 0; i < cycles; ++i, ++context.cycle) {
            if (!a.stream.empty() && a.stream.front().playoutTime <= context.cycle) gf_nextPosMain(a, context);
            gf_stepLiveAircraft(a, context);
        }
    }

    // Parked nose north on the stand; its data then moves south, behind the stand: two samples
    // farther out and it leaves.
    void parkOnStandAndLeaveSouth() {
        a.flightState = FlightState::Parked;
        a.stand.spot = spot;
        a.motion.lat = kStandLat;
        a.motion.lon = kStandLon;
        a.motion.heading = 0.0;
        a.stream = {lf_sample({kStandLat, kStandLon}, 0.0, 0, true)};
        PositionSample away = lf_sample(lf_offset(-60.0, 0.0), 6.0, 500);
        EXPECT_FALSE(gf_standSample(a, away, 400));
        away = lf_sample(lf_offset(-90.0, 0.0), 6.0, 700);
        EXPECT_TRUE(gf_standSample(a, away, 600));
        EXPECT_TRUE(a.stand.pullOutPending);
        a.stream.push_back(away);
        context.cycle = 601;
    }

    double metersFromStand() const { return gf_distanceNm(a.motion.lat, a.motion.lon, kStandLat, kStandLon) * 1852.0; }

    StandSpot spot;
    LiveStandHooks hooks;
    MovementContext context;
    StandAnswer answer;
    LiveAircraft a;
    int searches = 0, madeWay = 0, uses = 0, maxParkChecks = 0, cleared = 0;
};

} // namespace

TEST_F(StandFixture, AnAircraftThatStopsNearAStandDrivesOntoItNoseInAndShutsDown) {
    // It comes from the south-east and stops 25 m from the stand.
    const LatLon stop = lf_offset(-20.0, 15.0);
    a.motion.lat = stop.lat;
    a.motion.lon = stop.lon;
    a.motion.heading = gf_degToRad(300.0);
    a.stream = {lf_sample(stop, 3.0, 0), lf_sample(stop, 0.0, 200, true)};
    play(1);
    EXPECT_EQ(a.flightState, FlightState::Parking);
    EXPECT_EQ(a.stand.spot.number, 7u);
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(madeWay, 1);
    play(3000);
    EXPECT_EQ(a.flightState, FlightState::Parked);
    EXPECT_LT(metersFromStand(), 2.0);
    EXPECT_NEAR(gf_radToDeg(gf_normalisePi(a.motion.heading)), 0.0, 2.0);
    EXPECT_EQ(uses, 1);
    EXPECT_EQ(maxParkChecks, 1);
}

TEST_F(StandFixture, NoStandMeansNoSecondSearchAtTheSamePlace) {
    answer = {StandSearch::None, {}};
    const LatLon stop = lf_offset(-20.0, 0.0);
    a.stream = {lf_sample(stop, 0.0, 0, true)};
    EXPECT_FALSE(gf_try2Park(a, context, false));
    EXPECT_FALSE(gf_try2Park(a, context, false));
    EXPECT_EQ(searches, 1);
    // While the stands are being planned the search is simply asked again.
    answer = {StandSearch::Busy, {}};
    a.stream.back().lat += 0.0001;
    EXPECT_FALSE(gf_try2Park(a, context, false));
    EXPECT_FALSE(gf_try2Park(a, context, false));
    EXPECT_EQ(searches, 3);
}

TEST_F(StandFixture, DrivingOntoAStandTakesAtLeastOneSecond) {
    a.stand.spot = spot;
    const LatLon near = lf_offset(-5.0, 0.0);
    a.stream = {lf_sample(near, 0.0, 1000, true)};
    gf_drive2Stand(a, context);
    ASSERT_EQ(a.stream.size(), 3u);
    EXPECT_EQ(a.stream[1].playoutTime - a.stream[0].playoutTime, 100) << "5 m at 10 kt is less than a second";
    EXPECT_EQ(a.stream[2].playoutTime - a.stream[1].playoutTime, 50);
    EXPECT_EQ(a.stream[2].stationary, 1);
}

TEST_F(StandFixture, AStraightPushbackEndsTwoAndAHalfStandRadiiBehindTheStand) {
    context.straightPushbacksOnly = true;
    parkOnStandAndLeaveSouth();
    play(3000);
    EXPECT_EQ(a.flightState, FlightState::PushedBack);
    EXPECT_NEAR(metersFromStand(), 75.0, 3.0);
    EXPECT_NEAR(gf_radToDeg(gf_normalisePi(a.motion.heading)), 0.0, 1.0) << "a pushback keeps the nose where it was";
}

TEST_F(StandFixture, AHeavyMovedSoonAfterParkingWasTowedAndMayParkAgain) {
    a.category = AircraftCategory::Heavy;
    a.flightState = FlightState::Parked;
    a.stand.spot = spot;
    a.stand.parkedCycle = 0;
    a.pendingCourseChange = true;
    a.stream = {lf_sample({kStandLat, kStandLon}, 0.0, 0, true)};
    const std::int32_t fiftyMinutes = 50 * 60 * 100;
    PositionSample away = lf_sample(lf_offset(60.0, 0.0), 6.0, fiftyMinutes);
    gf_standSample(a, away, fiftyMinutes);
    away = lf_sample(lf_offset(90.0, 0.0), 6.0, fiftyMinutes + 200);
    EXPECT_TRUE(gf_standSample(a, away, fiftyMinutes + 200));
    EXPECT_TRUE(a.stand.towed);

    // A pull-out forward: the next position lies ahead of the stand.
    a.stream.push_back(away);
    EXPECT_TRUE(gf_planStandDeparture(a, context));
    EXPECT_EQ(a.flightState, FlightState::Taxi);
    EXPECT_TRUE(a.stand.leftStand);
}

// Reports of an aircraft standing at its stand wander by metres; it moves off only when its
// reports step steadily away, three 3 m steps adding up to half its wingspan or one stretch
// longer than the wingspan, or when they leave the zone around the stand.
TEST_F(StandFixture, AParkedAircraftLeavesOnlyWhenItsReportsStepAway) {
    a.flightState = FlightState::Parked;
    a.stand.spot = spot;
    a.stream = {lf_sample({kStandLat, kStandLon}, 0.0, 0, true)};
    const auto at = [&](double northMeters) {
        PositionSample p = lf_sample(lf_offset(northMeters, 0.0), 2.0, 100);
        return gf_standSample(a, p, 100);
    };
    // Wander: out, back, out again by less than the wings.
    EXPECT_FALSE(at(10.0));
    EXPECT_FALSE(at(14.0));
    EXPECT_FALSE(at(18.0));
    EXPECT_FALSE(at(14.0)) << "3 m back: the count starts again";
    EXPECT_FALSE(at(18.5));
    EXPECT_FALSE(at(23.0));
    EXPECT_FALSE(a.stand.pullOutPending) << "two steps, 9 m: still standing";
    EXPECT_TRUE(at(27.5)) << "the third step, 13.5 m out, more than half the 17 m half wingspan";
    EXPECT_TRUE(a.stand.pullOutPending);

    // One stretch longer than the half wingspan is enough at once.
    a.stand.pullOutPending = false;
    a.stand.referenceNm.reset();
    a.stand.stepsOut = 0;
    EXPECT_FALSE(at(5.0));
    EXPECT_TRUE(at(23.0));
}

TEST_F(StandFixture, TheZoneIsWiderAfterDrivingOntoTheStandAndFarReportsRemoveTheAircraft) {
    a.flightState = FlightState::Parked;
    a.stand.spot = spot;
    a.stream = {lf_sample({kStandLat, kStandLon}, 0.0, 0, true)};
    PositionSample p = lf_sample(lf_offset(120.0, 0.0), 8.0, 100);
    EXPECT_TRUE(gf_standSample(a, p, 100)) << "born at the stand: 120 m is beyond the 85 m zone";
    EXPECT_TRUE(a.stand.pullOutPending);

    a.stand.pullOutPending = false;
    a.stand.arrivedByParking = true;
    p = lf_sample(lf_offset(120.0, 0.0), 8.0, 100);
    EXPECT_FALSE(gf_standSample(a, p, 100)) << "it drove onto the stand: the zone is 170 m";
    EXPECT_FALSE(a.stand.pullOutPending);

    p = lf_sample(lf_offset(250.0, 0.0), 8.0, 200);
    EXPECT_FALSE(gf_standSample(a, p, 200));
    EXPECT_TRUE(a.stand.goneFromStand) << "beyond 200 m it left unseen";

    // An aircraft driving to its stand whose reports go beyond the zone drives on.
    a = LiveAircraft{};
    a.flightState = FlightState::Parking;
    a.stand.spot = spot;
    p = lf_sample(lf_offset(-60.0, 0.0), 8.0, 300);
    EXPECT_FALSE(gf_standSample(a, p, 300));
    EXPECT_EQ(a.flightState, FlightState::Parking);
    p = lf_sample(lf_offset(-100.0, 0.0), 8.0, 400);
    EXPECT_TRUE(gf_standSample(a, p, 400));
    EXPECT_EQ(a.flightState, FlightState::Taxi);
    EXPECT_EQ(a.stand.spot.number, 0u);
}

// A pushback with a turn ends with the nose where the real aircraft's next report points:
// to the right of the stand's heading when it points right, to the left otherwise.
TEST_F(StandFixture, APushbackTurnsTheWayTheRealAircraftPoints) {
    for (const double reportedDeg : {90.0, 270.0}) {
        SetUp();
        context.cycle = 0;
        parkOnStandAndLeaveSouth();
        for (int i = 0; i < 1000 && a.flightState != FlightState::PushingBack; ++i) play(1);
        ASSERT_EQ(a.flightState, FlightState::PushingBack);
        PositionSample report = lf_sample(lf_offset(-95.0, 0.0), 3.0, 2000);
        report.track = reportedDeg;
        EXPECT_FALSE(gf_standSample(a, report, context.cycle));
        play(4000);
        EXPECT_EQ(a.flightState, FlightState::PushedBack);
        EXPECT_NEAR(gf_radToDeg(gf_normalisePi(a.motion.heading - gf_degToRad(reportedDeg))), 0.0, 15.0)
            << "reported " << reportedDeg;
    }
}

// Reports arrive half a minute before they are shown: a parked aircraft whose reports step away
// stays on its stand until the first step falls due, and only then pushes back.
TEST_F(StandFixture, ADepartureBeginsWhenTheFirstStepAwayFallsDueNotWhenItsReportArrives) {
    a.flightState = FlightState::Parked;
    a.stand.spot = spot;
    a.motion.lat = kStandLat;
    a.motion.lon = kStandLon;
    a.stream = {lf_sample({kStandLat, kStandLon}, 0.0, 60480000, true)}; // parked: due a week on
    // A pushback south at 3 kt, 3.1 m every 2 s, all reported at cycle 100 though due from 3200 on.
    for (int i = 1; i <= 4; ++i) {
        PositionSample p = lf_sample(lf_offset(-3.1 * i, 0.0), 3.0, 3000 + 200 * i);
        if (gf_standSample(a, p, 100)) a.stream.push_back(p);
    }
    ASSERT_TRUE(a.stand.pullOutPending);
    context.cycle = 101;
    play(3400 - 101 - 10); // until just before the first step away (the second report) is due
    EXPECT_LT(metersFromStand(), 0.1) << "standing while the real aircraft stands";
    EXPECT_EQ(a.flightState, FlightState::Parked);
    play(300);
    EXPECT_EQ(a.flightState, FlightState::PushingBack);
    EXPECT_GT(metersFromStand(), 0.3) << "pushing back as the real one does";
}
