#pragma once
#include <filesystem>
#include <string>

namespace vorl {

class FrontEnd;
class Parameters;
struct AppPaths;

// Compares the versions on the maker's server with the local ones: newer data files are
// downloaded, newer scan formats switch their scan on, and a newer program is downloaded,
// unpacked into new_version and handed to the user. False only in that last case (the
// program then ends with closing reason 8); an unreachable server changes nothing.
bool gf_checkVersions(Parameters& params, const AppPaths& paths, FrontEnd& frontEnd);

// The first start of a newer program notes its version and clears what an older one left.
void gf_noteProgramVersion(Parameters& params, const AppPaths& paths);

// Downloads latest_version.zip into `folder` and unpacks it there; entries that would land
// outside the folder are refused. True when the installer is in place.
bool gf_downloadInstaller(const std::string& serverBase, const std::filesystem::path& folder,
                          const std::string& versionText);

} // namespace vorl
