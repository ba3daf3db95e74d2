#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/Geodesy.h"
#include "sim/BezierCurve.h"
#include "sim/LiveMovement.h"
#include "sim/MovementPlanning.h"

using namespace vorl;

TEST(BezierCurve, RunsFromStartThroughEndWithTangentHeadings) {
    const LatLon start{52.30, 4.76};
    const LatLon corner{52.31, 4.76};   // due north of the start
    const LatLon end{52.31, 4.776};     // then east
    const BezierCurve curve(start, corner, end);
    const LatLon p0 = curve.pointAt(0.0);
    const LatLon p1 = curve.pointAt(1.0);
    EXPECT_NEAR(p0.lat, start.lat, 1e-12);
    EXPECT_NEAR(p0.lon, start.lon, 1e-12);
    EXPECT_NEAR(p1.lat, end.lat, 1e-9);
    EXPECT_NEAR(p1.lon, end.lon, 1e-9);
    EXPECT_NEAR(curve.headingAt(0.0), 0.0, 1e-9);
    EXPECT_NEAR(curve.headingAt(1.0), kPi / 2.0, 1e-6);
    // Headings along the curve change steadily, never more than a few degrees per 1 % of u.
    double last = curve.headingAt(0.0);
    for (int i = 1; i <= 100; ++i) {
        const double h = curve.headingAt(i / 100.0);
        EXPECT_LT(std::abs(h - last), gf_degToRad(3.0));
        last = h;
    }
}

TEST(MovementPlanning, LegTimingSpeedAndThrottleRules) {
    EXPECT_EQ(gf_legCycles(105, 100), 25); // a sample due in 5 cycles is planned over 25
    EXPECT_EQ(gf_legCycles(90, 100), 25);  // overdue
    EXPECT_EQ(gf_legCycles(400, 100), 300);
    EXPECT_EQ(gf_takeOffRollThrottle(AircraftCategory::Large, 22, 27), 2);
    EXPECT_EQ(gf_takeOffRollThrottle(AircraftCategory::Large, 12, 18), 0);
    EXPECT_EQ(gf_takeOffRollThrottle(AircraftCategory::Large, 16, 18), 1);
    EXPECT_EQ(gf_takeOffRollThrottle(AircraftCategory::Large, 40, 60), 4);
    EXPECT_EQ(gf_takeOffRollThrottle(AircraftCategory::Rotorcraft, 0, 0), 4);

    PositionSample a, b;
    a.groundSpeed = 10;
    b.groundSpeed = 20;
    EXPECT_DOUBLE_EQ(gf_legSpeedKt(a, b), 15.0);
    // Both zero: 1 NM in 3600 cycles (36 s) is 100 kt.
    a = {}; b = {};
    b.lat = 1.0 / 60.0;
    b.playoutTime = 3600;
    EXPECT_NEAR(gf_legSpeedKt(a, b), 100.0, 0.1);
}

TEST(MovementPlanning, TaxiCourseChangesPickStraightCurveOrSplit) {
    EXPECT_EQ(gf_classifyTaxiLeg(2, 0.01, 15, 100, false), TaxiLeg::Straight);
    EXPECT_EQ(gf_classifyTaxiLeg(100, 0.01, 15, 100, false), TaxiLeg::Curve);
    EXPECT_EQ(gf_classifyTaxiLeg(-100, 0.01, 15, 100, false), TaxiLeg::Curve);
    EXPECT_EQ(gf_classifyTaxiLeg(170, 0.01, 15, 100, false), TaxiLeg::Straight);
    EXPECT_EQ(gf_classifyTaxiLeg(100, 0.01, 15, 100, true), TaxiLeg::Straight);
    EXPECT_EQ(gf_classifyTaxiLeg(60, 0.05, 15, 600, false), TaxiLeg::Split);
    EXPECT_EQ(gf_classifyTaxiLeg(60, 0.05, 50, 600, false), TaxiLeg::Curve); // too fast to split
}

// An airborne stream every 4 s along a gentle turn: the played-out position never jumps more
// than the speed allows between two cycles, never goes below ground, and turns smoothly.
TEST(MovementPlanning, AirStreamIsFlownWithoutJumpsOrSharpTurns) {
    std::vector<PositionSample> stream;
    LatLon p{52.0, 4.0};
    double track = 90.0;
    const double speedKt = 250.0;
    for (int i = 0; i < 30; ++i) {
        PositionSample s;
        s.lat = p.lat;
        s.lon = p.lon;
        s.altitude = 3000.0 - i * 50.0;
        s.verticalRate = -750.0;
        s.groundSpeed = speedKt;
        s.airborne = 1;
        s.playoutTime = i * 400;
        stream.push_back(s);
        track += 3.0;
        p = gf_destinationPoint(p, track, speedKt * kFeetPerNm * 4.0 / 3600.0);
    }
    MotionState state;
    state.lat = stream[0].lat;
    state.lon = stream[0].lon;
    state.altitude = stream[0].altitude;
    state.heading = gf_degToRad(gf_bearingDeg({stream[0].lat, stream[0].lon}, {stream[1].lat, stream[1].lon}));
    const double maxStepNm = speedKt * 1.2 / 360000.0;
    double maxTurn = 0.0;
    for (std::size_t i = 1; i + 1 < stream.size(); ++i) {
        gf_planAirLeg(state, AircraftCategory::Large, stream[i], false, &stream[i + 1], stream[i - 1].playoutTime);
        for (std::int32_t c = stream[i - 1].playoutTime; c < stream[i].playoutTime; ++c) {
            const MotionState before = state;
            gf_stepMotion(state);
            EXPECT_LE(gf_distanceNm(before.lat, before.lon, state.lat, state.lon), maxStepNm);
            EXPECT_GT(state.altitude, 0.0);
            maxTurn = std::max(maxTurn, std::abs(gf_normalisePi(state.heading - before.heading)));
        }
        EXPECT_NEAR(state.lat, stream[i].lat, 1e-9);
        EXPECT_NEAR(state.lon, stream[i].lon, 1e-9);
    }
    EXPECT_LT(maxTurn, gf_degToRad(0.1));
}

