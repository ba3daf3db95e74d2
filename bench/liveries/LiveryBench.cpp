// The livery scan of a large installation (the made-up packages written many times over) and
// the cost of one livery match, the work a new live aircraft causes on the run-loop thread.
#include <filesystem>
#include <thread>

#include <benchmark/benchmark.h>

#include "common/Log.h"
#include "models/LiveryCatalogue.h"
#include "models/LiveryScan.h"
#include "tests/support/ShippedDatabase.h"
#include "tools/aipackages/AiPackages.h"

namespace fs = std::filesystem;
using namespace vorl;

namespace {

ModelDatabase& lf_database() { return vorl::test::shippedDatabase(std::filesystem::path(VORL_DATA_FOLDER) / "dbase.xml"); }

fs::path lf_installation(std::size_t copies) {
    const fs::path folder = fs::temp_directory_path() / fmt::format("vorl-bench-liveries-{}", copies);
    if (!fs::exists(folder / "Packages" / "Community")) {
        fs::create_directories(folder / "Packages" / "Official");
        tools::gf_writeAiPackages({VORL_FLEET_FILE, folder / "Packages" / "Community", copies});
    }
    return folder;
}

LiveryScanSettings lf_settings(const fs::path& folder) {
    LiveryScanSettings s;
    s.selector = gf_parsePackageSelector("AIG, FSLTL, JF, MTL");
    s.packagesPath = folder / "Packages";
    s.result = folder / "LiveriesScanned.xml";
    s.problemsFolder = folder;
    s.version = "0.0.0";
    s.threads = std::max(2u, std::thread::hardware_concurrency());
    return s;
}

// Each copy adds every airline's liveries again, in the same files: 40 copies are about 6 000
// liveries, the size of a full AIG installation's section count in a few hundred files.
void BM_Scan(benchmark::State& state) {
    const fs::path folder = lf_installation(static_cast<std::size_t>(state.range(0)));
    Log::instance().open(folder / "log.txt");
    const LiveryScanSettings settings = lf_settings(folder);
    std::size_t liveries = 0;
    for (auto _ : state) liveries = gf_scanLiveries(settings, lf_database()).liveries.size();
    state.counters["liveries"] = static_cast<double>(liveries);
    Log::instance().close();
}

void BM_MatchLive(benchmark::State& state) {
    const fs::path folder = lf_installation(40);
    Log::instance().open(folder / "match-log.txt");
    ModelDatabase& db = lf_database();
    if (!fs::exists(folder / "LiveriesScanned.xml")) gf_scanLiveries(lf_settings(folder), db);
    LiveryCatalogue catalogue(db);
    catalogue.build(gf_readLiveriesScanned(folder / "LiveriesScanned.xml"), {});
    // An airline with the type, one with only a similar type, and one without liveries at all.
    std::vector<LiveryQuery> queries;
    for (const auto& [airline, type] : std::vector<std::pair<const char*, const char*>>{{"KLM", "B738"}, {"KLM", "B78X"}, {"XYZ", "A320"}}) {
        LiveryQuery q;
        q.code.airlineIndex = db.airlineIndexOf(airline);
        q.code.typeIndex = db.typeIndexOf(type);
        q.category = db.category(q.code.typeIndex);
        q.label = airline;
        queries.push_back(q);
    }
    std::size_t i = 0, found = 0;
    for (auto _ : state) found += catalogue.matchLive(queries[i++ % queries.size()], 4).has_value() ? 1 : 0;
    benchmark::DoNotOptimize(found);
    Log::instance().close();
}

} // namespace

BENCHMARK(BM_Scan)->Arg(1)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchLive)->Unit(benchmark::kMicrosecond);
