#include "RtTestSupport.h"

#include <cmath>

#include <fmt/format.h>

namespace vorl::test {

nlohmann::json makeLiveRecord(const std::string& hex, double lat, double lon, double altitude, double speed,
                              const std::string& callsign, const std::string& type, const std::string& registration) {
    using nlohmann::json;
    json r = json::array({hex, lat, lon, 10.0, altitude, speed, "1000", "X", type, registration, 0.0, "AMS", "LHR",
                          callsign, altitude > 0 ? 0 : 1, 0, "KL1001", "X_adsb_icao", altitude, 250, 280, 0.45,
                          0.0, 0.0, 9.0, 10.0, 0, "none", "A3", 1012.0, 5000, 5000, 10.0, "autopilot", 8, 186, 1, 10,
                          2, 0.2, -11.7, 0, 0, 243, 17, -2, 4, 1});
    return r;
}

standin::Scenario makeEhamScenario(int aircraft, int seconds, int qnh) {
    standin::Scenario scenario;
    for (int a = 0; a < aircraft; ++a) {
        const std::string hex = fmt::format("48{:04x}", 0x4000 + a);
        for (int t = 0; t < seconds; ++t) {
            const double lat = kEhamLat - 0.2 + 0.05 * a + t * 0.0005;
            scenario.addSample(hex, t, makeLiveRecord(hex, lat, kEhamLon + 0.1, 6000.0, 220.0, fmt::format("KLM{}", 100 + a)));
        }
    }
    scenario.addParked("484c01", 3600.0,
                       nlohmann::json::array({52.3101, 4.7612, "EHAM_D7", "B772", "PH-BQA", 0, "KLM605"}));
    scenario.addParked("484c02", 7200.0,
                       nlohmann::json::array({52.3110, 4.7650, "EHAM_E18", "B747", "PH-BFT", 0, "KLM686"}));
    scenario.addWeather("EHAM", kEhamLat, kEhamLon, 0.0, qnh, fmt::format("EHAM 060450Z 24012KT 9999 Q{}", qnh));
    scenario.addWeather("EHRD", 51.9569, 4.4372, 0.0, 1015, "EHRD 060450Z 22008KT 9999 Q1015");
    scenario.setDuration(seconds);
    return scenario;
}

RtHost HostRecorder::host() {
    RtHost h;
    h.requestStop = [this](int reason, int delay) {
        std::lock_guard lock(mutex);
        stops.emplace_back(reason, delay);
    };
    h.stopRequested = [this] { return stopped(); };
    h.setStatus = [this](const std::string& text, bool) {
        std::lock_guard lock(mutex);
        statuses.push_back(text);
    };
    h.showError = [this](const std::string& text) {
        std::lock_guard lock(mutex);
        errors.push_back(text);
    };
    h.setAuthenticated = [this](bool on) { authenticated.store(on); };
    h.publishQnh = [this](int qnh) {
        std::lock_guard lock(mutex);
        publishedQnhs.push_back(qnh);
        lastQnh.store(qnh);
    };
    return h;
}

bool HostRecorder::stopped() {
    std::lock_guard lock(mutex);
    return !stops.empty();
}

std::pair<int, int> HostRecorder::firstStop() {
    std::lock_guard lock(mutex);
    return stops.empty() ? std::pair{-1, -1} : stops.front();
}

standin::StandInOptions LinkFixture::fastOptions() {
    standin::StandInOptions options;
    options.rrlMs = 40;
    options.wrrlMs = 40;
    options.licenses = {"TEST-KEY"};
    options.expiredLicenses = {"OLD-KEY"};
    options.startAtSeconds = 30.0;
    return options;
}

TrafficHooks LinkFixture::hooks() {
    TrafficHooks h;
    h.settings = [this] { return settings; };
    h.currentAirport = [] { return AirportRef{kEhamLat, kEhamLon, -11.0}; };
    h.reservedStandName = [] { return std::string("EHAM_RESERVED"); };
    return h;
}

LinkFixture::LinkFixture(standin::StandInOptions options, standin::Scenario scenario, std::string license) {
    server = std::make_unique<standin::RtStandIn>(std::move(scenario), std::move(options));
    server->start(0);
    RtConfig config;
    config.baseUrl = server->baseUrl();
    config.license = std::move(license);
    link = std::make_unique<RtLink>(config, recorder.host(), hooks());
    link->setUserPosition({kEhamLat, kEhamLon}, 0.0);
    link->updateTrafficBox(settings.rangeNm);
    link->traffic().handOff().setAccepting(true);
}

LinkFixture::~LinkFixture() {
    link->stopReaders();
    link->joinReaders();
    link.reset();
    server->stop();
}

std::filesystem::path realFixture(const std::string& relative) {
    const std::filesystem::path path = std::filesystem::path(VORL_REAL_FIXTURES) / relative;
    return std::filesystem::exists(path) ? path : std::filesystem::path();
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

} // namespace vorl::test
