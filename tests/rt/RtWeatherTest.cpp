// QNH extraction and the weather answers that carry it.
#include <gtest/gtest.h>

#include <gsl/narrow>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "RtTestSupport.h"
#include "rt/RtJson.h"

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

TEST(RtQnh, NumbersAsTextsAreRounded) {
    EXPECT_EQ(extractQNH(json{{"QNH", "1008.6"}}), 1009);
    EXPECT_EQ(extractQNH(json{{"QNH", " 2992 "}}), 1013);
    EXPECT_EQ(extractQNH(json{{"QNH", "null"}}), 1013);
    EXPECT_EQ(extractQNH(json{{"QNH", nullptr}}), 1013);
}

// The service answers status 200 also when it has no weather; written after its answers.
TEST(RtWeatherAnswers, AnswersWithoutWeatherGiveNoQnh) {
    const json unknownStation = json::parse(R"({"ICAO":"UNKN","QNH":1013,"METAR":"UNKN 000000",
        "locWX":{"Info":"TinyDelta"},"AM":[]})");
    EXPECT_FALSE(gf_weatherPressure(unknownStation).qnh);
    EXPECT_EQ(gf_weatherPressure(unknownStation).note, "station UNKN");

    const json fileRequested = json::parse(R"({"ICAO":"UNKN","QNH":1013,"METAR":"UNKN 000000",
        "locWX":{"Info":"","Error":"File requested","SLP":-1,"T":-1,"LLCC":-1,"MLCC":-1,"HLCC":-1,"Profiles":""}})");
    EXPECT_FALSE(gf_weatherPressure(fileRequested).qnh);
    EXPECT_EQ(gf_weatherPressure(fileRequested).note, "File requested");

    const json noPressure = json::parse(R"({"ICAO":"EDDF","QNH":-1,"locWX":{"Info":"error: GFS server down","SLP":-1}})");
    EXPECT_FALSE(gf_weatherPressure(noPressure).qnh);
    EXPECT_EQ(gf_weatherPressure(noPressure).note, "error: GFS server down");

    EXPECT_FALSE(gf_weatherPressure(json()).qnh);
    EXPECT_FALSE(gf_weatherPressure(json::array()).qnh);
    EXPECT_FALSE(gf_weatherPressure(json{{"QNH", 1e30}}).qnh);
}

TEST(RtWeatherAnswers, StationReportOrModelPressure) {
    // The model failing does not touch the station's report.
    const json modelDown = json::parse(R"({"ICAO":"EDDF","QNH":1009,"locWX":{"Info":"error: GFS server down"}})");
    EXPECT_EQ(gf_weatherPressure(modelDown).qnh, 1009);
    EXPECT_EQ(gf_weatherPressure(modelDown).note, "error: GFS server down");
    EXPECT_EQ(gf_weatherPressure(json::parse(R"({"ICAO":"EDDF","QNH":"1008.6","locWX":{"Info":"TinyDelta"}})")).qnh, 1009);
    EXPECT_EQ(gf_weatherPressure(json::parse(R"({"ICAO":"EDDF","QNH":2992})")).qnh, 1013);
    // Without the station's value the model's sea-level pressure stands in.
    EXPECT_EQ(gf_weatherPressure(json::parse(R"({"ICAO":"EDDF","QNH":null,"locWX":{"SLP":1008.7}})")).qnh, 1009);
    EXPECT_EQ(gf_weatherPressure(json::parse(R"({"ICAO":"UNKN","QNH":1013,"locWX":{"SLP":"1011.61"}})")).qnh, 1012);
}

