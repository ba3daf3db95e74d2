// The learned file beside an airport file: where it lives, how it overlays the airport file,
// and that saving and reading it again gives the same stands and options back.
#include <gtest/gtest.h>

#include "airports/AirportFileReader.h"
#include "airports/LearnedFile.h"
#include "common/Log.h"
#include "tests/airports/AirportFileFixture.h"

using namespace vorl;
using namespace vorl::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kFile = "airports/my_simaddon/EHAM.xml";

std::string learnedXml(const std::string& version, bool handmade, const std::string& stands) {
    return fmt::format(R"(<root><parameters><parameter name="icao" value="EHAM"/>
  <parameter name="airport_name" value="Schiphol"/><parameter name="publisher" value="simaddon"/>
  <parameter name="version" value="{}"/>{}<parameter name="MAX_FIT" value="3"/>
  <parameter name="parking_percentage" value="70"/></parameters><parkpositions>{}</parkpositions></root>)",
                       version, handmade ? R"(<parameter name="handmade" value="true"/>)" : "", stands);
}

const char* kLearnedStands =
    R"(<parkpos id="A1" radius_change="true" radius="33.0"><opt reg="PH-BXA" airl="KLM" type="B738" day="2" hh="14:16" cs="KLM1234"/></parkpos>
       <parkpos id="M1" manual="true" latitude="52.31" longitude="4.77" heading="180" radius="18" cargo="true"/>
       <parkpos id="GONE"/>)";

AirportState readEham() {
    AirportState state;
    state.icao = "EHAM";
    EXPECT_EQ(gf_readApf(kFile, state), "");
    return state;
}

} // namespace

TEST(LearnedFile, PathFollowsWhereTheAirportFileCameFrom) {
    EXPECT_EQ(gf_learnedPath("archive/stock/EHAM.xml", "stock"), "airports/learned/stock/EHAM.xml");
    EXPECT_EQ(gf_learnedPath("archive\\simaddon\\EHAM.xml", "simaddon"), "airports/learned/simaddon/EHAM.xml");
    EXPECT_EQ(gf_learnedPath("archive/thirdparty/Big%20Sceneries/EHAM.xml", "x"),
              "airports/learned/thirdparty/Big Sceneries/EHAM.xml");
    EXPECT_EQ(gf_learnedPath("airports/my_thirdparty/EHAM.xml", "Big/Sceneries"),
              "airports/learned/thirdparty/Big Sceneries/EHAM.xml");
    EXPECT_EQ(gf_learnedPath("airports/my_simaddon/EHAM.xml", "simaddon"), "airports/learned/simaddon/EHAM.xml");
    // An archived file's version is not part of what the airport learns.
    EXPECT_EQ(gf_learnedPath("archive/thirdparty/Orbx/EHLE120.xml", "Orbx"), "airports/learned/thirdparty/Orbx/EHLE.xml");
}

TEST(LearnedFile, OptionsSeenAtSeparateTimesKeepEveryHalfHourAndEarlierFilesStay) {
    AirportFilesFixture f;
    f.write(kFile, airportXml(standXml("A1", 0, 20) + "</parkpos>" + standXml("A2", 100, 20) + "</parkpos>", {}, "simaddon"));
    AirportState state = readEham();
    ASSERT_EQ(state.stands.size(), 2u);
    StandOption seen;
    seen.day = 3;
    seen.callsign = "KLM77";
    seen.registration = "PH-BXA";
    seen.real = true;
    for (const std::size_t slot : {14u, 15u, 16u, 38u}) seen.hours.set(slot); // morning and evening
    state.stands[0].options.push_back(seen);
    ASSERT_TRUE(gf_saveLearned(state));
    const std::string written = readFile(f.dir / "airports/learned/simaddon/EHAM.xml");
    EXPECT_NE(written.find(R"(hh="14:16")"), std::string::npos) << written;
    EXPECT_NE(written.find(R"(hh="38")"), std::string::npos) << written;

    AirportState again = readEham();
    HalfHourSet read;
    for (const StandOption& o : again.stands[0].options)
        if (o.callsign == "KLM77") read |= o.hours;
    EXPECT_EQ(read, seen.hours) << "a read-modify-write keeps every half hour";

    ASSERT_TRUE(gf_saveLearned(again));
    EXPECT_TRUE(fs::exists(f.dir / "airports/learned/simaddon/EHAM0.xml")) << "the previous file is kept";
    AirportState nothing = again;
    nothing.stands.clear();
    EXPECT_FALSE(gf_saveLearned(nothing)) << "a failed read never overwrites what was learned";
    EXPECT_EQ(readEham().stands[0].options.size(), again.stands[0].options.size());
}

