#pragma once
#include <cstddef>
#include <filesystem>

namespace vorl::tools {

struct AiPackagesOptions {
    std::filesystem::path fleet;     // fleet.json of the scenario tools
    std::filesystem::path community; // the Community folder to fill
    std::size_t copies = 1;          // more liveries of every airline and type, for load tests
};

struct AiPackagesSummary {
    std::size_t files = 0;
    std::size_t liveries = 0;
};

// Writes a made-up installation of AI traffic packages named like the real ones (AIG, FSLTL,
// IVAO MTL, JF, user-aitraffic) for the fleet's airlines and types: passenger and cargo
// liveries, unbranded and private ones, registration-specific ones, and a few broken files of
// the kinds users have (UTF-16 text, a section without title, a repeated title, no sections).
AiPackagesSummary gf_writeAiPackages(const AiPackagesOptions& options);

} // namespace vorl::tools
