#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vorl {

// An airport's parking data as the simulator's facility interface gives it, in the simulator's
// units: metres, degrees, parkings placed by their offsets from the airport reference point.
struct FacilityParking {
    std::int32_t type = 0;
    std::int32_t name = 0;
    std::int32_t suffix = 0;
    std::int32_t number = 0;
    float headingDeg = 0.0f;
    float radiusM = 0.0f;
    float biasX = 0.0f; // metres east
    float biasZ = 0.0f; // metres north
};

struct FacilityHelipad {
    double latitude = 0.0, longitude = 0.0, altitudeM = 0.0;
    float headingDeg = 0.0f, lengthM = 0.0f, widthM = 0.0f;
    std::int32_t surface = 0;
    std::int32_t type = 0;
};

struct FacilityAirport {
    double latitude = 0.0, longitude = 0.0, altitudeM = 0.0;
    std::string name;
    std::vector<FacilityParking> parkings;
    std::vector<FacilityHelipad> helipads;
};

} // namespace vorl
