#pragma once
#include <filesystem>
#include <string>

namespace vorl {

// Airport files made from the simulator's own facility data, for airports that have no other
// airport file (none local, none archived, or the download failed): the simulator knows the
// stands of every airport it has.
class SimFacilityAirports {
public:
    explicit SimFacilityAirports(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // The generated airport file of `icao` (relative to the working folder), made now from the
    // simulator's facility data when there is none yet; empty when the simulator has no stands
    // for it or cannot be asked.
    std::string airportFile(const std::string& icao);

private:
    std::filesystem::path folder_;
};

} // namespace vorl
