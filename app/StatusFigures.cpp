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
    const ParkingPanel& p = f.parking;
    std::vector<DisplayLine> lines;
    const std::string airport = p.airport.empty() ? "no park airport" : p.airport;
    lines.push_back({fmt::format("{}  qf: {}    reserved stand: {}    # updates: {:4}    # stands: {:3}    parked live: {:3}",
                                 airport, p.qualityFactor.empty() ? "-" : p.qualityFactor,
                                 p.reservedStand.empty() ? "-" : p.reservedStand, p.updates, p.stands, f.parkedLive)});
    const std::string maxText = p.maxPark >= 0 ? fmt::format("max park: {:3} (={} %)", p.maxPark, p.parkingPercentage)
                                               : std::string("no max park live");
    const std::string nextText =
        f.nextUpdateMinutes >= 0 ? fmt::format("(next in {} min)", f.nextUpdateMinutes) : std::string("(no next ... )");
    const char* marker = p.week && p.soft ? "*WS*" : p.soft ? "*S*" : p.week ? "*W*" : "";
    lines.push_back({fmt::format("average fit: {}    static: {:3}    {}    {}  {}", p.averageFit.empty() ? "-" : p.averageFit,
                                 p.staticCount, maxText, nextText, marker)});
    if (!p.trafficWeek.empty()) lines.push_back({"Meta:" + p.trafficWeek});
    return lines;
}

std::vector<DisplayLine> gf_displayLines(const StatusFigures& figures, const std::string& status, const std::string& error) {
    auto lines = gf_statusDisplayLines(figures, status, error);
    for (DisplayLine& line : gf_parkingPanelLines(figures)) lines.push_back(std::move(line));
    return lines;
}

} // namespace vorl
