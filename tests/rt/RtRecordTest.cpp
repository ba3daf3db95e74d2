// Parsing and filtering of live records, and the hand-off's play-out times.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "RtTestSupport.h"
#include "rt/HexId.h"
#include "rt/RtJson.h"
#include "rt/TrafficHandOff.h"

namespace vorl::test {
namespace {

struct ReaderFixture {
    TrafficSettings settings;
    std::optional<AirportRef> airport = AirportRef{kEhamLat, kEhamLon, -11.0};
    std::vector<std::uint32_t> removed;
    std::vector<std::string> statuses;
    TrafficReader reader{RtConfig{}, hooks()};

    ReaderFixture() {
        reader.setUserPosition({kEhamLat, kEhamLon});
        reader.guid = "g";
    }
    TrafficHooks hooks() {
        TrafficHooks h;
        h.settings = [this] { return settings; };
        h.currentAirport = [this] { return airport; };
        h.typeIndexOf = [](std::string_view type) { return static_cast<std::uint16_t>(type == "B738" ? 7 : 1); };
        h.removeLiveAircraft = [this](std::uint32_t hex) { removed.push_back(hex); };
        h.setStatus = [this](const std::string& text, bool) { statuses.push_back(text); };
        return h;
    }
    // Parses one record; the reader takes this round's settings at the start of each round, so
    // the fixture hands them over the same way.
    bool parse(nlohmann::json record) {
        reader.reply = std::move(record);
        return reader.processLine();
    }
    const TrafficRecord& last() { return reader.received().back(); }
};

nlohmann::json airborne(const std::string& hex = "40621d") {
    return makeLiveRecord(hex, kEhamLat + 0.1, kEhamLon, 10000.0, 250.0, "KLM1234");
}

TEST(RtRecords, AirborneRecordIsReadCompletely) {
    ReaderFixture f;
    auto r = airborne();
    r[10] = 1767225612.7;
    r[23] = -3.0;
    r[25] = 90.0;
    ASSERT_TRUE(f.parse(r));
    const TrafficRecord& t = f.last();
    EXPECT_EQ(t.hexId, 0x40621Du);
    EXPECT_EQ(t.dataTime, 1767225612);
    EXPECT_EQ(t.code.typeIndex, 7);
    EXPECT_EQ(t.type, "B738");
    EXPECT_EQ(t.registration, "PH-BXA");
    EXPECT_EQ(t.callsign, "KLM1234");
    EXPECT_EQ(t.destination.view(), "LHR");
    EXPECT_EQ(t.airborne, 1);
    EXPECT_EQ(t.headingValid, 1);
    EXPECT_NEAR(t.trueHeading, kPi / 2, 1e-12);
    EXPECT_EQ(t.bankValid, 1);
    EXPECT_NEAR(t.bank, gf_degToRad(3.0), 1e-12);
    EXPECT_DOUBLE_EQ(t.trueAirspeed, 280.0);
    EXPECT_DOUBLE_EQ(t.track, 10.0);
}

TEST(RtRecords, AltitudeFollowsTheQnhAndSlowAircraftAreOnTheGround) {
    ReaderFixture f;
    f.reader.qnh.store(1003);
    ASSERT_TRUE(f.parse(airborne()));
    EXPECT_NEAR(f.last().altitude, 10000.0 + (1003 - 1013.25) * 27.0, 1e-9);
    auto slow = makeLiveRecord("40621e", kEhamLat + 0.01, kEhamLon, 3000.0, 20.0, "KLM1");
    ASSERT_TRUE(f.parse(slow));
    EXPECT_EQ(f.last().altitude, 0.0);
    EXPECT_EQ(f.last().airborne, 0);
    // Close above the ground reference and slow enough: rolling, not flying.
    f.reader.setGroundElevation(-11.0, true);
    f.reader.qnh.store(1013);
    ASSERT_TRUE(f.parse(makeLiveRecord("40621f", kEhamLat, kEhamLon, 20.0, 110.0, "KLM2")));
    EXPECT_EQ(f.last().altitude, 0.0);
    ASSERT_TRUE(f.parse(makeLiveRecord("406220", kEhamLat, kEhamLon, 200.0, 110.0, "KLM3")));
    EXPECT_GT(f.last().altitude, 0.0);
}

TEST(RtRecords, GroundTrafficNeedsTheCurrentAirportNearby) {
    ReaderFixture f;
    auto onGround = makeLiveRecord("40621d", kEhamLat + 0.2, kEhamLon, 0.0, 10.0, "KLM1"); // 12 NM away
    EXPECT_FALSE(f.parse(onGround));
    f.airport.reset();
    EXPECT_FALSE(f.parse(makeLiveRecord("40621d", kEhamLat, kEhamLon, 0.0, 10.0, "KLM1")));
    f.airport = AirportRef{kEhamLat, kEhamLon, -11.0};
    EXPECT_TRUE(f.parse(makeLiveRecord("40621d", kEhamLat, kEhamLon, 0.0, 10.0, "KLM1")));
}

TEST(RtRecords, WhatMustNotBeShownIsRejected) {
    ReaderFixture f;
    auto with = [](int index, nlohmann::json value) {
        auto r = airborne();
        r[index] = std::move(value);
        return r;
    };
    EXPECT_FALSE(f.parse(with(0, "~40621d")));        // non-ICAO id
    EXPECT_FALSE(f.parse(with(0, "271")));            // 625: a static-aircraft id
    EXPECT_FALSE(f.parse(with(9, "PH-ABCDEFGHIJK"))); // registration too long
    EXPECT_FALSE(f.parse(with(8, "null")));
    EXPECT_FALSE(f.parse(with(8, "GRND")));
    EXPECT_FALSE(f.parse(with(28, "B1"))); // glider
    EXPECT_FALSE(f.parse(with(13, "TEST")));
    EXPECT_FALSE(f.parse(with(1, kEhamLat + 1.0))); // outside the radius
    auto anonymous = with(13, "null");
    anonymous[9] = "null";
    EXPECT_FALSE(f.parse(anonymous));
    EXPECT_TRUE(f.reader.received().empty());
    EXPECT_TRUE(f.parse(with(13, "pilot@home"))); // emptied, registration still names it
    EXPECT_EQ(f.last().callsign, "");
}

TEST(RtRecords, ImpossibleValuesThrow) {
    ReaderFixture f;
    auto r = airborne();
    r[1] = 0;
    r[2] = 0;
    try {
        f.parse(r);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("lalo: ", 0), 0u);
    }
    r = airborne();
    r[25] = 361.5;
    EXPECT_THROW(f.parse(r), std::runtime_error);
    r = airborne();
    r[11] = "EHAM"; // origins are three-letter codes
    EXPECT_THROW(f.parse(r), std::invalid_argument);

