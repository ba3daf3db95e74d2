#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/SimHooks.h"
#include "sim/SimOutbox.h"
#include "standins/sim/SimStandIn.h"
#include "tests/support/TempFolder.h"

namespace vorl::test {

// A simulator link running against the stand-in, its links to the program played by the test:
// the program's own stop request, status line and log, a small model database, no stands.
class SimLinkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The session takes `hooks` as they are now.
    void connectHooks();

    // A stand-in on a manual clock unless the config says otherwise; the SimClient starts.
    standin::SimStandIn& start(standin::SimStandInConfig config = {});
    // Connected, the flight running and the user state received.
    void connect(standin::SimStandInConfig config = {});

    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // One run-loop cycle followed by one simulator frame.
    void cycle();
    void cycles(int count);

    std::vector<nlohmann::json> calls(const std::string& name) const;
    std::vector<nlohmann::json> events(const std::string& name) const;
    std::string logText() const;

    SimHooks hooks;
    standin::SimStandIn* standIn = nullptr;
    std::uint64_t cycleCount = 0;
    std::unique_ptr<TempFolder> temp;
};

// A livery title the stand-in knows.
inline const std::string kA320Title = "FSLTL A320 Air France F-GKXA";

// A creation request near the user at Schiphol.
vorl::CreateRequest makeCreateRequest(const std::string& callsign, std::uint32_t aircraftId,
                                const std::string& title = kA320Title);

} // namespace vorl::test
