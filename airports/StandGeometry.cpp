#include "airports/StandGeometry.h"

#include <cmath>

#include "common/Geodesy.h"

namespace vorl {
namespace {
constexpr std::uint16_t kUnusableParkingType = 12;
constexpr double kOverlapFactor = 1.1;
} // namespace

void gf_numberAndLinkStands(std::vector<Stand>& stands) {
    for (std::size_t i = 0; i < stands.size(); ++i) {
        stands[i].number = static_cast<std::uint32_t>(i + 1);
        stands[i].adjacent.clear();
    }
    for (std::size_t a = 0; a < stands.size(); ++a) {
        for (std::size_t b = 0; b < stands.size(); ++b) {
            if (a == b) continue;
            const double distance =
                gf_distanceNm(stands[a].latitude, stands[a].longitude, stands[b].latitude, stands[b].longitude);
            if (stands[a].radius + stands[b].radius > kOverlapFactor * distance) {
                if (stands[a].adjacent.empty()) stands[a].adjacent.reserve(8);
                stands[a].adjacent.push_back(stands[b].number);
            }
        }
    }
}

QualityFactors gf_qualityFactors(const std::vector<Stand>& stands) {
    int usable = 0, withReal = 0, withSoft = 0;
    bool anyOption = false;
    for (const Stand& stand : stands) {
        if (stand.heli || stand.type == kUnusableParkingType) continue;
        ++usable;
        bool real = false, soft = false;
        for (const StandOption& option : stand.options) (option.real ? real : soft) = true;
        anyOption = anyOption || real || soft;
        withReal += real ? 1 : 0;
        withSoft += soft ? 1 : 0;
    }
    if (!anyOption || usable == 0) return {};
    return {static_cast<int>(std::lround(100.0 * withReal / usable)), static_cast<int>(std::lround(100.0 * withSoft / usable))};
}

} // namespace vorl
