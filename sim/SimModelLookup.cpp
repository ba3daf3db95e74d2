#include "sim/SimModelLookup.h"

#include "sim/SimHooks.h"
#include "sim/SimSession.h"

namespace vorl {

std::optional<double> gf_simHalfWingspanNm(const std::string& type) { return gf_simSession().hooks().halfWingspanNm(type); }

double gf_simLargestHalfWingspanNm() { return gf_simSession().hooks().largestHalfWingspanNm(); }

AircraftCategory gf_simCategoryOf(const std::string& type) { return gf_simSession().hooks().categoryOf(type); }

} // namespace vorl
