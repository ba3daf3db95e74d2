#pragma once
#include <string>
#include <string_view>

namespace vorl {

// Distance in nautical miles from a position to the nearest stand in the airport file of
// `icao`, with that stand's name; 100.0 when the airport has no file or no stand.
double gf_readDestApfForClosestStand(std::string_view icao, double lat, double lon, std::string& standName);

} // namespace vorl
