#include "app/RunLoops.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

#include "app/ProgramRun.h"
#include "app/RunControl.h"
#include "common/Log.h"
#include "common/TimeStamp.h"
#include "common/TimeZoneWord.h"
#include "common/platform.h"
#include "sim/SimClient.h"
#include "sim/SimIds.h"
#include "sim/SimInbox.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

std::recursive_mutex g_simulatorStateMutex;
bool g_simulatorRunning = false;

constexpr auto kCycle = std::chrono::milliseconds(10);
constexpr auto kMaxLag = std::chrono::milliseconds(110);
constexpr int kNotRunningCountdown = 100;

// While no flight runs the loop only keeps the links alive; the change of state is announced
// once each way.
class FlightWatch {
public:
    explicit FlightWatch(ProgramRun& run) : run_(run) {}

    void notRunningCycle() {
        if (!latched_) {
            gf_setSimulatorRunning(false);
            latched_ = true;
            countdown_ = kNotRunningCountdown;
            logLine("{} Flight not running", gf_nowText());
        }
        if (--countdown_ % kNotRunningCountdown == 0) {
            run_.runPendingCommands();
            run_.realTraffic().periodicCheck();
            run_.publishFigures();
        }
        if (countdown_ < 1) {
            countdown_ = kNotRunningCountdown;
            gf_refreshTimeZoneWord(std::time(nullptr));
        }
    }
    void onTickWhileRunning() {
        if (!latched_) return;
        latched_ = false;
        logLine("{} Flight resumed", gf_nowText());
        gf_setSimulatorRunning(true);
    }

private:
    ProgramRun& run_;
    bool latched_ = false;
    int countdown_ = kNotRunningCountdown;
};

bool lf_isStaticMessage(const SimMessage& message) {
    switch (message.kind) {
    case SimMessageKind::StaticCreated: return true;
    case SimMessageKind::CreateFailed: return message.aircraftId <= kLastStaticAircraftId;
    default: return false;
    }
}

// Removals and static attitudes go to both sides: only the side that knows the object acts on it.
void lf_routeSimInbox(ProgramRun& run) {
    for (const SimMessage& message : gf_simInbox().drain()) {
        const bool both = message.kind == SimMessageKind::ObjectRemoved || message.kind == SimMessageKind::StaticAttitude;
        if (both || lf_isStaticMessage(message)) run.parking().onStaticMessage(message);
        if (both || !lf_isStaticMessage(message)) run.live().onMessage(message);
    }
}

} // namespace

void gf_setSimulatorRunning(bool running) {
    std::lock_guard lock(g_simulatorStateMutex);
    g_simulatorRunning = running;
}

bool gf_simulatorRunning() {
    std::lock_guard lock(g_simulatorStateMutex);
    return g_simulatorRunning;
}

void gf_mainLoop(ProgramRun& run) {
    using Clock = std::chrono::steady_clock;
    // The first plan of the static parking, then the figures as they stand.
    run.parking().followUser(false);
    run.publishFigures();
    run.ticks().start();
    gf_refreshTimeZoneWord(std::time(nullptr));
    gf_setSimulatorRunning(true);
    run.refreshCallsignList();
    const bool fineTimer = gf_beginFineTimer();
    SimSession& sim = gf_simSession();
    RunControl& control = run.services().run;
    FlightWatch flight(run);
    auto base = Clock::now();
    std::uint64_t cycle = 0;
    while (!control.stopRequested()) {
        ++cycle;
        if (!sim.simRunning.load() || sim.simConnectError.load()) {
            // Paused: nothing is paced out to the simulator and no aircraft moves on.
            flight.notRunningCycle();
        } else {
            run.runPendingCommands();
            lf_routeSimInbox(run);
            run.parking().stepActivations();
            // The aircraft move and their positions go to the simulator thread first; new
            // records and the next creation are taken in after, for the cycles to come.
            run.live().update();
            gf_simCycle(cycle);
            run.live().takeRecords(run.realTraffic().link());
            run.live().avoidCollisions();
            if (sim.oneSecondTick.exchange(false)) {
                flight.onTickWhileRunning();
                run.ticks().onTick(std::time(nullptr), sim.simTimeEpoch.load());
                // The tick restarts the rhythm so that the cycles stay aligned with it.
                base = Clock::now();
            }
        }
        // A lag of more than 110 ms is dropped, not caught up.
        base += kCycle;
        if (Clock::now() - base > kMaxLag) base = Clock::now();
        std::this_thread::sleep_until(base);
    }
    if (fineTimer) gf_endFineTimer();
}

} // namespace vorl
