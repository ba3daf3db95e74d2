// The program's whole life in this process: start-up, main loop, stop requests with each kind
// of closing reason, closing down and the in-process restart, through the console front-end.
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "app/HeadlessFrontEnd.h"
#include "tools/aipackages/AiPackages.h"
#include "tools/sceneries/Sceneries.h"
#include "app/ProcessEntry.h"
#include "app/RunControl.h"
#include "app/RunLoops.h"
#include "app/StatusFigures.h"
#include "sim/LiveAircraft.h"
#include "sim/SimSession.h"
#include "common/Geodesy.h"
#include "standins/download/DownloadServerStandIn.h"
#include "standins/sim/SimStandIn.h"
#include "tests/app/ProgramStandIns.h"
#include "tests/app/WholeProgram.h"
#include "tests/support/ReferenceData.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using namespace std::chrono_literals;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

using vorl::test::ArchiveServer;
using vorl::test::settingInFile;
using vorl::test::WholeProgram;

TEST(Lifecycle, ReaderErrorRestartsInProcessAfterItsDelayWithScansSwitchedOff) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing());
    gf_run().requestStop(ClosingReason::ReaderError, 1);
    ASSERT_TRUE(run.waitForLogCount("Restart countdown finished", 1)) << run.log();
    ASSERT_TRUE(run.waitForStartUps(2)) << "the settings are read again by the new start-up";
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_EQ(run.close(), 0);

    const std::string log = run.log();
    EXPECT_NE(log.find("Exiting: READER ERROR\n"), std::string::npos);
    EXPECT_NE(log.find("Prepare for a restart ...\n"), std::string::npos);
    EXPECT_NE(log.find("Restarting after 1 seconds\n" + std::string(48, '-') + "\n"), std::string::npos);
    EXPECT_NE(log.find("Exiting: USER CLOSED SIM\n"), std::string::npos);
    EXPECT_EQ(settingInFile(run.settingsFile(), "SCAN_LIVERIES"), "false");
    EXPECT_EQ(settingInFile(run.settingsFile(), "SCAN_AIRPORTS"), "false");
}

TEST(Lifecycle, NewSettingsRestartKeepsTheScansAndSimErrorRestartsToo) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing());
    gf_run().requestStop(ClosingReason::NewSettings, 0);
    ASSERT_TRUE(run.waitForStartUps(2)) << run.log();
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_EQ(settingInFile(run.settingsFile(), "SCAN_LIVERIES"), "true");
    gf_run().requestStop(ClosingReason::SimConnectError, 0);
    ASSERT_TRUE(run.waitForStartUps(3)) << run.log();
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_EQ(run.close(), 0);
    EXPECT_EQ(run.count("Exiting: NEW SETTINGS"), 1u);
    EXPECT_EQ(run.count("Exiting: SIMCONNECT ERROR"), 1u);
    EXPECT_EQ(settingInFile(run.settingsFile(), "SCAN_LIVERIES"), "false");
}

TEST(Lifecycle, AddonAirportScanWritesAirportFilesAtTheFirstStartOnly) {
    WholeProgram run({}, [](const fs::path&, const vorl::test::FakeSimulator& simulator) {
        for (const auto& package : vorl::tools::gf_demoSceneries(true)) vorl::tools::gf_writeScenery(simulator.packages, package);
    });
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_TRUE(fs::exists(run.dir / "airports/my_thirdparty/EHLE.xml"));
    EXPECT_TRUE(fs::exists(run.dir / "airports/my_thirdparty/EHBK.xml"));
    EXPECT_TRUE(fs::exists(run.dir / "airports/my_simaddon/EHRD.xml"));
    EXPECT_TRUE(fs::exists(run.dir / "tblo/tblo.zip")) << "none of them is known to the maker";
    EXPECT_TRUE(fs::exists(run.dir / "output/info/AirportsScanLog.txt"));
    ASSERT_TRUE(run.waitFor([&] {
        const auto texts = run.displayTexts();
        return texts.size() > 1 && texts[1].find("# simaddon: 1    # thirdp: 2") != std::string::npos;
    })) << run.displayTexts()[1];
    EXPECT_NE(run.log().find("SimConnect (PARKING_DATA_RDR) closed"), std::string::npos);
    EXPECT_NE(run.log().find("-------------------------- airports scan ends"), std::string::npos);

    gf_run().requestStop(ClosingReason::ReaderError, 0);
    ASSERT_TRUE(run.waitForStartUps(2)) << run.log();
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_EQ(run.close(), 0);
    EXPECT_EQ(run.count("airports scan automatic"), 1u) << "a restart never repeats a scan";
    EXPECT_TRUE(fs::exists(run.dir / "airports/my_thirdparty/EHLE.xml"));
}

