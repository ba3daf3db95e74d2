#include "app/VersionCheck.h"

#include <fstream>
#include <functional>
#include <optional>
#include <system_error>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "app/AppPaths.h"
#include "app/FrontEnd.h"
#include "app/Parameters.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "common/Downloader.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/UserErrorException.h"
#include "common/Version.h"
#include "common/ZipArchive.h"
#include "common/platform.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr const char* kDownloads = "/downloads";
constexpr const char* kInstallerName = "install_new_version.exe";
constexpr const char* kUpdateArchive = "latest_version.zip";
// Encrypted data files of programs older than this are in a format this one cannot read.
constexpr VersionData kFirstVersionOfCurrentDataFormat{0, 1, 0};

std::optional<VersionData> lf_versionOf(const nlohmann::json& item) {
    try {
        return VersionData{item.at("major").get<int>(), item.at("minor").get<int>(), item.at("patch").get<int>()};
    } catch (const std::exception& e) {
        logLine("{} exception: {}", "VersionData", e.what());
        return std::nullopt;
    }
}

VersionData lf_storedVersion(const TextParameter& setting) {
    if (setting.empty()) return {};
    try {
        return VersionData::parse(setting.value());
    } catch (const std::exception& e) {
        logLine("{} exception: {}", "VersionData", e.what());
        return {};
    }
}

bool lf_exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// One data item of versions.json: what to compare, and what to do when the server's is newer.
struct DataItem {
    const char* key;
    TextParameter& setting;
    std::optional<fs::path> localFile;
    std::function<bool()> update;
};

bool lf_switchScanOn(Parameters& params, BoolParameter& scan) {
    scan.set(true);
    params.save(scan);
    params.updateControl(scan);
    return true;
}

std::string lf_installerMessage() {
    const fs::path programFolder = fs::current_path();
    bool isProtected = false;
    for (const auto& folder : gf_protectedProgramFolders()) {
        if (programFolder.string().rfind(folder.string(), 0) == 0 && !gf_isFolderWritable(programFolder))
            isProtected = true;
    }
    if (isProtected && !gf_isElevated()) return "A new version is available. Run the installer as Administrator";
    return "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";
}

bool lf_updateProgram(Parameters& params, const AppPaths& paths, FrontEnd& frontEnd, const VersionData& server) {
    const std::string base = params.DOWNLOAD_SERVER_URL.value();
    if (!gf_downloadInstaller(base, paths.newVersion, server.text()))
        throw UserErrorException(112, "The downloading/unzipping of the new version failed? Try manually via the "
                                      "Dravik website");
    const fs::path notes = paths.newVersion / "ReleaseNotes.pdf";
    const std::string notesUrl = gf_downloadUrl(base, std::string(kDownloads) + "/docs", "ReleaseNotes.pdf");
    if (!gf_downloadFile(notesUrl, notes)) logImportant("could not download {} to {}", notesUrl, notes.string());

    const std::string message = lf_installerMessage();
    logLine(message);
    std::ofstream(paths.newVersion / "README.txt", std::ios::trunc) << message << "\n";

    if (!gf_showInFileManager(fs::absolute(paths.newVersion / kInstallerName))) {
        frontEnd.showWarning("Could not open File Explorer at new version");
        gf_status().setStatus("Opening file explorer at the new version failed? Try manually via the Dravik website.",
                              true);
    }
    gf_run().requestStop(ClosingReason::NewVersion, 0);
    return false;
}

} // namespace

bool gf_downloadInstaller(const std::string& serverBase, const fs::path& folder, const std::string& versionText) {
    std::error_code ec;
    const fs::path installer = folder / kInstallerName;
    if (lf_exists(installer) && !fs::remove(installer, ec))
        logLine("Warning: could not remove old installer: {}", ec.message());
    fs::create_directories(folder, ec);

    const fs::path archive = folder / kUpdateArchive;
    const fs::path partial = folder / (std::string(kUpdateArchive) + ".part");
    if (!gf_downloadFile(gf_downloadUrl(serverBase, std::string(kDownloads) + "/release", kUpdateArchive), partial)) {
        logLine("Downloading program installer file version {} failed", versionText);
        return false;
    }
    logLine("Downloaded {}", partial.string());

    const auto sizeBefore = fs::file_size(partial, ec);
    if (ec) logLine("file_size({}) failed: {}", partial.string(), ec.message());
    fs::rename(partial, archive, ec);
    if (ec) {
        logLine("could not rename {} => {}: {}", partial.string(), archive.string(), ec.message());
        return false;
    }
    const auto sizeAfter = fs::file_size(archive, ec);
    if (!ec && sizeAfter != sizeBefore)
        logLine("rename {} => {} suspicious: size {} != {}", partial.string(), archive.string(), sizeBefore, sizeAfter);

    const UnzipResult unzipped = gf_unzipInto(archive, folder);
    if (unzipped.ok) logLine("{} unzipped to {}", archive.string(), folder.string());
    if (!fs::remove(archive, ec)) logLine("Warning: could not remove downloaded zip: {}", ec.message());
    if (!unzipped.ok || !unzipped.refused.empty()) {
        // An archive that tries to write outside its folder is not trusted at all.
        for (const auto& written : unzipped.written)
            if (!fs::remove(written, ec)) logLine("Warning: could not remove extracted: {}", written.string());
        return false;
    }
    if (!lf_exists(installer)) {
        logLine("{} does not exists?", installer.string());
        return false;
    }
    return true;
}

