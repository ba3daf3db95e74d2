#include <cmath>
#include <optional>
#include <string>

#include <gsl/narrow>

#include "common/Log.h"
#include "rt/RtJson.h"
#include "rt/WeatherReader.h"

namespace vorl {

namespace {

constexpr int kStandardQnh = 1013;
// Lower than any sea-level pressure ever measured; the service's "no value" is -1.
constexpr int kLowestPlausibleQnh = 800;
// Beyond any pressure in hPa or hundredths of an inch of mercury.
constexpr double kLargestReading = 1e6;

int lf_noQnh() {
    logLine("No QNH found in data");
    return kStandardQnh;
}

} // namespace

int extractQNH(const nlohmann::json& data) {
    if (data.is_null() || ((data.is_object() || data.is_array()) && data.empty())) return lf_noQnh();
    if (!data.is_object()) return lf_noQnh();
    const auto it = data.find("QNH");
    if (it == data.end()) return lf_noQnh();
    int value = kStandardQnh;
    if (it->is_number_integer()) {
        value = gsl::narrow<int>(it->get<std::int64_t>());
    } else if (it->is_number_float()) {
        value = gsl::narrow<int>(std::round(it->get<double>()));
    } else if (it->is_string()) {
        // Texts such as "1009" or "1008.6" are numbers the service sent as strings.
        const std::optional<double> number = gf_jsonOptionalNumber(*it);
        if (!number || std::abs(*number) > kLargestReading) {
            logLine("{}: {}", "extractQNH", it->get_ref<const std::string&>());
            return kStandardQnh;
        }
        value = static_cast<int>(std::lround(*number));
    } else {
        return lf_noQnh();
    }
    // Stations in the Americas report inches of mercury, in hundredths.
    if (value > 1100) value = static_cast<int>(std::lround(value * 0.33865307));
    return value;
}

WeatherPressure gf_weatherPressure(const nlohmann::json& data) {
    WeatherPressure result;
    if (!data.is_object()) {
        result.note = "no data";
        return result;
    }
    static const nlohmann::json absent;
    const auto member = [](const nlohmann::json& object, const char* key) -> const nlohmann::json& {
        const auto it = object.find(key);
        return it == object.end() ? absent : *it;
    };
    const auto locWx = data.find("locWX");
    if (locWx != data.end() && locWx->is_object()) {
        const std::string_view error = gf_jsonText(member(*locWx, "Error"));
        const std::string_view info = gf_jsonText(member(*locWx, "Info"));
        if (!error.empty())
            result.note = error;
        else if (info.starts_with("error") || info.starts_with("Error"))
            result.note = info;
    }
    // "UNKN" stands for no station: its QNH is a placeholder 1013.
    const std::string_view station = gf_jsonText(member(data, "ICAO"));
    const auto qnh = data.find("QNH");
    if (station != "UNKN" && qnh != data.end() && gf_jsonOptionalNumber(*qnh)) {
        try {
            const int value = extractQNH(data);
            if (value >= kLowestPlausibleQnh) {
                result.qnh = value;
                return result;
            }
        } catch (const std::exception& e) {
            logLine("{}: {}", "extractQNH", e.what());
        }
    }
    // Without a station report the model's sea-level pressure at the position is the next best.
    if (locWx != data.end() && locWx->is_object()) {
        const std::optional<double> slp = gf_jsonOptionalNumber(member(*locWx, "SLP"));
        if (slp && *slp >= kLowestPlausibleQnh && *slp <= 1100.0) {
            result.qnh = static_cast<int>(std::lround(*slp));
            return result;
        }
    }
    if (result.note.empty()) result.note = station == "UNKN" ? "station UNKN" : "no QNH";
    return result;
}

std::string gf_nearestStation(const nlohmann::json& data) {
    const nlohmann::json* station = &data;
    if (data.is_array()) {
        if (data.empty()) return {};
        station = &data.front();
    }
    if (!station->is_object()) return {};
    const auto it = station->find("ICAO");
    return it == station->end() ? std::string() : std::string(gf_jsonText(*it));
}

} // namespace vorl
