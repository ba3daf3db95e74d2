#include "app/SimFacilityAirports.h"

#include <system_error>

#include "airports/AirportFileXml.h"
#include "airports/ScannedAirport.h"
#include "common/Log.h"
#include "common/TextCase.h"
#include "sim/FacilityReader.h"
#include "sim/SimSession.h"

namespace fs = std::filesystem;

namespace vorl {

std::string SimFacilityAirports::airportFile(const std::string& icao) {
    const fs::path file = folder_ / (icao + ".xml");
    std::error_code ec;
    if (fs::exists(file, ec)) return file.generic_string();
    SimBackend* backend = gf_simSession().backend();
    if (backend == nullptr || !gf_simSession().connected.load()) return {};
    FacilityReader reader(*backend);
    const auto data = reader.read(icao);
    reader.close();
    if (!data) {
        logLine("Reading Facilites data for {} via SimConnect failed, is MSFS connected?", icao);
        return {};
    }
    ScannedAirport airport;
    airport.file.icao = icao;
    // The simulator's own airport: what is learned there belongs with its stock airport file.
    airport.file.publisher = "stock";
    gf_takeFacilityData(*data, airport);
    if (airport.file.stands.empty()) {
        logLine("Fac: {} has no stands", icao);
        return {};
    }
    fs::create_directories(folder_, ec);
    std::string error;
    if (!gf_writeAirportFile(airport.file, file, AirportFileKind::AirportFile, &error)) {
        logLine("{}Writing {} did not succeed", "   ", file.string());
        return {};
    }
    logLine("Generated {}: {} position{} from the simulator's facility data", file.generic_string(),
            airport.file.stands.size(), gf_pluralS(airport.file.stands.size()));
    return file.generic_string();
}

} // namespace vorl
