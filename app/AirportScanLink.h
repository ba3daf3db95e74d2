#pragma once

namespace vorl {

struct AppPaths;
struct ProgramServices;

// The entries of the user's add-on airport folders, as the status display counts them.
struct AddonAirportCounts {
    int simaddon = 0;
    int thirdparty = 0;
};
AddonAirportCounts gf_countAddonAirportFolders(const AppPaths& paths);

// Session set-up's part when SCAN_AIRPORTS is set: the add-on airport scan, reading facility
// data through the simulator link. Returns the recounted folders.
AddonAirportCounts gf_runAirportScan(const ProgramServices& services);

} // namespace vorl
