#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "standins/rt/Scenario.h"

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace vorl::standin {

// A misbehaviour of the stand-in on one endpoint: "auth", "deauth", "traffic" (live queries),
// "buffered", "parked", "nearestmetar", "weather", or "*" for all of them.
struct FaultRule {
    enum class Kind { Status, InvalidJson, Html504, Empty, Slow, Drop, NoWeather };
    std::string endpoint = "*";
    Kind kind = Kind::Status;
    int status = 500;  // Kind::Status
    int slowMs = 0;    // Kind::Slow: the delay before the normal answer
    int after = 0;     // requests at the endpoint answered normally first
    int times = -1;    // how often the fault strikes; -1 always
};

// Parses "endpoint,kind[,after=N][,times=N]" with kind one of status=NNN, invalid-json,
// html-504, empty, slow=MS, drop, no-weather. Throws std::invalid_argument for anything else.
FaultRule gf_parseFaultRule(const std::string& text);

struct StandInOptions {
    int rrlMs = 2000;
    int wrrlMs = 2000;
    int sessionTimeoutSeconds = 120;
    int maxSessionsPerLicense = 1;
    std::vector<std::string> licenses;        // accepted keys; empty: any non-empty key
    std::vector<std::string> expiredLicenses; // answered with 402
    double startAtSeconds = 0.0;              // scenario time at server start
    int extraRecordElements = 0;              // 1 sends 49-element records like newer servers
    bool qnhInHg = false;                     // QNH as inches of mercury x 100
    bool mirrorHttpStatus = true;             // the HTTP status line repeats the JSON status
    std::string serverName = "rtw01a";
    std::vector<FaultRule> faults;
};

// A loopback server that answers like the RealTraffic v5 API from a recorded scenario.
class RtStandIn {
public:
    RtStandIn(Scenario scenario, StandInOptions options);
    ~RtStandIn();
    RtStandIn(const RtStandIn&) = delete;
    RtStandIn& operator=(const RtStandIn&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free port. Returns the port.
    int start(int port = 0);
    int port() const { return port_; }
    std::string baseUrl() const;
    void stop();

    // Changed rate limits apply to the next answers.
    void setRateLimits(int rrlMs, int wrrlMs);
    // Every GUID becomes unknown: later calls get 401.
    void expireSessions();

    int requestCount(const std::string& endpoint) const;
    std::string lastBody(const std::string& endpoint) const;
    std::size_t sessionCount() const;
    int rateViolations() const { return rateViolations_.load(); }

private:
    struct Session {
        std::string license;
        std::chrono::steady_clock::time_point created;
        std::chrono::steady_clock::time_point lastUse;
        std::optional<std::chrono::steady_clock::time_point> lastTraffic;
        std::optional<std::chrono::steady_clock::time_point> lastWeather;
        // When the model weather was last sent: within a minute only "TinyDelta" is.
        std::optional<std::chrono::steady_clock::time_point> lastLocWx;
        // The limits the session was last told; a changed limit reaches it with the next answer.
        int promisedRrlMs = 2000;
        int promisedWrrlMs = 2000;
    };
    enum class Pace { Traffic, Weather, None };

    void handle(const std::string& path, const httplib::Request& request, httplib::Response& response);
    // True when a fault answered the request.
    bool applyFault(const std::string& endpoint, int count, httplib::Response& response);
    void answer(httplib::Response& response, int status, const std::string& json) const;
    void answerError(httplib::Response& response, int status, const std::string& message,
                     const nlohmann::json& extra = nlohmann::json::object()) const;
    // Checks the GUID and the rate limit; answers and returns nullptr when the call is refused.
    // The limit comes back in `promisedMs` (the one the session has been told).
    Session* admit(const httplib::Request& request, httplib::Response& response, Pace pace, int* promisedMs = nullptr);
    void purgeExpired();
    // Tells the session the current limit of `pace` with this answer; returns it.
    int promise(const httplib::Request& request, Pace pace);
    // The service's answer when it has no weather: status 200, station "UNKN", QNH 1013.
    void noWeatherAnswer(httplib::Response& response, const std::string& error);

    std::string authAnswer(const httplib::Request& request, httplib::Response& response);
    void trafficAnswer(const httplib::Request& request, httplib::Response& response, const std::string& endpoint);
    void nearestMetarAnswer(const httplib::Request& request, httplib::Response& response);
    void weatherAnswer(const httplib::Request& request, httplib::Response& response);
    void deauthAnswer(const httplib::Request& request, httplib::Response& response);

    // Where the replay stands `secondsBefore` before now, looping over the scenario.
    double scenarioTime(int toffsetMinutes, double secondsBefore = 0.0) const;

    Scenario scenario_;
    StandInOptions options_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::chrono::steady_clock::time_point startedAt_;
    mutable std::mutex mutex_;
    std::map<std::string, Session> sessions_;
    std::map<std::string, int> counts_;
    std::map<std::string, std::string> lastBodies_;
    std::vector<int> faultHits_;
    std::mt19937_64 random_{20261206};
    std::atomic<int> rateViolations_{0};
};

} // namespace vorl::standin
