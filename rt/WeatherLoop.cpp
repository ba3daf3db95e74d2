#include <algorithm>
#include <cmath>
#include <exception>

#include <fmt/format.h>

#include "common/Log.h"
#include "common/TimeStamp.h"
#include "rt/RtJson.h"
#include "rt/RtRequest.h"
#include "rt/TrafficReader.h"
#include "rt/WeatherReader.h"

namespace vorl {

namespace {

constexpr RtRequest kNearestRequest{"nmcurl_", "nmcurl_: failed to set URL", true};
constexpr RtRequest kWeatherRequest{"wrcurl_", "wrcurl_: failed to set URL", true};

} // namespace

void WeatherReader::storeQnh(int value) {
    qnh.exchange(value);
    traffic_.qnh.exchange(value);
    if (host_.publishQnh) host_.publishQnh(value);
    if (firstRequest_.exchange(false) && host_.setReaderState) host_.setReaderState(kName, 1);
}

bool WeatherReader::nearestMetar(std::int32_t& status) {
    weatherBuffer_.clear();
    LatLon user;
    {
        std::lock_guard lock(stateMutex_);
        user = userPosition_;
    }
    scratch = fmt::format("GUID={}&toffset={}&lat={:.4F}&lon={:.4F}", guid, timeShiftMinutes_.load(), user.lat, user.lon);
    gf_setUpRequest(nearestHandle_.get(), kNearestRequest, gf_rtUrl(config_, "/v5/nearestmetar"), scratch,
                    weatherBuffer_);
    const CURLcode code = curl_easy_perform(nearestHandle_.get());
    status = 0;
    if (code != CURLE_OK) {
        logLine("{} nearestmetar code: {}", gf_nowText(), curl_easy_strerror(code));
    } else if (weatherBuffer_.empty()) {
        logLine("nearest metar: empty content");
    } else if (!gf_parseJson(weatherBuffer_, reply)) {
        if (gf_isGatewayTimeoutPage(weatherBuffer_)) logLine("nearest metar: invalid JSON 504 Gateway Timeout");
        logLine("nearest metar: invalid JSON:\n{}\n", gf_bodyHead(weatherBuffer_));
    } else {
        status = static_cast<std::int32_t>(gf_jsonInt(reply, "status", 100));
        if (status == 200) {
            const auto data = reply.find("data");
            std::string station = data == reply.end() ? std::string() : gf_nearestStation(*data);
            if (!station.empty()) {
                {
                    std::lock_guard lock(stateMutex_);
                    station_ = std::move(station);
                }
                weatherValid.store(1);
                sleepInterruptible(*this, wrrl);
                return true;
            }
            std::lock_guard lock(stateMutex_);
            station_.clear();
        } else if (status == 406 || status == 500) {
            logLine("{} json nearestmetar {}", gf_nowText(), gf_jsonString(reply, "message", ""));
        }
    }
    sleepInterruptible(*this, wrrl);
    return false;
}

bool WeatherReader::weatherQuery(std::int32_t& status) {
    weatherBuffer_.clear();
    LatLon user;
    double altitude = 0.0;
    std::string station;
    {
        std::lock_guard lock(stateMutex_);
        user = userPosition_;
        altitude = userAltitude_;
        station = station_;
    }
    const long wholeFeet = altitude < 1.0 ? 0L : static_cast<long>(altitude);
    scratch = fmt::format("GUID={}&querytype=locwx&toffset={}&lat={:.4F}&lon={:.4F}&alt={}&airports={}", guid,
                          timeShiftMinutes_.load(), user.lat, user.lon, wholeFeet, station);
    gf_setUpRequest(weatherHandle_.get(), kWeatherRequest, gf_rtUrl(config_, "/v5/weather"), scratch, weatherBuffer_);
    const CURLcode code = curl_easy_perform(weatherHandle_.get());
    if (code != CURLE_OK) {
        logImportant("{} weather code: {}", gf_nowText(), curl_easy_strerror(code));
    } else if (weatherBuffer_.empty()) {
        logLine("Empty content?, no QNH to be found");
    } else if (!gf_parseJson(weatherBuffer_, reply)) {
        if (gf_isGatewayTimeoutPage(weatherBuffer_)) logLine("weather receive invalid JSON 504 Gateway Timeout");
        logLine("weather receive invalid JSON:\n{}\n", gf_bodyHead(weatherBuffer_));
    } else {
        const auto answer = static_cast<std::int32_t>(gf_jsonInt(reply, "status", 100));
        if (answer == 200) {
            wrrl = static_cast<std::int32_t>(gf_jsonInt(reply, "wrrl", 2000));
            const auto data = reply.find("data");
            const WeatherPressure pressure = gf_weatherPressure(data == reply.end() ? nlohmann::json() : *data);
            if (pressure.qnh) {
                const int value = std::clamp(*pressure.qnh, 900, 1100);
                if (value != qnh.load() || value == 1013) storeQnh(value);
                weatherValid.store(1);
            } else {
                // The last QNH stays: a placeholder 1013 would shift every altitude.
                logLine("{} weather without QNH: {}", gf_nowText(), pressure.note);
                weatherValid.store(0);
            }
        } else if (answer == 406 || answer == 500) {
            logLine("{} json weather {}", gf_nowText(), gf_jsonString(reply, "message", ""));
            weatherValid.store(0);
        } else {
            status = answer;
            return false;
        }
    }
    sleepInterruptible(*this, wrrl);
    return true;
}

std::int32_t WeatherReader::gf_weatherReader() {
    logLine("{} connected", kName);
    std::int32_t status = 0;
    if (guid.empty()) return status;
    while (!stop.load()) {
        std::int32_t nearestStatus = 0;
        if (!nearestMetar(nearestStatus)) {
            if (nearestStatus == 400 || nearestStatus == 401) {
                status = nearestStatus;
                break;
            }
            continue;
        }
        if (stop.load()) break;
        if (!weatherQuery(status)) break;
    }
    if (stop.load()) {
        status = kEnded;
        markEnded(true);
    }
    return status;
}

} // namespace vorl
