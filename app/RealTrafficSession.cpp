#include "app/RealTrafficSession.h"

#include <chrono>
#include <memory>
#include <thread>

#include "app/AutoRadius.h"
#include "app/FrontEnd.h"
#include "app/LiveTrafficLink.h"
#include "app/Parameters.h"
#include "app/ParkingLink.h"
#include "app/ProgramContext.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/TimeShift.h"
#include "app/UserPosition.h"
#include "app/WindowCommands.h"
#include "common/Log.h"
#include "common/Names.h"
#include "models/ModelDatabase.h"
#include "rt/RtLink.h"

namespace vorl {
namespace {

using namespace std::chrono_literals;

constexpr int kSessionWaits = 10;
constexpr auto kSessionWait = 300ms;
constexpr auto kFirstTrafficLimit = 10s;

// Until the simulator reports the user, the middle of the traffic reader's start box (Amsterdam)
// stands for the user, the same place the first traffic query asks about.
constexpr LatLon kStartBoxCentre{(52.44 + 52.17) / 2.0, (4.54 + 4.98) / 2.0};

std::unique_ptr<RtLink> g_link;

void lf_repaint() {
    if (gf_program().frontEnd) gf_program().frontEnd->postRepaint();
}

RtConfig lf_config() {
    RtConfig config;
    config.baseUrl = gf_params().RT_API_URL.value();
    config.license = gf_params().RT_LICENSE.value();
    config.softwareName = kProgramName;
    config.softwareVersion = gf_versionText();
    return config;
}

LinkState lf_linkState(int readerState) {
    switch (readerState) {
    case 1: return LinkState::Ok;
    case 2: return LinkState::Waiting;
    default: return gf_run().stopRequested() ? LinkState::Unknown : LinkState::Error;
    }
}

RtHost lf_host() {
    RtHost host;
    host.requestStop = [](int reason, int delay) { gf_run().requestStop(static_cast<ClosingReason>(reason), delay); };
    host.stopRequested = [] { return gf_run().stopRequested(); };
    host.setStatus = [](const std::string& text, bool log) { gf_status().setStatus(text, log); };
    host.clearStatus = [] { gf_status().clearStatus(); };
    host.showError = [](const std::string& text) { gf_status().setError(text); };
    host.windowClosing = [] { return gf_run().windowClosed(); };
    host.setAuthenticated = [](bool) { lf_repaint(); };
    host.setReaderState = [](const char* name, int state) {
        auto& figure = std::string_view(name) == TrafficReader::kName ? gf_figures().traffic : gf_figures().weather;
        figure.store(lf_linkState(state));
        lf_repaint();
    };
    host.publishQnh = [](int qnh) {
        gf_figures().qnh.store(qnh);
        lf_repaint();
    };
    return host;
}

TrafficHooks lf_trafficHooks() {
    TrafficHooks hooks;
    hooks.settings = [] {
        const Parameters& p = gf_params();
        TrafficSettings s;
        s.rangeNm = gf_rtTrafficRadiusNm();
        s.airborneOnly = p.AIRBORNE_ONLY.value();
        s.blockCallsign = p.BLOCK_CALLSIGN.value();
        s.lightAircraft = p.LIGHT_AIRCRAFT.value();
        s.helicopters = p.HELICOPTERS.value();
        s.highPerfAircraft = p.HIGH_PERF_AIRCRAFT.value();
        s.timeShiftMinutes = gf_timeShiftMinutes();
        return s;
    };
    hooks.typeIndexOf = [](std::string_view type) { return gf_modelDatabase().typeIndexOf(type); };
    hooks.knownType = [](std::string_view type) -> std::optional<KnownType> {
        ModelDatabase& db = gf_modelDatabase();
        if (!db.isKnownType(type)) return std::nullopt;
        const std::uint16_t index = db.typeIndexOf(type);
        return KnownType{index, db.category(index)};
    };
    hooks.lookupRegistration = [](std::string_view registration) -> std::optional<RegistrationHit> {
        const auto code = gf_modelDatabase().modelCodeByRegistration(registration);
        if (!code) return std::nullopt;
        return RegistrationHit{*code, code->operatorIndex != 0};
    };
    hooks.setStatus = [](const std::string& text, bool log) { gf_status().setStatus(text, log); };
    hooks.playoutClock = gf_playoutClock;
    hooks.currentAirport = []() -> std::optional<AirportRef> {
        const auto airport = gf_currentParkAirport();
        if (!airport) return std::nullopt;
        return AirportRef{airport->position.lat, airport->position.lon, airport->elevationFt};
    };
    return hooks;
}

UserPosition lf_positionForReaders() {
    UserPosition user = gf_userPosition();
    if (!user.known) user.position = kStartBoxCentre;
    return user;
}

// Waits up to ten times 300 ms for `ready`; false when it never came or a stop was requested.
template <class Ready> bool lf_waitSessionSteps(Ready ready) {
    for (int i = 0; i < kSessionWaits; ++i) {
        if (ready()) return true;
        if (gf_run().stopRequested()) return false;
        std::this_thread::sleep_for(kSessionWait);
    }
    return ready();
}

// The buffered start and the first live answers arrive within seconds on a working link; no
// answer at all means the link is broken and a restart is the cure.
bool lf_awaitFirstTraffic() {
    const auto until = std::chrono::steady_clock::now() + kFirstTrafficLimit;
    while (g_link->traffic().answerCount() == 0) {
        if (gf_run().stopRequested()) return false;
        if (std::chrono::steady_clock::now() > until) {
            logLine("TrafficReader receiving timed out after 10 seconds?");
            gf_run().requestStop(ClosingReason::ReaderError, 15);
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

// A working link with an empty answer: the user should know it is the region, not the program.
void lf_noTrafficCheck() {
    TrafficReader& traffic = g_link->traffic();
    if (traffic.answerCount() > 0 && traffic.receivedCount() == 0) gf_status().setStatus("No traffic in this region?", true);
}

} // namespace

double gf_rtTrafficRadiusNm() {
    const Parameters& p = gf_params();
    return gf_trafficRadiusNm(p.RANGE.value(), p.AUTO_RANGE.value(), p.AR_ABOVE_HEIGHT.value(),
                              lf_positionForReaders().altitudeFeet);
}

RtLink* gf_rtLink() { return g_link.get(); }

void gf_rtSessionSetUp() {
    gf_figures().weather.store(LinkState::Unknown);
    gf_figures().traffic.store(LinkState::Unknown);
    g_link = std::make_unique<RtLink>(lf_config(), lf_host(), lf_trafficHooks());
    g_link->resetReaders();
    gf_commandHooks().recomputeRange = [] { gf_rtHandUserPosition(); };

    g_link->Authenticater();
    if (gf_run().stopRequested()) return;
    gf_figures().weather.store(LinkState::Waiting);
    gf_figures().traffic.store(LinkState::Waiting);
    lf_repaint();

    if (!lf_waitSessionSteps([] { return !g_link->weather().guid.empty(); })) {
        if (!gf_run().stopRequested()) gf_run().requestStop(ClosingReason::ReaderError, 15);
        return;
    }
    gf_rtHandUserPosition();
    g_link->startWeatherReader();
    lf_waitSessionSteps([] { return g_link->weather().weatherValid.load() != 0; });
    if (gf_run().stopRequested()) return;

    g_link->startTrafficReader();
    std::this_thread::sleep_for(kSessionWait);
    gf_rtHandUserPosition();
    if (!lf_awaitFirstTraffic()) return;
    lf_noTrafficCheck();
}

void gf_rtHandUserPosition() {
    if (!g_link) return;
    const UserPosition user = lf_positionForReaders();
    g_link->setUserPosition(user.position, user.altitudeFeet);
    g_link->weather().setTimeShiftMinutes(gf_timeShiftMinutes());
    g_link->updateTrafficBox(gf_rtTrafficRadiusNm());
}

void gf_rtPeriodicCheck() {
    if (!g_link || gf_run().stopRequested()) return;
    if (g_link->readersEnded()) {
        // Both readers gone without a word: nobody would fetch traffic for the rest of the run.
        logLine("The {} has stopped with an error", "Traffic Reader");
        gf_run().requestStop(ClosingReason::ReaderError, 15);
    }
    lf_repaint();
}

void gf_rtCloseDown() {
    if (!g_link) return;
    gf_commandHooks().recomputeRange = [] {};
    g_link->stopReaders();
    while (!g_link->readersEnded()) std::this_thread::sleep_for(100ms);
    g_link->joinReaders();
    // Only a session that was opened is closed; the server needs no farewell otherwise.
    if (!g_link->weather().guid.empty()) g_link->deauthenticate();
    g_link.reset();
    gf_figures().weather.store(LinkState::Unknown);
    gf_figures().traffic.store(LinkState::Unknown);
}

} // namespace vorl
