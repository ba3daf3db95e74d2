#include <gtest/gtest.h>

#include <cmath>

#include "airports/BglFormat.h"
#include "airports/BglReader.h"
#include "common/Geodesy.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"
#include "tools/sceneries/BglWriter.h"

using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;
using vorl::tools::BglAirport;
using vorl::tools::BglParking;

namespace {

class BglReaderTest : public ::testing::Test {
protected:
    void SetUp() override { Log::instance().open(folder / "log.txt"); }
    void TearDown() override { Log::instance().close(); }
    std::string log() const { return readFile(folder / "log.txt"); }

    const Stand* stand(const ScannedAirport& a, const std::string& id) const {
        for (const Stand& s : a.file.stands)
            if (s.id == id) return &s;
        return nullptr;
    }

    TempFolder folder;
};

BglAirport lf_lelystad() {
    BglAirport a{"EHLE", "Lelystad", 52.4594, 5.5199, 12.0, {}, {}};
    a.helipads = {{52.4580, 5.5200, 30.0f, 20.0f, 90.0f},
                  {52.4580, 5.5200, 30.0f, 20.0f, 90.0f}, // the same pad again
                  {0.0, 0.0, 20.0f, 20.0f, 0.0f}};
    a.parkings = {{12, 9, 4, 2, 24.0f, 180.0f, 52.4601, 5.5201}, // A4, with two airline codes after it
                  {12, 9, 4, 0, 24.0f, 180.0f, 52.4602, 5.5202}, // A4 again -> A4a
                  {2, 2, 7, 0, 10.0f, 45.0f, 52.4590, 5.5190},   // p7
                  {11, 8, 3, 0, 15.0f, 0.0f, 52.4591, 5.5191},   // dock: no prefix
                  {1, 13, 9, 0, 5.0f, 0.0f, 52.4592, 5.5192},    // vehicles
                  {1, 0, 8, 0, 5.0f, 0.0f, 52.4593, 5.5193},     // type none
                  {1, 5, 10, 0, 30.0f, 270.0f, 0.0, 0.0}};       // no position
    return a;
}

TEST(BglFormatTest, PackedValuesRoundTrip) {
    for (const double lat : {-89.5, -33.9, 0.1, 52.4594, 89.9})
        EXPECT_NEAR(bgl::unpackLatitude(bgl::packLatitude(lat)), lat, 1e-6);
    for (const double lon : {-179.9, -0.01, 5.5199, 151.2, 179.9})
        EXPECT_NEAR(bgl::unpackLongitude(bgl::packLongitude(lon)), lon, 1e-6);
    for (const char* ident : {"EHLE", "K2J0", "A", "LFPG"}) EXPECT_EQ(bgl::unpackIdent(bgl::packIdent(ident)), ident);
    EXPECT_EQ(bgl::subsectionEntrySize(1), 16u);
    EXPECT_EQ(bgl::subsectionEntrySize(0x10001), 20u);
}

TEST_F(BglReaderTest, ReadsTheStandsOfTheAirportRecord) {
    tools::gf_writeBglFile(folder / "ehle.bgl", {lf_lelystad()});
    ScannedAirport a;
    ASSERT_TRUE(gf_readBglAirport(folder / "ehle.bgl", "EHLE", a));
    EXPECT_EQ(a.file.name, "Lelystad");
    EXPECT_NEAR(a.latitude, 52.4594, 1e-6);
    EXPECT_EQ(a.file.elevationFeet, 39);
    EXPECT_FALSE(a.file.facilities);

    std::vector<std::string> ids;
    for (const Stand& s : a.file.stands) ids.push_back(s.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"helipad1", "A4", "A4a", "p7", "3"}));

    const Stand* gate = stand(a, "A4a");
    ASSERT_NE(gate, nullptr);
    EXPECT_NEAR(gate->latitude, 52.4602, 1e-6) << "the airline codes of A4 were stepped over";
    EXPECT_NEAR(gate->longitude, 5.5202, 1e-6);
    EXPECT_NEAR(gate->heading, kPi, 1e-6);
    EXPECT_NEAR(gate->radius, 24.0 * kMetersToNm, 1e-9);
    EXPECT_EQ(gate->type, 9);
    EXPECT_TRUE(stand(a, "p7")->ramp);
    const Stand* pad = stand(a, "helipad1");
    EXPECT_TRUE(pad->heli);
    EXPECT_NEAR(pad->radius, 15.0 * kMetersToNm, 1e-9) << "half the helipad's length";

    const std::string text = log();
    EXPECT_NE(text.find("double helipad 52.458000,5.520000 (skipped) "), std::string::npos);
    EXPECT_NE(text.find("lat/lon helipad incorrect (skipped): 0.000000,0.000000"), std::string::npos);
    EXPECT_NE(text.find("LatLon 0.000000,0.000000 invalid (skipped)"), std::string::npos);
}

