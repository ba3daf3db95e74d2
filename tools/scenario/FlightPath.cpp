#include "tools/scenario/FlightPath.h"

#include <algorithm>
#include <cmath>

namespace vorl::scenario {

namespace {

constexpr double kFeetPerSecondPerKnot = 1.6878098571;
constexpr double kGlideSlope = 0.05240777928; // tan(3 degrees)
constexpr int kLongestManoeuvreSteps = 20000;  // every loop ends even with bad input

double lf_approach(double value, double target, double maxChange) {
    if (value < target) return std::min(target, value + maxChange);
    return std::max(target, value - maxChange);
}

} // namespace

double gf_bearingDifference(double a, double b) {
    double d = std::fmod(b - a + 540.0, 360.0) - 180.0;
    return d;
}

FlightPath::FlightPath(double startTime, double step, LatLon position, double trackDeg, double altitudeFt,
                       double speedKt, bool onGround)
    : step_(step) {
    state_.t = startTime;
    state_.position = position;
    state_.trackDeg = trackDeg;
    state_.altitudeFt = altitudeFt;
    state_.groundSpeedKt = speedKt;
    state_.onGround = onGround;
    emit();
}

void FlightPath::emit() { samples_.push_back(state_); }

void FlightPath::advance(double turnRateDegPerSec) {
    state_.trackDeg = std::fmod(state_.trackDeg + turnRateDegPerSec * step_ + 360.0, 360.0);
    const double feet = state_.groundSpeedKt * kFeetPerSecondPerKnot * step_;
    state_.position = gf_destinationPoint(state_.position, state_.trackDeg, feet);
    state_.altitudeFt += state_.verticalRateFpm / 60.0 * step_;
    // Coordinated turn: tan(bank) = v * omega / g.
    const double omega = gf_degToRad(turnRateDegPerSec);
    state_.rollDeg = state_.onGround ? 0.0 : gf_radToDeg(std::atan(state_.groundSpeedKt * kFeetPerSecondPerKnot * omega / 32.174));
    state_.t += step_;
    emit();
}

void FlightPath::steerTowards(double bearingDeg, double maxTurnRate) {
    const double diff = gf_bearingDifference(state_.trackDeg, bearingDeg);
    const double rate = std::clamp(diff / step_, -maxTurnRate, maxTurnRate);
    advance(rate);
}

void FlightPath::wait(double seconds) {
    state_.groundSpeedKt = 0.0;
    state_.verticalRateFpm = 0.0;
    for (double waited = 0.0; waited < seconds; waited += step_) advance(0.0);
}

void FlightPath::pushback(double distanceFeet) {
    const double track = state_.trackDeg;
    state_.verticalRateFpm = 0.0;
    const double speed = 3.0;
    const double stepFeet = speed * kFeetPerSecondPerKnot * step_;
    for (double moved = 0.0; moved < distanceFeet; moved += stepFeet) {
        state_.groundSpeedKt = speed;
        state_.position = gf_destinationPoint(state_.position, track + 180.0, stepFeet);
        state_.t += step_;
        emit();
    }
    state_.groundSpeedKt = 0.0;
}

void FlightPath::taxiTo(LatLon target, double speedKt) {
    state_.verticalRateFpm = 0.0;
    for (int i = 0; i < kLongestManoeuvreSteps; ++i) {
        const double remainingFeet = gf_distanceNm(state_.position, target) * kFeetPerNm;
        const double stepFeet = std::max(1.0, state_.groundSpeedKt) * kFeetPerSecondPerKnot * step_;
        if (remainingFeet <= stepFeet) break;
        // Slow down for the last stretch so the stop is gentle.
        const double wanted = remainingFeet < 400.0 ? std::min(speedKt, 6.0) : speedKt;
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, wanted, 2.0 * step_);
        steerTowards(gf_bearingDeg(state_.position, target), 25.0);
    }
    state_.position = target;
}

