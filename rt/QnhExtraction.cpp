#include <cmath>
#include <string>

#include <gsl/narrow>

#include "common/Log.h"
#include "rt/WeatherReader.h"

namespace vorl {

namespace {

constexpr int kStandardQnh = 1013;

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
        const std::string& text = it->get_ref<const std::string&>();
        try {
            std::size_t used = 0;
            value = std::stoi(text, &used, 10);
        } catch (const std::exception&) {
            logLine("{}: {}", "extractQNH", text);
            return kStandardQnh;
        }
    } else {
        return lf_noQnh();
    }
    // Stations in the Americas report inches of mercury, in hundredths.
    if (value > 1100) value = static_cast<int>(std::lround(value * 0.33865307));
    return value;
}

} // namespace vorl
