#include "sim/AircraftRemoval.h"

#include "common/Log.h"
#include "sim/SimInbox.h"
#include "sim/SimOutbox.h"

namespace vorl {

const char* gf_simStateName(SimState state) {
    switch (state) {
    case SimState::Buffer: return "buffer";
    case SimState::Adding2Sim: return "adding2sim";
    case SimState::Active: return "active";
    case SimState::LiveryRespawn: return "liveryrespawn";
    case SimState::RemovingFromSim: return "removingfromsim";
    }
    return "buffer";
}

void removeAircraftFromSim(SimOutbox& outbox, SimPresence& aircraft, const ReleaseLiveAircraft& releaseLive) {
    if (aircraft.simState == SimState::Buffer) {
        aircraft.deleteNow = true;
        return;
    }
    if (aircraft.pendingRemoval || aircraft.simState == SimState::RemovingFromSim) return;
    if (aircraft.simState == SimState::Adding2Sim) {
        // Still waiting in a creation queue: it never reaches the simulator.
        if (outbox.withdrawQueuedCreation(aircraft.callsign)) aircraft.deleteNow = true;
        else aircraft.pendingRemoval = true;
        return;
    }
    if (aircraft.id > kLastStaticAircraftId && releaseLive) releaseLive(aircraft);
    aircraft.simState = SimState::RemovingFromSim;
    if (aircraft.objectId == 0) {
        logImportant("{} removing act {}, with objectid=0 ?", "removeAircraftFromSim", aircraft.label);
        return;
    }
    outbox.queueRemoval(aircraft.objectId);
}

} // namespace vorl
