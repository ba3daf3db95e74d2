// vorl-refdata: the reference data tool of the build.
//   vorl-refdata encrypt IN OUT     encrypts a reference XML file into its shipped .enc form
//   vorl-refdata decrypt IN OUT     the reverse, to inspect a shipped file
//   vorl-refdata build --sources DIR --out DIR [--tables DIR]
//                                   turns the open data sets in SOURCES and the project's own
//                                   type tables (default: next to this tool's source) into OUT
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>

#include <fmt/format.h>

#include "models/StreamCrypt.h"
#include "tools/refdata/Builder.h"

namespace {

int lf_usage() {
    fmt::print(stderr, "usage: vorl-refdata encrypt IN OUT | decrypt IN OUT | build --sources DIR --out DIR [--tables DIR]\n");
    return 2;
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