// A 90° taxi turn over 60 m driven at 15 kt: the aircraft stays on the curve, moves no more per
// cycle than its speed allows and its heading turns gradually towards the new course.
TEST(MovementPlanning, TaxiTurnAlongCurveIsSmooth) {
    const LatLon start{52.30, 4.76};
    const LatLon corner = gf_destinationPoint(start, 0.0, 100.0);
    const LatLon end = gf_destinationPoint(corner, 90.0, 100.0);
    const BezierCurve curve(start, corner, end);
    MotionState state;
    state.lat = start.lat;
    state.lon = start.lon;
    const int cycles = 800; // about 60 m at 15 kt
    CurveProgress progress{0.0, 1.0 / cycles};
    const double turnRate = gf_degToRad(15.0) / 100.0;
    double maxStepNm = 0.0;
    for (int c = 0; c < cycles; ++c) {
        const MotionState before = state;
        gf_stepOnCurve(state, curve, progress, turnRate, false);
        maxStepNm = std::max(maxStepNm, gf_distanceNm(before.lat, before.lon, state.lat, state.lon));
        EXPECT_LE(std::abs(gf_normalisePi(state.heading - before.heading)), turnRate + 1e-12);
    }
    EXPECT_LT(maxStepNm, 20.0 / 360000.0); // under 20 kt at any point of the turn
    EXPECT_LT(gf_distanceNm(state.lat, state.lon, end.lat, end.lon), 0.001);
    EXPECT_NEAR(state.heading, kPi / 2.0, gf_degToRad(2.0));
}

// Low down the aircraft points where its report says it points (a crab into the wind on
// approach); higher up it turns onto the course to the sample after the next one.
TEST(MovementPlanning, LowDownTheReportedHeadingWinsOverTheCourse) {
    PositionSample next;
    next.lat = 52.01;
    next.lon = 4.0;
    next.altitude = 900.0;
    next.airborne = 1;
    next.playoutTime = 400;
    next.trueHeading = gf_degToRad(20.0);
    next.headingValid = 1;
    next.bankValid = 1;
    PositionSample after = next;
    after.lat = 52.02;
    after.playoutTime = 800; // due north of the next one
    MotionState low;
    low.lat = 52.0;
    low.lon = 4.0;
    low.altitude = 900.0;
    MotionState high = low;
    gf_planAirLeg(low, AircraftCategory::Large, next, true, &after, 0);
    gf_planAirLeg(high, AircraftCategory::Large, next, false, &after, 0);
    EXPECT_NEAR(gf_radToDeg(low.headingRate * 400), 20.0, 1e-6);
    EXPECT_NEAR(gf_radToDeg(high.headingRate * 400), 0.0, 1e-6);
    // Without a bank the report's heading is not trusted.
    next.bankValid = 0;
    gf_planAirLeg(low, AircraftCategory::Large, next, true, &after, 0);
    EXPECT_NEAR(low.headingRate, 0.0, 1e-9);
}

// Below 1000 ft above the ground and not landing, an aircraft is never let down towards the
// ground by its samples: it climbs by at least 0.2 ft a cycle; higher up it follows them down.
TEST(MovementPlanning, LowAndNotLandingItNeverSinks) {
    LiveAircraft a;
    a.category = AircraftCategory::Large;
    a.presence.simState = SimState::Active;
    a.flightState = FlightState::Flying;
    a.motion.lat = 52.0;
    a.motion.lon = 4.0;
    a.motion.altitude = 800.0;
    const auto sample = [](double lat, double altitude, std::int32_t due) {
        PositionSample p;
        p.lat = lat;
        p.lon = 4.0;
        p.altitude = altitude;
        p.airborne = 1;
        p.groundSpeed = p.trueAirspeed = 150.0;
        p.verticalRate = -600.0;
        p.playoutTime = p.scheduledDue = due;
        return p;
    };
    MovementContext c;
    a.aboveGroundFt = 800.0;
    a.stream = {sample(52.0, 800.0, 0), sample(52.01, 700.0, 500)};
    ASSERT_TRUE(gf_nextPosMain(a, c));
    EXPECT_NEAR(a.motion.altitudeStep, 0.2, 1e-9);

    a.motion.altitude = 3000.0;
    a.aboveGroundFt = 3000.0;
    a.stream = {sample(52.0, 3000.0, 0), sample(52.01, 2900.0, 500)};
    ASSERT_TRUE(gf_nextPosMain(a, c));
    EXPECT_LT(a.motion.altitudeStep, 0.0);
}
