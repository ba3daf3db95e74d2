#include "app/AirportScanLink.h"

#include <set>

#include "airports/AddonAirportScan.h"
#include "app/AppPaths.h"
#include "app/FrontEnd.h"
#include "app/Parameters.h"
#include "app/ProgramServices.h"
#include "app/StatusBoard.h"
#include "common/Folders.h"
#include "common/Log.h"
#include "models/ModelDatabase.h"
#include "sim/FacilityReader.h"
#include "sim/SimSession.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

std::vector<AirportScanFolder> lf_scanFolders(const Parameters& p) {
    const fs::path install = gf_utf8Path(p.ALL_INSTALL_PATH.value());
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

AddonAirportCounts gf_countAddonAirportFolders(const AppPaths& paths) {
    return {static_cast<int>(gf_countEntries(paths.mySimaddon)), static_cast<int>(gf_countEntries(paths.myThirdparty))};
}

AddonAirportCounts gf_runAirportScan(const ProgramServices& services) {
    const Parameters& p = services.params;
    const AppPaths& paths = services.paths;
    std::optional<FacilityReader> reader;
    if (SimBackend* backend = gf_simSession().backend()) reader.emplace(*backend);
    const std::set<std::string> index = lf_archiveIndex(services.models, p.isMsfs2020());

    AirportScanSettings s;
    s.automatic = true;
    s.folders = lf_scanFolders(p);
    s.icaoList = paths.input / "ICAO_airports.txt";
    s.airportsFolder = paths.airports;
    s.tbloFolder = paths.tblo;
    s.scanLog = paths.outputInfo / "AirportsScanLog.txt";
    if (reader) s.readFacilities = [&reader](const std::string& icao) { return reader->read(icao); };
    s.archived = [&index](const std::string& path) { return index.count(path) > 0; };
    s.status = [&status = services.status](const std::string& text) { status.setStatus(text, false); };
    const AirportScanResult result = gf_scanAirports(s);
    if (reader) reader->close();
    logLine("-------------------------- airports scan ends -------------------------------\n");

    services.status.setStatus(result.message, false);
    if (!result.unknownToArchive.empty() && result.zipped) services.frontEnd.showWarning(result.message);
    return gf_countAddonAirportFolders(paths);
}

} // namespace vorl
