#include "app/TickWork.h"

#include <algorithm>
#include <cstdlib>

#include <fmt/format.h>

#include "app/Parameters.h"
#include "app/ProgramRun.h"
#include "app/StatusBoard.h"
#include "app/TimeShift.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/TimeZoneWord.h"
#include "models/LiveryCatalogue.h"

namespace vorl {
namespace {

constexpr int kTicksPerDay = 86400;
constexpr int kParkingRenewalMinutes = 20;
constexpr int kStaticUpdatePeriod = 16;
// A simulator clock that jumps by more than this between two ticks was set by the user.
constexpr std::int64_t kSimTimeJumpSeconds = 29;

// The static parking is updated on ticks divisible by 16 that the fifth-tick work leaves free.
bool lf_isStaticUpdateTick(int tick) { return tick % kStaticUpdatePeriod == 0 && tick % 5 != 0; }

int lf_secondsToStaticUpdate(int tick) {
    int seconds = 1;
    while (!lf_isStaticUpdateTick(tick + seconds)) ++seconds;
    return seconds;
}

} // namespace

void TickWork::onTick(std::time_t now, std::int64_t simTimeEpoch) {
    perSecond(now, simTimeEpoch);
    if (tickCounter_ % 5 == 0) {
        everyFifthTick();
        if (tickCounter_ % 15 == 0) quarterMinute();
    } else {
        if (lf_isStaticUpdateTick(tickCounter_) && !run_.parking().paused()) {
            run_.parking().followUser(renewalAnnounced_);
            renewalAnnounced_ = false;
        }
        if (tickCounter_ % 61 == 0) run_.parking().removeDuplicatesOfLive();
    }
    run_.publishFigures();
}

void TickWork::perSecond(std::time_t now, std::int64_t simTimeEpoch) {
    ++statusClock_;
    run_.services().status.onStatusClockTick(statusClock_);
    gf_refreshTimeZoneWord(now);
    followSimulatorTime(now, simTimeEpoch);
    run_.sim().publishUserPosition();
    ++tickCounter_;
    run_.live().perSecond();
    run_.parking().placeNext();
    // A fresh plan is twenty minutes from its first renewal.
    if (run_.parking().takeNewPlan()) parkingCountdownMinutes_.store(kParkingRenewalMinutes);
    run_.lookUpCallsignIfAsked();
    if (renewalAnnounced_) countDownRenewal();
}

void TickWork::countDownRenewal() {
    const int seconds = lf_secondsToStaticUpdate(tickCounter_);
    run_.services().status.setStatus(
        fmt::format("{} will update static parking in {} second{} ...", kProgramName, seconds, seconds == 1 ? "" : "s"),
        false);
}

// With "Sim Time" the traffic follows the simulator's clock: when the user sets that clock, the
// shift becomes the whole minutes it lags behind the real time.
void TickWork::followSimulatorTime(std::time_t now, std::int64_t simTimeEpoch) {
    if (!run_.services().params.SIM_TIME.value() || simTimeEpoch == 0) return;
    if (std::llabs(simTimeEpoch - lastSimTime_) > kSimTimeJumpSeconds) {
        const std::int64_t behind = static_cast<std::int64_t>(now) - simTimeEpoch;
        gf_setTimeShift(behind > 0 ? static_cast<int>(std::min<std::int64_t>(behind / 60, kMaxTimeShiftMinutes + 1)) : 0,
                        true);
        if (lastSimTime_ != 0) run_.timeShifted();
    }
    lastSimTime_ = simTimeEpoch;
}

void TickWork::everyFifthTick() {
    RealTrafficSession& rt = run_.realTraffic();
    rt.handUserPosition();
    rt.periodicCheck();
    // Nothing stays on the stand kept for the user: a static aircraft there, else a live one.
    const std::string reserved = run_.parking().reservedStand();
    if (!reserved.empty() && !run_.parking().clearReservedStand()) run_.live().traffic().removeParkedAt(reserved);
    run_.refreshCallsignList();
}

void TickWork::announceStaticUpdate() {
    renewalAnnounced_ = true;
    parkingCountdownMinutes_.store(kParkingRenewalMinutes);
    countDownRenewal();
}

void TickWork::quarterMinute() {
    const ProgramServices& services = run_.services();
    const Parameters& p = services.params;
    ParkingLink& parking = run_.parking();
    // Removing every static aircraft takes two quarter minutes: the first pauses the parking and
    // says so, the second removes them and plans the stands afresh.
    if (flushAnnounced_) {
        flushAnnounced_ = false;
        parking.setPaused(false);
        services.status.clearError();
        services.status.clearStatus();
        parking.flushAndReplan();
    } else if (run_.takeFlushRequest()) {
        flushAnnounced_ = true;
        parking.setPaused(true);
        services.status.setStatus("All static parked aircraft will be removed ...", true);
    }
    if (tickCounter_ % 30 == 0 && p.AUTO_RANGE.value()) run_.realTraffic().handUserPosition();
    if (tickCounter_ % 60 == 0) {
        const int left = parkingCountdownMinutes_.load() - 1;
        if (left < 1) {
            parkingCountdownMinutes_.store(kParkingRenewalMinutes);
            if (run_.aiObjectsExist() && !p.INITIAL_LOAD_ONLY.value() && !parking.paused() && !flushAnnounced_)
                announceStaticUpdate();
        } else {
            parkingCountdownMinutes_.store(left);
        }
        if (p.OBJECTID_LIST.value()) run_.live().writeObjectList();
    }
    if (tickCounter_ % 1200 == 0) run_.live().reportUnmatchedLiveries();
    if (tickCounter_ % kTicksPerDay == 0) {
        tickCounter_ = 0;
        services.liveries.logSummary();
        run_.live().traffic().forgetFlightLookups();
    }
}

} // namespace vorl
