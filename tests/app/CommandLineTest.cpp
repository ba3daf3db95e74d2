#include <gtest/gtest.h>

#include "app/CommandLine.h"

using namespace vorl;

TEST(CommandLine, ProductionSwitchesLastOneWinsAnyCase) {
    EXPECT_FALSE(gf_parseCommandLine({}).production.has_value());
    EXPECT_EQ(gf_parseCommandLine({"--production"}).production, true);
    EXPECT_EQ(gf_parseCommandLine({"/PRODUCTION"}).production, true);
    EXPECT_EQ(gf_parseCommandLine({"--production", "/no-production"}).production, false);
    EXPECT_EQ(gf_parseCommandLine({"--No-Production", "unknown", "/production"}).production, true);
}

TEST(CommandLine, OptionsWithValues) {
    const auto o = gf_parseCommandLine({"--headless", "--workdir", "w", "--config-dir=c", "--duration", "5",
                                        "--sim", "simconnect", "whatever"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.workdir, "w");
    EXPECT_EQ(o.configDir, "c");
    EXPECT_EQ(o.durationSeconds, 5);
    EXPECT_EQ(o.sim, "simconnect");
    EXPECT_FALSE(gf_parseCommandLine({"--duration", "0"}).error.empty());
    EXPECT_FALSE(gf_parseCommandLine({"--duration", "5s"}).error.empty());
    EXPECT_FALSE(gf_parseCommandLine({"--workdir"}).error.empty());
    EXPECT_FALSE(gf_parseCommandLine({"--sim", "xplane"}).error.empty());
    EXPECT_NE(gf_usageText().find("--config-dir"), std::string::npos);
}

TEST(CommandLine, SimulatorStandInOptions) {
    const auto o = gf_parseCommandLine({"--sim-trace", "t.jsonl", "--sim-map=m.svg", "--sim-version", "2024"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.sim, "standin");
    EXPECT_EQ(o.simTrace, "t.jsonl");
    EXPECT_EQ(o.simMap, "m.svg");
    EXPECT_EQ(o.simVersion, "2024");
    EXPECT_FALSE(gf_parseCommandLine({"--sim-version", "2022"}).error.empty());
    EXPECT_FALSE(gf_parseCommandLine({"--sim-trace"}).error.empty());
    EXPECT_NE(gf_usageText().find("--sim-map"), std::string::npos);
    EXPECT_EQ(o.userScript, "departure");
    EXPECT_EQ(gf_parseCommandLine({"--user-script", "parked"}).userScript, "parked");
    EXPECT_FALSE(gf_parseCommandLine({"--user-script", "loop"}).error.empty());
}
