#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace vorl {

class Parameters;

// Where the simulator in use keeps its package folders (Community and Official/Official2024).
struct SimulatorFolders {
    bool msfs2020 = true;
    std::filesystem::path roamingAppData; // empty when unknown
    std::filesystem::path localAppData;   // empty when unknown

    static SimulatorFolders ofThisUser(bool msfs2020);
    const char* officialFolderName() const { return msfs2020 ? "Official" : "Official2024"; }
    const char* storePackageFamily() const;
    const char* roamingFolderName() const;
};

// True when the path, its Community folder and its Official (2020) or Official2024 (2024)
// folder are all directories.
bool gf_isValidInstallPath(const std::filesystem::path& path, const SimulatorFolders& folders);

// The first UserCfg.opt that exists among the store and Steam places; empty when none does.
std::filesystem::path gf_locateUserCfg(const SimulatorFolders& folders);

// The "InstalledPackagesPath" named in UserCfg.opt, when it names an existing path.
std::optional<std::filesystem::path> gf_installedPackagesPath(const SimulatorFolders& folders);

// Finds the install path automatically; on success stores it in the simulator's setting
// and in ALL_INSTALL_PATH (both saved).
bool gf_detectInstallPath(Parameters& params, const SimulatorFolders& folders);

// At start: a stored path ending in "\Community" is shortened, and ALL_INSTALL_PATH follows
// the simulator in use.
void gf_takeStoredInstallPath(Parameters& params, const SimulatorFolders& folders);

// At the end of reading the data files: a missing path is detected. Throws
// UserErrorException 150 when there is none, so that the user types it.
void gf_requireInstallPath(Parameters& params, const SimulatorFolders& folders);

// Enter in the install-path box: the outcome is a status text and, when the path is good, a
// restart so that start-up runs with it.
struct TypedPathResult {
    bool accepted = false;
    std::string status; // empty when there is nothing to say
};
TypedPathResult gf_applyTypedInstallPath(Parameters& params, const SimulatorFolders& folders, const std::string& text);

} // namespace vorl
