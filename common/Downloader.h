#pragma once
#include <filesystem>
#include <string>

namespace vorl {

// Fetches a file from the maker's download server: "{}{}/{}" of server base, folder, name.
std::string gf_downloadUrl(const std::string& serverBase, const std::string& folder, const std::string& fileName);

// Writes the body of a successful answer to `target`. The bytes land in a temporary sibling
// first, so a failed download never damages the file that was there. Logs every outcome.
bool gf_downloadFile(const std::string& url, const std::filesystem::path& target);

} // namespace vorl
