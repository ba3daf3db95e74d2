#include "airports/AirportInfo.h"

namespace vorl {

std::string gf_airportDisplay(const AirportInfo* airport) {
    if (airport == nullptr) return "(no airport)";
    if (airport->iata == IataCode("XXX")) return airport->icao.str();
    return fmt::format("{} ({})", airport->icao, airport->iata);
}

} // namespace vorl
