// QNH extraction and the weather answers that carry it.
#include <gtest/gtest.h>

#include <gsl/narrow>

#include "RtTestSupport.h"

namespace vorl::test {
namespace {

using nlohmann::json;

TEST(RtQnh, ValuesAndUnits) {
    EXPECT_EQ(extractQNH(json{{"QNH", 1009}}), 1009);
    EXPECT_EQ(extractQNH(json{{"QNH", 1008.6}}), 1009);
    EXPECT_EQ(extractQNH(json{{"QNH", "1009"}}), 1009);
    EXPECT_EQ(extractQNH(json{{"QNH", 2992}}), 1013); // inches of mercury x 100
    EXPECT_EQ(extractQNH(json{{"QNH", 3396}}), 1150); // the caller clamps it to 1100
    EXPECT_EQ(extractQNH(json{{"QNH", 850}}), 850);   // the caller clamps it to 900
}

TEST(RtQnh, MissingOrUnreadableGivesStandardPressure) {
    EXPECT_EQ(extractQNH(json()), 1013);
    EXPECT_EQ(extractQNH(json::object()), 1013);
    EXPECT_EQ(extractQNH(json::array()), 1013);
    EXPECT_EQ(extractQNH(json{{"SLP", 1002}}), 1013);
    EXPECT_EQ(extractQNH(json{{"QNH", "high"}}), 1013);
    EXPECT_EQ(extractQNH(json{{"QNH", true}}), 1013);
    EXPECT_THROW(extractQNH(json{{"QNH", 1e30}}), gsl::narrowing_error);
}

TEST(RtQnh, StationReportsAreClampedAndPublished) {
    struct Case {
        int hpa;
        bool inHg;
        int expected;
    };
    for (const Case c : {Case{1009, false, 1009}, Case{1009, true, 1009}, Case{850, false, 900}, Case{1150, true, 1100}}) {
        SCOPED_TRACE(c.hpa);
        auto options = LinkFixture::fastOptions();
        options.qnhInHg = c.inHg;
        LinkFixture f(options, makeEhamScenario(2, 60, c.hpa));
        f.link->Authenticater();
        f.link->startReaders();
        ASSERT_TRUE(waitFor([&] { return f.recorder.lastQnh.load() == c.expected; }));
        EXPECT_EQ(f.link->traffic().qnh.load(), c.expected);
        EXPECT_NE(f.server->lastBody("weather").find("querytype=locwx"), std::string::npos);
        EXPECT_NE(f.server->lastBody("weather").find("&airports=EHAM"), std::string::npos);
        EXPECT_NE(f.server->lastBody("nearestmetar").find("&lat=52.3086&lon=4.7639"), std::string::npos);
    }
}

} // namespace
} // namespace vorl::test