void gf_noteProgramVersion(Parameters& params, const AppPaths& paths) {
    const VersionData running = gf_runningVersion();
    const VersionData previous = lf_storedVersion(params.PROGRAM_VERSION);
    if (!params.PROGRAM_VERSION.empty() && previous == running) return;
    params.PROGRAM_VERSION.set(running.text());
    params.save(params.PROGRAM_VERSION);
    if (running <= previous) return;
    logLine("This is a version update from {} -> {}", previous.text(), running.text());
    std::error_code ec;
    if (previous < kFirstVersionOfCurrentDataFormat) {
        for (const char* name : {"dbase.enc", "airports.enc", "AIG-regcodes.enc"}) fs::remove(paths.input / name, ec);
    }
    fs::remove_all(paths.newVersion, ec);
}

bool gf_checkVersions(Parameters& params, const AppPaths& paths, FrontEnd& frontEnd) {
    const std::string base = params.DOWNLOAD_SERVER_URL.value();
    if (base.empty()) {
        logLine("No download server set (DOWNLOAD_SERVER_URL): version check skipped");
        return true;
    }
    const fs::path versionsFile = paths.input / "versions.json";
    std::error_code ec;
    fs::remove(versionsFile, ec);
    if (!gf_downloadFile(gf_downloadUrl(base, kDownloads, "versions.json"), versionsFile)) {
        logImportant("Downloading version info from my web site failed!");
        return true;
    }
    std::ifstream in(versionsFile);
    if (!in) {
        logLine("Cannot open versions.json");
        return true;
    }
    nlohmann::json versions;
    try {
        versions = nlohmann::json::parse(in);
    } catch (const std::exception& e) {
        logLine("{} exception: {}", "versions.json", e.what());
        return true;
    }

    if (versions.contains("msfs")) {
        if (const auto server = lf_versionOf(versions["msfs"])) {
            logLine("{} program version at web = {}", kProgramName, server->text());
            if (*server > gf_runningVersion()) return lf_updateProgram(params, paths, frontEnd, *server);
        }
    } else {
        logLine("{} version not found", "msfs");
    }

    const auto downloadData = [&](const char* fileName) {
        return [&paths, base, fileName] {
            if (gf_downloadFile(gf_downloadUrl(base, kDownloads, fileName), paths.input / fileName)) return true;
            logLine("Downloading '{}' failed !", fileName);
            return false;
        };
    };
    const std::vector<DataItem> items{
        {"airports", params.AIRPORTS_VERSION, paths.input / "airports.enc", downloadData("airports.enc")},
        {"aig", params.AIG_VERSION, paths.input / "AIG-regcodes.enc", downloadData("AIG-regcodes.enc")},
        {"liveries", params.LIV_SCAN_VERSION, paths.output / "LiveriesScanned.xml",
         [&] { return lf_switchScanOn(params, params.SCAN_LIVERIES); }},
        {"addons", params.ADDONS_SCAN_VERSION, std::nullopt, [&] { return lf_switchScanOn(params, params.SCAN_AIRPORTS); }},
        {"dbase", params.DBASE_VERSION, paths.input / "dbase.enc", downloadData("dbase.enc")},
    };
    for (const auto& item : items) {
        if (!versions.contains(item.key)) {
            logLine("{} version not found", item.key);
            continue;
        }
        const auto server = lf_versionOf(versions[item.key]);
        if (!server) continue;
        const bool missing = item.localFile && !lf_exists(*item.localFile);
        if (!missing && *server <= lf_storedVersion(item.setting)) {
            logLine("{} version up-to-date", item.key);
            continue;
        }
        if (!item.update()) continue;
        item.setting.set(server->text());
        params.save(item.setting);
        logLine("{} updated to {}", item.key, server->text());
    }
    return true;
}

} // namespace vorl