TEST(Lifecycle, ExitingReasonsEndTheProcessAndClearPerFlightSettings) {
    WholeProgram run(R"(<parameter name="DESTINATION" value="EHAM"/>
        <parameter name="BLOCK_CALLSIGN" value="KLM123"/><parameter name="TIME_SHIFT_HOURS" value="3"/>)");
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_NE(run.log().find("Time shifted 180 minutes"), std::string::npos);
    gf_run().requestStop(ClosingReason::SimWasClosed, 0);
    EXPECT_EQ(run.waitForExit(), 0);
    EXPECT_NE(run.log().find("Exiting: SIM WAS CLOSED"), std::string::npos);
    EXPECT_EQ(run.startUps(), 1u) << "no restart";
    EXPECT_EQ(settingInFile(run.settingsFile(), "DESTINATION"), "");
    EXPECT_EQ(settingInFile(run.settingsFile(), "BLOCK_CALLSIGN"), "");
    EXPECT_EQ(settingInFile(run.settingsFile(), "TIME_SHIFT_HOURS"), "0");
}

TEST(Lifecycle, SystemErrorShowsTheErrorAndEndsWithFailure) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing());
    gf_run().requestStop(ClosingReason::SystemError, 0);
    EXPECT_EQ(run.waitForExit(), 1);
    // The RealTraffic session ends first; the error then stays until the user closes the window.
    const std::string log = run.log();
    const auto exiting = log.find("Exiting: SYSTEM ERROR\n");
    ASSERT_NE(exiting, std::string::npos) << log;
    EXPECT_LT(log.find("Deauth success", exiting), log.find("User closed VORL\n", exiting)) << log;
}

TEST(Lifecycle, HoldingRuleWaitsBeforeTheRealTrafficSession) {
    const auto now = std::to_string(std::time(nullptr));
    WholeProgram run("<parameter name=\"LAST_EPOCH_TIME:\" value=\"" + now + "\"/>");
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_EQ(run.close(), 0);
    EXPECT_NE(run.log().find("seconds... (RT API cannot be revisited within 2 seconds)"), std::string::npos);
}

TEST(Lifecycle, RealTrafficSessionLogsInReceivesTrafficKeepsTheQnhAndLogsOut) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    const auto& server = *run.rt.server;
    ASSERT_TRUE(run.waitFor([&] {
        return server.requestCount("buffered") >= 1 && server.requestCount("traffic") >= 3 &&
               run.displayTexts().at(0).find("qnh: 1009") != std::string::npos;
    })) << run.log();
    // The box follows the user aircraft, which the simulator stand-in parks at EHAM.
    EXPECT_NE(server.lastBody("traffic").find("querytype=locationtraffic"), std::string::npos);
    EXPECT_EQ(server.rateViolations(), 0);
    EXPECT_EQ(run.close(), 0);
    EXPECT_EQ(server.requestCount("deauth"), 1);
    EXPECT_EQ(server.sessionCount(), 0u);
    const std::string log = run.log();
    EXPECT_NE(log.find("Authenticated at RT server 'rtw01a'"), std::string::npos);
    EXPECT_NE(log.find("Deauth success RT server 'rtw01a'"), std::string::npos);
}

