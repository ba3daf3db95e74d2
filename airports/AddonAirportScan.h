#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "airports/AirportDatabase.h"
#include "sim/FacilityRecords.h"

namespace vorl {

struct AirportScanFolder {
    std::filesystem::path path;
    bool addon = false;    // Community: "addon"; the simulator's own folders: "stock"
    bool streamed = false; // StreamedPackages
};

struct AirportScanSettings {
    bool automatic = false;
    std::vector<AirportScanFolder> folders;
    std::filesystem::path icaoList;       // ICAO_airports.txt
    std::filesystem::path airportsFolder; // holds my_simaddon and my_thirdparty
    std::filesystem::path tbloFolder;     // files for the maker's offline learning, and tblo.zip
    std::filesystem::path scanLog;        // one line per airport found; empty for none
    // The simulator's facility data for an airport; empty (or nothing returned) when it cannot be
    // asked, and then the BGL file is decoded instead.
    std::function<std::optional<FacilityAirport>(const std::string& icao)> readFacilities;
    // Whether the maker's archive holds an airport file (e.g. "archive/simaddon/EHAM.xml").
    std::function<bool(const std::string& archivePath)> archived;
    std::function<void(const std::string&)> status;
};

struct AirportScanResult {
    int simaddon = 0;   // airport files or links written into my_simaddon
    int thirdparty = 0; // ... into my_thirdparty
    int linked = 0;
    std::vector<std::string> unknownToArchive; // ICAO codes for the offline learning
    bool zipped = false;
    // The text the user is shown at the end.
    std::string message;
};

// The whole add-on airport scan: every BGL file of the folders that names a supported airport
// gets its stands (facility data first, the BGL file itself otherwise) written into an airport
// file, linked to the archived file where the maker has one; airports the archive does not know
// are zipped into tblo.zip. Failures stay local to one file or folder.
AirportScanResult gf_scanAirports(const AirportScanSettings& settings,
                                  const AirportDatabase& database = gf_airportDatabase());

// The archive path the maker keeps for an airport of `publisher` ("simaddon" or a third party
// with its package version).
std::string gf_archivePathFor(const std::string& icao, const std::string& publisher, const std::string& packageVersion);

} // namespace vorl
