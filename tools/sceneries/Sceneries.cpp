#include "tools/sceneries/Sceneries.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace vorl::tools {
namespace {

constexpr double kMetresPerDegree = 111120.0;

double lf_eastDegrees(double metres, double lat) { return metres / (kMetresPerDegree * std::cos(lat * M_PI / 180.0)); }

BglAirport lf_atAltitude(BglAirport airport, double metres) {
    airport.altitudeM = metres;
    return airport;
}

} // namespace

void gf_writeScenery(const fs::path& installPath, const SceneryPackage& package) {
    const fs::path folder = installPath / package.folder;
    fs::create_directories(folder);
    nlohmann::json manifest{{"title", package.title},
                            {"creator", package.creator},
                            {"manufacturer", package.manufacturer},
                            {"package_version", package.packageVersion},
                            {"content_type", "SCENERY"},
                            {"minimum_game_version", "1.0.0"}};
    std::ofstream out(folder / "manifest.json");
    out << manifest.dump(2) << "\n";
    if (!out) throw std::runtime_error("cannot write " + (folder / "manifest.json").string());
    gf_writeBglFile(folder / package.bgl, package.airports);
    for (const fs::path& bgl : package.sceneryOnlyBgls) gf_writeBglFile(folder / bgl, {});
}

BglAirport gf_sampleAirport(const std::string& icao, const std::string& name, double lat, double lon, int gates,
                            int ramps, int helipads) {
    BglAirport a{icao, name, lat, lon, 0.0, {}, {}};
    for (int i = 0; i < gates; ++i)
        a.parkings.push_back({12 + (i / 10), 9, 1 + i % 10, i % 3, 22.0f, 180.0f, lat + 0.0008,
                              lon + lf_eastDegrees(50.0 * i, lat), i % 10 == 9 ? 12 + 11 : 0});
    for (int i = 0; i < ramps; ++i)
        a.parkings.push_back({1, 2, 1 + i, 0, 10.0f, 90.0f, lat - 0.0008, lon + lf_eastDegrees(25.0 * i, lat)});
    for (int i = 0; i < helipads; ++i)
        a.helipads.push_back({lat - 0.0015, lon + lf_eastDegrees(40.0 * i, lat), 20.0f, 20.0f, 0.0f, 1 + i % 2});
    a.parkings.push_back({1, 13, 99, 0, 5.0f, 0.0f, lat - 0.002, lon});
    return a;
}

std::vector<SceneryPackage> gf_demoSceneries(bool msfs2020) {
    const fs::path official = fs::path(msfs2020 ? "Official" : "Official2024") / "OneStore";
    return {
        {"Community/demo-sceneries-airport-ehle-lelystad", "EHLE Lelystad Airport", "Demo Sceneries", "Demo Sceneries",
         "1.2.0", "scenery/demo-sceneries/EHLE/polygon.bgl",
         // Lelystad lies below sea level.
         {lf_atAltitude(gf_sampleAirport("EHLE", "Lelystad", 52.459377, 5.519861, 12, 6, 1), -4.0)},
         {"scenery/demo-sceneries/EHLE/AIRPORT.BGL"}},
        {"Community/demo-sceneries-budel", "Budel Kempen", "Demo Sceneries", "Demo Sceneries", "0.9",
         "scenery/budel/EHBK.bgl", {gf_sampleAirport("EHBK", "Kempen", 51.255, 5.601, 0, 8, 2)}},
        {official / "microsoft-airport-ehrd-rotterdam", "Rotterdam The Hague", "Microsoft", "Microsoft", "1.0.3",
         "scenery/microsoft/ehrd/airport-ehrd.bgl",
         {gf_sampleAirport("EHRD", "Rotterdam The Hague", 51.956944, 4.437222, 20, 4, 0)}},
        // Ground-vehicle parkings and statics the scan must leave alone.
        {"Community/demo-sceneries-airport-ehle-statics", "EHLE statics", "Demo Sceneries", "Demo Sceneries", "1.0",
         "scenery/statics/EHLE.bgl", {gf_sampleAirport("EHLE", "Lelystad statics", 52.459377, 5.519861, 2, 0, 0)}},
    };
}

std::vector<SceneryPackage> gf_benchSceneries(int count, const std::vector<std::string>& icaos) {
    std::vector<SceneryPackage> packages;
    for (int i = 0; i < count; ++i) {
        const std::string& icao = icaos[static_cast<std::size_t>(i) % icaos.size()];
        const double lat = 40.0 + (i % 100) * 0.1, lon = -10.0 + (i / 100) * 0.1;
        packages.push_back({fs::path("Community") / ("bench-airport-" + std::to_string(i)), icao + " bench", "Bench",
                            "Bench", "1.0." + std::to_string(i), "scenery/" + icao + ".bgl",
                            {gf_sampleAirport(icao, "Bench", lat, lon, 30, 10, 1)}});
    }
    return packages;
}

} // namespace vorl::tools
