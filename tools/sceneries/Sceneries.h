#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tools/sceneries/BglWriter.h"

namespace vorl::tools {

// A made-up scenery package: its manifest and one BGL file with its airports.
struct SceneryPackage {
    std::filesystem::path folder; // below the simulator's install path, e.g. Community/xyz
    std::string title;
    std::string creator;
    std::string manufacturer;
    std::string packageVersion;
    std::filesystem::path bgl; // below the package folder
    std::vector<BglAirport> airports;
    // Further BGL files of the package that hold scenery but no airport (as a package's
    // AIRPORT.BGL may, while the airport sits in a file of another name).
    std::vector<std::filesystem::path> sceneryOnlyBgls = {};
};

void gf_writeScenery(const std::filesystem::path& installPath, const SceneryPackage& package);

// An airport at `lat`/`lon` with `gates` nose-in gates in a row east of it (every tenth with a
// name suffix, the numbers repeating under the next letter), `ramps` small ramps and `helipads`
// helipads, plus one vehicle parking the program must not take.
BglAirport gf_sampleAirport(const std::string& icao, const std::string& name, double lat, double lon, int gates,
                            int ramps, int helipads);

// The demo's sceneries: a third-party airport in Community (EHLE, in polygon.bgl beside an
// AIRPORT.BGL without airport), a second one found only by its file name (EHBK), and one of the
// simulator's own airport packages (EHRD) in Official.
std::vector<SceneryPackage> gf_demoSceneries(bool msfs2020);

// `count` small packages of one BGL file each, for the scan benchmark.
std::vector<SceneryPackage> gf_benchSceneries(int count, const std::vector<std::string>& icaos);

} // namespace vorl::tools
