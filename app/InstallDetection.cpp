#include "app/InstallDetection.h"

#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "app/Parameters.h"
#include "common/Folders.h"
#include "common/Charset.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/UserErrorException.h"
#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

TextParameter& lf_simulatorPathSetting(Parameters& params, const SimulatorFolders& folders) {
    return folders.msfs2020 ? static_cast<TextParameter&>(params.MSFS_INSTALL_PATH)
                            : static_cast<TextParameter&>(params.MSFS_2024_INSTALL_PATH);
}

bool lf_isDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

void lf_storeInstallPath(Parameters& params, const SimulatorFolders& folders, const std::string& path) {
    TextParameter& own = lf_simulatorPathSetting(params, folders);
    own.set(path);
    params.save(own);
    params.ALL_INSTALL_PATH.set(path);
    params.save(params.ALL_INSTALL_PATH);
    params.updateControl(params.ALL_INSTALL_PATH);
}

// Paths typed on Windows use backslashes; either separator ends a folder name here.
bool lf_isSeparator(char c) { return c == '\\' || c == '/'; }

} // namespace

SimulatorFolders SimulatorFolders::ofThisUser(bool msfs2020) {
    SimulatorFolders folders;
    folders.msfs2020 = msfs2020;
    if (const auto roaming = gf_roamingAppDataFolder()) {
        folders.roamingAppData = *roaming;
    } else {
        logImportant("Could not find the AppData path");
    }
    if (const auto local = gf_localAppDataFolder()) {
        folders.localAppData = *local;
    } else {
        logImportant("Could not find the Local AppData path");
    }
    return folders;
}

const char* SimulatorFolders::storePackageFamily() const {
    return msfs2020 ? "Microsoft.FlightSimulator_8wekyb3d8bbwe" : "Microsoft.Limitless_8wekyb3d8bbwe";
}

const char* SimulatorFolders::roamingFolderName() const {
    return msfs2020 ? "Microsoft Flight Simulator" : "Microsoft Flight Simulator 2024";
}

bool gf_isValidInstallPath(const fs::path& path, const SimulatorFolders& folders) {
    return lf_isDirectory(path) && lf_isDirectory(path / "Community") &&
           lf_isDirectory(path / folders.officialFolderName());
}

fs::path gf_locateUserCfg(const SimulatorFolders& folders) {
    std::vector<fs::path> candidates;
    if (!folders.localAppData.empty())
        candidates.push_back(folders.localAppData / "Packages" / folders.storePackageFamily() / "LocalCache" /
                             "UserCfg.opt");
    if (!folders.roamingAppData.empty())
        candidates.push_back(folders.roamingAppData / folders.roamingFolderName() / "UserCfg.opt");
    if (!folders.localAppData.empty()) {
        candidates.push_back(folders.localAppData / "Packages" / "Microsoft.FlightDashboard_8wekyb3d8bbwe" /
                             "LocalCache" / "UserCfg.opt");
        candidates.push_back(folders.localAppData / "MSFSPackages" / "UserCfg.opt");
    }
    std::string tried;
    for (const auto& candidate : candidates) {
        std::error_code ec;
        if (fs::exists(candidate, ec)) return candidate;
        tried += (tried.empty() ? "" : ", ") + candidate.string();
    }
    logImportant("MSFS detection, not found: {}", tried);
    return {};
}

