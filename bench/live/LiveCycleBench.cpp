// The run loop's live-aircraft work with 1000 active aircraft, half in the air and half taxiing:
// the cost of one 10 ms cycle, and how late the cycles start when the loop is paced like the
// program's (prints figures; `--seconds N` sets the paced run, 60 by default).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sim/LiveTraffic.h"
#include "sim/SimInbox.h"
#include "sim/SimOutbox.h"

using namespace vorl;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kAircraft = 1000;
constexpr int kRecordSeconds = 400;
constexpr int kRecordStep = 4;
constexpr int kDelaySeconds = 10;

TrafficRecord lf_record(int n, int second) {
    const bool airborne = n % 2 == 0;
    TrafficRecord r;
    r.hexId = 0x400000u + static_cast<std::uint32_t>(n);
    char callsign[16];
    std::snprintf(callsign, sizeof callsign, "BEN%04d", n); // no callsign is another's with a letter more
    r.callsign = callsign;
    r.type = "A320";
    r.code.typeIndex = 3;
    const double speed = airborne ? 250.0 : 15.0;
    const double row = (n / 40) * 0.01, column = (n % 40) * 0.01;
    r.lat = 52.0 + row + second * speed / 3600.0 / 60.0;
    r.lon = 4.5 + column + 0.0005 * std::sin(second / 8.0);
    r.altitude = airborne ? 6000.0 : 0.0;
    r.airborne = airborne ? 1 : 0;
    r.groundSpeed = speed;
    r.trueAirspeed = speed;
    r.track = second % 8 == 0 ? 358.0 : 2.0;
    r.dataTime = 1'700'000'000 + second;
    r.playoutTime = (second + kDelaySeconds) * 100;
    return r;
}

LiveTrafficHooks lf_hooks() {
    LiveTrafficHooks h;
    h.settings = [] {
        LiveTrafficSettings s;
        s.maxLive = 2000;
        return s;
    };
    h.matchLivery = [](const LiveAircraft&) { return std::optional<std::string>("Bench Livery"); };
    h.category = [](std::uint16_t) { return AircraftCategory::Large; };
    return h;
}

// Creations are confirmed at once, as the simulator would a little later.
void lf_confirmCreations(LiveTraffic& traffic, std::vector<bool>& confirmed) {
    for (const LiveAircraft& a : traffic.aircraft()) {
        const auto index = static_cast<std::size_t>(a.id() - 0x400000u);
        if (a.presence.simState != SimState::Adding2Sim || confirmed[index]) continue;
        confirmed[index] = true;
        traffic.onMessage({static_cast<std::uint32_t>(index + 101), a.id(), 0, SimMessageKind::LiveCreated, 0.0, 5000.0});
    }
}

double lf_percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

} // namespace

int main(int argc, char** argv) {
    int pacedSeconds = 60;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds") pacedSeconds = std::max(1, std::atoi(argv[i + 1]));

    SimOutbox& outbox = gf_simOutbox();
    LiveTraffic traffic(outbox, lf_hooks());
    std::vector<TrafficRecord> records;
    for (int s = 0; s < kRecordSeconds; s += kRecordStep)
        for (int n = 0; n < kAircraft; ++n) records.push_back(lf_record(n, s));
    traffic.addRecords(records);

    // Warm-up: every record admitted (two a cycle in the program; all at once here), every
    // aircraft created and activated.
    std::vector<bool> confirmed(kAircraft, false);
    std::int32_t cycle = 0;
    while (traffic.activeCount() < static_cast<std::size_t>(kAircraft) && cycle < 20000) {
        for (int i = 0; i < 400 && traffic.pendingRecords() > 0; ++i) traffic.admit(cycle);
        traffic.admit(cycle);
        traffic.update(cycle);
        lf_confirmCreations(traffic, confirmed);
        outbox.endOfCycle();
        outbox.discardAll();
        ++cycle;
    }
    std::size_t air = 0, ground = 0;
    for (const LiveAircraft& a : traffic.aircraft())
        if (a.presence.simState == SimState::Active) (a.groundMode ? ground : air) += 1;
    std::printf("%zu active aircraft (%zu airborne, %zu on the ground) after %d warm-up cycles, %zu known\n", traffic.activeCount(), air,
                ground, cycle, traffic.aircraft().size());

    // Cost of a cycle, unpaced.
    std::vector<double> costs;
    for (int i = 0; i < 3000; ++i, ++cycle) {
        const auto start = Clock::now();
        traffic.admit(cycle);
        traffic.update(cycle);
        traffic.avoidCollisions();
        costs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        outbox.endOfCycle();
        outbox.discardAll();
    }
    double sum = 0.0;
    for (double c : costs) sum += c;
    std::printf("cycle cost: mean %.0f us, p99 %.0f us, max %.0f us over %zu cycles (target < 500 us)\n", sum / costs.size(),
                lf_percentile(costs, 0.99), lf_percentile(costs, 1.0), costs.size());

    // Paced like the main loop: a cycle every 10 ms, lateness measured against the schedule;
    // the same pacing without work shows what the machine's scheduler adds by itself.
    const auto paced = [&](int seconds, bool work) {
        std::vector<double> lateness;
        auto base = Clock::now();
        const auto end = base + std::chrono::seconds(seconds);
        while (Clock::now() < end) {
            lateness.push_back(std::chrono::duration<double, std::milli>(Clock::now() - base).count());
            if (work) {
                traffic.admit(cycle);
                traffic.update(cycle);
                traffic.avoidCollisions();
                outbox.endOfCycle();
                outbox.discardAll();
                ++cycle;
            }
            base += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(base);
        }
        std::printf("paced %d s %s: %zu cycles, lateness p50 %.2f ms, p99.9 %.2f ms, max %.2f ms\n", seconds,
                    work ? "with 1000 aircraft" : "without work", lateness.size(), lf_percentile(lateness, 0.5),
                    lf_percentile(lateness, 0.999), lf_percentile(lateness, 1.0));
    };
    paced(std::max(5, pacedSeconds / 6), false);
    paced(pacedSeconds, true);
    std::printf("(target: p99.9 lateness < 2 ms with 1000 aircraft); %zu active at the end\n", traffic.activeCount());
    return 0;
}
