#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vorl::tools {

// What our BGL writer puts into an airport record: enough of the simulator's scenery format
// for the program's reader (reference point, name, helipads, taxiway parkings).
struct BglHelipad {
    double lat = 0.0, lon = 0.0;
    float lengthM = 20.0f, widthM = 20.0f, headingDeg = 0.0f;
};

struct BglParking {
    int nameCode = 12; // 12 + letter: GATE_A..; 1 PARKING, ...
    int type = 9;
    int number = 1;
    int airlines = 0; // airline codes that follow the parking
    float radiusM = 20.0f, headingDeg = 0.0f;
    double lat = 0.0, lon = 0.0;
};

struct BglAirport {
    std::string icao;
    std::string name;
    double lat = 0.0, lon = 0.0, altitudeM = 0.0;
    std::vector<BglHelipad> helipads;
    std::vector<BglParking> parkings;
};

// A whole BGL file with one airport section holding `airports` (one subsection each), after
// an unrelated section so that the reader has to look for the airport one.
std::vector<char> gf_bglFile(const std::vector<BglAirport>& airports);
void gf_writeBglFile(const std::filesystem::path& file, const std::vector<BglAirport>& airports);

} // namespace vorl::tools
