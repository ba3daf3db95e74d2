// vorl-trace-check: compares what the simulator stand-in showed with the scenario the RealTraffic
// stand-in replayed, shifted by the program's play-out delay.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/trace/TraceCheck.h"

using namespace vorl::tracecheck;

namespace {

void lf_usage() {
    std::cerr << "usage: vorl-trace-check --scenario FILE --trace FILE --replay-second S --replay-epoch E\n"
                 "                        [--delay 30] [--ground-ft -11] [--warm-up 90] [--stands AIRPORT_FILE]\n"
                 "                        [--max-airborne-p95 M] [--max-ground-p95 M] [--at-best-fit] [--max-lag S]\n"
                 "  S and E come from the RealTraffic stand-in's line \"replay: scenario second S is Unix time E\".\n"
                 "  --at-best-fit holds the targets against the errors at the delay that fits best, and --max-lag\n"
                 "  bounds how many seconds that delay may lie behind the nominal one.\n";
}

} // namespace

int main(int argc, char** argv) {
    std::string scenarioPath, tracePath, standsPath;
    // Targets for the position errors (metres); none when not given.
    double maxAirborneP95 = -1.0, maxGroundP95 = -1.0, maxLagSeconds = -1.0;
    bool atBestFit = false;
    Alignment alignment;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--at-best-fit") {
            atBestFit = true;
            continue;
        }
        if (i + 1 >= argc) {
            lf_usage();
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--scenario") scenarioPath = value;
        else if (arg == "--trace") tracePath = value;
        else if (arg == "--replay-second") alignment.replaySecond = std::stod(value);
        else if (arg == "--replay-epoch") alignment.replayEpoch = std::stod(value);
        else if (arg == "--delay") alignment.playoutDelay = std::stod(value);
        else if (arg == "--ground-ft") alignment.groundFt = std::stod(value);
        else if (arg == "--warm-up") alignment.warmUpSeconds = std::stod(value);
        else if (arg == "--stands") standsPath = value;
        else if (arg == "--max-airborne-p95") maxAirborneP95 = std::stod(value);
        else if (arg == "--max-ground-p95") maxGroundP95 = std::stod(value);
        else if (arg == "--max-lag") maxLagSeconds = std::stod(value);
        else {
            lf_usage();
            return 2;
        }
    }
    std::ifstream scenario(scenarioPath), trace(tracePath);
    if (!scenario || !trace || alignment.replayEpoch <= 0.0) {
        lf_usage();
        return 2;
    }
    const TraceReport report = gf_checkTrace(trace, ScenarioTruth::parse(scenario), alignment);
    std::cout << gf_reportText(report);
    bool standsOk = true;
    if (!standsPath.empty()) {
        std::ifstream again(tracePath);
        const StandReport stands = gf_checkStands(again, gf_readStands(standsPath));
        std::cout << gf_standReportText(stands);
        standsOk = stands.onStand == stands.standing;
    }
    // A target counts only where there were positions to measure; a run without any says so.
    const auto within = [](const ErrorFigures& figures, double target, const char* what) {
        if (target < 0.0) return true;
        if (figures.count == 0) {
            std::cout << "no " << what << " positions to check against the target\n";
            return false;
        }
        return figures.p95M < target;
    };
    const ErrorFigures& airborne = atBestFit ? report.fittedAirborne : report.airborne;
    const ErrorFigures& ground = atBestFit ? report.fittedGround : report.ground;
    const bool errorsOk = within(airborne, maxAirborneP95, "airborne") && within(ground, maxGroundP95, "ground");
    // The best fit lies behind the nominal delay by the age the feed's data has when it arrives;
    // more than that is the program falling behind.
    const bool lagOk = maxLagSeconds < 0.0 || -report.fittedShiftSeconds <= maxLagSeconds;
    if (!lagOk) std::cout << "the delay that fits best lies more than " << maxLagSeconds << " s behind the nominal one\n";
    return report.teleports == 0 && report.belowGround == 0 && report.duplicateCreations == 0 && standsOk && errorsOk && lagOk
               ? 0
               : 1;
}