void FlightPath::flyTo(LatLon target, double targetAltitudeFt, double targetSpeedKt, double maxRateFpm) {
    for (int i = 0; i < kLongestManoeuvreSteps; ++i) {
        const double remainingNm = gf_distanceNm(state_.position, target);
        const double stepNm = state_.groundSpeedKt * step_ / 3600.0;
        if (remainingNm <= std::max(stepNm * 1.5, 0.3)) break;
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, targetSpeedKt, 1.5 * step_);
        // Reach the target altitude about when the target is reached, within the rate limit.
        const double minutesLeft = remainingNm / std::max(state_.groundSpeedKt, 60.0) * 60.0;
        const double needed = (targetAltitudeFt - state_.altitudeFt) / std::max(minutesLeft, 0.5);
        state_.verticalRateFpm = std::clamp(needed, -maxRateFpm, maxRateFpm);
        steerTowards(gf_bearingDeg(state_.position, target), 3.0);
    }
}

void FlightPath::landOn(LatLon threshold, double headingDeg, double elevationFt) {
    // Established on the centre line: from here the track is the runway's.
    for (int i = 0; i < kLongestManoeuvreSteps; ++i) {
        const double remainingFeet = gf_distanceNm(state_.position, threshold) * kFeetPerNm;
        const double stepFeet = state_.groundSpeedKt * kFeetPerSecondPerKnot * step_;
        if (remainingFeet <= stepFeet) break;
        const double speedTarget = remainingFeet > 4.0 * kFeetPerNm ? 170.0 : 140.0;
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, speedTarget, 1.0 * step_);
        // Aim at where the glide path will be after this step; the rate limit makes the
        // capture from above gradual.
        const double glideNext = elevationFt + 50.0 + std::max(0.0, remainingFeet - stepFeet) * kGlideSlope;
        state_.verticalRateFpm = std::clamp((glideNext - state_.altitudeFt) / step_ * 60.0, -2000.0, 500.0);
        steerTowards(gf_bearingDeg(state_.position, threshold), 3.0);
    }
    state_.trackDeg = headingDeg;
    // Flare: from 50 ft over the threshold the sink rate falls off until the wheels touch.
    while (state_.altitudeFt > elevationFt + 1.0) {
        const double height = state_.altitudeFt - elevationFt;
        state_.verticalRateFpm = -std::max(120.0, height * 14.0);
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, 132.0, 1.0 * step_);
        advance(0.0);
        if (state_.altitudeFt - elevationFt < 3.0) break;
    }
    state_.altitudeFt = elevationFt;
    state_.verticalRateFpm = 0.0;
    state_.onGround = true;
    // Roll-out: braking to taxi speed on the centre line.
    while (state_.groundSpeedKt > 25.0) {
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, 20.0, 4.0 * step_);
        advance(0.0);
    }
}

void FlightPath::takeOff(double headingDeg, double elevationFt, double toAltitudeFt) {
    state_.trackDeg = headingDeg;
    state_.altitudeFt = elevationFt;
    state_.onGround = true;
    while (state_.groundSpeedKt < 155.0) {
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, 160.0, 3.5 * step_);
        advance(0.0);
    }
    state_.onGround = false;
    for (int i = 0; i < kLongestManoeuvreSteps && state_.altitudeFt < toAltitudeFt; ++i) {
        const double height = state_.altitudeFt - elevationFt;
        state_.verticalRateFpm = std::min(2500.0, 600.0 + height * 20.0);
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, height < 3000.0 ? 180.0 : 250.0, 1.0 * step_);
        advance(0.0);
    }
}

void FlightPath::cruise(double seconds, double targetAltitudeFt, double targetSpeedKt, double maxRateFpm) {
    for (double flown = 0.0; flown < seconds; flown += step_) {
        state_.groundSpeedKt = lf_approach(state_.groundSpeedKt, targetSpeedKt, 1.5 * step_);
        const double needed = (targetAltitudeFt - state_.altitudeFt) * 60.0 / 30.0;
        state_.verticalRateFpm = std::clamp(needed, -maxRateFpm, maxRateFpm);
        advance(0.0);
    }
}

void FlightPath::orbit(double seconds, double turnRateDegPerSec) {
    state_.verticalRateFpm = 0.0;
    for (double flown = 0.0; flown < seconds; flown += step_) advance(turnRateDegPerSec);
}

} // namespace vorl::scenario
