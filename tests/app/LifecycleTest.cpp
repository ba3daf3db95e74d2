// The program's whole life in this process: start-up, main loop, stop requests with each kind
// of closing reason, closing down and the in-process restart, through the console front-end.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "app/HeadlessFrontEnd.h"
#include "app/ProcessEntry.h"
#include "app/RunControl.h"
#include "app/RunLoops.h"
#include "common/Version.h"
#include "tests/support/ReferenceData.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using namespace std::chrono_literals;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

std::string settingInFile(const fs::path& file, const std::string& key) {
    pugi::xml_document doc;
    if (!doc.load_file(file.c_str())) return "<unreadable>";
    const auto node = doc.child("root").child("parameters").find_child_by_attribute("parameter", "name", key.c_str());
    return node ? node.attribute("value").as_string() : "<absent>";
}

class ProgramRun {
public:
    explicit ProgramRun(std::string settings = {}) {
        fs::create_directories(dir / "docs");
        vorl::test::installReferenceData(dir.path());
        vorl::test::useFakeSimulator(vorl::test::makeFakeSimulator(dir.path()));
        // Settings written by this version: those of an older one would drop the shipped
        // reference data as outdated, and no download server is there to bring it back.
        const std::string version = "<parameter name=\"PROGRAM_VERSION\" value=\"" + gf_runningVersion().text() + "\"/>";
        if (const auto at = settings.find("<parameters>"); at != std::string::npos)
            settings.insert(at + std::string("<parameters>").size(), version);
        if (!settings.empty()) writeFile(dir / "cfg" / "parameters.xml", settings);
        args_ = {"vorl", "--headless", "--workdir", dir.path().string(), "--config-dir", (dir / "cfg").string()};
        thread_ = std::thread([this] {
            std::vector<char*> argv;
            for (auto& a : args_) argv.push_back(a.data());
            exitCode = gf_processEntry(static_cast<int>(argv.size()), argv.data(), [](const CommandLineOptions& o) {
                return std::make_unique<HeadlessFrontEnd>(o.durationSeconds);
            });
        });
    }
    ~ProgramRun() {
        if (thread_.joinable()) close();
    }

    std::string log() const {
        try {
            return readFile(dir / "Log.txt");
        } catch (const std::exception&) {
            return {};
        }
    }
    std::size_t count(const std::string& text) const {
        const std::string all = log();
        std::size_t n = 0;
        for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
        return n;
    }
    bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit = 20s) const {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }
    bool waitForLogCount(const std::string& text, std::size_t n) const {
        return waitFor([&] { return count(text) >= n; });
    }
    // Each start-up reads the settings once: from the file, or as defaults on a first run.
    std::size_t startUps() const { return count("from '") + count(" not found, creating new with default values:"); }
    bool waitForStartUps(std::size_t n) const {
        return waitFor([&] { return startUps() >= n; });
    }
    bool waitUntilServing() const { return waitFor([] { return gf_simulatorRunning(); }); }
    // The user closes the program.
    int close() {
        gf_run().setWindowClosed();
        gf_run().requestStop(ClosingReason::UserClosedSim, 0);
        thread_.join();
        return exitCode;
    }
    int waitForExit() {
        thread_.join();
        return exitCode;
    }
    fs::path settingsFile() const { return dir / "cfg" / "parameters.xml"; }

    TempFolder dir;
    int exitCode = -99;

private:
    std::vector<std::string> args_;
    std::thread thread_;
};

} // namespace

TEST(Lifecycle, ReaderErrorRestartsInProcessAfterItsDelayWithScansSwitchedOff) {
    ProgramRun run;
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
    ProgramRun run;
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

TEST(Lifecycle, ExitingReasonsEndTheProcessAndClearPerFlightSettings) {
    ProgramRun run(R"(<root><parameters><parameter name="DESTINATION" value="EHAM"/>
        <parameter name="BLOCK_CALLSIGN" value="KLM123"/><parameter name="TIME_SHIFT_HOURS" value="3"/>
        </parameters></root>)");
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
    ProgramRun run;
    ASSERT_TRUE(run.waitUntilServing());
    gf_run().requestStop(ClosingReason::SystemError, 0);
    EXPECT_EQ(run.waitForExit(), 1);
    EXPECT_NE(run.log().find("Exiting: SYSTEM ERROR\nUser closed VORL\n"), std::string::npos);
}

TEST(Lifecycle, HoldingRuleWaitsBeforeTheRealTrafficSession) {
    const auto now = std::to_string(std::time(nullptr));
    ProgramRun run("<root><parameters><parameter name=\"LAST_EPOCH_TIME:\" value=\"" + now +
                   "\"/></parameters></root>");
    ASSERT_TRUE(run.waitUntilServing());
    EXPECT_EQ(run.close(), 0);
    EXPECT_NE(run.log().find("seconds... (RT API cannot be revisited within 2 seconds)"), std::string::npos);
}
