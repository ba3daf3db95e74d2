#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "airports/AirportFile.h"

namespace vorl::refdata {

// One parking spot of the open airport data before it becomes a stand.
struct StandSource {
    std::string name;
    double lat = 0.0;
    double lon = 0.0;
    double headingDeg = 0.0;
    std::string kind;        // "gate", "tie_down", "hangar", "misc" or empty (older rows)
    double radiusMeters = 0; // 0: unknown, derived from the spacing
    bool heli = false;
};

struct AirportSource {
    std::string icao;
    std::string name;
    int elevationFeet = 0;
    std::vector<StandSource> stands;
};

// The airports of an X-Plane apt.dat text (header rows 1, 16, 17) with their start-up locations
// (row 15) and ramp starts (rows 1300 with the size of 1301). Airports without spots are left out.
std::map<std::string, AirportSource> gf_readAptStands(const std::filesystem::path& aptDat);

// The stands of an airport layout of the scenario generator (tools/scenario/*.json).
AirportSource gf_readLayoutStands(const std::filesystem::path& layoutJson);

// An archived stock airport file's content. Where the data gives no size, a stand's radius is
// half the distance to its nearest neighbour (so neighbours touch but do not overlap), between
// 7.5 m (a light aircraft) and 40 m (the largest wide-body). Types follow the names: cargo,
// helicopter and general-aviation spots; gates are small, medium or heavy by radius.
AirportState gf_stockAirport(const AirportSource& source);

// The airport database's stand class of an archived airport: 1 for a small airport (under 20
// stands, filled completely), 2 for a medium one (under 100, half filled), 3 for a large one.
int gf_standClass(std::size_t standCount);

// Writes ICAO.xml for each airport into `out` and "stand-classes.csv" (ICAO,class) beside it.
void gf_writeStockAirports(const std::vector<AirportState>& airports, const std::filesystem::path& out,
                           const std::filesystem::path& classesFile);

} // namespace vorl::refdata
