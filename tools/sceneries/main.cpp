// vorl-sceneries: writes made-up airport scenery packages (manifest.json and BGL files) below a
// simulator install path, for the demo and the scan benchmark.
//   vorl-sceneries --out INSTALL_PATH [--sim 2020|2024]
#include <cstdio>
#include <string>

#include "tools/sceneries/Sceneries.h"

int main(int argc, char** argv) {
    std::string out;
    bool msfs2020 = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--out") out = argv[i + 1];
        else if (flag == "--sim") msfs2020 = std::string(argv[i + 1]) != "2024";
    }
    if (out.empty()) {
        std::fprintf(stderr, "usage: vorl-sceneries --out INSTALL_PATH [--sim 2020|2024]\n");
        return 2;
    }
    try {
        const auto packages = vorl::tools::gf_demoSceneries(msfs2020);
        for (const auto& package : packages) vorl::tools::gf_writeScenery(out, package);
        std::printf("%zu scenery packages written below %s\n", packages.size(), out.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorl-sceneries: %s\n", e.what());
        return 1;
    }
    return 0;
}
