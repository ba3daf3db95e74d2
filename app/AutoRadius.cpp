#include "app/AutoRadius.h"

#include <algorithm>

namespace vorl {

namespace {
constexpr double kLowestAutoFeet = 3000.0;
constexpr double kLargestRadiusNm = 100.0;
} // namespace

double gf_trafficRadiusNm(int chosenRadiusNm, bool automatic, int autoHeightFeet, double altitudeFeet) {
    const double chosen = chosenRadiusNm;
    if (!automatic || chosen >= kLargestRadiusNm || autoHeightFeet <= kLowestAutoFeet) return chosen;
    const double share = std::clamp((altitudeFeet - kLowestAutoFeet) / (autoHeightFeet - kLowestAutoFeet), 0.0, 1.0);
    return chosen + share * (kLargestRadiusNm - chosen);
}

} // namespace vorl
