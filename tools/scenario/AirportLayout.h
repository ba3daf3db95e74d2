#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/Geodesy.h"

namespace vorl::scenario {

struct Runway {
    std::string name;
    LatLon threshold;
    LatLon end;
    double heading = 0.0; // degrees true
    LatLon hold;          // where departures wait before lining up
    std::vector<std::string> via; // taxi points between the apron and the hold
};

struct StandSpot {
    std::string name;
    LatLon position;
    double heading = 0.0; // the nose points this way when parked
};

struct Station {
    std::string icao;
    LatLon position;
    int qnh = 1013;
    std::string metar;
};

// One airport as the generator needs it: runways, stands, a few taxi points, weather stations.
struct AirportLayout {
    std::string icao;
    std::string iata;
    LatLon reference;
    double elevationFt = 0.0;
    std::vector<std::string> arrivalRunways;
    std::vector<std::string> departureRunways;
    std::vector<Runway> runways;
    std::vector<StandSpot> stands;
    LatLon apron;
    std::map<std::string, LatLon> taxiPoints;
    std::vector<Station> stations;

    const Runway& runway(const std::string& name) const;
};

AirportLayout gf_loadAirportLayout(const std::filesystem::path& path);

} // namespace vorl::scenario
