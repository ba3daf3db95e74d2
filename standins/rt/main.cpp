// vorl-rt-standin: a loopback stand-in for the RealTraffic v5 API, replaying a scenario file.
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

#include <fmt/format.h>

#include "standins/rt/RtStandIn.h"

namespace {

// SIGINT and SIGTERM are blocked in every thread and taken by main with sigwait: stopping the
// server joins its thread, which no signal handler may do (it would deadlock against main).
sigset_t lf_stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void lf_usage() {
    std::cerr << "usage: vorl-rt-standin --port N --scenario FILE [--rrl MS] [--wrrl MS] [--start SECONDS]\n"
                 "         [--license KEY]... [--expired-license KEY]... [--max-sessions N]\n"
                 "         [--session-timeout SECONDS] [--record-length 48|49] [--qnh-inhg]\n"
                 "         [--http-status-ok] [--fault ENDPOINT,KIND[,after=N][,times=N]]...\n"
                 "  ENDPOINT: auth deauth traffic buffered parked nearestmetar weather *\n"
                 "  KIND: status=NNN invalid-json html-504 empty slow=MS drop\n";
}

} // namespace

int main(int argc, char** argv) {
    using namespace vorl::standin;
    StandInOptions options;
    int port = 0;
    std::string scenarioPath;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            auto next = [&]() -> std::string {
                if (i + 1 >= argc) throw std::invalid_argument(fmt::format("{} needs a value", arg));
                return argv[++i];
            };
            if (arg == "--port") port = std::stoi(next());
            else if (arg == "--scenario") scenarioPath = next();
            else if (arg == "--rrl") options.rrlMs = std::stoi(next());
            else if (arg == "--wrrl") options.wrrlMs = std::stoi(next());
            else if (arg == "--start") options.startAtSeconds = std::stod(next());
            else if (arg == "--license") options.licenses.push_back(next());
            else if (arg == "--expired-license") options.expiredLicenses.push_back(next());
            else if (arg == "--max-sessions") options.maxSessionsPerLicense = std::stoi(next());
            else if (arg == "--session-timeout") options.sessionTimeoutSeconds = std::stoi(next());
            else if (arg == "--record-length") options.extraRecordElements = std::stoi(next()) - 48;
            else if (arg == "--qnh-inhg") options.qnhInHg = true;
            else if (arg == "--http-status-ok") options.mirrorHttpStatus = false;
            else if (arg == "--fault") options.faults.push_back(gf_parseFaultRule(next()));
            else if (arg == "--help" || arg == "-h") {
                lf_usage();
                return 0;
            } else {
                throw std::invalid_argument(fmt::format("unknown option {}", arg));
            }
        }
        if (scenarioPath.empty() || options.extraRecordElements < 0) throw std::invalid_argument("--scenario missing");
        // Blocked before the server starts its threads, which inherit the mask.
        const sigset_t stopSignals = lf_stopSignals();
        pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
        RtStandIn server(Scenario::load(scenarioPath), options);
        const int bound = server.start(port);
        std::cout << fmt::format("RealTraffic stand-in listening on http://127.0.0.1:{}", bound) << std::endl;
        // What a trace check needs to line the replay up with the simulator's clock.
        std::cout << fmt::format("replay: scenario second {:.1f} is Unix time {:.3f}", options.startAtSeconds,
                                 std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count())
                  << std::endl;
        int received = 0;
        while (sigwait(&stopSignals, &received) != 0) {
        }
        std::cout << fmt::format("RealTraffic stand-in stopping on signal {}", received) << std::endl;
        server.stop();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "vorl-rt-standin: " << e.what() << "\n";
        lf_usage();
        return 2;
    }
}
