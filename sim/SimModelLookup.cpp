#include "sim/SimModelLookup.h"

#include "models/ModelDatabase.h"
#include "sim/SimHooks.h"

namespace vorl {

std::optional<double> gf_simHalfWingspanNm(const std::string& type) {
    if (gf_simHooks().halfWingspanNm) return gf_simHooks().halfWingspanNm(type);
    return gf_modelDatabase().halfWingspanNm(type);
}

double gf_simLargestHalfWingspanNm() {
    if (gf_simHooks().largestHalfWingspanNm) return gf_simHooks().largestHalfWingspanNm();
    return gf_modelDatabase().largestHalfWingspanNm;
}

AircraftCategory gf_simCategoryOf(const std::string& type) {
    if (gf_simHooks().categoryOf) return gf_simHooks().categoryOf(type);
    ModelDatabase& database = gf_modelDatabase();
    if (!database.isKnownType(type)) return AircraftCategory::Light;
    return database.category(database.typeIndexOf(type));
}

} // namespace vorl
