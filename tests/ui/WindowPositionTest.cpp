#include <gtest/gtest.h>

#include "app/WindowPosition.h"

using namespace vorl;

TEST(WindowPosition, LostWindowsComeBackIntoTheWorkArea) {
    const ScreenRect area{0, 0, 1920, 1040};
    const auto check = [&](int x, int y) { return gf_checkWindowPosition({x, y}, 880, 516, area, -30000, 30000); };
    const auto atLimit = check(-30000, 30000);
    EXPECT_EQ(atLimit.x, 0);
    EXPECT_EQ(atLimit.y, 0);
    const auto farRight = check(5000, 20);
    EXPECT_EQ(farRight.x, 1920 - 48);
    const auto farLeft = check(-2000, -700);
    EXPECT_EQ(farLeft.x, 48 - 880);
    EXPECT_EQ(farLeft.y, 48 - 516);
    const auto fine = check(400, 20);
    EXPECT_EQ(fine.x, 400);
    EXPECT_EQ(fine.y, 20);
    const auto small = gf_checkWindowPosition({300, 300}, 880, 516, {100, 50, 800, 600}, -30000, 30000);
    EXPECT_EQ(small.x, 100) << "a window wider than the work area starts at its edge";
    EXPECT_EQ(small.y, 300);
}
