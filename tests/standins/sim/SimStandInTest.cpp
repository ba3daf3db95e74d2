#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "common/Geodesy.h"
#include "sim/SimIds.h"
#include "sim/SimRecords.h"
#include "standins/sim/InstalledTitles.h"
#include "standins/sim/SimStandIn.h"
#include "tests/support/TempFolder.h"

using namespace vorl;
using namespace vorl::standin;
using namespace vorl::simconnect;
using vorl::test::TempFolder;
using vorl::test::writeFile;

namespace {

// What a dispatch handed over, copied out of the stand-in's buffers.
struct Received {
    std::vector<std::vector<char>> records;
    std::vector<DWORD> ids() const {
        std::vector<DWORD> all;
        for (const auto& r : records) all.push_back(reinterpret_cast<const Recv*>(r.data())->dwID);
        return all;
    }
    template <typename T> T as(std::size_t i) const {
        T value{};
        std::memcpy(&value, records.at(i).data(), sizeof(T));
        return value;
    }
};

void lf_collect(Recv* data, DWORD size, void* context) {
    auto* received = static_cast<Received*>(context);
    const auto* bytes = reinterpret_cast<const char*>(data);
    received->records.emplace_back(bytes, bytes + size);
}

struct Session {
    explicit Session(SimStandInConfig config) : standIn([&] {
        config.clock = ClockMode::Manual;
        config.keepTraceInMemory = true;
        return config;
    }()) {
        EXPECT_EQ(standIn.open(&handle, "test", nullptr, 0, nullptr, 0), kOk);
    }
    Received dispatch() {
        Received received;
        standIn.callDispatch(handle, lf_collect, &received);
        return received;
    }
    SimStandIn standIn;
    HANDLE handle = nullptr;
};

DataInitPosition lf_atSchiphol() { return {52.3080, 4.7600, 0.0, 0.0, 0.0, 90.0, 1, 0}; }

} // namespace

TEST(InstalledTitles, ComeFromEveryAircraftCfgBelowTheFolder) {
    TempFolder temp;
    writeFile(temp / "Community/fsltl-a320/SimObjects/Airplanes/A320_AFR/aircraft.cfg",
              "[FLTSIM.0]\ntitle = \"FSLTL A320 Air France\" ; the livery\nmodel=\"\"\n"
              "[FLTSIM.1]\nTitle=FSLTL A320 KLM\n");
    writeFile(temp / "Community/other/SimObjects/Airplanes/B738/AIRCRAFT.CFG", "[fltsim.0]\ntitle=AIG B738 KLM\n");
    writeFile(temp / "Community/other/readme.txt", "title=not a livery\n");
    auto titles = gf_readInstalledTitles(temp / "Community");
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"AIG B738 KLM", "FSLTL A320 Air France", "FSLTL A320 KLM"}));
}

TEST(UserScript, TheSchipholDepartureParksTaxiesAndFlies) {
    const UserScript script = UserScript::ehamDeparture();
    const UserPose parked = script.poseAt(60.0);
    EXPECT_TRUE(parked.onGround);
    EXPECT_EQ(parked.groundSpeedKt, 0.0);
    EXPECT_NEAR(parked.lat, 52.307613, 1e-9);
    const UserPose taxiing = script.poseAt(300.0);
    EXPECT_TRUE(taxiing.onGround);
    EXPECT_GT(taxiing.groundSpeedKt, 5.0);
    EXPECT_LT(taxiing.groundSpeedKt, 30.0);
    double highest = 0.0, fastest = 0.0, end = script.keyframes().back().atSeconds;
    for (double t = 0; t < end; t += 10.0) {
        highest = std::max(highest, script.poseAt(t).altitudeFt);
        if (!script.poseAt(t).onGround) fastest = std::max(fastest, script.poseAt(t).groundSpeedKt);
    }
    EXPECT_NEAR(highest, 10000.0, 100.0);
    EXPECT_GT(fastest, 240.0);
    // It ends on the ground on runway 36C, north of the threshold.
    const UserPose landed = script.poseAt(end + 60.0);
    EXPECT_TRUE(landed.onGround);
    EXPECT_GT(landed.lat, 52.30056);
    EXPECT_NEAR(landed.lon, 4.738, 0.01);
    // A second apart the aircraft never jumps far, whatever the leg.
    for (double t = 0; t < end; t += 1.0)
        ASSERT_LT(gf_distanceNm(script.poseAt(t).lat, script.poseAt(t).lon, script.poseAt(t + 1).lat,
                                script.poseAt(t + 1).lon),
                  0.2)
            << t;
}

