#include "SimTestSupport.h"

#include <thread>

#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "common/Log.h"
#include "sim/SimClient.h"
#include "sim/SimHooks.h"
#include "sim/SimInbox.h"
#include "sim/SimOutbox.h"
#include "sim/SimSession.h"
#include "sim/UserStand.h"

namespace vorl::test {

void SimLinkTest::SetUp() {
    temp = std::make_unique<TempFolder>();
    Log::instance().open(temp->path() / "Log.txt");
    gf_run().resetAll();
    gf_status().clearError();
    gf_status().clearStatus();
    hooks.requestStop = [](SimStopReason reason, int delay) {
        return gf_run().requestStop(static_cast<ClosingReason>(reason), delay);
    };
    hooks.stopPending = [] { return gf_run().stopOrClosed(); };
    hooks.setStatus = [](const std::string& text, bool log) {
        if (text.empty()) gf_status().clearStatus();
        else gf_status().setStatus(text, log);
    };
    hooks.setError = [](const std::string& text) { gf_status().setError(text); };
    hooks.switchSimulatorSetting = [](bool) {};
    hooks.simTimeInUse = [] { return false; };
    hooks.rangeMeters = [] { return 92600u; };
    hooks.showSimRunning = [](bool) {};
    hooks.showConnected = [](bool) {};
    hooks.showSimulator = [](const std::string&) {};
    hooks.showUserTitle = [](const std::string&) {};
    hooks.showUserStand = [](const std::string&) {};
    hooks.showWingspanKnown = [](bool) {};
    hooks.repaint = [] {};
    hooks.onConnected = [] {};
    hooks.parkAirportHasStands = [] { return false; };
    hooks.nearestStandName = [](double, double, double) -> std::optional<std::string> { return std::nullopt; };
    hooks.reserveUserStand = [](const std::string&) {};
    hooks.halfWingspanNm = [](const std::string& type) -> std::optional<double> {
        static const std::map<std::string, double> spans{
            {"A20N", 0.00965}, {"A320", 0.00965}, {"CRJ7", 0.00626}, {"E190", 0.00774}, {"B738", 0.00971}};
        const auto found = spans.find(type);
        if (found == spans.end()) return std::nullopt;
        return found->second;
    };
    hooks.largestHalfWingspanNm = [] { return 0.0429; };
    hooks.categoryOf = [](const std::string& type) {
        return type == "A20N" || type == "A320" || type == "B738" ? AircraftCategory::Large : AircraftCategory::Light;
    };
    hooks.settingIsMsfs2020 = [] { return true; };
    connectHooks();
}

void SimLinkTest::connectHooks() { gf_simSession().connectHooks(hooks); }

void SimLinkTest::TearDown() {
    gf_simClient().stop();
    gf_simSession().setBackend(nullptr);
    gf_simSession().reset();
    gf_simOutbox().discardAll();
    gf_simInbox().clear();
    gf_resetUserStandName();
    gf_simSession().releaseHooks();
    gf_run().resetAll();
    Log::instance().close();
    temp.reset();
}

standin::SimStandIn& SimLinkTest::start(standin::SimStandInConfig config) {
    if (!config.tracePath) config.keepTraceInMemory = true;
    if (config.liveryTitles.empty()) config.liveryTitles = {kA320Title};
    auto backend = std::make_unique<standin::SimStandIn>(std::move(config));
    standIn = backend.get();
    gf_simClient().stop();
    gf_simSession().reset();
    gf_simSession().setBackend(std::move(backend));
    gf_simClient().start();
    return *standIn;
}

void SimLinkTest::connect(standin::SimStandInConfig config) {
    config.clock = standin::ClockMode::Manual;
    start(std::move(config));
    ASSERT_TRUE(waitUntil([] { return gf_simSession().connected.load() && gf_simSession().simRunning.load(); }));
    requestUserState();
    ASSERT_TRUE(standIn->waitDispatched());
    ASSERT_EQ(gf_simSession().userObjectId.load(), standIn->userObjectId());
}

bool SimLinkTest::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void SimLinkTest::cycle() {
    gf_simCycle(cycleCount++);
    ASSERT_TRUE(standIn->waitDispatched());
    ASSERT_TRUE(standIn->runFrame());
}

void SimLinkTest::cycles(int count) {
    for (int i = 0; i < count; ++i) cycle();
}

std::vector<nlohmann::json> SimLinkTest::calls(const std::string& name) const {
    std::vector<nlohmann::json> found;
    for (const auto& entry : standIn->trace())
        if (entry.value("call", "") == name) found.push_back(entry);
    return found;
}

std::vector<nlohmann::json> SimLinkTest::events(const std::string& name) const {
    std::vector<nlohmann::json> found;
    for (const auto& entry : standIn->trace())
        if (entry.value("event", "") == name) found.push_back(entry);
    return found;
}

vorl::CreateRequest makeCreateRequest(const std::string& callsign, std::uint32_t aircraftId, const std::string& title) {
    vorl::CreateRequest request;
    request.initPosition = {52.3080, 4.7600, 0.0, 0.0, 0.0, 90.0, 1, 0};
    request.callsign = callsign;
    request.liveryTitle = title;
    request.aircraftId = aircraftId;
    return request;
}

std::string SimLinkTest::logText() const { return readFile(temp->path() / "Log.txt"); }

} // namespace vorl::test
