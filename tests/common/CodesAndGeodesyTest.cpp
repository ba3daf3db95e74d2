#include <unordered_set>

#include <gtest/gtest.h>

#include "common/FixedCode.h"
#include "common/Fnv1a.h"
#include "common/Geodesy.h"

using namespace vorl;

TEST(FixedCode, FoldsToUpperCaseAndRefusesWrongLengthOrCharacters) {
    EXPECT_EQ(IcaoCode("eham").str(), "EHAM");
    EXPECT_EQ(IcaoCode("EH12"), IcaoCode("eh12"));
    EXPECT_EQ(IataCode("ams").str(), "AMS");
    for (const char* bad : {"EHA", "EHAMX", "EH-M", "EH M", "", "\xC3\xA9HAM"}) {
        EXPECT_THROW(IcaoCode{bad}, std::invalid_argument) << bad;
    }
    try {
        IcaoCode("EH_M");
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "'EH_M' FixedCode: invalid string (length/charset)");
    }
    std::unordered_set<IcaoCode, FixedCodeHash<4>> set{IcaoCode("EHAM"), IcaoCode("eham"), IcaoCode("EGLL")};
    EXPECT_EQ(set.size(), 2u);
}

TEST(Fnv1a, KnownValues) {
    EXPECT_EQ(gf_fnv1a64(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(gf_fnv1a64("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(gf_fnv1a64("foobar"), 0x85944171f73967e8ULL);
}

TEST(Geodesy, OneMinuteOfArcIsOneNauticalMile) {
    EXPECT_NEAR(gf_distanceNm(0, 0, 1.0 / 60.0, 0), 1.0, 1e-6);
    EXPECT_NEAR(gf_distanceNm(52.3086, 4.7639, 51.4700, -0.4543), 200.0, 2.0); // EHAM-EGLL
    EXPECT_DOUBLE_EQ(gf_distanceNm(10, 20, 10, 20), 0.0);
    EXPECT_NEAR(gf_distanceNm(0, 179.9, 0, -179.9), 12.0, 0.01);
}

TEST(Geodesy, DestinationPointGoesBackTheSameDistance) {
    const LatLon eham{52.3086, 4.7639};
    const LatLon east = gf_destinationPoint(eham, 90.0, 10 * kFeetPerNm);
    EXPECT_NEAR(gf_distanceNm(eham, east), 10.0, 0.01);
    EXPECT_NEAR(gf_bearingDeg(eham, east), 90.0, 0.1);
    const LatLon north = gf_destinationPoint(eham, 0.0, 6076.11549);
    EXPECT_NEAR(north.lat - eham.lat, 1.0 / 60.0, 1e-4);
    EXPECT_NEAR(gf_destinationPoint({0, 179.99}, 90.0, 5 * kFeetPerNm).lon, -179.927, 0.01);
}
