#include "sim/AircraftControls.h"

#include <array>

#include "common/Log.h"
#include "sim/SimIds.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"
#include "common/TimeStamp.h"

namespace vorl {
namespace {

constexpr std::array<std::uint32_t, 4> kFlapsTable{0, 3072, 10240, 16383};
constexpr std::array<std::uint32_t, 5> kThrottleTable{0, 4914, 8191, 11468, 16383};

} // namespace

void gf_engineOn(SimOutbox& outbox, std::uint32_t objectId) {
    outbox.queueClientEvent(objectId, simid::kEngineAutoStart, 0);
}

void gf_engineOff(SimOutbox& outbox, std::uint32_t objectId) {
    outbox.queueClientEvent(objectId, simid::kEngineAutoShutdown, 0);
}

void gf_setLights(SimOutbox& outbox, std::uint32_t objectId, const LightSwitches& lights) {
    std::lock_guard lock(outbox.mutex());
    outbox.queueClientEventLocked(objectId, simid::kNavLights, lights.nav);
    outbox.queueClientEventLocked(objectId, simid::kBeaconLights, lights.beacon);
    outbox.queueClientEventLocked(objectId, simid::kLandingLights, lights.landing);
    outbox.queueClientEventLocked(objectId, simid::kTaxiLights, lights.taxi);
    outbox.queueClientEventLocked(objectId, simid::kStrobes, lights.strobes);
    outbox.queueClientEventLocked(objectId, simid::kLogoLights, lights.logo);
    outbox.queueClientEventLocked(objectId, simid::kCabinLights, lights.cabin);
}

void gf_setNavLights(SimOutbox& outbox, std::uint32_t objectId, bool on) {
    outbox.queueClientEvent(objectId, simid::kNavLights, on);
}

void gf_setCabinLights(SimOutbox& outbox, std::uint32_t objectId, bool on) {
    outbox.queueClientEvent(objectId, simid::kCabinLights, on);
}

void gf_setGear(SimOutbox& outbox, std::uint32_t objectId, AircraftCategory category, bool down) {
    if (category == AircraftCategory::Rotorcraft) return;
    outbox.queueClientEvent(objectId, simid::kGearSet, down ? 1 : 0);
}

void gf_writeAiControls(std::uint32_t objectId, AircraftCategory category, double spoilersPercent,
                        double throttlePercent) {
    if (category == AircraftCategory::Light || objectId == 0) return;
    SimSession& session = gf_simSession();
    SimBackend* backend = session.backend();
    if (backend == nullptr || !session.connected.load()) return;
    std::array<double, 3> block{spoilersPercent, throttlePercent, throttlePercent};
    if (simconnect::failed(backend->setDataOnSimObject(session.handle(), simid::kDefAiControls, objectId, 0, 0,
                                                       sizeof(block), block.data())))
        logImportant("{} !SimConnect call to set the controls of {} failed", gf_nowText(), objectId);
}

void gf_setSpoilers(SimOutbox& outbox, std::uint32_t objectId, AircraftCategory category, bool out) {
    if (category == AircraftCategory::Rotorcraft) return;
    outbox.queueClientEvent(objectId, simid::kSpoilersSet, out ? 16383 : 0);
}

void gf_setFlaps(SimOutbox& outbox, const AiControlTarget& target, int index) {
    if (index < 0 || index > 4) {
        logImportant("gf_setFlaps: invalid flaps index");
        return;
    }
    if (index == 4 || target.category == AircraftCategory::Rotorcraft) return;
    if (target.flapsIndex == static_cast<std::uint32_t>(index)) return;
    target.flapsIndex = static_cast<std::uint32_t>(index);
    outbox.queueClientEvent(target.objectId, simid::kFlapsSet, kFlapsTable[static_cast<std::size_t>(index)]);
}

void gf_setThrottle(SimOutbox& outbox, const AiControlTarget& target, int index) {
    if (index < 0 || index >= static_cast<int>(kThrottleTable.size())) return;
    if (target.throttleIndex == static_cast<std::uint32_t>(index)) return;
    target.throttleIndex = static_cast<std::uint32_t>(index);
    outbox.queueClientEvent(target.objectId, simid::kThrottleSet, kThrottleTable[static_cast<std::size_t>(index)]);
}

void gf_queueShutDownSet(SimOutbox& outbox, const AiControlTarget& target, bool navLightsWhileParked, bool cargoStand,
                         int cabinDraw) {
    gf_setThrottle(outbox, target, 0);
    gf_setFlaps(outbox, target, 0);
    gf_engineOff(outbox, target.objectId);
    LightSwitches lights;
    lights.nav = navLightsWhileParked;
    lights.logo = true;
    lights.cabin = !cargoStand && cabinDraw <= 8;
    gf_setLights(outbox, target.objectId, lights);
}

int gf_drawZeroToNine() {
    thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, 9)(generator);
}

} // namespace vorl
