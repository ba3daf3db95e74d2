#include "sim/LiveMovement.h"

#include <algorithm>
#include <cmath>

#include "common/Log.h"
#include "sim/AircraftControls.h"
#include "sim/LiveParking.h"
#include "sim/MovementTables.h"
#include "sim/SimOutbox.h"

namespace vorl {
namespace {

constexpr double kFlarePitch = -4.0 * kPi / 180.0; // nose up in the simulator's sign
constexpr double kStandingDeg = 0.00015;           // less movement than this is jitter of a standing aircraft
constexpr int kHoldingStepCycles = 300;
constexpr double kNearAirportNm = 10.0;
constexpr double kMaxCatchUpFactor = 1.25;
constexpr double kMaxLegSpeedFactor = 1.25;
constexpr double kMinCatchUpSpeedKt = 20.0;

bool lf_samePosition(const PositionSample& a, const PositionSample& b) {
    return std::abs(a.lat - b.lat) <= kSamePositionDeg && std::abs(a.lon - b.lon) <= kSamePositionDeg;
}

LatLon lf_here(const LiveAircraft& a) { return {a.motion.lat, a.motion.lon}; }

double lf_bearingRad(LatLon from, LatLon to) { return gf_degToRad(gf_bearingDeg(from, to)); }

// The rotorcraft keeps its engines at full power on the ground and in the air.
int lf_power(const LiveAircraft& a, int index) { return a.category == AircraftCategory::Rotorcraft ? 4 : index; }

struct Config {
    LiveAircraft& a;
    SimOutbox* outbox;
    bool live() const { return outbox != nullptr && a.presence.objectId != 0; }
    void throttle(int index) const {
        if (live()) gf_setThrottle(*outbox, a.controls(), index);
    }
    void flaps(int index) const {
        if (live()) gf_setFlaps(*outbox, a.controls(), index);
    }
    void gear(bool down) const {
        if (a.gearDown == down) return;
        a.gearDown = down;
        if (live()) gf_setGear(*outbox, a.presence.objectId, a.category, down);
    }
    void spoilers(bool out) const {
        if (live()) gf_setSpoilers(*outbox, a.presence.objectId, a.category, out);
    }
    void lights(const LightSwitches& switches) const {
        if (live()) gf_setLights(*outbox, a.presence.objectId, switches);
    }
    void cabin(bool on) const {
        if (live()) gf_setCabinLights(*outbox, a.presence.objectId, on);
    }
};

double lf_groundReference(const LiveAircraft& a, const MovementContext& c) {
    if (!std::isnan(a.groundAltitudeFt)) return a.groundAltitudeFt + a.cgHeightFt;
    return c.airportElevationFt.value_or(0.0) + a.cgHeightFt;
}

// Height above the runway for the flare: the simulator's figure is refreshed only a few times a
// second, the ground altitude under the aircraft gives it every cycle.
double lf_heightAboveGround(const LiveAircraft& a) {
    if (!std::isnan(a.groundAltitudeFt)) return std::min(a.aboveGroundFt, a.motion.altitude - a.groundAltitudeFt);
    return a.aboveGroundFt;
}

void lf_setAllowances(LiveAircraft& a, int early, int late) {
    a.earlyAllowance = early;
    a.lateAllowance = late;
}

void lf_airConfiguration(LiveAircraft& a, const MovementContext& c, double verticalRate) {
    const Config config{a, c.outbox};
    const double agl = a.aboveGroundFt;
    const bool bigJet = a.category == AircraftCategory::Buzjets || a.category == AircraftCategory::Large ||
                        a.category == AircraftCategory::Heavy;
    const double approachHeight = bigJet ? 2050.0 : 625.0;
    if (a.motion.altitude >= 10000.0) {
        if (a.highLightsSet) return;
        a.highLightsSet = true;
        a.lowLightsSet = false;
        config.lights({.nav = true, .beacon = true, .strobes = true, .cabin = true});
        config.throttle(lf_power(a, 3));
        config.gear(false);
        config.flaps(0);
        return;
    }
    if (!a.lowLightsSet) {
        a.lowLightsSet = true;
        a.highLightsSet = false;
        config.lights({true, true, true, true, true, true, true});
    }
    if (agl > approachHeight) {
        config.cabin(true);
        a.landing = false;
        a.takeOffRoll = false;
        if (verticalRate <= -250.0 && a.throttleIndex == 3) config.throttle(lf_power(a, 2));
        if (verticalRate > 400.0 && a.throttleIndex == 4) config.throttle(lf_power(a, 3));
        if (agl >= 2400.0) {
            config.gear(false);
            config.flaps(0);
        } else if (verticalRate <= 100.0) {
            if (agl < 2000.0 && a.flapsIndex <= 1) config.flaps(static_cast<int>(a.flapsIndex == 0 ? 1 : 2));
            else if (a.flapsIndex == 0 || a.flapsIndex == kNoFlapsSent) config.flaps(1);
        }
        return;
    }
    config.cabin(false);
    const bool near = c.airportPosition && gf_distanceNm(*c.airportPosition, lf_here(a)) <= kNearAirportNm;
    if (verticalRate <= -250.0) {
        if (near && !a.landing) {
            config.throttle(lf_power(a, 1));
            config.flaps(3);
            config.gear(true);
            a.landing = true;
            a.goAround = false;
            a.takeOffCountdown = 1;
            lf_setAllowances(a, 3000, a.takeOffRoll ? 5000 : 3000);
        }
    } else if ((verticalRate > 600.0 || (a.landing && !near)) && !a.goAround) {
        a.goAround = true;
        config.throttle(4);
        config.gear(false);
        config.flaps(0);
        a.flareStage = 0;
        a.landing = false;
    }
}

void lf_planAir(LiveAircraft& a, const MovementContext& c, int n) {
    auto& s = a.stream;
    PositionSample& current = s[0];
    PositionSample& next = s[1];
    if (a.flightState != FlightState::TakeOff && a.flightState != FlightState::Flying) a.flightState = FlightState::Flying;
    const double keepPitchRate = a.motion.pitchRate;
    const double flareStep = a.motion.altitudeStep;
    const PositionSample* afterNext = s.size() >= 3 ? &s[2] : nullptr;
    const bool low = a.aboveGroundFt < (a.landing ? 2000.0 : 1000.0);
    gf_planAirLeg(a.motion, a.category, next, low, afterNext, c.cycle);
    // In the flare the descent is the flare's own, down to the ground the simulator knows, not
    // to the altitude the samples give the runway.
    if (a.flareStage > 0) a.motion.altitudeStep = flareStep;
    // Whether it is landing decides how low it may sink: an aircraft that turns up on short
    // final is landing from its first leg, not kept from sinking like one low and not landing.
    lf_airConfiguration(a, c, current.verticalRate);
    const CategoryRow& row = gf_categoryRow(a.category);
    const double climbStep = row.climbFpm / 6000.0;
    const double d = a.motion.altitudeStep;
    if (a.flightState == FlightState::TakeOff) {
        a.motion.pitchRate = keepPitchRate;
        a.motion.altitudeStep = std::max(d, 0.05);
    } else if (a.flareStage == 0) {
        if (current.airborne && next.airborne && !a.landing) {
            // Climbs are limited to what the type can do. Low down and not landing, the aircraft
            // never sinks towards the ground: it keeps climbing at least 0.2 ft a cycle.
            a.motion.altitudeStep = a.aboveGroundFt <= 1000.0 ? std::min(climbStep, std::max(d, 0.2)) : std::min(d, climbStep);
        } else if (current.airborne && next.airborne) {
            const bool samplesDescend = next.altitude != current.altitude || a.aboveGroundFt > 1000.0 ||
                                        current.verticalRate + next.verticalRate < -100.0;
            if (!samplesDescend) {
                next.verticalRate = -row.descentFpm;
                a.motion.altitudeStep = next.verticalRate / 6000.0;
            }
        } else {
            // Towards the runway (or up from it): a steady rate that reaches the ground reference
            // when the sample is due.
            const double target = next.airborne ? next.altitude : lf_groundReference(a, c);
            a.motion.altitudeStep = (target - a.motion.altitude) / n;
            next.verticalRate = a.motion.altitudeStep * 6000.0;
            Config{a, c.outbox}.gear(true);
        }
    }
    a.verticalSpeedFps = next.verticalRate / 60.0;
    a.trueAirspeedKt = next.trueAirspeed > 0.0 ? next.trueAirspeed : next.groundSpeed;
}

void lf_startTakeOff(LiveAircraft& a, SimOutbox* outbox, double altitudeStep) {
    const PhaseRow& phase = gf_phaseRow(a.category);
    a.rotationPitch = -gf_degToRad(phase.rotationPitchDeg);
    a.rotationPitchRate = (a.rotationPitch - a.motion.pitch) / std::max(phase.rotationSlots, 1);
    a.takeOffCountdown = std::max(phase.takeOffSlots, 1);
    a.motion.altitudeStep = altitudeStep;
    a.flightState = FlightState::TakeOff;
    a.curve.reset();
    if (a.landingRoll) {
        const Config config{a, outbox};
        config.throttle(4);
        config.spoilers(true);
        config.flaps(1);
        a.landingRoll = false;
    }
}

void lf_maybeStartTakeOff(LiveAircraft& a, const MovementContext& c, int n) {
    const auto& s = a.stream;
    const PositionSample& next = s[1];
    if (a.flightState == FlightState::TakeOff) return;
    const double climbStep = gf_categoryRow(a.category).climbFpm / 6000.0;
    const bool clearlyAirborne = next.airborne && next.altitude - lf_groundReference(a, c) > 100.0;
    if (!clearlyAirborne && (!a.takeOffRoll || next.groundSpeed < kTakeOffRollSpeedKt)) return;
    bool allClimb = true, allAirborne = true, allFast = true, laterAirborne = true;
    const double rotationSpeed = gf_categoryRow(a.category).rotationSpeedKt;
    for (std::size_t i = 1; i < s.size(); ++i) {
        allClimb = allClimb && s[i].verticalRate > 256.0;
        allAirborne = allAirborne && s[i].airborne != 0;
        allFast = allFast && s[i].groundSpeed >= rotationSpeed;
        if (i >= 2) laterAirborne = laterAirborne && s[i].airborne != 0;
    }
    if (!a.takeOffRoll) gf_startTakeOffRoll(a, *c.outbox);
    if (allClimb || clearlyAirborne)
        lf_startTakeOff(a, c.outbox, allAirborne ? std::max(next.altitude - a.motion.altitude, 0.1) / n : climbStep);
    else if (allFast && laterAirborne)
        lf_startTakeOff(a, c.outbox, climbStep);
}

// Inserts a sample halfway along the leg to the next one, so that a long or a sharp taxi turn
// is driven in two parts.
void lf_splitLeg(LiveAircraft& a, std::int32_t cycle) {
    auto& s = a.stream;
    PositionSample mid = s[1];
    mid.lat = (a.motion.lat + s[1].lat) / 2.0;
    mid.lon = (a.motion.lon + s[1].lon) / 2.0;
    mid.groundSpeed = (s[0].groundSpeed + s[1].groundSpeed) / 2.0;
    mid.altitude = (s[0].altitude + s[1].altitude) / 2.0;
    mid.airborne = mid.altitude > 0.0 ? 1 : 0;
    mid.stationary = 0;
    mid.playoutTime = static_cast<std::int32_t>(std::lround((static_cast<double>(cycle) + s[1].playoutTime) / 2.0));
    mid.scheduledDue = static_cast<std::int32_t>(std::lround((static_cast<double>(s[0].scheduledDue) + s[1].scheduledDue) / 2.0));
    s.insert(s.begin() + 1, mid);
}

// A turn rate that fits the heading change into the leg: the type's base rate, faster when the
// leg is short, but never more than the type's scale factor times its base rate.
double lf_fittedTurnRate(const LiveAircraft& a, double changeRad, int cycles) {
    const CategoryRow& row = gf_categoryRow(a.category);
    const double base = gf_degToRad(row.baseTurnRateDegPerSec) / kCyclesPerSecond;
    const double needed = std::abs(changeRad) / std::max(cycles * row.turnShareFactor, 1.0);
    return std::clamp(needed, base, base * row.turnScaleFactor);
}

void lf_planTaxiCourse(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    const PositionSample& next = s[1];
    const LatLon here = lf_here(a);
    const double legNm = gf_distanceNm(here, {next.lat, next.lon});
    const int cyclesToNext = next.playoutTime - c.cycle;
    const double speed = gf_legSpeedKt(s[0], next);
    const bool twoAhead = s.size() >= 3 && !s[2].stationary && !next.stationary;
    if (twoAhead) {
        const double change = gf_normalisePi(lf_bearingRad({next.lat, next.lon}, {s[2].lat, s[2].lon}) - a.motion.heading);
        const bool loop = std::abs(s[2].lat - here.lat) <= kSamePositionDeg && std::abs(s[2].lon - here.lon) <= kSamePositionDeg;
        const TaxiLeg leg = gf_classifyTaxiLeg(gf_radToDeg(change), legNm, speed, cyclesToNext, loop);
        if (leg == TaxiLeg::Split) {
            lf_splitLeg(a, c.cycle);
            return;
        }
        if (leg == TaxiLeg::Curve) {
            const PositionSample control = s[1];
            s.erase(s.begin() + 1);
            int n = gf_legCycles(s[1].playoutTime, c.cycle);
            // The curve is longer than the leg; driven in the leg's time it would be too fast.
            const double arcNm = gf_curveLengthNm(here, {control.lat, control.lon}, {s[1].lat, s[1].lon});
            const double fastestKt = std::max({s[0].groundSpeed, control.groundSpeed, s[1].groundSpeed, kMinCatchUpSpeedKt}) *
                                     kMaxLegSpeedFactor;
            const int bySpeed = gf_cyclesAtSpeed(arcNm, fastestKt);
            if (bySpeed > n) {
                n = bySpeed;
                s[1].playoutTime = c.cycle + n;
            }
            a.curve.emplace(here, LatLon{control.lat, control.lon}, LatLon{s[1].lat, s[1].lon});
            a.curveProgress = {0.0, 1.0 / n};
            a.turnRateLimit = lf_fittedTurnRate(a, change, n);
            a.trueAirspeedKt = control.groundSpeed;
            if (std::abs(gf_radToDeg(change)) >= 90.0) lf_setAllowances(a, std::max(a.earlyAllowance, 2000), std::max(a.lateAllowance, 2000));
            return;
        }
    }
    // A straight leg with a big change of speed is driven in two parts too.
    if (legNm * 1852.0 >= 100.0 && std::abs(s[0].groundSpeed - next.groundSpeed) > 5.0 && !next.stationary &&
        cyclesToNext >= kSplitLegMinCycles) {
        lf_splitLeg(a, c.cycle);
    }
}

void lf_planGround(LiveAircraft& a, const MovementContext& c, int n) {
    auto& s = a.stream;
    const Config config{a, c.outbox};
    // Parked without a stand means standing where it stopped; it taxis again when it moves.
    if (a.flightState == FlightState::Flying || (a.flightState == FlightState::Parked && a.stand.spot.number == 0))
        a.flightState = FlightState::Taxi;
    const PositionSample& current = s[0];
    const PositionSample& next = s[1];
    if (a.takeOffRoll) {
        config.throttle(gf_takeOffRollThrottle(a.category, current.groundSpeed, next.groundSpeed));
    } else if (a.landingRoll) {
        if (std::abs(gf_normalisePi(a.motion.heading - a.touchdownHeading)) >= gf_degToRad(15.0)) {
            // The runway is vacated.
            config.flaps(0);
            a.landingRoll = false;
            config.throttle(lf_power(a, 0));
            config.spoilers(false);
            gf_writeAiControls(a.presence.objectId, a.category, 0.0, 0.0);
            config.lights({.nav = true, .beacon = true, .taxi = true, .logo = true, .cabin = true});
        } else if (current.groundSpeed <= 90.0 && !a.rolloutControlsReleased) {
            config.spoilers(false);
            gf_writeAiControls(a.presence.objectId, a.category, 0.0, 0.0);
            a.rolloutControlsReleased = true;
            config.flaps(1);
        }
    } else {
        config.throttle(lf_power(a, 0));
    }
    if (!a.pitchDownAfterTouchdown && a.flightState != FlightState::TakeOff) {
        a.motion.pitch = a.staticPitch;
        a.motion.bank = 0.0;
        a.motion.pitchRate = a.motion.bankRate = a.motion.headingRate = a.motion.altitudeStep = 0.0;
    }
    a.trueAirspeedKt = a.flightState == FlightState::PushingBack ? -next.groundSpeed : next.groundSpeed;
    a.verticalSpeedFps = 0.0;
    if (a.flightState == FlightState::Parking) gf_planStandApproach(a, c);
    else if (a.flightState != FlightState::PushingBack && a.flightState != FlightState::Parked) lf_planTaxiCourse(a, c);
    lf_maybeStartTakeOff(a, c, n);
}

bool lf_extrapolationAllowed(const LiveAircraft& a, const MovementContext& c) {
    switch (a.category) {
    case AircraftCategory::Light: return c.lightAircraft;
    case AircraftCategory::HighPerf: return c.highPerfAircraft;
    case AircraftCategory::Rotorcraft: return c.helicopters;
    default: return true;
    }
}

PositionSample lf_extrapolated(const LiveAircraft& a) {
    const PositionSample& last = a.stream.back();
    PositionSample e = last;
    const bool parked = a.flightState == FlightState::Parked;
    const double seconds = a.groundMode ? 3.0 : 8.0;
    if (last.stationary != 0 || parked) {
        e.stationary = 1;
        e.groundSpeed = 0.0;
    } else if (!a.groundMode) {
        if (!a.landing) e.groundSpeed = std::max(last.groundSpeed * 0.95, 1.0);
        else if (a.extrapolationLeft >= 4) e.groundSpeed = std::max(last.groundSpeed * 0.9, 1.0);
    } else if (a.takeOffRoll) {
        const double v = last.groundSpeed;
        e.groundSpeed = v <= 30 ? 40 : v <= 60 ? 80 : v <= 100 ? 110 : v <= 140 ? 150 : v <= 160 ? 170 : 180;
        if (v > 100) e.verticalRate = v <= 140 ? 600 : v <= 160 ? 1200 : 2400;
    } else if (a.landingRoll) {
        const double v = last.groundSpeed;
        e.groundSpeed = v >= 140 ? 100 : v >= 100 ? 80 : v >= 80 ? 60 : v >= 60 ? 30 : 20;
    } else {
        e.groundSpeed = 0.0;
        e.stationary = 1;
    }
    if (e.stationary == 0) {
        const LatLon p = gf_destinationPoint({last.lat, last.lon}, gf_radToDeg(a.motion.heading),
                                             e.groundSpeed * seconds / 3600.0 * kFeetPerNm);
        e.lat = p.lat;
        e.lon = p.lon;
    }
    if (a.landing && a.flareStage == 0) {
        e.verticalRate = -667.0;
        e.altitude = last.altitude - 10.005 * seconds;
    } else if (a.flightState == FlightState::TakeOff) {
        e.verticalRate = 1500.0;
        e.altitude = last.altitude + 25.0 * seconds;
    }
    if (e.altitude <= 0.0) {
        e.altitude = 0.0;
        e.airborne = 0;
    } else if (!a.groundMode) {
        e.airborne = 1;
    }
    e.playoutTime = last.playoutTime + static_cast<std::int32_t>((parked ? 604800.0 : seconds) * kCyclesPerSecond);
    e.scheduledDue = e.playoutTime;
    return e;
}

// Fewer than two samples are left: the aircraft holds on the taxiway, carries on along its
// course for a while, or gives up (false).
bool lf_endOfStream(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    if (s.empty()) return false;
    const bool taxiing = a.flightState == FlightState::PushedBack || a.flightState == FlightState::Taxi ||
                         a.flightState == FlightState::Parking;
    if (a.groundMode && taxiing && !a.takeOffRoll && !a.landingRoll) {
        if (c.taxiingNeighbourWithin && c.taxiingNeighbourWithin(a, 1.2)) return false;
        if (!a.holding) {
            a.holding = true;
            a.holdingStartCycle = static_cast<std::uint64_t>(c.cycle);
        } else if (c.airborneOnly ||
                   static_cast<double>(static_cast<std::uint64_t>(c.cycle) - a.holdingStartCycle) / 6000.0 > c.maxHoldingMinutes) {
            return false;
        }
        PositionSample hold = s.back();
        hold.stationary = 1;
        hold.groundSpeed = 0.0;
        hold.playoutTime = std::max(hold.playoutTime, c.cycle) + kHoldingStepCycles;
        hold.scheduledDue = hold.playoutTime;
        s.push_back(hold);
        a.pendingCourseChange = true;
        return true;
    }
    if (a.extrapolationLeft == 0) return false;
    if (a.extrapolationLeft < 0) {
        if (!lf_extrapolationAllowed(a, c)) return false;
        if (!a.groundMode) {
            if (c.userPosition && gf_distanceNm(*c.userPosition, lf_here(a)) >= c.rangeNm - 0.5) return false;
            if (c.airborneOnly && std::abs(a.motion.altitude - c.airportElevationFt.value_or(0.0)) <= 1000.0) return false;
            a.extrapolationLeft = 8;
        } else {
            a.extrapolationLeft = a.flightState == FlightState::Parked ? 1 : 10;
        }
    }
    s.push_back(lf_extrapolated(a));
    --a.extrapolationLeft;
    return true;
}

void lf_flareStep(LiveAircraft& a, const MovementContext& c) {
    MotionState& m = a.motion;
    const double h = lf_heightAboveGround(a);
    struct Stage {
        double above;
        double step;
        double verticalRate;
    };
    static constexpr Stage kStages[4] = {{30.0, -0.1, -601.0}, {20.0, -0.075, -450.0}, {10.0, -0.05, -300.0}, {3.0, -0.025, -150.0}};
    if (a.flareStage < 4 && h <= a.cgHeightFt + kStages[a.flareStage].above) {
        const Stage& stage = kStages[a.flareStage];
        if (a.flareStage == 0) m.pitchRate = (kFlarePitch - m.pitch) / gf_phaseRow(a.category).flareSlots;
        if (a.flareStage == 2) Config{a, c.outbox}.throttle(0);
        m.altitudeStep = stage.step;
        if (!a.stream.empty()) a.stream.front().verticalRate = stage.verticalRate;
        a.verticalSpeedFps = stage.verticalRate / 60.0;
        ++a.flareStage;
        if (c.airportElevationFt) a.referenceElevationFt = *c.airportElevationFt;
    }
    if (a.flareStage > 0) {
        m.bank = std::clamp(m.bank + m.bankRate, -kPi, kPi);
        m.pitch = std::max(m.pitch + m.pitchRate, kFlarePitch);
        m.altitude += m.altitudeStep;
    } else {
        m.bank += m.bankRate;
        m.pitch += m.pitchRate;
        m.altitude += m.altitudeStep;
    }
}

void lf_takeOffStep(LiveAircraft& a, const MovementContext& c) {
    MotionState& m = a.motion;
    a.takeOffCountdown = std::max(a.takeOffCountdown - 1, -1000);
    const bool pitchReached = std::abs(m.pitch - a.rotationPitch) <= std::abs(a.rotationPitchRate) + 1e-9;
    if (!pitchReached) m.pitch += a.rotationPitchRate;
    else m.pitch = a.rotationPitch;
    if (a.takeOffCountdown > 0) {
        a.groundMode = false;
        return;
    }
    m.bank += m.bankRate;
    const int k = a.takeOffCountdown;
    const double share = k > -100 ? 0.1 : k > -200 ? 0.2 : k > -300 ? 0.5 : 1.0;
    m.altitude += share * std::max(m.altitudeStep, 0.05);
    if (k == -300) Config{a, c.outbox}.gear(false);
    if (pitchReached && a.aboveGroundFt >= 800.0 && k <= -300) {
        Config{a, c.outbox}.throttle(lf_power(a, 3));
        a.flightState = FlightState::Flying;
        a.takeOffCountdown = 1;
        a.takeOffRoll = false;
    }
}

// Cycles the leg to the next sample is planned over. An aircraft behind its schedule (just
// activated, or after a hold) is not rushed to the sample: it takes at least four fifths of the
// time the leg really took and catches up over the following legs, never faster than a quarter
// above its speed. The late allowance bounds how far the schedule may slip.
int lf_plannedCycles(const LiveAircraft& a, const MovementContext& c) {
    const auto& s = a.stream;
    const PositionSample& next = s[1];
    const int scheduled = gf_legCycles(next.playoutTime, c.cycle);
    if (next.stationary != 0) return scheduled;
    // Never faster than a quarter above the reported speed, whatever the schedule says.
    const double speedKt = std::max({s[0].groundSpeed, next.groundSpeed, kMinCatchUpSpeedKt});
    const double nm = gf_distanceNm(lf_here(a), {next.lat, next.lon});
    const int bySpeed = gf_cyclesAtSpeed(nm, speedKt * kMaxLegSpeedFactor);
    const int natural = next.scheduledDue - s[0].scheduledDue;
    const int unhurried = a.pendingCourseChange ? 0 : static_cast<int>(std::lround(natural / kMaxCatchUpFactor));
    const int latest = std::max(next.playoutTime + a.lateAllowance - c.cycle, scheduled);
    return std::max({std::clamp(unhurried, scheduled, latest), bySpeed, scheduled});
}

void lf_touchdown(LiveAircraft& a, SimOutbox* outbox) {
    const bool removing = a.presence.simState == SimState::RemovingFromSim || a.presence.pendingRemoval;
    if (a.groundMode || removing || a.takeOffRoll || a.flightState == FlightState::TakeOff) return;
    if (!a.landing && a.flareStage == 0) {
        a.groundMode = true;
        return;
    }
    a.pitchDownAfterTouchdown = true;
    a.landingRoll = true;
    a.touchdownHeading = a.motion.heading;
    Config{a, outbox}.spoilers(true);
    a.rolloutControlsReleased = false;
    // Spoilers up and the engines reversed where the type can, the moment the wheels touch.
    gf_writeAiControls(a.presence.objectId, a.category, 100.0, a.reverseThrust ? -100.0 : 100.0);
    const int slots = gf_phaseRow(a.category).touchdownSlots;
    a.motion.pitchRate = (a.staticPitch - a.motion.pitch) / slots;
    a.motion.bankRate = -a.motion.bank / slots;
    a.motion.altitudeStep = 0.0;
    a.groundMode = true;
}

// The simulator tells touchdown only a few times a second, and not at all where its ground and
// ours differ: an aircraft whose samples are on the ground and that has come down to the ground
// it knows touches down by itself.
void lf_touchdownWhenDown(LiveAircraft& a, const MovementContext& c) {
    if (a.groundMode || std::isnan(a.groundAltitudeFt) || a.stream.empty() || a.stream.front().airborne != 0) return;
    if (a.motion.altitude <= a.groundAltitudeFt + a.cgHeightFt + 0.5) lf_touchdown(a, c.outbox);
}

} // namespace

void gf_startTakeOffRoll(LiveAircraft& a, SimOutbox& outbox) {
    const Config config{a, &outbox};
    a.takeOffRoll = true;
    config.throttle(0);
    config.spoilers(false);
    config.flaps(1);
    a.landing = false;
    a.flareStage = 0;
    a.goAround = false;
    config.lights({.nav = true, .beacon = true, .landing = true, .taxi = true, .strobes = true, .logo = true});
    lf_setAllowances(a, 3000, 5000);
}

void gf_startTouchAndGo(LiveAircraft& a, SimOutbox& outbox) {
    const Config config{a, &outbox};
    a.landingRoll = false;
    a.landing = false;
    a.flareStage = 0;
    a.flightState = FlightState::Taxi;
    a.takeOffRoll = true;
    config.throttle(3);
    config.spoilers(true);
    config.flaps(1);
    config.lights({.nav = true, .beacon = true, .landing = true, .taxi = true, .strobes = true, .logo = true, .cabin = true});
    lf_setAllowances(a, 3000, 5000);
}

bool gf_nextPosMain(LiveAircraft& a, const MovementContext& c) {
    auto& s = a.stream;
    if (!a.groundMode && a.category != AircraftCategory::Rotorcraft)
        while (s.size() >= 2 && s[1].stationary != 0) s.erase(s.begin() + 1);
    a.curve.reset();
    if (a.groundMode) {
        gf_planStandDeparture(a, c);
        if (gf_stoppedWhereItMayPark(a, c)) gf_try2Park(a, c, a.pendingCourseChange);
    }
    if (s.size() < 2) {
        if (a.flightState == FlightState::Parking) gf_arriveAtStand(a, c);
        if (!lf_endOfStream(a, c) || s.size() < 2) return false;
    }

    a.turningToTarget = false;
    a.motion.headingRate = 0.0;
    if (lf_samePosition(s[0], s[1])) s[1].stationary = 1;
    if (s[1].stationary == 0) {
        const LatLon here = lf_here(a);
        const LatLon to{s[1].lat, s[1].lon};
        a.targetBearing = gf_distanceNm(here, to) > 1e-6 ? lf_bearingRad(here, to) : lf_bearingRad({s[0].lat, s[0].lon}, to);
    }
    // A pushback keeps the nose where it is.
    if (a.flightState == FlightState::PushingBack) a.targetBearing = a.motion.heading;
    const int n = lf_plannedCycles(a, c);
    if (s[1].stationary == 0) s[1].playoutTime = c.cycle + n;
    if (a.groundMode) lf_planGround(a, c, n);
    else lf_planAir(a, c, n);

    // The leg may have been split or bent into a curve: plan the steps towards what is next now.
    const PositionSample& next = s[1];
    const int legCycles = gf_legCycles(next.playoutTime, c.cycle);
    if (next.stationary != 0 || a.curve) {
        a.motion.latStep = a.motion.lonStep = 0.0;
    } else {
        a.motion.latStep = (next.lat - a.motion.lat) / legCycles;
        a.motion.lonStep = (next.lon - a.motion.lon) / legCycles;
    }
    if (a.groundMode && !a.curve && next.stationary == 0) {
        a.turningToTarget = std::abs(gf_normalisePi(a.targetBearing - a.motion.heading)) > gf_degToRad(3.0);
        a.turnRateLimit = lf_fittedTurnRate(a, gf_normalisePi(a.targetBearing - a.motion.heading), legCycles);
    }
    s.pop_front();
    if (!a.takeOffRoll && !a.landingRoll) {
        a.earlyAllowance = std::max(a.earlyAllowance - 100, 1000);
        a.lateAllowance = std::max(a.lateAllowance - 100, 1000);
    }
    return true;
}

void gf_stepLiveAircraft(LiveAircraft& a, const MovementContext& c) {
    MotionState& m = a.motion;
    if (a.curve) {
        gf_stepOnCurve(m, *a.curve, a.curveProgress, a.turnRateLimit, a.flightState == FlightState::PushingBack);
        if (std::isnan(m.lat) || std::isnan(m.lon)) logLine("{} error in curve at index: {:.2F}", a.presence.label, a.curveProgress.u);
    } else {
        switch (a.flightState) {
        case FlightState::TakeOff:
        case FlightState::Flying:
        case FlightState::Parked:
        case FlightState::Birth:
            if (!a.groundMode) m.heading = std::fmod(m.heading + m.headingRate + 2.0 * kPi, 2.0 * kPi);
            else if (a.turningToTarget) gf_turnTowards(m, a.targetBearing, a.turnRateLimit);
            break;
        default:
            if (a.flightState == FlightState::Parking || a.turningToTarget) gf_turnTowards(m, a.targetBearing, a.turnRateLimit);
            break;
        }
        if (a.flightState != FlightState::PushedBack) {
            m.lat += m.latStep;
            m.lon += m.lonStep;
        }
    }
    if (a.flightState == FlightState::TakeOff) {
        lf_takeOffStep(a, c);
    } else if (a.pitchDownAfterTouchdown) {
        m.pitch += m.pitchRate;
        m.bank += m.bankRate;
        if ((m.pitchRate >= 0.0 && m.pitch >= a.staticPitch) || (m.pitchRate < 0.0 && m.pitch <= a.staticPitch)) {
            m.pitch = a.staticPitch;
            m.bank = 0.0;
            m.pitchRate = m.bankRate = 0.0;
            a.pitchDownAfterTouchdown = false;
            a.flareStage = 0;
            a.landing = false;
        }
    } else if (a.landing && !a.groundMode && a.aboveGroundFt <= 400.0) {
        lf_flareStep(a, c);
    } else if (a.groundMode) {
        m.pitch = a.staticPitch;
        m.bank = 0.0;
    } else {
        m.bank = std::clamp(m.bank + m.bankRate, -kPi, kPi);
        m.pitch += m.pitchRate;
        m.altitude += m.altitudeStep;
    }
    // An airborne aircraft never sinks into the ground: at the ground it waits for touchdown.
    if (!a.groundMode && !std::isnan(a.groundAltitudeFt)) m.altitude = std::max(m.altitude, a.groundAltitudeFt + a.cgHeightFt);
    gf_wrapPosition(m);
    lf_touchdownWhenDown(a, c);
}

void gf_onGroundData(LiveAircraft& a, bool onGround, double groundAltitudeFt, double aboveGroundFt, SimOutbox& outbox) {
    a.aboveGroundFt = aboveGroundFt;
    a.groundAltitudeFt = groundAltitudeFt;
    if (onGround) lf_touchdown(a, &outbox);
    if (a.groundMode || (a.flightState == FlightState::TakeOff && a.takeOffCountdown > 0))
        a.motion.altitude = groundAltitudeFt + a.cgHeightFt;
}

namespace {

// During a landing and the roll-out the aircraft follows the runway: samples that point back
// or aside (late reports of the approach) are not taken.
bool lf_checkNewPosDuringLanding(LiveAircraft& a, PositionSample& sample, std::int32_t cycle) {
    auto& s = a.stream;
    if (s.empty()) {
        logImportant("{} empty sz?", "checkNewPosDuringLanding");
        return false;
    }
    if (lf_samePosition(sample, s.back())) return false;
    const auto offHeading = [&](const PositionSample& from) {
        return std::abs(gf_radToDeg(gf_normalisePi(lf_bearingRad({from.lat, from.lon}, {sample.lat, sample.lon}) - a.motion.heading)));
    };
    if (s.size() == 1) {
        const double off = offHeading(s[0]);
        if (a.landing && !a.landingRoll && off >= 90.0) return false;
        if (a.landingRoll && off >= 150.0) {
            if (a.pendingCourseChange) return false;
            PositionSample restart = s[0];
            restart.lat = a.motion.lat;
            restart.lon = a.motion.lon;
            restart.playoutTime = restart.scheduledDue = cycle + 1;
            s[0] = restart;
        }
    } else {
        if (offHeading(s.back()) >= 90.0) {
            s.pop_back();
            if (s.size() >= 2 && offHeading(s.back()) >= 90.0) s.pop_back();
        }
    }
    a.pendingCourseChange = false;
    if (lf_samePosition(sample, s.back())) sample.stationary = 1;
    if (sample.groundSpeed > s.back().groundSpeed && sample.groundSpeed > 40.0) sample.groundSpeed = s.back().groundSpeed;
    return true;
}

} // namespace

bool gf_checkExtendingSituations(LiveAircraft& a, PositionSample& sample, std::int32_t cycle) {
    auto& s = a.stream;
    if (a.landing || a.landingRoll) return lf_checkNewPosDuringLanding(a, sample, cycle);
    const bool atStand = (a.flightState == FlightState::Parked && a.stand.spot.number != 0) || a.flightState == FlightState::Parking ||
                         a.flightState == FlightState::PushingBack || a.flightState == FlightState::PushedBack;
    if (atStand && a.groundMode) return gf_standSample(a, sample, cycle);
    if (s.empty()) return true;
    const PositionSample& last = s.back();
    const bool active = a.presence.simState == SimState::Active;
    if (a.category != AircraftCategory::Rotorcraft) {
        const bool same = lf_samePosition(sample, last);
        if (!same) {
            const bool jitter = std::abs(sample.lat - last.lat) < kStandingDeg && std::abs(sample.lon - last.lon) < kStandingDeg;
            if (jitter) {
                if (sample.airborne != 0 || (active && !a.groundMode) ||
                    (a.takeOffRoll && sample.groundSpeed > 0.0 && last.groundSpeed >= 50.0))
                    return false;
                const std::int32_t due = sample.playoutTime;
                const std::int64_t dataTime = sample.dataTime;
                const std::int32_t scheduled = sample.scheduledDue;
                sample = last;
                sample.playoutTime = due;
                sample.scheduledDue = scheduled;
                sample.dataTime = dataTime;
                sample.groundSpeed = 0.0;
                sample.stationary = 1;
            } else if (sample.groundSpeed == 0.0 && !(sample.airborne == 0 && !a.takeOffRoll) && last.groundSpeed >= 50.0) {
                return false;
            }
        } else {
            if (sample.airborne != 0 || (active && !a.groundMode) ||
                (a.takeOffRoll && sample.groundSpeed > 0.0 && last.groundSpeed >= 30.0))
                return false;
            sample.groundSpeed = 0.0;
            sample.stationary = 1;
        }
    }
    if (a.pendingCourseChange) {
        if (!a.groundMode) {
            const double turn = gf_normalisePi(lf_bearingRad({a.motion.lat, a.motion.lon}, {sample.lat, sample.lon}) - a.motion.heading);
            if (std::abs(gf_radToDeg(turn)) >= 100.0) return false;
        }
        a.pendingCourseChange = false;
        lf_setAllowances(a, 3000, a.takeOffRoll ? 5000 : 3000);
        if (!s.empty()) s.front().playoutTime = cycle + 1;
        a.holding = false;
    }
    return true;
}

} // namespace vorl
