// The generated EHAM scenario: size, determinism and plausible movement.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "standins/rt/Scenario.h"
#include "tools/scenario/ScenarioGenerator.h"

namespace vorl::scenario {
namespace {

using nlohmann::json;

struct Generated {
    std::string text;
    GeneratorReport report;
};

Generated generate(std::uint64_t seed, double minutes = 40.0) {
    const AirportLayout airport = gf_loadAirportLayout(VORL_SCENARIO_INPUT "/EHAM.json");
    Fleet fleet = Fleet::load(VORL_SCENARIO_INPUT "/fleet.json");
    GeneratorSettings settings;
    settings.seed = seed;
    settings.durationSeconds = minutes * 60.0;
    std::stringstream out;
    const GeneratorReport report = gf_generateScenario(airport, fleet, settings, out);
    return {out.str(), report};
}

TEST(ScenarioGenerator, EhamScenarioIsBigEnoughAndDeterministic) {
    const Generated a = generate(7);
    EXPECT_GE(a.report.liveAircraft, 150u);
    EXPECT_GE(a.report.parked, 20u);
    EXPECT_EQ(generate(7).text, a.text);
    EXPECT_NE(generate(8).text, a.text);

    std::stringstream lines(a.text);
    const standin::Scenario scenario = standin::Scenario::parse(lines);
    EXPECT_GE(scenario.duration(), 30.0 * 60.0);
    EXPECT_EQ(scenario.aircraftCount(), a.report.liveAircraft);
}

TEST(ScenarioGenerator, AircraftMoveLikeAircraft) {
    const Generated g = generate(7, 30.0);
    std::map<std::string, std::vector<json>> tracks;
    std::stringstream lines(g.text);
    for (std::string line; std::getline(lines, line);) {
        const json item = json::parse(line);
        if (item["kind"] == "pos") tracks[item["hex"]].push_back(item);
    }
    int landings = 0;
    int takeOffs = 0;
    bool helicopter = false;
    bool light = false;
    for (const auto& [hex, samples] : tracks) {
        for (std::size_t i = 1; i < samples.size(); ++i) {
            const json& a = samples[i - 1]["rec"];
            const json& b = samples[i]["rec"];
            const double dt = samples[i]["t"].get<double>() - samples[i - 1]["t"].get<double>();
            ASSERT_GT(dt, 0.0);
            // No jumps: the distance covered fits the reported speed.
            const double nm = std::hypot(b[1].get<double>() - a[1].get<double>(),
                                         (b[2].get<double>() - a[2].get<double>()) * 0.61) * 60.0;
            ASSERT_LT(nm, (std::max(a[5].get<double>(), b[5].get<double>()) + 20.0) * dt / 3600.0 * 1.2) << hex;
            ASSERT_LT(std::abs(b[4].get<int>() - a[4].get<int>()), 5000.0 * dt / 60.0) << hex;
            if (a[14] == 0 && b[14] == 1) {
                ++landings;
                EXPECT_LT(a[4].get<int>(), 300) << hex; // touched down out of the flare
                EXPECT_EQ(b[12], "AMS");
            }
            if (a[14] == 1 && b[14] == 0) {
                ++takeOffs;
                EXPECT_GT(a[5].get<double>(), 120.0) << hex; // rotated at speed
            }
        }
        helicopter = helicopter || samples.front()["rec"][28] == "A7";
        light = light || samples.front()["rec"][28] == "A1";
    }
    EXPECT_GT(landings, 20);
    EXPECT_GT(takeOffs, 20);
    EXPECT_TRUE(helicopter);
    EXPECT_TRUE(light);
}

} // namespace
} // namespace vorl::scenario
