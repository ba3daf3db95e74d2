#include "app/RunLoops.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "app/ProgramContext.h"
#include "app/RealTrafficSession.h"
#include "app/RunControl.h"
#include "app/SimLink.h"
#include "app/StatusBoard.h"
#include "common/platform.h"
#include "sim/SimClient.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

std::recursive_mutex g_simulatorStateMutex;
bool g_simulatorRunning = false;

constexpr auto kCycle = std::chrono::milliseconds(10);
constexpr auto kMaxLag = std::chrono::milliseconds(110);

// Work done once a second: the status clock that ages the status line, the user position, and
// every fifth second
// the user position for the RealTraffic readers and the check of their session.
struct SecondTicker {
    int statusClock = 0;
    int tickCounter = 0;

    void onTick() {
        ++statusClock;
        gf_status().onStatusClockTick(statusClock);
        gf_publishSimUserPosition();
        if (++tickCounter >= 86400) tickCounter = 0;
        if (tickCounter % 5 == 0) {
            gf_rtHandUserPosition();
            gf_rtPeriodicCheck();
        }
    }
};

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
    // The simulator link first: nothing else is worth starting without the user aircraft.
    gf_connectSimHooks();
    if (!gf_startSimLink(gf_makeSimBackend(gf_program().options))) return false;
    if (gf_run().stopOrClosed()) return false;
    return gf_rtSessionSetUp();
}

void gf_mainLoop() {
    using Clock = std::chrono::steady_clock;
    gf_setSimulatorRunning(true);
    const bool fineTimer = gf_beginFineTimer();
    SecondTicker ticker;
    auto base = Clock::now();
    auto nextSecond = base + std::chrono::seconds(1);
    std::uint64_t simCycle = 0;
    while (!gf_run().stopRequested()) {
        const SimSession& sim = gf_simSession();
        if (sim.simRunning.load() && !sim.simConnectError.load()) gf_simCycle(simCycle++);
        const auto now = Clock::now();
        if (now >= nextSecond) {
            ticker.onTick();
            nextSecond += std::chrono::seconds(1);
            if (nextSecond < now) nextSecond = now + std::chrono::seconds(1);
            base = now;
        }
        // A lag of more than 110 ms is dropped, not caught up.
        base += kCycle;
        if (Clock::now() - base > kMaxLag) base = Clock::now();
        std::this_thread::sleep_until(base);
    }
    if (fineTimer) gf_endFineTimer();
}

} // namespace vorl
