#pragma once
#include <string>

namespace vorl {

// Where the RealTraffic API lives and who we are to it. The access key comes from the settings
// store (text setting); it is sent only in the login body and never written to the log.
struct RtConfig {
    std::string baseUrl = "https://rtwa.flyrealtraffic.com"; // "/v5/..." paths are appended
    std::string license;                                      // the user's RealTraffic access key
    std::string softwareName = "VORL";
    std::string softwareVersion; // dotted, e.g. "0.1.0"; empty takes the build's version
};

// The full URL of an API path such as "/v5/auth"; a trailing slash of the base is ignored.
std::string gf_rtUrl(const RtConfig& config, const char* path);

} // namespace vorl
