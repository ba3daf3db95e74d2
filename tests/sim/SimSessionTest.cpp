#include <algorithm>

#include "SimTestSupport.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "sim/SimClient.h"
#include "sim/SimDispatch.h"
#include "sim/SimIds.h"
#include "sim/SimSession.h"

using namespace vorl;
using namespace vorl::test;
using standin::ClockMode;
using standin::SimStandInConfig;
using standin::SimulatorVersion;
using standin::UserScript;

namespace {

std::vector<std::uint32_t> lf_ids(const std::vector<nlohmann::json>& entries) {
    std::vector<std::uint32_t> ids;
    for (const auto& entry : entries) ids.push_back(entry.at("id").get<std::uint32_t>());
    return ids;
}

SimStandInConfig lf_atStandD7() {
    SimStandInConfig config;
    config.user = UserScript::fixed(52.307613, 4.757806, 0.0, 140.0, true);
    return config;
}

} // namespace

TEST_F(SimLinkTest, SessionSetUpConnectsRegistersAndWaitsForTheUserAircraft) {
    SimStandInConfig config = lf_atStandD7();
    config.clock = ClockMode::RealTime;
    start(config);
    ASSERT_TRUE(gf_awaitUserAircraft([] { return false; }));

    EXPECT_NE(logText().find("MSFS 2020 (11.0.282174.999) connected"), std::string::npos);
    EXPECT_EQ(gf_simSession().simulatorText(), "MSFS 2020 (11.0.282174.999)");
    EXPECT_TRUE(gf_simSession().onGroundKnown.load());
    EXPECT_TRUE(gf_simSession().onGround.load());
    EXPECT_TRUE(waitUntil([] { return gf_simSession().userTitle() == "Airbus A320 Neo Asobo"; }));
    EXPECT_TRUE(waitUntil([] { return gf_simSession().userModel() == "A20N"; }));
    EXPECT_DOUBLE_EQ(gf_simSession().halfWingspanNm.load(), 0.00965);
    EXPECT_EQ(gf_simSession().category.load(), AircraftCategory::Large);
    const UserAircraftState state = gf_simSession().userState.load();
    EXPECT_NEAR(state.latitude, 52.307613, 1e-9);
    // Schiphol lies below sea level; the program never keeps a negative altitude.
    EXPECT_EQ(state.altitude, 0.0);
    EXPECT_GT(state.zuluYear, 2000);

    EXPECT_EQ(lf_ids(calls("SubscribeToSystemEvent")), (std::vector<std::uint32_t>{201, 202, 203, 205, 204}));
    std::vector<std::uint32_t> definitionOrder;
    for (const auto& c : calls("AddToDataDefinition")) {
        const auto define = c.at("define").get<std::uint32_t>();
        if (definitionOrder.empty() || definitionOrder.back() != define) definitionOrder.push_back(define);
    }
    EXPECT_EQ(definitionOrder, (std::vector<std::uint32_t>{407, 408, 409, 402, 403, 405, 406, 404, 401}));
    EXPECT_EQ(calls("AddToDataDefinition").size(), 34u);
    // The simulator knows every variable the program registers: no name comes back refused.
    for (const auto& entry : standIn->trace()) EXPECT_FALSE(entry.contains("exception")) << entry.dump();
    const auto mapped = lf_ids(calls("MapClientEventToSimEvent"));
    EXPECT_EQ(mapped, (std::vector<std::uint32_t>{219, 220, 221, 222, 217, 218, 207, 206, 210, 208, 209, 212, 211,
                                                  213, 214, 215, 216}));
    const auto grouped = lf_ids(calls("AddClientEventToNotificationGroup"));
    EXPECT_EQ(grouped.size(), 16u);
    EXPECT_EQ(std::count(grouped.begin(), grouped.end(), 220u), 0);
    ASSERT_EQ(calls("SetNotificationGroupPriority").size(), 1u);
    EXPECT_EQ(calls("SetNotificationGroupPriority")[0].at("priority"), 1);
    EXPECT_FALSE(gf_run().stopRequested());
}

TEST_F(SimLinkTest, OpenIsRetriedUntilTheSimulatorRuns) {
    SimStandInConfig config;
    config.available = false;
    config.clock = ClockMode::Manual;
    start(config);
    EXPECT_TRUE(waitUntil([] { return gf_status().status() == "Waiting for MSFS 2020 ..."; }));
    EXPECT_FALSE(gf_simSession().connected.load());
    standIn->setAvailable(true);
    EXPECT_TRUE(waitUntil([] { return gf_simSession().connected.load(); }));
    EXPECT_EQ(calls("Open").size(), 1u);
}

TEST_F(SimLinkTest, TheOtherSimulatorSwitchesTheSettingAndRestarts) {
    SimStandInConfig config;
    config.version = SimulatorVersion::Msfs2024;
    start([&] {
        config.clock = ClockMode::Manual;
        return config;
    }());
    ASSERT_TRUE(waitUntil([] { return gf_run().stopRequested(); }));
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewSettings);
    EXPECT_EQ(gf_run().restartDelay(), 3);
    EXPECT_TRUE(waitUntil([] { return !gf_simSession().handle(); }));
    EXPECT_NE(logText().find("MSFS and VORL do not match, restarting ..."), std::string::npos);
    EXPECT_FALSE(gf_simSession().connected.load());
}

