#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vorl::standin {

// The container titles of every livery under `folder`: the "title=" lines of all aircraft.cfg
// files below it, as the simulator would know them.
std::vector<std::string> gf_readInstalledTitles(const std::filesystem::path& folder);

} // namespace vorl::standin
