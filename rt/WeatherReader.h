#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "common/Geodesy.h"
#include "rt/RtConfig.h"
#include "rt/RtConnection.h"
#include "rt/RtHost.h"

namespace vorl {

class TrafficReader;

// The QNH in hPa from the "data" member of a weather answer; 1013 when none can be read.
int extractQNH(const nlohmann::json& data);

// What a weather answer's "data" says about the pressure. The service answers status 200 also
// when it has no weather (unknown station, model data being fetched or failing); then `qnh` is
// empty and `note` tells why.
struct WeatherPressure {
    std::optional<int> qnh;
    std::string note;
};
WeatherPressure gf_weatherPressure(const nlohmann::json& data);

// The station code of a nearest-METAR answer's "data": the first station of a list, or the one
// station sent as an object; empty when it names none.
std::string gf_nearestStation(const nlohmann::json& data);

// Login, logout and the weather queries ("Weather Reader" thread). Its GUID is the session's.
class WeatherReader : public RtConnection {
public:
    static constexpr const char* kName = "Weather Reader";
    static constexpr std::int32_t kEnded = 9999;

    WeatherReader(const RtConfig& config, RtHost host, TrafficReader& traffic);

    void reset() override;

    // Login at "/v5/auth". `status` receives a refusing status (400, 402, 404, 405, 500).
    bool authenticate(int& status);
    // Logout at "/v5/deauth"; clears the GUID when the server confirms.
    void deauthenticate();

    // Simulator side: user position and altitude in feet, written as one unit.
    void setUserPosition(LatLon position, double altitudeFeet);
    void setTimeShiftMinutes(int minutes) { timeShiftMinutes_.store(minutes); }

    // The thread body; 9999 when stopped on request, else the status that ended it.
    std::int32_t gf_weatherReader();

    std::atomic<std::int32_t> qnh{1013};
    std::atomic<std::uint8_t> weatherValid{0};
    std::string stationCode() const;
    bool authenticated() const { return authenticated_.load(); }

private:
    bool nearestMetar(std::int32_t& status);
    // One weather query; false when the loop must end with `status`.
    bool weatherQuery(std::int32_t& status);
    void storeQnh(int value);

    RtConfig config_;
    RtHost host_;
    TrafficReader& traffic_;
    CurlHandle nearestHandle_;
    CurlHandle weatherHandle_;
    std::string weatherBuffer_;
    mutable std::mutex stateMutex_;
    std::string station_;
    LatLon userPosition_{0.0, 0.0};
    double userAltitude_ = 0.0;
    std::atomic<int> timeShiftMinutes_{0};
    std::atomic<bool> firstRequest_{true};
    std::atomic<bool> authenticated_{false};
};

} // namespace vorl
