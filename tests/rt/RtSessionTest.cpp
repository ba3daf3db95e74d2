// A whole session against the stand-in: login, buffered start, live rounds, weather, logout.
#include <gtest/gtest.h>

#include "RtTestSupport.h"
#include "common/Log.h"
#include "common/UserErrorException.h"
#include "tests/support/TempFolder.h"

namespace vorl::test {
namespace {

TEST(RtSession, LogsInReadsTrafficAndWeatherAndLogsOut) {
    LinkFixture f;
    f.link->resetReaders();
    f.link->setUserPosition({kEhamLat, kEhamLon}, 0.0);
    f.link->updateTrafficBox(f.settings.rangeNm);
    f.link->Authenticater();
    ASSERT_FALSE(f.link->traffic().guid.empty());
    EXPECT_EQ(f.link->traffic().guid, f.link->weather().guid);
    EXPECT_TRUE(f.recorder.authenticated.load());
    EXPECT_EQ(f.server->sessionCount(), 1u);
    // The key travels in the login body only.
    EXPECT_NE(f.server->lastBody("auth").find("license=TEST-KEY&software=VORL_"), std::string::npos);

    f.link->startReaders();
    std::vector<TrafficRecord> buffered;
    ASSERT_TRUE(waitFor([&] {
        std::vector<TrafficRecord> more;
        f.link->traffic().handOff().takeBuffered(more);
        buffered.insert(buffered.end(), more.begin(), more.end());
        return buffered.size() >= 30;
    }));
    // Five snapshots of six aircraft, oldest first: play-out times grow by 6 s per snapshot.
    EXPECT_EQ(buffered.size(), 30u);
    EXPECT_LT(buffered.front().playoutTime, buffered.back().playoutTime);
    EXPECT_EQ(f.link->traffic().bufferedHexIds.size(), 6u);
    EXPECT_NE(f.server->lastBody("buffered").find("&buffercount=5&buffertime=6"), std::string::npos);

    int liveBatches = 0;
    std::vector<TrafficRecord> live;
    ASSERT_TRUE(waitFor([&] {
        f.link->traffic().handOff().takeLive(live);
        if (!live.empty()) ++liveBatches;
        return liveBatches >= 3;
    }));
    EXPECT_EQ(live.size(), 6u);
    EXPECT_EQ(live.front().callsign.substr(0, 3), "KLM");
    EXPECT_GT(live.front().altitude, 5000.0);
    EXPECT_TRUE(live.front().hasOrigin);
    EXPECT_EQ(live.front().origin.view(), "AMS");

    ASSERT_TRUE(waitFor([&] { return f.recorder.lastQnh.load() == 1009; }));
    EXPECT_EQ(f.link->traffic().qnh.load(), 1009);
    EXPECT_EQ(f.link->weather().stationCode(), "EHAM");
    EXPECT_EQ(f.link->weather().weatherValid.load(), 1);

    f.link->stopReaders();
    f.link->joinReaders();
    EXPECT_TRUE(f.link->readersEnded());
    EXPECT_FALSE(f.recorder.stopped()); // stopped on request: no closing reason of its own
    f.link->deauthenticate();
    EXPECT_TRUE(f.link->weather().guid.empty());
    EXPECT_FALSE(f.recorder.authenticated.load());
    EXPECT_EQ(f.server->sessionCount(), 0u);
    // Paced by "rrl" and "wrrl": the stand-in never had to refuse a request for being early.
    EXPECT_EQ(f.server->rateViolations(), 0);
}

TEST(RtSession, RaisedRateLimitIsFollowed) {
    LinkFixture f;
    f.link->Authenticater();
    f.link->startReaders();
    ASSERT_TRUE(waitFor([&] { return f.server->requestCount("traffic") >= 2; }));
    f.server->setRateLimits(300, 300);
    const int before = f.server->requestCount("traffic");
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    // One answer with the old limit may still be in flight; after it the reader waits 300 ms.
    EXPECT_LE(f.server->requestCount("traffic") - before, 4);
    f.link->stopReaders();
    f.link->joinReaders();
    EXPECT_EQ(f.server->rateViolations(), 0);
}

TEST(RtSession, NewSessionAfterResetStartsFromDefaults) {
    LinkFixture f;
    f.link->Authenticater();
    f.link->startReaders();
    ASSERT_TRUE(waitFor([&] { return f.recorder.lastQnh.load() == 1009; }));
    f.link->stopReaders();
    f.link->joinReaders();
    f.link->deauthenticate();
    f.link->resetReaders();
    EXPECT_EQ(f.link->traffic().qnh.load(), 1013);
    EXPECT_EQ(f.link->weather().qnh.load(), 1013);
    EXPECT_TRUE(f.link->traffic().guid.empty());
    EXPECT_FALSE(f.link->traffic().stopSet());
    const TrafficBox box = f.link->traffic().liveBox();
    EXPECT_DOUBLE_EQ(box.top, 52.44);
    EXPECT_DOUBLE_EQ(box.right, 4.98);
    // The second login of the same key works because the first session was logged out.
    f.link->Authenticater();
    EXPECT_FALSE(f.link->traffic().guid.empty());
    EXPECT_FALSE(f.recorder.stopped());
}

TEST(RtSession, LongerRecordsOfNewerServersAreRead) {
    auto options = LinkFixture::fastOptions();
    options.extraRecordElements = 1;
    LinkFixture f(options);
    f.link->Authenticater();
    f.link->startReaders();
    std::vector<TrafficRecord> live;
    ASSERT_TRUE(waitFor([&] {
        f.link->traffic().handOff().takeLive(live);
        return !live.empty();
    }));
    EXPECT_EQ(live.size(), 6u);
}

} // namespace
} // namespace vorl::test

namespace vorl::test {
namespace {

TEST(RtSessionLog, TellsWhatHappenedAndNeverTheKey) {
    TempFolder folder;
    Log::instance().open(folder / "Log.txt");
    {
        auto options = LinkFixture::fastOptions();
        options.faults.push_back(standin::gf_parseFaultRule("traffic,html-504,times=1"));
        options.faults.push_back(standin::gf_parseFaultRule("weather,status=500,times=1"));
        LinkFixture f(options);
        f.link->Authenticater();
        f.link->startReaders();
        ASSERT_TRUE(waitFor([&] { return f.recorder.lastQnh.load() == 1009 && f.server->requestCount("traffic") >= 3; }));
        f.link->stopReaders();
        f.link->joinReaders();
        f.link->deauthenticate();
    }
    Log::instance().close();
    const std::string log = readFile(folder / "Log.txt");
    for (const char* line : {"Authenticated at RT server 'rtw01a'", "Traffic Reader connected", "Weather Reader connected",
                             "traffic receive, invalid json 504 Gateway Timeout", "traffic receive invalid JSON:\n<html>",
                             "json weather stand-in fault 500", "Deauth success RT server 'rtw01a'"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(log.find("TEST-KEY"), std::string::npos);
}

} // namespace
} // namespace vorl::test
