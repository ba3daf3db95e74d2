#include "app/ProgramRun.h"

#include <chrono>
#include <thread>

#include <fmt/format.h>

#include "airports/AirportDatabase.h"
#include "app/FrontEnd.h"
#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/RunLoops.h"
#include "app/StatusBoard.h"
#include "app/TimeShift.h"
#include "common/FixedCode.h"
#include "common/Log.h"
#include "models/LiveryCatalogue.h"
#include "sim/SimInbox.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"

namespace vorl {
namespace {

// Closing down gives the simulator this long to take the program's objects away.
constexpr auto kRemovalGrace = std::chrono::seconds(3);

} // namespace

ProgramRun::ProgramRun(const ProgramServices& services)
    : services_(services), liveries_(services_.liveries, services_.models, services_.params, services_.status),
      parking_(services_, snapshot_, liveries_, [this] { return realTraffic_.link(); }),
      live_(services_, parking_, snapshot_, liveries_), realTraffic_(services_, parking_, live_), sim_(services_, parking_),
      ticks_(*this) {}

ProgramRun::~ProgramRun() = default;

void ProgramRun::post(std::function<void()> command) {
    std::lock_guard lock(pendingMutex_);
    pending_.push_back(std::move(command));
}

void ProgramRun::runPendingCommands() {
    std::vector<std::function<void()>> commands;
    {
        std::lock_guard lock(pendingMutex_);
        commands.swap(pending_);
    }
    for (auto& command : commands) command();
}

void ProgramRun::publishFigures() {
    StatusFigures f;
    realTraffic_.fill(f);
    sim_.marks().fill(f, services_.params.SIM_CHOICE.value());
    f.parking = parking_.panel();
    f.liveCount = live_.activeCount();
    f.parkedLive = live_.parkedCount();
    f.liveryCount = static_cast<int>(liveries_.liveryCount());
    f.simaddonCount = simaddonCount_.load();
    f.thirdpartyCount = thirdpartyCount_.load();
    f.nextUpdateMinutes = services_.params.INITIAL_LOAD_ONLY.value() ? -1 : ticks_.nextUpdateMinutes();
    services_.frontEnd.showFigures(f);
}

void ProgramRun::countAddonAirportFolders() {
    const AddonAirportCounts counts = gf_countAddonAirportFolders(services_.paths);
    simaddonCount_.store(counts.simaddon);
    thirdpartyCount_.store(counts.thirdparty);
    publishFigures();
}

void ProgramRun::enableCommands() {
    commandsReady_.store(true);
    services_.frontEnd.refreshControls();
}

void ProgramRun::reapplyDestination() {
    const std::string destination = services_.params.DESTINATION.value();
    if (destination.empty() || !airportKnown(destination)) return;
    services_.status.setStatus(fmt::format("New destination: {}", destination), true);
    parking_.applyDestination(destination);
}

bool ProgramRun::sessionSetUp() {
    publishFigures();
    // The simulator link first: nothing else is worth starting without the user aircraft.
    if (!sim_.start(gf_makeSimBackend(services_.options, services_.params))) return false;
    publishFigures();
    airportScanReady_.store(true);
    services_.frontEnd.refreshControls();
    if (services_.params.SCAN_AIRPORTS.value()) {
        simaddonCount_.store(0);
        thirdpartyCount_.store(0);
        publishFigures();
        const AddonAirportCounts counts = gf_runAirportScan(services_);
        simaddonCount_.store(counts.simaddon);
        thirdpartyCount_.store(counts.thirdparty);
    }
    if (services_.run.stopOrClosed()) return false;
    realTraffic_.setUp([this] {
        runPendingCommands();
        publishFigures();
    });
    publishFigures();
    return true;
}

void ProgramRun::mainLoop() { gf_mainLoop(*this); }

void ProgramRun::stopSimulatorLink() {
    // Every object of the program leaves the simulator before the link goes, so that nothing
    // stands frozen on screen while the program waits or restarts.
    parking_.closeDown();
    live_.traffic().removeAll();
    services_.outbox.releaseAllRemovals();
    const SimSession& session = gf_simSession();
    const auto until = std::chrono::steady_clock::now() + kRemovalGrace;
    while (session.connected.load() && !session.simConnectError.load() &&
           (services_.outbox.removalsPending() || session.creationsAwaited.load() > 0) &&
           std::chrono::steady_clock::now() < until) {
        // A creation already sent is answered now or soon: what it made leaves at once.
        for (const SimMessage& m : gf_simInbox().drain())
            if (m.kind == SimMessageKind::LiveCreated || m.kind == SimMessageKind::StaticCreated)
                services_.outbox.queueRemoval(m.objectId);
        services_.outbox.releaseAllRemovals();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sim_.stop();
    live_.closeDown();
    publishFigures();
}

void ProgramRun::stopReaders() {
    realTraffic_.closeDown();
    publishFigures();
}

void ProgramRun::writeSummaries() {
    Parameters& p = services_.params;
    p.CALLSIGN_2_OBJECTID.setChoices({});
    p.updateControl(p.CALLSIGN_2_OBJECTID);
    services_.liveries.logSummary();
    live_.reportUnmatchedLiveries();
}

void ProgramRun::refreshCallsignList() {
    std::vector<std::string> callsigns = live_.traffic().activeCallsigns();
    if (callsigns == shownCallsigns_) return;
    shownCallsigns_ = callsigns;
    Parameters& p = services_.params;
    p.CALLSIGN_2_OBJECTID.setChoices(std::move(callsigns));
    p.updateControl(p.CALLSIGN_2_OBJECTID);
}

void ProgramRun::lookUpCallsignIfAsked() {
    if (!lookupRequested_.exchange(false)) return;
    const std::string callsign = services_.params.CALLSIGN_2_OBJECTID.value();
    if (callsign.empty()) return services_.status.setStatus("Choose a callsign first", false);
    const auto objectId = live_.objectIdText(callsign);
    services_.status.setStatus(objectId ? fmt::format("{} has object id {}", callsign, *objectId)
                                        : fmt::format("{} is not an active live aircraft", callsign),
                               true);
}

bool ProgramRun::simulatorConnected() const { return sim_.marks().connected(); }

bool ProgramRun::aiObjectsExist() const { return live_.activeCount() > 0 || parking_.hasStaticAircraft(); }

bool ProgramRun::airportKnown(const std::string& icao) const {
    return IcaoCode::isValid(icao) && services_.airports.find(IcaoCode(icao)) != nullptr;
}

void ProgramRun::applyDestination(const std::string& icao) {
    post([this, icao] { parking_.applyDestination(icao); });
}

void ProgramRun::blockCallsign(const std::string& callsign) {
    post([this, callsign] { live_.traffic().removeCallsign(callsign); });
}

void ProgramRun::unblockCallsign(const std::string& callsign) {
    // The traffic filter reads the setting every round: the aircraft comes back with the next answer.
    post([callsign] { logLine("Live aircraft '{}' unblocked", callsign); });
}

void ProgramRun::navLightsWhileParked(bool on) {
    post([this, on] {
        live_.traffic().setNavLightsWhileParked(on);
        parking_.setNavLightsWhileParked(on);
    });
}

void ProgramRun::simTime(bool on) {
    post([this, on] {
        if (on) return ticks_.forgetSimulatorTime();
        gf_setTimeShift(0, false);
        if (aiObjectsExist()) live_.traffic().removeAll();
    });
}

void ProgramRun::recomputeRange() {
    post([this] { realTraffic_.handUserPosition(); });
}

void ProgramRun::setQueryRadius(int metres) {
    post([this, metres] {
        logLine("Query radius {} m", metres);
        realTraffic_.handUserPosition();
    });
}

void ProgramRun::removeSurplusLive(int maxLive) {
    post([this, maxLive] { live_.traffic().removeSurplus(maxLive); });
}

void ProgramRun::replanParkingSource() {
    post([this] { parking_.flushAndReplan(); });
}

void ProgramRun::timeShifted() {
    post([this] {
        if (aiObjectsExist()) live_.traffic().removeAll();
    });
}

void ProgramRun::requestCallsignLookup() { lookupRequested_.store(true); }

void ProgramRun::requestReRead() {
    reReadPending_.store(true);
    services_.frontEnd.refreshControls();
    post([this] {
        parking_.reRead([this](const std::string& result) {
            services_.status.setStatus(result, true);
            reReadPending_.store(false);
            services_.frontEnd.refreshControls();
        });
    });
}

void ProgramRun::requestFlushStatic() { flushRequested_.store(true); }

void ProgramRun::requestStaticUpdateNow() {
    post([this] { ticks_.announceStaticUpdate(); });
}

} // namespace vorl
