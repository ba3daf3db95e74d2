#include <gtest/gtest.h>

#include "airports/IcaoCodes.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"

using namespace vorl;
using vorl::test::readFile;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

class IcaoCodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log::instance().open(folder / "log.txt");
        for (const char* code : {"EGLL", "EGKK", "LFPG"}) {
            AirportInfo info;
            info.icao = IcaoCode(code);
            db.table.push_back(info);
            db.codes.insert(info.icao);
        }
        list = {IcaoCode("EGLL"), IcaoCode("EGKK"), IcaoCode("KJFK"), IcaoCode("LFPG"), IcaoCode("PACK")};
    }
    void TearDown() override { Log::instance().close(); }

    TempFolder folder;
    AirportDatabase db;
    IcaoSet list;
};

TEST_F(IcaoCodesTest, FindsRunsOfExactlyFourCharacters) {
    EXPECT_EQ(gf_extractIcaoCode("egll-airport-london", list, db), IcaoCode("EGLL"));
    EXPECT_EQ(gf_extractIcaoCode("XEGLL-scenery", list, db), std::nullopt);
    EXPECT_EQ(gf_extractIcaoCode("EGLL", list, db), IcaoCode("EGLL"));
    EXPECT_EQ(gf_extractIcaoCode("pub_lfpg_paris", list, db), IcaoCode("LFPG"));
}

TEST_F(IcaoCodesTest, AKnownAirportWinsOtherwiseTheLastListedCode) {
    // PACK is listed but not a known airport; the known EGKK after it wins at once.
    EXPECT_EQ(gf_extractIcaoCode("pack-egkk-kjfk", list, db), IcaoCode("EGKK"));
    // Only listed codes that are not known airports: the last one.
    EXPECT_EQ(gf_extractIcaoCode("pack kjfk scenery", list, db), IcaoCode("KJFK"));
    EXPECT_EQ(gf_extractIcaoCode("some scenery", list, db), std::nullopt);
}

TEST_F(IcaoCodesTest, TheListFileHoldsOneCodeALine) {
    writeFile(folder / "ICAO_airports.txt", "EGLL\r\negkk\n\nTOOLONG\n");
    const IcaoSet codes = gf_readIcaoList(folder / "ICAO_airports.txt");
    EXPECT_EQ(codes, (IcaoSet{IcaoCode("EGLL"), IcaoCode("EGKK")}));
    EXPECT_TRUE(gf_readIcaoList(folder / "missing.txt").empty());
    Log::instance().close();
    const std::string log = readFile(folder / "log.txt");
    EXPECT_NE(log.find("2 ICAO codes of airports read\n"), std::string::npos);
    EXPECT_NE(log.find("File '" + (folder / "missing.txt").string() + "' is missing?\n"), std::string::npos);
}

} // namespace
