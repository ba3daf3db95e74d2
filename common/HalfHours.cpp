#include "common/HalfHours.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "common/Log.h"

namespace vorl {
namespace {

std::string_view lf_trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> lf_halfHour(std::string_view part, std::string_view whole) {
    part = lf_trim(part);
    int value = -1;
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || ec != std::errc{} || ptr != part.data() + part.size() || value < 0 || value > 47) {
        logImportant("{} invalid hour '{}' in {}", "operator ()", part, whole);
        return std::nullopt;
    }
    return value;
}

} // namespace

HalfHourSet gf_hours2bitset(std::string_view input) {
    const std::string_view text = lf_trim(input);
    HalfHourSet set;
    const auto colons = std::count(text.begin(), text.end(), ':');
    if (colons > 1) {
        logImportant("{} more than one colon char in: {}", "gf_hours2bitset", text);
        return {};
    }
    if (colons == 0) {
        const auto hour = lf_halfHour(text, text);
        if (hour) set.set(static_cast<std::size_t>(*hour));
        return set;
    }
    const auto colon = text.find(':');
    const std::string_view from = lf_trim(text.substr(0, colon));
    const std::string_view to = lf_trim(text.substr(colon + 1));
    if (from.empty() || to.empty()) {
        logImportant("{} invalid range format in {}", "gf_hours2bitset", text);
        return {};
    }
    const auto a = lf_halfHour(from, text);
    if (!a) return {};
    const auto b = lf_halfHour(to, text);
    if (!b) return {};
    if (*a > *b) {
        logImportant("{} descending range not allowed ({}:{} in {})", "gf_hours2bitset", *a, *b, text);
        return {};
    }
    for (int i = *a; i <= *b; ++i) set.set(static_cast<std::size_t>(i));
    return set;
}

} // namespace vorl
