#pragma once
#include <string>

namespace vorl {

// Within this distance (55 m) of a stand the user is at that stand.
inline constexpr double kUserAtStandNm = 0.029697624190064796;

// The name of the park airport's stand the user is at, or the empty text when there is none,
// the airport has no stands or the user is airborne. Repeated questions for the same position
// are answered from memory.
std::string userStandName(double lat, double lon);

// Forgets the remembered answer (a new flight, a new park airport).
void gf_resetUserStandName();

} // namespace vorl
