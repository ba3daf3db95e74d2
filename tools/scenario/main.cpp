// vorl-scenario-gen: writes a stand-in scenario of traffic around one airport.
#include <fstream>
#include <iostream>
#include <string>

#include <fmt/format.h>

#include "tools/scenario/ScenarioGenerator.h"

int main(int argc, char** argv) {
    using namespace vorl::scenario;
    std::string airportPath;
    std::string fleetPath;
    std::string outPath;
    GeneratorSettings settings;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            auto next = [&]() -> std::string {
                if (i + 1 >= argc) throw std::invalid_argument(fmt::format("{} needs a value", arg));
                return argv[++i];
            };
            if (arg == "--airport") airportPath = next();
            else if (arg == "--fleet") fleetPath = next();
            else if (arg == "--out") outPath = next();
            else if (arg == "--seed") settings.seed = std::stoull(next());
            else if (arg == "--minutes") settings.durationSeconds = std::stod(next()) * 60.0;
            else throw std::invalid_argument(fmt::format("unknown option {}", arg));
        }
        if (airportPath.empty() || fleetPath.empty() || outPath.empty())
            throw std::invalid_argument("--airport, --fleet and --out are needed");
        const AirportLayout airport = gf_loadAirportLayout(airportPath);
        Fleet fleet = Fleet::load(fleetPath);
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error(fmt::format("cannot write {}", outPath));
        const GeneratorReport report = gf_generateScenario(airport, fleet, settings, out);
        out.close();
        if (!out) throw std::runtime_error(fmt::format("cannot write {}", outPath));
        std::cout << fmt::format("{}: {} live aircraft, {} samples, {} parked, {:.0f} minutes\n", outPath,
                                 report.liveAircraft, report.samples, report.parked, settings.durationSeconds / 60.0);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "vorl-scenario-gen: " << e.what() << "\n"
                  << "usage: vorl-scenario-gen --airport EHAM.json --fleet fleet.json --out F.jsonl [--seed N] [--minutes M]\n";
        return 2;
    }
}
