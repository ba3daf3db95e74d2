// An answer of 1000 aircraft, parsed and filtered as the traffic reader does it, against a bare
// JSON parse of the same bytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <string>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "rt/TrafficReader.h"

namespace {

constexpr double kUserLat = 52.3086;
constexpr double kUserLon = 4.7639;

// 1000 aircraft around the user, a realistic mix of the field types real answers carry.
std::string lf_answer() {
    std::string out = "{\"data\":{";
    for (int i = 0; i < 1000; ++i) {
        const double angle = i * 0.37;
        const double lat = kUserLat + std::sin(angle) * 0.3 * (i % 10) / 10.0;
        const double lon = kUserLon + std::cos(angle) * 0.5 * (i % 10) / 10.0;
        const bool ground = i % 7 == 0;
        const int altitude = ground ? 0 : 1000 + (i * 37) % 38000;
        const std::string hex = fmt::format("{:06x}", 0x400000 + i * 13);
        out += fmt::format(
            "\"{}\":[\"{}\",{:.5f},{:.5f},{:.1f},{},{:.1f},\"{:04}\",\"X\",\"B738\",\"PH-B{:02}\",1767225612.{},"
            "\"AMS\",\"LHR\",\"KLM{}\",{},{},\"KL{}\",\"X_adsb_icao\",{},{},{},0.45,-0.12,-3.2,249.0,{:.1f},-1120,"
            "\"none\",\"A3\",1009.6,5008,5008,251.0,\"autopilot|vnav|lnav|tcas\",8,186,1,10,2,0.2,-11.7,0,0,243,17,"
            "-2,4,1],",
            hex, hex, lat, lon, (i * 7) % 360 + 0.5, altitude, ground ? 12.0 : 250.0 + i % 100, i % 7777, i % 100,
            i % 10, 100 + i, ground ? 1 : 0, ground ? 0 : -1152, 1000 + i, altitude + 150, 198, 221,
            (i * 7) % 358 + 1.5);
    }
    out.pop_back();
    out += "},\"full_count\":17342,\"source\":\"MemoryDB\",\"rrl\":2000,\"status\":200,\"dataepoch\":1767225614}";
    return out;
}

const std::string& lf_body() {
    static const std::string body = lf_answer();
    return body;
}

vorl::TrafficHooks lf_hooks() {
    vorl::TrafficHooks hooks;
    hooks.settings = [] {
        vorl::TrafficSettings settings;
        settings.rangeNm = 40.0;
        return settings;
    };
    hooks.currentAirport = [] { return vorl::AirportRef{kUserLat, kUserLon, -11.0}; };
    return hooks;
}

void BM_BareJsonParse(benchmark::State& state) {
    const std::string& body = lf_body();
    for (auto _ : state) {
        auto parsed = nlohmann::json::parse(body);
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_BareJsonParse)->Unit(benchmark::kMicrosecond);

// Both runs interleaved, so that a busy machine slows them alike and the ratio stays fair.
void BM_TrafficAnswerParseAndFilter(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const std::string& body = lf_body();
    vorl::TrafficReader reader(vorl::RtConfig{}, lf_hooks());
    reader.setUserPosition({kUserLat, kUserLon});
    reader.refreshSettings();
    std::size_t kept = 0;
    double answerNs = 0.0;
    double bareNs = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto bare = nlohmann::json::parse(body);
        benchmark::DoNotOptimize(bare);
        const auto t1 = Clock::now();
        nlohmann::json answer = nlohmann::json::parse(body);
        kept = reader.processLiveData(answer["data"]);
        reader.received().clear();
        const auto t2 = Clock::now();
        bareNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        answerNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["kept"] = static_cast<double>(kept);
    state.counters["answer_us"] = answerNs / n / 1000.0;
    state.counters["bare_parse_us"] = bareNs / n / 1000.0;
    // The target is 2 or less.
    state.counters["ratio_to_bare_parse"] = answerNs / bareNs;
}
BENCHMARK(BM_TrafficAnswerParseAndFilter)->Unit(benchmark::kMicrosecond);

} // namespace