std::optional<fs::path> gf_installedPackagesPath(const SimulatorFolders& folders) {
    const fs::path userCfg = gf_locateUserCfg(folders);
    if (userCfg.empty()) {
        logLine("No UserCfg.opt found?");
        return std::nullopt;
    }
    for (const auto& line : gf_readLines(userCfg, 64)) {
        if (line.size() <= 20 || line.find("InstalledPackagesPath") == std::string::npos) continue;
        std::string value;
        const auto open = line.find('"');
        const auto close = open == std::string::npos ? std::string::npos : line.find('"', open + 1);
        if (open != std::string::npos && close != std::string::npos) {
            value = line.substr(open + 1, close - open - 1);
        } else {
            // The simulator separates key and value by a blank or a tab, as in its indented blocks.
            value = line.substr(line.find("InstalledPackagesPath") + std::string("InstalledPackagesPath").size());
            const auto first = value.find_first_not_of(" \t");
            value = first == std::string::npos
                        ? std::string()
                        : value.substr(first, value.find_last_not_of(" \t") - first + 1);
        }
        logLine("UserCfg.opt: InstalledPackagesPath={}", value);
        std::error_code ec;
        if (fs::exists(gf_utf8Path(value), ec)) return gf_utf8Path(value);
        return std::nullopt;
    }
    logLine("UserCfg.opt: InstalledPackagesPath=???");
    return std::nullopt;
}

bool gf_detectInstallPath(Parameters& params, const SimulatorFolders& folders) {
    std::optional<fs::path> found;
    if (!folders.roamingAppData.empty()) {
        const fs::path steam = folders.roamingAppData / folders.roamingFolderName() / "Packages";
        if (lf_isDirectory(steam)) {
            logLine("Steam packages: {}", steam.string());
            if (gf_isValidInstallPath(steam, folders)) found = steam;
        }
    }
    if (!found) {
        const auto fromUserCfg = gf_installedPackagesPath(folders);
        if (fromUserCfg && gf_isValidInstallPath(*fromUserCfg, folders)) found = fromUserCfg;
    }
    if (!found) return false;
    lf_storeInstallPath(params, folders, gf_utf8Text(*found));
    return true;
}

void gf_takeStoredInstallPath(Parameters& params, const SimulatorFolders& folders) {
    TextParameter& own = lf_simulatorPathSetting(params, folders);
    std::string path = own.value();
    // Users often store the Community folder itself; the install path is its parent.
    const std::string ending = path.ends_with("/Community") ? "/Community" : "\\Community";
    if (path.size() >= 10 && path.ends_with(ending)) {
        path.erase(path.find(ending));
        own.set(path);
        params.save(own);
    }
    params.ALL_INSTALL_PATH.set(path);
    params.updateControl(params.ALL_INSTALL_PATH);
}

void gf_requireInstallPath(Parameters& params, const SimulatorFolders& folders) {
    if (params.ALL_INSTALL_PATH.empty() && !gf_detectInstallPath(params, folders)) {
        throw UserErrorException(150, "No install path detected. Type the full path to your Community folder "
                                      "above, then press Enter");
    }
}

TypedPathResult gf_applyTypedInstallPath(Parameters& params, const SimulatorFolders& folders,
                                         const std::string& text) {
    if (text.empty()) {
        TextParameter& own = lf_simulatorPathSetting(params, folders);
        if (!own.empty()) {
            own.set({});
            params.save(own);
        }
        return {};
    }
    std::string trimmed = text;
    while (trimmed.size() > 1 && lf_isSeparator(trimmed.back())) trimmed.pop_back();
    fs::path candidate = gf_utf8Path(trimmed);
    const std::size_t lastSeparator = trimmed.find_last_of("\\/");
    const std::string lastPart = lastSeparator == std::string::npos ? trimmed : trimmed.substr(lastSeparator + 1);
    if (lastPart == "Community" && lastSeparator != std::string::npos) candidate = gf_utf8Path(trimmed.substr(0, lastSeparator));

    std::error_code ec;
    const bool exists = fs::exists(candidate, ec);
    if (ec) return {false, fmt::format("Cannot access install path '{}': {}", candidate.string(), ec.message())};
    if (!exists) return {false, fmt::format("This install path does not exist: {}", candidate.string())};
    if (!lf_isDirectory(candidate / "Community")) return {false, "This path exists but is not a path to Community ..."};
    if (!gf_isValidInstallPath(candidate, folders))
        return {false, "This path does not contain a valid Community folder (unexpected)."};
    lf_storeInstallPath(params, folders, gf_utf8Text(candidate));
    return {true, fmt::format("Community path found, {} will restart ...", kProgramName)};
}

} // namespace vorl
