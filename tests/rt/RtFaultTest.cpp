// Every status and fault of the API, end to end through the stand-in.
#include <gtest/gtest.h>

#include "RtTestSupport.h"
#include "common/UserErrorException.h"

namespace vorl::test {
namespace {

using standin::FaultRule;
using standin::gf_parseFaultRule;
using standin::StandInOptions;

StandInOptions withFault(const std::string& fault) {
    StandInOptions options = LinkFixture::fastOptions();
    options.faults.push_back(gf_parseFaultRule(fault));
    return options;
}

// Runs the readers until both have ended on their own (or the limit passes).
bool runUntilReadersEnd(LinkFixture& f) {
    f.link->Authenticater();
    f.link->startReaders();
    const bool ended = waitFor([&] { return f.link->readersEnded(); });
    f.link->joinReaders();
    return ended;
}

// Waits until the run loop side has received `wanted` live batches.
bool receivesLiveBatches(LinkFixture& f, int wanted) {
    int batches = 0;
    std::vector<TrafficRecord> live;
    return waitFor([&] {
        f.link->traffic().handOff().takeLive(live);
        if (!live.empty()) ++batches;
        return batches >= wanted;
    });
}

TEST(RtLoginFaults, RefusedKeyIsAUserError) {
    for (const char* key : {"WRONG-KEY", "OLD-KEY"}) {
        LinkFixture f(LinkFixture::fastOptions(), makeEhamScenario(), key);
        try {
            f.link->Authenticater();
            FAIL() << "no exception for " << key;
        } catch (const UserErrorException& e) {
            EXPECT_EQ(e.code(), std::string(key) == "OLD-KEY" ? 402 : 404);
            ASSERT_EQ(f.recorder.errors.size(), 1u);
            EXPECT_EQ(f.recorder.errors.front(), e.message());
        }
        EXPECT_TRUE(f.link->traffic().guid.empty());
    }
}

TEST(RtLoginFaults, SecondSessionOfTheKeyIsRefusedWith405) {
    LinkFixture f;
    f.link->Authenticater();
    ASSERT_FALSE(f.link->weather().guid.empty());
    // Another program instance holding the session: a second link against the same server.
    HostRecorder other;
    RtConfig config;
    config.baseUrl = f.server->baseUrl();
    config.license = "TEST-KEY";
    RtLink second(config, other.host(), {});
    try {
        second.Authenticater();
        FAIL() << "no exception";
    } catch (const UserErrorException& e) {
        EXPECT_EQ(e.code(), 405);
        EXPECT_EQ(e.message(), "More than one RealTraffic session is not possible, do not run the RealTraffic app");
    }
}

TEST(RtLoginFaults, ServerDatabaseFailureIsASystemError) {
    LinkFixture f(withFault("auth,status=500"));
    EXPECT_THROW(
        {
            try {
                f.link->Authenticater();
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "No RT database connection");
                throw;
            }
        },
        std::runtime_error);
}

TEST(RtLoginFaults, OtherFailuresRestartAfter15Seconds) {
    for (const char* fault : {"auth,status=400", "auth,empty", "auth,invalid-json", "auth,html-504", "auth,drop"}) {
        SCOPED_TRACE(fault);
        LinkFixture f(withFault(fault));
        f.link->Authenticater();
        EXPECT_EQ(f.recorder.firstStop(), (std::pair{6, 15}));
        ASSERT_FALSE(f.recorder.errors.empty());
        EXPECT_EQ(f.recorder.errors.front(), "The Authenticater has stopped with an error");
        // Without a GUID both readers end at once, and quietly.
        EXPECT_TRUE(f.link->traffic().guid.empty());
        EXPECT_TRUE(runUntilReadersEnd(f));
        EXPECT_EQ(f.server->requestCount("traffic") + f.server->requestCount("buffered"), 0);
    }
}

TEST(RtLoginFaults, SlowLoginIsWaitedFor) {
    // A slow answer is just waited for: the program sets no time-out on API requests.
    LinkFixture f(withFault("auth,slow=200"));
    f.link->Authenticater();
    EXPECT_FALSE(f.recorder.stopped());
    EXPECT_EQ(f.link->weather().rrl, 40);
}

TEST(RtTrafficFaults, ExpiredSessionMidwayRestartsAfter15Seconds) {
    LinkFixture f(withFault("traffic,status=401,after=2"));
    EXPECT_TRUE(runUntilReadersEnd(f));
    EXPECT_EQ(f.recorder.firstStop(), (std::pair{6, 15}));
    ASSERT_FALSE(f.recorder.errors.empty());
    EXPECT_EQ(f.recorder.errors.front(), "The Traffic Reader has stopped with an error");
    EXPECT_TRUE(f.link->weather().ended()); // the weather reader stops with it
}

TEST(RtTrafficFaults, OtherErrorStatusesStopWithoutRestart) {
    for (const char* fault : {"traffic,status=500,after=1", "traffic,status=400,after=1", "traffic,status=403,after=1",
                              "traffic,status=402,after=1", "traffic,status=405,after=1"}) {
        SCOPED_TRACE(fault);
        LinkFixture f(withFault(fault));
        EXPECT_TRUE(runUntilReadersEnd(f));
        EXPECT_EQ(f.recorder.firstStop(), (std::pair{7, 0}));
    }
}

class RtTransientTrafficFault : public testing::TestWithParam<const char*> {};

TEST_P(RtTransientTrafficFault, IsRetriedAfterTheRateLimit) {
    LinkFixture f(withFault(GetParam()));
    f.link->Authenticater();
    f.link->startReaders();
    EXPECT_TRUE(receivesLiveBatches(f, 2));
    EXPECT_FALSE(f.recorder.stopped());
    EXPECT_FALSE(f.link->traffic().ended());
}

INSTANTIATE_TEST_SUITE_P(Faults, RtTransientTrafficFault,
                         testing::Values("traffic,invalid-json,times=2", "traffic,html-504,times=2",
                                         "traffic,empty,times=2", "traffic,drop,times=2", "traffic,slow=150,times=2",
                                         "traffic,status=406,times=2"));

class RtFailedBufferedStart : public testing::TestWithParam<const char*> {};

TEST_P(RtFailedBufferedStart, GoesOnWithLiveRounds) {
    LinkFixture f(withFault(GetParam()));
    f.link->Authenticater();
    f.link->startReaders();
    EXPECT_TRUE(receivesLiveBatches(f, 1));
    std::vector<TrafficRecord> buffered;
    f.link->traffic().handOff().takeBuffered(buffered);
    EXPECT_TRUE(buffered.empty());
    EXPECT_FALSE(f.recorder.stopped());
}

INSTANTIATE_TEST_SUITE_P(Faults, RtFailedBufferedStart,
                         testing::Values("buffered,status=500", "buffered,drop", "buffered,invalid-json"));

TEST(RtTrafficFaults, LiveBatchWaitsUntilTheRunLoopAcceptsAndHasConsumed) {
    LinkFixture f;
    f.link->traffic().handOff().setAccepting(false);
    f.link->Authenticater();
    f.link->startReaders();
    ASSERT_TRUE(waitFor([&] { return f.server->requestCount("traffic") >= 3; }));
    std::vector<TrafficRecord> live;
    f.link->traffic().handOff().takeLive(live);
    EXPECT_TRUE(live.empty()); // dropped while not accepting
    f.link->traffic().handOff().setAccepting(true);
    const int before = f.server->requestCount("traffic");
    ASSERT_TRUE(waitFor([&] { return f.server->requestCount("traffic") >= before + 4; }));
    f.link->traffic().handOff().takeLive(live);
    EXPECT_EQ(live.size(), 6u); // later batches were dropped, not appended, while this one waited
}

TEST(RtWeatherFaults, NearestMetarAuthErrorsEndBothReaders) {
    {
        LinkFixture f(withFault("nearestmetar,status=401,after=1"));
        EXPECT_TRUE(runUntilReadersEnd(f));
        EXPECT_EQ(f.recorder.firstStop(), (std::pair{6, 15}));
        EXPECT_EQ(f.recorder.errors.front(), "The Weather Reader has stopped with an error");
        EXPECT_TRUE(f.link->traffic().ended());
    }
    {
        LinkFixture f(withFault("nearestmetar,status=400"));
        EXPECT_TRUE(runUntilReadersEnd(f));
        EXPECT_EQ(f.recorder.firstStop(), (std::pair{7, 0}));
    }
}

TEST(RtWeatherFaults, RefusedWeatherKeepsTheQnhAndMarksItInvalid) {
    for (const char* fault : {"weather,status=406,after=1", "weather,status=500,after=1"}) {
        SCOPED_TRACE(fault);
        LinkFixture f(withFault(fault));
        f.link->Authenticater();
        f.link->startReaders();
        ASSERT_TRUE(waitFor([&] { return f.server->requestCount("weather") >= 3; }));
        EXPECT_EQ(f.link->weather().qnh.load(), 1009);
        // Each round's nearest-METAR answer marks the weather valid again, so look between rounds.
        EXPECT_TRUE(waitFor([&] { return f.link->weather().weatherValid.load() == 0; }));
        EXPECT_FALSE(f.recorder.stopped());
    }
}

class RtTransientWeatherFault : public testing::TestWithParam<const char*> {};

TEST_P(RtTransientWeatherFault, IsRetried) {
    LinkFixture f(withFault(GetParam()));
    f.link->Authenticater();
    f.link->startReaders();
    EXPECT_TRUE(waitFor([&] { return f.link->weather().qnh.load() == 1009; }));
    EXPECT_FALSE(f.recorder.stopped());
}

INSTANTIATE_TEST_SUITE_P(Faults, RtTransientWeatherFault,
                         testing::Values("weather,invalid-json,times=1", "weather,html-504,times=1",
                                         "weather,empty,times=1", "weather,drop,times=1", "nearestmetar,drop,times=1",
                                         "nearestmetar,html-504,times=1", "nearestmetar,status=500,times=1"));

TEST(RtWeatherFaults, UnexpectedWeatherStatusEndsTheReaders) {
    LinkFixture f(withFault("weather,status=403"));
    EXPECT_TRUE(runUntilReadersEnd(f));
    EXPECT_EQ(f.recorder.firstStop(), (std::pair{7, 0}));
}

TEST(RtLogoutFaults, RefusedLogoutKeepsTheSession) {
    LinkFixture f(withFault("deauth,status=500"));
    f.link->Authenticater();
    f.link->deauthenticate();
    EXPECT_FALSE(f.link->weather().guid.empty());
    EXPECT_TRUE(f.recorder.authenticated.load());
    EXPECT_EQ(f.server->sessionCount(), 1u);
}

TEST(RtParked, ParkedAircraftAroundTheAirport) {
    LinkFixture f;
    f.link->Authenticater();
    f.link->startReaders();
    ASSERT_TRUE(f.link->traffic().requestParkedTraffic({kEhamLat, kEhamLon}, 47, false));
    const auto& parked = f.link->traffic().parkedRecords();
    ASSERT_EQ(parked.size(), 2u);
    EXPECT_EQ(parked[0].callsign, "KLM605"); // youngest first
    EXPECT_EQ(parked[0].halfHourSlot, 2);
    EXPECT_EQ(parked[1].type, "B744");       // the family designator's variant
    EXPECT_EQ(parked[1].standName, "EHAM_E18");
    EXPECT_NE(f.server->lastBody("parked").find("querytype=parkedtraffic"), std::string::npos);
    // Keep only the youngest half hours.
    ASSERT_TRUE(f.link->traffic().requestParkedTraffic({kEhamLat, kEhamLon}, 3, false));
    EXPECT_EQ(f.link->traffic().parkedRecords().size(), 1u);
}

TEST(RtParked, ParkedStatusesGiveTheirReactions) {
    {
        LinkFixture f(withFault("parked,status=400"));
        f.link->Authenticater();
        f.link->startReaders();
        EXPECT_THROW(f.link->traffic().requestParkedTraffic({kEhamLat, kEhamLon}, 47, false), std::runtime_error);
    }
    for (const char* fault : {"parked,status=401", "parked,drop", "parked,invalid-json", "parked,status=503"}) {
        SCOPED_TRACE(fault);
        LinkFixture f(withFault(fault));
        f.link->Authenticater();
        f.link->startReaders();
        EXPECT_FALSE(f.link->traffic().requestParkedTraffic({kEhamLat, kEhamLon}, 47, false));
        // Parked failures never end the reader.
        EXPECT_FALSE(f.link->traffic().ended());
    }
}

// The service stamps some parked aircraft with fractions of a second and leaves callsigns out; a
// fraction once cost the whole answer.
TEST(RtParked, FractionalTimeStampsAndMissingCallsigns) {
    standin::Scenario scenario = makeEhamScenario();
    scenario.addParked("484c03", 600.0,
                       nlohmann::json::array({52.3120, 4.7630, "EHAM_D8", "B738", "PH-BXB", 0.37, nullptr}));
    scenario.addParked("484c04", 5400.0,
                       nlohmann::json::array({"52.3125", "4.7640", "EHAM_D9", "A320", "null", 0.5, ""}));
    LinkFixture f(LinkFixture::fastOptions(), std::move(scenario));
    f.link->Authenticater();
    f.link->startReaders();
    ASSERT_TRUE(f.link->traffic().requestParkedTraffic({kEhamLat, kEhamLon}, 47, false));
    const auto& parked = f.link->traffic().parkedRecords();
    ASSERT_EQ(parked.size(), 4u);
    EXPECT_EQ(parked[0].key, "484c03"); // youngest first
    EXPECT_EQ(parked[0].callsign, "");
    EXPECT_EQ(parked[0].registration, "PH-BXB");
    EXPECT_EQ(parked[1].key, "484c01");
    EXPECT_EQ(parked[2].key, "484c04");
    EXPECT_EQ(parked[2].halfHourSlot, 3);
    EXPECT_NEAR(parked[2].lat, 52.3125, 1e-9); // numbers sent as texts
    EXPECT_EQ(parked[2].registration, "");
    EXPECT_EQ(parked[2].standName, "EHAM_D9");
    EXPECT_EQ(parked[3].key, "484c02");
}

} // namespace
} // namespace vorl::test
