#pragma once
#include <filesystem>
#include <vector>

namespace vorl {

// The program runs from its install folder, so data paths are relative to the working
// directory; only the user folder (settings, flight plans) lives elsewhere.
struct AppPaths {
    std::filesystem::path docs{"docs"};
    std::filesystem::path input{"input"};
    std::filesystem::path myRegcodes{"input/my_regcodes"};
    std::filesystem::path output{"output"};
    std::filesystem::path outputInfo{"output/info"};
    std::filesystem::path outputErrors{"output/errors"};
    std::filesystem::path airports{"airports"};
    std::filesystem::path learned{"airports/learned"};
    std::filesystem::path learnedStock{"airports/learned/stock"};
    std::filesystem::path learnedSimaddon{"airports/learned/simaddon"};
    std::filesystem::path learnedThirdparty{"airports/learned/thirdparty"};
    std::filesystem::path mySimaddon{"airports/my_simaddon"};
    std::filesystem::path myThirdparty{"airports/my_thirdparty"};
    // Generated airport files the maker does not know yet, and their tblo.zip.
    std::filesystem::path tblo{"tblo"};
    std::filesystem::path myParkAirports{"airports/my_park_airports.txt"};
    std::filesystem::path newVersion{"new_version"};
    std::filesystem::path log{"Log.txt"};

    std::filesystem::path userFolder;
    std::filesystem::path parametersFile;
    std::filesystem::path flightPlanFolder;

    void setUserFolder(const std::filesystem::path& folder);
    // The folders start-up makes sure exist.
    std::vector<std::filesystem::path> dataFolders() const;
};

AppPaths& gf_paths();

} // namespace vorl
