#include "sim/MovementPlanning.h"

#include <algorithm>
#include <cmath>

#include "common/Geodesy.h"
#include "sim/MovementTables.h"

namespace vorl {

int gf_legCycles(std::int32_t nextDue, std::int32_t nowCycle) {
    return std::max(nextDue - nowCycle, kMinLegCycles);
}

double gf_legSpeedKt(const PositionSample& from, const PositionSample& to) {
    if (from.groundSpeed != 0.0 || to.groundSpeed != 0.0) return (from.groundSpeed + to.groundSpeed) / 2.0;
    const double nm = gf_distanceNm(from.lat, from.lon, to.lat, to.lon);
    const double cycles = std::max(static_cast<double>(to.playoutTime - from.playoutTime), 25.0);
    return std::max(nm * 360000.0 / cycles, 1.0);
}

int gf_takeOffRollThrottle(AircraftCategory category, double speedKt, double nextSpeedKt) {
    if (category != AircraftCategory::Rotorcraft && speedKt < 25.0 && nextSpeedKt < 30.0) {
        if (speedKt >= 20.0 || nextSpeedKt >= 25.0) return 2;
        if (speedKt >= 15.0 || nextSpeedKt >= 20.0) return 1;
        return 0;
    }
    return 4;
}

TaxiLeg gf_classifyTaxiLeg(double courseChangeDeg, double legNm, double speedKt, int cyclesToNext,
                           bool twoAheadAtCurrent) {
    const double change = std::abs(courseChangeDeg);
    if (change <= kStraightLegMaxDeg) return TaxiLeg::Straight;
    if (change > kSplitLegMinDeg && legNm > kSplitLegMinNm && speedKt <= kSplitLegMaxKt &&
        cyclesToNext >= kSplitLegMinCycles)
        return TaxiLeg::Split;
    if (change <= kCurveMaxDeg) return twoAheadAtCurrent ? TaxiLeg::Straight : TaxiLeg::Curve;
    return TaxiLeg::Straight;
}

double gf_normalisePi(double radians) {
    double a = std::fmod(radians + kPi, 2.0 * kPi);
    if (a < 0.0) a += 2.0 * kPi;
    return a - kPi;
}

double gf_wantedPitchRad(double verticalRateFpm) {
    double vr = std::min(verticalRateFpm, 2400.0);
    if (vr < 0.0) vr = std::max(vr, -3000.0) / 2.0;
    return gf_degToRad(-3.0 - (vr / 600.0) * 2.2);
}

void gf_planAirLeg(MotionState& state, AircraftCategory category, const PositionSample& next, bool followTrueHeading,
                   const PositionSample* afterNext, std::int32_t nowCycle) {
    const CategoryRow& row = gf_categoryRow(category);
    const double n = gf_legCycles(next.playoutTime, nowCycle);
    state.latStep = (next.lat - state.lat) / n;
    state.lonStep = (next.lon - state.lon) / n;
    state.altitudeStep = (next.altitude - state.altitude) / n;

    const double pitchLimit = gf_degToRad(row.pitchRateLimitDeg);
    state.pitchRate = std::clamp((gf_wantedPitchRad(next.verticalRate) - state.pitch) / n,
                                 -pitchLimit, pitchLimit);

    double headingChange = 0.0;
    if (followTrueHeading && next.headingValid != 0 && next.bankValid != 0) {
        headingChange = gf_normalisePi(next.trueHeading - state.heading);
    } else if (afterNext != nullptr) {
        const double endBearing =
            gf_degToRad(gf_bearingDeg({next.lat, next.lon}, {afterNext->lat, afterNext->lon}));
        headingChange = gf_normalisePi(endBearing - state.heading);
    }
    state.headingRate = headingChange / n;

    const double bankLimit = gf_degToRad(row.bankLimitDeg);
    const double bankRateLimit = gf_degToRad(row.bankRateLimitDeg);
    const double wantedBank = next.bankValid != 0 ? next.bank : std::clamp(-headingChange, -bankLimit, bankLimit);
    state.bankRate = std::clamp((wantedBank - state.bank) / n, -bankRateLimit, bankRateLimit);
}

void gf_stepMotion(MotionState& state) {
    state.lat += state.latStep;
    state.lon += state.lonStep;
    state.altitude = std::max(state.altitude + state.altitudeStep, 0.0);
    state.heading = std::fmod(state.heading + state.headingRate + 2.0 * kPi, 2.0 * kPi);
    state.pitch += state.pitchRate;
    state.bank = std::clamp(state.bank + state.bankRate, -kPi, kPi);
    gf_wrapPosition(state);
}

void gf_wrapPosition(MotionState& state) {
    if (state.lat > 90.0 || state.lat < -90.0) {
        state.lat = (state.lat > 0 ? 180.0 : -180.0) - state.lat;
        state.lon += 180.0;
    }
    if (state.lon >= 180.0) state.lon -= 360.0;
    if (state.lon < -180.0) state.lon += 360.0;
}

void gf_stepOnCurve(MotionState& state, const BezierCurve& curve, CurveProgress& progress, double turnRateLimit,
                    bool pushingBack) {
    progress.u = std::clamp(progress.u + progress.increment, 0.0, 0.999999);
    const LatLon point = curve.pointAt(progress.u);
    state.lat = point.lat;
    state.lon = point.lon;
    double wanted = curve.headingAt(progress.u);
    if (pushingBack) wanted = std::fmod(wanted + kPi, 2.0 * kPi);
    gf_turnTowards(state, wanted, turnRateLimit);
}

void gf_turnTowards(MotionState& state, double wanted, double rateLimit) {
    const double off = gf_normalisePi(wanted - state.heading);
    if (std::abs(off) <= gf_degToRad(0.5)) return;
    const double turn = std::clamp(off, -rateLimit, rateLimit);
    state.heading = std::fmod(state.heading + turn + 2.0 * kPi, 2.0 * kPi);
}

std::int32_t gf_cyclesAtSpeed(double nm, double speedKt) {
    return static_cast<std::int32_t>(std::lround(nm / std::max(speedKt, 1.0) * 3600.0 * kCyclesPerSecond));
}

double gf_curveLengthNm(LatLon start, LatLon control, LatLon end) {
    return (gf_distanceNm(start, control) + gf_distanceNm(control, end) + gf_distanceNm(start, end)) / 2.0;
}

} // namespace vorl