TEST_F(SimLinkTest, ApplicationNamesAreFilteredBeforeTheyAreJudged) {
    EXPECT_EQ(gf_filterApplicationName("KittyHawk!", 256), "KittyHawk");
    EXPECT_EQ(gf_filterApplicationName("Kitty Hawk", 256), "Kitty Hawk");

    SimStandInConfig accepted;
    accepted.applicationName = "KittyHawk!";
    connect(accepted);
    EXPECT_EQ(gf_status().error(), "");
}

TEST_F(SimLinkTest, AnUnknownSimulatorIsShownAsErrorAndEndsTheClient) {
    SimStandInConfig config;
    config.applicationName = "Kitty Hawk";
    config.clock = ClockMode::Manual;
    start(config);
    ASSERT_TRUE(waitUntil([] { return !gf_status().error().empty(); }));
    EXPECT_EQ(gf_status().error(), "77: 'Kitty Hawk' not being MSFS 2020 or MSFS 2024 connects ... ?");
    EXPECT_TRUE(waitUntil([] { return !gf_simSession().handle(); }));
}

TEST_F(SimLinkTest, QuitEndsTheRunAsSimWasClosed) {
    connect();
    standIn->quit();
    ASSERT_TRUE(waitUntil([] { return gf_run().stopRequested(); }));
    EXPECT_EQ(gf_run().reason(), ClosingReason::SimWasClosed);
    EXPECT_FALSE(gf_simSession().simRunning.load());
}

TEST_F(SimLinkTest, AFailedRequestStopsSendingAndRestartsAfterNineSeconds) {
    connect();
    standIn->failCalls("RequestDataOnSimObject");
    requestUserState();
    EXPECT_TRUE(gf_simSession().simConnectError.load());
    EXPECT_TRUE(gf_run().stopRequested());
    EXPECT_EQ(gf_run().reason(), ClosingReason::SimConnectError);
    EXPECT_EQ(gf_run().restartDelay(), 9);
    EXPECT_NE(logText().find("SimConnect request user ac position fails"), std::string::npos);
    EXPECT_NE(logText().find("SimConnect request error"), std::string::npos);

    // Nothing more reaches the simulator.
    gf_simOutbox().queueLiveCreation(makeCreateRequest("KLM1", 0x484c5a));
    cycles(60);
    EXPECT_TRUE(calls("AICreateNonATCAircraft").empty());
}

TEST_F(SimLinkTest, ALoadedFlightEndsTheRunAsNewFlight) {
    connect();
    standIn->loadFlight("C:\\flights\\EHAM.FLT");
    ASSERT_TRUE(waitUntil([] { return gf_run().stopRequested(); }));
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewFlight);
    EXPECT_EQ(gf_run().restartDelay(), 45);
    EXPECT_NE(logText().find("SimConnect: New file event"), std::string::npos);
}

TEST_F(SimLinkTest, AJumpOfMoreThanTenMilesIsATeleport) {
    connect(lf_atStandD7());
    // The first state after the start never counts: the previous position was (0,0).
    EXPECT_FALSE(gf_run().stopRequested());
    // 10.5 NM due north.
    standIn->setUserScript(UserScript::fixed(52.307613 + 10.5 / 60.0, 4.757806, 3000.0, 0.0, false));
    requestUserState();
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_TRUE(gf_run().stopRequested());
    EXPECT_EQ(gf_run().reason(), ClosingReason::NewFlight);
    EXPECT_NE(logText().find("Teleport"), std::string::npos);
}

TEST_F(SimLinkTest, AShortMoveIsNoTeleport) {
    connect(lf_atStandD7());
    standIn->setUserScript(UserScript::fixed(52.307613 + 9.5 / 60.0, 4.757806, 3000.0, 0.0, false));
    requestUserState();
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_FALSE(gf_run().stopRequested());
}

TEST_F(SimLinkTest, VersionMismatchIsAnErrorForTheUser) {
    connect();
    standIn->sendException(simconnect::ExceptionId::VersionMismatch, 0, 3);
    ASSERT_TRUE(waitUntil([] { return !gf_status().error().empty(); }));
    EXPECT_EQ(gf_status().error(), "95: SimConnect Version Mismatch, dwIndex: 3");
}

TEST_F(SimLinkTest, ALongTitleIsCutTo48Characters) {
    SimStandInConfig config;
    config.userTitle = std::string(30, 'A') + std::string(30, 'B');
    connect(config);
    requestUserTitleAndModel();
    ASSERT_TRUE(standIn->waitDispatched());
    EXPECT_EQ(gf_simSession().userTitle(), std::string(30, 'A') + std::string(18, 'B'));
}

TEST_F(SimLinkTest, PausingTheFlightClearsSimRunning) {
    connect();
    standIn->setFlightRunning(false);
    EXPECT_TRUE(waitUntil([] { return !gf_simSession().simRunning.load(); }));
    standIn->setFlightRunning(true);
    EXPECT_TRUE(waitUntil([] { return gf_simSession().simRunning.load(); }));
    EXPECT_FALSE(gf_run().stopRequested());
}

TEST_F(SimLinkTest, StoppingTheClientClosesTheConnection) {
    connect();
    gf_simClient().stop();
    EXPECT_FALSE(gf_simSession().handle());
    EXPECT_EQ(calls("Close").size(), 1u);
    EXPECT_NE(logText().find("SimConnect closed ok"), std::string::npos);
}

TEST(SimConnectLibrary, AMissingLibrarySaysSoClearly) {
    try {
        gf_makeSimConnectLibraryBackend("NoSuchSimConnect.dll");
        FAIL() << "a missing library must not give a backend";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("NoSuchSimConnect.dll could not be loaded: ", 0), 0u) << e.what();
    }
}