    // Found by fuzzing: in an answer, an impossible record costs that aircraft alone.
    nlohmann::json data = nlohmann::json::object();
    data["484ffa"] = airborne("484ffa");
    data["40621d"] = r;
    data["4b1805"] = airborne("4b1805");
    const std::size_t before = f.reader.received().size();
    EXPECT_EQ(f.reader.processLiveData(data), before + 2);
}

TEST(RtRecords, AirborneOnlyAndBlockedCallsign) {
    ReaderFixture f;
    f.settings.airborneOnly = true;
    f.reader.refreshSettings();
    EXPECT_FALSE(f.parse(makeLiveRecord("40621e", kEhamLat, kEhamLon, 0.0, 10.0, "KLM1")));
    EXPECT_FALSE(f.parse(makeLiveRecord("40621f", kEhamLat, kEhamLon, 120.0, 250.0, "KLM2"))); // 131 ft above EHAM
    EXPECT_TRUE(f.parse(airborne()));

    f.settings.blockCallsign = "KLM1234";
    f.reader.refreshSettings();
    EXPECT_FALSE(f.parse(airborne("40621d")));
    EXPECT_FALSE(f.parse(airborne("40621d")));
    ASSERT_EQ(f.removed.size(), 1u); // announced and removed once
    EXPECT_EQ(f.removed.front(), 0x40621Du);
    ASSERT_EQ(f.statuses.size(), 1u);
    EXPECT_EQ(f.statuses.front(), "Live aircraft 'KLM1234' blocked");
    f.settings.blockCallsign = "KLM9";
    f.reader.refreshSettings();
    EXPECT_TRUE(f.parse(airborne("40621d")));
    f.settings.blockCallsign = "KLM1234";
    f.reader.refreshSettings();
    EXPECT_FALSE(f.parse(airborne("40621d")));
    EXPECT_EQ(f.removed.size(), 2u); // a changed setting re-arms the announcement
}

TEST(RtRecords, HexIdsParseLikeTheServerSendsThem) {
    EXPECT_EQ(gf_parseHexId("40621D"), 0x40621Du);
    EXPECT_EQ(gf_parseHexId("40621d-x"), 0x40621Du);
    EXPECT_EQ(gf_parseHexId("~40621d"), 0u);
    EXPECT_EQ(gf_parseHexId("1ffffffff"), 0u);
    EXPECT_EQ(gf_parseHexId(""), 0u);
}

TEST(RtHandOff, PlayoutTimesSpreadAroundTheMedian) {
    std::vector<TrafficRecord> batch(4);
    const std::int64_t times[] = {100, 104, 101, 103};
    for (std::size_t i = 0; i < 4; ++i) batch[i].dataTime = times[i];
    gf_setPlayoutTimes(batch, 5000, 30);
    // Median 102: each second away from it moves the record by 100 hundredths.
    EXPECT_EQ(batch[0].playoutTime, 5000 + 3000 - 200);
    EXPECT_EQ(batch[1].playoutTime, 5000 + 3000 + 200);
    EXPECT_EQ(batch[2].playoutTime, 5000 + 3000 - 100);
    EXPECT_EQ(batch[3].playoutTime, 5000 + 3000 + 100);
    std::vector<TrafficRecord> extreme(1);
    gf_setPlayoutTimes(extreme, std::numeric_limits<std::int32_t>::max() - 10, 30);
    EXPECT_EQ(extreme[0].playoutTime, std::numeric_limits<std::int32_t>::max());
}

TEST(RtHandOff, LiveBatchIsTakenOnlyWhenConsumedAndAccepted) {
    TrafficHandOff handOff;
    std::vector<TrafficRecord> batch(3);
    batch.reserve(384);
    EXPECT_FALSE(handOff.offerLive(batch));
    EXPECT_TRUE(batch.empty());
    EXPECT_GE(batch.capacity(), 384u);
    handOff.setAccepting(true);
    batch.resize(3);
    EXPECT_TRUE(handOff.offerLive(batch));
    batch.resize(2);
    EXPECT_FALSE(handOff.offerLive(batch)); // the run loop has not taken the first yet
    std::vector<TrafficRecord> out;
    handOff.takeLive(out);
    EXPECT_EQ(out.size(), 3u);
    handOff.takeLive(out);
    EXPECT_TRUE(out.empty());
}

TEST(RtTrafficBox, BoxFollowsTheUserAndTheRadius) {
    TrafficReader reader{RtConfig{}, {}};
    reader.updateTrafficBox(10.0); // no position yet: the start box stays
    EXPECT_DOUBLE_EQ(reader.liveBox().top, 52.44);
    reader.setUserPosition({50.0, 8.0});
    reader.updateTrafficBox(10.0);
    TrafficBox box = reader.liveBox();
    EXPECT_NEAR(box.top, 50.0 + 10 * 1.852 / 111.2, 1e-12);
    EXPECT_NEAR(box.bottom, 50.0 - 10 * 1.852 / 111.2, 1e-12);
    EXPECT_NEAR(box.right - 8.0, 10.0 / 60.0 / std::cos(gf_degToRad(50.0)), 1e-3);
    EXPECT_NEAR(8.0 - box.left, box.right - 8.0, 1e-9);
    reader.setUserPosition({50.0001, 8.0});
    reader.updateTrafficBox(10.0); // moved less than the threshold
    EXPECT_DOUBLE_EQ(reader.liveBox().top, box.top);
    reader.updateTrafficBox(20.0);
    EXPECT_GT(reader.liveBox().top, box.top);
}

// Real answers leave fields out as JSON null, the text "null" or "", and send some numbers as
// texts; none of it may cost more than the field.
TEST(RtRecords, NullsAndEmptyTextsInAnyFieldCostAtMostTheRecord) {
    ReaderFixture f;
    for (std::size_t i = 0; i < 48; ++i) {
        for (const nlohmann::json& absent : {nlohmann::json(), nlohmann::json("null"), nlohmann::json("")}) {
            SCOPED_TRACE(testing::Message() << "element " << i << " = " << absent.dump());
            auto r = airborne();
            r[i] = absent;
            EXPECT_NO_THROW(f.parse(r));
        }
    }
    auto r = airborne();
    r[20] = nullptr; // no true airspeed: the default of the altitude
    r[23] = nullptr; // no roll
    r[25] = nullptr; // no heading
    ASSERT_TRUE(f.parse(r));
    EXPECT_DOUBLE_EQ(f.last().trueAirspeed, 250.0);
    EXPECT_EQ(f.last().bankValid, 0);
    EXPECT_EQ(f.last().headingValid, 0);
}

TEST(RtRecords, NullAndEmptyCallsignsLeaveTheRegistration) {
    ReaderFixture f;
    for (const nlohmann::json& callsign : {nlohmann::json(), nlohmann::json(""), nlohmann::json("null")}) {
        auto r = airborne();
        r[13] = callsign;
        ASSERT_TRUE(f.parse(r)) << callsign.dump();
        EXPECT_EQ(f.last().callsign, "");
        EXPECT_EQ(f.last().registration, "PH-BXA");
    }
    auto r = airborne();
    r[13] = nullptr;
    r[9] = nullptr;
    EXPECT_FALSE(f.parse(r)); // nothing names it
}

TEST(RtRecords, NumbersSentAsTextsAreNumbers) {
    ReaderFixture f;
    auto r = airborne();
    r[1] = std::to_string(kEhamLat + 0.1);
    r[2] = std::to_string(kEhamLon);
    r[3] = "10";
    r[4] = "10000";
    r[5] = " 250.0";
    r[10] = "1767225612.7";
    r[15] = "-640";
    r[20] = "280";
    r[23] = "-3";
    r[25] = "90";
    ASSERT_TRUE(f.parse(r));
    const TrafficRecord& t = f.last();
    EXPECT_NEAR(t.lat, kEhamLat + 0.1, 1e-6);
    EXPECT_DOUBLE_EQ(t.groundSpeed, 250.0);
    EXPECT_NEAR(t.altitude, 10000.0 - 0.25 * 27.0, 1e-9);
    EXPECT_EQ(t.dataTime, 1767225612);
    EXPECT_DOUBLE_EQ(t.verticalRate, -640.0);
    EXPECT_DOUBLE_EQ(t.trueAirspeed, 280.0);
    EXPECT_EQ(t.bankValid, 1);
    EXPECT_NEAR(t.bank, gf_degToRad(3.0), 1e-12);
    EXPECT_EQ(t.headingValid, 1);
    EXPECT_NEAR(t.trueHeading, kPi / 2, 1e-12);
    // A text that is not a number is no number.
    r = airborne();
    r[20] = "fast";
    r[23] = "12deg";
    ASSERT_TRUE(f.parse(r));
    EXPECT_DOUBLE_EQ(f.last().trueAirspeed, 250.0);
    EXPECT_EQ(f.last().bankValid, 0);
}

// A live answer of the service near Duesseldorf: 18 aircraft with every kind of absent value.
TEST(RtRealAnswers, LiveTrafficAnswerNearDuesseldorf) {
    const auto file = realFixture("realtraffic_v5/TwinFan_LiveTraffic/746213911.74435_Traffic.json");
    if (file.empty()) GTEST_SKIP() << "the real RealTraffic answers are not at hand";
    nlohmann::json answer;
    {
        std::ifstream in(file);
        ASSERT_TRUE(gf_parseJson(std::string(std::istreambuf_iterator<char>(in), {}), answer));
    }
    EXPECT_EQ(gf_jsonInt(answer, "status", 100), 200);
    EXPECT_EQ(gf_jsonInt(answer, "rrl", 0), 2000);
    ReaderFixture f;
    constexpr double kEddlLat = 51.2895;
    constexpr double kEddlLon = 6.7668;
    f.reader.setUserPosition({kEddlLat, kEddlLon});
    f.airport = AirportRef{kEddlLat, kEddlLon, 147.0};
    f.settings.rangeNm = 40.0;
    f.reader.refreshSettings();
    nlohmann::json data = answer["data"];
    const std::size_t members = data.size();
    ASSERT_EQ(members, 18u);
    std::size_t kept = 0;
    ASSERT_NO_THROW(kept = f.reader.processLiveData(data));
    std::map<std::uint32_t, TrafficRecord> byId;
    for (const auto& record : f.reader.received()) byId[record.hexId] = record;
    // On the ground away from EDDL: an A21N at another airport and three gliders on their field.
    EXPECT_EQ(kept, 14u);
    for (const std::uint32_t away : {0x4d2527u, 0xff0231u, 0xff19d5u, 0xff1c74u}) EXPECT_FALSE(byId.contains(away));
    ASSERT_TRUE(byId.contains(0x896456));
    const TrafficRecord& a388 = byId[0x896456];
    EXPECT_EQ(a388.type, "A388");
    EXPECT_EQ(a388.callsign, "UAE31V");
    EXPECT_EQ(a388.origin.view(), "AMS");
    EXPECT_EQ(a388.headingValid, 1); // "X_adsb_icao"
    EXPECT_EQ(a388.bankValid, 1);
    EXPECT_DOUBLE_EQ(a388.trueAirspeed, 470.0);
    EXPECT_EQ(a388.dataTime, 1724517659);
    // An MLAT light aircraft: JSON null in every optional number, "null" texts.
    ASSERT_TRUE(byId.contains(0x3d37cd));
    const TrafficRecord& cessna = byId[0x3d37cd];
    EXPECT_EQ(cessna.hasOrigin, false);
    EXPECT_EQ(cessna.headingValid, 0);
    EXPECT_EQ(cessna.bankValid, 0);
    EXPECT_DOUBLE_EQ(cessna.trueAirspeed, 180.0);
    // Standing at EDDL: on the ground.
    ASSERT_TRUE(byId.contains(0x4bb84d));
    EXPECT_EQ(byId[0x4bb84d].airborne, 0);
    EXPECT_DOUBLE_EQ(byId[0x4bb84d].altitude, 0.0);
}

TEST(RtJson, NumbersSentAsTextsAndWholeFloats) {
    using nlohmann::json;
    const json answer = json::parse(R"({"status":"200","rrl":2000.0,"wrrl":" 3000 ","bad":"2000ms","half":2.5,"none":null})");
    EXPECT_EQ(gf_jsonInt(answer, "status", 100), 200);
    EXPECT_EQ(gf_jsonInt(answer, "rrl", 0), 2000);
    EXPECT_EQ(gf_jsonInt(answer, "wrrl", 0), 3000);
    EXPECT_EQ(gf_jsonInt(answer, "bad", 7), 7);
    EXPECT_EQ(gf_jsonInt(answer, "half", 7), 7);
    EXPECT_EQ(gf_jsonInt(answer, "none", 7), 7);
    EXPECT_EQ(gf_jsonInt(answer, "missing", 7), 7);
    EXPECT_EQ(gf_jsonOptionalNumber(json("-11.7")), -11.7);
    EXPECT_EQ(gf_jsonOptionalNumber(json("+5")), 5.0);
    EXPECT_FALSE(gf_jsonOptionalNumber(json("null")));
    EXPECT_FALSE(gf_jsonOptionalNumber(json("")));
    EXPECT_FALSE(gf_jsonOptionalNumber(json("1e999")));
    EXPECT_FALSE(gf_jsonOptionalNumber(json(true)));
    EXPECT_DOUBLE_EQ(gf_jsonNumber(json("nan")), 0.0);
}

} // namespace
} // namespace vorl::test
