#include <cstdlib>
#include <iostream>
#include <string>

#include "tools/aipackages/AiPackages.h"

int main(int argc, char** argv) {
    vorl::tools::AiPackagesOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--fleet") options.fleet = argv[i + 1];
        else if (flag == "--out") options.community = argv[i + 1];
        else if (flag == "--copies") options.copies = static_cast<std::size_t>(std::max(1, std::atoi(argv[i + 1])));
        else {
            std::cerr << "unknown option " << flag << "\n";
            return 2;
        }
    }
    if (options.fleet.empty() || options.community.empty()) {
        std::cerr << "usage: vorl-aipackages --fleet fleet.json --out COMMUNITY_FOLDER [--copies N]\n";
        return 2;
    }
    try {
        const auto summary = vorl::tools::gf_writeAiPackages(options);
        std::cout << summary.liveries << " liveries in " << summary.files << " aircraft.cfg files below "
                  << options.community.string() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "vorl-aipackages: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
