// vorl-refdata: the reference data tool of the build.
//   vorl-refdata encrypt IN OUT     encrypts a reference XML file into its shipped .enc form
//   vorl-refdata decrypt IN OUT     the reverse, to inspect a shipped file
//   vorl-refdata build --sources DIR --out DIR [--tables DIR]
//                                   turns the open data sets in SOURCES and the project's own
//                                   type tables (default: next to this tool's source) into OUT
//   vorl-refdata stands APT_DAT OUT [ICAO...] [--layout JSON]... [--classes CSV]
//                                   writes archived stock airport files OUT/ICAO.xml (all airports
//                                   with stands when no ICAO is named); a scenario layout replaces
//                                   the apt.dat stands of its airport
#include <algorithm>
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
                       "       stands APT_DAT OUT_FOLDER [ICAO...] [--layout JSON]... [--classes CSV]\n");
    return 2;
}

int lf_stands(int argc, char** argv) {
    using namespace vorl::refdata;
    const std::filesystem::path out = argv[3];
    std::filesystem::path classes = out / "stand-classes.csv";
    std::vector<std::string> wanted;
    std::vector<AirportSource> layouts;
    for (int i = 4; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--layout" || arg == "--classes") && i + 1 < argc) {
            if (arg == "--layout") layouts.push_back(gf_readLayoutStands(argv[++i]));
            else classes = argv[++i];
        } else {
            wanted.emplace_back(arg);
        }
    }
    auto sources = gf_readAptStands(argv[2]);
    for (auto& layout : layouts) {
        const auto known = sources.find(layout.icao);
        if (known != sources.end() && layout.name == layout.icao) layout.name = known->second.name;
        sources[layout.icao] = std::move(layout);
    }
    std::vector<vorl::AirportState> airports;
    for (const auto& [icao, source] : sources) {
        const bool named = std::find(wanted.begin(), wanted.end(), icao) != wanted.end();
        if (wanted.empty() || named) airports.push_back(gf_stockAirport(source));
    }
    gf_writeStockAirports(airports, out, classes);
    fmt::print("{:5} airport files with {} stands written\n", airports.size(),
               std::accumulate(airports.begin(), airports.end(), std::size_t{0},
                               [](std::size_t n, const vorl::AirportState& a) { return n + a.stands.size(); }));
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
