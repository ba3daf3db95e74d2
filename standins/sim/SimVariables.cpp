#include "standins/sim/SimVariables.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "common/Folders.h"

namespace vorl::standin {
namespace {

// The variables the stand-in answers, each spelt as the simulator's variable list spells it.
// Only names that list holds belong here: a name the real simulator does not know must be
// refused here too, or a typo in the program would pass every test and fail in the simulator.
const std::set<std::string>& lf_plainNames() {
    static const std::set<std::string> names{
        "AIRSPEED TRUE",
        "ATC ID",
        "ATC MODEL",
        "CATEGORY",
        "GROUND ALTITUDE",
        "GROUND VELOCITY",
        "LIGHT ON STATES",
        "LIGHT STATES",
        "PLANE ALT ABOVE GROUND",
        "PLANE ALTITUDE",
        "PLANE BANK DEGREES",
        "PLANE HEADING DEGREES TRUE",
        "PLANE LATITUDE",
        "PLANE LONGITUDE",
        "PLANE PITCH DEGREES",
        "SIM ON GROUND",
        "SPOILERS HANDLE POSITION",
        "STANDARD ATM TEMPERATURE",
        "STATIC CG TO GROUND",
        "STATIC PITCH",
        "TITLE",
        "VERTICAL SPEED",
        "ZULU DAY OF YEAR",
        "ZULU TIME",
        "ZULU YEAR",
    };
    return names;
}

// Variables that exist once per engine, named with the engine's number after a colon.
const std::set<std::string>& lf_indexedNames() {
    static const std::set<std::string> names{"GENERAL ENG THROTTLE LEVER POSITION"};
    return names;
}

} // namespace

bool gf_isKnownSimVariable(const std::string& name) {
    const std::string upper = gf_upperAscii(name);
    const auto colon = upper.rfind(':');
    if (colon == std::string::npos) return lf_plainNames().count(upper) > 0 || lf_indexedNames().count(upper) > 0;
    const std::string index = upper.substr(colon + 1);
    if (index.empty() || !std::all_of(index.begin(), index.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    return lf_indexedNames().count(upper.substr(0, colon)) > 0;
}

} // namespace vorl::standin
