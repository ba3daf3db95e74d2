#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "standins/sim/SimStandIn.h"

namespace vorl::standin {

// What a run of the stand-in plays, as the program's options and the stand-in DLL's environment
// name it.
struct StandInOptions {
    bool msfs2020 = true;
    // What the user's aircraft does: "departure" (the EHAM flight) or "parked" (at its stand).
    std::string userScript = "departure";
    std::optional<std::filesystem::path> tracePath;
    std::optional<std::filesystem::path> mapPath;
    // The simulator's Community folder: the stand-in creates the liveries installed there.
    std::optional<std::filesystem::path> communityFolder;
    // The install folder's input/, where a stand-in in its own module reads the world's airports.
    std::filesystem::path inputFolder = "input";
};

SimStandInConfig gf_standInConfig(const StandInOptions& options);

// The stand-in loaded as SimConnect.dll has no command line: it takes its options from these
// environment variables, read when the program opens the link.
inline constexpr const char* kEnvSimVersion = "VORL_STANDIN_SIM_VERSION"; // 2020 or 2024
inline constexpr const char* kEnvUserScript = "VORL_STANDIN_USER";       // departure or parked
inline constexpr const char* kEnvTrace = "VORL_STANDIN_TRACE";
inline constexpr const char* kEnvMap = "VORL_STANDIN_MAP";
inline constexpr const char* kEnvCommunity = "VORL_STANDIN_COMMUNITY";
inline constexpr const char* kEnvInput = "VORL_STANDIN_INPUT";

StandInOptions gf_standInOptionsFromEnvironment();

} // namespace vorl::standin
