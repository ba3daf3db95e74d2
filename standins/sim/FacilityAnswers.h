#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimConnectApi.h"

namespace vorl::standin {

// A taxi parking as the simulator's facility data describes it: its place is given as metres
// east (BIAS_X) and north (BIAS_Z) of the airport reference point.
struct StandInParking {
    int type = 9;   // parking type (8..10 gates, 1..4 ramps, 13 vehicles, ...)
    int name = 12;  // name code (12 + letter for GATE_A..GATE_Z, 1 PARKING, ...)
    int suffix = 0; // same code table as the name; 0 for none
    int number = 1;
    double headingDeg = 0.0;
    double radiusM = 20.0;
    double biasX = 0.0;
    double biasZ = 0.0;
};

struct StandInHelipad {
    double lat = 0.0, lon = 0.0, altitudeM = 0.0;
    double headingDeg = 0.0, lengthM = 20.0, widthM = 20.0;
    int surface = 0;
    int type = 1; // 1 H, 2 square, 3 circle, 4 medical
};

struct StandInAirport {
    std::string icao;
    double lat = 0.0;
    double lon = 0.0;
    double elevationFt = 0.0;
    std::string name;
    std::vector<StandInParking> parkings;
    std::vector<StandInHelipad> helipads;
};

// The airport the simulator answers a facility request for: a configured airport with parkings
// or helipads as configured; else an airport scenery installed in the simulator's packages (the
// BGL files below `communityFolder` and its sibling Official folder whose path names the code),
// with its own stands; else a configured airport, or any other airport of the world (the airport
// database of the process, which the program reads at start-up), with generated stands.
// Nothing for an airport the simulator does not know.
std::optional<StandInAirport>
gf_facilityAirport(const std::vector<StandInAirport>& configured, const std::string& icao,
                   const std::optional<std::filesystem::path>& communityFolder = {});

// Plausible stands for an airport without a layout of its own, the same for every request of one
// code: an airline apron with medium gates, every fifth one heavy, a few small and cargo stands
// (only when `airline`), a general-aviation ramp, a vehicle parking and a helipad, placed by
// BIAS_X/BIAS_Z metres from the reference point on one side of it, noses towards the buildings.
StandInAirport gf_generatedStands(StandInAirport airport, bool airline);

// True when the simulator knows the field name ("OPEN AIRPORT", "LATITUDE", ...) in the entry
// it is added to; `open` is the stack of the entries opened so far and follows OPEN/CLOSE.
bool gf_acceptFacilityField(const std::string& field, std::vector<std::string>& open);

// The RECV_FACILITY_DATA records answering a request of `fields` for `airport` (the airport
// itself, then its parkings and helipads as list items), each a complete record; then the caller
// sends the end record. `firstUniqueId` numbers the records.
std::vector<std::vector<char>> gf_facilityRecords(const std::vector<std::string>& fields,
                                                  const StandInAirport& airport, simconnect::DWORD requestId,
                                                  simconnect::DWORD firstUniqueId, simconnect::DWORD version);

} // namespace vorl::standin
