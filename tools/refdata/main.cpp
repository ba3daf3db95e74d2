// vorl-refdata: the reference data tool of the build.
//   vorl-refdata encrypt IN OUT     encrypts a reference XML file into its shipped .enc form
//   vorl-refdata decrypt IN OUT     the reverse, to inspect a shipped file
//   vorl-refdata build SOURCES OUT  turns the open data sets in SOURCES into OUT/*.xml
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>

#include <fmt/format.h>

#include "models/StreamCrypt.h"
#include "tools/refdata/Builder.h"

namespace {

int lf_usage() {
    fmt::print(stderr, "usage: vorl-refdata encrypt IN OUT | decrypt IN OUT | build SOURCES_FOLDER OUT_FOLDER\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
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
        if (command == "build") {
            vorl::refdata::gf_buildReferenceData(in, out);
            return 0;
        }
    } catch (const std::exception& e) {
        fmt::print(stderr, "vorl-refdata {}: {}\n", command, e.what());
        return 1;
    }
    return lf_usage();
}
