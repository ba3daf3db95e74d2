#pragma once
#include <cstdint>
#include <string>

#include "common/FixedCode.h"
#include "common/Geodesy.h"

namespace vorl {

// One airport of the airport database.
struct AirportInfo {
    IcaoCode icao;
    IataCode iata{"XXX"};  // "XXX" when the airport has none
    double latitude = 0.0; // reference point, degrees
    double longitude = 0.0;
    float altitude = 0.0f;    // field elevation as the file gives it
    std::int32_t stands = 0;  // stand class: 0 without an archived airport file

    LatLon position() const { return {latitude, longitude}; }
};

// "EGLL (LHR)", or "EGLL" without an IATA code; "(no airport)" when there is none.
std::string gf_airportDisplay(const AirportInfo* airport);

} // namespace vorl
