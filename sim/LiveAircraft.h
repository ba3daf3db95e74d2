#pragma once
#include <cmath>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "common/AircraftCategory.h"
#include "common/FixedCode.h"
#include "common/ModelCode.h"
#include "sim/AircraftControls.h"
#include "sim/AircraftRemoval.h"
#include "sim/BezierCurve.h"
#include "sim/MovementPlanning.h"
#include "sim/PositionSample.h"
#include "sim/SimRecords.h"
#include "sim/StandHooks.h"

namespace vorl {

enum class FlightState : std::uint32_t {
    PushingBack = 0,
    PushedBack = 1,
    Taxi = 2,
    TakeOff = 3,
    Flying = 4,
    Parking = 5,
    Parked = 6,
    Birth = 7,
};

const char* gf_flightStateName(FlightState state);

// Static pitch used when the simulator's value is implausible (0.7 degrees nose up).
inline constexpr double kDefaultStaticPitchRad = 0.012217304763960306;

// What a live aircraft knows of the stand it parks on, drives to or has just left.
struct LiveStandState {
    StandSpot spot; // number 0: none
    std::int32_t parkedCycle = 0;
    bool pullOutPending = false;
    bool towed = false;      // moved off its stand soon after parking: it may park again
    bool leftStand = false;  // has pushed back or pulled out: not parked again unless towed
    int pushbackCountdown = 0;
    std::optional<PositionSample> turnOff; // the other end of a pushback with a turn
    int turnSide = 0;                      // 0 undecided, 1 the kept-aside end, 2 the planned end
    double pushedBackDistanceNm = 900.0;   // the distance at the last check after a pushback
    // Samples of a parked aircraft within its stand's zone: the first one's distance, the farthest
    // so far, and the 3 m steps out counted since the last step back.
    std::optional<double> referenceNm;
    double farthestNm = 0.0;
    int stepsOut = 0;
    std::optional<std::int32_t> firstStepDue; // when the first of those steps falls due
    bool arrivedByParking = false; // drove onto the stand (a wider zone), rather than born there
    bool goneFromStand = false;    // its data is far from the stand: it left unseen
    std::optional<LatLon> lastTry; // where the last stand search was made
};

// One real aircraft reported by the traffic feed and shown in the simulator. Held by value in
// the live list and touched on the run-loop thread only.
struct LiveAircraft {
    // Who it is: what the first record said, updated when the feed changes its mind.
    SimPresence presence; // id (the hex id), object id, sim state, callsign, label, removal marks
    bool deleteCancelled = false;
    ModelCode code;
    std::string type;
    std::string registration;
    IataCode origin;
    IataCode destination;
    bool hasOrigin = false;
    bool hasDestination = false;
    AircraftCategory category = AircraftCategory::Large;
    std::string liveryKey;
    std::string liveryTitle;

    // What the model data says about its shape.
    double halfWingspanNm = 0.0;
    double cgHeightFt = 0.0;
    double staticPitch = kDefaultStaticPitchRad;
    bool staticAttitudeRequested = false;
    bool reverseThrust = true;
    // The controls block went back to zero on the landing roll (written once, not every cycle).
    bool rolloutControlsReleased = false;
    double taxiSpeedKt = 10.0; // onto and off a stand

    LiveStandState stand;

    // The stream of reported positions, oldest first; the front is the current sample.
    std::deque<PositionSample> stream;
    double lastDataTime = 0.0;

    // Where it is now: integrated every cycle and written to the simulator.
    MotionState motion;
    double verticalSpeedFps = 0.0;
    double trueAirspeedKt = 0.0;
    std::optional<BezierCurve> curve;
    CurveProgress curveProgress;
    double turnRateLimit = 0.0; // radians per cycle
    double targetBearing = 0.0; // radians
    bool turningToTarget = false;

    FlightState flightState = FlightState::Birth;
    FlightState previousFlightState = FlightState::Birth;
    bool groundMode = false;
    bool flightPlanWritten = false;
    bool heldForUser = false;
    bool holding = false;
    std::uint64_t holdingStartCycle = 0;
    bool pendingCourseChange = false;
    int extrapolationLeft = -1; // -1: not extrapolating

    // Landing and take-off.
    bool landing = false;
    int flareStage = 0;
    bool pitchDownAfterTouchdown = false;
    bool landingRoll = false;
    bool takeOffRoll = false;
    bool goAround = false;
    double touchdownHeading = 0.0;
    int takeOffCountdown = 1;
    double rotationPitch = 0.0;
    double rotationPitchRate = 0.0;
    double takeOffAltitudeStep = 0.0;
    double aboveGroundFt = 2500.0;
    double groundAltitudeFt = std::nan("");
    double referenceElevationFt = std::nan("");
    int earlyAllowance = 1000;
    int lateAllowance = 1000;

    // What has been sent, so that only changes go out.
    std::uint32_t throttleIndex = kNoThrottleSent;
    std::uint32_t flapsIndex = kNoFlapsSent;
    bool lowLightsSet = false;
    bool highLightsSet = false;
    bool gearDown = true;

    bool isAirborneNow() const { return !groundMode; }
    const std::string& callsign() const { return presence.callsign; }
    std::uint32_t id() const { return presence.id; }
    AiPositionBlock output() const {
        return {motion.lat, motion.lon, motion.pitch, motion.bank, motion.heading, motion.altitude, verticalSpeedFps,
                trueAirspeedKt};
    }
    AiControlTarget controls() {
        return AiControlTarget{presence.objectId, category, throttleIndex, flapsIndex};
    }
};

// The aircraft's label in the log and the window: its callsign padded to eight characters.
std::string gf_liveLabel(const std::string& callsign);

} // namespace vorl
