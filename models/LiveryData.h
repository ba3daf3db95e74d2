#pragma once
#include <string>

namespace vorl {

// One installed AI livery as the scan found it.
struct LiveryData {
    std::string title;        // the simulator title
    std::string airline;      // ICAO airline code, "PVT" for private, "ZZZ" for unbranded
    std::string model;        // ICAO type designator
    std::string operatorCode; // ICAO code of the operating airline, may be empty
    std::string registration; // may be empty
    bool cargo = false;
    int priority = 0;         // package order: lower is preferred
};

} // namespace vorl
