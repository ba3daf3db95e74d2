#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace vorl {

// Where an airport's file is: a user or scan file below airports/ (a .txt redirect first, then
// the .xml, my_thirdparty before my_simaddon), else the archived stock file on the download
// server when the airport database gives the airport stands. Empty when there is none.
std::string gf_locateAirportFile(std::string_view icao);
bool gf_hasAirportFile(std::string_view icao);

// The path named by a redirect file, or empty when the file holds no valid redirect line.
std::string gf_readRedirect(const std::filesystem::path& file);

// Fetches an archived airport file (e.g. "archive/stock/EHAM.xml") from the maker's server into
// `target`; when no server is set or the server fails, copies the one the install folder ships
// (the same path below the working folder). Empty on success, else the URL that failed; a failed
// fetch leaves no file.
std::string gf_downloadAirportFile(const std::string& archivePath, const std::filesystem::path& target);

// Local files are those below airports/; anything else lives on the download server.
bool gf_isLocalAirportPath(std::string_view path);

} // namespace vorl
