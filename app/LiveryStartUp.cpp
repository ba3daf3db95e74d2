#include "app/LiveryStartUp.h"

#include <memory>

#include <fmt/format.h>

#include "app/AppPaths.h"
#include "app/LiveTrafficLink.h"
#include "app/Parameters.h"
#include "app/ParkingLink.h"
#include "app/ProgramContext.h"
#include "app/StatusBoard.h"
#include "common/Log.h"
#include "common/Names.h"
#include "common/UserErrorException.h"
#include "models/LiveryCatalogue.h"
#include "models/LiveryScan.h"
#include "models/ModelDatabase.h"
#include "models/Regcodes.h"
#include "models/StreamCrypt.h"
#include "sim/LiveAircraft.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr std::size_t kTooManyFailedTitles = 20;

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
    s.packagesPath = p.ALL_INSTALL_PATH.value();
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

std::optional<std::string> lf_matchLive(const LiveAircraft& a) {
    LiveryQuery query;
    query.code = a.code;
    query.category = a.category;
    query.registration = a.registration;
    query.label = a.presence.label;
    query.callsign = a.presence.callsign;
    const auto choice = gf_liveryCatalogue().matchLive(query, gf_params().MATCHING_DEPTH.value());
    if (!choice) return std::nullopt;
    return choice->title;
}

std::optional<std::string> lf_matchStatic(std::uint16_t airline, std::uint16_t type, const std::string& registration) {
    ModelDatabase& db = gf_modelDatabase();
    LiveryQuery query;
    query.code.airlineIndex = airline;
    query.code.typeIndex = type;
    query.code.cargo = db.isCargoOperator(airline) ? 1 : 0;
    query.category = db.category(type);
    query.registration = registration;
    query.label = fmt::format("{} {} {}", db.airlineOf(airline), db.typeOf(type), registration);
    query.callsign = registration;
    const auto choice = gf_liveryCatalogue().matchParked(query, {}, gf_params().MATCHING_DEPTH.value());
    if (!choice) return std::nullopt;
    return choice->title;
}

void lf_liveryFailed(const std::string& label, const std::string& title) {
    gf_status().setStatus(fmt::format("{} '{}' could not be created by your Sim!", label, title), true);
    if (gf_liveryCatalogue().addFailedTitle(title) < kTooManyFailedTitles) return;
    const char* text = "There are too many liveries that could not be created!";
    logLine("\n{}Error 81, {}\n", "===> ", text);
    throw UserErrorException(81, fmt::format("{}, see Log.txt", text));
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
    gf_liveSources().matchLivery = lf_matchLive;
    gf_liveSources().liveryFailed = lf_liveryFailed;
    gf_parkingSources().staticLivery = lf_matchStatic;
}

void gf_liveryCloseDown() {
    if (g_catalogueRead) gf_liveryCatalogue().logSummary();
}

} // namespace vorl
