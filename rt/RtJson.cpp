#include "rt/RtJson.h"

namespace vorl {

std::int64_t gf_jsonInt(const nlohmann::json& object, const char* key, std::int64_t fallback) {
    if (!object.is_object()) return fallback;
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_integer()) return fallback;
    return it->get<std::int64_t>();
}

double gf_jsonNumber(const nlohmann::json& value) {
    if (value.is_number_float()) return value.get<double>();
    if (value.is_number_unsigned()) return static_cast<double>(value.get<std::uint64_t>());
    if (value.is_number_integer()) return static_cast<double>(value.get<std::int64_t>());
    return 0.0;
}

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
