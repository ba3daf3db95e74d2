#pragma once
#include <string>
#include <vector>

namespace vorl {

// One [fltsim.N] section of an aircraft.cfg, as written.
struct FltsimSection {
    int number = 0;
    std::vector<std::string> titles;
    std::string airline;
    std::vector<std::string> registrations;
    std::vector<std::string> parkingTypes;
    int parkingCodeKeys = 0; // atc_parking_codes lines
};

// What an aircraft.cfg says about its liveries.
struct AircraftCfg {
    std::string type; // icao_type_designator of [General]
    // base_container of [Variation] (MSFS 2020) or [Livery] (MSFS 2024): a livery-only file
    // takes its aircraft (and type) from there, a folder given relative to the file's own,
    // e.g. "..\Asobo_A320_NEO".
    std::string baseContainer;
    std::vector<FltsimSection> sections;
};

// Parses the lines of an aircraft.cfg (already decoded from its charset).
AircraftCfg gf_parseAircraftCfg(const std::vector<std::string>& lines);

} // namespace vorl
