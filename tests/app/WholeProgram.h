#pragma once
#include <chrono>
#include <filesystem>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/ProcessEntry.h"
#include "standins/download/DownloadServerStandIn.h"
#include "tests/app/ProgramStandIns.h"
#include "tests/support/ReferenceData.h"
#include "tests/support/TempFolder.h"

namespace vorl {
class HeadlessFrontEnd;
}

namespace vorl::test {

// The maker's download server holding the archived EHAM airport file.
struct ArchiveServer {
    ArchiveServer();
    // The setting that points the program at it.
    std::string setting() const;

    TempFolder folder;
    standin::DownloadServerStandIn server{folder.path()};
};

// The value of `key` in a settings file, "<absent>" or "<unreadable>" otherwise.
std::string settingInFile(const std::filesystem::path& file, const std::string& key);

// The whole program as `main` runs it, in a fresh install folder with reference data, made-up
// AI packages and a fake simulator installation, against the RealTraffic stand-in, on a thread of
// its own. The front-end is the console unless the test gives another.
class WholeProgram {
public:
    using Prepare = std::function<void(const std::filesystem::path& installFolder, const FakeSimulator& simulator)>;

    // `parameters`: <parameter .../> elements of the settings file beside the RealTraffic ones.
    // `prepare` runs on the install folder and the fake simulator before the program starts.
    // `rtFaults`: misbehaviours of the RealTraffic stand-in, `moreTraffic`: aircraft added to its
    // scenario (see ProgramRtStandIn).
    explicit WholeProgram(const std::string& parameters = {}, const Prepare& prepare = {},
                          FrontEndFactory frontEnd = {}, const std::vector<std::string>& rtFaults = {},
                          const ProgramRtStandIn::MoreTraffic& moreTraffic = {});
    ~WholeProgram();

    std::string log() const;
    std::size_t count(const std::string& text) const;
    bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(20)) const;
    bool waitForLogCount(const std::string& text, std::size_t n) const;
    // Each start-up reads the settings once: from the file, or as defaults on a first run.
    std::size_t startUps() const;
    bool waitForStartUps(std::size_t n) const;
    bool waitUntilServing() const;
    // The user closes the program.
    int close();
    int waitForExit();
    std::filesystem::path settingsFile() const { return dir / "cfg" / "parameters.xml"; }
    // The simulator stand-in's objects that the program created and never removed, from the
    // stand-in's trace of every call and event.
    std::vector<std::uint32_t> objectsLeftInSimulator() const;
    // The console front-end's status display (only with the default front-end).
    std::vector<std::string> displayTexts() const;

    TempFolder dir;
    ProgramRtStandIn rt;
    int exitCode = -99;

private:
    std::filesystem::path startFolder_ = std::filesystem::current_path();
    std::vector<std::string> args_;
    std::thread thread_;
    HeadlessFrontEnd* headless_ = nullptr;
};

} // namespace vorl::test
