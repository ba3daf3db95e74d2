// Archived stock airport files from open data: which airports and spots are taken, the radius
// and type rules, and that the program reads the files written; then every shipped file, read
// by the program, with every pair of overlapping stands adjacent.
#include <cmath>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "airports/AirportFileReader.h"
#include "airports/AirportFilesContext.h"
#include "tests/support/TempFolder.h"
#include "tools/refdata/StandFiles.h"

using namespace vorl;
using namespace vorl::refdata;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace fs = std::filesystem;

namespace {

constexpr const char* kAptDat = R"(I
1000 Version - data cycle 2013.10
1    -11 1 0 EHXX Test Field
15   52.30000000  004.76000000  90.00 Stand 1
15   52.30000000  004.76000000  90.00 Stand 1
15   52.30027000  004.76000000  90.00 Stand 2
15   52.31000000  004.76000000 270.00 Cargo 7
15   52.31000000  004.77000000 270.00 GA Apron 3
15   52.32000000  004.77000000   0.00 H1
15   52.33000000  004.77000000   0.00 Engine Test Site 1
1    100 0 0 EHZZ [X] Closed Field
1300 52.40000000 004.80000000  90.00 gate jets Ramp
17   10 0 0 EHHP Heliport
1300 52.50000000 004.80000000  90.00 misc helos Pad
1    200 0 0 EHNW Newer Rows
1300 52.60000000 004.90000000 180.00 gate heavy|jets|turboprops B5
1300 52.61000000 004.90000000 180.00 gate jets|turboprops|props B6
1301 E jets
1300 52.62000000 004.90000000 180.00 tie_down props G1
1300 52.63000000 004.90000000 180.00 hangar turboprops|props G2
1300 52.64000000 004.90000000 180.00 misc helos Heli 1
1300 52.65000000 004.90000000 180.00 misc jets|props Hold Short Rwy 1
15   52.66000000 004.90000000 180.00 Startup 1
1    300 0 0 1S0 Three Letters
1300 52.70000000 004.90000000 180.00 gate jets A1
)";

constexpr const char* kGroundnet = R"(<?xml version="1.0"?>
<groundnet>
  <parkingList>
    <Parking index="0" type="gate" name="T2-" lat="N21 19.725" lon="W157 54.858" heading="0.2" radius="33" number="G7"/>
    <Parking index="1" type="ga" name="Ramp_Start" lat="S21 19.800" lon="E157 55.000" heading="370" radius="10"/>
    <Parking index="2" type="cargo" name="C" lat="N21 19.900" lon="W157 55.000" heading="90" radius="26" number="1"/>
    <Parking index="3" type="mil-fighter" name="F" lat="N21 20.000" lon="W157 55.000" heading="90" radius="8" number="2"/>
  </parkingList>
</groundnet>
)";

double lf_radiusMeters(const Stand& stand) {
    return stand.radius / 0.0005399568034557236;
}

// Great-circle distance in metres on the sphere of 3437.7468 nautical miles.
double lf_meters(const Stand& a, const Stand& b) {
    const double rad = 3.141592653589793 / 180.0;
    const double dLat = (b.latitude - a.latitude) * rad, dLon = (b.longitude - a.longitude) * rad;
    const double h = std::pow(std::sin(dLat / 2), 2) + std::cos(a.latitude * rad) *
                                                           std::cos(b.latitude * rad) *
                                                           std::pow(std::sin(dLon / 2), 2);
    return 2 * 3437.7468 * std::atan2(std::sqrt(h), std::sqrt(1 - h)) * 1852.0;
}

} // namespace

TEST(StandFiles, RampStartsTakeTheirRadiusFromTheLargestAircraftKind) {
    TempFolder dir;
    writeFile(dir / "apt.dat", kAptDat);
    const auto airports = gf_readAptStands(dir / "apt.dat");
    EXPECT_FALSE(airports.count("EHZZ")) << "closed";
    EXPECT_FALSE(airports.count("EHHP")) << "heliports are not airports of the database";
    EXPECT_FALSE(airports.count("1S0")) << "codes other than four letters or digits";
    ASSERT_TRUE(airports.count("EHXX"));
    EXPECT_TRUE(airports.at("EHXX").stands.empty()) << "start-up locations only where asked for";

    const AirportState nw = gf_stockAirport(airports.at("EHNW"));
    ASSERT_EQ(nw.stands.size(), 5u)
        << "the hold-short spot is no stand; start-up rows are not taken beside ramp starts";
    EXPECT_NEAR(lf_radiusMeters(nw.stands[0]), 32.5, 1e-6);
    EXPECT_EQ(nw.stands[0].type, 10) << "a heavy gate";
    EXPECT_NEAR(lf_radiusMeters(nw.stands[1]), 32.5, 1e-6) << "size code E: a 65 m wingspan";
    EXPECT_NEAR(lf_radiusMeters(nw.stands[2]), 7.5, 1e-6);
    EXPECT_TRUE(nw.stands[2].ramp) << "a tie-down is a general-aviation ramp";
    EXPECT_EQ(nw.stands[2].type, 2);
    EXPECT_NEAR(lf_radiusMeters(nw.stands[3]), 12.0, 1e-6);
    EXPECT_TRUE(nw.stands[4].heli);
    EXPECT_EQ(nw.stands[4].type, 0);
    EXPECT_EQ(gf_standClass(nw.stands.size()), 1);
    EXPECT_EQ(gf_standClass(150), 3);
}

