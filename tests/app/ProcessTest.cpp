// The vorl program as a user starts it: separate processes, their exit codes and files.
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "tests/app/ProgramStandIns.h"
#include "tests/support/ReferenceData.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

int runVorl(const std::string& arguments, const std::string& environment = {}) {
    const int status =
        std::system(fmt::format("{} '{}' {} >/dev/null 2>&1", environment, VORL_BINARY, arguments).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

// A run in its own folders.
std::string folderArgs(const TempFolder& dir) {
    return fmt::format("--headless --workdir '{}' --config-dir '{}'", dir.path().string(), (dir / "cfg").string());
}

// ... with a simulator installation the program finds by itself.
int runVorlWithSimulator(const TempFolder& dir, const std::string& arguments) {
    const auto sim = vorl::test::makeFakeSimulator(dir.path());
    return runVorl(arguments, fmt::format("XDG_CONFIG_HOME='{}' XDG_DATA_HOME='{}'", sim.roaming.string(), sim.local.string()));
}

} // namespace

TEST(Process, ProductionRunWritesLogAndEverySettingThenExits) {
    TempFolder dir;
    fs::create_directories(dir / "docs");
    vorl::test::installReferenceData(dir.path());
    EXPECT_EQ(runVorlWithSimulator(dir, "--production " + folderArgs(dir)), 0);
    const std::string log = readFile(dir / "Log.txt");
    EXPECT_EQ(log.find("(utc) VORL version "), 25u) << log;
    EXPECT_NE(log.find("\nproduction\n"), std::string::npos);
    EXPECT_NE(log.find("Exiting: USER CLOSED SIM"), std::string::npos);
    // The shipped reference data is read and its decrypted forms are gone again.
    const auto airportsLine = log.find(" airports read\n");
    ASSERT_NE(airportsLine, std::string::npos) << log;
    EXPECT_GE(std::stoi(log.substr(log.rfind('\n', airportsLine) + 1)), 20000);
    EXPECT_NE(log.find(" ICAO model codes\n"), std::string::npos);
    EXPECT_NE(log.find(" dbase records read\n"), std::string::npos);
    for (const char* temporary : {"input/dbase.xml", "input/airports.xml"}) EXPECT_FALSE(fs::exists(dir / temporary));
    const std::string settings = readFile(dir / "cfg" / "parameters.xml");
    for (const char* key : {"MAIN_WINDOW_X", "AI_PACKAGE_SELECTOR", "MAX_FIT_FL", "LAST_EPOCH_TIME:", "lfolder9",
                            "MYSIMADDON24_VERSION", "parking_percentage"})
        EXPECT_NE(settings.find(fmt::format("name=\"{}\"", key)), std::string::npos) << key;
    for (const char* folder : {"input", "output/info", "output/errors", "airports/learned/stock",
                               "airports/my_simaddon", "airports/my_thirdparty"})
        EXPECT_TRUE(fs::is_directory(dir / folder)) << folder;

    EXPECT_EQ(runVorlWithSimulator(dir, "/production /no-production --production " + folderArgs(dir)), 0);
    EXPECT_EQ(readFile(dir / "Log0.txt"), log) << "the previous log is kept as a generation";
}

TEST(Process, OutsideItsFolderTheUserIsTold) {
    TempFolder dir;
    EXPECT_EQ(runVorl("--production " + folderArgs(dir)), 1);
    EXPECT_NE(readFile(dir / "Log.txt").find("Error VORL must be run from the VORL folder!\n"), std::string::npos);
}

TEST(Process, WithoutSimulatorTheUserIsAskedForTheCommunityFolder) {
    TempFolder dir;
    fs::create_directories(dir / "docs");
    vorl::test::installReferenceData(dir.path());
    const std::string empty = fmt::format("XDG_CONFIG_HOME='{}' XDG_DATA_HOME='{}'", (dir / "none").string(),
                                          (dir / "none").string());
    EXPECT_EQ(runVorl("--production " + folderArgs(dir), empty), 1);
    EXPECT_NE(readFile(dir / "Log.txt").find("Error 150: No install path detected. Type the full path to your "
                                             "Community folder above, then press Enter"),
              std::string::npos);
}

TEST(Process, SecondInstanceEndsSilently) {
    TempFolder dir;
    const auto sim = vorl::test::makeFakeSimulator(dir.path());
    vorl::test::useFakeSimulator(sim);
    fs::create_directories(dir / "one" / "docs");
    vorl::test::installReferenceData(dir / "one");
    fs::create_directories(dir / "two" / "docs");
    vorl::test::installReferenceData(dir / "two");
    const vorl::test::ProgramRtStandIn rt;
    rt.writeSettings(dir / "cfg" / "parameters.xml");
    const std::string cfg = (dir / "cfg").string();
    const std::string first = fmt::format("'{}' --headless --duration 3 --workdir '{}' --config-dir '{}' >/dev/null 2>&1 &",
                                          VORL_BINARY, (dir / "one").string(), cfg);
    ASSERT_EQ(std::system(first.c_str()), 0);
    for (int i = 0; i < 100 && !fs::exists(dir / "one" / "Log.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(dir / "one" / "Log.txt"));
    EXPECT_EQ(runVorl(fmt::format("--headless --production --workdir '{}' --config-dir '{}'", (dir / "two").string(), cfg)),
              255);
    EXPECT_FALSE(fs::exists(dir / "two" / "Log.txt"));
    for (int i = 0; i < 300 && readFile(dir / "one" / "Log.txt").find("Exiting:") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_NE(readFile(dir / "one" / "Log.txt").find("Run time of 3 seconds is over"), std::string::npos);
}

TEST(Process, UnparsableSettingsAreSavedAsGenerationZeroAndReplaced) {
    TempFolder dir;
    fs::create_directories(dir / "docs");
    vorl::test::installReferenceData(dir.path());
    writeFile(dir / "cfg" / "parameters.xml", "<root><parameters><parameter name=");
    EXPECT_EQ(runVorlWithSimulator(dir, "--production " + folderArgs(dir)), 0);
    EXPECT_EQ(readFile(dir / "cfg" / "parameters0.xml"), "<root><parameters><parameter name=");
    EXPECT_NE(readFile(dir / "Log.txt").find("failed to load ("), std::string::npos);
    EXPECT_NE(readFile(dir / "Log.txt").find("). Saved as 0.xml and removed."), std::string::npos);
    EXPECT_NE(readFile(dir / "cfg" / "parameters.xml").find("name=\"RANGE\" value=\"40\""), std::string::npos);
}

TEST(Process, HelpAndWrongOptions) {
    EXPECT_EQ(runVorl("--help"), 0);
    EXPECT_EQ(runVorl("--duration soon"), 2);
}

// Without the per-user application-data folder the program says so and keeps its settings beside
// itself instead of giving up: it goes on as far as it can (here to the simulator it cannot find,
// whose installation is found through that folder too).
TEST(Process, MissingApplicationDataFolderKeepsTheSettingsInTheProgramFolder) {
    TempFolder dir;
    fs::create_directories(dir / "docs");
    vorl::test::installReferenceData(dir.path());
    const std::string arguments = fmt::format("--production --headless --workdir '{}'", dir.path().string());
    EXPECT_EQ(runVorl(arguments, "env -u HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME"), 1);
    const std::string log = readFile(dir / "Log.txt");
    EXPECT_NE(log.find("==> Could not find the AppData path"), std::string::npos) << log;
    EXPECT_NE(log.find("dbase records read"), std::string::npos) << log;
    EXPECT_NE(log.find("No install path detected"), std::string::npos) << log;
    EXPECT_TRUE(fs::exists(dir / "VORL" / "parameters.xml"));
}
