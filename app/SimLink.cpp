#include "app/SimLink.h"

#include <algorithm>

#include "app/CommandLine.h"
#include "app/FrontEnd.h"
#include "app/Parameters.h"
#include "app/ParkingLink.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/UserPosition.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "common/platform.h"
#include "models/ModelDatabase.h"
#include "sim/SimBackend.h"
#include "sim/SimClient.h"
#include "sim/SimHooks.h"
#include "sim/SimInbox.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"
#include "sim/UserStand.h"
#include "standins/sim/StandInOptions.h"

namespace vorl {
namespace {

constexpr std::uint32_t kMaxRangeMeters = 200000;

} // namespace

std::unique_ptr<SimBackend> gf_makeSimBackend(const CommandLineOptions& options, const Parameters& params) {
    if (options.sim == "simconnect") return gf_makeSimConnectLibraryBackend();
    standin::StandInOptions standIn;
    standIn.msfs2020 = options.simVersion.empty() ? params.isMsfs2020() : options.simVersion == "2020";
    standIn.userScript = options.userScript;
    standIn.tracePath = options.simTrace;
    standIn.mapPath = options.simMap;
    // The stand-in can create the liveries installed where the livery scan looks.
    const std::filesystem::path installPath = gf_utf8Path(params.ALL_INSTALL_PATH.value());
    if (!installPath.empty()) standIn.communityFolder = installPath / "Community";
#ifdef _WIN32
    // The Windows program never links the stand-in: it loads the stand-in's DLL, which has the
    // simulator library's functions, and hands it the options through its environment.
    const auto pathText = [](const std::optional<std::filesystem::path>& path) {
        return path ? path->string() : std::string();
    };
    gf_setEnvironment(standin::kEnvSimVersion, standIn.msfs2020 ? "2020" : "2024");
    gf_setEnvironment(standin::kEnvUserScript, standIn.userScript);
    gf_setEnvironment(standin::kEnvTrace, pathText(standIn.tracePath));
    gf_setEnvironment(standin::kEnvMap, pathText(standIn.mapPath));
    gf_setEnvironment(standin::kEnvCommunity, pathText(standIn.communityFolder));
    return gf_makeSimConnectLibraryBackend(std::string(kStandInLibraryName));
#else
    return std::make_unique<standin::SimStandIn>(standin::gf_standInConfig(standIn));
#endif
}

SimLink::SimLink(const ProgramServices& services, ParkingLink& parking) : services_(services), parking_(parking) {}

SimLink::~SimLink() { stop(); }

bool SimLink::start(std::unique_ptr<SimBackend> backend) {
    RunControl& run = services_.run;
    StatusBoard& status = services_.status;
    Parameters& params = services_.params;
    ModelDatabase& db = services_.models;
    FrontEnd& frontEnd = services_.frontEnd;

    SimHooks hooks;
    hooks.requestStop = [&run](SimStopReason reason, int delay) {
        return run.requestStop(static_cast<ClosingReason>(reason), delay);
    };
    hooks.stopPending = [&run] { return run.stopOrClosed(); };
    hooks.setStatus = [&status](const std::string& text, bool log) {
        if (text.empty()) status.clearStatus();
        else status.setStatus(text, log);
    };
    hooks.setError = [&status](const std::string& text) { status.setError(text); };
    hooks.settingIsMsfs2020 = [&params] { return params.isMsfs2020(); };
    hooks.switchSimulatorSetting = [&params, &status](bool msfs2020) {
        params.SIM_CHOICE.set(msfs2020 ? "MSFS 2020" : "MSFS 2024");
        params.save(params.SIM_CHOICE);
        params.updateControl(params.SIM_CHOICE);
        status.setStatus(fmt::format("Switching MSFS version in {}", 3), true);
    };
    hooks.simTimeInUse = [&params] { return params.SIM_TIME.value(); };
    hooks.rangeMeters = [&params] {
        const auto metres = static_cast<std::uint32_t>(params.RANGE.value()) * 1852u + 10000u;
        return std::min(metres, kMaxRangeMeters);
    };
    hooks.showSimRunning = [this](bool running) { marks_.setRunning(running); };
    hooks.showConnected = [this](bool connected) { marks_.setConnected(connected); };
    hooks.showSimulator = [this](const std::string& text) { marks_.setSimulator(text); };
    hooks.showUserTitle = [this](const std::string& title) { marks_.setUserTitle(title); };
    hooks.showUserStand = [this](const std::string& stand) { marks_.setUserStand(stand); };
    hooks.showWingspanKnown = [this](bool known) { marks_.setWingspanKnown(known); };
    hooks.repaint = [&frontEnd] { frontEnd.postRepaint(); };
    hooks.onConnected = [this] { marks_.setConnected(true); };
    hooks.parkAirportHasStands = [this] { return parking_.hasStands(); };
    hooks.nearestStandName = [this](double lat, double lon, double maxNm) { return parking_.nearestStandName(lat, lon, maxNm); };
    hooks.reserveUserStand = [this](const std::string& stand) { parking_.reserveUserStand(stand); };
    hooks.halfWingspanNm = [&db](const std::string& type) { return db.halfWingspanNm(type); };
    hooks.largestHalfWingspanNm = [&db] { return db.largestHalfWingspanNm; };
    hooks.categoryOf = [&db](const std::string& type) {
        return db.isKnownType(type) ? db.category(db.typeIndexOf(type)) : AircraftCategory::Light;
    };

    gf_simClient().stop();
    SimSession& session = gf_simSession();
    session.reset();
    session.connectHooks(std::move(hooks));
    session.setBackend(std::move(backend));
    services_.outbox.discardAll();
    gf_simInbox().clear();
    gf_resetUserStandName();
    started_ = true;
    gf_simClient().start();
    if (!gf_awaitUserAircraft([&run] { return run.stopOrClosed(); })) return false;
    publishUserPosition();
    return true;
}

void SimLink::publishUserPosition() {
    const SimSession& session = gf_simSession();
    if (!session.connected.load() || session.simConnectError.load()) return;
    const UserAircraftState user = session.userState.load();
    gf_publishUserPosition({user.latitude, user.longitude}, user.altitude);
}

void SimLink::stop() {
    if (!started_) return;
    started_ = false;
    gf_simClient().stop();
    // The backend outlives the thread that used it; the stand-in writes its map as it goes.
    gf_simSession().setBackend(nullptr);
    gf_simSession().releaseHooks();
    marks_.setConnected(false);
    marks_.setRunning(false);
}

} // namespace vorl
