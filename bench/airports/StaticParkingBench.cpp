// The static parking plan and one adjustment for a large airport: 400 stands with 100 options
// each (40 000 options) over every weekday and hour. Target: a full plan under 100 ms.
#include <algorithm>
#include <random>

#include <benchmark/benchmark.h>

#include "airports/StandGeometry.h"
#include "airports/StaticParkingPlanner.h"

using namespace vorl;

namespace {

AirportState lf_largeAirport() {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> day(1, 7), slot(0, 44), length(1, 6), type(1, 60), kind(0, 9);
    AirportState airport;
    airport.icao = "EHXX";
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 20; ++column) {
            Stand stand;
            stand.id = "S" + std::to_string(row * 20 + column + 1);
            stand.latitude = 52.3 + row * 45.0 / 111194.9;
            stand.longitude = 4.76 + column * 45.0 / 68000.0;
            stand.radius = 25.0 * kMetersToNm;
            for (int k = 0; k < 100; ++k) {
                StandOption option;
                option.registration = "PH-" + std::to_string(row * 2000 + column * 100 + k);
                option.callsign = "KLM" + std::to_string(row * 2000 + column * 100 + k);
                option.day = static_cast<std::uint32_t>(day(random));
                const int first = slot(random);
                for (int s = first, end = std::min(48, first + length(random)); s < end; ++s) option.hours.set(static_cast<std::size_t>(s));
                option.type = static_cast<std::uint16_t>(type(random));
                option.real = kind(random) < 8;
                stand.options.push_back(std::move(option));
            }
            airport.stands.push_back(std::move(stand));
        }
    }
    gf_numberAndLinkStands(airport.stands);
    return airport;
}

PlannerWorld lf_world() {
    PlannerWorld world;
    world.halfWingspanNm = [](std::uint16_t) { return 17.0 * kMetersToNm; };
    world.category = [](std::uint16_t) { return 2; };
    return world;
}

PlannerSettings lf_settings() {
    PlannerSettings settings;
    settings.parkingPercentage = 30;
    settings.week = true;
    settings.parkSoft = true;
    return settings;
}

void BM_FullPlan400Stands(benchmark::State& state) {
    AirportState airport = lf_largeAirport();
    const PlannerWorld world = lf_world();
    const PlannerSettings settings = lf_settings();
    StaticParkingPlanner planner(1);
    std::size_t planned = 0;
    for (auto _ : state) {
        planned = planner.plan(airport, settings, world, ParkingClock{3, 20, 10.0}).size();
        benchmark::DoNotOptimize(planned);
    }
    state.counters["planned"] = static_cast<double>(planned);
}
BENCHMARK(BM_FullPlan400Stands)->Unit(benchmark::kMillisecond);

void BM_Adjustment400Stands(benchmark::State& state) {
    AirportState airport = lf_largeAirport();
    const PlannerWorld world = lf_world();
    const PlannerSettings settings = lf_settings();
    StaticParkingPlanner planner(1);
    std::vector<StaticAircraft> standing;
    for (const auto& p : planner.plan(airport, settings, world, ParkingClock{3, 20, 10.0}))
        standing.push_back({p.callsign, p.registration, p.stand, p.kind});
    std::size_t changes = 0;
    for (auto _ : state) {
        const ParkingChanges c = planner.adjust(airport, settings, world, ParkingClock{3, 21, 10.5}, standing, false);
        changes = c.add.size() + c.remove.size();
        benchmark::DoNotOptimize(changes);
    }
    state.counters["changes"] = static_cast<double>(changes);
}
BENCHMARK(BM_Adjustment400Stands)->Unit(benchmark::kMillisecond);

} // namespace
