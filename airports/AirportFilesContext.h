#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "airports/AirportFile.h"

namespace vorl {

class ModelDatabase;

// What the airport files need from the rest of the program. The application fills it at
// start-up; tests fill their own.
struct AirportFilesContext {
    // The working folder that the "airports/..." paths are relative to.
    std::filesystem::path root{"."};
    // The maker's download server, e.g. "https://example.org" (the "/downloads/..." paths follow).
    std::string serverBase;
    bool msfs2020 = true;
    // The airport database's stand class of an airport; nothing for an airport it does not list.
    std::function<std::optional<int>(std::string_view icao)> standClass;
    // The parking settings in force, copied into every airport read.
    std::function<ParkingSettings()> currentSettings;
    // The model database that names the options' airlines and types; the process's by default.
    ModelDatabase* models = nullptr;

    std::filesystem::path resolve(const std::filesystem::path& relative) const { return root / relative; }
    ModelDatabase& modelDatabase() const;
};

AirportFilesContext& gf_airportFilesContext();

} // namespace vorl
