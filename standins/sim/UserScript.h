#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vorl::standin {

// Where the stand-in's user aircraft is at one moment.
struct UserPose {
    double lat = 0.0;
    double lon = 0.0;
    double altitudeFt = 0.0; // above sea level; on the ground the caller puts it on the terrain
    double headingDeg = 0.0;
    double pitchDeg = 0.0;
    double groundSpeedKt = 0.0;
    double verticalSpeedFtMin = 0.0;
    bool onGround = true;
};

// A point the user aircraft passes at a given second of the run.
struct UserKeyframe {
    double atSeconds = 0.0;
    double lat = 0.0;
    double lon = 0.0;
    double altitudeFt = 0.0;
    bool onGround = true;
    // Known from a recorded path; otherwise derived from the leg to the next keyframe.
    std::optional<double> headingDeg;
    std::optional<double> groundSpeedKt;
    std::optional<double> verticalSpeedFtMin;
};

// The path the stand-in's user flies: keyframes joined by straight legs, the last one held.
class UserScript {
public:
    // Standing still at one place.
    static UserScript fixed(double lat, double lon, double altitudeFt, double headingDeg, bool onGround);
    // From stand D7 at Amsterdam Schiphol: parked two minutes, pushback, taxi to runway 24,
    // take-off, climb and cruise south-west, then an approach and landing on runway 36C, in
    // one-second steps.
    static UserScript ehamDeparture();
    static UserScript fromKeyframes(std::vector<UserKeyframe> keyframes);

    UserPose poseAt(double seconds) const;
    const std::vector<UserKeyframe>& keyframes() const { return keyframes_; }

private:
    std::vector<UserKeyframe> keyframes_;
};

} // namespace vorl::standin
