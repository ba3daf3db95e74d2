#pragma once
#include <cstdint>
#include <random>

#include "common/AircraftCategory.h"

namespace vorl {

class SimOutbox;

// Start values of the remembered indexes: nothing sent yet.
inline constexpr std::uint32_t kNoThrottleSent = 5;
inline constexpr std::uint32_t kNoFlapsSent = 4;

// The switches of one AI aircraft, queued as client events in the outbox.
struct LightSwitches {
    bool nav = false;
    bool beacon = false;
    bool landing = false;
    bool taxi = false;
    bool strobes = false;
    bool logo = false;
    bool cabin = false;
};

// One AI object as the control events need it. The two indexes remember what was sent last,
// so that flaps and throttle go out only when they change.
struct AiControlTarget {
    std::uint32_t objectId = 0;
    AircraftCategory category = AircraftCategory::Light;
    std::uint32_t& throttleIndex;
    std::uint32_t& flapsIndex;
};

void gf_engineOn(SimOutbox& outbox, std::uint32_t objectId);
void gf_engineOff(SimOutbox& outbox, std::uint32_t objectId);
void gf_setLights(SimOutbox& outbox, std::uint32_t objectId, const LightSwitches& lights);
void gf_setNavLights(SimOutbox& outbox, std::uint32_t objectId, bool on);
// The controls block (spoilers handle and both throttles, percent), written to the simulator at
// once from the run loop: touchdown wants its spoilers and reverse thrust this very frame. Light
// aircraft have neither and get nothing.
void gf_writeAiControls(std::uint32_t objectId, AircraftCategory category, double spoilersPercent,
                        double throttlePercent);
void gf_setCabinLights(SimOutbox& outbox, std::uint32_t objectId, bool on);
// Gear and spoilers are not sent to rotorcraft.
void gf_setGear(SimOutbox& outbox, std::uint32_t objectId, AircraftCategory category, bool down);
void gf_setSpoilers(SimOutbox& outbox, std::uint32_t objectId, AircraftCategory category, bool out);
// Flaps index 0..3; other indexes are refused (and logged unless 4, the "none" mark).
void gf_setFlaps(SimOutbox& outbox, const AiControlTarget& target, int index);
// Throttle index 0..4; other indexes send nothing.
void gf_setThrottle(SimOutbox& outbox, const AiControlTarget& target, int index);

// A parked aircraft shuts down: throttle and flaps back, engines off, parking lights.
// `cabinDraw` is a uniform integer 0..9: the cabin stays lit nine times in ten, never at a
// cargo stand.
void gf_queueShutDownSet(SimOutbox& outbox, const AiControlTarget& target, bool navLightsWhileParked, bool cargoStand,
                         int cabinDraw);
int gf_drawZeroToNine();

} // namespace vorl
