#pragma once
#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "models/LiveryData.h"

namespace vorl {

class ModelDatabase;

struct LiveryScanSettings {
    bool automatic = true;
    bool prioritize = false;
    // Package kinds in priority order: "AIG", "FSLTL", "JF", "MTL".
    std::vector<std::string> selector;
    std::array<std::string, 10> manualFolders; // lfolder0..9, empty when unset
    std::filesystem::path packagesPath;        // holds Community and the Official folder
    std::filesystem::path result;              // LiveriesScanned.xml
    std::filesystem::path problemsFolder;      // where the problem lists go
    std::string version;                       // "{}.{}.{}" of the program
    unsigned threads = 2;
    std::unordered_set<std::string> excludedTitles; // the user's "don't use" titles
    // Progress ("files done / total") and messages for the user.
    std::function<void(const std::string&)> status;
};

struct LiveryScanResult {
    std::vector<LiveryData> liveries;
    std::size_t files = 0;
    std::size_t invalidFiles = 0;
    std::size_t incompleteSections = 0;
    std::size_t filesWithoutSections = 0;
    std::size_t invalidAirlines = 0;
    std::size_t invalidModels = 0;
    std::size_t fixes = 0;
};

// "AIG, FSLTL" → {"AIG", "FSLTL"}; an empty list when the text names no valid selection.
std::vector<std::string> gf_parsePackageSelector(const std::string& text);

// The package folders to scan, in priority order. Throws UserErrorException when there are none.
std::vector<std::filesystem::path> gf_liveryFolders(const LiveryScanSettings& settings);

// Scans the folders, writes LiveriesScanned.xml and the problem lists, and logs the report.
LiveryScanResult gf_scanLiveries(const LiveryScanSettings& settings, ModelDatabase& database);

void gf_writeLiveriesScanned(const std::filesystem::path& path, const std::string& version,
                             const std::vector<LiveryData>& liveries);

} // namespace vorl
