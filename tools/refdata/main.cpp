// vorl-refdata: the reference data tool of the build.
//   vorl-refdata encrypt IN OUT     encrypts a reference XML file into its shipped .enc form
//   vorl-refdata decrypt IN OUT     the reverse, to inspect a shipped file
//   vorl-refdata build --sources DIR --out DIR [--tables DIR]
//                                   turns the open data sets in SOURCES and the project's own
//                                   type tables (default: next to this tool's source) into OUT
//   vorl-refdata stands APT_DAT OUT [ICAO...] [--layout JSON]... [--classes CSV] [--groundnets DIR]
//                       [--startups ICAO,ICAO...]
//                                   writes archived stock airport files OUT/ICAO.xml (every airport
//                                   with ramp starts or groundnet parkings when no ICAO is named);
//                                   the groundnet files below DIR replace the apt.dat spots of their
//                                   airports, the start-up locations of the --startups airports
//                                   serve where they have neither, and a scenario layout replaces
//                                   everything of its airport
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>
#include <exception>
#include <filesystem>
#include <string_view>

#include <fmt/format.h>

#include "models/StreamCrypt.h"
#include "tools/refdata/Builder.h"
#include "tools/refdata/StandFiles.h"

namespace {

int lf_usage() {
    fmt::print(stderr, "usage: vorl-refdata encrypt IN OUT | decrypt IN OUT | build --sources DIR --out DIR [--tables DIR] |\n"
                       "       stands APT_DAT OUT_FOLDER [ICAO...] [--layout JSON]... [--classes CSV] [--groundnets DIR]\n"
                       "              [--startups ICAO,ICAO...]\n");
    return 2;
}

// The figures of an archive build: airports and stands by origin, stands by radius class.
void lf_printFigures(const std::vector<vorl::AirportState>& airports,
                     const std::map<std::string, vorl::refdata::StandOrigin>& origins) {
    using namespace vorl::refdata;
    std::map<std::string, std::pair<int, std::size_t>> byOrigin;
    std::map<std::string, int> byRadius;
    std::size_t stands = 0, overlapsLeft = 0;
    for (const vorl::AirportState& airport : airports) {
        static const std::map<StandOrigin, std::string> kNames{{StandOrigin::RampStarts, "apt.dat ramp starts"},
                                                               {StandOrigin::Groundnet, "groundnet parkings"},
                                                               {StandOrigin::StartupLocations, "apt.dat start-up locations"},
                                                               {StandOrigin::MadeUpLayout, "made-up layout"}};
        auto& entry = byOrigin[kNames.at(origins.at(airport.icao))];
        ++entry.first;
        entry.second += airport.stands.size();
        stands += airport.stands.size();
        overlapsLeft += gf_overlapsNotAdjacent(airport.stands).size();
        const StandOrigin origin = origins.at(airport.icao);
        const bool givenBySource = origin == StandOrigin::Groundnet || origin == StandOrigin::MadeUpLayout;
        for (const vorl::Stand& stand : airport.stands) {
            const double meters = stand.radius / vorl::kMetersToNm;
            const auto near = [&](double r) { return std::fabs(meters - r) < 0.05; };
            std::string radiusClass = stand.heli                 ? "helipads"
                                      : near(kHeavyRadiusM)      ? "heavy 32.5 m"
                                      : near(kJetRadiusM)        ? "jets 18 m"
                                      : near(kTurbopropRadiusM)  ? "turboprops 12 m"
                                      : near(kPropRadiusM)       ? "props 7.5 m"
                                      : givenBySource            ? "other, as the source gives"
                                                                 : "widened to be adjacent to an overlapping neighbour";
            ++byRadius[radiusClass];
        }
    }
    fmt::print("{:5} airport files with {} stands written\n", airports.size(), stands);
    for (const auto& [origin, counts] : byOrigin)
        fmt::print("{:5} airports with {:5} stands from {}\n", counts.first, counts.second, origin);
    for (const auto& [radiusClass, count] : byRadius) fmt::print("{:5} stands: {}\n", count, radiusClass);
    fmt::print("{:5} pairs of overlapping stands the program would not count adjacent\n", overlapsLeft);
}

int lf_stands(int argc, char** argv) {
    using namespace vorl::refdata;
    const std::filesystem::path out = argv[3];
    std::filesystem::path classes = out / "stand-classes.csv";
    std::vector<std::string> wanted;
    std::vector<AirportSource> layouts;
    std::vector<std::filesystem::path> groundnets;
    std::set<std::string> startups;
    for (int i = 4; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--layout" || arg == "--classes" || arg == "--groundnets" || arg == "--startups") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--layout") layouts.push_back(gf_readLayoutStands(value));
            else if (arg == "--classes") classes = value;
            else if (arg == "--groundnets") {
                for (const auto& entry : std::filesystem::recursive_directory_iterator(value))
                    if (entry.path().filename().string().find(".groundnet.xml") != std::string::npos)
                        groundnets.push_back(entry.path());
            } else {
                std::istringstream list(value);
                for (std::string icao; std::getline(list, icao, ',');) startups.insert(icao);
            }
        } else {
            wanted.emplace_back(arg);
        }
    }
    auto sources = gf_readAptStands(argv[2], startups);
    std::sort(groundnets.begin(), groundnets.end());
    // A groundnet file sizes its parkings: it replaces the airport's apt.dat spots.
    for (const auto& file : groundnets) {
        AirportSource groundnet = gf_readGroundnet(file);
        if (groundnet.stands.empty()) continue;
        const auto known = sources.find(groundnet.icao);
        if (known == sources.end()) continue; // not an open land airport of apt.dat
        groundnet.name = known->second.name;
        groundnet.elevationFeet = known->second.elevationFeet;
        known->second = std::move(groundnet);
    }
    for (auto& layout : layouts) {
        const auto known = sources.find(layout.icao);
        if (known != sources.end() && layout.name == layout.icao) layout.name = known->second.name;
        sources[layout.icao] = std::move(layout);
    }
    std::vector<vorl::AirportState> airports;
    std::map<std::string, StandOrigin> origins;
    std::map<std::string, std::string> notes;
    for (const auto& [icao, source] : sources) {
        const bool named = std::find(wanted.begin(), wanted.end(), icao) != wanted.end();
        if (source.stands.empty() || !(wanted.empty() || named)) continue;
        vorl::AirportState airport = gf_stockAirport(source);
        if (airport.stands.empty()) continue;
        origins[icao] = source.origin;
        notes[icao] = gf_originNote(source.origin);
        airports.push_back(std::move(airport));
    }
    gf_writeStockAirports(airports, out, classes, notes);
    lf_printFigures(airports, origins);
    return 0;
}

} // namespace

