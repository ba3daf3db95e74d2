#include "app/AirportScanLink.h"

#include <set>

#include "airports/AddonAirportScan.h"
#include "app/AppPaths.h"
#include "app/FrontEnd.h"
#include "app/Parameters.h"
#include "app/ProgramContext.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/WindowCommands.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "models/ModelDatabase.h"
#include "sim/FacilityReader.h"
#include "sim/SimSession.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr int kScanAirportsControl = 0x8022;

std::vector<AirportScanFolder> lf_scanFolders(const Parameters& p) {
    const fs::path install = p.ALL_INSTALL_PATH.value();
    const bool msfs2020 = p.isMsfs2020();
    std::vector<AirportScanFolder> folders{{install / "Community", true, false},
                                           {install / (msfs2020 ? "Official" : "Official2024"), false, false}};
    if (!msfs2020) folders.push_back({install / "StreamedPackages", false, true});
    return folders;
}

// The airport files the maker's archive holds for the simulator in use, as the model database
// lists them: the simulator's own add-on airports, and per publisher its airports (an entry is
// the ICAO code with or without the package version).
std::set<std::string> lf_archiveIndex(const ModelDatabase& db, bool msfs2020) {
    std::set<std::string> index;
    for (const std::string& icao : msfs2020 ? db.simAddons20 : db.simAddons24)
        index.insert(gf_archivePathFor(icao, "simaddon", ""));
    for (const auto& [publisher, airports] : msfs2020 ? db.thirdParties20 : db.thirdParties24)
        for (const std::string& entry : airports) index.insert(gf_archivePathFor(entry, publisher, ""));
    return index;
}

} // namespace

void gf_countAddonAirportFolders() {
    gf_figures().simaddonCount = gf_countEntries(gf_paths().mySimaddon);
    gf_program().frontEnd->postRepaint();
    gf_figures().thirdpartyCount = gf_countEntries(gf_paths().myThirdparty);
    gf_program().frontEnd->postRepaint();
}

void gf_airportScanSetUp() {
    gf_windowRequests().airportScanReady = true;
    gf_program().frontEnd->enableControl(kScanAirportsControl, true);
    const Parameters& p = gf_params();
    if (!p.SCAN_AIRPORTS.value()) return;
    gf_figures().simaddonCount = 0;
    gf_figures().thirdpartyCount = 0;
    gf_program().frontEnd->postRepaint();

    std::optional<FacilityReader> reader;
    if (SimBackend* backend = gf_simSession().backend()) reader.emplace(*backend);
    const std::set<std::string> index = lf_archiveIndex(gf_modelDatabase(), p.isMsfs2020());

    AirportScanSettings s;
    s.automatic = true;
    s.folders = lf_scanFolders(p);
    s.icaoList = gf_paths().input / "ICAO_airports.txt";
    s.airportsFolder = gf_paths().airports;
    s.tbloFolder = gf_paths().tblo;
    s.scanLog = gf_paths().outputInfo / "AirportsScanLog.txt";
    if (reader) s.readFacilities = [&reader](const std::string& icao) { return reader->read(icao); };
    s.archived = [&index](const std::string& path) { return index.count(path) > 0; };
    s.status = [](const std::string& text) { gf_status().setStatus(text, false); };
    const AirportScanResult result = gf_scanAirports(s);
    if (reader) reader->close();
    logLine("-------------------------- airports scan ends -------------------------------\n");

    gf_countAddonAirportFolders();
    gf_status().setStatus(result.message, false);
    if (!result.unknownToArchive.empty() && result.zipped) gf_program().frontEnd->showWarning(result.message);
}

} // namespace vorl
