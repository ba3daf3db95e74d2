#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/AircraftCategory.h"
#include "rt/TrafficRecord.h"

namespace vorl {

// With "AirOnly", aircraft are shown only this high above the ground.
inline constexpr double kAirborneOnlyHeightFt = 150.0;

// Settings the traffic reader reads once per round (the settings store owns them).
struct TrafficSettings {
    double rangeNm = 25.0; // the traffic radius in force (auto range already applied)
    bool airborneOnly = false;
    std::string blockCallsign;
    bool lightAircraft = true;
    bool helicopters = true;
    bool highPerfAircraft = true;
    int timeShiftMinutes = 0; // toffset, 0 to 20160
};

struct AirportRef {
    double lat = 0.0;
    double lon = 0.0;
    double elevationFt = 0.0;
};

struct KnownType {
    std::uint16_t typeIndex = 0;
    AircraftCategory category = AircraftCategory::Large;
};

struct RegistrationHit {
    ModelCode code;       // airline / operator / cargo of the registration record
    bool namesOperator = false; // the record names an operator, which then takes the airline's place
};

// Links from the traffic reader to the other subsystems. Empty members fall back to a neutral
// answer (no airport, no stand, type index 0, every type known as "Large").
struct TrafficHooks {
    std::function<TrafficSettings()> settings;
    // Model database: index of an ICAO type designator (registers unknown ones).
    std::function<std::uint16_t(std::string_view type)> typeIndexOf;
    // Model database: a known type with its category, nothing for an unknown one.
    std::function<std::optional<KnownType>(std::string_view type)> knownType;
    // Model database: the registration records.
    std::function<std::optional<RegistrationHit>(std::string_view registration)> lookupRegistration;
    // The current (park) airport, when one is known.
    std::function<std::optional<AirportRef>()> currentAirport;
    std::function<std::string()> reservedStandName;
    std::function<std::string()> userStandName;
    // The live side's play-out clock in hundredths of a second.
    std::function<std::int32_t()> playoutClock;
    // Asks the live side to remove an aircraft (a callsign the user blocked).
    std::function<void(std::uint32_t hexId)> removeLiveAircraft;
    std::function<void(const std::string& text, bool log)> setStatus;
};

} // namespace vorl