TEST(Lifecycle, PausedFlightIsAnnouncedOnceEachWay) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    ASSERT_NE(sim, nullptr);
    // What the program placed in the simulator, and where.
    const auto placed = [&] {
        std::map<std::uint32_t, std::pair<double, double>> found;
        for (const auto& o : sim->objects())
            if (o.id != sim->userObjectId()) found.emplace(o.id, std::make_pair(o.lat, o.lon));
        return found;
    };
    // Traffic is on its way into the simulator when the flight pauses.
    ASSERT_TRUE(run.waitFor([&] { return placed().size() >= 2; }, 60s)) << run.log();
    sim->setFlightRunning(false);
    ASSERT_TRUE(run.waitForLogCount(" Flight not running", 1)) << run.log();
    EXPECT_FALSE(gf_simulatorRunning());
    std::this_thread::sleep_for(100ms); // what was handed over before the pause has gone out
    const auto beforePause = placed();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(run.count(" Flight not running"), 1u) << "announced once, not every cycle";
    EXPECT_EQ(placed(), beforePause) << "nothing is created, moved or removed while the flight is paused";
    sim->setFlightRunning(true);
    ASSERT_TRUE(run.waitForLogCount(" Flight resumed", 1)) << run.log();
    EXPECT_TRUE(gf_simulatorRunning());
    EXPECT_EQ(run.close(), 0);
    EXPECT_EQ(run.count(" Flight resumed"), 1u);
}

// The user's aircraft stands at EHAM D7: EHAM becomes the park airport, its archived airport file
// comes from the download server, parked traffic is placed on its stands as static aircraft, and
// closing down saves the learned file and the park-airport list.
TEST(Lifecycle, ParkedTrafficBecomesStaticAircraftAtTheUsersAirport) {
    ArchiveServer archive;
    WholeProgram run(archive.setting());
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    ASSERT_NE(sim, nullptr);
    const auto statics = [&] {
        std::vector<standin::StandInObject> found;
        for (const auto& o : sim->objects())
            if (o.title.rfind("AIG_B738_KLM_", 0) == 0) found.push_back(o);
        return found;
    };
    ASSERT_TRUE(run.waitFor([&] { return !statics().empty(); })) << run.log();
    const auto placed = statics().front();
    EXPECT_EQ(placed.tailNumber, "KLM1391");
    // B11 of the EHAM file, within 2 m and 2 degrees.
    EXPECT_LT(gf_distanceNm(placed.lat, placed.lon, 52.309876, 4.766069) * 1852.0, 2.0);
    EXPECT_NEAR(gf_radToDeg(placed.heading), 219.3, 2.0);
    EXPECT_EQ(run.close(), 0);
    const std::string log = run.log();
    EXPECT_NE(log.find("The park airport is EHAM"), std::string::npos) << log;
    EXPECT_TRUE(fs::exists(run.dir / "airports" / "learned" / "stock" / "EHAM.xml"));
    EXPECT_EQ(readFile(run.dir / "airports" / "my_park_airports.txt"), "EHAM,D7\n");
}

// Live traffic of the EHAM scenario enters the simulator with the livery the matching gives,
// one object per aircraft, and moves on every frame.
TEST(Lifecycle, LiveTrafficIsCreatedOncePerAircraftAndMoves) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    ASSERT_NE(sim, nullptr);
    const auto live = [&] {
        std::map<std::uint32_t, standin::StandInObject> found;
        for (const auto& o : sim->objects())
            if (o.title.rfind("AIG_B738_KLM_", 0) == 0) found.emplace(o.id, o);
        return found;
    };
    ASSERT_TRUE(run.waitFor([&] { return live().size() >= 3; }, 60s)) << run.log();
    const auto before = live();
    std::this_thread::sleep_for(4000ms);
    const auto after = live();
    std::size_t moved = 0;
    std::set<std::string> tails;
    for (const auto& [id, o] : after) {
        EXPECT_TRUE(tails.insert(o.tailNumber).second) << o.tailNumber << " created twice";
        const auto was = before.find(id);
        if (was != before.end() && gf_distanceNm(was->second.lat, was->second.lon, o.lat, o.lon) > 0.0) ++moved;
    }
    EXPECT_GE(moved, 1u);
    EXPECT_EQ(run.close(), 0);
    EXPECT_NE(run.log().find("live aircraft created"), std::string::npos);
}

// Helicopters are objects of a type of their own in the simulator: the program still finds the
// ones it created, freezes them and drives them.
TEST(Lifecycle, HelicoptersAreIdentifiedAndDriven) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    ASSERT_NE(sim, nullptr);
    const auto frozenHelicopter = [&] {
        for (const auto& o : sim->objects())
            if (o.category == "Helicopter" && o.createdByProgram && o.frozenLatLon && o.released) return true;
        return false;
    };
    EXPECT_TRUE(run.waitFor(frozenHelicopter, 120s)) << run.log();
    EXPECT_EQ(run.close(), 0);
}

