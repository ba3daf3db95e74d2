#include "rt/RtJson.h"

#include <charconv>
#include <cmath>

namespace vorl {

namespace {

// The service sends some numbers as texts; blanks around them are tolerated, nothing else.
std::optional<double> lf_numberInText(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

} // namespace

std::int64_t gf_jsonInt(const nlohmann::json& object, const char* key, std::int64_t fallback) {
    if (!object.is_object()) return fallback;
    const auto it = object.find(key);
    if (it == object.end()) return fallback;
    if (it->is_number_integer()) return it->get<std::int64_t>();
    const std::optional<double> value = gf_jsonOptionalNumber(*it);
    // Within +-2^53 every whole double is exact and fits the result.
    if (!value || *value != std::floor(*value) || std::abs(*value) > 9007199254740992.0) return fallback;
    return static_cast<std::int64_t>(*value);
}

std::optional<double> gf_jsonOptionalNumber(const nlohmann::json& value) {
    if (value.is_number_float()) return value.get<double>();
    if (value.is_number_unsigned()) return static_cast<double>(value.get<std::uint64_t>());
    if (value.is_number_integer()) return static_cast<double>(value.get<std::int64_t>());
    if (value.is_string()) return lf_numberInText(value.get_ref<const std::string&>());
    return std::nullopt;
}

double gf_jsonNumber(const nlohmann::json& value) { return gf_jsonOptionalNumber(value).value_or(0.0); }

std::string_view gf_jsonText(const nlohmann::json& value) {
    if (!value.is_string()) return {};
    const std::string& text = value.get_ref<const std::string&>();
    if (text == "null") return {};
    return text;
}

std::string gf_jsonString(const nlohmann::json& object, const char* key, const char* fallback) {
    if (!object.is_object()) return fallback;
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return fallback;
    return it->get<std::string>();
}

bool gf_parseJson(const std::string& body, nlohmann::json& out) {
    out = nlohmann::json::parse(body, nullptr, false);
    return !out.is_discarded();
}

std::string_view gf_bodyHead(const std::string& body) {
    return std::string_view(body).substr(0, 256);
}

bool gf_isGatewayTimeoutPage(const std::string& body) {
    return body.size() >= 19 && body.find("504 Gateway Timeout") != std::string::npos;
}

} // namespace vorl
