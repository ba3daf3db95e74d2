#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "standins/rt/RtStandIn.h"

namespace vorl::test {

// A RealTraffic stand-in replaying a small EHAM scenario for whole-program runs, and the settings
// file that points the program at it with an accepted key.
struct ProgramRtStandIn {
    // What a test adds to the scenario: aircraft of its own, live or parked.
    using MoreTraffic = std::function<void(standin::Scenario&)>;

    // `faults`: misbehaviours of the server, as "endpoint,kind[,after=N][,times=N]".
    explicit ProgramRtStandIn(const std::vector<std::string>& faults = {}, const MoreTraffic& moreTraffic = {});
    ~ProgramRtStandIn();

    std::string url() const;
    // A settings file holding the stand-in's address and key, then `moreParameters` (further
    // <parameter .../> elements).
    void writeSettings(const std::filesystem::path& file, const std::string& moreParameters = {}) const;

    std::unique_ptr<standin::RtStandIn> server;
};

} // namespace vorl::test
