#pragma once
#include <functional>
#include <optional>
#include <string>

#include "airports/ParkAirport.h"
#include "sim/StandHooks.h"

namespace vorl {

// The airport database and the livery matching are connected here when they are present.
struct ParkingSources {
    std::function<std::optional<NearAirport>(LatLon position)> closestAirport;
    std::function<std::optional<LatLon>(std::string_view icao)> airportPosition;
    std::function<std::optional<int>(std::string_view icao)> standClass;
    // The livery of a static aircraft; nothing when none fits.
    std::function<std::optional<std::string>(std::uint16_t airline, std::uint16_t type, const std::string& registration)>
        staticLivery;
    // The live aircraft as the parking must respect them.
    std::function<std::vector<LiveAtAirport>()> liveAircraft;
};

ParkingSources& gf_parkingSources();

// The park airport as the traffic reader sees it (any thread): ground traffic is taken only
// near it. Nothing while there is none.
struct CurrentAirport {
    LatLon position;
    double elevationFt = 0.0;
};
std::optional<CurrentAirport> gf_currentParkAirport();

// The park airport's stands for live parking (main-loop thread); answers "busy" while the
// parking worker holds the airport.
LiveStandHooks gf_liveStandHooks();

// Session set-up's part: airport files pointed at the working folder and the download server,
// my_park_airports.txt read, and the park airport's work connected to the main loop and the
// simulator link.
void gf_parkingSessionSetUp();

// Closing down's part: the park airport left (its learned file saved) and the worker stopped.
void gf_parkingCloseDown();

} // namespace vorl
