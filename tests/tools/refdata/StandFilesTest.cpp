// Archived stock airport files from apt.dat parking spots: which airports and spots are taken,
// the radius and type rules, and that the program reads the files written.
#include <gtest/gtest.h>

#include "airports/AirportFileReader.h"
#include "airports/AirportFilesContext.h"
#include "tests/support/TempFolder.h"
#include "tools/refdata/StandFiles.h"

using namespace vorl;
using namespace vorl::refdata;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

constexpr const char* kAptDat = R"(I
1000 Version - data cycle 2013.10
1    -11 1 0 EHXX Test Field
15   52.30000000  004.76000000  90.00 Gate A1
15   52.30036000  004.76000000  90.00 Gate A1
15   52.31000000  004.76000000 270.00 Cargo 7
15   52.32000000  004.77000000   0.00 H1
1    100 0 0 EHZZ [X] Closed Field
15   52.40000000  004.80000000  90.00 Ramp
17   10 0 0 EHHP Heliport
15   52.50000000  004.80000000  90.00 Pad
1    200 0 0 EHNW Newer Rows
1300 52.60000000 004.90000000 180.00 gate jets|turboprops B5
1301 E jets
1300 52.60100000 004.90000000 180.00 tie_down props G1
)";

} // namespace

TEST(StandFiles, SpotsBecomeStandsWithSpacingRadiiAndTypesAndReadBack) {
    TempFolder dir;
    writeFile(dir / "apt.dat", kAptDat);
    const auto airports = gf_readAptStands(dir / "apt.dat");
    ASSERT_EQ(airports.size(), 2u) << "closed airports and heliports are left out";
    ASSERT_EQ(airports.at("EHXX").stands.size(), 4u);

    const AirportState xx = gf_stockAirport(airports.at("EHXX"));
    EXPECT_EQ(xx.stands[0].id, "Gate A1");
    EXPECT_EQ(xx.stands[1].id, "Gate A1 2") << "ids stay unique";
    // 40 m apart: each gets half of that, so the two touch without overlapping.
    EXPECT_NEAR(xx.stands[0].radius / kMetersToNm, 20.0, 0.1);
    EXPECT_EQ(xx.stands[0].type, 9) << "a medium gate";
    EXPECT_TRUE(xx.stands[2].cargo);
    EXPECT_NEAR(xx.stands[2].radius / kMetersToNm, 40.0, 1e-9) << "a lone stand gets the largest radius";
    EXPECT_TRUE(xx.stands[3].heli);

    const AirportState nw = gf_stockAirport(airports.at("EHNW"));
    EXPECT_NEAR(nw.stands[0].radius / kMetersToNm, 33.0, 1e-9) << "size code E";
    EXPECT_EQ(nw.stands[0].type, 10);
    EXPECT_TRUE(nw.stands[1].ramp) << "a tie-down is a general-aviation ramp";
    EXPECT_EQ(gf_standClass(nw.stands.size()), 1);
    EXPECT_EQ(gf_standClass(150), 3);

    gf_writeStockAirports({xx, nw}, dir / "airports" / "my_thirdparty", dir / "classes.csv");
    EXPECT_EQ(vorl::test::readFile(dir / "classes.csv"), "icao,stand_class\nEHXX,1\nEHNW,1\n");
    gf_airportFilesContext() = {};
    gf_airportFilesContext().root = dir.path();
    AirportState read;
    read.icao = "EHXX";
    EXPECT_EQ(gf_readApf("airports/my_thirdparty/EHXX.xml", read), "");
    ASSERT_EQ(read.stands.size(), 4u);
    EXPECT_TRUE(read.stands[0].adjacent.empty()) << "neighbours touch but do not overlap";
    EXPECT_EQ(read.name, "Test Field");
    gf_airportFilesContext() = {};
}
