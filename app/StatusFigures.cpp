#include "app/StatusFigures.h"

#include <fmt/format.h>

#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "common/Names.h"

namespace vorl {

void StatusFigures::setTexts(std::string simulatorText, std::string userStand) {
    std::lock_guard lock(mutex_);
    texts_.simulator = std::move(simulatorText);
    texts_.userStand = std::move(userStand);
}

void StatusFigures::setParkAirport(std::string airport, std::string qualityFactor, std::string reservedStand,
                                   std::string averageFit, std::string trafficWeek) {
    std::lock_guard lock(mutex_);
    texts_.parkAirport = std::move(airport);
    texts_.qualityFactor = std::move(qualityFactor);
    texts_.reservedStand = std::move(reservedStand);
    texts_.averageFit = std::move(averageFit);
    texts_.trafficWeek = std::move(trafficWeek);
}

StatusFigures::Texts StatusFigures::texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

void StatusFigures::reset() {
    liveCount = 0;
    weather = LinkState::Unknown;
    traffic = LinkState::Unknown;
    parkUpdates = 0;
    parkStands = 0;
    parkedLive = 0;
    staticCount = 0;
    standChanges = 0;
    maxPark = -1;
    nextUpdateMinutes = 20;
    std::lock_guard lock(mutex_);
    const std::string simulator = texts_.simulator;
    texts_ = {};
    texts_.simulator = simulator;
}

StatusFigures& gf_figures() {
    static StatusFigures figures;
    return figures;
}

namespace {

const char* lf_linkWord(LinkState state) {
    switch (state) {
    case LinkState::Waiting: return "(waiting)";
    case LinkState::Ok: return "(ok)";
    case LinkState::Error: return "(error)";
    case LinkState::Unknown: break;
    }
    return "(-)";
}

} // namespace

std::vector<DisplayLine> gf_statusDisplayLines() {
    const StatusFigures& f = gf_figures();
    const auto texts = f.texts();
    std::vector<DisplayLine> lines;
    lines.push_back({fmt::format("Version {}    qnh: {:4}    live: {:3}", gf_versionText(), f.qnh.load(),
                                 f.liveCount.load())});
    std::string simulator = texts.simulator.empty() ? gf_params().SIM_CHOICE.value() : texts.simulator;
    if (!texts.userStand.empty()) simulator += ", user stand " + texts.userStand;
    lines.push_back({fmt::format("{}    # liveries: {}    # simaddon: {}    # thirdp: {}", simulator,
                                 f.liveryCount.load(), f.simaddonCount.load(), f.thirdpartyCount.load())});
    lines.push_back({fmt::format("Weather {}       Traffic {}", lf_linkWord(f.weather.load()), lf_linkWord(f.traffic.load()))});
    lines.push_back({gf_status().status()});
    const std::string error = gf_status().error();
    if (!error.empty()) lines.push_back({error, DisplayLine::Colour::Error});
    return lines;
}

std::vector<DisplayLine> gf_parkingPanelLines() {
    const StatusFigures& f = gf_figures();
    const auto texts = f.texts();
    std::vector<DisplayLine> lines;
    const std::string airport = texts.parkAirport.empty() ? "no park airport" : texts.parkAirport;
    lines.push_back({fmt::format("{}  qf: {}    reserved stand: {}    # updates: {:4}    # stands: {:3}    parked live: {:3}",
                                 airport, texts.qualityFactor.empty() ? "-" : texts.qualityFactor,
                                 texts.reservedStand.empty() ? "-" : texts.reservedStand, f.parkUpdates.load(),
                                 f.parkStands.load(), f.parkedLive.load())});
    const int maxPark = f.maxPark.load();
    const std::string maxText = maxPark >= 0
                                    ? fmt::format("max park: {:3} (={} %)", maxPark, gf_params().parkingPercentage())
                                    : std::string("no max park live");
    const int next = f.nextUpdateMinutes.load();
    const std::string nextText = next >= 0 ? fmt::format("(next in {} min)", next) : std::string("(no next ... )");
    const bool week = f.parkingWeek.load();
    const bool soft = f.parkingSoft.load();
    const char* marker = week && soft ? "*WS*" : soft ? "*S*" : week ? "*W*" : "";
    lines.push_back({fmt::format("average fit: {}    static: {:3}    {}    {}  {}",
                                 texts.averageFit.empty() ? "-" : texts.averageFit, f.staticCount.load(), maxText,
                                 nextText, marker)});
    if (!texts.trafficWeek.empty()) lines.push_back({"Meta:" + texts.trafficWeek});
    return lines;
}

} // namespace vorl
