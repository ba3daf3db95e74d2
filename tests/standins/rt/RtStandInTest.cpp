// The stand-in speaks the RealTraffic protocol: sessions, pacing, boxes, buffers, weather, faults.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "standins/rt/RtStandIn.h"

namespace vorl::standin {
namespace {

using nlohmann::json;

json record(const std::string& hex, double lat, double lon) {
    json r = json::array();
    r.push_back(hex);
    r.push_back(lat);
    r.push_back(lon);
    for (int i = 3; i < 48; ++i) r.push_back(i == 10 ? json(0) : json(i));
    return r;
}

Scenario smallScenario() {
    Scenario s;
    for (int t = 0; t <= 100; t += 2) {
        s.addSample("484001", t, record("484001", 52.30, 4.76));
        s.addSample("484002", t, record("484002", 51.00, 4.76)); // outside the EHAM box
    }
    s.addSample("484003", 0, record("484003", 52.31, 4.77)); // one sample only: stale after 15 s
    s.addParked("484004", 3600, json::array({52.31, 4.77, "EHAM_D7", "B772", "PH-BQA", 0, "KLM605"}));
    s.addParked("484005", 600, json::array({52.32, 4.78, "EHAM_D8", "B738", "PH-BXB", 0.25, nullptr}));
    s.addWeather("EHAM", 52.3086, 4.7639, 0, 1009, "EHAM Q1009");
    s.addWeather("EHAM", 52.3086, 4.7639, 50, 1011, "EHAM Q1011");
    s.addWeather("EHRD", 51.9569, 4.4372, 0, 1015, "EHRD Q1015");
    s.setDuration(100);
    return s;
}

struct Fixture {
    explicit Fixture(StandInOptions o = options(), Scenario s = smallScenario()) : server(std::move(s), std::move(o)) {
        client = std::make_unique<httplib::Client>("127.0.0.1", server.start(0));
    }
    static StandInOptions options() {
        StandInOptions o;
        o.rrlMs = 100;
        o.wrrlMs = 100;
        o.licenses = {"KEY"};
        o.startAtSeconds = 20;
        return o;
    }
    json post(const std::string& path, const std::string& body, int* httpStatus = nullptr) {
        auto result = client->Post(path.c_str(), body, "application/x-www-form-urlencoded");
        if (!result) return json("no answer");
        if (httpStatus != nullptr) *httpStatus = result->status;
        return json::parse(result->body, nullptr, false);
    }
    std::string login(const std::string& key = "KEY") {
        const json answer = post("/v5/auth", "license=" + key + "&software=VORL_0.1.0");
        return answer.value("GUID", "");
    }
    std::string box(const std::string& guid, const std::string& extra = "") {
        return "GUID=" + guid + "&top=52.44&bottom=52.17&left=4.54&right=4.98&querytype=locationtraffic&toffset=0" + extra;
    }
    RtStandIn server;
    std::unique_ptr<httplib::Client> client;
};

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(RtStandInSessions, LoginLimitsAndLogout) {
    Fixture f;
    int http = 0;
    const json login = f.post("/v5/auth", "license=KEY&software=VORL_0.1.0", &http);
    EXPECT_EQ(login["status"], 200);
    EXPECT_EQ(http, 200);
    EXPECT_EQ(login["rrl"], 100);
    EXPECT_EQ(login["wrrl"], 100);
    const std::string guid = login["GUID"];
    EXPECT_EQ(guid.size(), 36u);
    EXPECT_EQ(f.post("/v5/auth", "license=KEY&software=VORL_0.1.0", &http)["status"], 405);
    EXPECT_EQ(http, 405);
    EXPECT_EQ(f.post("/v5/auth", "license=NOPE&software=x")["status"], 404);
    EXPECT_EQ(f.post("/v5/auth", "software=x")["status"], 400);
    const json out = f.post("/v5/deauth", "GUID=" + guid);
    EXPECT_EQ(out["status"], 200);
    EXPECT_EQ(out["message"], "Deauth success");
    EXPECT_TRUE(out.contains("Session length"));
    EXPECT_EQ(f.post("/v5/traffic", f.box(guid))["status"], 401); // gone after logout
    EXPECT_FALSE(f.login().empty());                              // the slot is free again
}

TEST(RtStandInSessions, ExpiredAndUnknownKeys) {
    StandInOptions o = Fixture::options();
    o.sessionTimeoutSeconds = 0;
    o.expiredLicenses = {"OLD"};
    Fixture f(o);
    EXPECT_EQ(f.post("/v5/auth", "license=OLD&software=x")["status"], 402);
    const std::string guid = f.login();
    pause(1100);
    EXPECT_EQ(f.post("/v5/traffic", f.box(guid))["status"], 401);
    const std::string second = f.login(); // the expired session no longer counts
    EXPECT_FALSE(second.empty());
    f.server.expireSessions();
    EXPECT_EQ(f.post("/v5/traffic", f.box(second))["status"], 401);
}

TEST(RtStandInTraffic, BoxStaleLimitAndRatePacing) {
    Fixture f;
    const std::string guid = f.login();
    const json answer = f.post("/v5/traffic", f.box(guid));
    ASSERT_EQ(answer["status"], 200);
    EXPECT_EQ(answer["data"].size(), 1u); // 484002 is outside, 484003 is stale
    const json& r = answer["data"]["484001"];
    ASSERT_EQ(r.size(), 48u);
    const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(r[10].get<double>(), now, 3.0);
    EXPECT_NEAR(answer["dataepoch"].get<double>(), now, 2.0);
    EXPECT_EQ(answer["rrl"], 100);
    // Asked again before the limit: refused, with the limit to keep.
    const json early = f.post("/v5/traffic", f.box(guid));
    EXPECT_EQ(early["status"], 406);
    EXPECT_EQ(early["rrl"], 100);
    EXPECT_EQ(f.server.rateViolations(), 1);
    pause(120);
    EXPECT_EQ(f.post("/v5/traffic", f.box(guid))["status"], 200);
}

TEST(RtStandInTraffic, TimeOffsetServesThePast) {
    Fixture f;
    const std::string guid = f.login();
    const json answer = f.post("/v5/traffic", "GUID=" + guid +
                                                  "&top=52.44&bottom=52.17&left=4.54&right=4.98&querytype=locationtraffic&toffset=60");
    ASSERT_EQ(answer["status"], 200);
    const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(answer["dataepoch"].get<double>(), now - 3600.0, 2.0);
    pause(110);
    EXPECT_EQ(f.post("/v5/traffic", "GUID=" + guid +
                                        "&top=52.44&bottom=52.17&left=4.54&right=4.98&querytype=locationtraffic&toffset=30000")["status"],
              407);
}

TEST(RtStandInTraffic, BufferedStartAndLongerRecords) {
    StandInOptions o = Fixture::options();
    o.extraRecordElements = 1;
    Fixture f(o);
    const std::string guid = f.login();
    const json answer = f.post("/v5/traffic", f.box(guid, "&buffercount=5&buffertime=6"));
    ASSERT_EQ(answer["status"], 200);
    ASSERT_EQ(answer["data"].size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(answer["data"].contains("buffer_" + std::to_string(i)));
    EXPECT_EQ(answer["data"]["buffer_0"]["484001"].size(), 49u);
    const double newest = answer["data"]["buffer_0"]["484001"][10].get<double>();
    const double oldest = answer["data"]["buffer_4"]["484001"][10].get<double>();
    EXPECT_NEAR(newest - oldest, 24.0, 2.1);
    EXPECT_EQ(answer["dataepoch"].get<double>() - answer["endepoch"].get<double>(), 24.0);
    pause(110);
    EXPECT_EQ(f.post("/v5/traffic", f.box(guid, "&buffercount=11&buffertime=6"))["status"], 400);
}

TEST(RtStandInTraffic, ParkedAircraftAndBadParameters) {
    Fixture f;
    const std::string guid = f.login();
    const json parked = f.post("/v5/traffic", "GUID=" + guid +
                                                  "&top=52.36&bottom=52.26&left=4.68&right=4.85&querytype=parkedtraffic&toffset=0");
    ASSERT_EQ(parked["status"], 200);
    const json& p = parked["data"]["484004"];
    ASSERT_EQ(p.size(), 7u);
    EXPECT_EQ(p[2], "EHAM_D7");
    const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(p[5].get<double>(), now - 3600.0, 2.0);
    EXPECT_TRUE(p[5].is_number_integer() || p[5].get<double>() == std::floor(p[5].get<double>()));
    // A scenario's fraction of a second is kept, as the service sends some.
    const json& fractional = parked["data"]["484005"];
    ASSERT_EQ(fractional.size(), 7u);
    EXPECT_DOUBLE_EQ(fractional[5].get<double>() - std::floor(fractional[5].get<double>()), 0.25);
    EXPECT_TRUE(fractional[6].is_null());
    EXPECT_EQ(f.post("/v5/traffic", "GUID=" + guid + "&top=52&bottom=53&left=4&right=5&querytype=locationtraffic")["status"], 400);
    EXPECT_EQ(f.post("/v5/traffic", "top=53&bottom=52&left=4&right=5&querytype=locationtraffic")["status"], 400);
    EXPECT_EQ(f.post("/v5/nothing", "GUID=" + guid)["status"], 404);
    auto get = f.client->Get("/v5/traffic");
    ASSERT_TRUE(get);
    EXPECT_EQ(json::parse(get->body)["status"], 400);
}

TEST(RtStandInWeather, NearestStationAndItsQnh) {
    StandInOptions o = Fixture::options();
    o.qnhInHg = true;
    o.startAtSeconds = 60; // after the scenario's pressure change
    Fixture f(o);
    const std::string guid = f.login();
    const json nearest = f.post("/v5/nearestmetar", "GUID=" + guid + "&toffset=0&lat=52.0&lon=4.4&maxcount=2");
    ASSERT_EQ(nearest["status"], 200);
    ASSERT_EQ(nearest["data"].size(), 2u);
    EXPECT_EQ(nearest["data"][0]["ICAO"], "EHRD");
    EXPECT_EQ(nearest["data"][1]["ICAO"], "EHAM");
    pause(110);
    const json weather = f.post("/v5/weather", "GUID=" + guid + "&querytype=locwx&toffset=0&lat=52.3&lon=4.76&alt=0&airports=EHAM");
    ASSERT_EQ(weather["status"], 200);
    EXPECT_EQ(weather["data"]["ICAO"], "EHAM");
    EXPECT_EQ(weather["data"]["QNH"], 2985); // 1011 hPa in hundredths of an inch
    EXPECT_EQ(weather["wrrl"], 100);
    pause(110);
    const json unknown = f.post("/v5/weather", "GUID=" + guid + "&querytype=locwx&toffset=0&lat=52.3&lon=4.76&alt=0&airports=XXXX");
    EXPECT_EQ(unknown["data"]["ICAO"], "UNKN");
    // nearestmetar and weather share one limit
    EXPECT_EQ(f.post("/v5/nearestmetar", "GUID=" + guid + "&toffset=0&lat=52.0&lon=4.4")["status"], 406);
}

TEST(RtStandInWeather, NearestStationAloneIsAnObjectAndModelWeatherComesOnceAMinute) {
    Fixture f;
    const std::string guid = f.login();
    const json nearest = f.post("/v5/nearestmetar", "GUID=" + guid + "&toffset=0&lat=52.0&lon=4.4");
    ASSERT_EQ(nearest["status"], 200);
    ASSERT_TRUE(nearest["data"].is_object());
    EXPECT_EQ(nearest["data"]["ICAO"], "EHRD");
    const std::string weatherQuery = "GUID=" + guid + "&querytype=locwx&toffset=0&lat=52.3&lon=4.76&alt=0&airports=EHAM";
    pause(110);
    const json first = f.post("/v5/weather", weatherQuery);
    EXPECT_TRUE(first["data"]["locWX"].contains("SLP"));
    pause(110);
    const json again = f.post("/v5/weather", weatherQuery);
    EXPECT_EQ(again["data"]["locWX"]["Info"], "TinyDelta");
    EXPECT_EQ(again["data"]["QNH"], 1009); // the station's report still comes
}

TEST(RtStandInWeather, NoWeatherFaultSendsTheServicesPlaceholder) {
    StandInOptions o = Fixture::options();
    o.faults.push_back(gf_parseFaultRule("weather,no-weather,times=1"));
    Fixture f(o);
    const std::string guid = f.login();
    const std::string weatherQuery = "GUID=" + guid + "&querytype=locwx&toffset=0&lat=52.3&lon=4.76&alt=0&airports=EHAM";
    const json placeholder = f.post("/v5/weather", weatherQuery);
    EXPECT_EQ(placeholder["status"], 200);
    EXPECT_EQ(placeholder["data"]["ICAO"], "UNKN");
    EXPECT_EQ(placeholder["data"]["QNH"], 1013);
    EXPECT_EQ(placeholder["data"]["locWX"]["Error"], "File requested");
    EXPECT_EQ(placeholder["data"]["locWX"]["SLP"], -1);
    EXPECT_EQ(f.post("/v5/weather", weatherQuery)["data"]["ICAO"], "EHAM");
}

TEST(RtStandInFaults, RulesParseAndStrikeAsToldThenStop) {
    EXPECT_THROW(gf_parseFaultRule("traffic"), std::invalid_argument);
    EXPECT_THROW(gf_parseFaultRule("radar,empty"), std::invalid_argument);
    EXPECT_THROW(gf_parseFaultRule("traffic,boom"), std::invalid_argument);
    const FaultRule rule = gf_parseFaultRule("auth,status=402,after=1,times=1");
    EXPECT_EQ(rule.endpoint, "auth");
    EXPECT_EQ(rule.status, 402);
    EXPECT_EQ(rule.after, 1);
    EXPECT_EQ(rule.times, 1);

    StandInOptions o = Fixture::options();
    o.maxSessionsPerLicense = 5;
    o.faults = {rule, gf_parseFaultRule("traffic,html-504,times=1"), gf_parseFaultRule("weather,drop")};
    Fixture f(o);
    const std::string guid = f.login();
    EXPECT_FALSE(guid.empty());
    EXPECT_EQ(f.post("/v5/auth", "license=KEY&software=x")["status"], 402);
    EXPECT_FALSE(f.login().empty());
    auto page = f.client->Post("/v5/traffic", f.box(guid), "application/x-www-form-urlencoded");
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("504 Gateway Timeout"), std::string::npos);
    EXPECT_EQ(f.post("/v5/traffic", f.box(guid))["status"], 200);
    auto dropped = f.client->Post("/v5/weather", "GUID=" + guid, "application/x-www-form-urlencoded");
    EXPECT_TRUE(!dropped || dropped->body.size() < 512);
    EXPECT_EQ(f.server.requestCount("auth"), 3);
    EXPECT_EQ(f.server.requestCount("traffic"), 2);
}

TEST(RtStandInScenario, FileFormatRoundTrip) {
    std::stringstream lines;
    lines << R"({"kind":"header","duration":90})" << '\n'
          << json{{"kind", "pos"}, {"t", 1.0}, {"hex", "484001"}, {"rec", record("484001", 52.3, 4.7)}}.dump() << '\n'
          << json{{"kind", "pos"}, {"t", 3.0}, {"hex", "484001"}, {"rec", record("484001", 52.31, 4.7)}}.dump() << '\n'
          << R"({"kind":"parked","hex":"484004","age":600,"rec":[52.3,4.7,"EHAM_D7","B772","PH-BQA",0,"KLM605"]})" << '\n'
          << R"({"kind":"wx","t":0,"icao":"EHAM","lat":52.3,"lon":4.76,"qnh":1009,"metar":"EHAM Q1009"})" << '\n';
    const Scenario s = Scenario::parse(lines);
    EXPECT_EQ(s.duration(), 90.0);
    EXPECT_EQ(s.aircraftCount(), 1u);
    EXPECT_EQ(s.sampleCount(), 2u);
    ASSERT_EQ(s.stations().size(), 1u);
    std::string out;
    EXPECT_EQ(s.appendLive(out, 4.0, 1000.0, Box{53, 52, 4, 5}, 0), 1u);
    const json member = json::parse("{" + out.substr(0, out.size() - 1) + "}");
    EXPECT_DOUBLE_EQ(member["484001"][1].get<double>(), 52.31);
    EXPECT_DOUBLE_EQ(member["484001"][10].get<double>(), 999.0);
    std::stringstream bad(R"({"kind":"pos","t":1,"hex":"1","rec":[1,2,3]})");
    EXPECT_THROW(Scenario::parse(bad), std::runtime_error);
    std::stringstream unordered;
    unordered << json{{"kind", "pos"}, {"t", 5.0}, {"hex", "484001"}, {"rec", record("484001", 52.3, 4.7)}}.dump() << '\n'
              << json{{"kind", "pos"}, {"t", 3.0}, {"hex", "484001"}, {"rec", record("484001", 52.3, 4.7)}}.dump() << '\n';
    EXPECT_THROW(Scenario::parse(unordered), std::runtime_error);
}

} // namespace
} // namespace vorl::standin