TEST(SimStandIn, OpensWithTheApplicationNameOfItsVersion) {
    SimStandInConfig config;
    config.version = SimulatorVersion::Msfs2024;
    Session session(config);
    const Received received = session.dispatch();
    ASSERT_EQ(received.ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::Open)}));
    const auto open = received.as<RecvOpen>(0);
    EXPECT_STREQ(open.szApplicationName, "SunRise");
    EXPECT_EQ(open.dwSize, sizeof(RecvOpen));
}

TEST(SimStandIn, UnavailableSimulatorRefusesTheConnection) {
    SimStandInConfig config;
    config.available = false;
    SimStandIn standIn(config);
    HANDLE handle = nullptr;
    EXPECT_EQ(standIn.open(&handle, "test", nullptr, 0, nullptr, 0), kFail);
    EXPECT_EQ(standIn.callDispatch(handle, lf_collect, nullptr), kFail);
}

TEST(SimStandIn, DataBlocksFollowTheDefinition) {
    SimStandInConfig config;
    config.user = UserScript::fixed(52.0, 4.0, 3500.0, 90.0, false);
    config.userTitle = "A title";
    Session session(config);
    auto& s = session.standIn;
    s.addToDataDefinition(session.handle, 9, "TITLE", nullptr, DataType::StringV, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "Plane Altitude", "feet", DataType::Float64, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "Plane Heading degrees true", "degrees", DataType::Float64, 0, kUnused);
    s.addToDataDefinition(session.handle, 9, "SIM ON GROUND", "Bool", DataType::Int64, 0, kUnused);
    session.dispatch();
    s.requestDataOnSimObject(session.handle, 5, 9, kObjectIdUser, Period::Once, 0, 0, 0, 0);
    const Received received = session.dispatch();
    ASSERT_EQ(received.records.size(), 1u);
    const auto& bytes = received.records[0];
    const auto header = received.as<RecvSimObjectData>(0);
    EXPECT_EQ(header.dwRequestID, 5u);
    EXPECT_EQ(header.dwObjectID, s.userObjectId());
    // "A title" and its terminator take 8 bytes, a multiple of four; then the numbers.
    ASSERT_EQ(bytes.size(), kSimObjectDataHeaderSize + 8 + 8 + 8 + 8);
    EXPECT_STREQ(bytes.data() + kSimObjectDataHeaderSize, "A title");
    double altitude = 0, heading = 0;
    std::int64_t onGround = 1;
    std::memcpy(&altitude, bytes.data() + kSimObjectDataHeaderSize + 8, 8);
    std::memcpy(&heading, bytes.data() + kSimObjectDataHeaderSize + 16, 8);
    std::memcpy(&onGround, bytes.data() + kSimObjectDataHeaderSize + 24, 8);
    EXPECT_EQ(altitude, 3500.0);
    EXPECT_NEAR(heading, 90.0, 1e-9);
    EXPECT_EQ(onGround, 0);
}

