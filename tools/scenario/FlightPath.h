#pragma once
#include <vector>

#include "common/Geodesy.h"

namespace vorl::scenario {

// The state of an aircraft at one sample time.
struct PathSample {
    double t = 0.0; // scenario seconds
    LatLon position;
    double altitudeFt = 0.0; // true altitude
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;
    double verticalRateFpm = 0.0;
    double rollDeg = 0.0;
    bool onGround = true;
};

// Builds an aircraft's movement in fixed time steps, one manoeuvre after the other.
class FlightPath {
public:
    FlightPath(double startTime, double step, LatLon position, double trackDeg, double altitudeFt, double speedKt,
               bool onGround);

    // Stands still (or keeps its speed on the ground at 0) for `seconds`.
    void wait(double seconds);
    // Moves backwards (track unchanged) at walking speed for `distanceFeet`.
    void pushback(double distanceFeet);
    // On the ground: turns towards `target` (fast turn rate) and rolls there at `speedKt`.
    void taxiTo(LatLon target, double speedKt);
    // In the air: turns at a standard rate towards `target`, changes speed by 1.5 kt/s and
    // altitude by at most `maxRateFpm` towards the targets.
    void flyTo(LatLon target, double targetAltitudeFt, double targetSpeedKt, double maxRateFpm);
    // Final approach from the current position along the runway's heading on a 3 degree glide path
    // to `threshold`, the flare and touch-down, and the roll-out down to taxi speed.
    void landOn(LatLon threshold, double headingDeg, double elevationFt);
    // Take-off roll from the current position along `headingDeg`, rotation and initial climb to
    // `toAltitudeFt`.
    void takeOff(double headingDeg, double elevationFt, double toAltitudeFt);
    // Climbs or descends on the current track until `seconds` have passed.
    void cruise(double seconds, double targetAltitudeFt, double targetSpeedKt, double maxRateFpm);
    // Circles with a fixed turn rate (degrees per second, negative to the left).
    void orbit(double seconds, double turnRateDegPerSec);

    const std::vector<PathSample>& samples() const { return samples_; }
    const PathSample& now() const { return state_; }

private:
    void advance(double turnRateDegPerSec);
    void emit();
    void steerTowards(double bearingDeg, double maxTurnRate);

    double step_;
    PathSample state_;
    std::vector<PathSample> samples_;
};

// The shortest signed difference b - a between two bearings, -180..180.
double gf_bearingDifference(double a, double b);

} // namespace vorl::scenario
