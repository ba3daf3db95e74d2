#include "airports/PackageManifest.h"

#include <fstream>

#include <nlohmann/json.hpp>

#include "common/Log.h"
#include "common/TextCase.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

std::string lf_text(const nlohmann::json& manifest, const char* key) {
    const auto found = manifest.find(key);
    return found != manifest.end() && found->is_string() ? found->get<std::string>() : std::string();
}

} // namespace

std::optional<PackageManifest> gf_searchManifest(const fs::path& packageFolder) {
    try {
        std::ifstream in(packageFolder / "manifest.json");
        if (!in) throw std::runtime_error("no manifest.json in " + packageFolder.string());
        const nlohmann::json manifest = nlohmann::json::parse(in);
        PackageManifest m;
        m.folder = packageFolder;
        m.title = lf_text(manifest, "title");
        m.packageVersion = lf_text(manifest, "package_version");
        m.version = lf_text(manifest, "version");
        m.manufacturer = lf_text(manifest, "manufacturer");
        m.creator = lf_text(manifest, "creator");
        return m;
    } catch (const std::exception& e) {
        logLine("exception in gf_searchManifest: {}", e.what());
        return std::nullopt;
    }
}

std::optional<fs::path> gf_packageFolderOf(const fs::path& file, const fs::path& root) {
    const fs::path top = root.lexically_normal();
    std::error_code ec;
    for (fs::path folder = file.parent_path().lexically_normal(); !folder.empty(); folder = folder.parent_path()) {
        if (fs::is_regular_file(folder / "manifest.json", ec)) return folder;
        if (folder == top || folder == folder.parent_path()) break;
    }
    return std::nullopt;
}

std::string gf_packagePublisher(const PackageManifest& manifest) {
    for (const std::string& name : {manifest.folder.filename().string(), manifest.title, manifest.creator})
        if (gf_containsNoCase(name, "microsoft-airport") || gf_containsNoCase(name, "asobo-airport")) return "simaddon";
    const std::string creator(gf_trimmed(manifest.creator));
    if (!creator.empty()) return creator;
    const std::string manufacturer(gf_trimmed(manifest.manufacturer));
    return manufacturer.empty() ? "unknown" : manufacturer;
}

} // namespace vorl
