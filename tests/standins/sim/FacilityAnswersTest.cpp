// The simulator stand-in's facility answers: configured layouts as they are, generated stands
// for every other airport of its world.
#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "airports/AirportDatabase.h"
#include "airports/BglReader.h"
#include "common/Geodesy.h"
#include "sim/FacilityRecords.h"
#include "standins/sim/FacilityAnswers.h"
#include "tests/support/TempFolder.h"
#include "tools/sceneries/Sceneries.h"

using namespace vorl;
using namespace vorl::standin;

namespace {

// The metres between two parkings given by their offsets from the same reference point.
double lf_apart(const StandInParking& a, const StandInParking& b) {
    return std::hypot(a.biasX - b.biasX, a.biasZ - b.biasZ);
}

std::string lf_lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void lf_worldOfTwo() {
    AirportDatabase& world = gf_airportDatabase();
    if (world.find(IcaoCode("XAIR"))) return;
    AirportInfo airline;
    airline.icao = IcaoCode("XAIR");
    airline.iata = IataCode("XAI");
    airline.latitude = 48.0;
    airline.longitude = 2.0;
    airline.altitude = 300.0f;
    AirportInfo field = airline;
    field.icao = IcaoCode("XGAF");
    field.iata = IataCode("XXX");
    world.table.push_back(airline);
    world.table.push_back(field);
    world.codes.insert(airline.icao);
    world.codes.insert(field.icao);
}

} // namespace

TEST(FacilityAnswers, ConfiguredLayoutsComeAsTheyAreAndUnknownAirportsNotAtAll) {
    StandInAirport ehle{"EHLE", 52.46, 5.52, -13.0, "Lelystad", {}, {}};
    ehle.parkings = {{9, 12, 0, 4, 180.0, 22.0, 10.0, -10.0}};
    const std::vector<StandInAirport> configured{ehle, {"EHAM", 52.3086, 4.7639, -11.0, "Schiphol", {}, {}}};
    const auto lelystad = gf_facilityAirport(configured, "EHLE");
    ASSERT_TRUE(lelystad.has_value());
    ASSERT_EQ(lelystad->parkings.size(), 1u);
    EXPECT_EQ(lelystad->parkings[0].number, 4);

    const auto schiphol = gf_facilityAirport(configured, "EHAM");
    ASSERT_TRUE(schiphol.has_value()) << "a configured airport without layout gets one";
    EXPECT_GT(schiphol->parkings.size(), 6u);
    EXPECT_EQ(schiphol->name, "Schiphol");

    EXPECT_FALSE(gf_facilityAirport(configured, "ZZZZ").has_value());
    EXPECT_FALSE(gf_facilityAirport(configured, "not a code").has_value());
}

TEST(FacilityAnswers, EveryAirportOfTheWorldGetsPlausibleStandsTheSameEachTime) {
    lf_worldOfTwo();
    const auto airline = gf_facilityAirport({}, "XAIR");
    ASSERT_TRUE(airline.has_value());
    EXPECT_DOUBLE_EQ(airline->lat, 48.0);
    EXPECT_DOUBLE_EQ(airline->elevationFt, 300.0);
    const auto again = gf_facilityAirport({}, "XAIR");
    ASSERT_EQ(again->parkings.size(), airline->parkings.size());
    for (std::size_t i = 0; i < airline->parkings.size(); ++i) {
        EXPECT_EQ(again->parkings[i].biasX, airline->parkings[i].biasX);
        EXPECT_EQ(again->parkings[i].biasZ, airline->parkings[i].biasZ);
    }
    std::set<int> types;
    std::set<std::tuple<int, int, int>> names;
    for (const StandInParking& p : airline->parkings) {
        types.insert(p.type);
        EXPECT_TRUE(names.insert({p.name, p.suffix, p.number}).second)
            << "name " << p.name << " number " << p.number << " twice";
        EXPECT_GT(std::hypot(p.biasX, p.biasZ), 100.0) << "off the runways";
        EXPECT_GT(p.radiusM, 4.0);
        for (const StandInParking& q : airline->parkings)
            if (&p != &q) EXPECT_GE(lf_apart(p, q), p.radiusM + q.radiusM) << "stands overlap";
    }
    EXPECT_TRUE(types.count(9)) << "medium gates";
    EXPECT_TRUE(types.count(10)) << "heavy gates";
    EXPECT_TRUE(types.count(5)) << "cargo";
    EXPECT_TRUE(types.count(2)) << "general aviation";
    EXPECT_TRUE(types.count(13)) << "vehicles";
    ASSERT_EQ(airline->helipads.size(), 1u);
    EXPECT_LT(std::fabs(airline->helipads[0].lat - 48.0), 0.02);

    const auto field = gf_facilityAirport({}, "XGAF");
    ASSERT_TRUE(field.has_value());
    for (const StandInParking& p : field->parkings)
        EXPECT_FALSE(p.type >= 8 && p.type <= 10) << "no gates without airlines";
    EXPECT_FALSE(field->parkings.empty());
}

