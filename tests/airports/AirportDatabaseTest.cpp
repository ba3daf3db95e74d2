#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "airports/AirportDatabase.h"
#include "common/Log.h"
#include "common/UserErrorException.h"
#include "models/StreamCrypt.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

const char* kAirports = R"(<?xml version="1.0"?>
<root><airports>
<ap c="lfpg" i="CDG" la="49.0097" lo="2.5479" a="392" s="2"/>
<ap c="EGLL" i="LHR" la="51.4706" lo="-0.4619" a="83" s="1"/>
<ap c="EDDF" la="50.0333" lo="8.5706" a="364"/>
<ap c="EHAM" i="AMS" la="52.3086" lo="4.7639"/>
<ap c="KJFK" i="JFK" lo="-73.7789" a="13" s="0"/>
<ap c="LEMD" i="M-D" la="40.4719" lo="-3.5626" a="1998" s="0"/>
<ap c="EGKKX" i="LGW" la="51.148" lo="-0.190" a="202" s="0"/>
</airports></root>
)";

class AirportDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { Log::instance().open(folder / "log.txt"); }
    void TearDown() override { Log::instance().close(); }
    void encrypt(const std::string& xml) {
        writeFile(folder / "source.xml", xml);
        gf_streamEncrypt(folder / "source.xml", folder / "airports.enc");
    }
    std::string logText() {
        Log::instance().close();
        return readFile(folder / "log.txt");
    }
    static bool logged(const std::string& log, const std::string& line) { return log.find(line + "\n") != std::string::npos; }

    TempFolder folder;
    AirportDatabase db;
};

TEST_F(AirportDatabaseTest, StartUpStoresGoodRecordsSortedAndSkipsBadOnes) {
    encrypt(kAirports);
    EXPECT_TRUE(gf_readAirports(folder.path(), db));
    EXPECT_FALSE(fs::exists(folder / "airports.xml"));

    ASSERT_EQ(db.table.size(), 3u);
    EXPECT_EQ(db.table[0].icao.str(), "EDDF");
    EXPECT_EQ(db.table[1].icao.str(), "EGLL");
    EXPECT_EQ(db.table[2].icao.str(), "LFPG"); // folded to upper case
    EXPECT_EQ(db.table[0].iata.str(), "XXX");   // no i attribute
    EXPECT_EQ(db.table[0].stands, 0);           // no s attribute: stored after the warning
    EXPECT_EQ(db.table[2].stands, 2);
    EXPECT_FLOAT_EQ(db.table[1].altitude, 83.0f);
    EXPECT_DOUBLE_EQ(db.table[1].latitude, 51.4706);
    EXPECT_TRUE(db.isKnownAirport(IcaoCode("egll")));
    EXPECT_FALSE(db.isKnownAirport(IcaoCode("EHAM")));
    ASSERT_NE(db.find(IcaoCode("LFPG")), nullptr);
    EXPECT_EQ(db.find(IcaoCode("LFPG"))->iata.str(), "CDG");
    EXPECT_EQ(db.find(IcaoCode("KJFK")), nullptr);

    const std::string log = logText();
    EXPECT_TRUE(logged(log, "    3 airports read"));
    EXPECT_TRUE(logged(log, "Missing stands for airport 'EDDF'"));
    EXPECT_TRUE(logged(log, "Missing alt for airport 'EHAM'"));
    EXPECT_TRUE(logged(log, "Missing latLons for airport 'KJFK'"));
    EXPECT_TRUE(logged(log, "Error storing airport 'LEMD' 'M-D': 'M-D' FixedCode: invalid string (length/charset)"));
    EXPECT_NE(log.find("Error storing airport 'EGKKX' 'LGW'"), std::string::npos);
}

TEST_F(AirportDatabaseTest, ASecondCallAnswersTheSameWithoutReading) {
    encrypt(kAirports);
    EXPECT_TRUE(gf_readAirports(folder.path(), db));
    fs::remove(folder / "airports.enc");
    EXPECT_TRUE(gf_readAirports(folder.path(), db));
    EXPECT_EQ(db.table.size(), 3u);
}

TEST_F(AirportDatabaseTest, UnreadableFilesStopTheStartUpWithCode88) {
    encrypt("<root><other/></root>");
    try {
        gf_readAirports(folder.path(), db);
        FAIL() << "no exception";
    } catch (const UserErrorException& e) {
        EXPECT_EQ(e.code(), 88);
        EXPECT_EQ(e.message(), "Missing <airports> root in: " + (folder / "airports.xml").string());
    }
    EXPECT_FALSE(fs::exists(folder / "airports.xml"));
    EXPECT_FALSE(db.read);

    AirportDatabase other;
    encrypt("<root><airports><ap c=");
    EXPECT_THROW(gf_readAirports(folder.path(), other), UserErrorException);
    EXPECT_FALSE(fs::exists(folder / "airports.xml"));

    // A missing airports.enc: the decryption logs it and the load fails.
    fs::remove(folder / "airports.enc");
    AirportDatabase third;
    try {
        gf_readAirports(folder.path(), third);
        FAIL() << "no exception";
    } catch (const UserErrorException& e) {
        EXPECT_EQ(e.code(), 88);
        EXPECT_NE(e.message().find(" not loaded: "), std::string::npos);
    }
    const std::string log = logText();
    EXPECT_NE(log.find("gf_streamDecrypt exception: Could not open input file: "), std::string::npos);
    EXPECT_NE(log.find("gf_readAirports exception : "), std::string::npos);
}

TEST_F(AirportDatabaseTest, TheShippedAirportFileHoldsTheWorldsAirports) {
    gf_streamEncrypt(fs::path(VORL_DATA_FOLDER) / "airports.xml", folder / "airports.enc");
    ASSERT_TRUE(gf_readAirports(folder.path(), db));
    EXPECT_GE(db.table.size(), 20000u);
    EXPECT_EQ(db.codes.size(), db.table.size()); // codes are unique
    EXPECT_TRUE(std::is_sorted(db.table.begin(), db.table.end(),
                               [](const AirportInfo& a, const AirportInfo& b) { return a.icao < b.icao; }));
    const AirportInfo* heathrow = db.find(IcaoCode("EGLL"));
    ASSERT_NE(heathrow, nullptr);
    EXPECT_EQ(gf_airportDisplay(heathrow), "EGLL (LHR)");
    EXPECT_LT(gf_distanceNm(heathrow->position(), {51.4706, -0.4619}), 1.0);
    EXPECT_FALSE(db.isKnownAirport(IcaoCode("VHHX"))); // Kai Tak is closed
    EXPECT_EQ(logText().find("Error storing"), std::string::npos);
}

} // namespace
