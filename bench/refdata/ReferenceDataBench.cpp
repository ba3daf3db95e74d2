// Start-up cost of the shipped reference data: decrypting and reading dbase.enc and airports.enc
// as the program does (target: well below one second together).
#include <filesystem>

#include <benchmark/benchmark.h>

#include "airports/AirportDatabase.h"
#include "models/DbaseReader.h"

namespace fs = std::filesystem;

namespace {

// A copy of the shipped files in a scratch folder, so the decrypted XML never lands in the image.
fs::path lf_scratchInput() {
    const fs::path folder = fs::temp_directory_path() / "vorl-bench-refdata";
    fs::create_directories(folder);
    for (const char* name : {"dbase.enc", "airports.enc"})
        fs::copy_file(fs::path(VORL_INSTALL_INPUT) / name, folder / name, fs::copy_options::overwrite_existing);
    return folder;
}

void BM_ModelDatabase(benchmark::State& state) {
    const fs::path input = lf_scratchInput();
    for (auto _ : state) {
        vorl::ModelDatabase database;
        vorl::gf_readModelDatabase(input, database);
        state.counters["registrations"] = static_cast<double>(database.registrations.size());
    }
}

void BM_AirportDatabase(benchmark::State& state) {
    const fs::path input = lf_scratchInput();
    for (auto _ : state) {
        vorl::AirportDatabase database;
        vorl::gf_readAirports(input, database);
        state.counters["airports"] = static_cast<double>(database.table.size());
    }
}

void BM_AllReferenceData(benchmark::State& state) {
    const fs::path input = lf_scratchInput();
    for (auto _ : state) {
        vorl::ModelDatabase models;
        vorl::AirportDatabase airports;
        vorl::gf_readModelDatabase(input, models);
        vorl::gf_readAirports(input, airports);
        benchmark::DoNotOptimize(airports.table.data());
    }
}

} // namespace

BENCHMARK(BM_ModelDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AirportDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllReferenceData)->Unit(benchmark::kMillisecond);