// The build command's options; every option takes a value.
int lf_build(int argc, char** argv) {
    std::filesystem::path sources, out, tables = VORL_REFDATA_TABLES;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--sources") sources = argv[i + 1];
        else if (option == "--out") out = argv[i + 1];
        else if (option == "--tables") tables = argv[i + 1];
        else return lf_usage();
    }
    if (argc % 2 != 0 || sources.empty() || out.empty()) return lf_usage();
    vorl::refdata::gf_buildReferenceData(sources, tables, out);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 4 && std::string_view(argv[1]) == "stands") {
        try {
            return lf_stands(argc, argv);
        } catch (const std::exception& e) {
            fmt::print(stderr, "vorl-refdata stands: {}\n", e.what());
            return 1;
        }
    }
    if (argc >= 2 && std::string_view(argv[1]) == "build") {
        try {
            return lf_build(argc, argv);
        } catch (const std::exception& e) {
            fmt::print(stderr, "vorl-refdata build: {}\n", e.what());
            return 1;
        }
    }
    if (argc != 4) return lf_usage();
    const std::string_view command = argv[1];
    const std::filesystem::path in = argv[2];
    const std::filesystem::path out = argv[3];
    try {
        if (command == "encrypt") {
            vorl::gf_streamEncrypt(in, out);
            return 0;
        }
        if (command == "decrypt") return vorl::gf_streamDecrypt(in, out) ? 0 : 1;
    } catch (const std::exception& e) {
        fmt::print(stderr, "vorl-refdata {}: {}\n", command, e.what());
        return 1;
    }
    return lf_usage();
}
