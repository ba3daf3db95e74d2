#include "standins/sim/UserScript.h"

#include <algorithm>
#include <cmath>

#include "common/Geodesy.h"
#include "tools/scenario/FlightPath.h"

namespace vorl::standin {

UserScript UserScript::fixed(double lat, double lon, double altitudeFt, double headingDeg, bool onGround) {
    UserScript script;
    script.keyframes_.push_back({0.0, lat, lon, altitudeFt, onGround, headingDeg, 0.0, 0.0});
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
    constexpr double kElevationFt = -11.0;
    scenario::FlightPath path(0.0, 1.0, {52.307613, 4.757806}, 140.7, kElevationFt, 0.0, true);
    path.wait(120.0);
    path.pushback(150.0);
    path.taxiTo({52.3075, 4.759}, 12.0);  // apron
    path.taxiTo({52.31, 4.776}, 18.0);    // taxiway east
    path.taxiTo({52.305, 4.78}, 12.0);    // holding point runway 24
    path.taxiTo({52.30444, 4.77778}, 6.0); // lined up
    path.takeOff(237.9, kElevationFt, 3000.0);
    path.flyTo({52.15, 4.40}, 10000.0, 250.0, 2000.0);
    path.cruise(300.0, 10000.0, 280.0, 1500.0);
    path.flyTo({51.98, 4.62}, 6000.0, 250.0, 1500.0);
    path.flyTo({52.14, 4.728}, 3000.0, 180.0, 1500.0); // 9.6 NM final for 36C
    path.landOn({52.30056, 4.73722}, 3.2, kElevationFt);
    std::vector<UserKeyframe> keyframes;
    keyframes.reserve(path.samples().size());
    for (const scenario::PathSample& s : path.samples())
        keyframes.push_back({s.t, s.position.lat, s.position.lon, s.altitudeFt, s.onGround, s.trackDeg, s.groundSpeedKt,
                             s.verticalRateFpm});
    return fromKeyframes(std::move(keyframes));
}

UserPose UserScript::poseAt(double seconds) const {
    UserPose pose;
    if (keyframes_.empty()) return pose;
    const UserKeyframe* from = &keyframes_.back();
    const UserKeyframe* to = from;
    if (seconds <= keyframes_.front().atSeconds) {
        from = to = &keyframes_.front();
    } else {
        const auto next = std::upper_bound(keyframes_.begin(), keyframes_.end(), seconds,
                                           [](double t, const UserKeyframe& k) { return t < k.atSeconds; });
        if (next != keyframes_.end()) {
            from = &*(next - 1);
            to = &*next;
        }
    }
    const double span = to->atSeconds - from->atSeconds;
    const double f = span > 0.0 ? std::clamp((seconds - from->atSeconds) / span, 0.0, 1.0) : 0.0;
    pose.lat = from->lat + (to->lat - from->lat) * f;
    pose.lon = from->lon + (to->lon - from->lon) * f;
    pose.altitudeFt = from->altitudeFt + (to->altitudeFt - from->altitudeFt) * f;
    pose.onGround = f < 0.5 ? from->onGround : to->onGround;
    const double distanceNm = gf_distanceNm(from->lat, from->lon, to->lat, to->lon);
    if (from->headingDeg) {
        pose.headingDeg = *from->headingDeg;
        pose.groundSpeedKt = from->groundSpeedKt.value_or(0.0);
        pose.verticalSpeedFtMin = from->verticalSpeedFtMin.value_or(0.0);
        const double horizontalFtMin = pose.groundSpeedKt * kFeetPerNm / 60.0;
        pose.pitchDeg = horizontalFtMin > 1.0 ? gf_radToDeg(std::atan2(pose.verticalSpeedFtMin, horizontalFtMin)) : 0.0;
    } else if (span > 0.0 && distanceNm > 1e-6 && f < 1.0) {
        pose.headingDeg = gf_bearingDeg({from->lat, from->lon}, {to->lat, to->lon});
        pose.groundSpeedKt = distanceNm / span * 3600.0;
        pose.verticalSpeedFtMin = (to->altitudeFt - from->altitudeFt) / span * 60.0;
        const double horizontalFt = distanceNm * kFeetPerNm;
        pose.pitchDeg = gf_radToDeg(std::atan2(to->altitudeFt - from->altitudeFt, horizontalFt));
    } else {
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
