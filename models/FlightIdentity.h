#pragma once
#include <string_view>

#include "common/ModelCode.h"

namespace vorl {

class ModelDatabase;

// The airline's ICAO code a callsign flies under ("KLM1234" → "KLM"); empty for callsigns
// that are no airline flight numbers (registrations, military and private callsigns).
std::string_view gf_callsignAirline(std::string_view callsign);

// What a flight's callsign and registration tell of its airline, operator and cargo role:
// the callsign names the airline; the registration records name the aircraft's owner, which
// becomes the operator when it is another airline. Without an airline the flight is private.
ModelCode gf_flightModelCode(ModelDatabase& db, std::string_view callsign, std::string_view registration,
                             std::uint16_t typeIndex);

} // namespace vorl
