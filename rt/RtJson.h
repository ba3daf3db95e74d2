#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vorl {

// Reading the loosely typed fields of RealTraffic answers.

// A member that is present and a whole number (an integer, an integral float, or a text holding
// one), else `fallback`.
std::int64_t gf_jsonInt(const nlohmann::json& object, const char* key, std::int64_t fallback);

// A number, or a text that is a whole decimal number ("1009", " -3.5"); nothing for JSON null,
// the text "null" and anything else.
std::optional<double> gf_jsonOptionalNumber(const nlohmann::json& value);

// As gf_jsonOptionalNumber, with 0 for what is not a number.
double gf_jsonNumber(const nlohmann::json& value);

// The text of a string value; other types and the string "null" give the empty text.
std::string_view gf_jsonText(const nlohmann::json& value);

// A string member, or `fallback` when absent or not a string.
std::string gf_jsonString(const nlohmann::json& object, const char* key, const char* fallback);

// Parses `body` without throwing; false when it is not JSON.
bool gf_parseJson(const std::string& body, nlohmann::json& out);

// At most the first 256 bytes of a body, for log lines.
std::string_view gf_bodyHead(const std::string& body);

// True when a non-JSON body is the gateway's time-out page.
bool gf_isGatewayTimeoutPage(const std::string& body);

} // namespace vorl
