#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vorl::tools {

// What our BGL writer puts into an airport record: the parts of a compiled MSFS airport that the
// program's reader takes (reference point, name, helipads, taxiway parkings), laid out as the
// simulator's compiler lays them out.
struct BglHelipad {
    double lat = 0.0, lon = 0.0;
    float lengthM = 20.0f, widthM = 20.0f, headingDeg = 0.0f;
    int type = 1; // 1 H, 2 square, 3 circle, 4 medical
};

struct BglParking {
    int nameCode = 12; // 12 + letter: GATE_A..; 1 PARKING, ...
    int type = 9;
    int number = 1;
    int airlines = 0; // airline codes that follow the parking
    float radiusM = 20.0f, headingDeg = 0.0f;
    double lat = 0.0, lon = 0.0;
    int suffix = 0; // 0 none, 12 + letter: A..Z
};

struct BglAirport {
    std::string icao;
    std::string name;
    double lat = 0.0, lon = 0.0, altitudeM = 0.0;
    std::vector<BglHelipad> helipads;
    std::vector<BglParking> parkings;
};

// Prepar3D compiles the same sections with airport and parking records of its own.
enum class BglSimulator { Msfs, Prepar3d };

// A whole BGL file: a scenery-object section and a terrain section, each with one subsection of
// data the reader must pass over, then (when `airports` is not empty) one airport section holding
// the airports, one subsection each.
std::vector<char> gf_bglFile(const std::vector<BglAirport>& airports, BglSimulator simulator = BglSimulator::Msfs);
void gf_writeBglFile(const std::filesystem::path& file, const std::vector<BglAirport>& airports,
                     BglSimulator simulator = BglSimulator::Msfs);

} // namespace vorl::tools
