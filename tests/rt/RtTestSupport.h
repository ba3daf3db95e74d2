#pragma once
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "rt/RtLink.h"
#include "standins/rt/RtStandIn.h"

namespace vorl::test {

inline constexpr double kEhamLat = 52.3086;
inline constexpr double kEhamLon = 4.7639;

// One 48-element live record with realistic empty values.
nlohmann::json makeLiveRecord(const std::string& hex, double lat, double lon, double altitude, double speed,
                              const std::string& callsign, const std::string& type = "B738",
                              const std::string& registration = "PH-BXA");

// A few aircraft around EHAM moving slowly north, one sample a second for `seconds`, plus a
// parked aircraft and the EHAM weather station with `qnh`.
standin::Scenario makeEhamScenario(int aircraft = 6, int seconds = 120, int qnh = 1009);

// What the link asked of the rest of the program.
struct HostRecorder {
    std::mutex mutex;
    std::vector<std::pair<int, int>> stops; // reason, delay
    std::vector<std::string> errors;
    std::vector<std::string> statuses;
    std::atomic<int> lastQnh{0};
    std::vector<int> publishedQnhs; // every QNH published, under `mutex`
    std::atomic<bool> authenticated{false};
    RtHost host();
    bool stopped();
    std::pair<int, int> firstStop();
};

// A stand-in with short rate limits, a link pointed at it, and the user at EHAM.
struct LinkFixture {
    explicit LinkFixture(standin::StandInOptions options = fastOptions(), standin::Scenario scenario = makeEhamScenario(),
                         std::string license = "TEST-KEY");
    ~LinkFixture();
    static standin::StandInOptions fastOptions();
    TrafficHooks hooks();

    HostRecorder recorder;
    TrafficSettings settings;
    std::unique_ptr<standin::RtStandIn> server;
    std::unique_ptr<RtLink> link;
};

// A file of the shared real samples (answers and files written by others), or the empty path when
// the samples are not at hand.
std::filesystem::path realFixture(const std::string& relative);

// Polls `condition` every 10 ms for at most `limit`; true when it became true.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::milliseconds(4000));

} // namespace vorl::test
