#pragma once
#include <optional>
#include <string>

#include "common/AircraftCategory.h"

namespace vorl {

// Half wingspans (nautical miles) and categories of type codes, from the model database or
// from the hooks that stand in for it.
std::optional<double> gf_simHalfWingspanNm(const std::string& type);
double gf_simLargestHalfWingspanNm();
AircraftCategory gf_simCategoryOf(const std::string& type);

} // namespace vorl
