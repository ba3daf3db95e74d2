#pragma once

namespace vorl {

// Session set-up's part: the scan check box becomes usable, and when SCAN_AIRPORTS is set the
// add-on airport scan runs, reading facility data through the simulator link.
void gf_airportScanSetUp();

// The entries of the user's add-on airport folders for the status display, repainted after each.
void gf_countAddonAirportFolders();

} // namespace vorl