TEST_F(BglReaderTest, FindsTheWantedAirportAmongSeveralAndSuffixesRepeatedIds) {
    BglAirport other{"EHAM", "Schiphol", 52.3, 4.76, 0.0, {}, {{12, 9, 1, 0, 20.0f, 0.0f, 52.31, 4.77}}};
    BglAirport crowded{"EHRD", "Rotterdam", 51.95, 4.43, 0.0, {}, {}};
    for (int i = 0; i < 13; ++i) crowded.parkings.push_back({1, 2, 5, 0, 10.0f, 0.0f, 51.951 + i * 1e-4, 4.431});
    tools::gf_writeBglFile(folder / "two.bgl", {other, crowded});
    ScannedAirport a;
    ASSERT_TRUE(gf_readBglAirport(folder / "two.bgl", "EHRD", a));
    ASSERT_EQ(a.file.stands.size(), 11u) << "r5, r5a .. r5j; the rest have no letter left";
    EXPECT_EQ(a.file.stands[1].id, "r5a");
    EXPECT_EQ(a.file.stands[10].id, "r5j");
    EXPECT_NE(log().find("Warning: more than 10 duplicate IDs r5 in"), std::string::npos);

    ScannedAirport none;
    EXPECT_FALSE(gf_readBglAirport(folder / "two.bgl", "EHLE", none)) << "two airports, neither the one wanted";
}

TEST_F(BglReaderTest, BrokenFilesAreReportedNotFatal) {
    const auto bytes = tools::gf_bglFile({lf_lelystad()});
    writeFile(folder / "cut.bgl", std::string_view(bytes.data(), 150));
    writeFile(folder / "short.bgl", std::string_view(bytes.data(), 200));
    writeFile(folder / "text.bgl", "this is not a scenery file at all, only some text to read");
    writeFile(folder / "empty.bgl", "");
    ScannedAirport a;
    EXPECT_FALSE(gf_readBglAirport(folder / "cut.bgl", "EHLE", a));
    EXPECT_FALSE(gf_readBglAirport(folder / "text.bgl", "EHLE", a));
    EXPECT_FALSE(gf_readBglAirport(folder / "empty.bgl", "EHLE", a));
    EXPECT_FALSE(gf_readBglAirport(folder / "missing.bgl", "EHLE", a));
    // Cut inside the sub-records: the airport is there, its stands are not.
    ScannedAirport cut;
    EXPECT_TRUE(gf_readBglAirport(folder / "short.bgl", "EHLE", cut));
    EXPECT_TRUE(cut.file.stands.empty());
    EXPECT_NE(log().find("exceeded data buffer size (200), aborting."), std::string::npos);
    const std::string text = log();
    EXPECT_NE(text.find(" possible corrupt BGL or malformed input in:\n'"), std::string::npos);
    EXPECT_NE(text.find("Exception in lf_processBGLfile: not a BGL file"), std::string::npos);

    // A sub-record claiming size 0 ends the walk with what was read so far.
    auto zeroed = bytes;
    const std::string name = "Lelystad";
    const auto at = std::search(zeroed.begin(), zeroed.end(), name.begin(), name.end()) - zeroed.begin();
    const std::size_t nextSubrecord = static_cast<std::size_t>(at) + name.size();
    std::fill(zeroed.begin() + static_cast<long>(nextSubrecord) + 2, zeroed.begin() + static_cast<long>(nextSubrecord) + 6, 0);
    writeFile(folder / "zero.bgl", std::string_view(zeroed.data(), zeroed.size()));
    ScannedAirport z;
    EXPECT_TRUE(gf_readBglAirport(folder / "zero.bgl", "EHLE", z));
    EXPECT_TRUE(z.file.stands.empty());
    EXPECT_NE(log().find("   Warning: decodeSizeAtBoundary returned 0 at o3 = "), std::string::npos);
}

} // namespace
