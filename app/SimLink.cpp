#include "app/SimLink.h"

#include <algorithm>

#include "app/FrontEnd.h"
#include "app/Parameters.h"
#include "app/ProgramContext.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/UserPosition.h"
#include "common/Log.h"
#include "sim/SimBackend.h"
#include "sim/SimClient.h"
#include "sim/SimHooks.h"
#include "sim/SimInbox.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"
#include "sim/UserStand.h"
#include "standins/sim/SimStandIn.h"

namespace vorl {
namespace {

constexpr std::uint32_t kMaxRangeMeters = 200000;

void lf_repaint() {
    if (FrontEnd* frontEnd = gf_program().frontEnd) frontEnd->postRepaint();
}

} // namespace

void gf_connectSimHooks() {
    SimHooks& hooks = gf_simHooks();
    hooks.requestStop = [](SimStopReason reason, int delay) {
        return gf_run().requestStop(static_cast<ClosingReason>(reason), delay);
    };
    hooks.stopPending = [] { return gf_run().stopOrClosed(); };
    hooks.setStatus = [](const std::string& text, bool log) {
        if (text.empty()) gf_status().clearStatus();
        else gf_status().setStatus(text, log);
    };
    hooks.setError = [](const std::string& text) { gf_status().setError(text); };
    hooks.settingIsMsfs2020 = [] { return gf_params().isMsfs2020(); };
    hooks.switchSimulatorSetting = [](bool msfs2020) {
        Parameters& params = gf_params();
        params.SIM_CHOICE.set(msfs2020 ? "MSFS 2020" : "MSFS 2024");
        params.save(params.SIM_CHOICE);
        params.updateControl(params.SIM_CHOICE);
        gf_status().setStatus(fmt::format("Switching MSFS version in {}", 3), true);
    };
    hooks.simTimeInUse = [] { return gf_params().SIM_TIME.value(); };
    hooks.rangeMeters = [] {
        const auto metres = static_cast<std::uint32_t>(gf_params().RANGE.value()) * 1852u + 10000u;
        return std::min(metres, kMaxRangeMeters);
    };
    hooks.showSimulator = [](const std::string& text) {
        gf_figures().setTexts(text, gf_figures().texts().userStand);
        lf_repaint();
    };
    hooks.showUserStand = [](const std::string& stand) {
        gf_figures().setTexts(gf_figures().texts().simulator, stand);
        lf_repaint();
    };
    hooks.repaint = lf_repaint;
}

std::unique_ptr<SimBackend> gf_makeSimBackend(const CommandLineOptions& options) {
    if (options.sim == "simconnect") return gf_makeSimConnectLibraryBackend();
    standin::SimStandInConfig config;
    const bool msfs2020 = options.simVersion.empty() ? gf_params().isMsfs2020() : options.simVersion == "2020";
    config.version = msfs2020 ? standin::SimulatorVersion::Msfs2020 : standin::SimulatorVersion::Msfs2024;
    if (options.userScript == "parked") {
        const standin::UserPose stand = standin::UserScript::ehamDeparture().poseAt(0.0);
        config.user = standin::UserScript::fixed(stand.lat, stand.lon, stand.altitudeFt, stand.headingDeg, true);
    }
    config.tracePath = options.simTrace;
    config.mapPath = options.simMap;
    // The stand-in can create the liveries installed where the livery scan looks.
    const std::filesystem::path installPath = gf_params().ALL_INSTALL_PATH.value();
    if (!installPath.empty()) config.communityFolder = installPath / "Community";
    return std::make_unique<standin::SimStandIn>(std::move(config));
}

bool gf_startSimLink(std::unique_ptr<SimBackend> backend) {
    gf_simClient().stop();
    SimSession& session = gf_simSession();
    session.reset();
    session.setBackend(std::move(backend));
    gf_simOutbox().discardAll();
    gf_simInbox().clear();
    gf_resetUserStandName();
    gf_simClient().start();
    if (!gf_awaitUserAircraft([] { return gf_run().stopOrClosed(); })) return false;
    gf_publishSimUserPosition();
    return true;
}

void gf_publishSimUserPosition() {
    const SimSession& session = gf_simSession();
    if (!session.connected.load() || session.simConnectError.load()) return;
    const UserAircraftState user = session.userState.load();
    gf_publishUserPosition({user.latitude, user.longitude}, user.altitude);
}

void gf_stopSimLink() {
    gf_simClient().stop();
    // The backend outlives the thread that used it; the stand-in writes its map as it goes.
    gf_simSession().setBackend(nullptr);
}

} // namespace vorl
