#include "rt/WeatherReader.h"

#include <chrono>
#include <exception>
#include <thread>

#include <fmt/format.h>

#include "common/Log.h"
#include "common/TimeStamp.h"
#include "common/VersionInfo.h"
#include "rt/RtJson.h"
#include "rt/RtRequest.h"
#include "rt/TrafficReader.h"

namespace vorl {

namespace {

constexpr RtRequest kLoginRequest{"aucurl_", "TrafficReader failed to set CURLOPT_URL", false};
constexpr RtRequest kLogoutRequest{"aucurl_", "Failed to set CURLOPT_URL", false};

std::string lf_versionText(const RtConfig& config) {
    if (!config.softwareVersion.empty()) return config.softwareVersion;
    return fmt::format("{}.{}.{}", kVersionMajor, kVersionMinor, kVersionPatch);
}

} // namespace

WeatherReader::WeatherReader(const RtConfig& config, RtHost host, TrafficReader& traffic)
    : RtConnection("aucurl_"), config_(config), host_(std::move(host)), traffic_(traffic),
      nearestHandle_(gf_makeCurlHandle("nmcurl_")), weatherHandle_(gf_makeCurlHandle("wrcurl_")) {}

void WeatherReader::reset() {
    RtConnection::reset();
    nearestHandle_ = gf_makeCurlHandle("nmcurl_");
    weatherHandle_ = gf_makeCurlHandle("wrcurl_");
    weatherBuffer_.clear();
    {
        std::lock_guard lock(stateMutex_);
        station_.clear();
    }
    qnh.store(1013);
    weatherValid.store(0);
    firstRequest_.store(true);
}

void WeatherReader::setUserPosition(LatLon position, double altitudeFeet) {
    std::lock_guard lock(stateMutex_);
    userPosition_ = position;
    userAltitude_ = altitudeFeet;
}

std::string WeatherReader::stationCode() const {
    std::lock_guard lock(stateMutex_);
    return station_;
}

bool WeatherReader::authenticate(int& status) {
    try {
        buffer.clear();
        // The body holds the access key: it goes to libcurl only, never into a log line.
        scratch = fmt::format("license={}&software={}_{}", config_.license, config_.softwareName, lf_versionText(config_));
        gf_setUpRequest(handle.get(), kLoginRequest, gf_rtUrl(config_, "/v5/auth"), scratch, buffer);
        const CURLcode code = curl_easy_perform(handle.get());
        scratch.clear();
        if (code != CURLE_OK) {
            logLine("{} Authentication failed: {}", gf_nowText(), curl_easy_strerror(code));
            return false;
        }
        if (buffer.empty()) {
            logLine("Authentication: empty response");
            return false;
        }
        if (!gf_parseJson(buffer, reply)) {
            logLine("authentication, invalid JSON:\n{}\n", gf_bodyHead(buffer));
            return false;
        }
        if (reply.is_object()) {
            const auto value = gf_jsonInt(reply, "status", 0);
            if (value == 400 || value == 402 || value == 404 || value == 405 || value == 500) {
                status = static_cast<int>(value);
                return false;
            }
        }
        rrl = static_cast<std::int32_t>(gf_jsonInt(reply, "rrl", 2000));
        wrrl = static_cast<std::int32_t>(gf_jsonInt(reply, "wrrl", 2000));
        logLine("\nAuthenticated at RT server '{}'", gf_jsonString(reply, "server", "?"));
        guid = gf_jsonString(reply, "GUID", "empty GUID?");
        authenticated_.store(true);
        if (host_.setAuthenticated) host_.setAuthenticated(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(wrrl));
        return true;
    } catch (const std::exception& e) {
        scratch.clear();
        logImportant("{}: {}", "authenticate", e.what());
        std::this_thread::sleep_for(std::chrono::milliseconds(wrrl));
        return false;
    }
}

void WeatherReader::deauthenticate() {
    try {
        buffer.clear();
        scratch = fmt::format("GUID={}", guid);
        gf_setUpRequest(handle.get(), kLogoutRequest, gf_rtUrl(config_, "/v5/deauth"), scratch, buffer);
        const CURLcode code = curl_easy_perform(handle.get());
        if (code != CURLE_OK) {
            logLine("{} Deauthentication failed: {}", gf_nowText(), curl_easy_strerror(code));
            return;
        }
        if (buffer.empty()) {
            logLine("Deauthentication: empty response");
            return;
        }
        if (!gf_parseJson(buffer, reply)) {
            logLine("deauthentication, invalid JSON:\n{}\n", gf_bodyHead(buffer));
            return;
        }
        const auto status = gf_jsonInt(reply, "status", 100);
        if (status != 200) {
            logImportant("Deauthentication failed, status: {}", status);
            return;
        }
        authenticated_.store(false);
        if (host_.setAuthenticated) host_.setAuthenticated(false);
        guid.clear();
        logLine("{} RT server '{}'", gf_jsonString(reply, "message", ""), gf_jsonString(reply, "server", ""));
    } catch (const std::exception& e) {
        logImportant("{}: {}", "deauthenticate", e.what());
    }
}

} // namespace vorl
