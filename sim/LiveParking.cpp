#include "sim/LiveParking.h"

#include <cmath>

#include "common/Log.h"
#include "sim/AircraftControls.h"
#include "sim/MovementTables.h"
#include "sim/SimOutbox.h"

namespace vorl {
namespace {

constexpr double kArrivingNm = 0.018898488120950324; // 35 m: stopped where it reported standing
constexpr double kArrivedNm = 0.0010799136069114472;  // 2 m
constexpr double kStoppedKt = 5.0;
// Samples within this zone around the stand (twice that after driving onto it) belong to an
// aircraft still at the stand; beyond the far limit it left without being seen.
constexpr double kStandZoneNm = 0.0458963282937365;    // 85 m
constexpr double kGoneFromStandNm = 0.10799136069114472; // 200 m
constexpr double kStepOutNm = 0.0016198704103671706;   // 3 m
constexpr int kMinDriveCycles = 100;
constexpr int kStoppedCopyCycles = 50;
constexpr int kStepsOutToLeave = 3;

LatLon lf_standPosition(const LiveAircraft& a) { return {a.stand.spot.lat, a.stand.spot.lon}; }
LatLon lf_here(const LiveAircraft& a) { return {a.motion.lat, a.motion.lon}; }

// Parked less than this long and moved off again: it was towed, not departing.
std::int32_t lf_towedWithinCycles(AircraftCategory category) {
    switch (category) {
    case AircraftCategory::Heavy: return 60 * 60 * 100;
    case AircraftCategory::Large: return 25 * 60 * 100;
    case AircraftCategory::Buzjets: return 15 * 60 * 100;
    default: return 0;
    }
}

void lf_resetStandZone(LiveAircraft& a, bool arrivedByParking) {
    a.stand.referenceNm.reset();
    a.stand.farthestNm = 0.0;
    a.stand.stepsOut = 0;
    a.stand.firstStepDue.reset();
    a.stand.arrivedByParking = arrivedByParking;
    a.stand.goneFromStand = false;
}

// Its real counterpart leaves the stand. Its reports arrive half a minute before they are
// shown, so the departure is planned for when the real aircraft began to move: when its first
// step away falls due, or, for one that left the zone in one stretch, the time that stretch
// takes at taxi speed before this report.
void lf_leaveStand(LiveAircraft& a, PositionSample& sample, std::int32_t cycle, double distanceNm) {
    sample.stationary = 0;
    a.stand.pullOutPending = true;
    if (a.pendingCourseChange && cycle - a.stand.parkedCycle < lf_towedWithinCycles(a.category)) a.stand.towed = true;
    a.pendingCourseChange = false;
    a.holding = false;
    const double stretchNm = std::max(distanceNm - a.stand.farthestNm, 0.0);
    const std::int32_t began =
        a.stand.firstStepDue.value_or(sample.playoutTime - gf_cyclesAtSpeed(stretchNm, std::max(a.taxiSpeedKt, 1.0)));
    if (!a.stream.empty()) a.stream.front().playoutTime = std::max(cycle + 1, std::min(began, sample.playoutTime - 1));
}

PositionSample lf_sampleAt(const PositionSample& from, LatLon at, double speedKt, std::int32_t due) {
    PositionSample p = from;
    p.lat = at.lat;
    p.lon = at.lon;
    p.groundSpeed = speedKt;
    p.trueAirspeed = speedKt;
    p.stationary = speedKt > 0.0 ? 0 : 1;
    p.airborne = 0;
    p.playoutTime = p.scheduledDue = due;
    return p;
}

void lf_departureConfiguration(LiveAircraft& a, const MovementContext& c) {
    if (c.outbox == nullptr || a.presence.objectId == 0) return;
    SimOutbox& out = *c.outbox;
    gf_engineOn(out, a.presence.objectId);
    gf_setThrottle(out, a.controls(), a.category == AircraftCategory::Rotorcraft ? 4 : 0);
    gf_setFlaps(out, a.controls(), 1);
}

void lf_departureLights(LiveAircraft& a, const MovementContext& c) {
    if (c.outbox != nullptr && a.presence.objectId != 0)
        gf_setLights(*c.outbox, a.presence.objectId, {.nav = true, .beacon = true, .taxi = true, .logo = true});
}

void lf_pullOut(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    const double v = a.taxiSpeedKt;
    const LatLon end = gf_destinationPoint(lf_standPosition(a), gf_radToDeg(a.stand.spot.heading), 2.0 * a.halfWingspanNm * kFeetPerNm);
    s[0].groundSpeed = v;
    s[0].scheduledDue = c.cycle; // the plan starts now, whenever the aircraft parked
    s.insert(s.begin() + 1, lf_sampleAt(s[0], end, v, c.cycle + gf_cyclesAtSpeed(gf_distanceNm(lf_here(a), end), v)));
    a.flightState = FlightState::Taxi;
    a.targetBearing = a.motion.heading;
    lf_departureLights(a, c);
    lf_departureConfiguration(a, c);
    logLine("{:8}: {:8} pulling out", a.stand.spot.id, a.callsign());
    a.stand.spot = {};
    a.stand.leftStand = true;
}

void lf_startPushback(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    const double v = a.taxiSpeedKt;
    const double pushDeg = gf_radToDeg(a.stand.spot.heading) + 180.0;
    const double pushFeet = 2.5 * std::max(a.stand.spot.radiusNm, a.halfWingspanNm) * kFeetPerNm;
    const LatLon here = lf_here(a);
    const LatLon end = gf_destinationPoint(here, pushDeg, pushFeet);
    const std::int32_t pushCycles = std::max(gf_cyclesAtSpeed(gf_distanceNm(here, end), v), kMinDriveCycles);
    s[0].groundSpeed = v;
    s[0].scheduledDue = c.cycle; // the plan starts now, whenever the aircraft parked
    PositionSample e = lf_sampleAt(s[0], end, v, c.cycle + pushCycles);
    PositionSample mid = lf_sampleAt(s[0], {(here.lat + end.lat) / 2.0, (here.lon + end.lon) / 2.0}, v, c.cycle + pushCycles / 2);
    // The two ends of a pushback with a turn: the tail swings to one side or the other.
    const double sideFeet = a.halfWingspanNm * kFeetPerNm;
    PositionSample first = lf_sampleAt(e, gf_destinationPoint(end, pushDeg + 90.0, sideFeet), v, e.playoutTime + pushCycles / 2);
    PositionSample second = lf_sampleAt(e, gf_destinationPoint(end, pushDeg - 90.0, sideFeet), v, e.playoutTime + pushCycles / 2);
    // The pushback is ours: what the data said beyond this point comes back after it.
    while (s.size() > 1) s.pop_back();
    s.insert(s.end(), {mid, e, second});
    a.stand.turnOff = first;
    a.stand.turnSide = c.straightPushbacksOnly ? -1 : 0;
    lf_departureLights(a, c);
    a.flightState = FlightState::PushingBack;
    a.stand.pushbackCountdown = 2;
    logLine("{:8}: {:8} pushing back", a.stand.spot.id, a.callsign());
    a.stand.leftStand = true;
}

// One planning step of a pushback: the turn (or not) at the end, then the hold after it.
void lf_pushbackStep(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    --a.stand.pushbackCountdown;
    if (a.stand.pushbackCountdown == 1) {
        if (a.stand.turnSide > 0 && s.size() >= 3) {
            if (a.stand.turnSide == 1 && a.stand.turnOff) s.back() = *a.stand.turnOff;
            // The tail swings round through the straight end point.
            const PositionSample corner = s[1];
            s.erase(s.begin() + 1);
            // However late the push is, the swing is never faster than the taxi speed.
            const LatLon here = lf_here(a), end{s[1].lat, s[1].lon}, via{corner.lat, corner.lon};
            const double arcNm = gf_curveLengthNm(here, via, end);
            const int n = std::max(gf_legCycles(s[1].playoutTime, c.cycle), gf_cyclesAtSpeed(arcNm, a.taxiSpeedKt));
            s[1].playoutTime = s[1].scheduledDue = c.cycle + n;
            a.curve.emplace(here, via, end);
            a.curveProgress = {0.0, 1.0 / n};
            a.turnRateLimit = gf_degToRad(90.0) / n * 2.0;
        } else if (s.size() >= 3) {
            s.pop_back(); // straight back
        }
        return;
    }
    if (a.stand.pushbackCountdown < 1) {
        a.targetBearing = a.motion.heading;
        lf_departureConfiguration(a, c);
        a.flightState = FlightState::PushedBack;
        a.stand.pushbackCountdown = 1;
        a.stand.pushedBackDistanceNm = 900.0;
        a.stand.spot = {};
    }
}

} // namespace

double gf_standTaxiSpeedKt(AircraftCategory category) {
    switch (category) {
    case AircraftCategory::Light: return 8.0;
    case AircraftCategory::Rotorcraft: return 5.0;
    case AircraftCategory::Heavy: return 8.0;
    default: return 10.0;
    }
}

bool gf_stoppedWhereItMayPark(const LiveAircraft& a, const MovementContext& c) {
    const auto& s = a.stream;
    if (a.flightState != FlightState::Taxi || c.stands == nullptr || !c.stands->find || s.size() < 2) return false;
    if (a.takeOffRoll || a.landingRoll || (a.stand.leftStand && !a.stand.towed)) return false;
    if (s.back().stationary == 0 || s[1].groundSpeed > kStoppedKt) return false;
    return gf_distanceNm(lf_here(a), {s.back().lat, s.back().lon}) <= kArrivingNm;
}

bool gf_try2Park(LiveAircraft& a, const MovementContext& c, bool wide) {
    auto& s = a.stream;
    if (s.empty()) {
        logImportant("{} empty sz?", "try2Park");
        return false;
    }
    if (c.stands == nullptr || !c.stands->find) return false;
    const LatLon at{s.back().lat, s.back().lon};
    if (a.stand.lastTry && std::abs(a.stand.lastTry->lat - at.lat) <= kSamePositionDeg &&
        std::abs(a.stand.lastTry->lon - at.lon) <= kSamePositionDeg)
        return false;
    const StandAnswer answer = c.stands->find(a, at, wide);
    if (answer.result == StandSearch::Busy) return false;
    a.stand.lastTry = at;
    if (answer.result != StandSearch::Found) return false;
    if (c.clearLiveAtStand) c.clearLiveAtStand(answer.spot, a);
    if (c.stands->makeWay) c.stands->makeWay(answer.spot, a, false);
    a.stand.spot = answer.spot;
    while (s.size() > 1) s.pop_back();
    a.flightState = FlightState::Parking;
    gf_drive2Stand(a, c);
    return true;
}

void gf_drive2Stand(LiveAircraft& a, const MovementContext& /*c*/) {
    auto& s = a.stream;
    if (s.empty()) {
        logImportant("{} empty sz?", "drive2Stand");
        return;
    }
    PositionSample& last = s.back();
    last.scheduledDue = last.playoutTime; // the drive is timed from here, not from the feed's schedule
    const double v = a.taxiSpeedKt;
    const LatLon stand = lf_standPosition(a);
    const double nm = gf_distanceNm({last.lat, last.lon}, stand);
    const std::int32_t cycles = std::max(gf_cyclesAtSpeed(nm, v), kMinDriveCycles);
    PositionSample onStand = lf_sampleAt(last, stand, v, s.front().playoutTime + cycles);
    onStand.track = gf_radToDeg(a.stand.spot.heading);
    onStand.bank = a.motion.bank;
    onStand.bankValid = 1;
    onStand.stationary = nm <= kSamePositionDeg ? 1 : 0;
    last.groundSpeed = v;
    PositionSample stopped = onStand;
    stopped.groundSpeed = stopped.trueAirspeed = 0.0;
    stopped.stationary = 1;
    stopped.playoutTime = stopped.scheduledDue = onStand.playoutTime + kStoppedCopyCycles;
    s.push_back(onStand);
    s.push_back(stopped);
    a.targetBearing = a.stand.spot.heading;
    a.pendingCourseChange = false;
    a.earlyAllowance = 3000;
    a.lateAllowance = a.takeOffRoll ? 5000 : 3000;
}

void gf_planStandApproach(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    if (s.size() < 2 || s[1].stationary != 0 || a.stand.spot.number == 0) return;
    const LatLon here = lf_here(a);
    const LatLon stand = lf_standPosition(a);
    const double nm = gf_distanceNm(here, stand);
    if (nm <= 2.0 * kArrivedNm) return;
    const LatLon control = gf_destinationPoint(stand, gf_radToDeg(a.stand.spot.heading) + 180.0, nm / 2.0 * kFeetPerNm);
    const int n = std::max(gf_legCycles(s[1].playoutTime, c.cycle), 1);
    a.curve.emplace(here, control, stand);
    a.curveProgress = {0.0, 1.0 / n};
    a.turnRateLimit = gf_degToRad(180.0) / n * 4.0;
}

bool gf_arriveAtStand(LiveAircraft& a, const MovementContext& c) {
    if (gf_distanceNm(lf_here(a), lf_standPosition(a)) > kArrivedNm) {
        a.flightState = FlightState::Taxi;
        return false;
    }
    // Exactly on the stand, nose in.
    a.motion.lat = a.stand.spot.lat;
    a.motion.lon = a.stand.spot.lon;
    a.motion.heading = a.stand.spot.heading;
    a.motion.latStep = a.motion.lonStep = 0.0;
    a.curve.reset();
    a.turningToTarget = false;
    a.flightState = FlightState::Parked;
    a.stand.parkedCycle = c.cycle;
    if (a.stand.towed) logLine("          towed aircraft {} parks", a.presence.label);
    if (!a.stream.empty()) {
        PositionSample& last = a.stream.back();
        last.stationary = 1;
        last.groundSpeed = 0.0;
        last.lat = a.stand.spot.lat;
        last.lon = a.stand.spot.lon;
    }
    lf_resetStandZone(a, true);
    a.stand.leftStand = false;
    if (c.outbox != nullptr && a.presence.objectId != 0)
        gf_queueShutDownSet(*c.outbox, a.controls(), c.navLightsWhileParked, a.stand.spot.cargo, gf_drawZeroToNine());
    logLine("{:8}: {:8} arrived at stand", a.stand.spot.id, a.callsign());
    if (c.stands != nullptr) {
        if (c.stands->recordUse) c.stands->recordUse(a.stand.spot, a);
        if (c.stands->maxParkCheck) c.stands->maxParkCheck(false);
    }
    return true;
}

bool gf_standSample(LiveAircraft& a, PositionSample& sample, std::int32_t cycle) {
    const LatLon at{sample.lat, sample.lon};
    switch (a.flightState) {
    case FlightState::Parked: {
        if (a.stand.spot.number == 0 || a.stand.pullOutPending) return true;
        const double d = gf_distanceNm(at, lf_standPosition(a));
        const double zone = a.stand.arrivedByParking ? 2.0 * kStandZoneNm : kStandZoneNm;
        if (d > kGoneFromStandNm) {
            a.stand.goneFromStand = true;
            return false;
        }
        if (d > zone) {
            lf_leaveStand(a, sample, cycle, d);
            return true;
        }
        // Within the zone the reports wander around the stand; only steady steps away, far
        // enough for the wings to clear, mean the aircraft is moving off.
        if (!a.stand.referenceNm) {
            a.stand.referenceNm = a.stand.farthestNm = d;
            return false;
        }
        if (d >= a.stand.farthestNm + kStepOutNm) {
            a.stand.farthestNm = d;
            if (a.stand.stepsOut++ == 0) a.stand.firstStepDue = sample.playoutTime;
        } else if (d <= a.stand.farthestNm - kStepOutNm) {
            a.stand.referenceNm = a.stand.farthestNm = d;
            a.stand.stepsOut = 0;
            a.stand.firstStepDue.reset();
        }
        const double out = a.stand.farthestNm - *a.stand.referenceNm;
        const double w = a.halfWingspanNm;
        if ((a.stand.stepsOut >= kStepsOutToLeave && out >= 0.5 * w) || out > w) {
            lf_leaveStand(a, sample, cycle, d);
            return true;
        }
        return false;
    }
    case FlightState::Parking: {
        if (gf_distanceNm(at, lf_standPosition(a)) <= kStandZoneNm) return false;
        a.flightState = FlightState::Taxi; // it drives on elsewhere
        a.stand.spot = {};
        a.stand.towed = false;
        return true;
    }
    case FlightState::PushingBack:
        if (a.stand.pushbackCountdown == 2 && a.stand.turnSide == 0 && a.stand.turnOff) {
            // Where the real aircraft points after its pushback decides the side of the turn: a
            // nose to the right of the stand's heading means the tail swung to the left.
            const double pointsTo = sample.headingValid != 0 ? sample.trueHeading : gf_degToRad(sample.track);
            a.stand.turnSide = gf_normalisePi(pointsTo - a.motion.heading) > 0.0 ? 1 : 2;
        }
        return false;
    case FlightState::PushedBack: {
        const double d = gf_distanceNm(lf_here(a), at);
        const double w = a.halfWingspanNm;
        if ((d > 2.75 * w && d > a.stand.pushedBackDistanceNm) || d > 6.0 * w) {
            sample.stationary = 0;
            a.pendingCourseChange = false;
            a.flightState = FlightState::Taxi;
            a.holding = false;
            a.earlyAllowance = a.lateAllowance = 3000;
            if (!a.stream.empty()) a.stream.front().playoutTime = cycle + 1;
            return true;
        }
        a.stand.pushedBackDistanceNm = d;
        return false;
    }
    default: return true;
    }
}

bool gf_planStandDeparture(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    if (a.flightState == FlightState::PushingBack) {
        lf_pushbackStep(a, c);
        return true;
    }
    if (a.flightState != FlightState::Parked || !a.stand.pullOutPending || s.size() < 2 || a.stand.spot.number == 0) return false;
    a.stand.pullOutPending = false;
    if (c.stands != nullptr && c.stands->recordUse) c.stands->recordUse(a.stand.spot, a);
    const double toNext = gf_bearingDeg(lf_standPosition(a), {s[1].lat, s[1].lon});
    const double off = std::abs(gf_radToDeg(gf_normalisePi(gf_degToRad(toNext) - a.stand.spot.heading)));
    if (off < 90.0) lf_pullOut(a, c);
    else lf_startPushback(a, c);
    return true;
}

StandSearch gf_placeOnStandAtBirth(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    if (s.empty() || s.front().airborne != 0 || c.stands == nullptr || !c.stands->find) return StandSearch::None;
    const StandAnswer answer = c.stands->find(a, {s.front().lat, s.front().lon}, false);
    if (answer.result != StandSearch::Found) return answer.result;
    if (c.clearLiveAtStand) c.clearLiveAtStand(answer.spot, a);
    if (c.stands->makeWay) c.stands->makeWay(answer.spot, a, true);
    a.stand.spot = answer.spot;
    // The stream is its stand from now on; later samples tell when it leaves.
    while (s.size() > 1) s.pop_back();
    const bool alreadyMoving = s.front().stationary == 0 && s.front().groundSpeed > 0.0;
    PositionSample& here = s.front();
    here.lat = answer.spot.lat;
    here.lon = answer.spot.lon;
    here.track = gf_radToDeg(answer.spot.heading);
    here.groundSpeed = 0.0;
    here.stationary = 1;
    a.flightState = FlightState::Parked;
    a.stand.parkedCycle = c.cycle;
    lf_resetStandZone(a, false);
    // Seen first already moving off the stand (a pushback under way): its steps count from the
    // stand itself, not from wherever its next report finds it.
    if (alreadyMoving) a.stand.referenceNm = a.stand.farthestNm = 0.0;
    if (c.stands->recordUse) c.stands->recordUse(a.stand.spot, a);
    if (c.stands->maxParkCheck) c.stands->maxParkCheck(true);
    return StandSearch::Found;
}

} // namespace vorl