TEST(LearnedFile, OverlaysSettingsChangesManualStandsAndOptionsAndSurvivesARoundTrip) {
    AirportFilesFixture f;
    f.write(kFile, airportXml(standXml("A1", 0, 20) + "</parkpos>" + standXml("A2", 100, 20) + "</parkpos>",
                              R"(<parameter name="Facilities" value="true"/>)", "simaddon"));
    f.write("airports/learned/simaddon/EHAM.xml", learnedXml("11.10.0", false, kLearnedStands));
    AirportState state = readEham();
    ASSERT_EQ(state.stands.size(), 3u);
    EXPECT_NEAR(state.stands[0].radius, 33 * kMetersToNm, 1e-12);
    ASSERT_EQ(state.stands[0].options.size(), 1u);
    EXPECT_EQ(state.stands[0].options[0].day, 2u);
    EXPECT_EQ(state.stands[0].options[0].source, 0);
    EXPECT_TRUE(state.stands[2].manual);
    EXPECT_TRUE(state.stands[2].cargo);
    EXPECT_EQ(state.settings.maxFit, 3);
    EXPECT_EQ(state.settings.parkingPercentage, 70) << "the learned settings apply, not the stand class";
    EXPECT_EQ(state.qfReal, 33) << "one of the three stands has a real option";

    state.updates = 1;
    state.stands[1].options.push_back(state.stands[0].options[0]);
    ASSERT_TRUE(gf_saveLearned(state));
    AirportState again = readEham();
    ASSERT_EQ(again.stands.size(), 3u);
    EXPECT_EQ(again.stands[0].options.size(), 1u);
    EXPECT_EQ(again.stands[1].options.size(), 1u);
    EXPECT_EQ(again.stands[1].options[0].callsign, "KLM1234");
    EXPECT_EQ(again.stands[1].options[0].hours, state.stands[0].options[0].hours);
    EXPECT_NEAR(again.stands[0].radius, 33 * kMetersToNm, 1e-6) << "the hand-made radius is kept";
    EXPECT_EQ(again.stands[2].id, "M1");
    EXPECT_EQ(again.settings.maxFit, 3);
}

TEST(LearnedFile, OldFilesLoseTheirOptionsUnlessHandmadeAndBrokenOnesAreMovedAside) {
    AirportFilesFixture f;
    f.write(kFile, airportXml(standXml("A1", 0, 20) + "</parkpos>", {}, "simaddon"));
    f.write("airports/learned/simaddon/EHAM.xml", learnedXml("11.9.9", false, kLearnedStands));
    EXPECT_TRUE(readEham().stands[0].options.empty());
    f.write("airports/learned/simaddon/EHAM.xml", learnedXml("11.9.9", true, kLearnedStands));
    AirportState handmade = readEham();
    EXPECT_EQ(handmade.stands[0].options.size(), 1u);
    EXPECT_TRUE(handmade.handmade);

    f.write("airports/learned/simaddon/EHAM.xml", "<root><parkpositions>");
    EXPECT_EQ(readEham().stands.size(), 1u) << "the airport file alone";
    EXPECT_TRUE(fs::exists(f.dir / "airports/learned/simaddon/EHAM.0.xml"));
    EXPECT_FALSE(fs::exists(f.dir / "airports/learned/simaddon/EHAM.xml"));
}
