// The add-on airport scan over a simulator tree of 5 000 scenery packages, one BGL file each
// (30 gates, 10 ramps and a helipad per airport, 500 airports). Figures: the scan's wall time,
// and how many times longer it takes than reading the same files' bytes (the floor any scan has).
#include <chrono>
#include <fstream>
#include <iterator>

#include <benchmark/benchmark.h>

#include "airports/AddonAirportScan.h"
#include "common/Log.h"
#include "tools/sceneries/Sceneries.h"

namespace fs = std::filesystem;
using namespace vorl;

namespace {

constexpr int kPackages = 5000;
constexpr int kAirports = 500;

struct ScanTree {
    fs::path root = fs::temp_directory_path() / "vorl-bench-airport-scan";
    AirportDatabase database;
    std::vector<fs::path> files;

    ScanTree() {
        fs::remove_all(root);
        std::vector<std::string> codes;
        std::string list;
        for (int i = 0; i < kAirports; ++i) {
            codes.push_back(fmt::format("X{:03}", i));
            AirportInfo info;
            info.icao = IcaoCode(codes.back());
            database.table.push_back(info);
            database.codes.insert(info.icao);
            list += codes.back() + "\n";
        }
        std::ofstream(root / "ICAO_airports.txt") << list;
        for (const auto& package : tools::gf_benchSceneries(kPackages, codes)) {
            tools::gf_writeScenery(root / "sim", package);
            files.push_back(root / "sim" / package.folder / package.bgl);
            files.push_back(root / "sim" / package.folder / "manifest.json");
        }
        Log::instance().open(root / "log.txt");
    }
    ~ScanTree() {
        Log::instance().close();
        fs::remove_all(root);
    }

    AirportScanSettings settings() const {
        AirportScanSettings s;
        s.folders = {{root / "sim" / "Community", true, false}};
        s.icaoList = root / "ICAO_airports.txt";
        s.airportsFolder = root / "airports";
        s.tbloFolder = root / "tblo";
        return s;
    }

    double secondsToReadAll() const {
        const auto start = std::chrono::steady_clock::now();
        std::size_t bytes = 0;
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            bytes += std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()).size();
        }
        benchmark::DoNotOptimize(bytes);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

ScanTree& lf_tree() {
    static ScanTree tree;
    return tree;
}

void BM_AirportScan5000Bgl(benchmark::State& state) {
    ScanTree& tree = lf_tree();
    const AirportScanSettings settings = tree.settings();
    double scanned = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const AirportScanResult result = gf_scanAirports(settings, tree.database);
        scanned += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(result.thirdparty);
    }
    const double perScan = scanned / static_cast<double>(state.iterations());
    state.counters["seconds"] = perScan;
    state.counters["x_read_bytes"] = perScan / tree.secondsToReadAll();
}
BENCHMARK(BM_AirportScan5000Bgl)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
