#pragma once
#include <cstdint>
#include <ostream>

#include "tools/scenario/AirportLayout.h"
#include "tools/scenario/Fleet.h"

namespace vorl::scenario {

struct GeneratorSettings {
    std::uint64_t seed = 20261206;
    double durationSeconds = 2400.0;
    double stepSeconds = 2.0;
    double arrivalSpacingSeconds = 90.0;   // per arrival runway
    double departureSpacingSeconds = 100.0; // per departure runway
    int overflights = 20;
    int helicopters = 6;
    int lightAircraft = 10;
    int parkedAircraft = 30;
};

struct GeneratorReport {
    std::size_t liveAircraft = 0;
    std::size_t samples = 0;
    std::size_t parked = 0;
};

// Writes a scenario of traffic around `airport` as JSON Lines (the stand-in's format).
GeneratorReport gf_generateScenario(const AirportLayout& airport, Fleet& fleet, const GeneratorSettings& settings,
                                    std::ostream& out);

} // namespace vorl::scenario
