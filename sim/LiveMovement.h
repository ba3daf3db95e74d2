#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "common/Geodesy.h"
#include "sim/LiveAircraft.h"

namespace vorl {

class SimOutbox;

// The settings and surroundings the movement of live aircraft depends on, gathered once per
// cycle by the live traffic.
struct MovementContext {
    std::int32_t cycle = 0;
    SimOutbox* outbox = nullptr;
    // The airport the aircraft are flying to or from, when one is known.
    std::optional<LatLon> airportPosition;
    std::optional<double> airportElevationFt;
    std::optional<LatLon> userPosition;
    double rangeNm = 25.0;
    bool airborneOnly = false;
    bool lightAircraft = true;
    bool helicopters = true;
    bool highPerfAircraft = true;
    int maxHoldingMinutes = 10;
    // The park airport's stands while live parking is active there.
    const LiveStandHooks* stands = nullptr;
    bool straightPushbacksOnly = false;
    bool navLightsWhileParked = false;
    // Live aircraft parked on a stand, or on a neighbour of it, leave for a newcomer.
    std::function<void(const StandSpot& stand, const LiveAircraft& newcomer)> clearLiveAtStand;
    // Whether another active live aircraft taxis within `distanceNm` of the given one.
    std::function<bool(const LiveAircraft& self, double distanceNm)> taxiingNeighbourWithin;
};

// A sample has become due: the stream advances by one sample and the movement towards the next
// one is planned. False when the stream ran dry for good and the aircraft must leave.
bool gf_nextPosMain(LiveAircraft& aircraft, const MovementContext& context);

// One 10 ms cycle of integration between samples.
void gf_stepLiveAircraft(LiveAircraft& aircraft, const MovementContext& context);

// The simulator's ground report of the object: touchdown, and the ground under it.
void gf_onGroundData(LiveAircraft& aircraft, bool onGround, double groundAltitudeFt, double aboveGroundFt,
                     SimOutbox& outbox);

// Whether a new sample of an aircraft that is already moving is taken into its stream; may
// adjust the sample (a standing aircraft's jitter becomes a stationary sample).
bool gf_checkExtendingSituations(LiveAircraft& aircraft, PositionSample& sample, std::int32_t cycle);

// A take-off roll begins: configuration and time allowances of a roll.
void gf_startTakeOffRoll(LiveAircraft& aircraft, SimOutbox& outbox);

// The landing roll turns into a take-off roll at once: the aircraft is airborne again in its
// data (a touch and go).
void gf_startTouchAndGo(LiveAircraft& aircraft, SimOutbox& outbox);

} // namespace vorl
