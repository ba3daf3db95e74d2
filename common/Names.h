#pragma once
#include <string>

#include <fmt/format.h>

#include "common/VersionInfo.h"

namespace vorl {

inline constexpr const char* kProgramName = "VORL";
inline constexpr const char* kSimulatorFamily = "MSFS 2020/2024";

// The running version as the log, the settings file and the window show it.
inline std::string gf_versionText() { return fmt::format("{}.{}.{}", kVersionMajor, kVersionMinor, kVersionPatch); }

} // namespace vorl
