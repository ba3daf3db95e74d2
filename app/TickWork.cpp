#include "app/TickWork.h"

#include <algorithm>
#include <cstdlib>

#include "app/MainLoopHooks.h"
#include "app/Parameters.h"
#include "app/RealTrafficSession.h"
#include "app/SimLink.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/TimeShift.h"
#include "common/TimeZoneWord.h"

namespace vorl {
namespace {

constexpr int kTicksPerDay = 86400;
constexpr int kParkingRenewalMinutes = 20;
// A simulator clock that jumps by more than this between two ticks was set by the user.
constexpr std::int64_t kSimTimeJumpSeconds = 29;

template <class Hook> void lf_run(const Hook& hook) {
    if (hook) hook();
}

} // namespace

MainLoopHooks& gf_mainLoopHooks() {
    static MainLoopHooks hooks;
    return hooks;
}

void TickWork::onTick(std::time_t now, std::int64_t simTimeEpoch) {
    perSecond(now, simTimeEpoch);
    const MainLoopHooks& hooks = gf_mainLoopHooks();
    if (tickCounter_ % 5 == 0) {
        everyFifthTick();
        if (tickCounter_ % 15 == 0) quarterMinute();
    } else {
        if (tickCounter_ % 16 == 0) lf_run(hooks.updateStaticParking);
        if (tickCounter_ % 61 == 0) lf_run(hooks.periodicLiveCheck);
    }
}

void TickWork::perSecond(std::time_t now, std::int64_t simTimeEpoch) {
    ++statusClock_;
    gf_status().onStatusClockTick(statusClock_);
    gf_refreshTimeZoneWord(now);
    followSimulatorTime(now, simTimeEpoch);
    gf_publishSimUserPosition();
    ++tickCounter_;
    lf_run(gf_mainLoopHooks().perSecondLive);
    lf_run(gf_mainLoopHooks().perSecondParking);
}

// With "Sim Time" the traffic follows the simulator's clock: when the user sets that clock, the
// shift becomes the whole minutes it lags behind the real time.
void TickWork::followSimulatorTime(std::time_t now, std::int64_t simTimeEpoch) {
    if (!gf_params().SIM_TIME.value() || simTimeEpoch == 0) return;
    if (std::llabs(simTimeEpoch - lastSimTime_) > kSimTimeJumpSeconds) {
        const std::int64_t behind = static_cast<std::int64_t>(now) - simTimeEpoch;
        gf_setTimeShift(behind > 0 ? static_cast<int>(std::min<std::int64_t>(behind / 60, kMaxTimeShiftMinutes + 1)) : 0,
                        true);
    }
    lastSimTime_ = simTimeEpoch;
}

void TickWork::everyFifthTick() {
    gf_rtHandUserPosition();
    gf_rtPeriodicCheck();
    lf_run(gf_mainLoopHooks().clearReservedStand);
}

void TickWork::quarterMinute() {
    const MainLoopHooks& hooks = gf_mainLoopHooks();
    if (tickCounter_ % 60 == 0) {
        if (--parkingCountdownMinutes_ < 1) {
            parkingCountdownMinutes_ = kParkingRenewalMinutes;
            if (hooks.renewStaticParking) hooks.renewStaticParking();
        }
        gf_figures().nextUpdateMinutes.store(parkingCountdownMinutes_);
        if (gf_params().OBJECTID_LIST.value()) lf_run(hooks.writeObjectList);
    }
    if (tickCounter_ % 1200 == 0) lf_run(hooks.writeUnmatchedLiveries);
    if (tickCounter_ % kTicksPerDay == 0) {
        tickCounter_ = 0;
        lf_run(hooks.writeMatchingSummary);
        lf_run(hooks.forgetFlightLookups);
    }
}

} // namespace vorl