// An installed airport scenery answers with its own stands, as the program's BGL reader finds
// them, the parkings placed relative to the reference point.
TEST(FacilityAnswers, InstalledSceneriesAnswerWithTheirOwnStands) {
    test::TempFolder install;
    for (const tools::SceneryPackage& package : tools::gf_demoSceneries(true))
        tools::gf_writeScenery(install.path(), package);
    const std::filesystem::path community = install / "Community";
    for (const std::string icao : {"EHLE", "EHRD"}) {
        ScannedAirport fromBgl;
        fromBgl.file.icao = icao;
        bool read = false;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(install.path()))
            if (entry.path().extension() == ".bgl" &&
                lf_lower(entry.path().string()).find(lf_lower(icao)) != std::string::npos &&
                entry.path().string().find("statics") == std::string::npos && !read)
                read = gf_readBglAirport(entry.path(), icao, fromBgl);
        ASSERT_TRUE(read) << icao;

        const auto answer = gf_facilityAirport({}, icao, community);
        ASSERT_TRUE(answer.has_value()) << icao;
        EXPECT_EQ(answer->name, fromBgl.file.name);
        ScannedAirport fromFacilities;
        fromFacilities.file.icao = icao;
        FacilityAirport data;
        data.latitude = answer->lat;
        data.longitude = answer->lon;
        for (const StandInParking& p : answer->parkings)
            data.parkings.push_back({p.type, p.name, p.suffix, p.number, static_cast<float>(p.headingDeg),
                                     static_cast<float>(p.radiusM), static_cast<float>(p.biasX),
                                     static_cast<float>(p.biasZ)});
        for (const StandInHelipad& h : answer->helipads)
            data.helipads.push_back({h.lat, h.lon, h.altitudeM, static_cast<float>(h.headingDeg),
                                     static_cast<float>(h.lengthM), static_cast<float>(h.widthM), h.surface,
                                     h.type});
        gf_takeFacilityData(data, fromFacilities);
        ASSERT_EQ(fromFacilities.file.stands.size(), fromBgl.file.stands.size()) << icao;
        for (const Stand& expected : fromBgl.file.stands) {
            const auto same =
                std::find_if(fromFacilities.file.stands.begin(), fromFacilities.file.stands.end(),
                             [&](const Stand& s) { return s.id == expected.id; });
            ASSERT_NE(same, fromFacilities.file.stands.end()) << icao << " " << expected.id;
            EXPECT_LT(gf_distanceNm(same->latitude, same->longitude, expected.latitude, expected.longitude) *
                          1852.0,
                      1.0)
                << icao << " " << expected.id;
            EXPECT_NEAR(same->radius, expected.radius, 1e-6);
            EXPECT_EQ(same->type, expected.type);
        }
    }
}
