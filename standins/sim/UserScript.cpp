#include "standins/sim/UserScript.h"

#include <algorithm>
#include <cmath>

#include "common/Geodesy.h"

namespace vorl::standin {

UserScript UserScript::fixed(double lat, double lon, double altitudeFt, double headingDeg, bool onGround) {
    UserScript script;
    script.keyframes_.push_back({0.0, lat, lon, altitudeFt, onGround});
    script.fixedHeadingDeg_ = headingDeg;
    return script;
}

UserScript UserScript::fromKeyframes(std::vector<UserKeyframe> keyframes) {
    UserScript script;
    std::sort(keyframes.begin(), keyframes.end(),
              [](const UserKeyframe& a, const UserKeyframe& b) { return a.atSeconds < b.atSeconds; });
    script.keyframes_ = std::move(keyframes);
    return script;
}

UserScript UserScript::ehamDeparture() {
    return fromKeyframes({
        {0.0, 52.307613, 4.757806, 0.0, true},     // stand D7, parked
        {120.0, 52.307613, 4.757806, 0.0, true},   // pushback and engine start done
        {180.0, 52.3075, 4.759, 0.0, true},        // apron
        {420.0, 52.31, 4.776, 0.0, true},          // taxiway east
        {500.0, 52.305, 4.78, 0.0, true},          // holding point runway 24
        {530.0, 52.30444, 4.77778, 0.0, true},     // lined up
        {575.0, 52.2935, 4.7495, 0.0, true},       // rotation
        {640.0, 52.2700, 4.6900, 2500.0, false},   // initial climb
        {900.0, 52.1500, 4.4000, 10000.0, false},  // level at 10000 ft
        {1260.0, 51.8500, 4.1000, 10000.0, false}, // cruise south-west
        {1700.0, 52.1000, 4.5500, 10000.0, false}, // turning back
        {1900.0, 52.2200, 4.7300, 3000.0, false},  // approach 36C
        {2050.0, 52.30056, 4.73722, 0.0, true},    // touchdown
        {2110.0, 52.3140, 4.7385, 0.0, true},      // rolled out
    });
}

UserPose UserScript::poseAt(double seconds) const {
    UserPose pose;
    if (keyframes_.empty()) return pose;
    const UserKeyframe* from = &keyframes_.back();
    const UserKeyframe* to = from;
    if (seconds <= keyframes_.front().atSeconds) {
        from = to = &keyframes_.front();
    } else {
        for (std::size_t i = 0; i + 1 < keyframes_.size(); ++i) {
            if (seconds < keyframes_[i + 1].atSeconds) {
                from = &keyframes_[i];
                to = &keyframes_[i + 1];
                break;
            }
        }
    }
    const double span = to->atSeconds - from->atSeconds;
    const double f = span > 0.0 ? std::clamp((seconds - from->atSeconds) / span, 0.0, 1.0) : 0.0;
    pose.lat = from->lat + (to->lat - from->lat) * f;
    pose.lon = from->lon + (to->lon - from->lon) * f;
    pose.altitudeFt = from->altitudeFt + (to->altitudeFt - from->altitudeFt) * f;
    pose.onGround = f < 0.5 ? from->onGround : to->onGround;
    const double distanceNm = gf_distanceNm(from->lat, from->lon, to->lat, to->lon);
    if (span > 0.0 && distanceNm > 1e-6 && f < 1.0) {
        pose.headingDeg = gf_bearingDeg({from->lat, from->lon}, {to->lat, to->lon});
        pose.groundSpeedKt = distanceNm / span * 3600.0;
        pose.verticalSpeedFtMin = (to->altitudeFt - from->altitudeFt) / span * 60.0;
        const double horizontalFt = distanceNm * kFeetPerNm;
        pose.pitchDeg = gf_radToDeg(std::atan2(to->altitudeFt - from->altitudeFt, horizontalFt));
    } else {
        pose.headingDeg = fixedHeadingDeg_;
        // Keep the heading of the last leg flown once the script holds its end point.
        for (std::size_t i = keyframes_.size(); i-- > 1;) {
            const UserKeyframe& a = keyframes_[i - 1];
            const UserKeyframe& b = keyframes_[i];
            if (b.atSeconds <= seconds && gf_distanceNm(a.lat, a.lon, b.lat, b.lon) > 1e-6) {
                pose.headingDeg = gf_bearingDeg({a.lat, a.lon}, {b.lat, b.lon});
                break;
            }
        }
    }
    return pose;
}

} // namespace vorl::standin
