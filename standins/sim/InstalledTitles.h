#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vorl::standin {

// One livery the simulator can create, with the category of its aircraft.cfg ("Airplane" unless
// its [GENERAL] section says `category = Helicopter`).
struct InstalledAircraft {
    std::string title;
    std::string category = "Airplane";
};

// Every livery under `folder`: the "title=" lines of all aircraft.cfg files below it, as the
// simulator would know them.
std::vector<InstalledAircraft> gf_readInstalledAircraft(const std::filesystem::path& folder);

// The container titles alone.
std::vector<std::string> gf_readInstalledTitles(const std::filesystem::path& folder);

} // namespace vorl::standin
