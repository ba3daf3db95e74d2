#include "app/LiveryMatching.h"

#include <fmt/format.h>

#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "common/Log.h"
#include "common/UserErrorException.h"
#include "models/LiveryCatalogue.h"
#include "models/ModelDatabase.h"
#include "sim/LiveAircraft.h"

namespace vorl {
namespace {

constexpr std::size_t kTooManyFailedTitles = 20;

} // namespace

LiveryMatching::LiveryMatching(LiveryCatalogue& catalogue, ModelDatabase& models, const Parameters& params,
                               StatusBoard& status)
    : catalogue_(catalogue), models_(models), params_(params), status_(status) {}

std::optional<std::string> LiveryMatching::matchLive(const LiveAircraft& a) {
    LiveryQuery query;
    query.code = a.code;
    query.category = a.category;
    query.registration = a.registration;
    query.label = a.presence.label;
    query.callsign = a.presence.callsign;
    const auto choice = catalogue_.matchLive(query, params_.MATCHING_DEPTH.value());
    if (!choice) return std::nullopt;
    return choice->title;
}

std::optional<std::string> LiveryMatching::matchStatic(const ModelCode& code, const std::string& registration,
                                                       bool atCargoStand) {
    LiveryQuery query;
    query.code = code;
    if (models_.isCargoOperator(code.airlineIndex)) query.code.cargo = 1;
    query.cargoHint = atCargoStand;
    query.category = models_.category(code.typeIndex);
    query.registration = registration;
    query.label = fmt::format("{} {} {}", models_.airlineOf(code.airlineIndex), models_.typeOf(code.typeIndex), registration);
    query.callsign = registration;
    const auto choice = catalogue_.matchParked(query, {}, params_.MATCHING_DEPTH.value());
    if (!choice) return std::nullopt;
    return choice->title;
}

void LiveryMatching::liveryFailed(const std::string& label, const std::string& title) {
    status_.setStatus(fmt::format("{} '{}' could not be created by your Sim!", label, title), true);
    if (catalogue_.addFailedTitle(title) < kTooManyFailedTitles) return;
    const char* text = "There are too many liveries that could not be created!";
    logLine("\n{}Error 81, {}\n", "===> ", text);
    throw UserErrorException(81, fmt::format("{}, see Log.txt", text));
}

std::size_t LiveryMatching::liveryCount() const { return catalogue_.size(); }

} // namespace vorl
