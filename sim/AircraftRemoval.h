#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vorl {

class SimOutbox;

// Where an aircraft of the program stands with the simulator.
enum class SimState : std::uint32_t {
    Buffer = 0,         // collecting samples, not in the simulator
    Adding2Sim = 1,     // creation queued or sent
    Active = 2,         // exists and is moved every cycle
    LiveryRespawn = 3,  // being removed to be created again with another livery
    RemovingFromSim = 4 // removal queued or sent
};

const char* gf_simStateName(SimState state);

// The part of a live or static aircraft record that its removal works on.
struct SimPresence {
    std::uint32_t id = 0;       // live id above 10000, static id 1..10000
    std::uint32_t objectId = 0; // 0 until created
    SimState simState = SimState::Buffer;
    std::string callsign;
    std::string label;
    bool pendingRemoval = false; // remove as soon as the creation is confirmed
    bool deleteNow = false;      // drop the record at the end of the cycle
};

// What a live aircraft gives up when it leaves: its stand, and the window's "followed" mark.
using ReleaseLiveAircraft = std::function<void(const SimPresence&)>;

// Takes an aircraft out of the simulator, or out of the creation queue before it got there.
void removeAircraftFromSim(SimOutbox& outbox, SimPresence& aircraft, const ReleaseLiveAircraft& releaseLive = {});

} // namespace vorl
