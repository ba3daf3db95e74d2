#include "app/LiveryStartUp.h"

#include <memory>

#include <fmt/format.h>

#include "app/AppPaths.h"
#include "app/Parameters.h"
#include "app/ProgramContext.h"
#include "app/StatusBoard.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/UserErrorException.h"
#include "models/LiveryCatalogue.h"
#include "models/LiveryScan.h"
#include "models/ModelDatabase.h"
#include "models/Regcodes.h"
#include "models/StreamCrypt.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

std::unique_ptr<LiveryCatalogue>& lf_catalogue() {
    static std::unique_ptr<LiveryCatalogue> catalogue = std::make_unique<LiveryCatalogue>(gf_modelDatabase());
    return catalogue;
}

bool g_catalogueRead = false;

fs::path lf_problemsFolder() {
    const fs::path settings = gf_paths().parametersFile.parent_path();
    return settings.empty() ? gf_paths().output : settings;
}

void lf_scan() {
    Parameters& p = gf_params();
    LiveryScanSettings s;
    s.automatic = p.LIG_AUTOMATIC.value();
    s.prioritize = p.LIG_PRIORITIZE.value();
    s.selector = gf_parsePackageSelector(p.AI_PACKAGE_SELECTOR.value());
    for (std::size_t i = 0; i < s.manualFolders.size(); ++i) s.manualFolders[i] = p.lfolder[i].value();
    s.packagesPath = gf_utf8Path(p.ALL_INSTALL_PATH.value());
    s.result = gf_paths().output / "LiveriesScanned.xml";
    s.problemsFolder = lf_problemsFolder();
    s.version = gf_versionText();
    s.threads = gf_program().hardwareThreads.load();
    s.status = [](const std::string& text) { gf_status().setStatus(text, false); };
    bool failed = false;
    s.excludedTitles = gf_readDontUseTitles(gf_paths().input / "DontUseTitles.txt", gf_paths().input / "dont_use", failed);
    gf_scanLiveries(s, gf_modelDatabase());
}

RegistrationLiveries lf_registrationLiveries(const std::vector<LiveryData>& liveries) {
    RegcodeSources sources;
    const fs::path encrypted = gf_paths().input / "AIG-regcodes.enc";
    const fs::path decrypted = gf_paths().input / "AIG-regcodes.xml";
    if (fs::exists(encrypted)) {
        logLine("Processing file {}", encrypted.string());
        try {
            if (!gf_streamDecrypt(encrypted, decrypted)) throw std::runtime_error("decryption failed");
            sources.sources.push_back(gf_readAigRegcodes(decrypted));
        } catch (const std::exception& e) {
            logLine("exception: {}", e.what());
            gf_status().setStatus(fmt::format("There were errors processing the AIG-regcode file '{}', see Log.txt",
                                              encrypted.string()), true);
        }
        gf_removeTemporaryFile(decrypted);
    }
    logLine("Processing files in {}", gf_paths().myRegcodes.string());
    bool userFailed = false;
    sources.sources.push_back(gf_readUserRegcodes(gf_paths().myRegcodes, userFailed));
    if (userFailed)
        gf_status().setStatus(fmt::format("There were errors processing the regcode files in folder '{}', see Log.txt",
                                          gf_paths().myRegcodes.string()), true);
    sources.offlineReport = gf_paths().output / "OfflineRegcodes.txt";
    sources.clashReport = gf_paths().outputErrors / "InlineRegcodeClashes.txt";
    return gf_mergeRegcodes(sources, liveries);
}

// Light, high-performance and helicopter traffic is only shown when such liveries exist.
void lf_switchOffMissingCategories(const std::vector<AircraftCategory>& missing) {
    Parameters& p = gf_params();
    for (const AircraftCategory category : missing) {
        if (category == AircraftCategory::Light && p.LIGHT_AIRCRAFT.value()) {
            p.LIGHT_AIRCRAFT.set(false);
            logLine("{} temporarily switched off because you do not have light aircraft installed", "LIGHT_AIRCRAFT");
        } else if (category == AircraftCategory::HighPerf && p.HIGH_PERF_AIRCRAFT.value()) {
            p.HIGH_PERF_AIRCRAFT.set(false);
            logLine("{} temporarily switched off because you do not have High Perf aircraft installed", "HIGH_PERF_AIRCRAFT");
        } else if (category == AircraftCategory::Rotorcraft && p.HELICOPTERS.value()) {
            p.HELICOPTERS.set(false);
            logLine("{} temporarily switched off because you do not have Helicopters installed", "HELICOPTERS");
        }
    }
}

void lf_readCatalogue() {
    const auto liveries = gf_readLiveriesScanned(gf_paths().output / "LiveriesScanned.xml");
    auto catalogue = std::make_unique<LiveryCatalogue>(gf_modelDatabase());
    catalogue->build(liveries, lf_registrationLiveries(liveries));
    lf_switchOffMissingCategories(catalogue->logCounts());
    lf_catalogue() = std::move(catalogue);
    g_catalogueRead = true;
}

} // namespace

LiveryCatalogue& gf_liveryCatalogue() { return *lf_catalogue(); }

void gf_liveryStartUp() {
    const bool scanDue = gf_params().SCAN_LIVERIES.value() || !fs::exists(gf_paths().output / "LiveriesScanned.xml");
    if (scanDue) lf_scan();
    if (!scanDue && g_catalogueRead && gf_program().restarted.load())
        logLine("Processing scanned liveries skipped; already done in previous start-up");
    else
        lf_readCatalogue();
}

} // namespace vorl
