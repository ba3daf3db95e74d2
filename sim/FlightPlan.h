#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/AircraftCategory.h"

namespace vorl {

// What a flight plan file says about one live aircraft.
struct FlightPlanRequest {
    std::uint32_t objectId = 0;
    AircraftCategory category = AircraftCategory::Light;
    std::string departure;   // three-letter code
    std::string destination; // three-letter code
    std::string label;       // the aircraft's label for the log
};

// The text of a flight plan file.
std::string gf_flightPlanText(const FlightPlanRequest& request);

std::filesystem::path gf_flightPlanPath(const std::filesystem::path& folder, std::uint32_t objectId);

// Writes "<object id>.pln" into `folder` and, for MSFS 2020, hands it to the simulator. Returns
// the aircraft's flight-plan mark: true once the file is written (and accepted, for 2020).
// An aircraft without departure or destination gets no file.
bool createFlightPlan(const FlightPlanRequest& request, const std::filesystem::path& folder, bool msfs2020);

// Deletes the aircraft's file when its mark is set.
void gf_removeFlightPlan(const std::filesystem::path& folder, std::uint32_t objectId, bool flightPlanMark);

// Creates the flight-plan folder with its parents; true when it was newly created.
bool gf_createFlightPlanFolder(const std::filesystem::path& folder);

} // namespace vorl
