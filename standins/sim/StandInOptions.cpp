#include "standins/sim/StandInOptions.h"

#include <cstdlib>

namespace vorl::standin {

SimStandInConfig gf_standInConfig(const StandInOptions& options) {
    SimStandInConfig config;
    config.version = options.msfs2020 ? SimulatorVersion::Msfs2020 : SimulatorVersion::Msfs2024;
    if (options.userScript == "parked") {
        const UserPose stand = UserScript::ehamDeparture().poseAt(0.0);
        config.user = UserScript::fixed(stand.lat, stand.lon, stand.altitudeFt, stand.headingDeg, true);
    }
    config.tracePath = options.tracePath;
    config.mapPath = options.mapPath;
    config.communityFolder = options.communityFolder;
    return config;
}

namespace {
std::optional<std::string> lf_environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}
} // namespace

StandInOptions gf_standInOptionsFromEnvironment() {
    StandInOptions options;
    if (const auto version = lf_environment(kEnvSimVersion)) options.msfs2020 = *version != "2024";
    if (const auto user = lf_environment(kEnvUserScript)) options.userScript = *user;
    if (const auto trace = lf_environment(kEnvTrace)) options.tracePath = std::filesystem::path(*trace);
    if (const auto map = lf_environment(kEnvMap)) options.mapPath = std::filesystem::path(*map);
    if (const auto community = lf_environment(kEnvCommunity))
        options.communityFolder = std::filesystem::path(*community);
    if (const auto input = lf_environment(kEnvInput)) options.inputFolder = std::filesystem::path(*input);
    return options;
}

} // namespace vorl::standin
