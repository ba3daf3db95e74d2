#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/HalfHours.h"

namespace vorl {

inline constexpr double kMetersToNm = 0.0005399568034557236;

// One aircraft seen parked at a stand: who, on which weekday and during which half-hours.
struct StandOption {
    std::uint16_t airline = 0; // model database airline index
    std::uint16_t type = 0;    // model database type index
    std::string registration;
    std::string callsign;
    std::string callsignExtra; // the part of the file's callsign after ':', kept for writing back
    HalfHourSet hours;
    std::uint32_t number = 0; // 1-based among the stand's options
    std::uint32_t day = 0;    // 1 (Monday) to 7 (Sunday)
    std::int32_t source = 0;  // 1: from an airport file, 0: from a learned file
    bool real = true;         // seen in real traffic, not made up
    bool cpl = false;
};

struct Stand {
    std::vector<StandOption> options;
    std::string id;
    std::vector<std::uint32_t> adjacent; // numbers of the stands whose circles overlap this one
    double latitude = 0.0;
    double longitude = 0.0;
    double heading = 0.0; // radians
    double radius = 0.0;  // nautical miles
    std::uint32_t number = 0;
    std::uint16_t type = 0; // the simulator's parking type, 0 when unknown
    bool manual = false;
    bool radiusChange = false;
    bool cargoChange = false;
    bool cargo = false;
    bool ramp = false;
    bool heli = false;
};

// The parking settings an airport remembers in its learned file.
struct ParkingSettings {
    int range = 40;
    bool autoRange = false;
    bool initialLoadOnly = false;
    bool parkSoft = false;
    int parkingPercentage = 30;
    int maxFit = 47; // half-hours minus one: 47 is a window of 24 hours
    bool week = false;
    bool rtParkTrafficOnly = false;
};

// The window of `maxFit` in hours and back: 47 <-> 24.0, 0 <-> 0.5.
inline double gf_maxFitHours(int maxFit) { return (maxFit + 1) / 2.0; }
int gf_maxFitFromHours(double hours);

struct AirportState {
    std::string icao;
    std::string name;
    std::string publisher;
    std::string version;
    std::string bglPath;
    std::string manufacturer;
    std::string creator;
    int elevationFeet = 0;
    bool facilities = false;
    int qfReal = -1;
    int qfSoft = -1;
    int rtTrafficWeeks = 0;
    bool handmade = false;
    int updates = 0; // static parking updates since the file was read
    // Where its learned file was looked for when it was read; it is saved to the same place.
    std::string learnedPath;
    ParkingSettings settings;
    std::vector<Stand> stands;
};

// The parking-type rule: types 5 and 6 are cargo stands, 1-4 and 14 general-aviation ramps.
bool gf_isCargoParkingType(int type);
bool gf_isRampParkingType(int type);
// Which aircraft categories (0 light .. 5 rotorcraft) a simulator parking type takes.
bool gf_parkingTypeAccepts(int type, int category);

} // namespace vorl
