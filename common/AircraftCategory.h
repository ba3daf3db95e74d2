#pragma once
#include <cstdint>

namespace vorl {

// Size classes of aircraft types. The traffic filter, the livery matching, the ground movement
// tables and the user-aircraft identification all speak of these numbers.
enum class AircraftCategory : std::uint32_t {
    Light = 0,
    Buzjets = 1,
    Large = 2,
    Heavy = 3,
    HighPerf = 4,
    Rotorcraft = 5,
};

inline constexpr const char* gf_categoryName(AircraftCategory category) {
    switch (category) {
    case AircraftCategory::Light: return "Light";
    case AircraftCategory::Buzjets: return "Buzjets";
    case AircraftCategory::Large: return "Large";
    case AircraftCategory::Heavy: return "Heavy";
    case AircraftCategory::HighPerf: return "HighPerf";
    case AircraftCategory::Rotorcraft: return "Rotorcraft";
    }
    return "Light";
}

} // namespace vorl
