#include "app/RealTrafficSession.h"

#include <chrono>
#include <thread>

#include "airports/ClosestAirport.h"
#include "app/AutoRadius.h"
#include "app/FrontEnd.h"
#include "app/LiveTrafficLink.h"
#include "app/Parameters.h"
#include "app/ParkingLink.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/TimeShift.h"
#include "app/UserPosition.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/RequiredLink.h"
#include "models/ModelDatabase.h"
#include "rt/RtLink.h"
#include "sim/UserStand.h"

namespace vorl {
namespace {

using namespace std::chrono_literals;

constexpr int kSessionWaits = 10;
constexpr auto kSessionWait = 300ms;
constexpr auto kFirstTrafficLimit = 10s;
// Without a park airport, the ground is that of the nearest airport within this distance.
constexpr double kGroundAirportNm = 100.0;

// Until the simulator reports the user, the middle of the traffic reader's start box (Amsterdam)
// stands for the user, the same place the first traffic query asks about.
constexpr LatLon kStartBoxCentre{(52.44 + 52.17) / 2.0, (4.54 + 4.98) / 2.0};

UserPosition lf_positionForReaders() {
    UserPosition user = gf_userPosition();
    if (!user.known) user.position = kStartBoxCentre;
    return user;
}

LinkState lf_linkState(int readerState, bool stopRequested) {
    switch (readerState) {
    case 1: return LinkState::Ok;
    case 2: return LinkState::Waiting;
    default: return stopRequested ? LinkState::Unknown : LinkState::Error;
    }
}

void lf_requireComplete(const TrafficHooks& h) {
    constexpr std::string_view owner = "traffic reader";
    gf_requireLink(h.settings, owner, "settings");
    gf_requireLink(h.typeIndexOf, owner, "typeIndexOf");
    gf_requireLink(h.knownType, owner, "knownType");
    gf_requireLink(h.lookupRegistration, owner, "lookupRegistration");
    gf_requireLink(h.currentAirport, owner, "currentAirport");
    gf_requireLink(h.reservedStandName, owner, "reservedStandName");
    gf_requireLink(h.userStandName, owner, "userStandName");
    gf_requireLink(h.playoutClock, owner, "playoutClock");
    gf_requireLink(h.removeLiveAircraft, owner, "removeLiveAircraft");
    gf_requireLink(h.setStatus, owner, "setStatus");
}

void lf_requireComplete(const RtHost& h) {
    constexpr std::string_view owner = "RealTraffic link";
    gf_requireLink(h.requestStop, owner, "requestStop");
    gf_requireLink(h.stopRequested, owner, "stopRequested");
    gf_requireLink(h.setStatus, owner, "setStatus");
    gf_requireLink(h.clearStatus, owner, "clearStatus");
    gf_requireLink(h.showError, owner, "showError");
    gf_requireLink(h.windowClosing, owner, "windowClosing");
    gf_requireLink(h.setAuthenticated, owner, "setAuthenticated");
    gf_requireLink(h.setReaderState, owner, "setReaderState");
    gf_requireLink(h.publishQnh, owner, "publishQnh");
}

} // namespace

RealTrafficSession::RealTrafficSession(const ProgramServices& services, ParkingLink& parking, LiveTrafficLink& live)
    : services_(services), parking_(parking), live_(live) {}

RealTrafficSession::~RealTrafficSession() { closeDown(); }

double RealTrafficSession::trafficRadiusNm() const {
    const Parameters& p = services_.params;
    return gf_trafficRadiusNm(p.RANGE.value(), p.AUTO_RANGE.value(), p.AR_ABOVE_HEIGHT.value(),
                              lf_positionForReaders().altitudeFeet);
}

bool RealTrafficSession::trafficReceived() const {
    return link_ != nullptr && link_->traffic().answerCount() > 0;
}

void RealTrafficSession::setUp(const std::function<void()>& whileWaiting) {
    RunControl& run = services_.run;
    StatusBoard& status = services_.status;
    RtConfig config;
    config.baseUrl = services_.params.RT_API_URL.value();
    config.license = services_.params.RT_LICENSE.value();
    config.softwareName = kProgramName;
    config.softwareVersion = gf_versionText();

    RtHost host;
    host.requestStop = [&run](int reason, int delay) { run.requestStop(static_cast<ClosingReason>(reason), delay); };
    host.stopRequested = [&run] { return run.stopRequested(); };
    host.setStatus = [&status](const std::string& text, bool log) { status.setStatus(text, log); };
    host.clearStatus = [&status] { status.clearStatus(); };
    host.showError = [&status](const std::string& text) { status.setError(text); };
    host.windowClosing = [&run] { return run.windowClosed(); };
    host.setAuthenticated = [](bool) {};
    host.setReaderState = [this, &run](const char* name, int state) {
        auto& figure = std::string_view(name) == TrafficReader::kName ? traffic_ : weather_;
        figure.store(lf_linkState(state, run.stopRequested()));
    };
    host.publishQnh = [this](int qnh) { qnh_.store(qnh); };
    lf_requireComplete(host);

    ModelDatabase& db = services_.models;
    const Parameters& p = services_.params;
    TrafficHooks hooks;
    hooks.settings = [this, &p] {
        TrafficSettings s;
        s.rangeNm = trafficRadiusNm();
        s.airborneOnly = p.AIRBORNE_ONLY.value();
        s.blockCallsign = p.BLOCK_CALLSIGN.value();
        s.lightAircraft = p.LIGHT_AIRCRAFT.value();
        s.helicopters = p.HELICOPTERS.value();
        s.highPerfAircraft = p.HIGH_PERF_AIRCRAFT.value();
        s.timeShiftMinutes = gf_timeShiftMinutes();
        return s;
    };
    hooks.typeIndexOf = [&db](std::string_view type) { return db.typeIndexOf(type); };
    hooks.knownType = [&db](std::string_view type) -> std::optional<KnownType> {
        if (!db.isKnownType(type)) return std::nullopt;
        const std::uint16_t index = db.typeIndexOf(type);
        return KnownType{index, db.category(index)};
    };
    hooks.lookupRegistration = [&db](std::string_view registration) -> std::optional<RegistrationHit> {
        const auto code = db.modelCodeByRegistration(registration);
        if (!code) return std::nullopt;
        return RegistrationHit{*code, code->operatorIndex != 0};
    };
    hooks.currentAirport = [this]() -> std::optional<AirportRef> {
        const auto airport = parking_.currentAirport();
        if (!airport) return std::nullopt;
        return AirportRef{airport->position.lat, airport->position.lon, airport->elevationFt};
    };
    hooks.reservedStandName = [this] { return parking_.reservedStand(); };
    hooks.userStandName = [] {
        const UserPosition user = gf_userPosition();
        return user.known ? userStandName(user.position.lat, user.position.lon) : std::string();
    };
    hooks.playoutClock = [this] { return live_.playoutClock(); };
    hooks.removeLiveAircraft = [this](std::uint32_t hexId) { live_.requestRemoval(hexId); };
    hooks.setStatus = [&status](const std::string& text, bool log) { status.setStatus(text, log); };
    lf_requireComplete(hooks);

    weather_.store(LinkState::Unknown);
    traffic_.store(LinkState::Unknown);
    link_ = std::make_unique<RtLink>(std::move(config), std::move(host), std::move(hooks));
    link_->resetReaders();

    link_->Authenticater();
    if (run.stopRequested()) return;
    weather_.store(LinkState::Waiting);
    traffic_.store(LinkState::Waiting);
    whileWaiting();

    // Waits up to ten times 300 ms for `ready`; false when it never came or a stop was requested.
    const auto waitSessionSteps = [&](auto ready) {
        for (int i = 0; i < kSessionWaits; ++i) {
            if (ready()) return true;
            if (run.stopRequested()) return false;
            std::this_thread::sleep_for(kSessionWait);
            whileWaiting();
        }
        return static_cast<bool>(ready());
    };
    if (!waitSessionSteps([this] { return !link_->weather().guid.empty(); })) {
        if (!run.stopRequested()) run.requestStop(ClosingReason::ReaderError, 15);
        return;
    }
    handUserPosition();
    link_->startWeatherReader();
    waitSessionSteps([this] { return link_->weather().weatherValid.load() != 0; });
    if (run.stopRequested()) return;

    link_->startTrafficReader();
    std::this_thread::sleep_for(kSessionWait);
    handUserPosition();

    // The buffered start and the first live answers arrive within seconds on a working link; no
    // answer at all means the link is broken and a restart is the cure.
    const auto until = std::chrono::steady_clock::now() + kFirstTrafficLimit;
    while (link_->traffic().answerCount() == 0) {
        if (run.stopRequested()) return;
        if (std::chrono::steady_clock::now() > until) {
            logLine("TrafficReader receiving timed out after 10 seconds?");
            run.requestStop(ClosingReason::ReaderError, 15);
            return;
        }
        std::this_thread::sleep_for(100ms);
        whileWaiting();
    }
    // A working link with an empty answer: the user should know it is the region, not the program.
    if (link_->traffic().receivedCount() == 0) status.setStatus("No traffic in this region?", true);
}

void RealTrafficSession::handUserPosition() {
    if (!link_) return;
    const UserPosition user = lf_positionForReaders();
    link_->setUserPosition(user.position, user.altitudeFeet);
    // The ground bands of the traffic reader need the ground's elevation near the user: the park
    // airport's, else the nearest airport's.
    if (const auto airport = parking_.currentAirport()) {
        link_->traffic().setGroundElevation(airport->elevationFt, true);
    } else if (const AirportInfo* nearest = gf_nearestAirport(user.position, kGroundAirportNm, services_.airports)) {
        link_->traffic().setGroundElevation(nearest->altitude, true);
    } else {
        link_->traffic().setGroundElevation(0.0, false);
    }
    link_->weather().setTimeShiftMinutes(gf_timeShiftMinutes());
    link_->updateTrafficBox(trafficRadiusNm());
}

void RealTrafficSession::periodicCheck() {
    if (!link_ || services_.run.stopRequested()) return;
    if (link_->readersEnded()) {
        // Both readers gone without a word: nobody would fetch traffic for the rest of the run.
        logLine("The {} has stopped with an error", "Traffic Reader");
        services_.run.requestStop(ClosingReason::ReaderError, 15);
    }
}

void RealTrafficSession::closeDown() {
    if (!link_) return;
    link_->stopReaders();
    while (!link_->readersEnded()) std::this_thread::sleep_for(100ms);
    link_->joinReaders();
    // Only a session that was opened is closed; the server needs no farewell otherwise.
    if (!link_->weather().guid.empty()) link_->deauthenticate();
    link_.reset();
    weather_.store(LinkState::Unknown);
    traffic_.store(LinkState::Unknown);
}

void RealTrafficSession::fill(StatusFigures& f) const {
    f.qnh = qnh_.load();
    f.weather = weather_.load();
    f.traffic = traffic_.load();
}

} // namespace vorl
