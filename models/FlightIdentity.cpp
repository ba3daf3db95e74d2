#include "models/FlightIdentity.h"

#include <cctype>

#include "models/ModelDatabase.h"

namespace vorl {

std::string_view gf_callsignAirline(std::string_view callsign) {
    if (callsign.size() < 4 || callsign.size() > 8) return {};
    for (std::size_t i = 0; i < 3; ++i)
        if (std::isupper(static_cast<unsigned char>(callsign[i])) == 0) return {};
    if (std::isdigit(static_cast<unsigned char>(callsign[3])) == 0) return {};
    return callsign.substr(0, 3);
}

ModelCode gf_flightModelCode(ModelDatabase& db, std::string_view callsign, std::string_view registration,
                             std::uint16_t typeIndex) {
    ModelCode code;
    if (const auto known = registration.empty() ? std::nullopt : db.modelCodeByRegistration(registration)) code = *known;
    code.typeIndex = typeIndex;
    if (const std::string_view airline = gf_callsignAirline(callsign); !airline.empty()) {
        const std::uint16_t flying = db.airlineIndexOf(airline);
        if (code.airlineIndex != 0 && code.airlineIndex != flying && code.operatorIndex == 0) code.operatorIndex = code.airlineIndex;
        if (code.operatorIndex == flying) code.operatorIndex = 0;
        code.airlineIndex = flying;
    }
    if (code.airlineIndex == 0) {
        code.airlineIndex = db.airlineIndexOf("PVT");
        code.operatorIndex = 0;
    }
    if (db.isCargoOperator(code.airlineIndex) || db.isCargoOperator(code.operatorIndex) || db.isCargoType(typeIndex)) code.cargo = 1;
    return code;
}

} // namespace vorl
