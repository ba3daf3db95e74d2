#pragma once
#include <cstdint>

#include "common/AircraftCategory.h"
#include "sim/BezierCurve.h"
#include "sim/PositionSample.h"

namespace vorl {

// Cycles a leg is planned over: until the next sample is due, but never less than a quarter
// second so that an overdue sample is approached smoothly instead of jumped to.
int gf_legCycles(std::int32_t nextDue, std::int32_t nowCycle);

// Cycles it takes to cover `nm` nautical miles at `speedKt` knots.
std::int32_t gf_cyclesAtSpeed(double nm, double speedKt);

// The length of the curve from `start` through `control` to `end`, near enough for timing it:
// the mean of the chord and the control polygon.
double gf_curveLengthNm(LatLon start, LatLon control, LatLon end);

// Mean speed of a leg in knots; a leg between two zero speeds takes the speed its distance and
// time imply (at least 1 kt).
double gf_legSpeedKt(const PositionSample& from, const PositionSample& to);

// Throttle index during a take-off roll, from the current and the next ground speed.
int gf_takeOffRollThrottle(AircraftCategory category, double speedKt, double nextSpeedKt);

enum class TaxiLeg { Straight, Split, Curve };

// How a taxi leg with the given course change (degrees, ±180) is driven. `legNm`, `speedKt` and
// `cyclesToNext` describe the leg to the next sample; `twoAheadAtCurrent` says whether the
// sample after the next lies at the current position (a turn there would be a loop).
TaxiLeg gf_classifyTaxiLeg(double courseChangeDeg, double legNm, double speedKt, int cyclesToNext,
                           bool twoAheadAtCurrent);

// Angle difference brought into [-π, π).
double gf_normalisePi(double radians);

// Pitch wanted for a vertical rate, in the simulator's sign (negative is nose up), radians.
double gf_wantedPitchRad(double verticalRateFpm);

// The kinematic state of one aircraft between samples, stepped once per 10 ms cycle.
struct MotionState {
    double lat = 0.0;
    double lon = 0.0;
    double altitude = 0.0;
    double heading = 0.0; // radians
    double pitch = 0.0;
    double bank = 0.0;
    double latStep = 0.0;
    double lonStep = 0.0;
    double altitudeStep = 0.0;
    double headingRate = 0.0;
    double pitchRate = 0.0;
    double bankRate = 0.0;
};

// Plans the airborne leg from the current output state to `next`: the heading turns towards the
// course from `next` to the sample after it (none without one), or, with `followTrueHeading`,
// towards the heading the next sample reports (low down, where the course may be a crab).
void gf_planAirLeg(MotionState& state, AircraftCategory category, const PositionSample& next, bool followTrueHeading,
                   const PositionSample* afterNext, std::int32_t nowCycle);

// One cycle of integration without a curve.
void gf_stepMotion(MotionState& state);

// Longitude kept within [-180, 180); a latitude past a pole folds back over it.
void gf_wrapPosition(MotionState& state);

// Turns the heading towards `wanted` by at most `rateLimit` radians, the shorter way round;
// nothing when it is within half a degree already.
void gf_turnTowards(MotionState& state, double wanted, double rateLimit);

// A planned taxi turn: the curve, its parameter and the increment of the parameter per cycle.
struct CurveProgress {
    double u = 0.0;
    double increment = 0.0;
};

// One cycle along a curve: the position follows the curve, the heading turns towards its
// tangent by at most `turnRateLimit` (radians per cycle), the shorter way round; a pushback
// drives the curve tail first.
void gf_stepOnCurve(MotionState& state, const BezierCurve& curve, CurveProgress& progress, double turnRateLimit,
                    bool pushingBack);

} // namespace vorl
