#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <exception>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include <fmt/format.h>
#include <gsl/narrow>

#include "common/Geodesy.h"
#include "common/Log.h"
#include "common/TimeStamp.h"
#include "rt/HexId.h"
#include "rt/RtJson.h"
#include "rt/RtRequest.h"
#include "rt/TrafficReader.h"

namespace vorl {

namespace {

constexpr RtRequest kParkedRequest{"ptcurl_", "ptcurl_: failed to set URL", true};
constexpr double kParkedHalfHeightDeg = 0.04996402877697842; // 3 NM of latitude
constexpr double kParkedHalfWidthFeet = 18228.34647;          // 3 NM
// Far beyond any real time stamp, and still a year the calendar functions can take.
constexpr double kLatestConvertibleTime = 1e12;

std::int32_t lf_halfHourSlotOf(std::time_t seconds) {
    std::tm utc{};
    if (!gf_utcCalendar(seconds, utc)) return -1;
    return utc.tm_hour * 2 + (utc.tm_min >= 30 ? 1 : 0);
}

// RealTraffic reports some families by their generic designator; the model database knows the
// variant that flies most.
std::string_view lf_familyVariant(std::string_view type) {
    if (type == "A380") return "A388";
    if (type == "B767") return "B763";
    if (type == "B747") return "B744";
    if (type == "B757") return "B752";
    return type;
}

void lf_cleanParkedCallsign(std::string& callsign) {
    if (callsign.find('@') != std::string::npos || (callsign.size() > 4 && callsign.find("00000") != std::string::npos) ||
        callsign.size() > 8)
        callsign.clear();
    if (!callsign.empty() && callsign.front() == '.') callsign.erase(0, 1);
}

} // namespace

bool TrafficReader::processParkedTrafficLine(const std::string& key) {
    const nlohmann::json& r = parkedItem_;
    ParkedRecord record;
    record.key = key;
    record.hexId = gf_parseHexId(key);
    if (record.hexId <= kLowestLiveId) return false;

    // The service stamps most parked aircraft in whole seconds, some with fractions.
    const double dataTime = std::round(gf_jsonNumber(r[5]));
    record.halfHourSlot = std::abs(dataTime) < kLatestConvertibleTime
                              ? lf_halfHourSlotOf(static_cast<std::time_t>(gsl::narrow<std::int64_t>(dataTime)))
                              : -1;

    const std::string_view registration = gf_jsonText(r[4]);
    if (registration.size() <= 12) record.registration = registration;

    const std::string_view rawType = gf_jsonText(r[3]);
    if (rawType.empty()) return false;
    const std::string_view type = lf_familyVariant(rawType);
    KnownType known;
    if (hooks_.knownType) {
        const std::optional<KnownType> found = hooks_.knownType(type);
        if (!found) return false;
        known = *found;
    }
    record.type = type;
    record.code.typeIndex = known.typeIndex;

    record.lat = gf_jsonNumber(r[0]);
    record.lon = gf_jsonNumber(r[1]);
    gf_checkLatLon(record.lat, record.lon);

    record.callsign = gf_jsonText(r[6]);
    lf_cleanParkedCallsign(record.callsign);

    const bool registrationEmpty = record.registration.empty();
    const std::string& lookupKey = registrationEmpty ? record.callsign : record.registration;
    if (hooks_.lookupRegistration && !lookupKey.empty()) {
        if (const std::optional<RegistrationHit> hit = hooks_.lookupRegistration(lookupKey)) {
            const std::uint16_t typeIndex = record.code.typeIndex;
            record.code = hit->code;
            record.code.typeIndex = typeIndex;
            if (hit->namesOperator) record.code.airlineIndex = hit->code.operatorIndex;
            if (registrationEmpty)
                record.registration = record.callsign;
            else if (record.callsign.empty())
                record.callsign = record.registration;
        }
    }

    switch (known.category) {
    case AircraftCategory::Light:
        if (!settings_.lightAircraft) return false;
        break;
    case AircraftCategory::HighPerf:
        if (!settings_.highPerfAircraft) return false;
        break;
    case AircraftCategory::Rotorcraft:
        if (!settings_.helicopters) return false;
        break;
    default:
        break;
    }

    record.standName = gf_jsonText(r[2]);
    const std::string reserved = hooks_.reservedStandName ? hooks_.reservedStandName() : std::string();
    if (record.standName == reserved) return false;
    if (hooks_.userStandName && record.standName == hooks_.userStandName()) return false;
    parked_.push_back(std::move(record));
    return true;
}

void TrafficReader::parkedQuery() {
    try {
        curl_easy_reset(parkedHandle_.get());
        if (guid.empty()) {
            parkedStatus_.store(1);
            return;
        }
        trafficBuffer_.clear();
        parked_.clear();
        TrafficBox box;
        {
            std::lock_guard lock(positionMutex_);
            box = parkedBox_;
        }
        scratch = trafficBody(box, "parkedtraffic");
        gf_setUpRequest(parkedHandle_.get(), kParkedRequest, gf_rtUrl(config_, "/v5/traffic"), scratch, trafficBuffer_);
        const CURLcode code = curl_easy_perform(parkedHandle_.get());
        if (code != CURLE_OK) {
            logImportant("{} curl parkedtraffic code: {}", gf_nowText(), curl_easy_strerror(code));
            parkedStatus_.store(1);
            return;
        }
        if (trafficBuffer_.empty()) {
            logLine("parkedtraffic: empty content");
            parkedStatus_.store(1);
            return;
        }
        if (!gf_parseJson(trafficBuffer_, reply)) {
            logLine("parkedtraffic invalid JSON:\n{}\n", gf_bodyHead(trafficBuffer_));
            parkedStatus_.store(1);
            return;
        }
        const auto status = static_cast<std::int32_t>(gf_jsonInt(reply, "status", 100));
        if (status == 406) {
            logLine("parkedtraffic msg: {}", gf_jsonString(reply, "message", ""));
            parkedStatus_.store(0);
            return;
        }
        if (status != 200) {
            parkedStatus_.store(status);
            return;
        }
        rrl = static_cast<std::int32_t>(gf_jsonInt(reply, "rrl", 2000));
        nlohmann::json data = std::move(reply["data"]);
        if (data.is_object() || data.is_array()) {
            std::size_t index = 0;
            for (auto& [key, value] : data.items()) {
                const std::string name = data.is_array() ? std::to_string(index) : key;
                ++index;
                if (value.is_null() || ((value.is_array() || value.is_object()) && value.empty())) continue;
                // Fewer than the seven known elements is not a parked record.
                if (!value.is_array() || value.size() < 7) continue;
                parkedItem_ = std::move(value);
                processParkedTrafficLine(name);
            }
        }
        parkedStatus_.store(0);
    } catch (const std::exception& e) {
        logImportant("{}: {}", "parkedtraffic", e.what());
        parkedStatus_.store(1);
    }
}

bool TrafficReader::requestParkedTraffic(LatLon airport, int maxAgeHalfHours, bool keepAll) {
    {
        std::lock_guard lock(positionMutex_);
        parkedBox_.top = airport.lat + kParkedHalfHeightDeg;
        parkedBox_.bottom = airport.lat - kParkedHalfHeightDeg;
        parkedBox_.left = gf_destinationPoint(airport, -90.0, kParkedHalfWidthFeet).lon;
        parkedBox_.right = gf_destinationPoint(airport, 90.0, kParkedHalfWidthFeet).lon;
    }
    parkedStatus_.store(-1);
    parkedRequested_.store(true);
    using namespace std::chrono_literals;
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(100ms);
    while (parkedStatus_.load() == -1) {
        if (std::chrono::steady_clock::now() - start > 10s) {
            logLine("ParkedTraffic receiving timed out after 10 seconds");
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    const std::int32_t status = parkedStatus_.load();
    if (status == 0) {
        const std::int32_t now = lf_halfHourSlotOf(std::time(nullptr));
        for (auto& record : parked_) record.halfHourSlot = ((now - record.halfHourSlot) % 48 + 48) % 48;
        if (!keepAll)
            std::erase_if(parked_, [&](const ParkedRecord& record) { return record.halfHourSlot > maxAgeHalfHours; });
        std::stable_sort(parked_.begin(), parked_.end(),
                         [](const ParkedRecord& a, const ParkedRecord& b) { return a.halfHourSlot < b.halfHourSlot; });
        std::unordered_set<std::string> keys;
        std::unordered_set<std::string> callsigns;
        std::erase_if(parked_, [&](const ParkedRecord& record) {
            const bool duplicate = !keys.insert(record.key).second ||
                                   (!record.callsign.empty() && !callsigns.insert(record.callsign).second);
            return duplicate;
        });
        return true;
    }
    if (status == 1) return false;
    if (status == 400) throw std::runtime_error("RT API parameter fault");
    if (status == 403) throw std::runtime_error("RT API holds no parked traffic for this kind of access");
    if (status == 401) {
        logLine("RT Parkedtraffic: re-authentication to RT API is needed {}", "VORL");
        return false;
    }
    logLine("RT Parkedtraffic error status: {}", status);
    return false;
}

} // namespace vorl
