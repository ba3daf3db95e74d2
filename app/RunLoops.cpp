#include "app/RunLoops.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

#include "app/AirportScanLink.h"
#include "app/LiveTrafficLink.h"
#include "app/MainLoopHooks.h"
#include "app/ParkingLink.h"
#include "app/ProgramContext.h"
#include "app/RealTrafficSession.h"
#include "app/RunControl.h"
#include "app/SimLink.h"
#include "app/StatusBoard.h"
#include "app/TickWork.h"
#include "common/Log.h"
#include "common/TimeStamp.h"
#include "common/TimeZoneWord.h"
#include "common/platform.h"
#include "sim/SimClient.h"
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
    void notRunningCycle() {
        if (!latched_) {
            gf_setSimulatorRunning(false);
            latched_ = true;
            countdown_ = kNotRunningCountdown;
            logLine("{} Flight not running", gf_nowText());
        }
        if (--countdown_ % kNotRunningCountdown == 0) gf_rtPeriodicCheck();
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
    bool latched_ = false;
    int countdown_ = kNotRunningCountdown;
};

template <class Hook> void lf_runCycleHook(const Hook& hook, std::uint64_t cycle) {
    if (hook) hook(cycle);
}

bool lf_isStaticMessage(const SimMessage& message) {
    switch (message.kind) {
    case SimMessageKind::StaticCreated: return true;
    case SimMessageKind::CreateFailed: return message.aircraftId <= kLastStaticAircraftId;
    default: return false;
    }
}

// Removals and static attitudes go to both sides: only the side that knows the object acts on it.
void lf_routeSimInbox(const MainLoopHooks& hooks) {
    for (const SimMessage& message : gf_simInbox().drain()) {
        const bool both = message.kind == SimMessageKind::ObjectRemoved || message.kind == SimMessageKind::StaticAttitude;
        if ((both || lf_isStaticMessage(message)) && hooks.onStaticMessage) hooks.onStaticMessage(message);
        if ((both || !lf_isStaticMessage(message)) && hooks.onLiveMessage) hooks.onLiveMessage(message);
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

bool gf_sessionSetUp() {
    gf_parkingSessionSetUp();
    gf_liveTrafficSetUp();
    // The simulator link first: nothing else is worth starting without the user aircraft.
    gf_connectSimHooks();
    if (!gf_startSimLink(gf_makeSimBackend(gf_program().options))) return false;
    gf_airportScanSetUp();
    if (gf_run().stopOrClosed()) return false;
    gf_rtSessionSetUp();
    return true;
}

void gf_mainLoop() {
    using Clock = std::chrono::steady_clock;
    gf_refreshTimeZoneWord(std::time(nullptr));
    gf_setSimulatorRunning(true);
    const bool fineTimer = gf_beginFineTimer();
    SimSession& sim = gf_simSession();
    const MainLoopHooks& hooks = gf_mainLoopHooks();
    TickWork ticks;
    FlightWatch flight;
    if (hooks.planStaticParkingOnce) hooks.planStaticParkingOnce();
    auto base = Clock::now();
    std::uint64_t cycle = 0;
    while (!gf_run().stopRequested()) {
        ++cycle;
        gf_simCycle(cycle);
        if (!sim.simRunning.load() || sim.simConnectError.load()) {
            flight.notRunningCycle();
        } else {
            lf_routeSimInbox(hooks);
            lf_runCycleHook(hooks.handleAddingStack, cycle);
            lf_runCycleHook(hooks.updateLiveAircraft, cycle);
            if (sim.oneSecondTick.exchange(false)) {
                flight.onTickWhileRunning();
                ticks.onTick(std::time(nullptr), sim.simTimeEpoch.load());
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
