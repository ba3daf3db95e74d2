#include "app/DataFiles.h"

#include <filesystem>
#include <system_error>

#include "app/AppPaths.h"
#include "app/InstallDetection.h"
#include "app/ProgramContext.h"
#include "app/VersionCheck.h"
#include "app/Parameters.h"
#include "app/ReferenceData.h"
#include "app/RunControl.h"
#include "app/StatusBoard.h"
#include "app/TimeShift.h"
#include "common/Log.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

bool lf_createDataFolders() {
    for (const auto& folder : gf_paths().dataFolders()) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
            gf_status().setError(fmt::format("Failed to create directory: {} ({})", folder.string(), ec.message()));
            return false;
        }
    }
    return true;
}

} // namespace

bool gf_readDataFiles() {
    Parameters& params = gf_params();
    const bool firstRun = params.readAll(gf_run().stopRequested());
    if (firstRun) {
        // A first run scans liveries and airports, whatever the defaults say.
        params.SCAN_LIVERIES.set(true);
        params.save(params.SCAN_LIVERIES);
        params.SCAN_AIRPORTS.set(true);
        params.save(params.SCAN_AIRPORTS);
    }
    params.afterReading();
    const SimulatorFolders simulator = SimulatorFolders::ofThisUser(params.isMsfs2020());
    gf_takeStoredInstallPath(params, simulator);
    if (!lf_createDataFolders()) return false;

    gf_noteProgramVersion(params, gf_paths());
    // A newer program handed to the user ends this start; its data is not read.
    if (!gf_program().restarted.load() && !gf_checkVersions(params, gf_paths(), *gf_program().frontEnd)) return true;

    gf_applyTimeShiftSettings();
    gf_readReferenceData(gf_paths().input);
    gf_requireInstallPath(params, simulator);
    return true;
}

} // namespace vorl
