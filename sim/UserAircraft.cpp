#include "sim/UserAircraft.h"

#include <array>
#include <string_view>

#include "sim/SimModelLookup.h"

namespace vorl {
namespace {

// Days from 1970-01-01 to the first of January of `year` (proleptic Gregorian).
std::int64_t lf_daysToYear(std::int64_t year) {
    const auto leapsBefore = [](std::int64_t y) { return y / 4 - y / 100 + y / 400; };
    return (year - 1970) * 365 + (leapsBefore(year - 1) - leapsBefore(1969));
}

} // namespace

std::int64_t gf_simTimeEpoch(std::int64_t zuluYear, std::int64_t zuluDayOfYear, std::int64_t zuluTime) {
    return (lf_daysToYear(zuluYear) + zuluDayOfYear - 1) * 86400 + zuluTime;
}

std::string gf_normaliseUserModel(const std::string& rawModel, const std::string& title) {
    struct Rename {
        std::string_view from;
        std::string_view to;
    };
    static constexpr std::array<Rename, 4> renames{
        {{"A350-900", "A359"}, {"N738B", "B38M"}, {"777", "772"}, {"A330-200 (RR)", "A332"}}};
    std::string model = rawModel;
    for (const auto& rename : renames)
        if (model == rename.from) model = rename.to;

    if (const auto p = model.find(".0.text"); p != std::string::npos) {
        // Some models only name a texture; the type code is just in front of it.
        for (std::size_t n : {4u, 3u, 2u}) {
            if (p < n) continue;
            const std::string candidate = model.substr(p - n, n);
            if (gf_simHalfWingspanNm(candidate).value_or(0.0) != 0.0) {
                model = candidate;
                break;
            }
        }
    } else if (model.rfind("$$:", 0) == 0 && model.size() >= 5) {
        model.erase(0, 3);
    } else if (model == "737") {
        if (title.find("DG 737-800") != std::string::npos) model = "B738";
        else if (title.find("DG 737-700") != std::string::npos) model = "B737";
        else if (title.find("DG 737-600") != std::string::npos) model = "B736";
        else if (title.find("DG 737-900") != std::string::npos) model = "B739";
    }
    return model;
}

} // namespace vorl
