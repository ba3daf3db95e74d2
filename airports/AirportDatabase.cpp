#include "airports/AirportDatabase.h"

#include <algorithm>
#include <stdexcept>

#include <fmt/format.h>
#include <pugixml.hpp>

#include "common/Log.h"
#include "common/UserErrorException.h"
#include "models/StreamCrypt.h"

namespace fs = std::filesystem;

namespace vorl {
namespace {

constexpr std::size_t kExpectedAirports = 15000;

void lf_storeAirport(const pugi::xml_node ap, const IcaoCode& icao, AirportDatabase& database) {
    const pugi::xml_attribute latitude = ap.attribute("la");
    const pugi::xml_attribute longitude = ap.attribute("lo");
    const pugi::xml_attribute altitude = ap.attribute("a");
    const pugi::xml_attribute stands = ap.attribute("s");
    const pugi::xml_attribute iata = ap.attribute("i");
    if (!latitude || !longitude) {
        logLine("Missing latLons for airport '{}'", icao);
        return;
    }
    if (!altitude) {
        logLine("Missing alt for airport '{}'", icao);
        return;
    }
    if (!stands) logLine("Missing stands for airport '{}'", icao);
    try {
        AirportInfo info;
        info.icao = icao;
        info.stands = stands.as_int(0);
        info.altitude = altitude.as_float();
        info.latitude = latitude.as_double();
        info.longitude = longitude.as_double();
        info.iata = iata ? IataCode(iata.as_string()) : IataCode("XXX");
        database.table.push_back(info);
        database.codes.insert(icao);
    } catch (const std::exception& e) {
        logLine("Error storing airport '{}' '{}': {}", icao, iata.as_string(), e.what());
    }
}

} // namespace

const AirportInfo* AirportDatabase::find(const IcaoCode& code) const {
    const auto it = std::find_if(table.begin(), table.end(), [&](const AirportInfo& a) { return a.icao == code; });
    return it != table.end() ? &*it : nullptr;
}

AirportDatabase& gf_airportDatabase() {
    static AirportDatabase database;
    return database;
}

void gf_readAirportsXml(const fs::path& xmlPath, AirportDatabase& database) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(xmlPath.c_str());
    if (!result) throw std::runtime_error(fmt::format("{} not loaded: {}", xmlPath.string(), result.description()));
    const pugi::xml_node airports = doc.child("root").child("airports");
    if (!airports) throw std::runtime_error(fmt::format("Missing <airports> root in: {}", xmlPath.string()));
    database.table.reserve(kExpectedAirports);
    for (const pugi::xml_node ap : airports.children("ap")) {
        const char* code = ap.attribute("c").as_string();
        if (!IcaoCode::isValid(code)) {
            // A bad record never stops the reading.
            logLine("Error storing airport '{}' '{}': {}", code, ap.attribute("i").as_string(),
                    fmt::format("'{}' FixedCode: invalid string (length/charset)", code));
            continue;
        }
        lf_storeAirport(ap, IcaoCode(code), database);
    }
    std::sort(database.table.begin(), database.table.end(),
              [](const AirportInfo& a, const AirportInfo& b) { return a.icao < b.icao; });
    logLine("{:5} airports read", database.table.size());
}

bool gf_readAirports(const fs::path& inputFolder, AirportDatabase& database) {
    if (database.read) return !database.table.empty();
    try {
        const fs::path xml = inputFolder / "airports.xml";
        // A failed decryption is logged there and leaves no file, so the load below fails.
        gf_streamDecrypt(inputFolder / "airports.enc", xml);
        try {
            gf_readAirportsXml(xml, database);
        } catch (const std::exception& e) {
            gf_removeTemporaryFile(xml);
            throw UserErrorException(88, e.what());
        }
        gf_removeTemporaryFile(xml);
        database.table.shrink_to_fit();
        database.read = true;
        return !database.table.empty();
    } catch (const std::exception& e) {
        logLine("{} exception : {}", "gf_readAirports", e.what());
        throw;
    }
}

} // namespace vorl