// The simulator closes in mid-flight: the program closes down as the user would have it, with
// the airport's learned file and the park airport saved.
TEST(LifecycleFaults, SimulatorQuitMidFlightEndsTheProgramWithEverythingSaved) {
    ArchiveServer archive;
    WholeProgram run(archive.setting());
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    auto* sim = dynamic_cast<standin::SimStandIn*>(gf_simSession().backend());
    ASSERT_NE(sim, nullptr);
    ASSERT_TRUE(run.waitFor([&] { return sim->objects().size() > 3; }, 60s)) << run.log();
    sim->quit();
    EXPECT_EQ(run.waitForExit(), 0);
    const std::string log = run.log();
    EXPECT_NE(log.find("Exiting: SIM WAS CLOSED"), std::string::npos) << log;
    EXPECT_EQ(run.count("Restart countdown finished"), 0u);
    EXPECT_TRUE(fs::exists(run.dir / "airports" / "learned" / "stock" / "EHAM.xml"));
    EXPECT_EQ(readFile(run.dir / "airports" / "my_park_airports.txt"), "EHAM,D7\n");
    EXPECT_EQ(settingInFile(run.settingsFile(), "RT_LICENSE"), "TEST-KEY");
}

// RealTraffic goes away in mid-session and comes back: the readers keep trying at their rate
// and the traffic goes on without a restart.
TEST(LifecycleFaults, RealTrafficGoneMidSessionIsRetriedUntilItIsBack) {
    WholeProgram run;
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    ASSERT_TRUE(run.waitFor([&] { return run.rt.server->requestCount("traffic") >= 2; })) << run.log();
    const int port = run.rt.server->port();
    run.rt.server->stop();
    ASSERT_TRUE(run.waitForLogCount("curl traffic code:7 = Couldn't connect to server", 2)) << run.log();
    const int before = run.rt.server->requestCount("traffic");
    run.rt.server->start(port);
    EXPECT_TRUE(run.waitFor([&] { return run.rt.server->requestCount("traffic") >= before + 2; })) << run.log();
    EXPECT_EQ(run.count("Exiting: "), 0u) << "no restart was needed";
    EXPECT_EQ(run.close(), 0);
}

// RealTraffic is not there when the program starts: a restart after the login's delay, and
// then the session as usual.
TEST(LifecycleFaults, RealTrafficDownAtStartIsWaitedFor) {
    WholeProgram run;
    // The program is starting; the server goes before the login.
    const int port = run.rt.server->port();
    run.rt.server->stop();
    ASSERT_TRUE(run.waitFor([&] { return run.count("Exiting: READER ERROR") >= 1; }, 60s)) << run.log();
    run.rt.server->start(port);
    ASSERT_TRUE(run.waitFor([&] { return run.startUps() >= 2 && gf_simulatorRunning(); }, 90s)) << run.log();
    EXPECT_EQ(run.close(), 0);
}

// Parked traffic refused by the service (403: no such data for this access) costs the plan its
// parked aircraft, not the plan: the park airport is planned from its file and the run goes on.
TEST(LifecycleFaults, ParkedTrafficRefusedStillPlansTheParkAirport) {
    ArchiveServer archive;
    WholeProgram run(archive.setting(), {}, {}, {"parked,status=403"});
    ASSERT_TRUE(run.waitUntilServing()) << run.log();
    ASSERT_TRUE(run.waitForLogCount("requestParkedTraffic exception: ", 1)) << run.log();
    ASSERT_TRUE(run.waitFor([&] {
        const std::string log = run.log();
        const auto refused = log.find("requestParkedTraffic exception: ");
        return log.find("positions", refused) != std::string::npos || log.find("no parking positions found", refused) != std::string::npos;
    })) << run.log();
    EXPECT_FALSE(gf_run().stopRequested());
    EXPECT_EQ(run.close(), 0);
    EXPECT_NE(run.log().find("The park airport is EHAM"), std::string::npos);
    EXPECT_EQ(run.count("Exiting: SYSTEM ERROR"), 0u);
}
