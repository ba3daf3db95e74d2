#include "app/StatusFigures.h"

#include <fmt/format.h>

#include "common/Names.h"

namespace vorl {
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

std::vector<DisplayLine> gf_statusDisplayLines(const StatusFigures& f, const std::string& status, const std::string& error) {
    std::vector<DisplayLine> lines;
    lines.push_back({fmt::format("Version {}    qnh: {:4}    live: {:3}", gf_versionText(), f.qnh, f.liveCount)});
    std::string simulator = f.simulator;
    if (!f.userStand.empty()) simulator += ", user stand " + f.userStand;
    lines.push_back({fmt::format("{}    # liveries: {}    # simaddon: {}    # thirdp: {}", simulator, f.liveryCount,
                                 f.simaddonCount, f.thirdpartyCount)});
    lines.push_back({fmt::format("Weather {}       Traffic {}", lf_linkWord(f.weather), lf_linkWord(f.traffic))});
    lines.push_back({status});
    if (!error.empty()) lines.push_back({error, DisplayLine::Colour::Error});
    return lines;
}

std::vector<DisplayLine> gf_parkingPanelLines(const StatusFigures& f) {
    std::vector<DisplayLine> lines;
    const std::string airport = f.parkAirport.empty() ? "no park airport" : f.parkAirport;
    lines.push_back({fmt::format("{}  qf: {}    reserved stand: {}    # updates: {:4}    # stands: {:3}    parked live: {:3}",
                                 airport, f.qualityFactor.empty() ? "-" : f.qualityFactor,
                                 f.reservedStand.empty() ? "-" : f.reservedStand, f.parkUpdates, f.parkStands,
                                 f.parkedLive)});
    const std::string maxText = f.maxPark >= 0 ? fmt::format("max park: {:3} (={} %)", f.maxPark, f.parkingPercentage)
                                               : std::string("no max park live");
    const std::string nextText =
        f.nextUpdateMinutes >= 0 ? fmt::format("(next in {} min)", f.nextUpdateMinutes) : std::string("(no next ... )");
    const char* marker = f.parkingWeek && f.parkingSoft ? "*WS*" : f.parkingSoft ? "*S*" : f.parkingWeek ? "*W*" : "";
    lines.push_back({fmt::format("average fit: {}    static: {:3}    {}    {}  {}", f.averageFit.empty() ? "-" : f.averageFit,
                                 f.staticCount, maxText, nextText, marker)});
    if (!f.trafficWeek.empty()) lines.push_back({"Meta:" + f.trafficWeek});
    return lines;
}

} // namespace vorl