TEST(SimStandIn, CreatesOnlyInstalledTitlesAndCountsSendIds) {
    SimStandInConfig config;
    config.liveryTitles = {"Known"};
    config.maxObjects = 1;
    Session session(config);
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 202, "ObjectAdded");
    session.dispatch();
    EXPECT_EQ(s.aiCreateNonAtcAircraft(session.handle, "Unknown", "KLM1", lf_atSchiphol(), 104), kOk);
    DWORD failedSend = 0;
    s.getLastSentPacketId(session.handle, &failedSend);
    Received received = session.dispatch();
    ASSERT_EQ(received.ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::Exception)}));
    EXPECT_EQ(received.as<RecvException>(0).dwException, 22u);
    EXPECT_EQ(received.as<RecvException>(0).dwSendID, failedSend);

    s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM2", lf_atSchiphol(), 104);
    received = session.dispatch();
    ASSERT_EQ(received.ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::AssignedObjectId),
                                                  static_cast<DWORD>(RecvId::EventObjectAddRemove)}));
    const auto added = received.as<RecvEventObjectAddRemove>(1);
    EXPECT_EQ(added.uEventID, 202u);
    EXPECT_EQ(added.eObjType, static_cast<DWORD>(SimObjectType::Aircraft));
    const auto object = s.object(added.dwData);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->altitudeFt, -11.0); // on the ground at Schiphol

    s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM3", lf_atSchiphol(), 104);
    received = session.dispatch();
    ASSERT_EQ(received.records.size(), 1u);
    EXPECT_EQ(received.as<RecvException>(0).dwException, 11u);
}

TEST(SimStandIn, WrongSizesAndUnknownObjectsRaiseExceptions) {
    Session session(SimStandInConfig{});
    auto& s = session.standIn;
    s.addToDataDefinition(session.handle, 402, "Plane Latitude", "degree", DataType::Float64, 0, kUnused);
    session.dispatch();
    double value = 1.0;
    s.setDataOnSimObject(session.handle, 402, 999, 0, 0, 8, &value);
    s.aiRemoveObject(session.handle, 999, 105);
    s.requestDataOnSimObjectType(session.handle, 101, 402, 300000, SimObjectType::Aircraft);
    const Received received = session.dispatch();
    ASSERT_EQ(received.records.size(), 3u);
    EXPECT_EQ(received.as<RecvException>(0).dwException, 3u);
    EXPECT_EQ(received.as<RecvException>(1).dwException, 3u);
    EXPECT_EQ(received.as<RecvException>(2).dwException, 31u);
}

TEST(SimStandIn, ManualClockSendsFramesAndSecondsWhenAdvanced) {
    Session session(SimStandInConfig{});
    auto& s = session.standIn;
    s.subscribeToSystemEvent(session.handle, 204, "Frame");
    s.subscribeToSystemEvent(session.handle, 230, "1sec");
    session.dispatch();
    EXPECT_TRUE(session.dispatch().records.empty());
    s.advance(1000.0 / 30.0);
    EXPECT_EQ(session.dispatch().ids(), (std::vector<DWORD>{static_cast<DWORD>(RecvId::EventFrame)}));
    s.advance(1000.0);
    const auto ids = session.dispatch().ids();
    EXPECT_EQ(ids, (std::vector<DWORD>{static_cast<DWORD>(RecvId::Event), static_cast<DWORD>(RecvId::EventFrame)}));
}

TEST(SimStandIn, TraceFileAndMapRecordTheRun) {
    TempFolder temp;
    SimStandInConfig config;
    config.liveryTitles = {"Known"};
    config.tracePath = temp / "trace.jsonl";
    config.mapPath = temp / "map.svg";
    {
        Session session(config);
        auto& s = session.standIn;
        s.aiCreateNonAtcAircraft(session.handle, "Known", "KLM2", lf_atSchiphol(), 104);
        s.advance(2500.0);
        session.dispatch();
    }
    std::ifstream in(temp / "trace.jsonl");
    std::string line;
    int creations = 0, positions = 0;
    while (std::getline(in, line)) {
        const auto entry = nlohmann::json::parse(line);
        ASSERT_TRUE(entry.contains("t"));
        if (entry.value("call", "") == "AICreateNonATCAircraft") {
            ++creations;
            EXPECT_EQ(entry.at("tail"), "KLM2");
            EXPECT_EQ(entry.at("title"), "Known");
        }
        if (entry.contains("position")) ++positions;
    }
    EXPECT_EQ(creations, 1);
    EXPECT_EQ(positions, 4); // user and KLM2, at seconds 1 and 2
    const std::string svg = vorl::test::readFile(temp / "map.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("KLM2"), std::string::npos);
    EXPECT_NE(svg.find("user ASXGS"), std::string::npos);
}
