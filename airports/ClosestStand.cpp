#include "airports/ClosestStand.h"

#include <system_error>

#include <pugixml.hpp>

#include "airports/AirportFileLocator.h"
#include "airports/AirportFilesContext.h"
#include "common/Geodesy.h"
#include "common/Log.h"

namespace vorl {
namespace fs = std::filesystem;

double gf_readDestApfForClosestStand(std::string_view icao, double lat, double lon, std::string& standName) {
    constexpr double kNone = 100.0;
    const auto& context = gf_airportFilesContext();
    const fs::path scratch = context.resolve("airports/airport.xml");
    std::error_code ec;
    try {
        const std::string path = gf_locateAirportFile(icao);
        if (path.empty()) return kNone;
        fs::path file = fs::path(path).is_absolute() ? fs::path(path) : context.resolve(path);
        const bool downloaded = !gf_isLocalAirportPath(path);
        if (downloaded) {
            fs::create_directories(scratch.parent_path(), ec);
            if (!gf_downloadAirportFile(path, scratch).empty()) return kNone;
            file = scratch;
        }
        pugi::xml_document doc;
        const bool loaded = static_cast<bool>(doc.load_file(file.c_str()));
        if (downloaded) fs::remove(scratch, ec);
        if (!loaded) return kNone;
        double best = kNone;
        for (auto parkpos : doc.child("root").child("parkpositions").children("parkpos")) {
            const double distance = gf_distanceNm(lat, lon, parkpos.attribute("latitude").as_double(),
                                                  parkpos.attribute("longitude").as_double());
            if (distance < best) {
                best = distance;
                standName = parkpos.attribute("id").as_string();
            }
        }
        return best;
    } catch (const std::exception& e) {
        fs::remove(scratch, ec);
        logLine("{}: {}", "gf_readDestApfForClosestStand", e.what());
        return kNone;
    }
}

} // namespace vorl
