// A headless session against the stand-in replaying the generated EHAM scenario.
#include <gtest/gtest.h>

#include <set>

#include "RtTestSupport.h"

namespace vorl::test {
namespace {

TEST(RtEhamScenario, SessionSeesTheAirportsTraffic) {
    auto options = LinkFixture::fastOptions();
    options.startAtSeconds = 900.0;
    options.rrlMs = 100;
    LinkFixture f(options, standin::Scenario::load(VORL_EHAM_SCENARIO));
    f.link->Authenticater();
    f.link->startReaders();

    std::vector<TrafficRecord> buffered;
    std::vector<TrafficRecord> live;
    std::set<std::uint32_t> seen;
    bool groundTraffic = false;
    int liveBatches = 0;
    ASSERT_TRUE(waitFor([&] {
        std::vector<TrafficRecord> more;
        f.link->traffic().handOff().takeBuffered(more);
        buffered.insert(buffered.end(), more.begin(), more.end());
        f.link->traffic().handOff().takeLive(live);
        if (!live.empty()) ++liveBatches;
        for (const auto& r : live) {
            seen.insert(r.hexId);
            groundTraffic = groundTraffic || r.altitude == 0.0;
        }
        return liveBatches >= 3 && f.recorder.lastQnh.load() == 1009;
    }));
    EXPECT_GT(buffered.size(), 50u);
    EXPECT_GT(seen.size(), 15u);
    EXPECT_TRUE(groundTraffic); // taxiing and parked-at-stand aircraft near the airport
    f.link->stopReaders();
    f.link->joinReaders();
    f.link->deauthenticate();
    EXPECT_EQ(f.server->sessionCount(), 0u);
    EXPECT_FALSE(f.recorder.stopped());
}

} // namespace
} // namespace vorl::test
