#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

namespace vorl {

// What a message to the run loop is about.
enum class SimMessageKind : std::uint32_t {
    LiveCreated = 0,    // one of ours was created, live aircraft; B = altitude above ground (ft)
    StaticCreated = 1,  // one of ours was created, static parked aircraft
    ObjectRemoved = 2,  // the simulator removed an aircraft
    GroundData = 3,     // aircraft id = on-ground flag, A = ground altitude (ft), B = above ground (ft)
    StaticAttitude = 4, // A = static CG to ground (ft), B = static pitch (rad)
    BlockedCallsign = 5,
    CreateFailed = 6,
};

struct SimMessage {
    std::uint32_t objectId = 0;
    std::uint32_t aircraftId = 0;
    std::uint32_t spare = 0;
    SimMessageKind kind = SimMessageKind::LiveCreated;
    double a = 0.0;
    double b = 0.0;
};
static_assert(sizeof(SimMessage) == 32);

// Aircraft ids above this belong to live aircraft, the others to static parked ones.
inline constexpr std::uint32_t kLastStaticAircraftId = 10000;

// Messages from the simulator's dispatch to the run loop, in arrival order.
class SimInbox {
public:
    void post(const SimMessage& message);
    // Everything posted so far, oldest first; the inbox is empty afterwards.
    std::vector<SimMessage> drain();
    void clear();

private:
    std::mutex mutex_;
    std::vector<SimMessage> messages_;
};

SimInbox& gf_simInbox();

} // namespace vorl
