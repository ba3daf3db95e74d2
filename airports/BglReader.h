#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "airports/ScannedAirport.h"

namespace vorl {

// Reads the airport `icao` of a BGL scenery file into `airport`: reference point, altitude,
// name and every helipad and taxiway parking as a stand. When the file holds one airport of
// another ident, that one is taken. False (logged) when the file holds no usable airport or
// cannot be decoded.
bool gf_readBglAirport(const std::filesystem::path& file, const std::string& icao, ScannedAirport& airport);

} // namespace vorl
