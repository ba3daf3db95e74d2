#include <thread>

#include <gtest/gtest.h>

#include "app/RunControl.h"

using namespace vorl;

TEST(RunControl, FirstStopRequestWinsItsReasonAndDelay) {
    RunControl run;
    EXPECT_TRUE(run.requestStop(ClosingReason::ReaderError, 15));
    EXPECT_FALSE(run.requestStop(ClosingReason::SystemError, 0));
    EXPECT_TRUE(run.stopRequested());
    EXPECT_EQ(run.reason(), ClosingReason::ReaderError);
    EXPECT_EQ(run.restartDelay(), 15);
    run.resetForRestart();
    EXPECT_FALSE(run.stopRequested());
    EXPECT_EQ(run.reason(), ClosingReason::NotYetSet);
}

TEST(RunControl, TwoThreadsStoppingAtOnceLeaveOneConsistentReason) {
    for (int round = 0; round < 2000; ++round) {
        RunControl run;
        bool wonA = false;
        bool wonB = false;
        std::thread a([&] { wonA = run.requestStop(ClosingReason::ReaderError, 15); });
        std::thread b([&] { wonB = run.requestStop(ClosingReason::SystemError, 0); });
        a.join();
        b.join();
        ASSERT_NE(wonA, wonB);
        if (wonA) {
            ASSERT_EQ(run.reason(), ClosingReason::ReaderError);
            ASSERT_EQ(run.restartDelay(), 15);
        } else {
            ASSERT_EQ(run.reason(), ClosingReason::SystemError);
            ASSERT_EQ(run.restartDelay(), 0);
        }
    }
}

TEST(RunControl, OnlyThreeReasonsRestart) {
    std::vector<int> restarting;
    for (int r = 0; r <= 8; ++r)
        if (gf_isRestartReason(static_cast<ClosingReason>(r))) restarting.push_back(r);
    EXPECT_EQ(restarting, (std::vector<int>{3, 5, 6}));
    EXPECT_STREQ(gf_closingReasonText(ClosingReason::SimConnectError), "SIMCONNECT ERROR");
    EXPECT_STREQ(gf_closingReasonText(ClosingReason::NotYetSet), "NOT YET SET");
}
