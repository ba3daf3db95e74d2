#include <string>

#include <gtest/gtest.h>

#include "airports/ClosestAirport.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"

using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;

namespace {

// One nautical mile is one minute of latitude on the program's sphere.
constexpr double kNmInDegrees = 1.0 / 60.0;

AirportInfo lf_airport(const char* icao, double latitude, double longitude) {
    AirportInfo info;
    info.icao = IcaoCode(icao);
    info.latitude = latitude;
    info.longitude = longitude;
    return info;
}

class ClosestAirportTest : public ::testing::Test {
protected:
    void SetUp() override { Log::instance().open(folder / "log.txt"); }
    void TearDown() override { Log::instance().close(); }
    std::string logText() {
        Log::instance().close();
        return readFile(folder / "log.txt");
    }
    void add(const char* icao, double latitude, double longitude) {
        db.table.push_back(lf_airport(icao, latitude, longitude));
        db.codes.insert(db.table.back().icao);
    }

    TempFolder folder;
    AirportDatabase db;
};

TEST_F(ClosestAirportTest, FiveNauticalMilesIsTheLimit) {
    add("AAAA", 10.0, 20.0);
    // 5.0 nm itself is found; a hair below it, since degrees do not give exactly 5.0 nm back.
    EXPECT_EQ(gf_closestAirport({10.0 + 4.99999 * kNmInDegrees, 20.0}, db), &db.table[0]);
    EXPECT_EQ(gf_closestAirport({10.0 + 5.01 * kNmInDegrees, 20.0}, db), nullptr);
    EXPECT_EQ(gf_closestAirport({10.0, 20.0}, AirportDatabase{}), nullptr);
}

TEST_F(ClosestAirportTest, TheNeighbourIsTheLastAirportDisplacedInCodeOrder) {
    // Walking in code order: AAAA (3 nm) is chosen, BBBB (1 nm) displaces it, CCCC (2 nm) does
    // not; so AAAA is the neighbour although CCCC is the second nearest.
    add("AAAA", 3.0 * kNmInDegrees, 0.0);
    add("BBBB", 1.0 * kNmInDegrees, 0.0);
    add("CCCC", -2.0 * kNmInDegrees, 0.0);
    std::vector<std::string> asked;
    const auto stands = [&](const AirportInfo& airport, LatLon) {
        asked.push_back(airport.icao.str());
        return ClosestStand{airport.icao.str() == "AAAA" ? 0.05 : 0.2, "B12"};
    };
    EXPECT_EQ(gf_closestAirport({0.0, 0.0}, db, stands), &db.table[0]);
    EXPECT_EQ(asked, (std::vector<std::string>{"BBBB", "AAAA"}));
    const std::string log = logText();
    EXPECT_NE(log.find("Airport BBBB is closest, neighbour is AAAA\n"), std::string::npos);
    EXPECT_NE(log.find("Airport BBBB is closest, but stand B12 at neighbouring airport AAAA is closer at 93 meters ...\n"),
              std::string::npos);
}

TEST_F(ClosestAirportTest, EqualStandsOrNoAirportFilesKeepTheClosestAirport) {
    add("AAAA", 3.0 * kNmInDegrees, 0.0);
    add("BBBB", 1.0 * kNmInDegrees, 0.0);
    const auto equal = [](const AirportInfo&, LatLon) { return ClosestStand{0.1, "1"}; };
    EXPECT_EQ(gf_closestAirport({0.0, 0.0}, db, equal), &db.table[1]);
    EXPECT_EQ(gf_closestAirport({0.0, 0.0}, db), &db.table[1]); // both answer 100.0
}

TEST(AirportDisplayTest, ShowsTheIataCodeWhenThereIsOne) {
    AirportInfo airport = lf_airport("EDDF", 50.0, 8.5);
    EXPECT_EQ(gf_airportDisplay(&airport), "EDDF");
    airport.iata = IataCode("FRA");
    EXPECT_EQ(gf_airportDisplay(&airport), "EDDF (FRA)");
    EXPECT_EQ(gf_airportDisplay(nullptr), "(no airport)");
}

} // namespace
