#include <cmath>

#include <set>

#include "SimTestSupport.h"
#include "airports/AirportDatabase.h"
#include "airports/ScannedAirport.h"
#include "sim/FacilityReader.h"
#include "sim/SimSession.h"

namespace fs = std::filesystem;
using namespace vorl;
using namespace vorl::test;
using standin::SimStandInConfig;
using standin::StandInAirport;

namespace {

SimStandInConfig lf_withLelystad() {
    SimStandInConfig config;
    StandInAirport ehle{"EHLE", 52.4603, 5.5272, -13.0, "Lelystad", {}, {}};
    ehle.parkings = {{9, 12, 0, 4, 180.0, 22.0, 10.0, -10.0}, {13, 1, 0, 9, 0.0, 5.0, 0.0, 0.0}};
    ehle.helipads = {{52.4590, 5.5260, -4.0, 45.0, 24.0, 20.0, 1, 2}};
    config.airports.push_back(ehle);
    config.keepTraceInMemory = true;
    return config;
}

// The facility reader has a session of its own next to the running main session.
TEST_F(SimLinkTest, FacilityDataArrivesOnASecondSession) {
    connect(lf_withLelystad());
    FacilityReader reader(*gf_simSession().backend());
    const auto data = reader.read("EHLE");
    ASSERT_TRUE(data.has_value());
    EXPECT_NEAR(data->latitude, 52.4603, 1e-9);
    EXPECT_NEAR(data->altitudeM, -13.0 * 0.3048, 1e-6);
    EXPECT_EQ(data->name, "Lelystad");
    ASSERT_EQ(data->parkings.size(), 2u) << "the reader hands on every parking; the scan decides which count";
    EXPECT_EQ(data->parkings[0].type, 9);
    EXPECT_EQ(data->parkings[0].name, 12);
    EXPECT_EQ(data->parkings[0].number, 4);
    EXPECT_FLOAT_EQ(data->parkings[0].biasX, 10.0f);
    EXPECT_FLOAT_EQ(data->parkings[0].biasZ, -10.0f);
    ASSERT_EQ(data->helipads.size(), 1u);
    EXPECT_EQ(data->helipads[0].type, 2);
    EXPECT_FLOAT_EQ(data->helipads[0].lengthM, 24.0f);

    const auto unknown = reader.read("ZZZZ");
    ASSERT_TRUE(unknown.has_value()) << "the simulator answers, without the airport";
    EXPECT_TRUE(unknown->parkings.empty() && unknown->helipads.empty());
    // The definition is made once per session, in the order the records are decoded in.
    const auto fields = calls("AddToFacilityDefinition");
    ASSERT_EQ(fields.size(), 30u);
    EXPECT_EQ(fields.front().at("field"), "OPEN AIRPORT");
    EXPECT_EQ(fields.back().at("field"), "CLOSE AIRPORT");
    EXPECT_EQ(calls("RequestFacilityData").size(), 2u);
    reader.close();
    EXPECT_NE(logText().find("SimConnect (PARKING_DATA_RDR) closed"), std::string::npos);
    EXPECT_TRUE(gf_simSession().connected.load()) << "the main session goes on";
}

// Any airport of the world the program reads has stands in the simulator: the scan's conversion
// of the answers gives plausible stands around the airport's reference point.
TEST_F(SimLinkTest, EveryAirportOfTheWorldHasStandsInTheSimulator) {
    AirportDatabase& world = gf_airportDatabase();
    if (!world.read) gf_readAirportsXml(fs::path(VORL_DATA_FOLDER) / "airports.xml", world);
    const AirportInfo* lfpg = world.find(IcaoCode("LFPG"));
    ASSERT_NE(lfpg, nullptr);
    connect(lf_withLelystad());
    FacilityReader reader(*gf_simSession().backend());

    const auto data = reader.read("LFPG");
    ASSERT_TRUE(data.has_value());
    EXPECT_NEAR(data->latitude, lfpg->latitude, 1e-9);
    EXPECT_NEAR(data->longitude, lfpg->longitude, 1e-9);
    EXPECT_TRUE(std::any_of(data->parkings.begin(), data->parkings.end(), [](const auto& p) {
        return p.type == 13;
    })) << "a vehicle parking, as real airports have";
    EXPECT_TRUE(std::any_of(data->parkings.begin(), data->parkings.end(), [](const auto& p) {
        return p.type == 9;
    })) << "an airport with airline service has medium gates";
    ScannedAirport scanned;
    scanned.file.icao = "LFPG";
    gf_takeFacilityData(*data, scanned);
    const auto& stands = scanned.file.stands;
    ASSERT_GE(stands.size(), 8u);
    std::set<std::string> ids;
    std::size_t helipads = 0;
    for (const Stand& a : stands) {
        EXPECT_TRUE(ids.insert(a.id).second) << a.id << " twice";
        helipads += a.heli ? 1 : 0;
        const double fromReference =
            gf_distanceNm(a.latitude, a.longitude, lfpg->latitude, lfpg->longitude) * 1852.0;
        EXPECT_GT(fromReference, 100.0) << a.id << " stands on the runways";
        EXPECT_LT(fromReference, 2000.0) << a.id << " is not at the airport";
        for (const Stand& b : stands)
            if (&a != &b && !a.heli && !b.heli)
                EXPECT_GE(gf_distanceNm(a.latitude, a.longitude, b.latitude, b.longitude),
                          a.radius + b.radius)
                    << a.id << " and " << b.id << " overlap";
    }
    EXPECT_EQ(helipads, 1u);
    const auto again = reader.read("LFPG");
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->parkings.size(), data->parkings.size()) << "the same stands on every request";

    // A field without an IATA code sees no airline gates.
    const AirportInfo* texel = world.find(IcaoCode("EHTX"));
    ASSERT_NE(texel, nullptr);
    ASSERT_EQ(texel->iata.str(), "XXX");
    const auto field = reader.read("EHTX");
    ASSERT_TRUE(field.has_value());
    EXPECT_FALSE(field->parkings.empty());
    EXPECT_TRUE(std::none_of(field->parkings.begin(), field->parkings.end(),
                             [](const auto& p) { return p.type >= 8 && p.type <= 10; }));
    reader.close();
}

TEST_F(SimLinkTest, FacilityReaderFailuresEndInNothing) {
    connect(lf_withLelystad());
    standIn->failCalls("RequestFacilityData");
    FacilityReader reader(*gf_simSession().backend());
    EXPECT_FALSE(reader.read("EHLE").has_value());
    EXPECT_NE(logText().find("RequestFacilityData failed for EHLE"), std::string::npos);
    standIn->failCalls("RequestFacilityData", false);
    EXPECT_TRUE(reader.read("EHLE").has_value());
    reader.close();

    standIn->setAvailable(false);
    standIn->quit();
    FacilityReader closed(*gf_simSession().backend());
    EXPECT_FALSE(closed.read("EHLE").has_value());
    EXPECT_NE(logText().find("SimConnect_Open (PARKING_DATA_RDR) FAILED hr=0x80004005"), std::string::npos);
}

} // namespace