TEST(RtWeatherAnswers, NearestStationAsListOrObject) {
    EXPECT_EQ(gf_nearestStation(json::parse(R"([{"ICAO":"EDDL","Dist":10.6},{"ICAO":"EDLN","Dist":19.9}])")), "EDDL");
    EXPECT_EQ(gf_nearestStation(json::parse(R"({"ICAO":"EDDL","Dist":10.6,"BrgTo":223.1,"METAR":"EDDL Q1014"})")), "EDDL");
    EXPECT_EQ(gf_nearestStation(json::array()), "");
    EXPECT_EQ(gf_nearestStation(json()), "");
    EXPECT_EQ(gf_nearestStation(json::object()), "");
    EXPECT_EQ(gf_nearestStation(json::parse(R"(["EDDL"])")), "");
    EXPECT_EQ(gf_nearestStation(json::parse(R"({"ICAO":null})")), "");
    EXPECT_EQ(gf_nearestStation(json::parse(R"({"ICAO":"null"})")), "");
}

json readRealAnswer(const std::filesystem::path& file) {
    std::ifstream in(file);
    return json::parse(std::string(std::istreambuf_iterator<char>(in), {}), nullptr, false);
}

TEST(RtRealAnswers, WeatherAnswerNearDuesseldorf) {
    const auto file = realFixture("realtraffic_v5/TwinFan_LiveTraffic/742250820.107324_weather.json");
    if (file.empty()) GTEST_SKIP() << "the real RealTraffic answers are not at hand";
    const json answer = readRealAnswer(file);
    ASSERT_TRUE(answer.is_object());
    EXPECT_EQ(gf_jsonInt(answer, "status", 100), 200);
    EXPECT_EQ(gf_jsonInt(answer, "wrrl", 0), 2000);
    EXPECT_EQ(extractQNH(answer["data"]), 1012);
    const WeatherPressure pressure = gf_weatherPressure(answer["data"]);
    EXPECT_EQ(pressure.qnh, 1012);
    EXPECT_EQ(pressure.note, "");
}

TEST(RtRealAnswers, NearestMetarAnswerIsAList) {
    const auto file = realFixture("realtraffic_v5/TwinFan_LiveTraffic/744148065.431184_nearestMetar.json");
    if (file.empty()) GTEST_SKIP() << "the real RealTraffic answers are not at hand";
    const json answer = readRealAnswer(file);
    ASSERT_TRUE(answer.is_object());
    EXPECT_EQ(gf_jsonInt(answer, "status", 100), 200);
    EXPECT_EQ(gf_nearestStation(answer["data"]), "EDDL");
}

// End to end: the stand-in names the nearest station as a bare object, then answers three rounds
// without weather, and the published QNH never falls back to the placeholder.
TEST(RtWeatherAnswers, AnswersWithoutWeatherKeepTheLastQnh) {
    auto options = LinkFixture::fastOptions();
    options.faults.push_back(standin::gf_parseFaultRule("weather,no-weather,after=1,times=3"));
    LinkFixture f(options, makeEhamScenario(2, 60, 1003));
    f.link->Authenticater();
    f.link->startReaders();
    ASSERT_TRUE(waitFor([&] { return f.server->requestCount("weather") >= 6 && f.recorder.lastQnh.load() == 1003; }));
    EXPECT_EQ(f.link->traffic().qnh.load(), 1003);
    std::lock_guard lock(f.recorder.mutex);
    for (const int published : f.recorder.publishedQnhs) EXPECT_EQ(published, 1003);
}

TEST(RtWeatherAnswers, ChangingQnhReachesTheTraffic) {
    standin::Scenario scenario = makeEhamScenario(2, 60, 1009);
    scenario.addWeather("EHAM", kEhamLat, kEhamLon, 31.0, 1017, "EHAM 060500Z 24012KT 9999 Q1017");
    LinkFixture f(LinkFixture::fastOptions(), std::move(scenario));
    f.link->Authenticater();
    f.link->startReaders();
    ASSERT_TRUE(waitFor([&] { return f.recorder.lastQnh.load() == 1017; }));
    EXPECT_EQ(f.link->traffic().qnh.load(), 1017);
}

} // namespace
} // namespace vorl::test
