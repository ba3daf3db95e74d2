#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace vorl {

// What a simulator package says of itself in its manifest.json.
struct PackageManifest {
    std::filesystem::path folder;
    std::string title;
    std::string packageVersion;
    std::string version;
    std::string manufacturer;
    std::string creator;
};

// The manifest of the package folder; nothing (logged) when it is missing or unreadable.
std::optional<PackageManifest> gf_searchManifest(const std::filesystem::path& packageFolder);

// The package a file belongs to: the nearest folder above it, up to `root`, that holds a
// manifest.json. Nothing when there is none.
std::optional<std::filesystem::path> gf_packageFolderOf(const std::filesystem::path& file,
                                                        const std::filesystem::path& root);

// "simaddon" for the simulator's own airport packages (named "microsoft-airport" or
// "asobo-airport"), otherwise the package's creator (its manufacturer when no creator is given).
std::string gf_packagePublisher(const PackageManifest& manifest);

} // namespace vorl
