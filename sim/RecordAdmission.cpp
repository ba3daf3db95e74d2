#include "sim/RecordAdmission.h"

#include <algorithm>
#include <cmath>

namespace vorl {
namespace {

constexpr double kAirStraightNm = 0.2429805615550756;    // 450 m
constexpr double kGroundStraightNm = 0.010799136069114472; // 20 m
constexpr double kGroundStraightMaxSeconds = 15.0;

double lf_trackDifference(double a, double b) {
    const double d = std::fmod(std::abs(a - b), 360.0);
    return d > 180.0 ? 360.0 - d : d;
}

} // namespace

PositionSample gf_sampleOf(const TrafficRecord& r) {
    PositionSample s;
    s.lat = r.lat;
    s.lon = r.lon;
    s.altitude = r.altitude;
    s.groundSpeed = r.groundSpeed;
    s.track = r.track;
    s.verticalRate = r.verticalRate;
    s.trueAirspeed = r.trueAirspeed;
    s.playoutTime = r.playoutTime;
    s.airborne = r.airborne;
    s.stationary = 0;
    s.headingValid = r.headingValid;
    s.bank = r.bank;
    s.bankValid = r.bankValid;
    s.trueHeading = r.trueHeading;
    s.dataTime = r.dataTime;
    s.hexId = r.hexId;
    s.scheduledDue = r.playoutTime;
    return s;
}

bool gf_redundantRecord(const PositionSample& last, double lastDataTime, const TrafficRecord& record,
                        bool pendingCourseChange) {
    const double t = static_cast<double>(record.dataTime);
    const double dt = t - lastDataTime;
    if (dt <= 1.0) return true;
    const double s = record.groundSpeed;
    const double s0 = last.groundSpeed;
    if (s0 > 5.0 && s >= 10.0 * s0) return true;
    if (s > 5.0 && s0 >= 10.0 * s) return true;
    if (s0 <= 5.0 && s >= 80.0) return true;
    if (s <= 5.0 && s0 >= 80.0) return true;
    if (pendingCourseChange) return false;
    const double turn = lf_trackDifference(record.track, last.track);
    if (record.airborne != 0 && s > 120.0 && turn <= 1.0 && dt <= kAirStraightNm / s * 3600.0) return true;
    if (record.airborne == 0 && s <= 30.0 && turn <= 2.0) {
        const double limit = s > 0.0 ? std::min(kGroundStraightMaxSeconds, kGroundStraightNm / s * 3600.0)
                                     : kGroundStraightMaxSeconds;
        if (dt <= limit) return true;
    }
    return false;
}

} // namespace vorl
