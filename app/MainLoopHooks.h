#pragma once
#include <cstdint>
#include <functional>

#include "sim/SimInbox.h"

namespace vorl {

// What the main loop drives in the subsystems that move and park aircraft. The subsystems
// connect their members when they start; empty members are skipped, so the loop keeps its
// rhythm whichever of them are present.
struct MainLoopHooks {
    // Once when the loop starts: the first plan of the static parking.
    std::function<void()> planStaticParkingOnce;
    // Every cycle, the simulator's messages in arrival order: those about static parked aircraft
    // (ids up to kLastStaticAircraftId) to the parking, all others to the live aircraft.
    std::function<void(const SimMessage& message)> onStaticMessage;
    std::function<void(const SimMessage& message)> onLiveMessage;
    // Every 10 ms cycle of a running flight: new traffic records admitted, then every live
    // aircraft moved one cycle on.
    std::function<void(std::uint64_t cycle)> handleAddingStack;
    std::function<void(std::uint64_t cycle)> updateLiveAircraft;
    // Once a second: one pending object-identifier event handed to its live aircraft.
    std::function<void()> perSecondLive;
    // Once a second: the next planned static aircraft placed.
    std::function<void()> perSecondParking;
    // Every 61st tick: the live aircraft's periodic check (stale data, respawns).
    std::function<void()> periodicLiveCheck;
    // Every 16th tick: the static parking's pending work; the quarter-hourly renewal is asked
    // for through `renewStaticParking`.
    std::function<void()> updateStaticParking;
    std::function<bool()> renewStaticParking;
    // Every fifth tick: the aircraft standing on the reserved stand is removed.
    std::function<void()> clearReservedStand;
    // Every minute when OBJECTID_LIST is on.
    std::function<void()> writeObjectList;
    // Every 20 minutes, and the summary once a day.
    std::function<void()> writeUnmatchedLiveries;
    std::function<void()> writeMatchingSummary;
    // Once a day: the per-flight lookup table of live aircraft emptied.
    std::function<void()> forgetFlightLookups;
};

MainLoopHooks& gf_mainLoopHooks();

} // namespace vorl
