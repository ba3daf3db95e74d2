#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vorl {

struct CommandLineOptions {
    // Production switch: set only when a switch was given; the last one wins.
    std::optional<bool> production;
    bool headless = false;
    bool help = false;
    bool version = false;
    std::optional<std::filesystem::path> workdir;
    std::optional<std::filesystem::path> configDir;
    std::optional<int> durationSeconds;
    // Windows has the simulator: its SimConnect library is the link unless the stand-in is asked for.
#ifdef _WIN32
    std::string sim = "simconnect";
#else
    std::string sim = "standin";
#endif
    // The simulator stand-in's trace (JSON Lines) and top-down map (SVG), and the simulator
    // version it plays ("2020" or "2024"; empty: the one the settings name).
    std::optional<std::filesystem::path> simTrace;
    std::optional<std::filesystem::path> simMap;
    std::string simVersion;
    std::string userScript = "departure"; // what the stand-in's user aircraft does: departure or parked
    // Where the window saves a picture of itself when the program ends.
    std::optional<std::filesystem::path> windowPicture;
    // Wrong use of an option that takes a value; the program says so and ends.
    std::string error;
};

// Parses the arguments after the program name. Arguments matching no option are ignored.
CommandLineOptions gf_parseCommandLine(const std::vector<std::string>& args);

std::string gf_usageText();

} // namespace vorl
