#include "tools/scenario/AirportLayout.h"

#include <fstream>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace vorl::scenario {

namespace {

LatLon lf_pair(const nlohmann::json& array) { return {array.at(0).get<double>(), array.at(1).get<double>()}; }

} // namespace

const Runway& AirportLayout::runway(const std::string& name) const {
    for (const auto& r : runways)
        if (r.name == name) return r;
    throw std::runtime_error(fmt::format("{}: no runway {}", icao, name));
}

AirportLayout gf_loadAirportLayout(const std::filesystem::path& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(fmt::format("cannot open {}", path.string()));
    const nlohmann::json j = nlohmann::json::parse(in);
    AirportLayout a;
    a.icao = j.at("icao").get<std::string>();
    a.iata = j.at("iata").get<std::string>();
    a.reference = {j.at("lat").get<double>(), j.at("lon").get<double>()};
    a.elevationFt = j.at("elevation").get<double>();
    a.arrivalRunways = j.at("arrivalRunways").get<std::vector<std::string>>();
    a.departureRunways = j.at("departureRunways").get<std::vector<std::string>>();
    for (const auto& r : j.at("runways")) {
        a.runways.push_back(Runway{r.at("name").get<std::string>(),
                                   {r.at("lat").get<double>(), r.at("lon").get<double>()},
                                   {r.at("endLat").get<double>(), r.at("endLon").get<double>()},
                                   r.at("heading").get<double>(),
                                   lf_pair(r.at("hold")),
                                   r.at("via").get<std::vector<std::string>>()});
    }
    for (const auto& s : j.at("stands"))
        a.stands.push_back(StandSpot{s.at("name").get<std::string>(),
                                     {s.at("lat").get<double>(), s.at("lon").get<double>()},
                                     s.at("heading").get<double>()});
    a.apron = lf_pair(j.at("taxi").at("apron"));
    for (const auto& [name, point] : j.at("taxi").at("points").items()) a.taxiPoints[name] = lf_pair(point);
    for (const auto& w : j.at("weather"))
        a.stations.push_back(Station{w.at("icao").get<std::string>(),
                                     {w.at("lat").get<double>(), w.at("lon").get<double>()},
                                     w.at("qnh").get<int>(),
                                     w.at("metar").get<std::string>()});
    for (const auto& r : a.runways)
        for (const auto& v : r.via)
            if (!a.taxiPoints.contains(v)) throw std::runtime_error(fmt::format("runway {}: unknown taxi point {}", r.name, v));
    return a;
}

} // namespace vorl::scenario