TEST(StandFiles, StartupLocationsAreJetStandsUnlessNamedOtherwiseAndOverlapsBecomeAdjacent) {
    TempFolder dir;
    writeFile(dir / "apt.dat", kAptDat);
    const auto airports = gf_readAptStands(dir / "apt.dat", {"EHXX"});
    const AirportState xx = gf_stockAirport(airports.at("EHXX"));
    ASSERT_EQ(xx.stands.size(), 5u) << "the duplicate spot and the engine test site are dropped";
    EXPECT_EQ(xx.stands[0].id, "Stand 1");
    EXPECT_EQ(xx.stands[1].id, "Stand 2");
    EXPECT_EQ(xx.stands[0].type, 9);
    // 30 m apart, 18 m each: they overlap by less than the program's margin and are widened.
    EXPECT_GT(lf_radiusMeters(xx.stands[0]) + lf_radiusMeters(xx.stands[1]),
              1.1 * lf_meters(xx.stands[0], xx.stands[1]));
    EXPECT_LT(lf_radiusMeters(xx.stands[0]), 18.5);
    EXPECT_TRUE(xx.stands[2].cargo);
    EXPECT_NEAR(lf_radiusMeters(xx.stands[2]), 18.0, 1e-6);
    EXPECT_NEAR(lf_radiusMeters(xx.stands[3]), 7.5, 1e-6);
    EXPECT_TRUE(xx.stands[3].ramp);
    EXPECT_TRUE(xx.stands[4].heli);

    gf_writeStockAirports({xx}, dir / "airports" / "my_thirdparty", dir / "classes.csv",
                          {{"EHXX", gf_originNote(StandOrigin::StartupLocations)}});
    EXPECT_EQ(vorl::test::readFile(dir / "classes.csv"), "icao,stand_class\nEHXX,1\n");
    EXPECT_NE(vorl::test::readFile(dir / "airports" / "my_thirdparty" / "EHXX.xml").find("GPL-2+"),
              std::string::npos);
    gf_airportFilesContext() = {};
    gf_airportFilesContext().root = dir.path();
    AirportState read;
    read.icao = "EHXX";
    EXPECT_EQ(gf_readApf("airports/my_thirdparty/EHXX.xml", read), "");
    ASSERT_EQ(read.stands.size(), 5u);
    EXPECT_EQ(read.stands[0].adjacent, std::vector<std::uint32_t>{2});
    EXPECT_EQ(read.name, "Test Field");
    gf_airportFilesContext() = {};
}

TEST(StandFiles, GroundnetParkingsKeepTheirRadiusAndTypeTheirUse) {
    TempFolder dir;
    writeFile(dir / "PHXX.groundnet.xml", kGroundnet);
    const AirportSource source = gf_readGroundnet(dir / "PHXX.groundnet.xml");
    EXPECT_EQ(source.icao, "PHXX");
    ASSERT_EQ(source.stands.size(), 4u);
    EXPECT_NEAR(source.stands[0].lat, 21 + 19.725 / 60, 1e-9);
    EXPECT_NEAR(source.stands[0].lon, -(157 + 54.858 / 60), 1e-9);
    EXPECT_NEAR(source.stands[1].lat, -(21 + 19.8 / 60), 1e-9);
    const AirportState state = gf_stockAirport(source);
    EXPECT_EQ(state.stands[0].id, "T2-G7");
    EXPECT_NEAR(lf_radiusMeters(state.stands[0]), 33.0, 1e-6);
    EXPECT_EQ(state.stands[0].type, 10);
    EXPECT_EQ(state.stands[1].id, "Ramp Start");
    EXPECT_TRUE(state.stands[1].ramp);
    EXPECT_NEAR(state.stands[1].heading, 10.0 * 3.141592653589793 / 180.0, 1e-9);
    EXPECT_TRUE(state.stands[2].cargo);
    EXPECT_EQ(state.stands[3].type, 7);
}

// Every shipped archived file: listed with stands in the airport database, read by the program,
// and no two stands whose circles overlap left out of each other's adjacency.
TEST(ShippedArchive, EveryFileReadsAndOverlappingStandsAreAdjacent) {
    const fs::path data = VORL_DATA_FOLDER;
    pugi::xml_document airports;
    ASSERT_TRUE(airports.load_file((data / "airports.xml").c_str()));
    std::map<std::string, int> classes;
    for (const auto ap : airports.child("root").child("airports").children("ap"))
        classes[ap.attribute("c").as_string()] = ap.attribute("s").as_int();

    // The program reads them as local files of a working folder.
    TempFolder dir;
    fs::create_directory_symlink(data / "archive" / "stock", dir / "airports");
    gf_airportFilesContext() = {};
    gf_airportFilesContext().root = dir.path();
    std::size_t files = 0, stands = 0;
    for (const auto& entry : fs::directory_iterator(data / "archive" / "stock")) {
        const std::string icao = entry.path().stem().string();
        ++files;
        EXPECT_GE(classes[icao], 1) << icao << " has an archived file but no stand class";
        AirportState state;
        state.icao = icao;
        ASSERT_EQ(gf_readApf("airports/" + icao + ".xml", state), "") << icao;
        stands += state.stands.size();
        for (const Stand& a : state.stands) {
            EXPECT_GT(a.radius, 0.0) << icao << " " << a.id;
            for (const Stand& b : state.stands) {
                if (&a == &b || lf_radiusMeters(a) + lf_radiusMeters(b) <= lf_meters(a, b)) continue;
                EXPECT_NE(std::find(a.adjacent.begin(), a.adjacent.end(), b.number), a.adjacent.end())
                    << icao << ": " << a.id << " and " << b.id << " overlap but are not adjacent";
            }
        }
    }
    std::size_t listed = 0;
    for (const auto& [icao, standClass] : classes)
        listed += standClass >= 1 ? 1 : 0;
    EXPECT_EQ(listed, files) << "every airport with a stand class has its file";
    EXPECT_GT(files, 100u);
    EXPECT_GT(stands, 1000u);
    gf_airportFilesContext() = {};
}
