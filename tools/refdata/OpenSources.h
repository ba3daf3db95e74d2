#pragma once
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/refdata/SourceTables.h"

namespace vorl::refdata {

// One airport as the airport file carries it.
struct SourceAirport {
    std::string icao;
    std::string iata; // empty when unknown
    double latitude = 0.0;
    double longitude = 0.0;
    double elevationFt = 0.0;
};

// Open airports of the apt.dat extract (land and seaplane bases with a four letter/digit code,
// closed ones left out), placed at the centre of their runway ends, ordered by code. IATA codes
// come from the npm airport lists below `npmFolder`.
std::vector<SourceAirport> gf_readSourceAirports(const std::filesystem::path& aptFile,
                                                 const std::filesystem::path& npmFolder);

// Three-letter ICAO airline codes of the npm airline lists.
std::set<std::string> gf_readSourceAirlines(const std::filesystem::path& npmFolder);

// One aircraft of the AI fleets.
struct SourceRegistration {
    std::string registration;
    std::string airline;
    std::string type; // ICAO designator
    bool freighter = false; // the fleet names a freighter version of the type
};

struct FleetSummary {
    std::vector<SourceRegistration> registrations;  // unique by registration, sorted
    std::map<std::string, int> unknownTypes;        // fleet type spellings the table cannot resolve
};

// Reads every fleet XML file below `trafficFolder`; a registration met twice keeps its first record.
FleetSummary gf_readSourceFleets(const std::filesystem::path& trafficFolder, const TypeTable& table);

} // namespace vorl::refdata
