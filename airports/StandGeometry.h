#pragma once
#include <vector>

#include "airports/AirportFile.h"

namespace vorl {

// Numbers the stands 1, 2, 3 ... in list order and links every pair whose circles overlap by the
// ten-percent rule: radius(a) + radius(b) > 1.1 x distance(a, b).
void gf_numberAndLinkStands(std::vector<Stand>& stands);

struct QualityFactors {
    int real = -1;
    int soft = -1;
};

// How well an airport's options describe its traffic, as whole percentages of the stands that
// aircraft can use (helicopter stands and type-12 stands left out): `real` counts the stands with
// at least one option seen in real traffic, `soft` those with at least one made-up option. Both
// are -1 when no stand has any option. Below 3 real the planner falls back to soft options; from
// 46 on real options alone fill the airport well.
QualityFactors gf_qualityFactors(const std::vector<Stand>& stands);

} // namespace vorl
