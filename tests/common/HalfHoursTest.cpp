#include <gtest/gtest.h>

#include "common/HalfHours.h"
#include "common/Log.h"
#include "tests/support/TempFolder.h"

using namespace vorl;

TEST(HalfHours, SingleSlotsAndRanges) {
    EXPECT_EQ(gf_hours2bitset("12:12").count(), 1u);
    EXPECT_TRUE(gf_hours2bitset("12:12").test(12));
    EXPECT_TRUE(gf_hours2bitset("0:47").all());
    EXPECT_TRUE(gf_hours2bitset(" 7 ").test(7));
    const HalfHourSet morning = gf_hours2bitset("14 : 19");
    EXPECT_EQ(morning.count(), 6u);
    EXPECT_TRUE(morning.test(14) && morning.test(19) && !morning.test(20));
}

TEST(HalfHours, RefusedTextsGiveTheEmptySetAndAreLogged) {
    vorl::test::TempFolder dir;
    Log::instance().open(dir / "Log.txt");
    for (const char* bad : {"47:0", "48", "3:5:7", "-1", "a", ":5", "5:", "", "4.5"})
        EXPECT_TRUE(gf_hours2bitset(bad).none()) << bad;
    Log::instance().close();
    const std::string log = vorl::test::readFile(dir / "Log.txt");
    EXPECT_NE(log.find("==> gf_hours2bitset descending range not allowed (47:0 in 47:0)"), std::string::npos);
    EXPECT_NE(log.find("==> operator () invalid hour '48' in 48"), std::string::npos);
    EXPECT_NE(log.find("==> gf_hours2bitset more than one colon char in: 3:5:7"), std::string::npos);
    EXPECT_NE(log.find("==> gf_hours2bitset invalid range format in :5"), std::string::npos);
}
