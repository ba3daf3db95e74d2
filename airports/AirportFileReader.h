#pragma once
#include <string>

#include "airports/AirportFile.h"

namespace vorl {

// Reads the airport file at `path` (a local "airports/..." path, or an archive path fetched from
// the download server first) for the park airport named in `state.icao`, overlays its learned
// file, numbers and links the stands. Empty on success, else why the file was not used. User
// errors of the file (missing altitude, stand ids) are thrown to the caller.
std::string gf_readApf(const std::string& path, AirportState& state);

} // namespace vorl
