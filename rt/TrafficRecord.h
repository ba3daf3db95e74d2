#pragma once
#include <cstdint>
#include <string>

#include "common/FixedCode.h"
#include "common/ModelCode.h"

namespace vorl {

// The model-database indexes of an aircraft as far as the RealTraffic link knows them. The link
// fills `typeIndex` through the type-lookup hook; airline, operator and cargo come from the
// registration-lookup hook (parked records) or from the live side later.
// One live aircraft as parsed from a "locationtraffic" answer.
struct TrafficRecord {
    ModelCode code;
    IataCode origin;      // blank when absent
    IataCode destination; // blank when absent
    bool hasOrigin = false;
    bool hasDestination = false;
    std::string callsign;
    std::string airline;   // filled by the live side
    std::string operatorName;
    std::string livery;
    std::string registration; // at most 12 characters
    std::string type;         // the raw ICAO type designator, kept for the model lookup
    double lat = 0.0;
    double lon = 0.0;
    double altitude = 0.0; // feet, QNH corrected; 0 means on the ground
    double groundSpeed = 0.0;
    double track = 0.0; // degrees
    double verticalRate = 0.0;
    double trueAirspeed = 0.0;
    std::int32_t playoutTime = 0; // hundredths of a second on the live side's play-out clock
    std::uint8_t airborne = 0;
    std::uint8_t spare = 0;
    std::uint8_t headingValid = 0;
    double bank = 0.0; // radians
    std::uint8_t bankValid = 0;
    double trueHeading = 0.0; // radians
    std::int64_t dataTime = 0; // seconds since 1970
    std::uint32_t hexId = 0;
};

// One parked aircraft as parsed from a "parkedtraffic" answer.
struct ParkedRecord {
    ModelCode code;
    IataCode origin;
    IataCode destination;
    std::string callsign;
    std::string registration;
    std::string type;
    std::string standName; // the gate id, e.g. "EHAM_D7"
    double lat = 0.0;
    double lon = 0.0;
    std::uint32_t hexId = 0;
    std::int32_t halfHourSlot = -1; // the age in half hours after requestParkedTraffic
    std::string key;
};

} // namespace vorl
